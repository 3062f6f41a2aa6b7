// What the reports of a download job said that the page it ends on shows:
// the last error, which is the reason of a failure, and the last status with
// the MediaTek library's time and throughput lines, which the library's own
// closing line would otherwise hide. Reports arrive on the job thread and on
// threads of the engine and the library: a lock guards every text.
#pragma once

#include <mutex>
#include <string>

class CJobReports {
public:
    // Forgets what the previous job reported.
    void Clear();
    // A status text of either report path at its level (MSG_LEVEL_*).
    void Note(const std::wstring& text, int level);
    // A text of the MediaTek library: its time and throughput lines are kept.
    void NoteLibraryText(const std::wstring& text);
    // The job's last error, else the fallback.
    std::wstring FailureReason(const std::wstring& fallback) const;
    // The last status, then the library's time and throughput lines.
    std::wstring SuccessSummary() const;

private:
    mutable std::mutex lock_;
    std::wstring lastStatus_;
    std::wstring lastError_;
    std::wstring totalTime_;
    std::wstring throughput_;
};
