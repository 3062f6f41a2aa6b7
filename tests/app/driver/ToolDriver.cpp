// Drives the real flashing tool from outside, as a user would: it starts the
// program, finds its window, clicks its named controls through mouse
// messages, answers the folder dialog, checks what each page shows and
// saves a picture of each page. Where a named control lies is read from the
// tool's own skin archive, laid out by the UI library in a hidden window of
// the same size.
//
// usage: tool_driver TOOL_EXE PACKAGE_FOLDER SHOT_FOLDER [--close-mid-download]
// Prints one line per step; exits 0 only when every step showed what it
// should. With --close-mid-download the drive closes the tool while the ring
// runs, confirms, and checks that the program ends within 10 s and that a
// new start shows its window.
#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "ControlUI.h"
#include "FolderDialog.h"
#include "MessagePump.h"
#include "WindowSearch.h"
#include "WindowScreenshot.h"
#include "TabLayoutUI.h"
#include "WindowManager.h"
#include "XMLWnd.h"

namespace {

using TavikUI::CControlUI;
using testsupport::WaitFor;

const wchar_t kInstanceName[] = L"tavikDownloadDlg";
constexpr COLORREF kButtonBlue = RGB(0x2D, 0x7D, 0xD2);
constexpr COLORREF kDisabledGrey = RGB(0xA8, 0xB4, 0xC4);
constexpr COLORREF kModelScreen = RGB(0x2D, 0x7D, 0xD2);
// The folder dialog helper answers this many dialogs at most.
constexpr int kFolderDialogTries = 3;

// A hidden copy of one of the tool's skins (the main window's unless named),
// for control positions.
class SkinLayout : public TavikUI::CXMLWnd {
public:
    explicit SkinLayout(const wchar_t* skin = L"tavik\\tavikDownloadDlg.xml") : CXMLWnd(skin) {}

    bool Create(SIZE client) {
        client_ = client;
        return CreateNativeWindow(nullptr, L"layout", WS_POPUP, 0, 0, 0, client.cx, client.cy) != nullptr;
    }
    // The control's rectangle with the given tab pages selected.
    RECT RectOf(const std::vector<std::pair<const wchar_t*, int>>& pages, const wchar_t* name) {
        for (const auto& [tab, index] : pages) {
            CControlUI* control = Manager().FindControlByName(tab);
            if (auto* layout =
                    control ? static_cast<TavikUI::CTabLayoutUI*>(control->InterfaceByName(L"TabLayout")) : nullptr) {
                layout->SelectTab(index);
            }
        }
        const RECT all = {0, 0, client_.cx, client_.cy};
        Manager().Root()->Place(all);
        CControlUI* control = Manager().FindControlByName(name);
        return control ? static_cast<RECT>(control->Rect()) : RECT{0, 0, 0, 0};
    }

private:
    SIZE client_ = {0, 0};
};

struct Tool {
    PROCESS_INFORMATION process = {};
    HWND window = nullptr;
};

HWND FindToolWindow(DWORD processId) {
    return testsupport::FindTopLevelWindow(processId,
                                           [](HWND window) { return GetPropW(window, kInstanceName) != nullptr; });
}

// The tool's skinned message window ("MessageBox"), once it shows.
HWND FindMessageWindow(DWORD processId) {
    return testsupport::FindTopLevelWindow(
        processId, [](HWND window) { return testsupport::IsShownWithTitle(window, L"MessageBox"); });
}

POINT Centre(const RECT& rect) { return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2}; }
// A point of a button's face away from its text.
POINT FaceOf(const RECT& rect) { return {rect.left + 6, rect.top + 6}; }

COLORREF PixelAt(HWND window, POINT client) {
    ClientToScreen(window, &client);
    HDC screen = GetDC(nullptr);
    const COLORREF color = GetPixel(screen, client.x, client.y);
    ReleaseDC(nullptr, screen);
    return color;
}

bool Near(COLORREF a, COLORREF b) {
    return std::abs(GetRValue(a) - GetRValue(b)) < 24 && std::abs(GetGValue(a) - GetGValue(b)) < 24 &&
           std::abs(GetBValue(a) - GetBValue(b)) < 24;
}

void ClickAt(HWND window, POINT client) {
    const LPARAM point = MAKELPARAM(client.x, client.y);
    PostMessageW(window, WM_MOUSEMOVE, 0, point);
    PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, point);
    PostMessageW(window, WM_LBUTTONUP, 0, point);
}

std::string ReadLog(const std::wstring& folder) {
    std::string text;
    if (FILE* in = _wfopen((folder + L"\\Log\\tavikLog.log").c_str(), L"rb")) {
        char buffer[4096];
        size_t got = 0;
        while ((got = fread(buffer, 1, sizeof buffer, in)) > 0) {
            text.append(buffer, got);
        }
        fclose(in);
    }
    return text;
}

class Driver {
public:
    Driver(std::wstring exe, std::wstring package, std::wstring shots, bool closeMidDownload)
        : exe_(std::move(exe)),
          package_(std::move(package)),
          shots_(std::move(shots)),
          closeMidDownload_(closeMidDownload) {
        folder_ = exe_.substr(0, exe_.find_last_of(L"\\/"));
    }

    int Run() {
        bool passed = Start() && StartPage() && PackagePage() && ChooseFolder() && CheckPackage() && DownloadProgress();
        if (closeMidDownload_) {
            passed = passed && CloseMidDownload() && StartAgain();
        } else {
            passed = passed && DownloadSuccess();
        }
        Close();
        std::printf("%s\n", passed ? "DRIVE PASSED" : "DRIVE FAILED");
        return passed ? 0 : 1;
    }

private:
    bool Step(bool ok, const char* what) {
        std::printf("%s %s\n", ok ? "ok  " : "FAIL", what);
        std::fflush(stdout);
        return ok;
    }
    void Shot(const wchar_t* name) {
        const std::wstring path = shots_ + L"\\" + name + L".bmp";
        if (testsupport::SaveWindowScreenshot(tool_.window, path)) {
            std::printf("shot %ls\n", path.c_str());
        }
    }
    POINT ControlCentre(const std::vector<std::pair<const wchar_t*, int>>& pages, const wchar_t* name) {
        return Centre(layout_.RectOf(pages, name));
    }
    POINT ControlFace(const std::vector<std::pair<const wchar_t*, int>>& pages, const wchar_t* name) {
        return FaceOf(layout_.RectOf(pages, name));
    }
    bool WaitForColour(POINT point, COLORREF colour, DWORD timeoutMs) {
        return WaitFor([&] { return Near(PixelAt(tool_.window, point), colour); }, timeoutMs);
    }

    // Starts the tool in its folder and waits for its window to show.
    bool Launch(const char* what) {
        std::wstring commandLine = L"\"" + exe_ + L"\"";
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        if (!Step(CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, folder_.c_str(),
                                 &startup, &tool_.process) != 0,
                  what)) {
            return false;
        }
        const DWORD id = tool_.process.dwProcessId;
        return Step(
            WaitFor([&] { return (tool_.window = FindToolWindow(id)) != nullptr && IsWindowVisible(tool_.window); },
                    30000),
            "its window comes up carrying the single-instance property");
    }

    bool Start() {
        SetEnvironmentVariableW(L"TAVIK_DRIVER_FOLDER", package_.c_str());
        if (!Launch("the tool starts")) {
            return false;
        }
        RECT client = {};
        GetClientRect(tool_.window, &client);
        TavikUI::CWindowManager::SetModuleInstance(GetModuleHandleW(nullptr));
        TavikUI::CWindowManager::SetResourceFolder(folder_.c_str());
        TavikUI::CWindowManager::SetSkinArchive(L"tavik.Data", false);
        return Step(layout_.Create({client.right, client.bottom}), "the skin archive beside the tool lays out");
    }

    // The window is on screen, uncovered where its start button lies, and
    // has drawn the button.
    bool StartPage(const char* what = "the start page shows the start button") {
        Sleep(500);
        const RECT button = layout_.RectOf({{L"IntroductionTab", 0}}, L"StartNetBtn");
        const bool shown = WaitFor(
            [&] {
                POINT centre = Centre(button);
                ClientToScreen(tool_.window, &centre);
                return IsWindowVisible(tool_.window) && !IsIconic(tool_.window) &&
                       GetAncestor(WindowFromPoint(centre), GA_ROOT) == tool_.window &&
                       Near(PixelAt(tool_.window, FaceOf(button)), kButtonBlue);
            },
            5000);
        Shot(L"1-start-page");
        return Step(shown, what);
    }

    bool PackagePage() {
        ClickAt(tool_.window, ControlCentre({{L"IntroductionTab", 0}}, L"StartNetBtn"));
        if (!AnswerMessageWindow(L"tavik\\MessageBox.xml", L"MessageBoxOKBtn", "the start button shows its notice")) {
            return false;
        }
        const std::vector<std::pair<const wchar_t*, int>> pages = {
            {L"IntroductionTab", 1}, {L"FunctionTab", 0}, {L"SelectSoftPathBtnTab", 0}};
        const bool browse = WaitForColour(ControlFace(pages, L"SelectSoftPathBtn"), kButtonBlue, 5000);
        const bool disabled = WaitForColour(ControlFace(pages, L"ConfirmSoftwareBtn"), kDisabledGrey, 2000);
        Shot(L"2-package-page");
        return Step(browse && disabled, "the start button leads to the package page, confirm disabled");
    }

    bool ChooseFolder() {
        const std::vector<std::pair<const wchar_t*, int>> pages = {
            {L"IntroductionTab", 1}, {L"FunctionTab", 0}, {L"SelectSoftPathBtnTab", 0}};
        if (!Step(LoadFolderDialogHelper(), "the folder dialog helper is loaded into the tool")) {
            return false;
        }
        // A dialog that ignored the selection was cancelled by the helper:
        // open it again, as the helper expects.
        bool closed = false;
        bool enabled = false;
        for (int attempt = 0; attempt < kFolderDialogTries && !enabled; ++attempt) {
            ClickAt(tool_.window, ControlCentre(pages, L"SelectSoftPathBtn"));
            HWND dialog = nullptr;
            const DWORD id = tool_.process.dwProcessId;
            if (!Step(WaitFor([&] { return (dialog = testsupport::FindFolderDialog(id)) != nullptr; }, 10000),
                      "the browse button opens the folder dialog")) {
                return false;
            }
            closed = WaitFor([&] { return !IsWindow(dialog); }, 15000);
            enabled = WaitForColour(ControlFace(pages, L"ConfirmSoftwareBtn"), kButtonBlue, 5000);
        }
        Shot(L"3-folder-chosen");
        return Step(closed && enabled, "choosing the sample package enables the confirm button");
    }

    // The selection message carries a pointer: the helper library, loaded
    // into the tool, sends it from there (TAVIK_DRIVER_FOLDER names the
    // folder).
    bool LoadFolderDialogHelper() {
        const std::wstring helper = DriverFolder() + L"\\folder_dialog_helper.dll";
        const SIZE_T bytes = (helper.size() + 1) * sizeof(wchar_t);
        void* remote = VirtualAllocEx(tool_.process.hProcess, nullptr, bytes, MEM_COMMIT, PAGE_READWRITE);
        if (!remote || !WriteProcessMemory(tool_.process.hProcess, remote, helper.c_str(), bytes, nullptr)) {
            return false;
        }
        auto* load = reinterpret_cast<LPTHREAD_START_ROUTINE>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "LoadLibraryW")));
        HANDLE thread = CreateRemoteThread(tool_.process.hProcess, nullptr, 0, load, remote, 0, nullptr);
        if (!thread) {
            return false;
        }
        WaitForSingleObject(thread, 10000);
        DWORD module = 0;
        GetExitCodeThread(thread, &module);
        CloseHandle(thread);
        VirtualFreeEx(tool_.process.hProcess, remote, 0, MEM_RELEASE);
        return module != 0;
    }

    static std::wstring DriverFolder() {
        wchar_t path[MAX_PATH] = L"";
        GetModuleFileNameW(nullptr, path, MAX_PATH);
        std::wstring folder = path;
        return folder.substr(0, folder.find_last_of(L'\\'));
    }

    bool CheckPackage() {
        const std::vector<std::pair<const wchar_t*, int>> pages = {
            {L"IntroductionTab", 1}, {L"FunctionTab", 0}, {L"SelectSoftPathBtnTab", 0}, {L"SelectSoftStatusTab", 2}};
        ClickAt(tool_.window, ControlCentre(pages, L"ConfirmSoftwareBtn"));
        const bool logged = WaitFor([&] { return ReadLog(folder_).find("Rom size:") != std::string::npos; }, 30000);
        const RECT option = layout_.RectOf(pages, L"SaveUserData");
        const POINT radio = {option.left + 10, (option.top + option.bottom) / 2};
        const bool choice = WaitForColour(radio, kButtonBlue, 15000);
        const bool ready = WaitForColour(ControlFace(pages, L"ConfirmSoftwareBtn"), kButtonBlue, 5000);
        const RECT picture = layout_.RectOf(pages, L"PhonePic");
        const bool phone = WaitForColour({(picture.left + picture.right) / 2, picture.top + 60}, kModelScreen, 2000);
        Shot(L"4-checked-package");
        return Step(logged, "the check logs the package's size") &&
               Step(phone, "the phone picture of the package's model shows") &&
               Step(choice, "the keep-user-data choice shows, keeping the data") &&
               Step(ready, "the confirm button is enabled again to start the flash");
    }

    // Clicks a button of the tool's message window once it shows.
    bool AnswerMessageWindow(const wchar_t* skin, const wchar_t* button, const char* what) {
        HWND box = nullptr;
        const DWORD id = tool_.process.dwProcessId;
        if (!Step(WaitFor([&] { return (box = FindMessageWindow(id)) != nullptr; }, 10000), what)) {
            return false;
        }
        RECT client = {};
        GetClientRect(box, &client);
        SkinLayout layout(skin);
        if (!layout.Create({client.right, client.bottom})) {
            return Step(false, "the message window's skin lays out");
        }
        Sleep(300);
        ClickAt(box, Centre(layout.RectOf({}, button)));
        return Step(WaitFor([&] { return !IsWindow(box); }, 5000), "its button closes it");
    }

    // The ring at its three and nine o'clock: the first drawn in the fore
    // colour, the second not yet, while the images go out.
    bool DownloadProgress() {
        const std::vector<std::pair<const wchar_t*, int>> pages = {{L"IntroductionTab", 1}, {L"FunctionTab", 2}};
        const RECT ring = layout_.RectOf(pages, L"DownloadProgress");
        const int middle = (ring.top + ring.bottom) / 2;
        const POINT quarter = {ring.right - 8, middle};
        const POINT threeQuarters = {ring.left + 8, middle};
        ClickAt(tool_.window, ControlCentre({{L"IntroductionTab", 1}, {L"FunctionTab", 0}}, L"ConfirmSoftwareBtn"));
        const bool midway = WaitFor(
            [&] {
                return Near(PixelAt(tool_.window, quarter), kButtonBlue) &&
                       !Near(PixelAt(tool_.window, threeQuarters), kButtonBlue);
            },
            60000);
        Shot(L"5-download-progress");
        return Step(midway, "the download runs: the ring shows it part-way");
    }

    bool DownloadSuccess() {
        const std::vector<std::pair<const wchar_t*, int>> pages = {{L"IntroductionTab", 1}, {L"FunctionTab", 4}};
        const bool done = WaitForColour(ControlFace(pages, L"DownloadSucBtn"), kButtonBlue, 120000);
        const std::string log = ReadLog(folder_);
        const bool timed = log.find("Total Time") != std::string::npos && log.find("Throughput") != std::string::npos;
        Shot(L"6-download-success");
        return Step(done, "the download ends on the success page") &&
               Step(timed, "the log holds the total time and the throughput");
    }

    // The user closes the tool while it flashes and confirms the warning:
    // the program ends within the bound whatever the job is doing.
    bool CloseMidDownload() {
        const DWORD start = GetTickCount();
        PostMessageW(tool_.window, WM_CLOSE, 0, 0);
        if (!AnswerMessageWindow(L"tavik/ColseWaring.xml", L"okbtn", "closing asks for confirmation")) {
            return false;
        }
        const DWORD elapsed = GetTickCount() - start;
        std::printf("note the warning was answered %lu ms after the close\n", elapsed);
        const bool ended =
            WaitForSingleObject(tool_.process.hProcess, elapsed < 10000 ? 10000 - elapsed : 0) == WAIT_OBJECT_0;
        DWORD exitCode = 1;
        GetExitCodeProcess(tool_.process.hProcess, &exitCode);
        const bool logged = ReadLog(folder_).find("Download stopped: the tool was closed!") != std::string::npos;
        std::printf("note the program ended %lu ms after the close\n", GetTickCount() - start);
        return Step(ended && exitCode == 0, "the confirmed close ends the program within 10 s") &&
               Step(logged, "the log says the download was stopped by the close");
    }

    bool StartAgain() {
        CloseHandle(tool_.process.hThread);
        CloseHandle(tool_.process.hProcess);
        tool_ = Tool{};
        return Launch("the tool starts again") && StartPage("a start right after shows its window");
    }

    void Close() {
        if (!tool_.process.hProcess) {
            return;
        }
        if (tool_.window && IsWindow(tool_.window)) {
            PostMessageW(tool_.window, WM_CLOSE, 0, 0);
        }
        if (WaitForSingleObject(tool_.process.hProcess, 5000) != WAIT_OBJECT_0) {
            // Work is in progress: the tool asks before it closes. This drive
            // has nothing to lose, so it ends the tool.
            std::printf("note the tool stays open while work is in progress; ending it\n");
            TerminateProcess(tool_.process.hProcess, 0);
            WaitForSingleObject(tool_.process.hProcess, 5000);
        }
        CloseHandle(tool_.process.hThread);
        CloseHandle(tool_.process.hProcess);
    }

    std::wstring exe_, package_, shots_, folder_;
    bool closeMidDownload_ = false;
    Tool tool_;
    SkinLayout layout_;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const bool closeMidDownload = argc == 5 && wcscmp(argv[4], L"--close-mid-download") == 0;
    if (argc != 4 && !closeMidDownload) {
        std::fputs("usage: tool_driver TOOL_EXE PACKAGE_FOLDER SHOT_FOLDER [--close-mid-download]\n", stderr);
        return 2;
    }
    Driver driver(argv[1], argv[2], argv[3], closeMidDownload);
    return driver.Run();
}
