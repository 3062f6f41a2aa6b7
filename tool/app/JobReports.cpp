#include "JobReports.h"

#include "DownloadMessage.h"

void CJobReports::Clear() {
    std::lock_guard<std::mutex> guard(lock_);
    lastStatus_.clear();
    stepError_.clear();
    totalTime_.clear();
    throughput_.clear();
}

void CJobReports::BeginStep() {
    std::lock_guard<std::mutex> guard(lock_);
    stepError_.clear();
}

void CJobReports::Note(const std::wstring& text, int32_t code) {
    std::lock_guard<std::mutex> guard(lock_);
    lastStatus_ = text;
    // The attempt a fallback replaces was given up, with every failure it
    // reported; a success after an error shows the step went on from it.
    if (code == MSG_FALLBACK || (code & MSG_LEVEL_MASK) == MSG_LEVEL_SUCCESS) {
        stepError_.clear();
    } else if ((code & MSG_LEVEL_MASK) == MSG_LEVEL_ERROR && stepError_.empty()) {
        // The first failure is the cause; what follows it ("Download Fail!")
        // only says the step ended there.
        stepError_ = text;
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

std::wstring CJobReports::StepReason(const std::wstring& fallback) const {
    std::lock_guard<std::mutex> guard(lock_);
    return stepError_.empty() ? fallback : stepError_;
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
