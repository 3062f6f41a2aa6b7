// CComPort and the engine's serial reset without a serial line. Wine opens
// "\\.\COMn" as the prefix's dosdevices/comn, whatever that is: nothing there
// is a port that does not exist, and a plain file there stands for a port
// with no line settings. Wine enforces exclusive opens on files (not on
// terminals), so a file port also shows that the port is opened unshared.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "ComPort.h"
#include "EngineTestSupport.h"

namespace {

constexpr int32_t kMissingPort = 250;
constexpr int32_t kFilePort = 42;
constexpr int32_t kOtherFilePort = 43;
// What the hundred tries of a reset would pause at least: a port that is
// refused at once ends far sooner, however loaded the machine.
constexpr ULONGLONG kAllResetPausesMs = static_cast<ULONGLONG>(CComPort::kResetTries - 1) * CComPort::kResetPauseMs;

std::wstring DosDevicePath(int32_t port) {
    wchar_t prefix[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableW(L"WINEPREFIX", prefix, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return std::wstring();
    }
    std::wstring path = std::wstring(L"Z:") + prefix + L"\\dosdevices\\com" + std::to_wstring(port);
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

// A second opener of a port's file; held open while the object lives.
class PortHolder {
public:
    explicit PortHolder(int32_t port, DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE)
        : handle_(CreateFileW(DosDevicePath(port).c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr)),
          error_(GetLastError()) {}
    bool Held() const { return handle_.IsSet(); }
    DWORD Error() const { return error_; }

private:
    CScopedHandle handle_;
    DWORD error_;
};

std::string ReadWhole(int32_t port) {
    HANDLE file = CreateFileW(DosDevicePath(port).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return "<unreadable>";
    }
    std::string bytes(4096, '\0');
    DWORD got = 0;
    ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &got, nullptr);
    CloseHandle(file);
    bytes.resize(got);
    return bytes;
}

// Command 7 (reset), length 8, both 32-bit little-endian.
const std::string kResetBytes("\x07\0\0\0\x08\0\0\0", 8);

TEST(ComPortMissingTest, OpenFailsWithTheSystemErrorAndStaysClosed) {
    for (int32_t port : {kMissingPort, 0, -1}) {
        SCOPED_TRACE(port);
        CComPort com;
        SetLastError(0);
        EXPECT_FALSE(com.Open(port));
        EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
        EXPECT_FALSE(com.IsOpen());
        EXPECT_EQ(-1, com.PortNumber());
    }
}

TEST(ComPortMissingTest, ClosedPortRefusesEveryTransferAtOnce) {
    CComPort com;
    ASSERT_FALSE(com.Open(kMissingPort));
    uint8_t buffer[CComPort::kQueueBytes] = {};
    const ULONGLONG start = GetTickCount64();
    EXPECT_FALSE(com.Write(sizeof(kSaharaResetPacket), kSaharaResetPacket));
    EXPECT_EQ(0u, com.Read(0, buffer));
    // No 100 tries on a port that is not there.
    EXPECT_FALSE(com.SendSaharaReset());
    EXPECT_LT(GetTickCount64() - start, kAllResetPausesMs);
}

TEST(ComPortMissingTest, EngineResetFailsAtOnceWithoutReports) {
    ReportRecorder recorder;
    auto engine = MakeEngine();
    engine->comPort = kMissingPort;
    const ULONGLONG start = GetTickCount64();
    EXPECT_EQ(0, engine->SendSaharaReset());
    EXPECT_LT(GetTickCount64() - start, kAllResetPausesMs);
    // The caller reports the failed reboot; the serial part says nothing.
    EXPECT_EQ(0u, recorder.Count());
}

class FilePortTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (int32_t port : {kFilePort, kOtherFilePort}) {
            const std::wstring path = DosDevicePath(port);
            ASSERT_FALSE(path.empty()) << "WINEPREFIX is not set";
            ASSERT_TRUE(WriteBytes(path, std::string()));
        }
    }
    void TearDown() override {
        DeleteFileW(DosDevicePath(kFilePort).c_str());
        DeleteFileW(DosDevicePath(kOtherFilePort).c_str());
    }
};

TEST_F(FilePortTest, OpensUnsharedAndReleasesOnClose) {
    CComPort com;
    ASSERT_TRUE(com.Open(kFilePort));
    EXPECT_TRUE(com.IsOpen());
    EXPECT_EQ(kFilePort, com.PortNumber());
    {
        PortHolder other(kFilePort);
        EXPECT_FALSE(other.Held());
        EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), other.Error());
    }
    com.Close();
    EXPECT_FALSE(com.IsOpen());
    EXPECT_EQ(-1, com.PortNumber());
    EXPECT_TRUE(PortHolder(kFilePort).Held());
}

// The reset then fails at once: no tries on a port someone else holds.
TEST_F(FilePortTest, PortHeldByAnotherOpenerCannotBeOpened) {
    ReportRecorder recorder;
    PortHolder holder(kFilePort);
    ASSERT_TRUE(holder.Held());
    CComPort com;
    SetLastError(0);
    EXPECT_FALSE(com.Open(kFilePort));
    EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), GetLastError());
    EXPECT_EQ(-1, com.PortNumber());

    auto engine = MakeEngine();
    engine->comPort = kFilePort;
    const ULONGLONG start = GetTickCount64();
    EXPECT_EQ(0, engine->SendSaharaReset());
    EXPECT_LT(GetTickCount64() - start, kAllResetPausesMs);
    EXPECT_EQ("", ReadWhole(kFilePort));
    EXPECT_EQ(0u, recorder.Count());
}

TEST_F(FilePortTest, OpeningAgainClosesThePortOpenBefore) {
    CComPort com;
    ASSERT_TRUE(com.Open(kFilePort));
    ASSERT_TRUE(com.Open(kOtherFilePort));
    EXPECT_EQ(kOtherFilePort, com.PortNumber());
    EXPECT_TRUE(PortHolder(kFilePort).Held());
    EXPECT_FALSE(PortHolder(kOtherFilePort).Held());
    // The same port again: closed first, so the exclusive open succeeds.
    EXPECT_TRUE(com.Open(kOtherFilePort));
    EXPECT_EQ(kOtherFilePort, com.PortNumber());
    // A failed open leaves the port closed, not the earlier one open.
    EXPECT_FALSE(com.Open(kMissingPort));
    EXPECT_FALSE(com.IsOpen());
    EXPECT_EQ(-1, com.PortNumber());
    EXPECT_TRUE(PortHolder(kOtherFilePort).Held());
}

TEST_F(FilePortTest, SendSaharaResetWritesTheEightBytePacket) {
    CComPort com;
    ASSERT_TRUE(com.Open(kFilePort));
    EXPECT_TRUE(com.SendSaharaReset());
    com.Close();
    EXPECT_EQ(kResetBytes, ReadWhole(kFilePort));
}

TEST_F(FilePortTest, ReadTakesNothingWhenTheQueueCannotBeMeasured) {
    ASSERT_TRUE(WriteBytes(DosDevicePath(kFilePort), "answer"));
    CComPort com;
    ASSERT_TRUE(com.Open(kFilePort));
    uint8_t buffer[CComPort::kQueueBytes];
    std::fill(std::begin(buffer), std::end(buffer), 0xee);
    EXPECT_EQ(0u, com.Read(0, buffer));
    EXPECT_EQ(0xee, buffer[0]);
}

TEST_F(FilePortTest, EngineResetSendsThePacketAndClosesThePort) {
    ReportRecorder recorder;
    auto engine = MakeEngine();
    engine->comPort = kFilePort;
    EXPECT_EQ(1, engine->SendSaharaReset());
    EXPECT_EQ(kResetBytes, ReadWhole(kFilePort));
    PortHolder after(kFilePort, 0);
    EXPECT_TRUE(after.Held()) << "the port stayed open, error " << after.Error();
    EXPECT_EQ(0u, recorder.Count());
}

}  // namespace
