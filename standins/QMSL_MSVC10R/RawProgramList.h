// The simulated FireHose programmer's reading of a partition list: the
// "program" elements with their file names and start sectors. A small reader
// of its own, as a phone-side programmer has, not the tool's XML class.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ProgramEntry {
    std::string fileName;
    std::string startSector;   // decimal, or "NUM_DISK_SECTORS-n."
};

// The program elements in document order; false when the file cannot be read.
bool ReadProgramEntries(const std::string& path, std::vector<ProgramEntry>& entries);

// The sector a start_sector text names on a storage of diskSectors sectors;
// false for a text that names none.
bool ResolveStartSector(const std::string& text, uint64_t diskSectors, uint64_t& sector);
