// The patch list of the eMMC writer: after the images, single sectors of the
// disk are read, patched with numbers or CRCs of disk bytes, and written
// back.
#include "QcomDownloader.h"

#include <cstring>
#include <new>

#include "DiskWriterShared.h"
#include "PackageFile.h"
#include "SectorExpression.h"
#include "TextFormat.h"
#include "XmlDocument.h"

using namespace DiskWriter;

namespace {

constexpr int32_t kPatchCrcStep = 1;
constexpr uint64_t kPatchValueBytes = 8;
// The longest read: whole sectors within a 32-bit length.
constexpr uint64_t kLongestCrcSpan = 0xFFFFFE00u;

// A zeroed buffer, or none when the memory is not there.
ByteBuffer NewZeroedBuffer(size_t bytes) { return ByteBuffer(new (std::nothrow) uint8_t[bytes]()); }

// Each byte as two hex digits and a blank, sixteen to a line; the lines
// after the first are indented by five blanks.
std::wstring HexDump(const uint8_t* bytes, size_t count) {
    static const wchar_t kDigits[] = L"0123456789ABCDEF";
    constexpr size_t kBytesPerLine = 16;
    std::wstring text;
    text.reserve(count * 3 + count / kBytesPerLine * 6);
    for (size_t index = 0; index < count; ++index) {
        if (index > 0 && index % kBytesPerLine == 0) {
            text += L"\n     ";
        }
        text += kDigits[bytes[index] >> 4];
        text += kDigits[bytes[index] & 0x0F];
        text += L' ';
    }
    return text;
}

// The numbers of one `patch` element, checked before anything is read or
// written for it.
struct DiskPatch {
    uint64_t byteOffset = 0;
    uint64_t sizeInBytes = 0;
    uint64_t startSector = 0;
    std::wstring value;
    std::wstring what;
    bool isCrc = false;
    uint64_t number = 0;  // the value when it is no CRC expression
};

bool ReadDiskPatch(CQcomDownloader& engine, const CXmlDocument& patches, uint32_t numDiskSectors, DiskPatch& patch) {
    const std::wstring offsetText = patches.GetAttributeValue(L"byte_offset");
    const std::wstring sizeText = patches.GetAttributeValue(L"size_in_bytes");
    const std::wstring startText = patches.GetAttributeValue(L"start_sector");
    patch.value = patches.GetAttributeValue(L"value");
    patch.what = patches.GetAttributeValue(L"what");

    const std::optional<uint64_t> offset = ParseDecimal(offsetText);
    const std::optional<uint64_t> size = ParseDecimal(sizeText);
    if (!offset || !size) {
        engine.SendText(FormatWide(L"Patch [%s]: byte_offset [%s] or size_in_bytes [%s] is not a number!",
                                   patch.what.c_str(), offsetText.c_str(), sizeText.c_str()),
                        MSG_FAILURE);
        return false;
    }
    // The patched bytes must lie inside the one sector read and written, and
    // come from the 8 bytes of the value.
    if (*size > kPatchValueBytes || *offset > kSectorBytes || *size > kSectorBytes - *offset) {
        engine.SendText(FormatWide(L"Patch [%s] lies outside its sector: byte_offset %I64u, size_in_bytes %I64u",
                                   patch.what.c_str(), *offset, *size),
                        MSG_FAILURE);
        return false;
    }
    const std::optional<uint64_t> start = ResolveSectorText(startText, numDiskSectors);
    if (!start) {
        engine.SendText(
            FormatWide(L"Patch [%s]: start_sector [%s] is not a sector!", patch.what.c_str(), startText.c_str()),
            MSG_FAILURE);
        return false;
    }
    patch.byteOffset = *offset;
    patch.sizeInBytes = *size;
    patch.startSector = *start;
    patch.isCrc = patch.value.find(L"CRC32") != std::wstring::npos;
    if (!patch.isCrc) {
        const std::optional<uint64_t> number = ResolveSectorText(patch.value, numDiskSectors);
        if (!number) {
            engine.SendText(
                FormatWide(L"Patch [%s]: value [%s] is not a number!", patch.what.c_str(), patch.value.c_str()),
                MSG_FAILURE);
            return false;
        }
        patch.number = *number;
    }
    return true;
}

bool ApplyDiskPatch(CQcomDownloader& engine, const CXmlDocument& patches, HANDLE disk, uint32_t numDiskSectors) {
    DiskPatch patch;
    if (!ReadDiskPatch(engine, patches, numDiskSectors, patch)) {
        return false;
    }
    uint64_t value = patch.number;
    if (patch.isCrc) {
        engine.SendText(L"parsing statement:" + patch.value, MSG_DETAIL);
        // A CRC that could not be taken fails the patch: writing a stand-in
        // value would leave a partition table with a wrong checksum.
        const std::optional<uint64_t> crc = engine.EvalCrc32Expression(disk, patch.value, numDiskSectors);
        if (!crc) {
            return false;
        }
        value = *crc;
    }
    engine.SendText(patch.what, MSG_DETAIL);

    uint8_t sector[kSectorBytes];
    if (!engine.ReadDisk(sector, disk, patch.startSector, 0, kSectorBytes)) {
        engine.SendText(L"ReadDisk Fail", MSG_FAILURE);
        return false;
    }
    // The value as a little-endian 64-bit number, its first bytes only.
    for (uint64_t index = 0; index < patch.sizeInBytes; ++index) {
        sector[patch.byteOffset + index] = static_cast<uint8_t>(value >> (8 * index));
    }
    if (!engine.WriteDisk(disk, patch.startSector, 0, sector, kSectorBytes)) {
        return false;
    }
    if (patch.isCrc) {
        engine.SendText(L"Wirte CRC Var(" + patch.value + L")Data :" + HexDump(sector, kSectorBytes), MSG_DETAIL);
    }
    return true;
}

}  // namespace

namespace DiskWriter {

bool ApplyPatchFile(CQcomDownloader& engine, HANDLE disk, uint32_t numDiskSectors, const std::wstring& folder) {
    const std::wstring name = AnsiToWide(engine.settings.patchFile);
    const PackageFileLookup patchFile = LookUpPackageFile(folder, name);
    if (patchFile.status != PackageFileLookup::FOUND) {
        engine.SendText(FormatWide(L"Can't Finded %s!", patchFile.path.c_str()), MSG_FAILURE);
        return false;
    }
    const std::wstring& path = patchFile.path;
    engine.crcSampleStep = kPatchCrcStep;
    CXmlDocument patches;
    if (!patches.Load(path)) {
        engine.SendText(FormatWide(L"Open [%s] Faile!", path.c_str()), MSG_FAILURE);
        return false;
    }
    engine.SendText(FormatWide(L"Open [%s] Success!", path.c_str()), MSG_STEP_OK);
    if (!patches.FindNextElement() || !patches.EnterElement()) {
        engine.SendText(FormatWide(L"[%s] Error", path.c_str()), MSG_FAILURE);
        return false;
    }
    while (patches.FindNextElement(L"patch")) {
        if (patches.GetAttributeValue(L"filename") != L"DISK") {
            continue;
        }
        if (!ApplyDiskPatch(engine, patches, disk, numDiskSectors)) {
            return false;
        }
    }
    return true;
}

}  // namespace DiskWriter

std::optional<uint64_t> CQcomDownloader::EvalCrc32Expression(HANDLE disk, const std::wstring& expression,
                                                             uint32_t numDiskSectors) {
    SendText(L"CRC32 function...", MSG_DETAIL);
    const std::optional<Crc32Span> span = ParseCrc32Expression(expression, numDiskSectors);
    if (!span) {
        SendText(FormatWide(L"CRC32 expression [%s] Error!", expression.c_str()), MSG_FAILURE);
        return std::nullopt;
    }
    SendText(FormatWide(L"CRC32 start sector[ %ld ] bytes for CRC[ %I64d]", static_cast<long>(span->startSector),
                        span->length),
             MSG_DETAIL);
    // The bytes lie on the disk and are read at once: a span longer than
    // the disk, or than one read can take, is no read to try (nor a buffer
    // to take).
    if (span->length > static_cast<uint64_t>(numDiskSectors) * kSectorBytes || span->length > kLongestCrcSpan) {
        SendText(FormatWide(L"CRC32 expression [%s] covers too many bytes!", expression.c_str()), MSG_FAILURE);
        return std::nullopt;
    }
    const uint64_t readBytes = RoundUpToSector(span->length);
    const ByteBuffer buffer = NewZeroedBuffer(static_cast<size_t>(readBytes));
    if (!buffer) {
        SendText(L"Can't New the memey!", MSG_FAILURE);
        return std::nullopt;
    }
    if (!ReadDisk(buffer.get(), disk, span->startSector, 0, static_cast<uint32_t>(readBytes))) {
        return std::nullopt;
    }
    SendText(expression + L"Check Data:" + HexDump(buffer.get(), static_cast<size_t>(span->length)), MSG_DETAIL);
    const uint32_t crc = Crc32(static_cast<uint32_t>(span->length), buffer.get());
    SendText(FormatWide(L"CRC32 value 0x%.8X", crc), MSG_DETAIL);
    return crc;
}
