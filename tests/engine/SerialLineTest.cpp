// CComPort and the engine's serial reset on a real serial line. Wine programs
// cannot create terminals, so tests/engine/serial_reset_test.sh joins two
// ports with socat around this program and names them in the environment:
// TAVIK_SERIAL_TOOL_PORT (the port the engine opens: the phone's loader port),
// TAVIK_SERIAL_PHONE_PORT (the phone's end) and TAVIK_SERIAL_FULL_PORT (a port
// on which every write fails). Run without them, these tests are skipped.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "ComPort.h"
#include "EngineTestSupport.h"
#include "SimSerialLine.h"
#include "TextFormat.h"

namespace {

constexpr DWORD kListenTimeoutMs = 15000;

int PortFromEnvironment(const wchar_t* name) {
    wchar_t value[16] = {};
    const DWORD length = GetEnvironmentVariableW(name, value, 16);
    if (length == 0 || length >= 16) {
        return -1;
    }
    return static_cast<int>(std::wcstol(value, nullptr, 10));
}

std::vector<uint8_t> Pattern(size_t size) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<uint8_t>((i * 7 + i / 251) & 0xff);
    }
    return bytes;
}

// The simulated phone's listener, a program of its own:
// "simphone_driver serial-reset PORT TIMEOUT_MS".
class PhoneListener {
public:
    ~PhoneListener() {
        if (process_.IsSet() && WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT) {
            TerminateProcess(process_.Get(), 3);
            WaitForSingleObject(process_.Get(), INFINITE);
        }
    }
    bool Start(int port) {
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process{};
        std::wstring command = FormatWide(L"\"%S\" serial-reset %d %lu", SIMPHONE_DRIVER_PATH, port, kListenTimeoutMs);
        if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
            return false;
        }
        CloseHandle(process.hThread);
        process_.Reset(process.hProcess);
        return true;
    }
    // The exit code, or STILL_ACTIVE when it did not end in time.
    DWORD WaitForExit(DWORD timeoutMs) {
        DWORD code = STILL_ACTIVE;
        if (WaitForSingleObject(process_.Get(), timeoutMs) == WAIT_OBJECT_0) {
            GetExitCodeProcess(process_.Get(), &code);
        }
        return code;
    }

private:
    CScopedHandle process_;
};

class SerialLineTest : public SimPhoneTest {
protected:
    void SetUp() override {
        toolPort_ = PortFromEnvironment(L"TAVIK_SERIAL_TOOL_PORT");
        phonePort_ = PortFromEnvironment(L"TAVIK_SERIAL_PHONE_PORT");
        fullPort_ = PortFromEnvironment(L"TAVIK_SERIAL_FULL_PORT");
        if (toolPort_ < 0 || phonePort_ < 0 || fullPort_ < 0) {
            GTEST_SKIP() << "needs the serial line of tests/engine/serial_reset_test.sh";
        }
        SimPhoneTest::SetUp();
    }

    bool JournalHas(const std::string& line) {
        const std::vector<std::string> journal = Phone().Journal();
        return std::find(journal.begin(), journal.end(), line) != journal.end();
    }
    bool WaitForJournal(const std::string& line, DWORD timeoutMs) {
        const ULONGLONG start = GetTickCount64();
        while (!JournalHas(line)) {
            if (GetTickCount64() - start > timeoutMs) {
                return false;
            }
            Sleep(10);
        }
        return true;
    }
    std::string PhonePortName() const { return "COM" + std::to_string(phonePort_); }

    // Waits until the tool's port holds `count` bytes of input, looking
    // through a handle of its own that is closed again before the test opens
    // the port: the bytes stay queued for it.
    bool WaitForToolInput(DWORD count, DWORD timeoutMs) const {
        const std::wstring name = FormatWide(L"\\\\.\\COM%d", toolPort_);
        HANDLE port = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (port == INVALID_HANDLE_VALUE) {
            return false;
        }
        const ULONGLONG start = GetTickCount64();
        COMSTAT status{};
        DWORD errors = 0;
        while (ClearCommError(port, &errors, &status) && status.cbInQue < count &&
               GetTickCount64() - start < timeoutMs) {
            Sleep(10);
        }
        CloseHandle(port);
        return status.cbInQue >= count;
    }

    // Reads through the tool's port until `count` bytes came or the time ran out.
    static std::vector<uint8_t> ReadQueued(CComPort& com, size_t count, DWORD timeoutMs) {
        std::vector<uint8_t> bytes;
        uint8_t chunk[64];
        const ULONGLONG start = GetTickCount64();
        while (bytes.size() < count && GetTickCount64() - start < timeoutMs) {
            const DWORD got = com.Read(static_cast<DWORD>(std::min(sizeof(chunk), count - bytes.size())), chunk);
            bytes.insert(bytes.end(), chunk, chunk + got);
            if (got == 0) {
                Sleep(10);
            }
        }
        return bytes;
    }

    int toolPort_ = -1;
    int phonePort_ = -1;
    int fullPort_ = -1;
};

TEST_F(SerialLineTest, EngineResetRestartsThePhoneFoundInEmergencyDownload) {
    struct Case {
        const char* name;
        bool partitionTable;
        SimPhoneMode modeAfter;  // a restart needs a partition table to leave EDL
    };
    const Case cases[] = {
        {"flashed", true, SimPhoneMode::Normal},
        {"wiped", false, SimPhoneMode::EmergencyDownload},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const uint8_t signature[2] = {c.partitionTable ? uint8_t{0x55} : uint8_t{0},
                                      c.partitionTable ? uint8_t{0xaa} : uint8_t{0}};
        ASSERT_TRUE(Phone().WriteStorage(510, signature, sizeof(signature)));
        ASSERT_TRUE(Phone().SetMode(SimPhoneMode::EmergencyDownload));

        ReportRecorder recorder;
        auto engine = MakeEngine();
        engine->settings.timeOut = 0;
        ASSERT_EQ(1, engine->SearchDevices());
        ASSERT_EQ(PHONE_EMPTY, engine->phoneMode);
        ASSERT_EQ(toolPort_, engine->comPort) << "the script must join the phone's loader port";

        ASSERT_TRUE(Phone().ClearJournal());
        PhoneListener listener;
        ASSERT_TRUE(listener.Start(phonePort_));
        ASSERT_TRUE(WaitForJournal("SerialListen " + PhonePortName(), kListenTimeoutMs));
        recorder.Clear();

        EXPECT_EQ(1, engine->SendSaharaReset());
        EXPECT_EQ(0u, listener.WaitForExit(kListenTimeoutMs));
        EXPECT_TRUE(JournalHas("SaharaReset " + PhonePortName()));
        EXPECT_EQ(c.modeAfter, Phone().Mode());
        EXPECT_EQ(0u, recorder.Count());
    }
}

TEST_F(SerialLineTest, PhoneInAnotherModeIgnoresThePacket) {
    ASSERT_TRUE(Phone().SetMode(SimPhoneMode::Download));
    PhoneListener listener;
    ASSERT_TRUE(listener.Start(phonePort_));
    ASSERT_TRUE(WaitForJournal("SerialListen " + PhonePortName(), kListenTimeoutMs));
    auto engine = MakeEngine();
    engine->comPort = toolPort_;
    // The write itself goes through; only the phone knows it did nothing.
    EXPECT_EQ(1, engine->SendSaharaReset());
    EXPECT_EQ(1u, listener.WaitForExit(kListenTimeoutMs));
    EXPECT_TRUE(JournalHas("SaharaResetIgnored " + PhonePortName()));
    EXPECT_EQ(SimPhoneMode::Download, Phone().Mode());
}

TEST_F(SerialLineTest, ThePacketGoesOutOnceAfterAGoodWrite) {
    SimSerialPort phone;
    ASSERT_TRUE(phone.Open(phonePort_));
    CComPort com;
    ASSERT_TRUE(com.Open(toolPort_));
    EXPECT_EQ(toolPort_, com.PortNumber());
    EXPECT_TRUE(com.SendSaharaReset());

    uint8_t packet[8] = {};
    ASSERT_EQ(8u, phone.ReadFully(packet, sizeof(packet), 2000));
    const uint8_t expected[8] = {0x07, 0, 0, 0, 0x08, 0, 0, 0};  // command 7 (reset), length 8
    EXPECT_EQ(0, std::memcmp(packet, expected, sizeof(packet)));
    uint8_t more = 0;
    EXPECT_EQ(0u, phone.Read(&more, 1, 300)) << "a second packet followed";
}

TEST_F(SerialLineTest, ReadTakesWhatIsQueuedAndNothingWhenEmpty) {
    SimSerialPort phone;
    ASSERT_TRUE(phone.Open(phonePort_));
    CComPort com;
    ASSERT_TRUE(com.Open(toolPort_));

    uint8_t buffer[16] = {};
    ULONGLONG start = GetTickCount64();
    EXPECT_EQ(0u, com.Read(sizeof(buffer), buffer));
    // A read that waited for data would take the whole transfer wait.
    EXPECT_LT(GetTickCount64() - start, CComPort::kIoWaitMs) << "an empty queue must not wait for data";

    ASSERT_EQ(8u, phone.Write(kSimSaharaResetResponse, 8, 1000));
    const std::vector<uint8_t> answer = ReadQueued(com, 8, 2000);
    EXPECT_EQ(std::vector<uint8_t>(kSimSaharaResetResponse, kSimSaharaResetResponse + 8), answer);

    start = GetTickCount64();
    EXPECT_EQ(0u, com.Read(sizeof(buffer), buffer));
    EXPECT_LT(GetTickCount64() - start, CComPort::kIoWaitMs);
}

// A write starts clean: what the phone sent before it is dropped, so the
// answer read after the reset packet is the answer to that packet.
TEST_F(SerialLineTest, WriteDropsInputReceivedBeforeIt) {
    SimSerialPort phone;
    ASSERT_TRUE(phone.Open(phonePort_));
    const std::vector<uint8_t> stale = Pattern(40);
    ASSERT_EQ(stale.size(), phone.Write(stale.data(), static_cast<DWORD>(stale.size()), 1000));
    ASSERT_TRUE(WaitForToolInput(static_cast<DWORD>(stale.size()), 2000));
    CComPort com;
    ASSERT_TRUE(com.Open(toolPort_));

    ASSERT_TRUE(com.Write(sizeof(kSaharaResetPacket), kSaharaResetPacket));
    uint8_t buffer[64] = {};
    EXPECT_EQ(0u, com.Read(sizeof(buffer), buffer));
    uint8_t packet[8] = {};
    EXPECT_EQ(8u, phone.ReadFully(packet, sizeof(packet), 2000));
}

TEST_F(SerialLineTest, ReadStopsAtTheCountAskedAndAtTheQueueSize) {
    SimSerialPort phone;
    ASSERT_TRUE(phone.Open(phonePort_));
    const std::vector<uint8_t> sent = Pattern(3000);
    ASSERT_EQ(sent.size(), phone.Write(sent.data(), static_cast<DWORD>(sent.size()), 2000));
    ASSERT_TRUE(WaitForToolInput(static_cast<DWORD>(sent.size()), 2000));
    CComPort com;
    ASSERT_TRUE(com.Open(toolPort_));

    constexpr uint8_t kGuard = 0xee;
    std::vector<uint8_t> small(4 + 16, kGuard);
    ASSERT_EQ(4u, com.Read(4, small.data()));
    EXPECT_TRUE(std::equal(sent.begin(), sent.begin() + 4, small.begin()));
    EXPECT_TRUE(std::all_of(small.begin() + 4, small.end(), [](uint8_t b) { return b == kGuard; }));

    // Count 0: a whole queue's worth, never more, though more is waiting.
    std::vector<uint8_t> large(CComPort::kQueueBytes + 64, kGuard);
    ASSERT_EQ(CComPort::kQueueBytes, com.Read(0, large.data()));
    EXPECT_TRUE(std::equal(sent.begin() + 4, sent.begin() + 4 + CComPort::kQueueBytes, large.begin()));
    EXPECT_TRUE(std::all_of(large.begin() + CComPort::kQueueBytes, large.end(), [](uint8_t b) { return b == kGuard; }));
}

TEST_F(SerialLineTest, WriteStillPendingAfterTheWaitIsCompleted) {
    SimSerialPort phone;
    ASSERT_TRUE(phone.Open(phonePort_));
    CComPort com;
    ASSERT_TRUE(com.Open(toolPort_));
    // Far more than the line buffers: the write waits for the phone to read.
    const std::vector<uint8_t> sent = Pattern(1 << 20);
    std::vector<uint8_t> received(sent.size());
    DWORD receivedCount = 0;
    std::thread reader([&] {
        Sleep(2 * CComPort::kIoWaitMs);
        receivedCount = phone.ReadFully(received.data(), static_cast<DWORD>(received.size()), 20000);
    });
    const ULONGLONG start = GetTickCount64();
    const bool written = com.Write(static_cast<DWORD>(sent.size()), sent.data());
    const ULONGLONG elapsed = GetTickCount64() - start;
    reader.join();
    EXPECT_TRUE(written);
    EXPECT_GE(elapsed, static_cast<ULONGLONG>(CComPort::kIoWaitMs));
    ASSERT_EQ(sent.size(), receivedCount);
    EXPECT_TRUE(received == sent);
}

TEST_F(SerialLineTest, OpenSetsBaudRateAndDataBitsAndKeepsStopBits) {
    const std::wstring name = FormatWide(L"\\\\.\\COM%d", toolPort_);
    auto setLine = [&](DWORD baud, BYTE stopBits) {
        CScopedHandle port(
            CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        DCB line{};
        line.DCBlength = sizeof(line);
        return port.IsSet() && GetCommState(port.Get(), &line) &&
               ((line.BaudRate = baud), (line.StopBits = stopBits), SetCommState(port.Get(), &line));
    };
    auto readLine = [&](DCB& line) {
        CScopedHandle port(
            CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        line = DCB{};
        line.DCBlength = sizeof(line);
        return port.IsSet() && GetCommState(port.Get(), &line);
    };
    ASSERT_TRUE(setLine(9600, TWOSTOPBITS));
    {
        CComPort com;
        ASSERT_TRUE(com.Open(toolPort_));
    }
    DCB line{};
    ASSERT_TRUE(readLine(line));
    EXPECT_EQ(CComPort::kBaudRate, line.BaudRate);
    EXPECT_EQ(CComPort::kDataBits, line.ByteSize);
    EXPECT_EQ(TWOSTOPBITS, line.StopBits);
    EXPECT_TRUE(setLine(CComPort::kBaudRate, ONESTOPBIT));
}

TEST_F(SerialLineTest, EveryWriteFailingGivesUpAfterAHundredTries) {
    CComPort com;
    ASSERT_TRUE(com.Open(fullPort_));
    ULONGLONG start = GetTickCount64();
    EXPECT_FALSE(com.SendSaharaReset());
    // 100 tries, 20 ms apart: 99 pauses, less a little for the timer's grain.
    const ULONGLONG elapsed = GetTickCount64() - start;
    EXPECT_GE(elapsed, 99u * 20u - 100u);
    EXPECT_LT(elapsed, 101u * 20u + 3000u);

    ReportRecorder recorder;
    auto engine = MakeEngine();
    engine->comPort = fullPort_;
    EXPECT_EQ(0, engine->SendSaharaReset());
    EXPECT_EQ(0u, recorder.Count());
}

TEST_F(SerialLineTest, AWriteTheLineNeverTakesIsCancelledWithinItsBound) {
    CComPort com;
    ASSERT_TRUE(com.Open(toolPort_));
    // Nobody reads the phone's end: past the line's buffers the write
    // would wait for good.
    const std::vector<uint8_t> sent = Pattern(1 << 20);
    const ULONGLONG start = GetTickCount64();
    EXPECT_EQ(CComPort::WriteResult::TimedOut, com.WriteWithin(static_cast<DWORD>(sent.size()), sent.data()));
    const ULONGLONG elapsed = GetTickCount64() - start;
    EXPECT_GE(elapsed, static_cast<ULONGLONG>(CComPort::kWriteTimeoutMs) - 100u);
    EXPECT_LT(elapsed, static_cast<ULONGLONG>(CComPort::kWriteTimeoutMs) + 5000u);
    com.Close();

    // What the line still holds must not reach a later test.
    SimSerialPort phone;
    ASSERT_TRUE(phone.Open(phonePort_));
    std::vector<uint8_t> drain(1 << 16);
    while (phone.Read(drain.data(), static_cast<DWORD>(drain.size()), 300) > 0) {
    }
}

}  // namespace
