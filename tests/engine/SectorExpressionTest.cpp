// The number texts of the partition and patch lists, and the sampled CRC.
#include <gtest/gtest.h>

#include "DiskTestSupport.h"
#include "SampledCrc32.h"
#include "SectorExpression.h"

namespace {

constexpr uint32_t kDiskSectors = 8192;

TEST(SectorExpressionTest, TrimsTheExpressionCharactersAtBothEnds) {
    EXPECT_EQ(L"33", TrimSectorExpression(L"NUM_DISK_SECTORS-33."));
    EXPECT_EQ(L"1", TrimSectorExpression(L"NUM_DISK_SECTORS-1."));
    EXPECT_EQ(L"12", TrimSectorExpression(L"12"));
    EXPECT_EQ(L"", TrimSectorExpression(L"NUM_DISK_SECTORS-."));
    EXPECT_EQ(L"", TrimSectorExpression(L""));
    // Only the ends: characters of the set inside the text stay.
    EXPECT_EQ(L"3.3", TrimSectorExpression(L"-3.3-"));
    EXPECT_EQ(L"32(NUM_DISK_SECTORS-1.,92)", TrimSectorExpression(L"CRC32(NUM_DISK_SECTORS-1.,92)"));
    EXPECT_EQ(L"a b", TrimSectorExpression(L"a b"));
}

TEST(SectorExpressionTest, ReadsOnlyPlainDecimalsAsNumbers) {
    EXPECT_EQ(0u, ParseDecimal(L"0"));
    EXPECT_EQ(34u, ParseDecimal(L"34"));
    EXPECT_EQ(18446744073709551615u, ParseDecimal(L"18446744073709551615"));
    for (const wchar_t* bad :
         {L"", L"18446744073709551616", L"-1", L"+1", L" 1", L"1 ", L"1.", L"0x10", L"abc", L"12abc"}) {
        EXPECT_FALSE(ParseDecimal(bad).has_value()) << NarrowPath(bad);
    }
}

TEST(SectorExpressionTest, ResolvesSectorsCountedFromTheEnd) {
    EXPECT_EQ(8159u, ResolveSectorText(L"NUM_DISK_SECTORS-33.", kDiskSectors));
    EXPECT_EQ(0u, ResolveSectorText(L"NUM_DISK_SECTORS-8192.", kDiskSectors));
    EXPECT_EQ(8192u, ResolveSectorText(L"NUM_DISK_SECTORS-0.", kDiskSectors));
    EXPECT_EQ(77u, ResolveSectorText(L"77", kDiskSectors));
    EXPECT_FALSE(ResolveSectorText(L"NUM_DISK_SECTORS-8193.", kDiskSectors).has_value());
    EXPECT_FALSE(ResolveSectorText(L"NUM_DISK_SECTORS+3.", kDiskSectors).has_value());
    EXPECT_FALSE(ResolveSectorText(L"NUM_DISK_SECTORS", kDiskSectors).has_value());
    EXPECT_FALSE(ResolveSectorText(L"sector 5", kDiskSectors).has_value());
}

TEST(SectorExpressionTest, ParsesCrcExpressions) {
    struct Case {
        const wchar_t* expression;
        uint64_t start;
        uint64_t length;
    };
    const Case good[] = {
        {L"CRC32(2,4096)", 2, 4096},
        {L"CRC32(1,92)", 1, 92},
        {L"CRC32(NUM_DISK_SECTORS-1.,92)", 8191, 92},
        {L"CRC32(NUM_DISK_SECTORS-33.,4096)", 8159, 4096},
        {L"value-x. CRC32(NUM_DISK_SECTORS-1.,92)", 8191, 92},
        {L"CRC32(0,0)", 0, 0},
    };
    for (const Case& c : good) {
        SCOPED_TRACE(NarrowPath(c.expression));
        const std::optional<Crc32Span> span = ParseCrc32Expression(c.expression, kDiskSectors);
        ASSERT_TRUE(span.has_value());
        EXPECT_EQ(c.start, span->startSector);
        EXPECT_EQ(c.length, span->length);
    }
    for (const wchar_t* bad :
         {L"CRC32", L"CRC32(2 4096)", L"CRC32(2,4096", L"CRC32 (2,4096)", L"CRC32(,4096)", L"CRC32(2,)", L"CRC32(x,92)",
          L"CRC32(2,-1)", L"CRC32(NUM_DISK_SECTORS-9000.,92)", L"crc32(2,4096)"}) {
        EXPECT_FALSE(ParseCrc32Expression(bad, kDiskSectors).has_value()) << NarrowPath(bad);
    }
}

TEST(SampledCrc32Test, StepOneIsTheOrdinaryCrc32) {
    EXPECT_EQ(0xCBF43926u, SampledCrc32(reinterpret_cast<const uint8_t*>("123456789"), 9, 1));
    EXPECT_EQ(0u, SampledCrc32(nullptr, 0, 1));
    for (size_t size : {1u, 511u, 4096u, 100000u}) {
        const std::string bytes = PatternBytes(size, static_cast<uint32_t>(size));
        EXPECT_EQ(ReferenceCrc32(bytes), SampledCrc32(reinterpret_cast<const uint8_t*>(bytes.data()), size, 1));
    }
}

TEST(SampledCrc32Test, ALargerStepTakesEveryStepThByteFromTheFirst) {
    const std::string bytes = PatternBytes(1001, 7);
    for (size_t step : {2u, 200u, 1000u, 1001u, 5000u}) {
        std::string sample;
        for (size_t at = 0; at < bytes.size(); at += step) {
            sample += bytes[at];
        }
        EXPECT_EQ(ReferenceCrc32(sample),
                  SampledCrc32(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), step))
            << step;
    }
    // A step of 0 takes every byte instead of never moving on.
    EXPECT_EQ(ReferenceCrc32(bytes), SampledCrc32(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), 0));
}

}  // namespace
