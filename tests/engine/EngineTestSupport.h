// Shared pieces of the engine tests: a recorder for the engine's reports, a
// fixture that puts a simulated phone on the bus (and takes everything off
// again), and small file helpers.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "DownloadMessage.h"
#include "QcomDownloader.h"
#include "ReportRecorder.h"
#include "SimPhone.h"
#include "TestFiles.h"

using testsupport::RecordedReport;
using testsupport::ReportRecorder;
using testsupport::TextReport;

// An engine reporting to the recorder. Kept on the heap: it holds the
// 136 KB image table.
std::unique_ptr<CQcomDownloader> MakeEngine();

// Routes QMSL texts to one engine, as the owner's callback does.
void RouteQmslTextsTo(CQcomDownloader* engine);
void ForwardQmslText(void* handle, const char* text, uint16_t length);

// A fresh folder under the temporary folder, removed with everything in it.
class TempFolder : public testsupport::ScratchFolder {
public:
    TempFolder() : testsupport::ScratchFolder(L"tavik_engine_") {}
};

using testsupport::CopyFolderTree;
using testsupport::FixturesDir;
using testsupport::ProductDataDir;
using testsupport::ProgramFolder;
using testsupport::RemoveFolderTree;
using testsupport::WriteBytes;

// The whole file; a failure of the test when it cannot be read.
std::string ReadWholeFile(const std::wstring& path);
std::string NarrowPath(const std::wstring& path);

// A test with phone 1 on the bus (switched off), its folder named by the
// environment so the QMSL stand-in acts on it. Everything it plugs is
// unplugged at the end.
class SimPhoneTest : public ::testing::Test {
protected:
    static constexpr uint64_t kStorageBytes = 4 * 1024 * 1024;
    static constexpr char kVersion[] = "AP:QX_V1.0_T01 build";

    void SetUp() override;
    void TearDown() override;

    SimPhone& Phone() { return *phone_; }
    // Phone 2, on the bus but not named by the environment.
    SimPhone& SecondPhone();
    // A Ports node of our own (for odd names); removed at the end.
    void PlugExtraPort(const std::wstring& instanceId, const std::wstring& friendlyName,
                       const std::wstring& description);

    // Lines of phone 1's journal equal to the text, or starting with it.
    size_t CountJournal(const std::string& line) const;
    size_t CountJournalStarting(const std::string& start) const;
    // Journal lines starting with the text, in order.
    std::vector<std::string> JournalStarting(const std::string& start) const;

    std::unique_ptr<TempFolder> folders_;
    std::optional<SimPhone> phone_;
    std::optional<SimPhone> secondPhone_;
    std::vector<std::wstring> extraPorts_;
};

std::wstring ToWide(const std::string& text);
