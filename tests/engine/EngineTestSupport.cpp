#include "EngineTestSupport.h"

#include <initguid.h>
#include <devguid.h>

#include <algorithm>

#include "SimUsbBus.h"
#include "TextFormat.h"

namespace {

CQcomDownloader* g_textEngine = nullptr;

}  // namespace

std::unique_ptr<CQcomDownloader> MakeEngine() {
    auto engine = std::make_unique<CQcomDownloader>();
    engine->reportCallback = &ReportRecorder::Callback;
    engine->textCallback = &ForwardQmslText;
    return engine;
}

void RouteQmslTextsTo(CQcomDownloader* engine) { g_textEngine = engine; }

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

std::string NarrowPath(const std::wstring& path) { return WideToAnsi(path); }

std::wstring ToWide(const std::string& text) { return AnsiToWide(text); }

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
    ASSERT_TRUE(
        SimUsbBus::Plug(SimUsbBus::DeviceNode{GUID_DEVCLASS_PORTS, instanceId, friendlyName, description, nullptr}));
}

size_t SimPhoneTest::CountJournal(const std::string& line) const {
    const std::vector<std::string> journal = phone_->Journal();
    return static_cast<size_t>(std::count(journal.begin(), journal.end(), line));
}

size_t SimPhoneTest::CountJournalStarting(const std::string& start) const { return JournalStarting(start).size(); }

std::vector<std::string> SimPhoneTest::JournalStarting(const std::string& start) const {
    std::vector<std::string> found;
    for (const std::string& entry : phone_->Journal()) {
        if (entry.compare(0, start.size(), start) == 0) {
            found.push_back(entry);
        }
    }
    return found;
}
