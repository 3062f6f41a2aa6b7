// Records the reports a configuration or an engine under test sends through
// its callback. One recorder is active at a time; the sender's callback is the
// static Callback. Senders may report from any thread.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "DownloadMessage.h"

namespace testsupport {

struct RecordedReport {
    int32_t code;
    int32_t value;
    std::wstring text;    // up to the text's terminator
    uint16_t length = 0;  // as the sender gave it
};

using TextReport = std::pair<int32_t, std::wstring>;

class ReportRecorder {
public:
    ReportRecorder();
    ~ReportRecorder();
    ReportRecorder(const ReportRecorder&) = delete;
    ReportRecorder& operator=(const ReportRecorder&) = delete;

    static void Callback(const DownloadMessage* message);

    std::vector<RecordedReport> Reports() const;
    // The texts of every report, in order.
    std::vector<std::wstring> Texts() const;
    std::vector<std::wstring> Texts(int32_t code) const;
    std::vector<int32_t> Percents() const;
    // Every report but the percentages, in order.
    std::vector<TextReport> TextReports() const;
    bool HasText(int32_t code, const std::wstring& text) const;
    size_t Count() const;
    void Clear();
    // Runs on the reporting thread after each report is recorded.
    void SetHook(std::function<void(const RecordedReport&)> hook);
    // Polls until the reports satisfy `done`; false after timeoutMs.
    bool WaitUntil(const std::function<bool(const std::vector<RecordedReport>&)>& done, DWORD timeoutMs) const;

private:
    void Record(const DownloadMessage& message);

    mutable std::mutex mutex_;
    std::vector<RecordedReport> reports_;
    std::function<void(const RecordedReport&)> hook_;
};

}  // namespace testsupport
