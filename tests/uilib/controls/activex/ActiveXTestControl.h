// The in-process OLE control the ActiveX host tests load by file name: it
// counts every reference held on its objects, draws a known colour through
// its view object, answers hit tests (left half of its bounds: hit) and
// records the window messages it gets. Its three classes differ in how they
// activate (or fail to).
#pragma once

#include <windows.h>

namespace ActiveXTests {

// Asks for windowless activation; offers IViewObjectEx.
inline constexpr CLSID kWindowlessClsid = {
    0x6A1D0C01, 0x5E2B, 0x4F7A, {0x9C, 0x11, 0x3B, 0x70, 0x21, 0xA4, 0x55, 0x01}};
// Activates in a window of its own inside the host's window.
inline constexpr CLSID kWindowedClsid = {0x6A1D0C02, 0x5E2B, 0x4F7A, {0x9C, 0x11, 0x3B, 0x70, 0x21, 0xA4, 0x55, 0x02}};
// Windowless, but offers only IViewObject2: it cannot answer hit tests.
inline constexpr CLSID kNoHitTestClsid = {0x6A1D0C03, 0x5E2B, 0x4F7A, {0x9C, 0x11, 0x3B, 0x70, 0x21, 0xA4, 0x55, 0x03}};
// Windowless, but its in-place activation fails.
inline constexpr CLSID kRefusingClsid = {0x6A1D0C04, 0x5E2B, 0x4F7A, {0x9C, 0x11, 0x3B, 0x70, 0x21, 0xA4, 0x55, 0x04}};

inline constexpr wchar_t kModuleName[] = L"activex_test_control.dll";
inline constexpr char kStateExport[] = "ActiveXTestState";
// What the control paints (0x00BBGGRR).
inline constexpr COLORREF kDrawColor = RGB(0x20, 0xC0, 0x40);
// Its answer to every window message it is given.
inline constexpr LRESULT kMessageAnswer = 0x5A;

struct TestControlState {
    LONG references;  // held on every object and the class factory
    LONG liveObjects;
    LONG verbs;           // DoVerb calls
    LONG runningLocks;    // IRunnableObject locks held
    LONG hostReferences;  // references the objects hold on the host's site
    LONG windowMessages;  // OnWindowMessage calls
    UINT lastMessage;
    LPARAM lastLParam;
    HWND ownWindow;  // the windowed class's window while active
};

using StateFunction = TestControlState* (*)();

}  // namespace ActiveXTests
