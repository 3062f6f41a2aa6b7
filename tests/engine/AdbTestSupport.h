// Shared pieces of the ADB and fastboot tests: the debug lines the code under
// test writes, and a fixture with the engine and phone 1 on the bus.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "EngineTestSupport.h"

// Catches what OutputDebugString sends to the debugger: the text reaches a
// vectored exception handler as the debug-print exception before the system
// passes it on. One capture is active at a time.
class DebugLineCapture {
public:
    DebugLineCapture();
    ~DebugLineCapture();
    DebugLineCapture(const DebugLineCapture&) = delete;
    DebugLineCapture& operator=(const DebugLineCapture&) = delete;

    std::vector<std::wstring> Lines() const;
    // Lines holding the text.
    std::vector<std::wstring> Containing(const std::wstring& text) const;
    void Clear();
    // Runs on the writing thread after each line is recorded.
    void SetHook(std::function<void(const std::wstring&)> hook);

private:
    static LONG CALLBACK Handler(EXCEPTION_POINTERS* exception);
    void Record(const std::wstring& line);

    void* handler_ = nullptr;
    mutable std::mutex mutex_;
    std::vector<std::wstring> lines_;
    std::function<void(const std::wstring&)> hook_;
};

// The debug line's fixed start for a module and line.
std::wstring DebugLinePrefix(const wchar_t* module, int line);

class AdbPhoneTest : public SimPhoneTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Normal mode, found by the engine so the ADB look-up knows its port.
    void PlugNormalPhone();
    // The phone starts normally after a restart unless its boot loader is gone.
    void WritePartitionTable();
    std::wstring AdbPath() const;
    std::wstring FastbootPath() const;

    std::vector<TextReport> TextReports() const { return recorder_.TextReports(); }

    DebugLineCapture debug_;
    ReportRecorder recorder_;
    int32_t runFlag_ = 1;
    std::unique_ptr<CQcomDownloader> engine_;
};
