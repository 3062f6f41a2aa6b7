#include "EngineTestSupport.h"

#include <initguid.h>
#include <devguid.h>

#include <algorithm>

#include "SimUsbBus.h"
#include "TextFormat.h"

namespace {

ReportRecorder* g_activeRecorder = nullptr;
CQcomDownloader* g_textEngine = nullptr;

}  // namespace

ReportRecorder::ReportRecorder() {
    g_activeRecorder = this;
}

ReportRecorder::~ReportRecorder() {
    g_activeRecorder = nullptr;
}

void ReportRecorder::Callback(const DownloadMessage* message) {
    if (g_activeRecorder != nullptr && message != nullptr) {
        g_activeRecorder->Record(*message);
    }
}

void ReportRecorder::Record(const DownloadMessage& message) {
    RecordedReport report{message.code, message.value, std::wstring()};
    if (message.text != nullptr) {
        report.text.assign(static_cast<const wchar_t*>(message.text), message.length);
    }
    std::function<void(const RecordedReport&)> hook;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        reports_.push_back(report);
        hook = hook_;
    }
    if (hook) {
        hook(report);
    }
}

std::vector<RecordedReport> ReportRecorder::Reports() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return reports_;
}

std::vector<std::wstring> ReportRecorder::Texts(int32_t code) const {
    std::vector<std::wstring> texts;
    for (const RecordedReport& report : Reports()) {
        if (report.code == code) {
            texts.push_back(report.text);
        }
    }
    return texts;
}

std::vector<int32_t> ReportRecorder::Percents() const {
    std::vector<int32_t> percents;
    for (const RecordedReport& report : Reports()) {
        if (report.code == MSG_PERCENT) {
            percents.push_back(report.value);
        }
    }
    return percents;
}

std::vector<TextReport> ReportRecorder::TextReports() const {
    std::vector<TextReport> texts;
    for (const RecordedReport& report : Reports()) {
        if (report.code != MSG_PERCENT) {
            texts.emplace_back(report.code, report.text);
        }
    }
    return texts;
}

bool ReportRecorder::HasText(int32_t code, const std::wstring& text) const {
    const std::vector<TextReport> texts = TextReports();
    return std::find(texts.begin(), texts.end(), TextReport(code, text)) != texts.end();
}

size_t ReportRecorder::Count() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return reports_.size();
}

void ReportRecorder::Clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    reports_.clear();
}

void ReportRecorder::SetHook(std::function<void(const RecordedReport&)> hook) {
    std::lock_guard<std::mutex> lock(mutex_);
    hook_ = std::move(hook);
}

bool ReportRecorder::WaitUntil(
    const std::function<bool(const std::vector<RecordedReport>&)>& done, DWORD timeoutMs) const {
    const ULONGLONG start = GetTickCount64();
    while (!done(Reports())) {
        if (GetTickCount64() - start > timeoutMs) {
            return false;
        }
        Sleep(2);
    }
    return true;
}

std::unique_ptr<CQcomDownloader> MakeEngine() {
    auto engine = std::make_unique<CQcomDownloader>();
    engine->reportCallback = &ReportRecorder::Callback;
    engine->textCallback = &ForwardQmslText;
    return engine;
}

void RouteQmslTextsTo(CQcomDownloader* engine) {
    g_textEngine = engine;
}

void ForwardQmslText(void* handle, const char* text, uint16_t length) {
    if (g_textEngine != nullptr) {
        g_textEngine->OnQmslText(handle, text, length);
    }
}

std::string ReadWholeFile(const std::wstring& path) {
    std::optional<std::string> bytes = testsupport::ReadBytes(path);
    if (!bytes) {
        ADD_FAILURE() << "cannot read " << NarrowPath(path);
        return std::string();
    }
    return *bytes;
}

std::string NarrowPath(const std::wstring& path) {
    return WideToAnsi(path);
}

std::wstring ToWide(const std::string& text) {
    return AnsiToWide(text);
}

constexpr uint64_t SimPhoneTest::kStorageBytes;
constexpr char SimPhoneTest::kVersion[];

void SimPhoneTest::SetUp() {
    folders_ = std::make_unique<TempFolder>();
    phone_.emplace(folders_->File(L"phone1"));
    ASSERT_TRUE(phone_->Create(1, kStorageBytes, kVersion));
    ASSERT_TRUE(SetEnvironmentVariableW(kSimPhoneDirVariable, phone_->Folder().c_str()));
}

void SimPhoneTest::TearDown() {
    for (const std::wstring& id : extraPorts_) {
        EXPECT_TRUE(SimUsbBus::Unplug(GUID_DEVCLASS_PORTS, id));
    }
    if (secondPhone_) {
        EXPECT_TRUE(secondPhone_->Remove());
    }
    if (phone_) {
        EXPECT_TRUE(phone_->Remove());
    }
    SetEnvironmentVariableW(kSimPhoneDirVariable, nullptr);
    folders_.reset();
}

SimPhone& SimPhoneTest::SecondPhone() {
    if (!secondPhone_) {
        secondPhone_.emplace(folders_->File(L"phone2"));
        EXPECT_TRUE(secondPhone_->Create(2, kStorageBytes, "AP:QX_V2.0_T02"));
    }
    return *secondPhone_;
}

void SimPhoneTest::PlugExtraPort(const std::wstring& instanceId, const std::wstring& friendlyName,
                                 const std::wstring& description) {
    extraPorts_.push_back(instanceId);
    ASSERT_TRUE(SimUsbBus::Plug(
        SimUsbBus::DeviceNode{GUID_DEVCLASS_PORTS, instanceId, friendlyName, description, nullptr}));
}

size_t SimPhoneTest::CountJournal(const std::string& line) const {
    const std::vector<std::string> journal = phone_->Journal();
    return static_cast<size_t>(std::count(journal.begin(), journal.end(), line));
}

size_t SimPhoneTest::CountJournalStarting(const std::string& start) const {
    return JournalStarting(start).size();
}

std::vector<std::string> SimPhoneTest::JournalStarting(const std::string& start) const {
    std::vector<std::string> found;
    for (const std::string& entry : phone_->Journal()) {
        if (entry.compare(0, start.size(), start) == 0) {
            found.push_back(entry);
        }
    }
    return found;
}
