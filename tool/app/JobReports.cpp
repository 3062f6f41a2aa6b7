#include "JobReports.h"

#include "DownloadMessage.h"

void CJobReports::Clear() {
    std::lock_guard<std::mutex> guard(lock_);
    lastStatus_.clear();
    lastError_.clear();
    totalTime_.clear();
    throughput_.clear();
}

void CJobReports::Note(const std::wstring& text, int level) {
    std::lock_guard<std::mutex> guard(lock_);
    lastStatus_ = text;
    if (level == MSG_LEVEL_ERROR) {
        lastError_ = text;
    }
}

void CJobReports::NoteLibraryText(const std::wstring& text) {
    std::lock_guard<std::mutex> guard(lock_);
    if (text.find(L"Total Time") != std::wstring::npos) {
        totalTime_ = text;
    } else if (text.find(L"Throughput") != std::wstring::npos) {
        throughput_ = text;
    }
}

std::wstring CJobReports::FailureReason(const std::wstring& fallback) const {
    std::lock_guard<std::mutex> guard(lock_);
    return lastError_.empty() ? fallback : lastError_;
}

std::wstring CJobReports::SuccessSummary() const {
    std::lock_guard<std::mutex> guard(lock_);
    std::wstring summary = lastStatus_;
    for (const std::wstring* line : {&totalTime_, &throughput_}) {
        if (!line->empty()) {
            summary += (summary.empty() ? L"" : L"\n") + *line;
        }
    }
    return summary;
}
