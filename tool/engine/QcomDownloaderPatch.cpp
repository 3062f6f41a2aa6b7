// The patch list of the eMMC writer: after the images, single sectors of the
// disk are read, patched with numbers or CRCs of disk bytes, and written
// back.
#include "QcomDownloader.h"

#include <algorithm>
#include <new>

#include "DiskPackagePlan.h"
#include "DiskWriterShared.h"
#include "SectorExpression.h"
#include "TextFormat.h"

using namespace DiskWriter;

namespace {

// The status texts and the log show this many bytes of a hex dump: enough
// to recognise a header, never megabytes of text.
constexpr size_t kHexDumpBytes = 32;

// A zeroed buffer, or none when the memory is not there.
ByteBuffer NewZeroedBuffer(size_t bytes) { return ByteBuffer(new (std::nothrow) uint8_t[bytes]()); }

// Each byte as two hex digits and a blank, sixteen to a line; the lines
// after the first are indented by five blanks. Past kHexDumpBytes only the
// count of bytes is given.
std::wstring HexDump(const uint8_t* bytes, size_t count) {
    static const wchar_t kDigits[] = L"0123456789ABCDEF";
    constexpr size_t kBytesPerLine = 16;
    const size_t shown = std::min(count, kHexDumpBytes);
    std::wstring text;
    text.reserve(shown * 3 + shown / kBytesPerLine * 6 + 32);
    for (size_t index = 0; index < shown; ++index) {
        if (index > 0 && index % kBytesPerLine == 0) {
            text += L"\n     ";
        }
        text += kDigits[bytes[index] >> 4];
        text += kDigits[bytes[index] & 0x0F];
        text += L' ';
    }
    if (shown < count) {
        text += FormatWide(L"... (%I64u bytes)", static_cast<uint64_t>(count));
    }
    return text;
}

}  // namespace

namespace DiskWriter {

bool ApplyDiskPatch(CQcomDownloader& engine, const PlannedPatch& patch, HANDLE disk, uint32_t numDiskSectors) {
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
    // the disk, or than any partition table needs, is no read to try (nor a
    // buffer to take).
    if (span->length > static_cast<uint64_t>(numDiskSectors) * kSectorBytes ||
        span->length > CDiskPackagePlan::kLongestCrcSpan) {
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
