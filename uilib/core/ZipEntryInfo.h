// Turns the stored fields of an item into the entry record handed to
// callers: Windows attributes, times and the wide name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "ZipArchive.h"

namespace TavikUI {

// Windows attributes from the external attributes of a central entry.
uint32_t ZipEntryAttributes(uint32_t externalAttributes);

// The DOS date and time as they stand (no time-zone shift); zero when the
// fields hold no valid date.
FILETIME ZipDosTimeToFileTime(uint16_t dosDate, uint16_t dosTime);

// A Unix time (seconds since 1970, UTC) as FILETIME.
FILETIME ZipUnixTimeToFileTime(int32_t unixTime);

// Walks an extra field as {ID, size, data} records and takes the times of an
// extended-timestamp ("UT") record. Records that run past the field end the
// walk.
void ZipApplyExtendedTimestamp(const uint8_t* extra, size_t length, ZipArchiveEntry* entry);

// The stored name (ANSI code page) as the entry record's wide name: the
// first 259 bytes, at most 259 characters.
void ZipCopyEntryName(const std::string& storedName, ZipArchiveEntry* entry);

}  // namespace TavikUI
