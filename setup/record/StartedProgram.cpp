#include "StartedProgram.h"

#include <shellapi.h>

namespace InstallRecord {

CStartedProgram::~CStartedProgram() { Adopt(nullptr, nullptr); }

void CStartedProgram::Adopt(HANDLE process, HANDLE job) {
    if (process_) {
        CloseHandle(process_);
    }
    if (job_) {
        CloseHandle(job_);
    }
    process_ = process;
    job_ = job;
}

bool CStartedProgram::Start(const std::wstring& program, const std::wstring& parameters, const std::wstring& directory,
                            int show) {
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    // No error box: nobody may be there to click it, and the step reports
    // its own failure.
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.lpFile = program.c_str();
    info.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
    info.lpDirectory = directory.empty() ? nullptr : directory.c_str();
    info.nShow = show;
    if (!ShellExecuteExW(&info)) {
        return false;
    }
    Adopt(info.hProcess, nullptr);
    return true;
}

bool CStartedProgram::StartInJob(const std::wstring& program, const std::wstring& parameters,
                                 const std::wstring& directory, int show) {
    std::wstring commandLine = L"\"" + program + L"\"" + parameters;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(show);
    PROCESS_INFORMATION started = {};
    // A program that is no program fails here with its error code; no
    // system box asks anybody anything.
    if (!CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                        directory.empty() ? nullptr : directory.c_str(), &startup, &started)) {
        return false;
    }
    HANDLE job = CreateJobObjectW(nullptr, nullptr);
    if (job && !AssignProcessToJobObject(job, started.hProcess)) {
        CloseHandle(job);
        job = nullptr;
    }
    ResumeThread(started.hThread);
    CloseHandle(started.hThread);
    Adopt(started.hProcess, job);
    return true;
}

CStartedProgram::WaitResult CStartedProgram::Wait(DWORD waitMs, HANDLE stop) const {
    if (!process_) {
        return WaitResult::kEnded;
    }
    const HANDLE waitFor[2] = {process_, stop};
    switch (WaitForMultipleObjects(stop ? 2 : 1, waitFor, FALSE, waitMs)) {
    case WAIT_OBJECT_0:
        return WaitResult::kEnded;
    case WAIT_OBJECT_0 + 1:
        return WaitResult::kStopped;
    default:
        return WaitResult::kTimedOut;
    }
}

bool CStartedProgram::End(DWORD waitMs) const {
    if (!process_) {
        return true;
    }
    if (job_) {
        TerminateJobObject(job_, 1);
    } else {
        TerminateProcess(process_, 1);
    }
    const DWORD start = GetTickCount();
    if (WaitForSingleObject(process_, waitMs) != WAIT_OBJECT_0) {
        return false;
    }
    // The job's other programs end on their own time.
    while (!JobIsEmpty()) {
        if (GetTickCount() - start >= waitMs) {
            return false;
        }
        Sleep(20);
    }
    return true;
}

bool CStartedProgram::JobIsEmpty() const {
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting = {};
    return !job_ ||
           !QueryInformationJobObject(job_, JobObjectBasicAccountingInformation, &accounting, sizeof(accounting),
                                      nullptr) ||
           accounting.ActiveProcesses == 0;
}

bool RunProgramAndWait(const std::wstring& program, const std::wstring& parameters, const std::wstring& directory,
                       int show, DWORD waitMs, HANDLE stop) {
    CStartedProgram started;
    if (!started.Start(program, parameters, directory, show)) {
        return false;
    }
    started.Wait(waitMs, stop);
    return true;
}

}  // namespace InstallRecord
