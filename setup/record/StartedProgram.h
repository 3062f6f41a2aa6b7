// A program the installer or the uninstaller starts and waits for: started
// without any system error box (a damaged or missing program fails its step
// quietly), waited for within a bound or until a stop event, and ended when
// it must not go on beside what follows.
#pragma once

#include <windows.h>

#include <string>

namespace InstallRecord {

class CStartedProgram {
public:
    enum class WaitResult { kEnded, kTimedOut, kStopped };

    CStartedProgram() = default;
    ~CStartedProgram();
    CStartedProgram(const CStartedProgram&) = delete;
    CStartedProgram& operator=(const CStartedProgram&) = delete;

    // ShellExecuteExW with no verb and no owner; an empty directory or
    // parameter text is passed as none. False when the program did not start.
    bool Start(const std::wstring& program, const std::wstring& parameters, const std::wstring& directory, int show);
    // Starts the program in a job object of its own (created suspended,
    // assigned, then resumed), so that every program it starts in turn
    // belongs to the job and End ends them all. Where the job cannot be had
    // (a system that refuses a nested job) the program still runs and End
    // ends it alone. False when the program did not start.
    bool StartInJob(const std::wstring& program, const std::wstring& parameters, const std::wstring& directory,
                    int show);
    // Waits up to `waitMs` for the program, or until `stop` (optional) is
    // set. A program started without a process handle counts as ended.
    WaitResult Wait(DWORD waitMs, HANDLE stop = nullptr) const;
    // Ends the program, with everything it started when it runs in a job,
    // and waits up to `waitMs` for them; true once all are gone.
    bool End(DWORD waitMs) const;

private:
    void Adopt(HANDLE process, HANDLE job);
    bool JobIsEmpty() const;

    HANDLE process_ = nullptr;
    HANDLE job_ = nullptr;
};

// Starts a program and waits for it up to `waitMs`, or until `stop` (an
// event, optional) is set. False when it did not start; a program that runs
// longer keeps running. The exit code is not read.
bool RunProgramAndWait(const std::wstring& program, const std::wstring& parameters, const std::wstring& directory,
                       int show, DWORD waitMs, HANDLE stop = nullptr);

}  // namespace InstallRecord
