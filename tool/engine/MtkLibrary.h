// The maker's MediaTek download library, bound at run time from the tool's
// folder. Each step looks its export up by name at every use (a library of
// another release may lack one) and says which failed: the call itself or the
// lookup, whose text goes to the error sink. The library's download state is
// tracked so MTKDL_Handle_Del is called once for each successful
// MTKHandlt_Init and never without one.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "SharedRecords.h"

enum class MtkStepResult {
    kDone,
    kFailed,         // the library answered 0
    kMissingExport,  // the export was not found; reported to the error sink
};

class CMtkLibrary {
public:
    // Receives the window's own error texts (missing exports).
    using ErrorSink = std::function<void(const std::wstring& text)>;

    CMtkLibrary() = default;
    CMtkLibrary(const CMtkLibrary&) = delete;
    CMtkLibrary& operator=(const CMtkLibrary&) = delete;
    ~CMtkLibrary();

    // Loads "<folder>\QX_M_BCB_DL_Dll.dll"; false when it cannot be loaded.
    bool Load(const std::wstring& folder);
    bool IsLoaded() const { return module_ != nullptr; }
    // Ends an open download state, then frees the library. Callers make sure
    // no step runs on another thread.
    void Unload();
    void SetErrorSink(ErrorSink sink) { errors_ = std::move(sink); }

    // MTKHandlt_Init with the block, whose report callback is set first. An
    // open state of an earlier job is ended before.
    MtkStepResult Init(MtkInitParams& params, ReportCallback callback);
    MtkStepResult Connect();
    // The phone's version, converted from the ANSI code page; empty when the
    // library has none.
    MtkStepResult Check(std::wstring& version);
    MtkStepResult Download();
    // MTKDL_Handle_Del when an MTKHandlt_Init succeeded since the last one;
    // kDone without calling anything otherwise.
    MtkStepResult EndSession();
    bool SessionOpen() const { return sessionOpen_; }

    // "Error:获取 <name>()地址失败!"
    static std::wstring MissingExportText(const char* exportName);

private:
    template <class Function>
    Function Find(const char* exportName);

    HMODULE module_ = nullptr;
    bool sessionOpen_ = false;
    ErrorSink errors_;
};
