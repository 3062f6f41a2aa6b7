#include "FaultLines.h"

namespace InstallRecord {

std::wstring FaultLines(uint32_t faults, const FaultLine* table, size_t count) {
    std::wstring lines;
    for (size_t i = 0; i < count; ++i) {
        if ((faults & table[i].fault) == 0) {
            continue;
        }
        if (!lines.empty()) {
            lines += L"\n";
        }
        lines += table[i].line;
    }
    return lines;
}

}  // namespace InstallRecord
