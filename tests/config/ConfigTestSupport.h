// Helpers of the configuration tests: scratch folders, fixture packages,
// file writing and a recorder for the reports a CPhoneConfig sends.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "DownloadMessage.h"

namespace configtest {

// Windows form (back slashes) of the committed fixtures folder.
std::wstring FixturesDir();
// Folder of the running test program.
std::wstring ProgramFolder();

// A fresh folder under the temporary folder, removed with everything in it.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::wstring& Path() const { return m_path; }
    // Path of a child, created as a folder when makeFolder is set.
    std::wstring Child(const std::wstring& name, bool makeFolder = false) const;

private:
    std::wstring m_path;
};

void CopyTree(const std::wstring& from, const std::wstring& to);
void MakeFolders(const std::wstring& path);
bool FileExists(const std::wstring& path);
void WriteFile(const std::wstring& path, const std::string& bytes);
// Writes a file of the given size with recognisable filler text.
void WriteFiller(const std::wstring& path, size_t size);
std::string ReadFile(const std::wstring& path);
std::string Utf8(const std::wstring& text);
// A package folder that holds only "Quorel_info.ini" with the given VER.
void WriteInfoFile(const std::wstring& folder, const std::string& version);

struct CapturedReport {
    int32_t code;
    std::wstring text;
    uint16_t length;
};

// Collects the reports of the callback while it lives (one at a time).
class ReportRecorder {
public:
    ReportRecorder();
    ~ReportRecorder();
    ReportRecorder(const ReportRecorder&) = delete;
    ReportRecorder& operator=(const ReportRecorder&) = delete;

    static void Callback(const DownloadMessage* message);

    const std::vector<CapturedReport>& Reports() const { return m_reports; }
    std::vector<std::wstring> Texts() const;
    void Clear() { m_reports.clear(); }

private:
    std::vector<CapturedReport> m_reports;
};

// The ok line of a checked file, "%20s %6.2fMb ok", written out by hand.
std::wstring OkLine(const std::wstring& name, const wchar_t* sizeText);

}  // namespace configtest
