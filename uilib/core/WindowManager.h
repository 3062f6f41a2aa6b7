// The window manager: one per skinned window. It owns the control tree of its
// window, turns native messages into UIEvent records for the controls, paints
// the tree through an off-screen bitmap, runs control timers, focus moves and
// notifications, and holds the window's fonts, images and default attributes.
//
// The process-wide settings (module instance, resource folder, skin archive)
// are static: every program sets them at start, before any window exists; the
// skin and image loaders read them.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>

#include "NotifyPump.h"
#include "PointerArray.h"
#include "ProgramMessages.h"
#include "StringHashMap.h"
#include "UIEvent.h"
#include "UIInterfaces.h"
#include "UIRect.h"
#include "WideString.h"
#include "ZipArchive.h"

namespace TavikUI {

class CControlUI;
struct ImageRecord;

// One font of a manager. Skins and markup name added fonts by their position
// in the manager's font list. The metrics are all zero until measured.
struct FontRecord {
    HFONT font = nullptr;
    CWideString faceName;
    int32_t size = 0;
    bool bold = false;
    bool underline = false;
    bool italic = false;
    TEXTMETRICW metrics = {};
};

class CWindowManager {
public:
    // The message the delayed-delete queue is emptied on.
    static constexpr UINT kDeleteQueuedMessage = WM_APP + 1;
    static_assert(kDeleteQueuedMessage <= kLastLibraryMessage, "library messages stay in the library range");

    CWindowManager();
    CWindowManager(const CWindowManager&) = delete;
    CWindowManager& operator=(const CWindowManager&) = delete;
    ~CWindowManager();

    // --- Process-wide settings -------------------------------------------

    static void SetModuleInstance(HINSTANCE instance);
    static HINSTANCE ModuleInstance();
    // The module resources are loaded from.
    static HINSTANCE ResourceInstance();
    // The module file's folder with its trailing back slash; "" without a
    // module instance.
    static CWideString ModuleFolder();

    // Stores the folder, adding a back slash unless it is empty or already
    // ends in a back slash or slash.
    static void SetResourceFolder(const wchar_t* path);
    static CWideString ResourceFolder();

    // The skin archive: a zip file name relative to the resource folder, or
    // "membuffer" for an archive held in memory. With `cache` the archive is
    // opened now and stays open; without it each loader opens it per use.
    static void SetSkinArchive(const wchar_t* name, bool cache);
    // Opens the block as the skin archive and keeps it open. The block must
    // outlive the archive.
    static void SetSkinArchiveInMemory(const void* data, uint32_t size);
    static CWideString SkinArchiveName();
    static bool SkinArchiveCached();
    // The open archive while cached, else null.
    static HZIPARCHIVE CachedSkinArchive();

    // Creator functions the skin builder asks for tags it does not know.
    static CPointerArray& PluginCreators();
    // The colour shift controls apply when asked to ("colorhsl").
    static void GetHsl(int16_t& hue, int16_t& saturation, int16_t& lightness);

    // --- Binding and window settings --------------------------------------

    // Binds the manager to its window: takes the window's DC as paint DC and
    // enters the manager into the list PreTranslateAll searches.
    void Attach(HWND window);
    HWND Window() const { return window_; }
    HDC PaintDC() const { return paintDC_; }

    // Resizes the window at once while no root is attached.
    void SetInitialSize(int cx, int cy);
    SIZE InitialSize() const { return initialSize_; }
    void SetSizeBox(const RECT& insets) { sizeBox_ = insets; }
    CUIRect SizeBox() const { return sizeBox_; }
    void SetCaptionRect(const RECT& caption) { captionRect_ = caption; }
    CUIRect CaptionRect() const { return captionRect_; }
    void SetRoundCorner(int cx, int cy) { roundCorner_ = {cx, cy}; }
    SIZE RoundCorner() const { return roundCorner_; }
    // Minimum and maximum track sizes; 0 leaves a dimension to the system.
    void SetMinInfo(int cx, int cy) { minTrackSize_ = {cx, cy}; }
    SIZE MinInfo() const { return minTrackSize_; }
    void SetMaxInfo(int cx, int cy) { maxTrackSize_ = {cx, cy}; }
    SIZE MaxInfo() const { return maxTrackSize_; }

    void SetShowDirty(bool show) { showDirty_ = show; }
    void SetBackgroundTransparent(bool transparent) { backgroundTransparent_ = transparent; }
    // Layout runs before the next paint.
    void MarkForUpdate() { needsUpdate_ = true; }
    void InvalidateArea(const RECT& area);
    // Clamped to 0..255; makes the window layered and sets its alpha.
    void SetWindowAlpha(int alpha);
    int WindowAlpha() const { return windowAlpha_; }
    POINT MousePoint() const { return lastMousePoint_; }
    // Some control has a virtual-window name: notifications then carry it.
    void MarkVirtualWindowsInUse() { virtualWindowsInUse_ = true; }

    // Colours (0xAARRGGBB). Getters answer the root manager's value (the end
    // of the parent chain); setters write this manager's.
    uint32_t DisabledTextColor() const;
    void SetDisabledTextColor(uint32_t color) { disabledTextColor_ = color; }
    uint32_t DefaultTextColor() const;
    void SetDefaultTextColor(uint32_t color) { defaultTextColor_ = color; }
    uint32_t LinkTextColor() const;
    void SetLinkTextColor(uint32_t color) { linkTextColor_ = color; }
    uint32_t LinkHoverTextColor() const;
    void SetLinkHoverTextColor(uint32_t color) { linkHoverTextColor_ = color; }
    uint32_t SelectedBackgroundColor() const;
    void SetSelectedBackgroundColor(uint32_t color) { selectedBackgroundColor_ = color; }

    // False, changing nothing, when this manager is already in the chain that
    // starts at `parent`; null clears the parent.
    bool SetParentManager(CWindowManager* parent);
    CWindowManager* ParentManager() const { return parentManager_; }

    // --- Fonts ---------------------------------------------------------------

    // Replaces the default font; keeps the old one when creation fails.
    void SetDefaultFont(const wchar_t* face, int size, bool bold, bool underline, bool italic);
    // Appends a font to the list; null, keeping nothing, when it cannot be made.
    HFONT AddFont(const wchar_t* face, int size, bool bold, bool underline, bool italic);
    int FontCount() const { return fonts_.Count(); }
    // The font at the index, or the root manager's default font for any index
    // out of range.
    HFONT FontAt(int index);
    FontRecord* FontRecordAt(int index);
    FontRecord* DefaultFontRecord();
    // The first font of this manager, then of each parent, with exactly these
    // values; null when none.
    HFONT FindFont(const wchar_t* face, int size, bool bold, bool underline, bool italic) const;
    // The record holding the handle here or in a parent; else the root
    // manager's default record.
    FontRecord* FontRecordOf(HFONT font);

    // --- Images ----------------------------------------------------------------

    // The cached image of that name, loading and caching it when missing.
    ImageRecord* ImageOrAdd(const wchar_t* name, const wchar_t* resourceType = nullptr, uint32_t maskColor = 0);
    // With a resource type the name is a decimal resource id. Null, caching
    // nothing, when the image cannot be loaded.
    ImageRecord* LoadAndCacheImage(const wchar_t* name, const wchar_t* resourceType = nullptr, uint32_t maskColor = 0);

    // --- Default attributes ----------------------------------------------------

    // The first string stored for a tag stays.
    void SetDefaultAttributes(const wchar_t* tag, const wchar_t* attributes);
    // This manager's string for the tag, else the nearest parent's; null if none.
    const wchar_t* DefaultAttributesFor(const wchar_t* tag) const;

    // --- The control tree --------------------------------------------------------

    // Makes the control the root: the focus, hover and pressed controls are
    // dropped, a previous root goes to the delayed-delete queue, and the tree
    // is adopted. Layout, "windowinit" and the first focus follow at the next
    // paint.
    bool AttachRoot(CControlUI* control);
    CControlUI* Root() const { return root_; }
    CControlUI* FocusedControl() const { return focused_; }
    CControlUI* FindControlByName(const wchar_t* name);
    // The topmost visible control that takes the mouse at the point.
    CControlUI* FindControlAt(POINT point) const;
    // Attaches the tree to this manager (with init) and enters its named
    // controls into the name map.
    bool AdoptControlTree(CControlUI* control, CControlUI* parent = nullptr);
    // Drops every reference the manager holds to the control; notifications
    // it sent that are queued or being delivered go on without a sender.
    void ForgetControl(CControlUI* control);
    // Deletes the control (with its children) once the current message is
    // done; for controls that may be inside their own event handling.
    void DeleteLater(CControlUI* control);

    // --- Registries ----------------------------------------------------------------

    bool RegisterNotifyReceiver(INotifyUI* receiver);
    bool UnregisterNotifyReceiver(INotifyUI* receiver);
    bool RegisterPreTranslateFilter(IMessageFilterUI* filter);
    bool UnregisterPreTranslateFilter(IMessageFilterUI* filter);
    bool RegisterMessageFilter(IMessageFilterUI* filter);
    bool UnregisterMessageFilter(IMessageFilterUI* filter);
    bool RegisterPostPaintControl(CControlUI* control);
    bool UnregisterPostPaintControl(CControlUI* control);
    bool RegisterAcceleratorTranslator(ITranslateAccelerator* translator);
    bool UnregisterAcceleratorTranslator(ITranslateAccelerator* translator);
    // A control's filter or translator follows the control when it changes
    // managers (`active`: it still filters), so no manager keeps one of a
    // control it no longer holds, which may be deleted unseen.
    static void MoveMessageFilter(IMessageFilterUI* filter, CWindowManager* from, CWindowManager* to, bool active);
    static void MoveAcceleratorTranslator(ITranslateAccelerator* translator, CWindowManager* from, CWindowManager* to,
                                          bool active);
    // True when a translator consumed the message (answered S_OK).
    bool TranslateAccelerators(MSG* message);

    // --- Option groups ----------------------------------------------------------------

    // False when the option is already a member.
    bool AddOptionToGroup(const wchar_t* group, CControlUI* option);
    // A group left empty is deleted.
    void RemoveOptionFromGroup(const wchar_t* group, CControlUI* option);
    // The group's options (CControlUI*), or null.
    CPointerArray* OptionGroup(const wchar_t* group);

    // --- Timers -----------------------------------------------------------------------

    // False when the timer already runs or the system refuses it; a stopped
    // timer of the same control and id is started again.
    bool SetControlTimer(CControlUI* control, UINT id, UINT elapse);
    // Stops a running timer (kept for re-arming); false when none runs.
    bool KillControlTimer(CControlUI* control, UINT id);
    void KillAllControlTimers(CControlUI* control);

    // --- Mouse capture ------------------------------------------------------------------

    void CaptureMouse();
    void ReleaseMouse();
    bool HasMouseCapture() const { return mouseCaptured_; }
    // The control then gets every mouse move until the capture ends; false
    // when another control holds it.
    bool SetCaptureControl(CControlUI* control);

    // --- Focus -------------------------------------------------------------------------

    void MoveFocusTo(CControlUI* control);
    bool MoveFocusToNextTabStop(bool forward = true);
    // After a native popup closed: the focus goes back to the window and, at
    // the next paint, onto the control with the usual events.
    void FocusWindowAndControl(CControlUI* control);

    // --- Notifications -------------------------------------------------------------------

    void SendNotification(CControlUI* sender, const wchar_t* type, WPARAM wParam = 0, LPARAM lParam = 0,
                          bool asynchronous = false);
    // Asynchronous notifications are delivered when the handler next sees a
    // message it does not consume.
    void DeliverNotification(NotifyMessage& message, bool asynchronous = false);

    // --- Message dispatch ---------------------------------------------------------------

    // True when the manager handled the message; the caller then answers
    // `result`.
    bool HandleWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // Tab moves, Alt shortcuts and system keys; true when consumed.
    bool PreTranslate(UINT message, WPARAM wParam, LPARAM lParam);
    // Offers a message of the modal loop to the manager of its window (or of
    // an ancestor for child windows); false lets the loop dispatch it.
    static bool PreTranslateAll(MSG* message);
    // Which mouse buttons and modifier keys are down (UIKeyStateBit).
    static uint16_t KeyState();

private:
    struct TimerEntry {
        CControlUI* control;
        UINT id;
        HWND window;
        UINT nativeId;
        bool stopped;
    };

    static CPointerArray& ManagerList();
    static void CloseCachedArchive();
    static void InitialiseProcessResources();
    // Outlines update rectangles in show-dirty mode; made by the first manager.
    static HPEN DirtyPen();

    const CWindowManager* RootManager() const;
    void MeasureFont(FontRecord& record);
    HFONT CreateManagerFont(const wchar_t* face, int size, bool bold, bool underline, bool italic) const;
    void FreeResources();

    bool NativeTimerIdInUse(UINT nativeId) const;
    TimerEntry* FindTimer(CControlUI* control, UINT id);
    void KillAllTimers();
    CControlUI* TabStopNear(CControlUI* from, bool forward) const;
    void ForgetTree(CControlUI* control);

    void SendEvent(CControlUI* target, int32_t type, POINT point, uint16_t keyState = 0, WPARAM wParam = 0,
                   LPARAM lParam = 0, CControlUI* sender = nullptr);
    void SendKeyEvent(CControlUI* target, int32_t type, WPARAM key);
    void DeliverQueuedNotifications();
    void DeliverToReceivers(NotifyMessage& message);
    void DeleteQueuedControls();
    CControlUI* OwnControlAt(POINT point) const;

    void OnPaint();
    void LayOutPendingControls();
    void PaintOffscreen(const RECT& area, HDC screen);
    void DiscardOffscreenBitmaps();
    void OnPrintClient(HDC dc, LPARAM flags);
    void OnMouseMove(LPARAM lParam);
    void OnButtonDown(int32_t eventType, WPARAM wParam, LPARAM lParam);
    void OnButtonUp(int32_t eventType, WPARAM wParam, LPARAM lParam);
    void OnDoubleClick(WPARAM wParam, LPARAM lParam);
    bool OnMouseHover(LPARAM lParam);
    void OnMouseLeave();
    void OnMouseWheel(WPARAM wParam, LPARAM lParam);
    bool OnSetCursor(WPARAM wParam, LPARAM lParam);
    void OnContextMenu(WPARAM wParam, LPARAM lParam);
    void OnTimer(WPARAM wParam);
    void OnClose();
    void ShowToolTip(CControlUI* control);
    void HideToolTip();
    bool ShortcutKey(wchar_t character);

    HWND window_ = nullptr;
    int windowAlpha_ = 255;
    HDC paintDC_ = nullptr;
    HDC offscreenDC_ = nullptr;
    HDC backgroundDC_ = nullptr;
    HBITMAP offscreenBitmap_ = nullptr;
    HBITMAP backgroundBitmap_ = nullptr;
    HWND toolTipWindow_ = nullptr;
    TOOLINFOW toolInfo_ = {};
    bool showDirty_ = false;

    CControlUI* root_ = nullptr;
    CControlUI* focused_ = nullptr;
    CControlUI* hover_ = nullptr;
    CControlUI* pressed_ = nullptr;
    CControlUI* keyDown_ = nullptr;
    CControlUI* captureControl_ = nullptr;

    POINT lastMousePoint_ = {-1, -1};
    SIZE minTrackSize_ = {0, 0};
    SIZE maxTrackSize_ = {0, 0};
    SIZE initialSize_ = {0, 0};
    CUIRect sizeBox_;
    SIZE roundCorner_ = {0, 0};
    CUIRect captionRect_;
    uint32_t timerCounter_ = 0x1000;

    bool windowInitPending_ = true;
    bool needsUpdate_ = false;
    bool focusNeeded_ = false;
    bool offscreenPainting_ = true;
    bool backgroundTransparent_ = false;
    bool mouseTracking_ = false;
    bool mouseCaptured_ = false;
    bool virtualWindowsInUse_ = false;

    CPointerArray notifyReceivers_;
    CPointerArray timers_;
    CPointerArray preTranslateFilters_;
    CPointerArray messageFilters_;
    CPointerArray postPaintControls_;
    CPointerArray delayedDeletes_;
    CPointerArray queuedNotifications_;
    CStringHashMap nameMap_;
    CStringHashMap optionGroups_;
    CWindowManager* parentManager_ = nullptr;

    uint32_t disabledTextColor_ = 0xFFA7A6AA;
    uint32_t defaultTextColor_ = 0xFF000000;
    uint32_t linkTextColor_ = 0xFF0000FF;
    uint32_t linkHoverTextColor_ = 0xFFD3215F;
    uint32_t selectedBackgroundColor_ = 0xFFBAE4FF;

    FontRecord defaultFont_;
    CPointerArray fonts_;
    CStringHashMap images_;
    CStringHashMap defaultAttributes_;
    CPointerArray acceleratorTranslators_;

    // Notifications being delivered (NotifyMessage*, nested deliveries
    // included): a sender forgotten mid-delivery is cleared in them, which
    // ends their delivery.
    CPointerArray notificationsInFlight_;
};

}  // namespace TavikUI
