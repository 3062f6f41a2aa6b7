#include "AdbTestSupport.h"

#include "SimAndroidUsb.h"
#include "TextFormat.h"

namespace {

DebugLineCapture* g_activeCapture = nullptr;

// The narrow debug-print exception: (length with terminator, ANSI text).
constexpr DWORD kDebugPrintException = 0x40010006;

}  // namespace

DebugLineCapture::DebugLineCapture() {
    g_activeCapture = this;
    handler_ = AddVectoredExceptionHandler(1, &DebugLineCapture::Handler);
}

DebugLineCapture::~DebugLineCapture() {
    if (handler_ != nullptr) {
        RemoveVectoredExceptionHandler(handler_);
    }
    g_activeCapture = nullptr;
}

LONG CALLBACK DebugLineCapture::Handler(EXCEPTION_POINTERS* exception) {
    const EXCEPTION_RECORD* record = exception->ExceptionRecord;
    if (g_activeCapture != nullptr && record->ExceptionCode == kDebugPrintException && record->NumberParameters >= 2 &&
        record->ExceptionInformation[1] != 0) {
        const char* text = reinterpret_cast<const char*>(record->ExceptionInformation[1]);
        g_activeCapture->Record(AnsiToWide(text));
    }
    // The system's own handling goes on.
    return EXCEPTION_CONTINUE_SEARCH;
}

void DebugLineCapture::Record(const std::wstring& line) {
    std::function<void(const std::wstring&)> hook;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        lines_.push_back(line);
        hook = hook_;
    }
    if (hook) {
        hook(line);
    }
}

std::vector<std::wstring> DebugLineCapture::Lines() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return lines_;
}

std::vector<std::wstring> DebugLineCapture::Containing(const std::wstring& text) const {
    std::vector<std::wstring> found;
    for (const std::wstring& line : Lines()) {
        if (line.find(text) != std::wstring::npos) {
            found.push_back(line);
        }
    }
    return found;
}

void DebugLineCapture::Clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    lines_.clear();
}

void DebugLineCapture::SetHook(std::function<void(const std::wstring&)> hook) {
    std::lock_guard<std::mutex> lock(mutex_);
    hook_ = std::move(hook);
}

std::wstring DebugLinePrefix(const wchar_t* module, int line) {
    return FormatWide(L"\nerror in %s,on line %d,System ErrorCode:", module, line);
}

void AdbPhoneTest::SetUp() {
    SimPhoneTest::SetUp();
    engine_ = MakeEngine();
    engine_->settings.timeOut = 0;  // one or two polls when nothing shows
    engine_->runFlag = &runFlag_;
}

void AdbPhoneTest::TearDown() {
    recorder_.SetHook(nullptr);
    debug_.SetHook(nullptr);
    engine_.reset();
    SimPhoneTest::TearDown();
}

void AdbPhoneTest::PlugNormalPhone() {
    ASSERT_TRUE(Phone().SetMode(SimPhoneMode::Normal));
    ASSERT_EQ(1, engine_->SearchDevices());
    ASSERT_EQ(PHONE_NORMAL, engine_->phoneMode);
    recorder_.Clear();
    debug_.Clear();
    ASSERT_TRUE(Phone().ClearJournal());
}

void AdbPhoneTest::WritePartitionTable() {
    const unsigned char signature[2] = {0x55, 0xAA};
    ASSERT_TRUE(Phone().WriteStorage(510, signature, sizeof(signature)));
    ASSERT_TRUE(Phone().HasPartitionTable());
}

std::wstring AdbPhoneTest::AdbPath() const { return SimAndroidInterfacePath(phone_->Identity().adbId); }

std::wstring AdbPhoneTest::FastbootPath() const { return SimAndroidInterfacePath(phone_->Identity().fastbootId); }
