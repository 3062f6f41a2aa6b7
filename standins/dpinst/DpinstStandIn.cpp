// Stand-in for the driver package installer "dpinst.exe". It installs and
// removes nothing: it records how it was started, so tests can check the
// order and the command lines of the driver runs.
//
// TAVIK_DPINST_JOURNAL names the journal (a Windows path). Each run appends
// one UTF-8 line "start|<program file name>|<command line>|<working folder>"
// and, when TAVIK_DPINST_DELAY_MS asks it to take its time (as a real
// installer does), "end|<program file name>" once that time has passed.
// Without the journal variable it records nothing. Exit code 0.
//
// Tests also put it where an earlier installation's uninstaller goes: run
// as "Uninstall.exe" with "/q" it deletes the uninstall registration when it
// ends, as a real earlier uninstaller that finished does.
#include <windows.h>

#include <cstdlib>
#include <cwchar>
#include <string>

namespace {

std::wstring Environment(const wchar_t* name) {
    wchar_t value[1024] = {};
    const DWORD length = GetEnvironmentVariableW(name, value, 1024);
    return length > 0 && length < 1024 ? std::wstring(value, length) : std::wstring();
}

std::string Utf8(const std::wstring& text) {
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(size > 0 ? size : 0, '\0');
    if (size > 0) {
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &out[0], size, nullptr, nullptr);
    }
    return out;
}

// Appends one line; several programs may append at once, so the file is
// opened for appending only and written in one call.
void AppendLine(const std::wstring& journal, const std::wstring& line) {
    HANDLE file = CreateFileW(journal.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return;
    }
    const std::string bytes = Utf8(line) + "\n";
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

std::wstring OwnFileName() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    const std::wstring full(path);
    const size_t slash = full.find_last_of(L"\\/");
    return slash == std::wstring::npos ? full : full.substr(slash + 1);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
    const std::wstring journal = Environment(L"TAVIK_DPINST_JOURNAL");
    if (journal.empty()) {
        return 0;
    }
    wchar_t folder[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, folder);
    const std::wstring name = OwnFileName();
    AppendLine(journal, L"start|" + name + L"|" + commandLine + L"|" + folder);
    const int delay = _wtoi(Environment(L"TAVIK_DPINST_DELAY_MS").c_str());
    if (delay > 0) {
        Sleep(static_cast<DWORD>(delay));
        AppendLine(journal, L"end|" + name);
    }
    if (_wcsicmp(name.c_str(), L"Uninstall.exe") == 0 && wcscmp(commandLine, L"/q") == 0) {
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\tavik_Download");
    }
    return 0;
}
