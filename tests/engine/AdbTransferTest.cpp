// The USB transfer layer (usb_write, usb_read, usb_close) on a fastboot
// connection to the Android USB stand-in.
#include <gtest/gtest.h>

#include <cstring>

#include "AdbTestSupport.h"
#include "FastBootComm.h"

namespace {

class AdbTransferTest : public AdbPhoneTest {
protected:
    void SetUp() override {
        AdbPhoneTest::SetUp();
        ASSERT_TRUE(Phone().SetMode(SimPhoneMode::Fastboot));
        ASSERT_EQ(1, connection_.Open(FastbootPath()));
        ASSERT_TRUE(Phone().ClearJournal());
        debug_.Clear();
    }

    // A command whose 4-byte answer then waits to be read.
    void SendErase() { ASSERT_EQ(1, usb_write(connection_, "erase:sbl1", 10)); }

    CFastBootComm connection_;
};

TEST_F(AdbTransferTest, WriteIsOneTransferTimedByItsLength) {
    SendErase();
    // 10 bytes: 10 * 8 + 500 ms; nothing follows the write, not even an
    // empty packet.
    EXPECT_EQ(std::vector<std::string>{"AdbWriteEndpointSync 10 580"}, JournalStarting("AdbWriteEndpointSync"));
    EXPECT_EQ(1u, CountJournal("fastboot erase:sbl1"));
    EXPECT_EQ(1u, debug_.Containing(DebugLinePrefix(L"AdbBasic", 82)).size());
    EXPECT_EQ(1u, debug_.Containing(L"usb_write 10").size());
    EXPECT_TRUE(debug_.Containing(L"usb_write failed").empty());
}

TEST_F(AdbTransferTest, ReadAsksAtMost4096BytesAndKeepsTheRestOfTheBuffer) {
    SendErase();
    char answer[5000];
    std::memset(answer, 'x', sizeof(answer));
    ASSERT_EQ(1, usb_read(connection_, answer, 5000));
    EXPECT_EQ(0, std::memcmp(answer, "OKAY", 4));
    EXPECT_EQ('x', answer[4]);
    // The time-out follows the length asked for.
    EXPECT_EQ(std::vector<std::string>{"AdbReadEndpointSync 4096 40500"}, JournalStarting("AdbReadEndpointSync"));
    EXPECT_EQ(1u, debug_.Containing(L"usb_read 5000").size());
    EXPECT_EQ(1u, debug_.Containing(L"usb_write got: 4, expected: 4096, errno: ").size());
}

TEST_F(AdbTransferTest, ReadTimeOutsAreTriedTenTimes) {
    SendErase();
    ASSERT_TRUE(Phone().AddFault(SimPhoneFault::AdbReadTimeout));
    char answer[4] = {};
    EXPECT_EQ(0, usb_read(connection_, answer, 4));
    EXPECT_EQ(10u, CountJournal("AdbReadEndpointSync 4 532"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_SEM_TIMEOUT), connection_.errorNumber);
    EXPECT_EQ(10u, debug_.Containing(DebugLinePrefix(L"AdbBasic", 129)).size());
    EXPECT_EQ(10u, debug_.Containing(DebugLinePrefix(L"AdbBasic", 148)).size());
    EXPECT_EQ(1u, debug_.Containing(L"usb_read failed: 121").size());
    EXPECT_TRUE(debug_.Containing(L"usb_read errot").empty());

    // The answer was never taken: it is there once the phone answers again.
    ASSERT_TRUE(Phone().ClearFaults());
    EXPECT_EQ(1, usb_read(connection_, answer, 4));
    EXPECT_EQ(0, std::memcmp(answer, "OKAY", 4));
}

TEST_F(AdbTransferTest, OtherReadErrorsEndAtOnce) {
    ASSERT_TRUE(Phone().SetMode(SimPhoneMode::Off));
    ASSERT_TRUE(Phone().ClearJournal());
    char answer[4] = {};
    EXPECT_EQ(0, usb_read(connection_, answer, 4));
    EXPECT_EQ(1u, CountJournalStarting("AdbReadEndpointSync"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_DEVICE_NOT_CONNECTED), connection_.errorNumber);
    const std::vector<std::wstring> errors = debug_.Containing(L"usb_read errot");
    ASSERT_EQ(1u, errors.size());
    EXPECT_EQ(0u, errors[0].find(DebugLinePrefix(L"AdbBasic", 160) + L"1167. usb_read errot"));
    EXPECT_EQ(1u, debug_.Containing(L"usb_read failed: 1167").size());
}

TEST_F(AdbTransferTest, AnAnswerSentBeforeThePhoneLeftCanStillBeRead) {
    SendErase();
    ASSERT_TRUE(Phone().SetMode(SimPhoneMode::Off));
    char answer[4] = {};
    EXPECT_EQ(1, usb_read(connection_, answer, 4));
    EXPECT_EQ(0, std::memcmp(answer, "OKAY", 4));
    EXPECT_EQ(0, usb_read(connection_, answer, 4));
}

TEST_F(AdbTransferTest, WriteToAGonePhoneFailsWithItsError) {
    ASSERT_TRUE(Phone().SetMode(SimPhoneMode::Off));
    EXPECT_EQ(0, usb_write(connection_, "reboot", 6));
    EXPECT_EQ(static_cast<DWORD>(ERROR_DEVICE_NOT_CONNECTED), connection_.errorNumber);
    const std::vector<std::wstring> failed = debug_.Containing(L"usb_write failed");
    ASSERT_EQ(1u, failed.size());
    EXPECT_EQ(DebugLinePrefix(L"AdbBasic", 116) + L"1167. usb_write failed: 1167", failed[0]);
}

TEST_F(AdbTransferTest, BadArgumentsReachNoTransfer) {
    char buffer[8] = {};
    EXPECT_EQ(0, usb_write(connection_, buffer, -1));
    EXPECT_EQ(0, usb_write(connection_, nullptr, 4));
    EXPECT_EQ(0, usb_read(connection_, buffer, -5));
    EXPECT_EQ(0, usb_read(connection_, nullptr, 4));
    EXPECT_EQ(0u, CountJournalStarting("AdbWriteEndpointSync"));
    EXPECT_EQ(0u, CountJournalStarting("AdbReadEndpointSync"));
}

TEST_F(AdbTransferTest, CloseClosesWriteReadAndInterfaceOnce) {
    usb_close(connection_);
    EXPECT_EQ((std::vector<std::string>{"AdbCloseHandle write", "AdbCloseHandle read", "AdbCloseHandle interface"}),
              JournalStarting("AdbCloseHandle"));
    EXPECT_EQ(nullptr, connection_.writeEndpoint);
    EXPECT_EQ(nullptr, connection_.readEndpoint);
    EXPECT_EQ(nullptr, connection_.adbInterface);
    EXPECT_EQ(1u, debug_.Containing(DebugLinePrefix(L"AdbBasic", 174)).size());

    // Nothing is left to close a second time; transfers on it fail.
    usb_close(connection_);
    EXPECT_EQ(3u, CountJournalStarting("AdbCloseHandle"));
    EXPECT_EQ(0, usb_write(connection_, "reboot", 6));
}

TEST_F(AdbTransferTest, ClosingAtTheEndOfScope) {
    {
        CFastBootComm second;
        ASSERT_EQ(1, second.Open(FastbootPath()));
    }
    EXPECT_EQ((std::vector<std::string>{"AdbCloseHandle write", "AdbCloseHandle read", "AdbCloseHandle interface"}),
              JournalStarting("AdbCloseHandle"));
}

TEST(AdbHeaderTest, HeadersCarryTheirCheckAndMagic) {
    EXPECT_EQ(0x4E584E43u, AdbCommandWord("CNXN"));
    EXPECT_EQ(562u, AdbDataCheck("host::", 7));
    const AdbMessageHeader header = MakeAdbHeader(AdbCommandWord("OPEN"), 2, 0, 5, 99);
    EXPECT_EQ(0, std::memcmp(&header.command, "OPEN", 4));
    EXPECT_EQ(AdbCommandWord("OPEN") ^ 0xFFFFFFFFu, header.magic);
    EXPECT_EQ(2u, header.arg0);
    EXPECT_EQ(5u, header.dataLength);
    EXPECT_EQ(99u, header.dataCheck);
    // Bytes count as unsigned in the sum.
    const unsigned char high[2] = {0xFF, 0x80};
    EXPECT_EQ(0x17Fu, AdbDataCheck(high, 2));
}

}  // namespace
