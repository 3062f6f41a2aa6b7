// Reader of zip archives (stored and deflated items) with a plain function
// interface. The skins are read through it, from an archive file or from a
// zip held in memory, and the installer unpacks its payload with it.
#pragma once

#include <windows.h>

#include <cstdint>

namespace TavikUI {

// Opaque archive handle; every call checks that it names an archive.
struct ZipArchiveHandleRecord;
typedef ZipArchiveHandleRecord* HZIPARCHIVE;

// Result codes of the interface calls (0 = success).
typedef uint32_t ZipResult;
enum : ZipResult {
    ZIP_OK = 0,
    ZIP_DUPLICATE_HANDLE_FAILED = 0x100,
    ZIP_OPEN_FILE_FAILED = 0x200,   // the archive file or the target file
    ZIP_READ_WRITE_FAILED = 0x400,  // writing the target or reading the item
    ZIP_ITEM_NOT_FOUND = 0x500,
    ZIP_MORE_DATA = 0x600,  // bytes delivered to memory, item still open
    ZIP_BAD_LOCAL_HEADER = 0x700,
    ZIP_HEADER_READ_FAILED = 0x800,
    ZIP_BAD_ARGUMENT = 0x10000,
    ZIP_NOT_ARCHIVE_HANDLE = 0x80000,
    ZIP_ALREADY_OPEN = 0x1000000,
    ZIP_NOT_DISK_FILE = 0x2000000,
    ZIP_INFLATE_TO_MEMORY_FAILED = 0x5000000,
    ZIP_SOURCE_READ_FAILED = 0xFFFFFFFFu,  // -1: reported by the opening step
    ZIP_BAD_ARCHIVE = 0xFFFFFF99u,         // -103: spanned, inconsistent, bad signature
};

// Kinds of source (ZipArchiveOpen) and of target (ZipArchiveExtractItem).
enum : uint32_t {
    ZIP_KIND_HANDLE = 1,  // an open file handle
    ZIP_KIND_FILE = 2,    // a file name (wide)
    ZIP_KIND_MEMORY = 3,  // a memory block of `length` bytes
};

// One item as handed to callers.
struct ZipArchiveEntry {
    int32_t index;
    wchar_t name[260];    // converted from the ANSI code page, at most 259 characters
    uint32_t attributes;  // Windows file attributes
    FILETIME accessTime;
    FILETIME creationTime;
    FILETIME writeTime;
    uint32_t compressedSize;
    uint32_t uncompressedSize;
};

// Opens an archive from a file handle (kind 1, duplicated; the archive starts
// at the handle's current position), a file name (kind 2) or a memory block of
// `length` bytes (kind 3, read in place: it must outlive the handle).
// Null on failure; ZipArchiveLastResult() then tells why.
HZIPARCHIVE ZipArchiveOpen(const void* source, uint32_t length, uint32_t kind);

// Looks an item up by name (shorter than 256 characters; back slashes match
// '/'), optionally folding ASCII letters. 0 with the index and the entry, or
// ZIP_ITEM_NOT_FOUND with index -1 and the entry untouched. Either out pointer
// may be null.
ZipResult ZipArchiveFindItem(HZIPARCHIVE archive, const wchar_t* name, bool ignoreCase, int32_t* index,
                             ZipArchiveEntry* entry);

// The entry of an index; index -1 gives the summary (entry count in `index`,
// every other field empty).
ZipResult ZipArchiveGetItem(HZIPARCHIVE archive, int32_t index, ZipArchiveEntry* entry);

// Extracts an item to an open file handle (kind 1), a named file (kind 2,
// `target` is a wide file name) or a memory buffer of `length` bytes (kind 3).
// Memory extraction answers ZIP_MORE_DATA while bytes were delivered and the
// item stays open; a further call with the same index continues.
ZipResult ZipArchiveExtractItem(HZIPARCHIVE archive, int32_t index, void* target, uint32_t length, uint32_t kind);

// Closes the archive, its open item and its source file, and frees the handle.
ZipResult ZipArchiveClose(HZIPARCHIVE archive);

// The result of the latest interface call made on the calling thread.
ZipResult ZipArchiveLastResult();

}  // namespace TavikUI
