#include "FaultLines.h"

namespace InstallRecord {

std::wstring FaultLines(uint32_t faults, const FaultLine* table, size_t count, const std::wstring& lastLine) {
    std::wstring lines;
    const auto add = [&lines](const std::wstring& line) {
        if (!lines.empty()) {
            lines += L"\n";
        }
        lines += line;
    };
    for (size_t i = 0; i < count; ++i) {
        if ((faults & table[i].fault) != 0) {
            add(table[i].line);
        }
    }
    if (!lastLine.empty()) {
        add(lastLine);
    }
    return lines;
}

}  // namespace InstallRecord
