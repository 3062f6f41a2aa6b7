// The number texts of the partition and patch lists: decimal sector numbers,
// sectors counted back from the end of the disk ("NUM_DISK_SECTORS-33.") and
// CRC expressions ("CRC32(1,92)", "CRC32(NUM_DISK_SECTORS-1.,92)").
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// The text without the characters of "NUM_DISK_SECTORS-." at its right end,
// then at its left end: "NUM_DISK_SECTORS-33." gives "33".
std::wstring TrimSectorExpression(const std::wstring& text);

// A decimal text of digits only. Anything else (empty, signs, blanks, other
// characters, a value beyond 64 bits) is no number: a list that says "abc"
// must not be read as sector 0.
std::optional<uint64_t> ParseDecimal(const std::wstring& text);

// A decimal sector, or, for a text containing "NUM_DISK_SECTORS", the disk's
// sector count minus the number the text holds. None when the text holds no
// number or counts back past the start of the disk.
std::optional<uint64_t> ResolveSectorText(const std::wstring& text, uint32_t numDiskSectors);

// The span a CRC expression covers: its start sector and its length in bytes.
struct Crc32Span {
    uint64_t startSector;
    uint64_t length;
};

// "CRC32(start,length)", possibly after other text; start as for
// ResolveSectorText, length decimal. None when the expression is malformed.
std::optional<Crc32Span> ParseCrc32Expression(const std::wstring& expression, uint32_t numDiskSectors);
