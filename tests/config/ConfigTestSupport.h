// Helpers of the configuration tests: scratch folders, fixture packages,
// file writing and a recorder for the reports a CPhoneConfig sends.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "DownloadMessage.h"
#include "ReportRecorder.h"
#include "TestFiles.h"

namespace configtest {

using testsupport::FixturesDir;
using testsupport::ProductDataDir;
using testsupport::ProgramFolder;
using testsupport::Utf8;

// A fresh folder under the temporary folder, removed with everything in it.
class ScratchFolder : public testsupport::ScratchFolder {
public:
    ScratchFolder();

    // Path of a child, created as a folder when makeFolder is set.
    std::wstring Child(const std::wstring& name, bool makeFolder = false) const;
};

// A file into the folder `to`, or what lies below a folder into `to`.
void CopyTree(const std::wstring& from, const std::wstring& to);
void MakeFolders(const std::wstring& path);
bool FileExists(const std::wstring& path);
void WriteFile(const std::wstring& path, const std::string& bytes);
// Writes a file of the given size with recognisable filler text.
void WriteFiller(const std::wstring& path, size_t size);
// The whole file; empty when it cannot be read.
std::string ReadFile(const std::wstring& path);
// A package folder that holds only "Quorel_info.ini" with the given VER.
void WriteInfoFile(const std::wstring& folder, const std::string& version);

using CapturedReport = testsupport::RecordedReport;
using testsupport::ReportRecorder;

// The ok line of a checked file, "%20s %6.2fMb ok", written out by hand.
std::wstring OkLine(const std::wstring& name, const wchar_t* sizeText);

}  // namespace configtest
