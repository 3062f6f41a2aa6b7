// The download job from the real window: packages flashed onto the simulated
// phone through the Qualcomm engine and the MediaTek stand-in, every outcome
// page with its back and retry buttons, the version check's markup, the help
// menu, the about box and the close warning during a download.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>

#include "AnnulusProgressUI.h"
#include "AppTestSupport.h"
#include "ButtonUrlUI.h"
#include "FlowTestSupport.h"
#include "MarkupEscape.h"
#include "MessageDlg.h"
#include "SimDiskControl.h"
#include "SimPhone.h"
#include "SkinMenu.h"
#include "TextFormat.h"

namespace {

using apptest::MessageBoxAnswerer;
using apptest::PumpPending;
using apptest::PumpUntil;

constexpr uint64_t kStorageBytes = 4 * 1024 * 1024;
constexpr uint32_t kPatternSeed = 0x7A1C;
constexpr DWORD kJobWaitMs = 60000;
// The reasons of the pages whose cause the tool decides.
constexpr wchar_t kTimeOutReason[] = L"Error:等待手机超时!";
constexpr wchar_t kVersionReason[] = L"Error:手机版本与资源包不符!";

using FolderChange = std::function<void(const std::wstring&)>;

// The MediaTek library beside the program: ours, the build without
// MTKDL_Download, or none.
enum class MtkLibraryKind { kComplete, kMissingDownload, kNone };

std::string PatternStorage() {
    std::string bytes(static_cast<size_t>(kStorageBytes), '\0');
    uint32_t state = kPatternSeed;
    for (char& byte : bytes) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<char>(state >> 24);
    }
    return bytes;
}

class DownloadJobTest : public apptest::MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        phone_.emplace(scratch_->File(L"phone1"));
        ASSERT_TRUE(phone_->Create(1, kStorageBytes, "AP:none"));
        ASSERT_TRUE(SetEnvironmentVariableW(kSimPhoneDirVariable, phone_->Folder().c_str()));
        InstallMtkLibrary(MtkLibraryKind::kComplete);
    }

    void TearDown() override {
        answerer_.reset();
        if (window_) {
            CloseWindow();
        }
        // The phone's state lies in the scratch folder: unplug it first.
        EXPECT_TRUE(phone_->Remove());
        SetEnvironmentVariableW(kSimPhoneDirVariable, nullptr);
        InstallMtkLibrary(MtkLibraryKind::kComplete);
        if (phoneListSaved_) {
            EXPECT_TRUE(testsupport::WriteBytes(PhoneListPath(), *phoneListSaved_));
        }
        MainWindowTest::TearDown();
    }

    static std::wstring PhoneListPath() { return apptest::ProgramFolder() + L"\\PhoneList.Xml"; }

    void InstallMtkLibrary(MtkLibraryKind kind) {
        const std::wstring target = apptest::ProgramFolder() + L"\\QX_M_BCB_DL_Dll.dll";
        DeleteFileW(target.c_str());
        if (kind != MtkLibraryKind::kNone) {
            const std::wstring source =
                ToWide(kind == MtkLibraryKind::kComplete ? TAVIK_MTK_LIBRARY_DIR
                                                         : TAVIK_MTK_LIBRARY_MISSING_DOWNLOAD_DIR) +
                L"\\QX_M_BCB_DL_Dll.dll";
            ASSERT_TRUE(CopyFileW(source.c_str(), target.c_str(), FALSE));
        }
    }

    // Changes the phone list beside the program for this test.
    void EditPhoneList(const std::string& from, const std::string& to) {
        std::string list = ReadWholeFile(PhoneListPath());
        if (!phoneListSaved_) {
            phoneListSaved_ = list;
        }
        const size_t at = list.find(from);
        ASSERT_NE(std::string::npos, at) << from;
        list.replace(at, from.size(), to);
        ASSERT_TRUE(testsupport::WriteBytes(PhoneListPath(), list));
    }

    // The window with the package checked and ready, every message box
    // answered with the button.
    void OpenWithPackage(const std::wstring& folder, const wchar_t* boxButton = L"MessageBoxOKBtn") {
        answerer_ = std::make_unique<MessageBoxAnswerer>(boxButton);
        OpenWindow();
        // The engine's disk requests get the simulated phone's answers.
        window_->Engine().diskControl = std::make_unique<CSimDiskControl>();
        GoToPackagePage();
        CheckPackage(folder);
        ASSERT_TRUE(window_->PackageReady()) << LogText();
    }

    // Starts the download (or a retry) with a click and waits for the page
    // the job ends on.
    void RunJob(const wchar_t* button = L"ConfirmSoftwareBtn") {
        Click(button);
        ASSERT_TRUE(PumpUntil([this] { return !window_->JobRunning(); }, kJobWaitMs)) << LogText();
        // The outcome page follows the job's end.
        PumpUntil([this] { return Page(L"FunctionTab") != TavikPage::kFunctionProgress; }, 2000);
        PumpPending();
        Repaint();
    }

    // The job ended on the "ConnetDev" page, its reason in red under it.
    void ExpectConnectPage(int page, const std::wstring& reason) {
        EXPECT_EQ(TavikPage::kFunctionConnecting, Page(L"FunctionTab")) << LogText();
        EXPECT_EQ(page, Page(L"ConnetDev")) << LogText();
        ExpectStatusShown(reason, kStatusRed);
    }

    // Back returns to the package choice with the package still ready.
    void ExpectBackKeepsThePackage(const wchar_t* backButton) {
        Click(backButton);
        EXPECT_EQ(TavikPage::kFunctionChoosePackage, Page(L"FunctionTab"));
        EXPECT_TRUE(window_->PackageReady());
        EXPECT_TRUE(Enabled(L"ConfirmSoftwareBtn"));
    }

    // The status under the pages shows the text in its colour, drawn.
    void ExpectStatusShown(const std::wstring& text, DWORD color) {
        EXPECT_EQ(text, Text(L"DownloadStatus")) << LogText();
        EXPECT_EQ(color, TextColor(L"DownloadStatus"));
        TavikUI::CControlUI* status = Control(L"DownloadStatus");
        ASSERT_NE(nullptr, status);
        EXPECT_TRUE(status->IsVisible());
        const RECT rect = status->Rect();
        RECT client = {};
        GetClientRect(window_->Handle(), &client);
        RECT shown = {};
        EXPECT_TRUE(IntersectRect(&shown, &rect, &client) && shown.bottom - shown.top >= 40);
    }

    // The success page shows the summary with the time and throughput.
    void ExpectSummaryShown() {
        const std::wstring summary = Text(L"DownloadStatus");
        ExpectStatusShown(summary, kStatusGreen);
        EXPECT_NE(std::wstring::npos, summary.find(L"Total Time")) << testsupport::Utf8(summary);
        EXPECT_NE(std::wstring::npos, summary.find(L"Throughput")) << testsupport::Utf8(summary);
    }

    int RingValue() {
        auto* ring = static_cast<TavikUI::CAnnulusProgressUI*>(
            Control(L"DownloadProgress")->InterfaceByName(L"AnnulusProgressUI"));
        return ring ? ring->CurrentValue() : -1;
    }

    std::string Storage() {
        std::string bytes(static_cast<size_t>(kStorageBytes), '\0');
        EXPECT_TRUE(phone_->ReadStorage(0, &bytes[0], bytes.size()));
        return bytes;
    }

    size_t JournalCount(const std::string& line) {
        const std::vector<std::string> journal = phone_->Journal();
        return static_cast<size_t>(std::count(journal.begin(), journal.end(), line));
    }

    // A copy whose primary GPT image carries its signature, so a written
    // phone starts normally again; of the FireHose sample when named.
    std::wstring FlashablePackage(const wchar_t* sample) { return FlashablePackage(L"package", nullptr, sample); }
    std::wstring FlashablePackage(const wchar_t* name, const FolderChange& change,
                                  const wchar_t* sample = L"SampleFH8974") {
        return CopyPackage(sample, name, [&change](const std::wstring& folder) {
            const std::wstring gpt = folder + L"\\gpt_main0.bin";
            std::string bytes = ReadWholeFile(gpt);
            ASSERT_GT(bytes.size(), 1024u);
            bytes.replace(512, 8, "EFI PART");
            ASSERT_TRUE(testsupport::WriteBytes(gpt, bytes));
            if (change) {
                change(folder);
            }
        });
    }

    std::optional<SimPhone> phone_;
    std::unique_ptr<MessageBoxAnswerer> answerer_;
    std::optional<std::string> phoneListSaved_;
};

struct QcomCase {
    const wchar_t* sample;
    SimPhoneMode mode;
    bool layoutWiped;    // the flow deletes the disk layout first
    bool versionNotice;  // the phone list asks for the version, which the mode cannot give
};

class QcomDownloadTypeTest : public DownloadJobTest, public ::testing::WithParamInterface<QcomCase> {};

TEST_P(QcomDownloadTypeTest, FlashesThePackageAndEndsOnTheSuccessPage) {
    const QcomCase sample = GetParam();
    const std::wstring package = FlashablePackage(sample.sample);
    OpenWithPackage(package);
    Click(L"SaveProductionData");
    ASSERT_TRUE(phone_->SetMode(sample.mode));
    const std::string before = PatternStorage();
    ASSERT_TRUE(phone_->WriteStorage(0, before.data(), before.size()));

    Click(L"ConfirmSoftwareBtn");
    ASSERT_TRUE(PumpUntil([&] { return !window_->JobRunning(); }, kJobWaitMs));
    PumpUntil([this] { return Page(L"FunctionTab") == TavikPage::kFunctionSucceeded; }, 2000);

    EXPECT_EQ(TavikPage::kFunctionSucceeded, Page(L"FunctionTab")) << LogText();
    // The ring moved past the step markers while the images went out.
    EXPECT_GT(RingValue(), 4);
    // The notice of a missing phone version came from the UI thread (the
    // answerer sees only its windows), and only when the list asks.
    EXPECT_EQ(sample.versionNotice ? 2 : 1, answerer_->Answered());
    if (sample.versionNotice) {
        EXPECT_EQ(L"tavik\\VerNULLWarring.xml", answerer_->LastSkin());
    }
    ExpectSummaryShown();
    // The lists the package check chose for the download.
    EXPECT_TRUE(Storage() == ModelStorage(before, sample.layoutWiped, ToWide(g_imageTable.rawprogramPath),
                                          ToWide(g_imageTable.patchPath)))
        << "the storage differs from the package's lists";
    EXPECT_FALSE(window_->WorkInProgress());
    ExpectBackKeepsThePackage(L"DownloadSucBtn");
}

INSTANTIATE_TEST_SUITE_P(EachType, QcomDownloadTypeTest,
                         ::testing::Values(QcomCase{L"SampleFH8974", SimPhoneMode::EmergencyDownload, false, false},
                                           QcomCase{L"SampleSH8x26", SimPhoneMode::Download, true, true},
                                           QcomCase{L"SampleAuto8974", SimPhoneMode::EmergencyDownload, false, true}));

TEST_F(DownloadJobTest, KeepingUserDataLeavesItsSectorsAndTheFullPackageWritesThem) {
    const std::wstring package = FlashablePackage(L"SampleFH8974");
    OpenWithPackage(package);
    ASSERT_TRUE(phone_->SetMode(SimPhoneMode::EmergencyDownload));
    const std::string before = PatternStorage();
    ASSERT_TRUE(phone_->WriteStorage(0, before.data(), before.size()));

    RunJob();  // the user data kept: the default choice
    ASSERT_EQ(TavikPage::kFunctionSucceeded, Page(L"FunctionTab")) << LogText();
    const std::string kept = Storage();
    // udisk and usbmsc (sectors 74..89) keep what they had.
    EXPECT_EQ(before.substr(74 * 512, 16 * 512), kept.substr(74 * 512, 16 * 512));
    EXPECT_TRUE(kept == ModelStorage(before, false, package + L"\\rawprogram_unsparse_for_User.xml",
                                     package + L"\\patch0.xml"));

    Click(L"DownloadSucBtn");
    Click(L"SaveProductionData");
    ASSERT_TRUE(phone_->SetMode(SimPhoneMode::EmergencyDownload));
    RunJob();
    ASSERT_EQ(TavikPage::kFunctionSucceeded, Page(L"FunctionTab")) << LogText();
    EXPECT_TRUE(Storage() ==
                ModelStorage(kept, false, package + L"\\rawprogram_unsparse.xml", package + L"\\patch0.xml"));
    EXPECT_NE(before.substr(74 * 512, 16 * 512), Storage().substr(74 * 512, 16 * 512));
}

// Makes a flashable copy of the FireHose sample under a name, `change`
// spoiling it.
using PackageCopier = std::function<std::wstring(const wchar_t* name, const FolderChange& change)>;

// A package the check must not let change the phone: checked and, when the
// check passes it, downloaded keeping the user's data. Each leaves the
// storage as it was, or written by the package's own layout, and names its
// reason on the page (its folder's name in it) and in the log.
struct HostilePackage {
    const char* what;
    std::function<std::wstring(const PackageCopier& copy)> make;
    bool passesCheck;
    // The red reason of the check's status line or of the download's page
    // (it may go on with the system's error text), from the folder; none:
    // the download succeeds.
    std::function<std::wstring(const std::wstring& folder)> reason;
    const wchar_t* sample = L"SampleFH8974";
    // The phone's mode; the disk writer's sample starts in download mode.
    std::optional<SimPhoneMode> mode = std::nullopt;
    // The keep-user-data list cannot be written: the note beside the choice
    // says so, and the full flash ("完整刷机") writes the package.
    bool listNote = false;
};

// Flashed through the disk writer, from download mode.
const wchar_t kDiskSample[] = L"SampleSH8x26";
const wchar_t kAutoSample[] = L"SampleAuto8974";

// A flashable copy of the FireHose sample whose keep-user-data list is a
// release's with another layout (boot and system swapped), written later
// than the package's own lists.
std::wstring WithStaleUserList(const std::wstring& folder) {
    std::string stale = ReadWholeFile(folder + L"\\rawprogram_unsparse.xml");
    for (const char* image : {"udisk.img", "usbmsc.img"}) {
        stale.replace(stale.find(image), std::strlen(image), "");
    }
    stale.replace(stale.find("boot.img"), 8, "SWAP.img");
    stale.replace(stale.find("system.img"), 10, "boot.img");
    stale.replace(stale.find("SWAP.img"), 8, "system.img");
    const std::wstring list = folder + L"\\rawprogram_unsparse_for_User.xml";
    EXPECT_TRUE(testsupport::WriteBytes(list, stale));
    HANDLE file = CreateFileW(list.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    FILETIME later = {};
    GetSystemTimeAsFileTime(&later);
    reinterpret_cast<ULARGE_INTEGER&>(later).QuadPart += 3600ull * 10000000ull;
    EXPECT_TRUE(SetFileTime(file, nullptr, nullptr, &later));
    CloseHandle(file);
    return folder;
}

void ReplaceInFile(const std::wstring& path, const std::string& from, const std::string& to) {
    std::string text = ReadWholeFile(path);
    const size_t at = text.find(from);
    ASSERT_NE(std::string::npos, at) << from;
    ASSERT_TRUE(testsupport::WriteBytes(path, text.replace(at, from.size(), to)));
}

// Made read-only by the tests' host step (no one, root included, can add a
// file to it); its path from Windows.
std::wstring ReadOnlyPackage(const char* path = TAVIK_READONLY_PACKAGE) {
    std::wstring folder = ToWide(path);
    std::replace(folder.begin(), folder.end(), L'/', L'\\');
    const std::wstring probe = folder + L"\\probe";
    const HANDLE file = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    EXPECT_EQ(INVALID_HANDLE_VALUE, file) << "the host step did not make the folder read-only";
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
        DeleteFileW(probe.c_str());
    }
    return folder;
}

TEST_F(DownloadJobTest, HostilePackagesLeaveThePhoneAsItWasAndNameTheirReason) {
    // The list cannot be written, for the system's own reason.
    const auto cannotWriteList = [](DWORD error) {
        return [error](const std::wstring& folder) {
            return L"Can't write " + folder + L"\\rawprogram_unsparse_for_User.xml (" + SystemErrorText(error) + L")";
        };
    };
    // An entry moved past the end of the disk the flow opens in download mode.
    const auto pastTheEnd = [](const wchar_t* name, const char* entry, const wchar_t* list) {
        return [=](const PackageCopier& copy) {
            return copy(name, [=](const std::wstring& folder) {
                ReplaceInFile(folder + list, entry, "start_sector=\"4000000\"");
            });
        };
    };
    const auto pastTheEndReason = [](const wchar_t* image) {
        return [=](const std::wstring& folder) {
            return L"File " + folder + L"\\" + image + L" at sector 4000000 needs ";
        };
    };
    // Held open meanwhile by another program: for writing, as an archive tool
    // holds a file it extracts; for reading, as a virus scanner does.
    CScopedHandle scanner;
    const HostilePackage packages[] = {
        {"a folder the ANSI code page cannot name",
         [](const PackageCopier& copy) { return copy(L"package_ไทย", nullptr); }, false,
         [](const std::wstring& folder) { return L"Path not supported by the system code page! " + folder; }},
        {"a keep-user-data list of another layout, written later",
         [](const PackageCopier& copy) { return WithStaleUserList(copy(L"stale", nullptr)); }, true, nullptr},
        {"an immutable folder", [](const PackageCopier&) { return ReadOnlyPackage(); }, true,
         cannotWriteList(ERROR_ACCESS_DENIED), L"SampleFH8974", std::nullopt, true},
        {"an immutable folder holding the list the tool wrote",
         [](const PackageCopier&) { return ReadOnlyPackage(TAVIK_READONLY_PACKAGE_WITH_LIST); }, true, nullptr},
        {"a read-only keep-user-data list of another layout",
         [](const PackageCopier& copy) {
             const std::wstring folder = WithStaleUserList(copy(L"readonly-list", nullptr));
             EXPECT_TRUE(
                 SetFileAttributesW((folder + L"\\rawprogram_unsparse_for_User.xml").c_str(), FILE_ATTRIBUTE_READONLY));
             return folder;
         },
         true, cannotWriteList(ERROR_ACCESS_DENIED), L"SampleFH8974", std::nullopt, true},
        {"a folder whose path holds the full list's name but not the keep-user one",
         [this](const PackageCopier& copy) {
             // The longest folder whose full list's path the image table holds.
             const size_t folderChars = kImageTablePathBytes - 1 - std::wcslen(L"\\rawprogram_unsparse.xml");
             return copy(std::wstring(folderChars - scratch_->File(L"").size(), L'L').c_str(), nullptr);
         },
         true, cannotWriteList(ERROR_FILENAME_EXCED_RANGE), L"SampleFH8974", std::nullopt, true},
        // The disk writer's flow: the lists in "bp_image", images beside them.
        {"an image one sector larger than its partition",
         [](const PackageCopier& copy) {
             return copy(L"large", [](const std::wstring& folder) {
                 EXPECT_TRUE(testsupport::WriteBytes(folder + L"\\boot.img", std::string(9 * 512, 'B')));
             });
         },
         true,
         [](const std::wstring& folder) {
             return L"File " + folder + L"\\boot.img needs 9 sectors, its partition has 8!";
         },
         kDiskSample},
        {"an entry past the disk's end",
         pastTheEnd(L"past", "start_sector=\"66\"", L"\\bp_image\\rawprogram_unsparse.xml"), true,
         pastTheEndReason(L"userdata.img"), kDiskSample},
        {"FireHose from download mode, an entry past the disk's end",
         pastTheEnd(L"past-fh", "start_sector=\"66\"", L"\\rawprogram_unsparse.xml"), true,
         pastTheEndReason(L"system.img"), L"SampleFH8974", SimPhoneMode::Download},
        {"the automatic flow from download mode, an entry past the disk's end",
         pastTheEnd(L"past-auto", "start_sector=\"42\"", L"\\rawprogram_unsparse.xml"), true,
         pastTheEndReason(L"system.img"), kAutoSample, SimPhoneMode::Download},
        {"a CRC span of millions of sectors",
         [](const PackageCopier& copy) {
             return copy(L"crc", [](const std::wstring& folder) {
                 ReplaceInFile(folder + L"\\bp_image\\patch0.xml", "CRC32(2,4096)", "CRC32(2,1024000000)");
             });
         },
         true,
         [](const std::wstring&) {
             return std::wstring(
                 L"Patch [Update Primary Header with CRC of Partition Array.]: CRC32 expression "
                 L"[CRC32(2,1024000000)] covers 1024000000 bytes");
         },
         kDiskSample},
        {"an image another program holds open for writing",
         [&scanner](const PackageCopier& copy) {
             const std::wstring folder = copy(L"held", nullptr);
             scanner.Reset(CreateFileW((folder + L"\\boot.img").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                       OPEN_EXISTING, 0, nullptr));
             EXPECT_TRUE(scanner.IsSet());
             return folder;
         },
         true, [](const std::wstring& folder) { return L"open file " + folder + L"\\boot.img fail!"; }, kDiskSample},
        {"an image another program reads meanwhile",
         [&scanner](const PackageCopier& copy) {
             const std::wstring folder = copy(L"scanned", nullptr);
             scanner.Reset(CreateFileW((folder + L"\\boot.img").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                       OPEN_EXISTING, 0, nullptr));
             EXPECT_TRUE(scanner.IsSet());
             return folder;
         },
         true, nullptr, kDiskSample},
    };
    const std::string before = PatternStorage();
    for (const HostilePackage& package : packages) {
        SCOPED_TRACE(package.what);
        if (window_) {
            CloseWindow();
        }
        const SimPhoneMode mode = package.mode.value_or(
            package.sample == kDiskSample ? SimPhoneMode::Download : SimPhoneMode::EmergencyDownload);
        ASSERT_TRUE(phone_->SetMode(mode));
        ASSERT_TRUE(phone_->WriteStorage(0, before.data(), before.size()));
        const std::wstring folder = package.make([this, &package](const wchar_t* name, const FolderChange& change) {
            return FlashablePackage(name, change, package.sample);
        });
        answerer_ = std::make_unique<MessageBoxAnswerer>(L"MessageBoxOKBtn");
        OpenWindow();
        window_->Engine().diskControl = std::make_unique<CSimDiskControl>();
        GoToPackagePage();
        CheckPackage(folder);
        if (package.passesCheck != window_->PackageReady()) {
            ADD_FAILURE() << "the check " << (package.passesCheck ? "refused" : "passed") << " it\n" << LogText();
            continue;
        }

        std::wstring shown;
        if (package.passesCheck) {
            EXPECT_EQ(package.listNote, Control(L"UserDataListNote")->IsVisible());
            if (package.listNote) {
                Shot(L"user-data-list-note");
            }
            RunJob();  // keeping the user's data, the default
            shown = Text(L"DownloadStatus");
        } else {
            // The button is dark: a click starts nothing.
            Click(L"ConfirmSoftwareBtn");
            PumpPending();
            EXPECT_FALSE(window_->JobRunning());
            // The invalid-package page covers the status line and shows the reason itself.
            EXPECT_EQ(TavikPage::kStatusInvalidPackage, Page(L"SelectSoftStatusTab"));
            EXPECT_EQ(kStatusRed, TextColor(L"SelectSoftStatus"));
            shown = Text(L"InvalidPackageReason");
            Shot(L"invalid-package-reason");
        }
        // A list that could not be replaced leaves no file of its own behind.
        WIN32_FIND_DATAW found;
        const HANDLE search = FindFirstFileW((folder + L"\\tvk*.tmp").c_str(), &found);
        EXPECT_EQ(INVALID_HANDLE_VALUE, search) << testsupport::Utf8(found.cFileName);
        FindClose(search);
        if (!package.reason) {
            EXPECT_EQ(TavikPage::kFunctionSucceeded, Page(L"FunctionTab")) << LogText();
            // The package's own layout: boot.img in the boot partition.
            const std::string boot = ReadWholeFile(folder + L"\\boot.img");
            const size_t bootSector = package.sample == kDiskSample ? 50 : 58;
            EXPECT_TRUE(boot == Storage().substr(bootSector * 512, boot.size())) << "boot.img is not in its place";
            EXPECT_EQ(folder + L"\\rawprogram_unsparse_for_User.xml", ToWide(g_imageTable.rawprogramPath));
            EXPECT_TRUE(Storage() == ModelStorage(before, package.sample == kDiskSample,
                                                  ToWide(g_imageTable.rawprogramPath), ToWide(g_imageTable.patchPath)));
            continue;
        }
        const std::wstring reason = package.reason(folder);
        EXPECT_EQ(0u, shown.find(reason)) << testsupport::Utf8(shown);
        EXPECT_NE(std::string::npos, LogText().find(WideToAnsi(reason))) << LogText();
        EXPECT_TRUE(before == Storage()) << "the phone's storage changed";
        if (package.listNote) {
            // The full flash writes the package all the same.
            Click(L"DownloadFailRetryBtn");
            Click(L"SaveProductionData");
            RunJob();
            EXPECT_EQ(TavikPage::kFunctionSucceeded, Page(L"FunctionTab")) << LogText();
            EXPECT_TRUE(Storage() ==
                        ModelStorage(before, false, folder + L"\\rawprogram_unsparse.xml", folder + L"\\patch0.xml"));
        }
    }
}

TEST_F(DownloadJobTest, AMediaTekPackageIsFlashedThroughTheLibrary) {
    const std::wstring package = CopyPackage(L"SampleMT6582", L"package");
    OpenWithPackage(package);
    ASSERT_TRUE(phone_->SetMode(SimPhoneMode::Download));
    RunJob();

    EXPECT_EQ(TavikPage::kFunctionSucceeded, Page(L"FunctionTab")) << LogText();
    EXPECT_EQ(100, RingValue());
    // The library's time and throughput lines stay in sight after its
    // closing line.
    ExpectSummaryShown();
    Shot(L"download_mtk_success");
    const std::string storage = Storage();
    const std::string preloader = ReadWholeFile(package + L"\\preloader_sample.bin");
    const std::string boot = ReadWholeFile(package + L"\\boot.img");
    EXPECT_EQ(preloader, storage.substr(0, preloader.size()));
    EXPECT_EQ(boot, storage.substr(0x40000, boot.size()));
    // One release for the one successful initialisation.
    EXPECT_EQ(1u, JournalCount("MTKHandlt_Init"));
    EXPECT_EQ(1u, JournalCount("MTKDL_Handle_Del"));
}

TEST_F(DownloadJobTest, APackageFileGoneSinceTheCheckEndsOnTheFailurePageWithItsReason) {
    const std::wstring package = FlashablePackage(L"SampleFH8974");
    OpenWithPackage(package);
    ASSERT_TRUE(DeleteFileW((package + L"\\system.img").c_str()));
    RunJob();
    EXPECT_EQ(TavikPage::kFunctionFailed, Page(L"FunctionTab")) << LogText();
    const std::wstring reason = Text(L"DownloadStatus");
    EXPECT_NE(std::wstring::npos, reason.find(L"system.img No Find!")) << testsupport::Utf8(reason);
    ExpectStatusShown(reason, kStatusRed);
    Shot(L"download_package_file_gone");
}

TEST_F(DownloadJobTest, NoPhoneInTimeEndsOnTheTimeOutPageAndRetryRunsTheWholeJob) {
    const std::wstring package = FlashablePackage(L"SampleFH8974");
    OpenWithPackage(package);
    window_->MutableConfig().qcom.timeOut = 1;
    RunJob();
    // The tool decides that no phone came: the engine's text is only logged.
    ExpectConnectPage(TavikPage::kQcomTimeOut, kTimeOutReason);
    Shot(L"download_timeout");

    // The retry runs everything again; the phone is there now.
    ASSERT_TRUE(phone_->SetMode(SimPhoneMode::EmergencyDownload));
    RunJob(L"QcomConnetTimeOutRetryBtn");
    EXPECT_EQ(TavikPage::kFunctionSucceeded, Page(L"FunctionTab")) << LogText();

    // And back from a time-out keeps the package ready.
    ASSERT_TRUE(phone_->SetMode(SimPhoneMode::Off));
    Click(L"DownloadSucBtn");
    RunJob();
    ExpectConnectPage(TavikPage::kQcomTimeOut, kTimeOutReason);
    ExpectBackKeepsThePackage(L"QcomConnetTimeOutBakBtn");
}

TEST_F(DownloadJobTest, APhoneThatDoesNotAnswerEndsOnTheConnectionErrorPage) {
    const std::wstring package = FlashablePackage(L"SampleFH8974");
    OpenWithPackage(package);
    ASSERT_TRUE(phone_->SetMode(SimPhoneMode::EmergencyDownload));
    ASSERT_TRUE(phone_->AddFault(SimPhoneFault::Timeout));
    RunJob();
    ExpectConnectPage(TavikPage::kQcomConnectError, L"Connect to Phone Faile!");
    ExpectBackKeepsThePackage(L"QcomConnetErrBakBtn");
}

TEST_F(DownloadJobTest, AVersionThatDoesNotFitShowsThePhonesVersionInRedEscaped) {
    const std::wstring package = FlashablePackage(L"SampleSH8x26");
    OpenWithPackage(package);
    ASSERT_TRUE(phone_->SetVersion("AP:<b>Other{1}</b>_T01 build"));
    // The version comes over ADB after the engine's error about the silent
    // port; the page names the versions only.
    ASSERT_TRUE(phone_->AddFault(SimPhoneFault::DiagSilent));
    ASSERT_TRUE(phone_->SetMode(SimPhoneMode::Normal));
    const std::string before = Storage();
    RunJob();

    EXPECT_NE(std::string::npos, LogText().find("Connect to Phone Error!")) << LogText();
    ExpectConnectPage(TavikPage::kQcomVersionError, kVersionReason);
    const std::wstring text = Text(L"QcomVersionErrPhoneName");
    EXPECT_EQ(0u, text.find(L"<x 10><f 3>手机版本<c #FF0000>")) << testsupport::Utf8(text);
    EXPECT_EQ(std::wstring::npos, text.find(L"<b>")) << testsupport::Utf8(text);
    EXPECT_NE(std::wstring::npos, text.find(EscapeMarkup(L"<b>Other{1}</b>"))) << testsupport::Utf8(text);
    EXPECT_TRUE(before == Storage()) << "nothing may be written";
    Shot(L"download_version_error");
    ExpectBackKeepsThePackage(L"QcomBakVersionErrBtn");
}

TEST_F(DownloadJobTest, FailedAndInterruptedDownloadsEndOnTheFailurePage) {
    const std::wstring package = FlashablePackage(L"SampleFH8974");
    OpenWithPackage(package);
    // The upload the phone refuses: the page shows QMSL's reason.
    const std::pair<SimPhoneFault, const wchar_t*> faults[] = {{SimPhoneFault::FailWrite, L"write failed at sector 0"},
                                                               {SimPhoneFault::UnplugMidWrite, L"the phone went away"}};
    for (const auto& [fault, reason] : faults) {
        ASSERT_TRUE(phone_->ClearFaults());
        ASSERT_TRUE(phone_->SetMode(SimPhoneMode::EmergencyDownload));
        ASSERT_TRUE(phone_->AddFault(fault));
        RunJob();
        EXPECT_EQ(TavikPage::kFunctionFailed, Page(L"FunctionTab")) << SimPhoneFaultName(fault) << LogText();
        ExpectStatusShown(reason, kStatusRed);
        EXPECT_FALSE(window_->WorkInProgress());
        ExpectBackKeepsThePackage(L"DownloadFailRetryBtn");
    }
}

TEST_F(DownloadJobTest, AWriteRefusedAfterTheDownloadModeRouteNamesTheWriteNotTheRoutesGivenUp) {
    OpenWithPackage(FlashablePackage(L"SampleAuto8974"));
    ASSERT_TRUE(phone_->SetVersion("AP:" + WideToAnsi(window_->Expected()) + "_T01"));
    // Faults that shape the bus are set before the mode plugs it.
    for (SimPhoneFault fault : {SimPhoneFault::AdbOff, SimPhoneFault::RefuseEdlSwitch, SimPhoneFault::FailWrite}) {
        ASSERT_TRUE(phone_->AddFault(fault));
    }
    ASSERT_TRUE(phone_->SetMode(SimPhoneMode::Normal));
    RunJob();
    EXPECT_EQ(TavikPage::kFunctionFailed, Page(L"FunctionTab")) << LogText();
    const std::string log = LogText();
    EXPECT_NE(std::string::npos, log.find("Get ADB Devices Name Failed!")) << log;
    EXPECT_NE(std::string::npos, log.find("Wipe Disk SUCCESS!")) << log;
    ExpectStatusShown(L"write failed at sector 0", kStatusRed);
}

TEST_F(DownloadJobTest, MediaTekFailuresEndOnTheirPagesWithBackAndRetry) {
    EditPhoneList(
        "ConnetTimeOut=\"30000\" DAPath=\"SAMPLE_MTK_DA.bin\" Scatter=\"MT6582_Android_scatter.txt\" "
        "CheckPhoneVar=\"FALSE\"",
        "ConnetTimeOut=\"300\" DAPath=\"SAMPLE_MTK_DA.bin\" Scatter=\"MT6582_Android_scatter.txt\" "
        "CheckPhoneVar=\"true\"");
    const std::wstring package = CopyPackage(L"SampleMT6582", L"package");
    OpenWithPackage(package);

    // The library says why it could not connect: its text, not the
    // tool's time-out, is the page's reason.
    RunJob();  // no phone in download mode within 300 ms
    ExpectConnectPage(TavikPage::kMtkTimeOut, L"Error: no MediaTek phone within 300 ms");
    ASSERT_TRUE(phone_->SetMode(SimPhoneMode::Download));
    ASSERT_TRUE(phone_->AddFault(SimPhoneFault::RefuseProgrammer));
    RunJob(L"MtkConnetTimeOutRetryBtn");
    ExpectConnectPage(TavikPage::kMtkTimeOut, L"Error: the phone refused the download agent");

    ASSERT_TRUE(phone_->ClearFaults());
    ASSERT_TRUE(phone_->AddFault(SimPhoneFault::Timeout));
    RunJob(L"MtkConnetTimeOutRetryBtn");  // connected, but the version cannot be read
    ExpectConnectPage(TavikPage::kMtkConnectError, L"Error: MediaTek phone does not answer (time-out)");

    ASSERT_TRUE(phone_->ClearFaults());
    const std::string expected = WideToAnsi(window_->Expected());
    std::string lower = expected;
    std::transform(lower.begin(), lower.end(), lower.begin(), ::tolower);
    ASSERT_NE(expected, lower);
    ASSERT_TRUE(phone_->SetVersion(lower));
    // Differs in case only: no match on MediaTek; the markup names the model
    // the phone's version belongs to.
    RunJob(L"MtkConnetErrRetryBtn");
    ExpectConnectPage(TavikPage::kMtkVersionError, kVersionReason);
    EXPECT_NE(std::wstring::npos, Text(L"MtkVersionErrPhoneName").find(L"Sample MT6582"));
    ExpectBackKeepsThePackage(L"MtkBakVersionErrBtn");

    ASSERT_TRUE(phone_->SetVersion(expected));
    ASSERT_TRUE(phone_->AddFault(SimPhoneFault::FailWrite));
    RunJob();
    EXPECT_EQ(TavikPage::kFunctionFailed, Page(L"FunctionTab")) << LogText();
    // Every successful initialisation got its release.
    EXPECT_EQ(JournalCount("MTKHandlt_Init"), JournalCount("MTKDL_Handle_Del"));
    EXPECT_EQ(0u, JournalCount("MTKDL_Handle_Del without MTKHandlt_Init"));
}

TEST_F(DownloadJobTest, AMissingExportEndsOnTheConnectionErrorPageInRed) {
    InstallMtkLibrary(MtkLibraryKind::kMissingDownload);
    OpenWithPackage(CopyPackage(L"SampleMT6582", L"package"));
    ASSERT_TRUE(phone_->SetMode(SimPhoneMode::Download));
    RunJob();
    ExpectConnectPage(TavikPage::kMtkConnectError, L"Error:获取 MTKDL_Download()地址失败!");
    EXPECT_EQ(L"Error:获取 MTKDL_Download()地址失败!", Text(L"SelectSoftStatus"));
    EXPECT_EQ(kStatusRed, TextColor(L"SelectSoftStatus"));
    EXPECT_EQ(JournalCount("MTKHandlt_Init"), JournalCount("MTKDL_Handle_Del"));
    // The retry runs the whole job again, to the same end.
    RunJob(L"MtkConnetErrRetryBtn");
    ExpectConnectPage(TavikPage::kMtkConnectError, L"Error:获取 MTKDL_Download()地址失败!");
    EXPECT_EQ(2u, JournalCount("MTKHandlt_Init"));
    EXPECT_EQ(2u, JournalCount("MTKDL_Handle_Del"));
    ExpectBackKeepsThePackage(L"MtkConnetErrBakBtn");
}

TEST_F(DownloadJobTest, AMissingLibraryIsAnnouncedAtStartAndEndsOnTheConnectionErrorPage) {
    InstallMtkLibrary(MtkLibraryKind::kNone);
    apptest::DialogCloser closer(L"tavik_Download");
    OpenWithPackage(CopyPackage(L"SampleMT6582", L"package"));
    EXPECT_EQ(L"Error:加载QX_M_BCB_DL_Dll.dll失败！", closer.Text());
    ASSERT_TRUE(phone_->SetMode(SimPhoneMode::Download));
    RunJob();
    ExpectConnectPage(TavikPage::kMtkConnectError, L"Error:获取 MTKHandlt_Init()地址失败!");
    ExpectBackKeepsThePackage(L"MtkConnetErrBakBtn");
}

TEST_F(DownloadJobTest, TheCloseWarningDuringADownloadKeepsItGoingOnCancel) {
    const std::wstring package = FlashablePackage(L"SampleFH8974");
    OpenWithPackage(package, L"calbtn");
    ASSERT_TRUE(phone_->SetMode(SimPhoneMode::EmergencyDownload));
    ASSERT_TRUE(phone_->SetWritePace(150));
    Click(L"ConfirmSoftwareBtn");
    // The picture is taken the moment the ring shows a value mid-way, before
    // further changes are run.
    ASSERT_TRUE(PumpUntil(
        [this] {
            const int value = RingValue();
            if (value <= 4 || value >= 90) {
                return false;
            }
            RedrawWindow(window_->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
            return testsupport::SaveWindowScreenshot(window_->Handle(),
                                                     apptest::OutputFolder() + L"\\download_in_progress.bmp");
        },
        kJobWaitMs))
        << LogText();

    PostMessageW(window_->Handle(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(PumpUntil([this] { return answerer_->Answered() > 1; }, 10000));
    EXPECT_EQ(L"tavik/ColseWaring.xml", answerer_->LastSkin());
    ASSERT_TRUE(IsWindow(window_->Handle()));
    ASSERT_TRUE(PumpUntil([this] { return !window_->JobRunning(); }, kJobWaitMs));
    PumpUntil([this] { return Page(L"FunctionTab") == TavikPage::kFunctionSucceeded; }, 2000);
    EXPECT_EQ(TavikPage::kFunctionSucceeded, Page(L"FunctionTab")) << LogText();
    Shot(L"download_success");
}

TEST_F(DownloadJobTest, TheQcomVersionCheckIgnoresCaseAndTakesSkipAsMissing) {
    OpenWithPackage(FlashablePackage(L"SampleSH8x26"));
    ASSERT_TRUE(phone_->SetMode(SimPhoneMode::Normal));
    CQcomDownloader& engine = window_->Engine();
    engine.Init_QcomDownLoad(window_->Config().qcom);
    ASSERT_EQ(1, engine.SearchDevices());
    ASSERT_EQ(1, engine.ConnectPhone());
    struct Case {
        const char* version;
        bool accepted;
        int notices;
    };
    for (const Case& sample : {Case{"AP:SAMPLESH8X26_T05", true, 0}, Case{"AP:Skip_T01", true, 1},
                               Case{"AP:SampleAuto8974_T01", false, 0}}) {
        ASSERT_TRUE(phone_->SetVersion(sample.version));
        const int before = answerer_->Answered();
        EXPECT_EQ(sample.accepted, window_->CheckQcomPhoneVersion()) << sample.version;
        PumpPending();
        EXPECT_EQ(before + sample.notices, answerer_->Answered()) << sample.version;
    }
}

// Further closes for a while: a window that opened a warning for each would
// otherwise nest them without end.
constexpr int kFurtherCloses = 15;
int g_closesLeft = 0;

void CALLBACK CloseAgain(HWND, UINT, UINT_PTR, DWORD) {
    if (g_closesLeft <= 0) {
        return;
    }
    --g_closesLeft;
    if (HWND tool = FindWindowW(nullptr, L"tavikDownloadDlg")) {
        PostMessageW(tool, WM_CLOSE, 0, 0);
        PostMessageW(tool, WM_KEYDOWN, VK_ESCAPE, 0);
    }
}

TEST_F(DownloadJobTest, AConfirmedCloseStopsTheWaitForAPhoneAtOnceAndRunsOnce) {
    OpenWithPackage(FlashablePackage(L"SampleFH8974"));
    // The warning stays open long enough for several further closes.
    answerer_.reset();
    answerer_ = std::make_unique<MessageBoxAnswerer>(L"okbtn", 400);
    Click(L"ConfirmSoftwareBtn");
    ASSERT_TRUE(PumpUntil([this] { return Page(L"FunctionTab") == TavikPage::kFunctionConnecting; }));
    const HWND handle = window_->Handle();
    // Further closes and Escape keep coming while the warning is open and
    // while the close waits for the job.
    g_closesLeft = kFurtherCloses;
    const UINT_PTR again = SetTimer(nullptr, 0, 40, &CloseAgain);
    const DWORD start = GetTickCount();
    PostMessageW(handle, WM_CLOSE, 0, 0);
    const bool closed = PumpUntil([handle] { return !IsWindow(handle); }, 10000);
    KillTimer(nullptr, again);
    ASSERT_TRUE(closed);
    // The search would have waited a minute for the phone.
    EXPECT_LT(GetTickCount() - start, 5000u);
    EXPECT_TRUE(window_->JobThreadEnded());
    EXPECT_EQ(1, answerer_->Answered());  // one close warning
    EXPECT_EQ(L"tavik/ColseWaring.xml", answerer_->LastSkin());
    const std::string log = LogText();
    const std::string stopped = "Download stopped: the tool was closed!";
    const size_t at = log.find(stopped);
    EXPECT_NE(std::string::npos, at) << log;
    EXPECT_EQ(std::string::npos, log.find(stopped, at + 1)) << log;
    window_.reset();
}

// The real program closed while it flashes, driven from outside; then
// started again.
TEST_F(DownloadJobTest, TheRealProgramClosedMidDownloadEndsWithinTheBoundAndStartsAgain) {
    const std::wstring package = FlashablePackage(L"SampleFH8974");
    ASSERT_TRUE(phone_->SetMode(SimPhoneMode::EmergencyDownload));
    ASSERT_TRUE(phone_->SetWritePace(400));
    const std::wstring exe = L"" TAVIK_DOWNLOAD_EXE;
    const std::wstring shots = apptest::OutputFolder();
    std::wstring commandLine = L"\"" + apptest::ProgramFolder() + L"\\tool_driver.exe\" \"" + exe + L"\" \"" + package +
                               L"\" \"" + shots + L"\" --close-mid-download";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION driver = {};
    ASSERT_TRUE(
        CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &driver));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(driver.hProcess, 240000));
    DWORD exitCode = 1;
    GetExitCodeProcess(driver.hProcess, &exitCode);
    EXPECT_EQ(0u, exitCode) << "see the driver's steps above";
    CloseHandle(driver.hThread);
    CloseHandle(driver.hProcess);
}

// The help menu and the about box.
class HelpMenuTest : public apptest::MainWindowTest {
protected:
    static CSkinMenu* OpenMenu() {
        HWND menu = FindWindowW(L"CSkinMenu ", nullptr);
        return menu ? dynamic_cast<CSkinMenu*>(
                          reinterpret_cast<TavikUI::CWindowWnd*>(GetWindowLongPtrW(menu, GWLP_USERDATA)))
                    : nullptr;
    }
};

std::vector<std::wstring> g_shellAddresses;

HINSTANCE WINAPI RecordShellOpen(HWND, LPCWSTR, LPCWSTR file, LPCWSTR, LPCWSTR, INT) {
    g_shellAddresses.push_back(file ? file : L"");
    return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(42));
}

TEST_F(HelpMenuTest, OpensBelowTheHelpButtonReachesTheShellAndShowsTheAboutBox) {
    OpenWindow();
    Click(L"helpbtn");
    CSkinMenu* menu = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (menu = OpenMenu()) != nullptr; }, 5000));
    RECT rect = {};
    GetWindowRect(menu->Handle(), &rect);
    POINT expected = {885, 40};
    ClientToScreen(window_->Handle(), &expected);
    EXPECT_EQ(expected.x, rect.left);
    EXPECT_EQ(expected.y, rect.top);
    EXPECT_EQ(88, rect.right - rect.left);
    EXPECT_EQ(107, rect.bottom - rect.top);
    PumpPending();
    testsupport::SaveWindowScreenshot(GetDesktopWindow(), apptest::OutputFolder() + L"\\help_menu.bmp");

    // The link items are URL buttons: each opens its address itself.
    g_shellAddresses.clear();
    for (const wchar_t* item : {L"SoftwareInfoBtn", L"BBSBtn"}) {
        auto* link =
            static_cast<TavikUI::CButtonUrlUI*>(menu->Manager().FindControlByName(item)->InterfaceByName(L"ButtonURL"));
        ASSERT_NE(nullptr, link) << testsupport::Utf8(item);
        link->SetShellExecute(&RecordShellOpen);
        apptest::ClickControl(menu->Handle(), menu->Manager(), item);
    }
    EXPECT_EQ((std::vector<std::wstring>{kSoftwareInfoUrl, kForumUrl}), g_shellAddresses);

    // The about entry: the box shows the tool's version; the menu closes as
    // the box takes the focus.
    MessageBoxAnswerer answerer(L"closebtn");
    apptest::ClickControl(menu->Handle(), menu->Manager(), L"AboutBtn");
    ASSERT_TRUE(PumpUntil([&] { return answerer.Answered() == 1; }, 5000));
    EXPECT_EQ(L"tavik\\AboutBox.xml", answerer.LastSkin());
    EXPECT_EQ(kToolVersionText, answerer.LastText(L"Version"));
    EXPECT_TRUE(PumpUntil([] { return OpenMenu() == nullptr; }, 5000));
}

TEST_F(HelpMenuTest, ClosesWhenItLosesTheFocusAndOpensAnewEachTime) {
    OpenWindow();
    for (int round = 0; round < 2; ++round) {
        Click(L"helpbtn");
        ASSERT_TRUE(PumpUntil([] { return OpenMenu() != nullptr; }, 5000));
        SetFocus(window_->Handle());
        EXPECT_TRUE(PumpUntil([] { return OpenMenu() == nullptr; }, 5000)) << round;
    }
}

}  // namespace
