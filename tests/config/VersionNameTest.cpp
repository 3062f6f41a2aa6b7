#include <gtest/gtest.h>

#include "ConfigTestSupport.h"
#include "IniFile.h"
#include "VersionName.h"

using namespace configtest;

TEST(VersionName, KeepsTheModelKeyOfAReleaseName) {
    EXPECT_EQ(StripVersionText(L"AP:QX8974A_CMCC V1.02 build 7"), L"QX8974A");
    EXPECT_EQ(StripVersionText(L"BP:x AP:QX8974A_NAVI"), L"QX8974A");
    EXPECT_EQ(StripVersionText(L"QX8974A V1.02"), L"QX8974A");
    EXPECT_EQ(StripVersionText(L"QX8974A_T03"), L"QX8974A");
    EXPECT_EQ(StripVersionText(L"QX8974A_platform"), L"QX8974A");
    EXPECT_EQ(StripVersionText(L"QX8974A_CTA"), L"QX8974A");
}

TEST(VersionName, TextWithoutDecorationsStaysWhole) {
    EXPECT_EQ(StripVersionText(L"SAMPLE8974"), L"SAMPLE8974");
    EXPECT_EQ(StripVersionText(L""), L"");
    EXPECT_EQ(StripVersionText(L"AP:"), L"");
    // The searches are case-sensitive.
    EXPECT_EQ(StripVersionText(L"QX8974_cmcc_t1"), L"QX8974_cmcc_t1");
}

TEST(VersionName, OnlyTheFirstApPrefixAndTheFirstBlankCount) {
    EXPECT_EQ(StripVersionText(L"AP:AP:Q1"), L"AP:Q1");
    EXPECT_EQ(StripVersionText(L" leading blank"), L"");
    EXPECT_EQ(StripVersionText(L"AP:Q1\tX Y"), L"Q1\tX");
}

TEST(VersionName, SuffixesAreCutInTheirOrderAtTheirLastOccurrence) {
    // "_T" comes first, so "_TASTE" is cut as "_T".
    EXPECT_EQ(StripVersionText(L"Q1_TASTE"), L"Q1");
    EXPECT_EQ(StripVersionText(L"Q1_CTA_B_CTA"), L"Q1_CTA_B");
    // "_CMCC" is cut before "_NAVI" is looked for, and "_NAVI" after it.
    EXPECT_EQ(StripVersionText(L"Q1_NAVI_CMCC"), L"Q1");
    EXPECT_EQ(StripVersionText(L"Q1_CMCC_NAVI"), L"Q1");
    EXPECT_EQ(StripVersionText(L"Q1_platform_CMCC_T2"), L"Q1");
    // "_NAVI" before "_CTA" (the phone's version is cut the other way round
    // and gives "A_CTA").
    EXPECT_EQ(StripVersionText(L"A_CTA_NAVI_CTA"), L"A");
}

TEST(VersionName, NeverCutsAtTheFirstCharacter) {
    EXPECT_EQ(StripVersionText(L"_T"), L"_T");
    EXPECT_EQ(StripVersionText(L"_CMCC"), L"_CMCC");
    EXPECT_EQ(StripVersionText(L"_CMCC9"), L"_CMCC9");
    EXPECT_EQ(StripVersionText(L"A_T"), L"A");
    EXPECT_EQ(StripVersionText(L"_platformX_platform"), L"_platformX");
}

TEST(IniFile, RefusesMissingFilesAndFolders) {
    ScratchFolder scratch;
    CINIFile ini;
    EXPECT_FALSE(ini.SetFile(scratch.Child(L"missing.ini")));
    EXPECT_FALSE(ini.SetFile(scratch.Path()));
    EXPECT_EQ(ini.GetString(L"product_info", L"VER"), L"");
    WriteFile(scratch.Child(L"a.ini"), "[product_info]\r\nVER=X1\r\n");
    EXPECT_TRUE(ini.SetFile(scratch.Child(L"a.ini")));
}

TEST(IniFile, ReadsTheValueOrEmptyAndCutsLongValues) {
    ScratchFolder scratch;
    const std::wstring path = scratch.Child(L"Quorel_info.ini");
    WriteFile(path,
              "[other]\r\nVER=wrong\r\n[product_info]\r\nVER=AP:Q1_CMCC V2\r\nLONG=" + std::string(400, 'v') + "\r\n");
    CINIFile ini;
    ASSERT_TRUE(ini.SetFile(path));
    EXPECT_EQ(ini.GetString(L"product_info", L"VER"), L"AP:Q1_CMCC V2");
    EXPECT_EQ(ini.GetString(L"product_info", L"NONE"), L"");
    EXPECT_EQ(ini.GetString(L"missing_section", L"VER"), L"");
    EXPECT_EQ(ini.GetString(L"product_info", L"LONG"), std::wstring(259, L'v'));
}
