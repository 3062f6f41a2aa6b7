// What the skin window sample program and the tests that start it agree on.
#pragma once

namespace SkinWindowSample {

// Beside the test program in the build folder.
constexpr wchar_t kProgramName[] = L"skin_window_sample.exe";
constexpr wchar_t kZipName[] = L"skinwnd_skin.zip";
constexpr wchar_t kResourceName[] = L"SKINWND";
constexpr wchar_t kWindowTitle[] = L"Tavik skin window sample";

// Modes, the first argument. The second, when given, closes the window with
// code 0 after that many milliseconds.
constexpr wchar_t kFromArchiveFile[] = L"archive";
constexpr wchar_t kFromZipResource[] = L"resource";
// The archive without the skin file the window asks for.
constexpr wchar_t kMissingSkin[] = L"broken";
// Built from the archive, then reloaded from an archive that does not exist.
constexpr wchar_t kReloadMissing[] = L"reloadmissing";
// A "ZIP_RES" resource the program does not have.
constexpr wchar_t kMissingResource[] = L"noresource";

// Exit codes of kMissingResource: the window exists without a control tree,
// or something else happened.
constexpr int kEmptyWindowExit = 0;
constexpr int kUnexpectedExit = 2;
// An unknown mode.
constexpr int kUsageExit = 3;

}  // namespace SkinWindowSample
