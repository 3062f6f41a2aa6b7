// The phone's software version: stripped to its model key, read from NV item
// 9002 and else over ADB (the window's comparison is tested with the window).
#include <gtest/gtest.h>

#include "FlowTestSupport.h"
#include "TextFormat.h"

namespace {

TEST(StripVersionSuffixTest, KeepsTheModelKey) {
    struct Case {
        const char* text;
        const char* key;
    };
    const Case cases[] = {
        {"AP:QX_V1.0_T01 build", "QX_V1.0"},
        {"QX_V1.0_T01", "QX_V1.0"},
        {"junk AP:Model_CMCC_T2 x y", "Model"},  // after the first "AP:", first blank
        {"AP:AP:Model", "AP:Model"},             // only the first "AP:" goes
        {"Model_T1_T2", "Model_T1"},             // the last "_T" is cut
        {"Model_platform", "Model"},
        {"Model_TASTE", "Model"},
        {"_T01", "_T01"},  // never at the first character
        {"_NAVIa_CTAb", "_NAVIa"},
        {"Model\tx_T1", "Model\tx"},  // only blanks end the text
        {"", ""},
        {"AP:", ""},
        // "_CTA" is cut before "_NAVI" (the package's own key is cut the other
        // way round and would give "A").
        {"A_CTA_NAVI_CTA", "A_CTA"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.key, StripVersionSuffixA(c.text)) << c.text;
    }
}

class VersionCheckTest : public FlowTest {
protected:
    // The Sahara sample asks for the version check; its model key is
    // "SampleSH8x26".
    void SetUp() override {
        FlowTest::SetUp();
        PreparePackage(CopyPackage(L"SampleSH8x26"));
        ASSERT_NE(0, config_->checkPhoneVar);
    }
};

TEST_F(VersionCheckTest, NvVersionOfTheRightPhoneIsAccepted) {
    PlugPhone(SimPhoneMode::Normal);
    ASSERT_EQ(1, ConnectPhone());
    EXPECT_EQ("SampleSH8x26", phoneVersion_);
    ExpectInOrder({{MSG_DETAIL, L"Phone AP:AP:SampleSH8x26_T01 build"}, {MSG_DETAIL, L"Phone Name:SampleSH8x26"}});
    EXPECT_EQ(1u, CountJournalStarting("QLIB_DIAG_NV_READ_F 9002"));
    EXPECT_EQ(0u, CountJournalStarting("AdbCreateInterfaceByName"));
}

TEST_F(VersionCheckTest, AnotherModelsKeyIsRead) {
    PlugPhone(SimPhoneMode::Normal);
    ASSERT_TRUE(Phone().SetVersion("AP:SampleAuto8974_CMCC V2 build"));
    ASSERT_EQ(1, ConnectPhone());
    EXPECT_EQ("SampleAuto8974", phoneVersion_);
}

TEST_F(VersionCheckTest, AModelKeyInAnotherCaseIsKeptAsThePhoneSentIt) {
    PlugPhone(SimPhoneMode::Normal);
    ASSERT_TRUE(Phone().SetVersion("AP:SAMPLESH8X26_T05"));
    ASSERT_EQ(1, ConnectPhone());
    EXPECT_EQ("SAMPLESH8X26", phoneVersion_);
}

TEST_F(VersionCheckTest, WithoutAnNvVersionTheAdbPropertyIsRead) {
    ASSERT_TRUE(Phone().AddFault(SimPhoneFault::NvBlank));
    PlugPhone(SimPhoneMode::Normal);
    ASSERT_EQ(1, ConnectPhone());
    EXPECT_EQ("SampleSH8x26", phoneVersion_);
    // Ten reads answered without a version, then the property.
    EXPECT_EQ(10u, CountJournalStarting("QLIB_DIAG_NV_READ_F 9002"));
    EXPECT_EQ(1u, CountJournalStarting("adb OPEN 2 shell:getprop ro.qx.qxznvernumber"));
    EXPECT_TRUE(HasText(MSG_DETAIL, L"Phone AP:AP:SampleSH8x26_T01 build\n"));
    // The phone answered all along.
    EXPECT_FALSE(HasText(MSG_FAILURE, L"Connect to Phone Error!"));
}

TEST_F(VersionCheckTest, AnAdbVersionWithoutTheTestMarkIsUnreadable) {
    ASSERT_TRUE(Phone().AddFault(SimPhoneFault::NvBlank));
    PlugPhone(SimPhoneMode::Normal);
    ASSERT_TRUE(Phone().SetVersion("AP:SampleSH8x26 build"));
    EXPECT_EQ(0, ConnectPhone());
    EXPECT_EQ("", phoneVersion_);
    EXPECT_EQ(std::vector<std::wstring>{L"ADB GetAPSWVersion  Fail!"}, recorder_.Texts(MSG_FAILURE));
}

TEST_F(VersionCheckTest, APhoneThatDoesNotAnswer) {
    ASSERT_TRUE(Phone().AddFault(SimPhoneFault::AdbOff));
    PlugPhone(SimPhoneMode::Normal);
    ASSERT_EQ(1, engine_->SearchDevices());
    ASSERT_EQ(1, engine_->ConnectPhone());
    ASSERT_TRUE(Phone().AddFault(SimPhoneFault::Timeout));
    std::string version = "stale";
    EXPECT_EQ(0, engine_->CheckPhoneVersion(version));
    EXPECT_EQ("", version);
    EXPECT_EQ((std::vector<std::wstring>{L"Connect to Phone Error!", L"Get ADB Devices Name Failed!",
                                         L"ADB GetAPSWVersion  Fail!"}),
              recorder_.Texts(MSG_FAILURE));
    // No NV read is tried while the phone does not answer.
    EXPECT_EQ(0u, CountJournalStarting("QLIB_DIAG_NV_READ_F"));
}

TEST_F(VersionCheckTest, OutsideNormalModeTheCheckIsSkipped) {
    PlugPhone(SimPhoneMode::Download);
    ASSERT_EQ(1, ConnectPhone());
    EXPECT_EQ("", phoneVersion_);
    EXPECT_TRUE(HasText(MSG_DETAIL, L"PHONE_Type no Normal Skip!"));
    EXPECT_EQ(0u, CountJournalStarting("QLIB_DIAG_NV_READ_F"));
}

// The phone decides the NV text's length: one that fills the item comes
// without a terminator and must neither overrun nor pass the owner's buffer.
TEST_F(VersionCheckTest, AnNvVersionFillingTheItemIsBounded) {
    PlugPhone(SimPhoneMode::Normal);
    ASSERT_TRUE(Phone().SetVersion(std::string(300, 'v')));
    ASSERT_EQ(1, ConnectPhone());
    EXPECT_EQ(std::string(kPhoneVersionChars, 'v'), phoneVersion_);
    EXPECT_TRUE(HasText(MSG_DETAIL, L"Phone AP:" + std::wstring(kNvVersionBytes, L'v')));

    std::string raw;
    ASSERT_EQ(1, engine_->ReadNvVersion(raw));
    EXPECT_EQ(std::string(kNvVersionBytes, 'v'), raw);
}

}  // namespace
