#include "QcomDownloader.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "QmslLibrary.h"
#include "TextFormat.h"

namespace {

constexpr double kEstimatedMbPerSecond = 5.0;
constexpr double kUploadPercentSpan = 96.0;
constexpr int32_t kUploadPercentStart = 4;
constexpr int32_t kPercentDone = 100;

// The text after a match, or "" when the text ends before that point.
std::wstring TextFrom(const std::wstring& text, size_t position) {
    return position < text.size() ? text.substr(position) : std::wstring();
}

// Waits for the handle; messages sent to this thread meanwhile are handled,
// posted ones stay queued. False when the time ran out first.
bool WaitHandlingSentMessages(HANDLE handle, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        const ULONGLONG now = GetTickCount64();
        const DWORD left = now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
        const DWORD woken = MsgWaitForMultipleObjects(1, &handle, FALSE, left, QS_SENDMESSAGE);
        if (woken == WAIT_OBJECT_0) {
            return true;
        }
        if (woken != WAIT_OBJECT_0 + 1) {
            return false;
        }
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

}  // namespace

std::wstring FitEngineText(std::wstring text) {
    if (text.size() > kEngineTextChars - 1) {
        text.resize(kEngineTextChars - 1);
    }
    return text;
}

int32_t UploadPercent(double doneMb, double totalMb) {
    if (!(totalMb > 0)) {
        return kPercentDone;
    }
    const double percent = doneMb / totalMb * kUploadPercentSpan + kUploadPercentStart;
    if (!(percent >= kUploadPercentStart)) {
        return kUploadPercentStart;
    }
    if (percent >= kPercentDone) {
        return kPercentDone;
    }
    return static_cast<int32_t>(percent);
}

DWORD ProgressStepMs(double totalMb) {
    const double ms = totalMb / kEstimatedMbPerSecond / kUploadPercentSpan * 1000.0;
    if (!(ms >= 1.0)) {
        return 0;  // also a total of 0 MB: the estimator runs to 100 at once
    }
    // INFINITE would never wake; the longest finite pause is one below it.
    if (ms >= static_cast<double>(INFINITE - 1)) {
        return INFINITE - 1;
    }
    return static_cast<DWORD>(ms);
}

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool FileExistsA(const std::string& path) { return FileExists(AnsiToWide(path)); }

CQcomDownloader::CQcomDownloader() {
    QLIB_SetLibraryMode(0);
    progressEvent.Reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    stopEvent_.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    settings.timeOut = kDefaultSearchTimeOutSeconds;
    estimatorLink_->engine = this;
    if (progressEvent.IsSet() && stopEvent_.IsSet()) {
        // The thread owns its own reference to the link.
        auto* link = new std::shared_ptr<EstimatorLink>(estimatorLink_);
        progressThread_.Reset(CreateThread(nullptr, 0, &CQcomDownloader::ProgressThreadProc, link, 0, nullptr));
        if (!progressThread_.IsSet()) {
            delete link;
        }
    }
}

CQcomDownloader::~CQcomDownloader() { Stop(); }

void CQcomDownloader::Stop() {
    RequestStop();
    // Waiting for the thread itself: it must not outlive the object it reads.
    // The wait is bounded, since the thread may be inside the owner's
    // callback, which may itself wait for the thread calling Stop (a window
    // sending to its own UI thread: messages sent here are handled while
    // waiting). A thread still inside the callback after the wait is cut off
    // from the engine.
    if (progressThread_.IsSet()) {
        if (!WaitHandlingSentMessages(progressThread_.Get(), stopWaitMs)) {
            std::lock_guard<std::mutex> lock(estimatorLink_->mutex);
            estimatorLink_->engineGone = true;
        }
        progressThread_.Reset();
    }
    DisconnectAll();
}

void CQcomDownloader::Init_QcomDownLoad(const QcomConfigBlock& block) {
    SendText(L"Init_QcomDownLoad", MSG_DETAIL);
    settings = block;
    if (block.imageTable != nullptr) {
        std::memcpy(&images, block.imageTable, sizeof(ImageTable));
    } else {
        std::memset(&images, 0, sizeof(ImageTable));
    }
}

void CQcomDownloader::SendPercent(int32_t percent) {
    if (reportCallback == nullptr) {
        return;
    }
    const DownloadMessage message{MSG_PERCENT, percent, 0, nullptr};
    reportCallback(&message);
}

void CQcomDownloader::SendText(const std::wstring& text, int32_t code) {
    if (reportCallback == nullptr) {
        return;
    }
    const std::wstring shown = LookupMessageText(text);
    const size_t length = std::min<size_t>(shown.size(), std::numeric_limits<uint16_t>::max());
    const DownloadMessage message{code, 0, static_cast<uint16_t>(length), shown.c_str()};
    reportCallback(&message);
}

void CQcomDownloader::OnQmslText(void* handle, const char* text, uint16_t length) {
    const int32_t id = static_cast<int32_t>(reinterpret_cast<intptr_t>(handle));
    // 0 is no connection: it never names one of ours.
    if (id == 0 || (id != fireHoseHandle && id != normalHandle && id != saharaHandle)) {
        return;
    }
    // QMSL's texts need not be terminated: only `length` bytes are read.
    const std::string narrow = text != nullptr ? std::string(text, strnlen(text, length)) : std::string();
    std::wstring wide = AnsiToWide(narrow);
    if (wide.size() > kQmslTextShownChars) {
        wide.resize(kQmslTextShownChars);
    }
    SendText(wide, MSG_DETAIL);

    static const char kProgramSize[] = "Program Size:";
    const size_t sizeAt = narrow.find(kProgramSize);
    if (sizeAt != std::string::npos) {
        const std::string number = narrow.substr(sizeAt + std::strlen(kProgramSize));
        qmslMbUploaded += std::atof(number.c_str());
        const int32_t percent = UploadPercent(qmslMbUploaded, settings.romSizeMb);
        progressPercent = percent;
        SendPercent(percent);
        return;
    }
    static const wchar_t kFile[] = L"File: ";
    static const wchar_t kTotalTime[] = L"Total Time";
    static const wchar_t kThroughput[] = L"Throughput: ";
    // "Total Time" is followed by ": " before its value.
    constexpr size_t kTotalTimeValueOffset = 12;
    size_t at = wide.find(kFile);
    if (at != std::wstring::npos) {
        const std::wstring name = TextFrom(wide, at + std::wcslen(kFile));
        SendText(FitEngineText(FormatWide(L"Downloading: %s", name.c_str())), MSG_DOWNLOADING);
    } else if ((at = wide.find(kTotalTime)) != std::wstring::npos) {
        const std::wstring value = TextFrom(wide, at + kTotalTimeValueOffset);
        totalTimeText = FitEngineText(FormatWide(L"Total Time: %s", value.c_str()));
    } else if ((at = wide.find(kThroughput)) != std::wstring::npos) {
        const std::wstring value = TextFrom(wide, at + std::wcslen(kThroughput));
        throughputText = FitEngineText(FormatWide(L"Throughput: %s", value.c_str()));
    }
}

void CQcomDownloader::RequestStop() {
    quitFlag = 1;
    if (stopEvent_.IsSet()) {
        SetEvent(stopEvent_.Get());
    }
    if (progressEvent.IsSet()) {
        SetEvent(progressEvent.Get());
    }
}

bool CQcomDownloader::StopRequested() const { return quitFlag != 0 || RunFlagCleared(); }

void CQcomDownloader::Pause(DWORD ms) const {
    if (stopEvent_.IsSet()) {
        WaitForSingleObject(stopEvent_.Get(), ms);
    } else {
        Sleep(ms);
    }
}

bool CQcomDownloader::RunFlagCleared() const {
    return runFlag != nullptr && __atomic_load_n(runFlag, __ATOMIC_ACQUIRE) == 0;
}

DWORD WINAPI CQcomDownloader::ProgressThreadProc(void* link) {
    const std::unique_ptr<std::shared_ptr<EstimatorLink>> ownLink(static_cast<std::shared_ptr<EstimatorLink>*>(link));
    EstimatorLink& shared = **ownLink;
    EstimatorHold hold(shared.mutex);
    if (!shared.engineGone) {
        shared.engine->RunProgressEstimator(hold, shared);
    }
    return 0;
}

void CQcomDownloader::RunProgressEstimator(EstimatorHold& hold, const EstimatorLink& link) {
    for (;;) {
        // The auto-reset event keeps a signal given before this wait, and the
        // wait consumes it: no wake-up is lost, so it is not reset first.
        const HANDLE wake = progressEvent.Get();
        hold.unlock();
        WaitForSingleObject(wake, INFINITE);
        hold.lock();
        if (link.engineGone || quitFlag != 0) {
            return;
        }
        if (!StepProgress(ProgressStepMs(settings.romSizeMb), hold, link)) {
            return;
        }
    }
}

bool CQcomDownloader::StepProgress(DWORD periodMs, EstimatorHold& hold, const EstimatorLink& link) {
    for (;;) {
        int32_t current = progressPercent;
        if (current >= kPercentDone) {
            return true;
        }
        // Without a run flag to watch the estimator does not step at all.
        if (progressActive == 0 || runFlag == nullptr || RunFlagCleared() || quitFlag != 0) {
            return true;
        }
        const HANDLE stop = stopEvent_.Get();
        hold.unlock();
        const bool stopped = WaitForSingleObject(stop, periodMs) == WAIT_OBJECT_0;
        hold.lock();
        if (link.engineGone) {
            return false;
        }
        if (stopped) {
            return true;
        }
        // The text parser may have moved the percentage meanwhile: step from
        // its value and never past 100.
        current = progressPercent;
        while (current < kPercentDone && !progressPercent.compare_exchange_weak(current, current + 1)) {
        }
        if (current >= kPercentDone) {
            return true;
        }
        const ReportCallback callback = reportCallback;
        if (callback != nullptr) {
            const DownloadMessage message{MSG_PERCENT, current + 1, 0, nullptr};
            hold.unlock();
            callback(&message);
            hold.lock();
            if (link.engineGone) {
                return false;
            }
        }
    }
}
