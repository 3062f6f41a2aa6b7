// The failure pages of the installer and the uninstaller name what went
// wrong, one line for each kind of fault. A program keeps its faults as bits
// and gives each bit its line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace InstallRecord {

struct FaultLine {
    uint32_t fault;
    const wchar_t* line;
};

// The lines of the faults set in `faults`, in the table's order, then
// `lastLine` when there is one (what stayed, and why), separated by line
// breaks.
std::wstring FaultLines(uint32_t faults, const FaultLine* table, size_t count, const std::wstring& lastLine);

template <size_t N>
std::wstring FaultLines(uint32_t faults, const FaultLine (&table)[N], const std::wstring& lastLine = std::wstring()) {
    return FaultLines(faults, table, N, lastLine);
}

}  // namespace InstallRecord
