#include "ZipReader.h"

#include <cstring>
#include <new>
#include <vector>

#include "ZipEntryInfo.h"
#include "ZipTargetPath.h"

namespace TavikUI {

namespace {

// Status of a step that fetches an item's header data, as a result code.
ZipResult HeaderFailure(int32_t status) {
    return status == ZIP_STATUS_BAD_ARCHIVE ? ZIP_BAD_LOCAL_HEADER : ZIP_HEADER_READ_FAILED;
}

std::wstring CurrentFolderWithSeparator() {
    const DWORD needed = GetCurrentDirectoryW(0, nullptr);
    if (needed == 0) {
        return std::wstring();
    }
    std::wstring folder(needed, L'\0');
    const DWORD length = GetCurrentDirectoryW(needed, &folder[0]);
    folder.resize(length < needed ? length : 0);
    if (!folder.empty() && folder.back() != L'\\') {
        folder.push_back(L'\\');
    }
    return folder;
}

// Names are compared byte for byte, or with ASCII letters folded to upper
// case; the trail byte of a double-byte character is never folded.
bool NamesMatch(const std::string& stored, const std::string& wanted, bool ignoreCase) {
    if (stored.size() != wanted.size()) {
        return false;
    }
    if (!ignoreCase) {
        return stored == wanted;
    }
    for (size_t i = 0; i < stored.size(); ++i) {
        const auto a = static_cast<unsigned char>(stored[i]);
        const auto b = static_cast<unsigned char>(wanted[i]);
        if (IsDBCSLeadByte(a) && i + 1 < stored.size()) {
            if (a != b || stored[i + 1] != wanted[i + 1]) {
                return false;
            }
            ++i;
            continue;
        }
        const auto upperA = (a >= 'a' && a <= 'z') ? a - 'a' + 'A' : a;
        const auto upperB = (b >= 'a' && b <= 'z') ? b - 'a' + 'A' : b;
        if (upperA != upperB) {
            return false;
        }
    }
    return true;
}

// The wanted name in the archive's form: ANSI code page, '/' separators.
bool StoredFormOf(const wchar_t* name, std::string* stored) {
    std::wstring wide(name);
    for (wchar_t& c : wide) {
        if (c == L'\\') {
            c = L'/';
        }
    }
    stored->clear();
    if (wide.empty()) {
        return true;
    }
    const int bytes =
        WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) {
        return false;
    }
    stored->resize(static_cast<size_t>(bytes));
    return WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), &(*stored)[0], bytes, nullptr,
                               nullptr) == bytes;
}

constexpr size_t kMaxWantedNameChars = 255;

}  // namespace

ZipResult CZipReader::Open(std::unique_ptr<CZipSource> source) {
    if (source_) {
        return ZIP_ALREADY_OPEN;
    }
    auto directory = std::make_unique<CZipCentralDirectory>(*source);
    const int32_t status = directory->ZipOpenArchive();
    if (status != ZIP_STATUS_OK) {
        return static_cast<ZipResult>(status);
    }
    source_ = std::move(source);
    directory_ = std::move(directory);
    baseFolder_ = CurrentFolderWithSeparator();
    return ZIP_OK;
}

bool CZipReader::IsIndexInRange(int32_t index) const {
    return index >= 0 && static_cast<uint32_t>(index) < directory_->EntryCount();
}

void CZipReader::CloseOpenItem() {
    if (openItem_) {
        openItem_->ZipCloseCurrentItem();
    }
    openItem_.reset();
    openItemIndex_ = -1;
}

int32_t CZipReader::ReadZipEntryInfo(int32_t index, ZipArchiveEntry* entry) {
    // The walk also places the directory on the entry, which opening the item
    // relies on. A directory that cannot be walked is a failed read; only the
    // local header check reports a bad header.
    int32_t status = directory_->GoToEntry(index);
    if (status != ZIP_STATUS_OK) {
        return ZIP_STATUS_READ_FAILED;
    }
    if (index == cachedIndex_) {
        *entry = cachedEntry_;
        return ZIP_STATUS_OK;
    }
    const ZipCentralEntry& stored = directory_->CurrentEntry();
    ZipArchiveEntry record = {};
    record.index = index;
    ZipCopyEntryName(stored.name, &record);
    record.attributes = ZipEntryAttributes(stored.externalAttributes);
    record.writeTime = ZipDosTimeToFileTime(stored.dosDate, stored.dosTime);
    record.accessTime = record.writeTime;
    record.creationTime = record.writeTime;
    record.compressedSize = stored.compressedSize;
    record.uncompressedSize = stored.uncompressedSize;
    ZipLocalItem local;
    status = directory_->CheckLocalHeader(&local);
    if (status != ZIP_STATUS_OK) {
        return status;
    }
    ZipApplyExtendedTimestamp(local.extra.data(), local.extra.size(), &record);
    cachedEntry_ = record;
    cachedIndex_ = index;
    *entry = record;
    return ZIP_STATUS_OK;
}

ZipResult CZipReader::FindItem(const wchar_t* name, bool ignoreCase, int32_t* index, ZipArchiveEntry* entry) {
    CloseOpenItem();
    if (index) {
        *index = -1;
    }
    std::string wanted;
    if (name == nullptr || wcslen(name) > kMaxWantedNameChars || !StoredFormOf(name, &wanted)) {
        return ZIP_ITEM_NOT_FOUND;
    }
    int32_t status = directory_->GoToFirstEntry();
    while (status == ZIP_STATUS_OK) {
        if (NamesMatch(directory_->CurrentEntry().name, wanted, ignoreCase)) {
            break;
        }
        status = directory_->GoToNextEntry();
    }
    if (status != ZIP_STATUS_OK) {
        return ZIP_ITEM_NOT_FOUND;
    }
    ZipArchiveEntry found;
    status = ReadZipEntryInfo(directory_->CurrentIndex(), &found);
    if (status != ZIP_STATUS_OK) {
        return HeaderFailure(status);
    }
    if (index) {
        *index = found.index;
    }
    if (entry) {
        *entry = found;
    }
    return ZIP_OK;
}

ZipResult CZipReader::GetItem(int32_t index, ZipArchiveEntry* entry) {
    CloseOpenItem();
    if (entry == nullptr) {
        return ZIP_BAD_ARGUMENT;
    }
    if (index == -1) {
        *entry = ZipArchiveEntry{};
        entry->index = static_cast<int32_t>(directory_->EntryCount());
        return ZIP_OK;
    }
    return EntryAt(index, entry);
}

ZipResult CZipReader::EntryAt(int32_t index, ZipArchiveEntry* entry) {
    if (!IsIndexInRange(index)) {
        return ZIP_BAD_ARGUMENT;
    }
    const int32_t status = ReadZipEntryInfo(index, entry);
    return status == ZIP_STATUS_OK ? ZIP_OK : HeaderFailure(status);
}

ZipResult CZipReader::ExtractItem(int32_t index, void* target, uint32_t length, uint32_t kind) {
    if (target == nullptr) {
        return ZIP_BAD_ARGUMENT;
    }
    switch (kind) {
    case ZIP_KIND_HANDLE:
    case ZIP_KIND_FILE:
        return ZipArchiveExtractTo(index, target, kind);
    case ZIP_KIND_MEMORY:
        return ExtractToMemory(index, target, length);
    default:
        return ZIP_BAD_ARGUMENT;
    }
}

// Opens the item of the directory's current entry for reading.
int32_t CZipReader::OpenItem() {
    ZipLocalItem local;
    int32_t status = directory_->CheckLocalHeader(&local);
    if (status != ZIP_STATUS_OK) {
        return status;
    }
    const ZipCentralEntry& stored = directory_->CurrentEntry();
    ZipItemSpan span;
    span.dataOffset = local.dataOffset;
    span.method = stored.method;
    span.compressedSize = stored.compressedSize;
    span.uncompressedSize = stored.uncompressedSize;
    span.crc32 = stored.crc32;
    openItem_ = std::make_unique<CZipItemReader>(*source_);
    status = openItem_->Open(span);
    if (status != ZIP_STATUS_OK) {
        openItem_.reset();
    }
    return status;
}

ZipResult CZipReader::ZipArchiveExtractTo(int32_t index, void* target, uint32_t kind) {
    CloseOpenItem();
    ZipArchiveEntry entry;
    const ZipResult found = EntryAt(index, &entry);
    if (found != ZIP_OK) {
        return found;
    }

    if ((entry.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        const std::wstring folder(entry.name);
        if (kind == ZIP_KIND_FILE && ZipIsFolderBelowBase(folder)) {
            CreateFolderPath(baseFolder_, folder);
        }
        return ZIP_OK;
    }

    HANDLE file = static_cast<HANDLE>(target);
    if (kind == ZIP_KIND_FILE) {
        const std::wstring path(static_cast<const wchar_t*>(target));
        // A target that steps to a parent folder could land anywhere.
        if (ZipPathHoldsParentStep(path)) {
            return ZIP_OPEN_FILE_FAILED;
        }
        const std::wstring folder = ZipFolderPartOf(path);
        if (ZipIsFolderBelowBase(folder)) {
            CreateFolderPath(baseFolder_, folder);
        }
        file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, entry.attributes, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            return ZIP_OPEN_FILE_FAILED;
        }
    }

    const int32_t status = OpenItem();
    ZipResult result = ZIP_OK;
    if (status != ZIP_STATUS_OK) {
        result = status == ZIP_STATUS_BAD_ARCHIVE   ? ZIP_BAD_LOCAL_HEADER
                 : status == ZIP_STATUS_READ_FAILED ? ZIP_HEADER_READ_FAILED
                                                    : ZIP_READ_WRITE_FAILED;
    } else {
        result = CopyItemToFile(file);
    }
    if (result == ZIP_OK && GetFileType(file) == FILE_TYPE_DISK) {
        SetFileTime(file, &entry.creationTime, &entry.accessTime, &entry.writeTime);
    }
    if (kind == ZIP_KIND_FILE) {
        CloseHandle(file);
    }
    CloseOpenItem();
    return result;
}

ZipResult CZipReader::CopyItemToFile(HANDLE file) {
    std::unique_ptr<uint8_t[]> piece(new (std::nothrow) uint8_t[ZipLayout::kItemBufferSize]);
    if (!piece) {
        return ZIP_READ_WRITE_FAILED;
    }
    for (;;) {
        const ZipReadOutcome outcome = openItem_->Read(piece.get(), ZipLayout::kItemBufferSize);
        DWORD written = 0;
        if (outcome.delivered > 0 &&
            (!WriteFile(file, piece.get(), outcome.delivered, &written, nullptr) || written != outcome.delivered)) {
            return ZIP_READ_WRITE_FAILED;
        }
        // A damaged item (bad CRC-32, corrupt or short data) is a failed read.
        if (outcome.status != ZIP_STATUS_OK) {
            return ZIP_READ_WRITE_FAILED;
        }
        if (outcome.delivered == 0) {
            return ZIP_OK;
        }
    }
}

ZipResult CZipReader::ExtractToMemory(int32_t index, void* buffer, uint32_t length) {
    if (!openItem_ || index != openItemIndex_) {
        CloseOpenItem();
        ZipArchiveEntry entry;
        const ZipResult found = EntryAt(index, &entry);
        if (found != ZIP_OK) {
            return found;
        }
        const int32_t status = OpenItem();
        if (status == ZIP_STATUS_BAD_ARCHIVE || status == ZIP_STATUS_READ_FAILED) {
            return HeaderFailure(status);
        }
        if (status != ZIP_STATUS_OK) {
            return ZIP_INFLATE_TO_MEMORY_FAILED;
        }
        openItemIndex_ = index;
    }
    const ZipReadOutcome outcome = openItem_->Read(buffer, length);
    // A damaged item is never handed out as a success, even when its last
    // byte went out in this call.
    if (outcome.status != ZIP_STATUS_OK) {
        CloseOpenItem();
        return ZIP_INFLATE_TO_MEMORY_FAILED;
    }
    if (outcome.delivered > 0) {
        return ZIP_MORE_DATA;
    }
    CloseOpenItem();
    return ZIP_OK;
}

}  // namespace TavikUI
