#include "SampledCrc32.h"

#include <array>
#include <cstring>

namespace {

constexpr uint32_t kReflectedPolynomial = 0xEDB88320u;
constexpr size_t kSlices = 8;

using CrcTables = std::array<std::array<uint32_t, 256>, kSlices>;

// Table 0 is the classic byte-at-a-time table; table k advances a byte
// through k more zero bytes, so eight bytes can be folded in at once.
constexpr CrcTables MakeCrcTables() {
    CrcTables tables{};
    for (uint32_t index = 0; index < 256; ++index) {
        uint32_t value = index;
        for (int bit = 0; bit < 8; ++bit) {
            value = (value & 1u) != 0 ? (value >> 1) ^ kReflectedPolynomial : value >> 1;
        }
        tables[0][index] = value;
    }
    for (size_t slice = 1; slice < kSlices; ++slice) {
        for (uint32_t index = 0; index < 256; ++index) {
            const uint32_t previous = tables[slice - 1][index];
            tables[slice][index] = (previous >> 8) ^ tables[0][previous & 0xFFu];
        }
    }
    return tables;
}

constexpr CrcTables kTables = MakeCrcTables();

// Continues a CRC (without its final complement) over contiguous bytes.
uint32_t Update(uint32_t crc, const uint8_t* bytes, size_t length) {
    while (length >= kSlices) {
        uint32_t low = 0;
        uint32_t high = 0;
        std::memcpy(&low, bytes, 4);  // little-endian, as on every Windows target
        std::memcpy(&high, bytes + 4, 4);
        low ^= crc;
        crc = kTables[7][low & 0xFFu] ^ kTables[6][(low >> 8) & 0xFFu] ^ kTables[5][(low >> 16) & 0xFFu] ^
              kTables[4][low >> 24] ^ kTables[3][high & 0xFFu] ^ kTables[2][(high >> 8) & 0xFFu] ^
              kTables[1][(high >> 16) & 0xFFu] ^ kTables[0][high >> 24];
        bytes += kSlices;
        length -= kSlices;
    }
    for (; length > 0; --length, ++bytes) {
        crc = kTables[0][(crc ^ *bytes) & 0xFFu] ^ (crc >> 8);
    }
    return crc;
}

}  // namespace

uint32_t SampledCrc32(const uint8_t* bytes, size_t length, size_t step) {
    // A step of 0 would never advance: it counts as every byte.
    if (step <= 1) {
        return ~Update(0xFFFFFFFFu, bytes, length);
    }
    // The samples are gathered into a small block first: the loads are
    // independent of each other, so the CPU overlaps their cache misses, and
    // the block is then folded eight bytes at a time.
    constexpr size_t kBlock = 1024;
    uint8_t block[kBlock];
    uint32_t crc = 0xFFFFFFFFu;
    const size_t samples = (length + step - 1) / step;
    size_t position = 0;
    for (size_t done = 0; done < samples;) {
        const size_t count = samples - done < kBlock ? samples - done : kBlock;
        for (size_t index = 0; index < count; ++index, position += step) {
            block[index] = bytes[position];
        }
        crc = Update(crc, block, count);
        done += count;
    }
    return ~crc;
}
