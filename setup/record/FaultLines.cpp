#include "FaultLines.h"

namespace InstallRecord {

std::wstring FaultLines(uint32_t faults, const FaultLine* table, size_t count, const std::wstring& lastLine) {
    std::wstring lines;
    for (size_t i = 0; i <= count; ++i) {
        const wchar_t* line = i < count ? ((faults & table[i].fault) ? table[i].line : nullptr) : lastLine.c_str();
        if (!line || !*line) {
            continue;
        }
        if (!lines.empty()) {
            lines += L"\n";
        }
        lines += line;
    }
    return lines;
}

}  // namespace InstallRecord
