#include <gtest/gtest.h>

#include <windows.h>

#include "SharedRecords.h"
#include "TextFormat.h"

TEST(TextFormat, FollowsTheWindowsRuntimeConventions) {
    // Wide %s, narrow %S, 64-bit %I64d and a fixed-point double, as the
    // report texts use them.
    EXPECT_EQ(FormatWide(L"%s|%S|%I64d|%6.2f", L"wide", "narrow", 1234567890123LL, 3.14159),
              L"wide|narrow|1234567890123|  3.14");
    EXPECT_EQ(FormatWide(L"%20S %6.2fMb ok", "prog.mbn", 1.5), L"            prog.mbn   1.50Mb ok");
    EXPECT_EQ(FormatNarrow("%s=%d", "count", 600), "count=600");
    // Longer than any fixed buffer a caller might have guessed.
    EXPECT_EQ(FormatWide(L"%s", std::wstring(5000, L'x').c_str()).size(), 5000u);
}

TEST(TextFormat, WideToNarrowIsBounded) {
    char buffer[8];
    EXPECT_TRUE(WideToNarrow(L"1234567", buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "1234567");
    EXPECT_FALSE(WideToNarrow(L"12345678", buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "");
    // A character the code page lacks would name another file: refused, not
    // replaced by "?".
    char path[64];
    EXPECT_TRUE(WideToNarrow(L"C:\\资源包", path, sizeof path));
    EXPECT_EQ(AnsiToWide(path), L"C:\\资源包");
    EXPECT_FALSE(WideToNarrow(L"C:\\package_ไทย", path, sizeof path));
    EXPECT_STREQ(path, "");
}

TEST(TextFormat, AnsiCodePageIsTheChineseOne) {
    // The tests run with code page 936, as on the users' machines.
    EXPECT_EQ(GetACP(), 936u);
    EXPECT_EQ(AnsiToWide(WideToAnsi(L"下载成功")), L"下载成功");
    EXPECT_EQ(WideToAnsi(L"下载").size(), 4u);
}
