// CRC-32 of IEEE 802.3 (reflected polynomial 0xEDB88320, initial value and
// final complement all ones) over every step-th byte of a buffer. Step 1 is
// the ordinary CRC-32; the disk writer checks image chunks with a sample of
// every 200th byte.
#pragma once

#include <cstddef>
#include <cstdint>

uint32_t SampledCrc32(const uint8_t* bytes, size_t length, size_t step);
