// The simulated FireHose programmer's reading of its lists: the partition
// list's "program" elements with their file names and start sectors, and the
// elements of the patch list. A small reader of its own, as a phone-side
// programmer has, not the tool's XML class.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ProgramEntry {
    std::string fileName;
    std::string startSector;  // decimal, or "NUM_DISK_SECTORS-n."
};

// The named attributes ("" when absent) of every `tag` element of a list, in
// document order, comments skipped; false when the file cannot be read.
bool ReadListElements(const std::string& path, const std::string& tag, const std::vector<std::string>& names,
                      std::vector<std::vector<std::string>>& rows);

// The program elements in document order; false when the file cannot be read.
bool ReadProgramEntries(const std::string& path, std::vector<ProgramEntry>& entries);

// The sector a start_sector text names on a storage of diskSectors sectors;
// false for a text that names none.
bool ResolveStartSector(const std::string& text, uint64_t diskSectors, uint64_t& sector);
