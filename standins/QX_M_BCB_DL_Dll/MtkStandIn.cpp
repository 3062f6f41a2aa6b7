// Our stand-in for the maker's MediaTek download library. It acts on the
// simulated phone named by TAVIK_SIMPHONE_DIR: a MediaTek phone is reachable
// while the phone is in `download` mode (its boot ROM port). Each call is
// noted in the phone's journal. Connect, check and download run on a thread
// of their own and report through the block's callback from there, as the
// maker's library does. See standins/README.md.
#include <windows.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "ScatterFile.h"
#include "SharedRecords.h"
#include "SimPhone.h"

#define MTK_EXPORT extern "C" __declspec(dllexport)

namespace {

constexpr DWORD kPollMs = 50;
constexpr size_t kChunkBytes = 64 * 1024;
constexpr double kBytesPerMb = 1048576.0;

// The download state between MTKHandlt_Init and MTKDL_Handle_Del.
struct MtkSession {
    ReportCallback report = nullptr;
    std::string daPath;
    std::string scatterPath;
    uint32_t connectTimeoutMs = 0;
    bool fullPackage = true;
    ScatterFile scatter;
    bool connected = false;
};

std::mutex g_lock;
std::optional<MtkSession> g_session;

void Journal(const std::string& line) {
    std::optional<SimPhone> phone = SimPhone::FromEnvironment();
    if (phone) {
        phone->AppendJournal(line);
    }
}

void Report(const MtkSession& session, int32_t code, int32_t value, const std::string& text) {
    if (session.report == nullptr) {
        return;
    }
    const DownloadMessage message{code, value, static_cast<uint16_t>(text.size()), text.c_str()};
    session.report(&message);
}

void ReportPercent(const MtkSession& session, int percent) { Report(session, MSG_PERCENT, percent, ""); }

std::string Formatted(const char* format, ...) {
    char text[512];
    va_list arguments;
    va_start(arguments, format);
    _vsnprintf(text, sizeof(text) - 1, format, arguments);
    va_end(arguments);
    text[sizeof(text) - 1] = '\0';
    return text;
}

// The maker's library works on threads of its own; callers wait for them.
int32_t OnOwnThread(const std::function<bool()>& work) {
    bool ok = false;
    std::thread worker([&] { ok = work(); });
    worker.join();
    return ok ? 1 : 0;
}

std::optional<uint64_t> FileBytes(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return std::nullopt;
    }
    return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(toupper(c)); });
    return text;
}

// Partitions that hold what the user keeps: data and the internal card.
bool IsUserPartition(const ScatterPartition& partition) {
    const std::string name = Upper(partition.name);
    return name == "USRDATA" || name == "FAT";
}

void CopyText(char* buffer, const std::string& text) {
    if (buffer == nullptr) {
        return;
    }
    const size_t length = std::min(text.size(), static_cast<size_t>(kMtkBufferBytes - 1));
    memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
}

// The phone in download mode, answering; none after reporting why not.
std::optional<SimPhone> AnsweringPhone(const MtkSession& session) {
    std::optional<SimPhone> phone = SimPhone::FromEnvironment();
    if (!phone || phone->Mode() != SimPhoneMode::Download) {
        Report(session, MSG_FAILURE, 0, "Error: MediaTek phone disconnected");
        return std::nullopt;
    }
    if (phone->HasFault(SimPhoneFault::Timeout)) {
        Report(session, MSG_FAILURE, 0, "Error: MediaTek phone does not answer (time-out)");
        return std::nullopt;
    }
    return phone;
}

bool Connect(MtkSession& session, char* buffer) {
    Report(session, MSG_PROGRESS_LINE, 0, "Waiting for MediaTek phone...");
    const ULONGLONG deadline = GetTickCount64() + session.connectTimeoutMs;
    std::optional<SimPhone> phone;
    for (;;) {
        phone = SimPhone::FromEnvironment();
        if (phone && phone->Mode() == SimPhoneMode::Download) {
            break;
        }
        if (!phone && GetEnvironmentVariableW(kSimPhoneDirVariable, nullptr, 0) == 0) {
            phone.reset();  // no bus at all: nothing can ever appear
            break;
        }
        if (GetTickCount64() >= deadline) {
            phone.reset();
            break;
        }
        Sleep(kPollMs);
    }
    if (!phone) {
        Report(session, MSG_FAILURE, 0, Formatted("Error: no MediaTek phone within %u ms", session.connectTimeoutMs));
        return false;
    }
    const std::optional<uint64_t> daBytes = FileBytes(session.daPath);
    if (!daBytes || *daBytes == 0) {
        Report(session, MSG_FAILURE, 0, "Error: DA file cannot be read: " + session.daPath);
        return false;
    }
    if (phone->HasFault(SimPhoneFault::RefuseProgrammer)) {
        phone->AppendJournal("mtk DA refused");
        Report(session, MSG_FAILURE, 0, "Error: the phone refused the download agent");
        return false;
    }
    phone->AppendJournal(Formatted("mtk DA %llu", static_cast<unsigned long long>(*daBytes)));
    session.connected = true;
    CopyText(buffer, session.scatter.platform);
    Report(session, MSG_SUMMARY, 0, "Connected: " + session.scatter.platform);
    return true;
}

bool Check(MtkSession& session, char* version, char* second) {
    if (!session.connected) {
        Report(session, MSG_FAILURE, 0, "Error: MediaTek phone not connected");
        return false;
    }
    std::optional<SimPhone> phone = AnsweringPhone(session);
    if (!phone) {
        session.connected = false;
        return false;
    }
    const std::string phoneVersion = phone->Version();
    CopyText(version, phoneVersion);
    CopyText(second, session.scatter.platform);
    Report(session, MSG_DETAIL, 0, "Phone version: " + phoneVersion);
    return true;
}

// The images to write with their files, checked before anything is written.
struct PlannedImage {
    const ScatterPartition* partition;
    std::string path;
    uint64_t bytes;
};

std::optional<std::vector<PlannedImage>> PlanImages(const MtkSession& session, uint64_t storageBytes) {
    std::vector<PlannedImage> plan;
    const std::string folder = FolderOf(session.scatterPath);
    for (const ScatterPartition& partition : session.scatter.partitions) {
        if (!partition.download || partition.fileName.empty()) {
            continue;
        }
        if (!session.fullPackage && IsUserPartition(partition)) {
            Report(session, MSG_DETAIL, 0, "Keep user data: " + partition.name);
            continue;
        }
        const std::string path = folder + "\\" + partition.fileName;
        const std::optional<uint64_t> bytes = FileBytes(path);
        if (!bytes) {
            Report(session, MSG_FAILURE, 0, "Error: image missing: " + partition.fileName);
            return std::nullopt;
        }
        if (*bytes > partition.size || partition.start > storageBytes || *bytes > storageBytes - partition.start) {
            Report(session, MSG_FAILURE, 0, "Error: image does not fit: " + partition.fileName);
            return std::nullopt;
        }
        plan.push_back({&partition, path, *bytes});
    }
    return plan;
}

bool WriteImage(const MtkSession& session, SimPhone& phone, const PlannedImage& image, uint64_t& done, uint64_t total,
                int& lastPercent) {
    HANDLE file = CreateFileA(image.path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        Report(session, MSG_FAILURE, 0, "Error: cannot open " + image.path);
        return false;
    }
    std::vector<char> chunk(kChunkBytes);
    uint64_t offset = image.partition->start;
    bool ok = true;
    DWORD got = 0;
    while (ok && ReadFile(file, chunk.data(), static_cast<DWORD>(chunk.size()), &got, nullptr) && got > 0) {
        if (phone.Mode() != SimPhoneMode::Download) {
            Report(session, MSG_FAILURE, 0, "Error: MediaTek phone disconnected during download");
            ok = false;
            break;
        }
        ok = phone.WriteStorage(offset, chunk.data(), got);
        offset += got;
        done += got;
        const int percent = total == 0 ? 100 : static_cast<int>(done * 100 / total);
        if (percent != lastPercent) {
            lastPercent = percent;
            ReportPercent(session, percent);
        }
        if (ok && phone.HasFault(SimPhoneFault::UnplugMidWrite)) {
            phone.AppendJournal("mtk unplugged");
            phone.SetMode(SimPhoneMode::Off);
        }
    }
    CloseHandle(file);
    if (ok) {
        phone.AppendJournal(Formatted("mtk write %s %llu %llu", image.partition->name.c_str(),
                                      static_cast<unsigned long long>(image.partition->start),
                                      static_cast<unsigned long long>(image.bytes)));
    }
    return ok;
}

// Unused in the build that lacks its export.
[[maybe_unused]] bool Download(MtkSession& session, char* buffer) {
    if (!session.connected) {
        Report(session, MSG_FAILURE, 0, "Error: MediaTek phone not connected");
        return false;
    }
    std::optional<SimPhone> phone = AnsweringPhone(session);
    if (!phone) {
        session.connected = false;
        return false;
    }
    const std::optional<std::vector<PlannedImage>> plan = PlanImages(session, phone->StorageBytes());
    if (!plan) {
        return false;
    }
    if (phone->HasFault(SimPhoneFault::FailWrite)) {
        phone->AppendJournal("mtk write failed");
        Report(session, MSG_FAILURE, 0, "Error: download failed: storage write error");
        return false;
    }
    uint64_t total = 0;
    for (const PlannedImage& image : *plan) {
        total += image.bytes;
    }
    const ULONGLONG start = GetTickCount64();
    uint64_t done = 0;
    int lastPercent = -1;
    ReportPercent(session, 0);
    for (const PlannedImage& image : *plan) {
        Report(session, MSG_DOWNLOADING, 0, "Download: " + image.partition->name);
        if (!WriteImage(session, *phone, image, done, total, lastPercent)) {
            session.connected = false;
            return false;
        }
    }
    const double seconds = (GetTickCount64() - start) / 1000.0;
    Report(session, MSG_DETAIL, 0, Formatted("Total Time: %.3f seconds", seconds));
    Report(session, MSG_DETAIL, 0,
           Formatted("Throughput: %.2f MB/s", seconds > 0 ? total / kBytesPerMb / seconds : total / kBytesPerMb));
    CopyText(buffer, "OK");
    Report(session, MSG_SUMMARY, 0, "Download OK");
    // A new download needs a new connection, as after the maker's DA ends.
    session.connected = false;
    return true;
}

// Runs a step of an open session; 0 without one.
int32_t WithSession(const char* call, const std::function<bool(MtkSession&)>& step) {
    std::lock_guard<std::mutex> guard(g_lock);
    Journal(call);
    if (!g_session) {
        Journal(std::string(call) + " without MTKHandlt_Init");
        return 0;
    }
    return OnOwnThread([&] { return step(*g_session); });
}

}  // namespace

MTK_EXPORT int32_t MTK_CALL MTKHandlt_Init(MtkInitParams* params) {
    std::lock_guard<std::mutex> guard(g_lock);
    Journal("MTKHandlt_Init");
    if (params == nullptr) {
        return 0;
    }
    MtkSession session;
    session.report = params->reportCallback;
    if (g_session) {
        Report(session, MSG_FAILURE, 0, "Error: download handle already open");
        return 0;
    }
    if (params->attributesRead != 1 || params->daPath == nullptr || params->scatterPath == nullptr) {
        Report(session, MSG_FAILURE, 0, "Error: parameters incomplete");
        return 0;
    }
    session.daPath = params->daPath;
    session.scatterPath = params->scatterPath;
    session.connectTimeoutMs = params->connectTimeout;
    session.fullPackage = params->fullPackage != 0;
    if (!FileBytes(session.daPath)) {
        Report(session, MSG_FAILURE, 0, "Error: DA file not found: " + session.daPath);
        return 0;
    }
    std::optional<ScatterFile> scatter = ReadScatterFile(session.scatterPath);
    if (!scatter) {
        Report(session, MSG_FAILURE, 0, "Error: scatter file unusable: " + session.scatterPath);
        return 0;
    }
    session.scatter = std::move(*scatter);
    Report(session, MSG_DETAIL, 0, "Scatter: " + session.scatter.platform);
    g_session = std::move(session);
    return 1;
}

MTK_EXPORT int32_t MTK_CALL MTKDL_Connect(char* buffer) {
    return WithSession("MTKDL_Connect", [&](MtkSession& session) { return Connect(session, buffer); });
}

MTK_EXPORT int32_t MTK_CALL MTKDL_Check(char* version, char* second) {
    return WithSession("MTKDL_Check", [&](MtkSession& session) { return Check(session, version, second); });
}

// The test build without this export stands for a library of the wrong release.
#if !defined(MTK_OMIT_DOWNLOAD_EXPORT)
MTK_EXPORT int32_t MTK_CALL MTKDL_Download(char* buffer) {
    return WithSession("MTKDL_Download", [&](MtkSession& session) { return Download(session, buffer); });
}
#endif

MTK_EXPORT int32_t MTK_CALL MTKDL_Handle_Del() {
    std::lock_guard<std::mutex> guard(g_lock);
    Journal("MTKDL_Handle_Del");
    if (!g_session) {
        Journal("MTKDL_Handle_Del without MTKHandlt_Init");
        return 0;
    }
    g_session.reset();
    return 1;
}
