#include "StartedProgram.h"

#include <shellapi.h>

namespace InstallRecord {

CStartedProgram::~CStartedProgram() {
    if (process_) {
        CloseHandle(process_);
    }
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
    if (process_) {
        CloseHandle(process_);
    }
    process_ = info.hProcess;
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
    TerminateProcess(process_, 1);
    return WaitForSingleObject(process_, waitMs) == WAIT_OBJECT_0;
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
