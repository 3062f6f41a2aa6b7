// The manager's life cycle, its process-wide settings and the plain window
// settings. Dispatch, resources and the control-side services live in the
// other WindowManager*.cpp files.
#include "WindowManager.h"

#include "ControlUI.h"
#include "GdiRenderer.h"
#include "ImageBlend.h"

namespace TavikUI {
namespace {

const wchar_t kMemoryArchiveName[] = L"membuffer";
constexpr int kMapBuckets = 83;

// Settings shared by every manager of the process.
struct ResourceSettings {
    HINSTANCE moduleInstance = nullptr;
    CWideString resourceFolder;
    CWideString skinArchiveName;
    bool skinArchiveCached = false;
    HZIPARCHIVE cachedArchive = nullptr;
    CPointerArray managers;
    CPointerArray pluginCreators;
    int16_t hue = 180;
    int16_t saturation = 100;
    int16_t lightness = 100;
    bool processResourcesReady = false;
    HPEN dirtyPen = nullptr;
};

ResourceSettings& Settings() {
    static ResourceSettings settings;
    return settings;
}

}  // namespace

// --- Process-wide settings -------------------------------------------------

void CWindowManager::SetModuleInstance(HINSTANCE instance) { Settings().moduleInstance = instance; }

HINSTANCE CWindowManager::ModuleInstance() { return Settings().moduleInstance; }

HINSTANCE CWindowManager::ResourceInstance() { return Settings().moduleInstance; }

CWideString CWindowManager::ModuleFolder() {
    if (!Settings().moduleInstance) {
        return CWideString();
    }
    wchar_t path[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameW(Settings().moduleInstance, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return CWideString();
    }
    const CWideString file(path);
    return file.Left(file.ReverseFindChar(L'\\') + 1);
}

void CWindowManager::SetResourceFolder(const wchar_t* path) {
    CWideString& folder = Settings().resourceFolder;
    folder.AssignText(path);
    const int length = folder.Length();
    if (length > 0) {
        const wchar_t last = folder.CharAt(length - 1);
        if (last != L'\\' && last != L'/') {
            folder.AppendChar(L'\\');
        }
    }
}

CWideString CWindowManager::ResourceFolder() { return Settings().resourceFolder; }

void CWindowManager::CloseCachedArchive() {
    ResourceSettings& settings = Settings();
    if (settings.cachedArchive) {
        ZipArchiveClose(settings.cachedArchive);
        settings.cachedArchive = nullptr;
    }
}

void CWindowManager::SetSkinArchive(const wchar_t* name, bool cache) {
    ResourceSettings& settings = Settings();
    if (settings.skinArchiveName.Equals(name) && settings.skinArchiveCached == cache) {
        return;
    }
    CloseCachedArchive();
    settings.skinArchiveName.AssignText(name);
    settings.skinArchiveCached = cache;
    if (cache) {
        const CWideString path = settings.resourceFolder.ConcatText(name);
        settings.cachedArchive = ZipArchiveOpen(path.Text(), 0, ZIP_KIND_FILE);
    }
}

void CWindowManager::SetSkinArchiveInMemory(const void* data, uint32_t size) {
    ResourceSettings& settings = Settings();
    if (settings.skinArchiveName.Equals(kMemoryArchiveName)) {
        return;
    }
    CloseCachedArchive();
    settings.skinArchiveName.AssignText(kMemoryArchiveName);
    settings.skinArchiveCached = true;
    settings.cachedArchive = ZipArchiveOpen(data, size, ZIP_KIND_MEMORY);
}

CWideString CWindowManager::SkinArchiveName() { return Settings().skinArchiveName; }

bool CWindowManager::SkinArchiveCached() { return Settings().skinArchiveCached; }

HZIPARCHIVE CWindowManager::CachedSkinArchive() {
    return Settings().skinArchiveCached ? Settings().cachedArchive : nullptr;
}

CPointerArray& CWindowManager::PluginCreators() { return Settings().pluginCreators; }

CPointerArray& CWindowManager::ManagerList() { return Settings().managers; }

void CWindowManager::GetHsl(int16_t& hue, int16_t& saturation, int16_t& lightness) {
    hue = Settings().hue;
    saturation = Settings().saturation;
    lightness = Settings().lightness;
}

HPEN CWindowManager::DirtyPen() { return Settings().dirtyPen; }

// Done once, by the first manager: the show-dirty pen, the common controls
// (the tooltip class) and the alpha-blending library the image drawing looks
// up by name.
void CWindowManager::InitialiseProcessResources() {
    ResourceSettings& settings = Settings();
    if (settings.processResourcesReady) {
        return;
    }
    settings.processResourcesReady = true;
    settings.dirtyPen = CreatePen(PS_SOLID, 1, RGB(220, 0, 0));
    InitCommonControls();
    BlendingLibrary();
}

// --- Life cycle --------------------------------------------------------------

CWindowManager::CWindowManager()
    : nameMap_(kMapBuckets), optionGroups_(kMapBuckets), images_(kMapBuckets), defaultAttributes_(kMapBuckets) {
    InitialiseProcessResources();
    LOGFONTW logFont = {};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(logFont), &logFont);
    logFont.lfCharSet = DEFAULT_CHARSET;
    defaultFont_.font = CreateFontIndirectW(&logFont);
    defaultFont_.faceName.AssignText(logFont.lfFaceName);
    defaultFont_.size = -logFont.lfHeight;
    defaultFont_.bold = logFont.lfWeight >= FW_BOLD;
    defaultFont_.underline = logFont.lfUnderline != 0;
    defaultFont_.italic = logFont.lfItalic != 0;
}

CWindowManager::~CWindowManager() {
    DeleteQueuedControls();
    for (int i = 0; i < queuedNotifications_.Count(); ++i) {
        delete static_cast<NotifyMessage*>(queuedNotifications_.AtUnchecked(i));
    }
    queuedNotifications_.Clear();
    nameMap_.RemoveAll();
    CControlUI* root = root_;
    root_ = nullptr;
    delete root;
    FreeResources();
    KillAllTimers();
    if (toolTipWindow_) {
        DestroyWindow(toolTipWindow_);
        toolTipWindow_ = nullptr;
    }
    DiscardOffscreenBitmaps();
    if (paintDC_) {
        ReleaseDC(window_, paintDC_);
        paintDC_ = nullptr;
    }
    CPointerArray& managers = ManagerList();
    const int index = managers.IndexOf(this);
    if (index >= 0) {
        managers.RemoveAt(index);
    }
}

void CWindowManager::Attach(HWND window) {
    if (paintDC_) {
        ReleaseDC(window_, paintDC_);
    }
    window_ = window;
    paintDC_ = GetDC(window);
    if (ManagerList().IndexOf(this) < 0) {
        ManagerList().Append(this);
    }
}

// --- Window settings ---------------------------------------------------------

void CWindowManager::SetInitialSize(int cx, int cy) {
    initialSize_ = {cx, cy};
    if (!root_ && window_) {
        SetWindowPos(window_, nullptr, 0, 0, cx, cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void CWindowManager::InvalidateArea(const RECT& area) {
    if (window_) {
        InvalidateRect(window_, &area, FALSE);
    }
}

void CWindowManager::SetWindowAlpha(int alpha) {
    windowAlpha_ = alpha < 0 ? 0 : (alpha > 255 ? 255 : alpha);
    if (!window_) {
        return;
    }
    const LONG_PTR style = GetWindowLongPtrW(window_, GWL_EXSTYLE);
    const LONG_PTR layered = style | WS_EX_LAYERED;
    if (layered != style) {
        SetWindowLongPtrW(window_, GWL_EXSTYLE, layered);
    }
    using SetLayeredAttributes = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);
    HMODULE user32 = GetModuleHandleW(L"User32.dll");
    auto setAttributes = user32 ? reinterpret_cast<SetLayeredAttributes>(
                                      reinterpret_cast<void*>(GetProcAddress(user32, "SetLayeredWindowAttributes")))
                                : nullptr;
    if (setAttributes) {
        setAttributes(window_, 0, static_cast<BYTE>(windowAlpha_), LWA_ALPHA);
    }
}

const CWindowManager* CWindowManager::RootManager() const {
    const CWindowManager* manager = this;
    while (manager->parentManager_) {
        manager = manager->parentManager_;
    }
    return manager;
}

uint32_t CWindowManager::DisabledTextColor() const { return RootManager()->disabledTextColor_; }

uint32_t CWindowManager::DefaultTextColor() const { return RootManager()->defaultTextColor_; }

uint32_t CWindowManager::LinkTextColor() const { return RootManager()->linkTextColor_; }

uint32_t CWindowManager::LinkHoverTextColor() const { return RootManager()->linkHoverTextColor_; }

uint32_t CWindowManager::SelectedBackgroundColor() const { return RootManager()->selectedBackgroundColor_; }

bool CWindowManager::SetParentManager(CWindowManager* parent) {
    for (const CWindowManager* link = parent; link; link = link->parentManager_) {
        if (link == this) {
            return false;
        }
    }
    parentManager_ = parent;
    return true;
}

// --- Mouse capture -------------------------------------------------------------

void CWindowManager::CaptureMouse() {
    SetCapture(window_);
    mouseCaptured_ = true;
}

void CWindowManager::ReleaseMouse() {
    ReleaseCapture();
    mouseCaptured_ = false;
}

bool CWindowManager::SetCaptureControl(CControlUI* control) {
    if (captureControl_) {
        return false;
    }
    captureControl_ = control;
    return true;
}

}  // namespace TavikUI
