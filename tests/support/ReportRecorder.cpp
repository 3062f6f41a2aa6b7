#include "ReportRecorder.h"

#include <algorithm>

#include "MessagePump.h"

namespace testsupport {

namespace {

ReportRecorder* g_activeRecorder = nullptr;

}  // namespace

ReportRecorder::ReportRecorder() { g_activeRecorder = this; }

ReportRecorder::~ReportRecorder() { g_activeRecorder = nullptr; }

void ReportRecorder::Callback(const DownloadMessage* message) {
    if (g_activeRecorder != nullptr && message != nullptr) {
        g_activeRecorder->Record(*message);
    }
}

void ReportRecorder::Record(const DownloadMessage& message) {
    RecordedReport report{message.code, message.value, std::wstring(), message.length};
    if (message.text != nullptr) {
        report.text = static_cast<const wchar_t*>(message.text);
    }
    std::function<void(const RecordedReport&)> hook;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        reports_.push_back(report);
        hook = hook_;
    }
    if (hook) {
        hook(report);
    }
}

std::vector<RecordedReport> ReportRecorder::Reports() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return reports_;
}

std::vector<std::wstring> ReportRecorder::Texts() const {
    std::vector<std::wstring> texts;
    for (const RecordedReport& report : Reports()) {
        texts.push_back(report.text);
    }
    return texts;
}

std::vector<std::wstring> ReportRecorder::Texts(int32_t code) const {
    std::vector<std::wstring> texts;
    for (const RecordedReport& report : Reports()) {
        if (report.code == code) {
            texts.push_back(report.text);
        }
    }
    return texts;
}

std::vector<int32_t> ReportRecorder::Percents() const {
    std::vector<int32_t> percents;
    for (const RecordedReport& report : Reports()) {
        if (report.code == MSG_PERCENT) {
            percents.push_back(report.value);
        }
    }
    return percents;
}

std::vector<TextReport> ReportRecorder::TextReports() const {
    std::vector<TextReport> texts;
    for (const RecordedReport& report : Reports()) {
        if (report.code != MSG_PERCENT) {
            texts.emplace_back(report.code, report.text);
        }
    }
    return texts;
}

bool ReportRecorder::HasText(int32_t code, const std::wstring& text) const {
    const std::vector<TextReport> texts = TextReports();
    return std::find(texts.begin(), texts.end(), TextReport(code, text)) != texts.end();
}

size_t ReportRecorder::Count() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return reports_.size();
}

void ReportRecorder::Clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    reports_.clear();
}

void ReportRecorder::SetHook(std::function<void(const RecordedReport&)> hook) {
    std::lock_guard<std::mutex> lock(mutex_);
    hook_ = std::move(hook);
}

bool ReportRecorder::WaitUntil(const std::function<bool(const std::vector<RecordedReport>&)>& done,
                               DWORD timeoutMs) const {
    // A short poll: engine tests act on a report while the run goes on.
    return WaitFor([&] { return done(Reports()); }, timeoutMs, 2);
}

}  // namespace testsupport
