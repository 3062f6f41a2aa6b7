// What the reports of a download job said that the page it ends on shows:
// the reason of a failure, which is the failing step's own, and the last
// status with the MediaTek library's time and throughput lines, which the
// library's own closing line would otherwise hide. Reports arrive on the job
// thread and on threads of the engine and the library: a lock guards every
// text.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>

class CJobReports {
public:
    // Forgets what the previous job reported.
    void Clear();
    // A step of the job begins: nothing an earlier step said is its reason.
    void BeginStep();
    // A status text of either report path with its record's code.
    void Note(const std::wstring& text, int32_t code);
    // A text of the MediaTek library: its time and throughput lines are kept.
    void NoteLibraryText(const std::wstring& text);
    // The first error the current step reported since it last went on
    // (a success or a fallback), else the fallback.
    std::wstring StepReason(const std::wstring& fallback) const;
    // The last status, then the library's time and throughput lines.
    std::wstring SuccessSummary() const;

private:
    mutable std::mutex lock_;
    std::wstring lastStatus_;
    std::wstring stepError_;
    std::wstring totalTime_;
    std::wstring throughput_;
};
