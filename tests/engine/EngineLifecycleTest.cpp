// Construction, settings copy, the progress estimator and stop.
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>

#include "EngineTestSupport.h"
#include "QmslLibrary.h"

namespace {

int ThreadsOfThisProcess() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return -1;
    }
    int count = 0;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID == GetCurrentProcessId()) {
            ++count;
        }
    }
    CloseHandle(snapshot);
    return count;
}

// Waits for the thread count to settle at `expected` (Wine reports an ended
// thread a moment late).
bool ThreadCountBecomes(int expected) {
    for (int i = 0; i < 200; ++i) {
        if (ThreadsOfThisProcess() == expected) {
            return true;
        }
        Sleep(5);
    }
    return false;
}

// Whether the estimator thread took the wake-up, i.e. a run has started. A
// look that finds the auto-reset event still set consumes it, so it is set
// again for the thread.
bool RunStarted(CQcomDownloader& engine) {
    for (int i = 0; i < 400; ++i) {
        if (WaitForSingleObject(engine.progressEvent.Get(), 0) == WAIT_TIMEOUT) {
            return true;
        }
        SetEvent(engine.progressEvent.Get());
        Sleep(5);
    }
    return false;
}

class EstimatorTest : public ::testing::Test {
protected:
    void SetUp() override {
        engine_ = MakeEngine();
        engine_->runFlag = &runFlag_;
    }

    // Starts the estimator as a flow does right before an upload.
    void StartUpload(double totalMb) {
        engine_->settings.romSizeMb = totalMb;
        engine_->progressPercent = 4;
        engine_->progressActive = 1;
        SetEvent(engine_->progressEvent.Get());
    }

    bool ReachesPercent(int32_t percent, DWORD timeoutMs) {
        return recorder_.WaitUntil(
            [percent](const std::vector<RecordedReport>& reports) {
                return !reports.empty() && reports.back().code == MSG_PERCENT && reports.back().value == percent;
            },
            timeoutMs);
    }

    ReportRecorder recorder_;
    int32_t runFlag_ = 1;
    std::unique_ptr<CQcomDownloader> engine_;
};

TEST_F(EstimatorTest, StepsOncePerPeriodUpTo100) {
    const ULONGLONG start = GetTickCount64();
    StartUpload(2.4);  // 5 ms a point
    ASSERT_TRUE(ReachesPercent(100, 5000));
    EXPECT_GE(GetTickCount64() - start, 96u * 5u - 20u);
    std::vector<int32_t> expected;
    for (int32_t p = 5; p <= 100; ++p) {
        expected.push_back(p);
    }
    EXPECT_EQ(expected, recorder_.Percents());
    EXPECT_EQ(100, engine_->progressPercent);
}

TEST_F(EstimatorTest, ZeroMegabytesRunsTo100AtOnce) {
    // A pause per point would take over 96 s here: reaching 100 within the
    // wait shows there is none.
    StartUpload(0);
    ASSERT_TRUE(ReachesPercent(100, 20000));
    EXPECT_EQ(96u, recorder_.Percents().size());
}

TEST_F(EstimatorTest, DoesNotStepWithoutAnActiveUploadOrARunFlag) {
    engine_->settings.romSizeMb = 0;
    engine_->progressPercent = 4;
    SetEvent(engine_->progressEvent.Get());  // progress active is 0
    Sleep(100);
    EXPECT_EQ(0u, recorder_.Count());

    engine_->runFlag = nullptr;
    engine_->progressActive = 1;
    SetEvent(engine_->progressEvent.Get());
    Sleep(100);
    EXPECT_EQ(0u, recorder_.Count());
    EXPECT_EQ(4, engine_->progressPercent);
}

TEST_F(EstimatorTest, ClearedRunFlagStopsSteppingButNotTheThread) {
    recorder_.SetHook([this](const RecordedReport& report) {
        if (report.code == MSG_PERCENT && report.value == 10) {
            __atomic_store_n(&runFlag_, 0, __ATOMIC_RELEASE);
        }
    });
    StartUpload(4.8);  // 10 ms a point
    ASSERT_TRUE(ReachesPercent(10, 3000));
    Sleep(100);
    EXPECT_EQ(10, recorder_.Percents().back());
    recorder_.SetHook(nullptr);

    // The same thread takes the next upload.
    runFlag_ = 1;
    StartUpload(0);
    EXPECT_TRUE(ReachesPercent(100, 2000));
}

TEST_F(EstimatorTest, ClearingProgressActiveEndsTheRun) {
    StartUpload(9.6);  // 20 ms a point
    ASSERT_TRUE(ReachesPercent(6, 3000));
    engine_->progressActive = 0;
    Sleep(100);
    const size_t count = recorder_.Count();
    Sleep(100);
    EXPECT_EQ(count, recorder_.Count());
    EXPECT_LT(recorder_.Percents().back(), 100);
}

TEST_F(EstimatorTest, NeverPassesAPercentageTheTextParserSet) {
    engine_->normalHandle = 0x1001;
    StartUpload(48);  // 100 ms a point
    ASSERT_TRUE(ReachesPercent(5, 3000));
    const std::string text = "Program Size: 48";
    engine_->OnQmslText(reinterpret_cast<void*>(intptr_t{0x1001}), text.data(), static_cast<uint16_t>(text.size()));
    Sleep(300);
    for (int32_t percent : recorder_.Percents()) {
        EXPECT_LE(percent, 100);
    }
    EXPECT_EQ(100, engine_->progressPercent);
}

// A signal given while the estimator is still finishing a run must start the
// next run: the flows signal right before each upload. The next run is
// started the moment the last one reports 100, to hit that window often.
TEST_F(EstimatorTest, NoWakeUpIsLostBetweenRuns) {
    CScopedHandle reached(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    recorder_.SetHook([&reached](const RecordedReport& report) {
        if (report.code == MSG_PERCENT && report.value == 100) {
            SetEvent(reached.Get());
        }
    });
    engine_->settings.romSizeMb = 0;
    for (int run = 0; run < 300; ++run) {
        engine_->progressPercent = 4;
        engine_->progressActive = 1;
        SetEvent(engine_->progressEvent.Get());
        ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(reached.Get(), 2000)) << "run " << run;
    }
    recorder_.SetHook(nullptr);
}

TEST(EngineStopTest, StopEndsTheProgressThreadBeforeTheEngineGoesAway) {
    const int before = ThreadsOfThisProcess();
    ASSERT_GT(before, 0);
    ReportRecorder recorder;
    int32_t runFlag = 1;
    auto engine = MakeEngine();
    EXPECT_TRUE(ThreadCountBecomes(before + 1));

    // Mid-run, in a long pause (over 20 s a point).
    engine->runFlag = &runFlag;
    engine->settings.romSizeMb = 10000;
    engine->progressPercent = 4;
    engine->progressActive = 1;
    SetEvent(engine->progressEvent.Get());
    ASSERT_TRUE(RunStarted(*engine));

    // The pause (over 20 s) is cut short, not waited out: the generous
    // bound stays far below it.
    const ULONGLONG start = GetTickCount64();
    engine.reset();
    EXPECT_LT(GetTickCount64() - start, 10000u);
    EXPECT_TRUE(ThreadCountBecomes(before));
    const size_t count = recorder.Count();
    Sleep(100);
    EXPECT_EQ(count, recorder.Count());
}

TEST(EngineStopTest, StopWhileSteppingFastLeavesNoReportsBehind) {
    const int before = ThreadsOfThisProcess();
    ReportRecorder recorder;
    int32_t runFlag = 1;
    auto engine = MakeEngine();
    engine->runFlag = &runFlag;
    engine->settings.romSizeMb = 0.48;  // 1 ms a point
    engine->progressPercent = 4;
    engine->progressActive = 1;
    SetEvent(engine->progressEvent.Get());
    ASSERT_TRUE(recorder.WaitUntil([](const std::vector<RecordedReport>& reports) { return !reports.empty(); }, 5000));
    engine->Stop();
    const size_t count = recorder.Count();
    EXPECT_TRUE(ThreadCountBecomes(before));
    Sleep(50);
    EXPECT_EQ(count, recorder.Count());
    engine->Stop();  // again, as the destructor will
}

// Starts a run of the estimator that reaches 100 without pauses.
void StartInstantUpload(CQcomDownloader& engine, int32_t* runFlag) {
    engine.runFlag = runFlag;
    engine.settings.romSizeMb = 0;
    engine.progressPercent = 4;
    engine.progressActive = 1;
    SetEvent(engine.progressEvent.Get());
}

TEST(EngineStopTest, ACallbackThatNeverReturnsCannotHangStop) {
    const int before = ThreadsOfThisProcess();
    ReportRecorder recorder;
    int32_t runFlag = 1;
    CScopedHandle entered(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    CScopedHandle release(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::atomic<int> calls{0};
    std::atomic<bool> inside{false};
    recorder.SetHook([&](const RecordedReport&) {
        ++calls;
        inside = true;
        SetEvent(entered.Get());
        WaitForSingleObject(release.Get(), 30000);
        inside = false;
    });
    auto engine = MakeEngine();
    engine->stopWaitMs = 50;
    StartInstantUpload(*engine, &runFlag);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(entered.Get(), 10000));

    engine->Stop();
    EXPECT_TRUE(inside) << "Stop returned only once the callback did";
    engine.reset();
    // Back from the callback, the thread leaves without the engine.
    SetEvent(release.Get());
    EXPECT_TRUE(ThreadCountBecomes(before));
    EXPECT_EQ(calls, 1);
    recorder.SetHook(nullptr);
}

// A window's callback that sends to the window's own thread, which is the
// one stopping the engine.
TEST(EngineStopTest, MessagesTheCallbackSendsToTheStoppingThreadGetThrough) {
    const int before = ThreadsOfThisProcess();
    ReportRecorder recorder;
    int32_t runFlag = 1;
    HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    CScopedHandle entered(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::atomic<int> delivered{0};
    recorder.SetHook([&](const RecordedReport&) {
        SetEvent(entered.Get());
        if (SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 30000, nullptr)) {
            ++delivered;
        }
    });
    auto engine = MakeEngine();
    engine->stopWaitMs = 30000;
    StartInstantUpload(*engine, &runFlag);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(entered.Get(), 10000));

    engine->Stop();
    // The thread ended inside the wait (not cut off while still sending).
    EXPECT_TRUE(ThreadCountBecomes(before));
    EXPECT_GE(delivered, 1);
    recorder.SetHook(nullptr);
    DestroyWindow(window);
}

class EngineQmslTest : public SimPhoneTest {
protected:
    std::vector<std::string> JournalLines() { return Phone().Journal(); }
};

TEST_F(EngineQmslTest, ConstructionSetsTheLibraryModeFirstAndTheDefaults) {
    ASSERT_TRUE(Phone().ClearJournal());
    auto engine = MakeEngine();
    const std::vector<std::string> journal = JournalLines();
    ASSERT_FALSE(journal.empty());
    EXPECT_EQ("QLIB_SetLibraryMode 0", journal.front());
    EXPECT_EQ(0, engine->normalHandle);
    EXPECT_EQ(0, engine->downloadHandle);
    EXPECT_EQ(0, engine->saharaHandle);
    EXPECT_EQ(0, engine->fireHoseHandle);
    EXPECT_EQ(nullptr, engine->runFlag);
    EXPECT_EQ(0, engine->progressActive);
    EXPECT_EQ(0, engine->quitFlag);
    EXPECT_TRUE(engine->totalTimeText.empty());
    EXPECT_TRUE(engine->throughputText.empty());
    EXPECT_EQ(60, engine->settings.timeOut);
    EXPECT_TRUE(engine->progressEvent.IsSet());
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(engine->progressEvent.Get(), 0));
}

TEST_F(EngineQmslTest, DisconnectAllClosesExactlyTheSetHandlesInOrder) {
    ASSERT_TRUE(Phone().SetMode(SimPhoneMode::Normal));
    auto engine = MakeEngine();
    const QmslHandle normal = QLIB_ConnectServer(5);
    const QmslHandle download = QLIB_ConnectServer(5);
    ASSERT_NE(0, normal);
    ASSERT_NE(0, download);
    engine->normalHandle = normal;
    engine->downloadHandle = download;
    engine->fireHoseHandle = 0x7777;
    ASSERT_TRUE(Phone().ClearJournal());

    engine->DisconnectAll();
    EXPECT_EQ((std::vector<std::string>{"QLIB_DisconnectServer " + std::to_string(normal),
                                        "QLIB_DisconnectServer_FireHose 30583",
                                        "QLIB_DisconnectServer " + std::to_string(download)}),
              JournalLines());
    EXPECT_EQ(0, engine->normalHandle);
    EXPECT_EQ(0, engine->downloadHandle);
    EXPECT_EQ(0, engine->saharaHandle);
    EXPECT_EQ(0, engine->fireHoseHandle);
    EXPECT_EQ(0, QLIB_IsPhoneConnected(normal));

    ASSERT_TRUE(Phone().ClearJournal());
    engine->saharaHandle = 0x55;
    engine->DisconnectAll();
    EXPECT_EQ(std::vector<std::string>{"QLIB_DisconnectServer_Sahara 85"}, JournalLines());
}

TEST_F(EngineQmslTest, StopWithoutHandlesCallsNoDisconnect) {
    auto engine = MakeEngine();
    ASSERT_TRUE(Phone().ClearJournal());
    engine->Stop();
    engine.reset();
    EXPECT_TRUE(JournalLines().empty());
}

TEST_F(EngineQmslTest, StopClosesTheOpenConnection) {
    ASSERT_TRUE(Phone().SetMode(SimPhoneMode::Normal));
    auto engine = MakeEngine();
    engine->normalHandle = QLIB_ConnectServer(5);
    ASSERT_NE(0, engine->normalHandle);
    const QmslHandle handle = engine->normalHandle;
    ASSERT_TRUE(Phone().ClearJournal());
    engine.reset();
    EXPECT_EQ(std::vector<std::string>{"QLIB_DisconnectServer " + std::to_string(handle)}, JournalLines());
}

TEST(EngineInitTest, CopiesTheBlockAndTheImageTable) {
    ReportRecorder recorder;
    auto engine = MakeEngine();
    auto table = std::make_unique<ImageTable>();
    std::memset(table.get(), 0, sizeof(ImageTable));
    std::strcpy(table->imagePaths[0], "C:\\pkg\\boot.img");
    std::strcpy(table->imagePaths[511], "C:\\pkg\\last.img");
    table->count = 600;
    std::strcpy(table->rawprogramPath, "C:\\pkg\\rawprogram_unsparse.xml");
    table->listMode = 1;

    QcomConfigBlock block{};
    block.downLoadType = DOWNLOAD_AUTO;
    std::strcpy(block.softwarePath, "C:\\pkg");
    std::strcpy(block.fireHose.memoryName, "eMMC");
    block.romSizeMb = 123.5;
    block.timeOut = 7;
    block.imageTable = table.get();
    engine->Init_QcomDownLoad(block);

    // Field by field: the block has padding, which a copy need not keep.
    const QcomConfigBlock& copied = engine->settings;
    EXPECT_EQ(DOWNLOAD_AUTO, copied.downLoadType);
    EXPECT_STREQ("C:\\pkg", copied.softwarePath);
    EXPECT_STREQ("eMMC", copied.fireHose.memoryName);
    EXPECT_EQ(123.5, copied.romSizeMb);
    EXPECT_EQ(7, copied.timeOut);
    EXPECT_EQ(table.get(), copied.imageTable);
    EXPECT_STREQ("", copied.rawprogramFile);
    // The table is one fixed record without padding, copied whole.
    EXPECT_EQ(0, std::memcmp(table.get(), &engine->images, sizeof(ImageTable)));
    // A copy: later changes of the package's table do not reach the engine.
    table->count = 1;
    EXPECT_EQ(600, engine->images.count);
    EXPECT_EQ((std::vector<std::wstring>{L"Init_QcomDownLoad"}), recorder.Texts(MSG_DETAIL));
}

TEST(EngineInitTest, BlockWithoutImageTableLeavesAnEmptyTable) {
    auto engine = MakeEngine();
    engine->images.count = 9;
    QcomConfigBlock block{};
    block.romSizeMb = 1;
    engine->Init_QcomDownLoad(block);
    EXPECT_EQ(0, engine->images.count);
    EXPECT_DOUBLE_EQ(1.0, engine->settings.romSizeMb);
}

TEST(FileExistsTest, AnswersTheFileStatusQuery) {
    TempFolder folder;
    const std::wstring file = folder.File(L"present.bin");
    ASSERT_TRUE(WriteBytes(file, "x"));
    EXPECT_TRUE(FileExists(file));
    EXPECT_FALSE(FileExists(folder.File(L"absent.bin")));
    EXPECT_TRUE(FileExistsA(NarrowPath(file)));
    EXPECT_FALSE(FileExistsA(NarrowPath(folder.File(L"absent.bin"))));
    if (GetACP() == 936) {
        const std::wstring chinese = folder.File(L"镜像.img");
        ASSERT_TRUE(WriteBytes(chinese, "y"));
        EXPECT_TRUE(FileExistsA(NarrowPath(chinese)));
    }
}

}  // namespace
