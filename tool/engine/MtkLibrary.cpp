#include "MtkLibrary.h"

#include <cstring>

#include "ProgramFolder.h"
#include "TextFormat.h"

namespace {

constexpr wchar_t kLibraryFile[] = L"QX_M_BCB_DL_Dll.dll";

// A zeroed text buffer of the size the library writes into.
struct MtkBuffer {
    char bytes[kMtkBufferBytes] = {};
};

}  // namespace

CMtkLibrary::~CMtkLibrary() { Unload(); }

bool CMtkLibrary::Load(const std::wstring& folder) {
    Unload();
    // Only ever the full path in the tool's folder: never a search.
    const std::wstring path = PathInFolder(folder, kLibraryFile);
    if (path.empty()) {
        return false;
    }
    module_ = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    return module_ != nullptr;
}

void CMtkLibrary::Unload() {
    if (module_ == nullptr) {
        return;
    }
    EndSession();
    FreeLibrary(module_);
    module_ = nullptr;
}

std::wstring CMtkLibrary::MissingExportText(const char* exportName) {
    return FormatWide(L"Error:获取 %S()地址失败!", exportName);
}

template <class Function>
Function CMtkLibrary::Find(const char* exportName) {
    void* address = module_ != nullptr ? reinterpret_cast<void*>(GetProcAddress(module_, exportName)) : nullptr;
    if (address == nullptr && errors_) {
        errors_(MissingExportText(exportName));
    }
    return reinterpret_cast<Function>(address);
}

MtkStepResult CMtkLibrary::Init(MtkInitParams& params, ReportCallback callback) {
    if (sessionOpen_ && EndSession() == MtkStepResult::kMissingExport) {
        return MtkStepResult::kMissingExport;
    }
    const MtkInitFunction init = Find<MtkInitFunction>(kMtkInitExport);
    if (init == nullptr) {
        return MtkStepResult::kMissingExport;
    }
    params.reportCallback = callback;
    if (init(&params) == 0) {
        return MtkStepResult::kFailed;
    }
    sessionOpen_ = true;
    return MtkStepResult::kDone;
}

MtkStepResult CMtkLibrary::Connect() {
    const MtkConnectFunction connect = Find<MtkConnectFunction>(kMtkConnectExport);
    if (connect == nullptr) {
        return MtkStepResult::kMissingExport;
    }
    MtkBuffer buffer;
    return connect(buffer.bytes) != 0 ? MtkStepResult::kDone : MtkStepResult::kFailed;
}

MtkStepResult CMtkLibrary::Check(std::wstring& version) {
    version.clear();
    const MtkCheckFunction check = Find<MtkCheckFunction>(kMtkCheckExport);
    if (check == nullptr) {
        return MtkStepResult::kMissingExport;
    }
    MtkBuffer phoneVersion;
    MtkBuffer second;
    if (check(phoneVersion.bytes, second.bytes) == 0) {
        return MtkStepResult::kFailed;
    }
    // The library may fill the whole buffer: its last byte ends the text.
    phoneVersion.bytes[kMtkBufferBytes - 1] = '\0';
    version = AnsiToWide(std::string(phoneVersion.bytes, strnlen(phoneVersion.bytes, kMtkBufferBytes)));
    return MtkStepResult::kDone;
}

MtkStepResult CMtkLibrary::Download() {
    const MtkDownloadFunction download = Find<MtkDownloadFunction>(kMtkDownloadExport);
    if (download == nullptr) {
        return MtkStepResult::kMissingExport;
    }
    MtkBuffer buffer;
    return download(buffer.bytes) != 0 ? MtkStepResult::kDone : MtkStepResult::kFailed;
}

MtkStepResult CMtkLibrary::EndSession() {
    if (!sessionOpen_) {
        return MtkStepResult::kDone;
    }
    // Whatever the lookup gives, the state cannot be ended twice.
    sessionOpen_ = false;
    const MtkDeleteFunction release = Find<MtkDeleteFunction>(kMtkDeleteExport);
    if (release == nullptr) {
        return MtkStepResult::kMissingExport;
    }
    release();
    return MtkStepResult::kDone;
}
