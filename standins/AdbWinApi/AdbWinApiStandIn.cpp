// Our stand-in for the Android USB library. Every call acts on the simulated
// phone named by TAVIK_SIMPHONE_DIR and is written to the phone's journal;
// without a phone every call fails as with nothing attached.
#include <windows.h>

#include <cstring>
#include <string>

#include "AdbDaemon.h"
#include "AdbWinApiLibrary.h"
#include "AndroidSessions.h"
#include "FastbootLoader.h"
#include "SimAndroidUsb.h"
#include "SimPhone.h"

namespace {

// The phone with the call noted in its journal.
std::optional<SimPhone> PhoneFor(const std::string& call) {
    std::optional<SimPhone> phone = SimPhone::FromEnvironment();
    if (phone) {
        phone->AppendJournal(call);
    }
    return phone;
}

bool Fail(DWORD error) {
    SetLastError(error);
    return false;
}

AdbApiHandle FailHandle(DWORD error) {
    SetLastError(error);
    return nullptr;
}

std::string Narrow(const std::wstring& text) {
    const int bytes =
        WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0) {
        WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), &narrow[0], bytes, nullptr,
                            nullptr);
    }
    return narrow;
}

const char* KindName(AndroidHandleKind kind) {
    switch (kind) {
    case AndroidHandleKind::Interface:
        return "interface";
    case AndroidHandleKind::ReadEndpoint:
        return "read";
    case AndroidHandleKind::WriteEndpoint:
        return "write";
    }
    return "?";
}

// Copies a text with its terminator into a caller's buffer of *charSize
// characters; too small (or no buffer): false, with the size needed stored.
bool CopyText(const std::wstring& text, void* buffer, uint32_t* charSize, bool ansi) {
    if (charSize == nullptr) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    const std::string narrow = Narrow(text);
    const size_t chars = ansi ? narrow.size() : text.size();
    const uint32_t needed = static_cast<uint32_t>(chars + 1);
    if (buffer == nullptr || *charSize < needed) {
        *charSize = needed;
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    }
    if (ansi) {
        std::memcpy(buffer, narrow.c_str(), needed);
    } else {
        std::memcpy(buffer, text.c_str(), needed * sizeof(wchar_t));
    }
    *charSize = needed;
    return true;
}

std::optional<AndroidHandle> FindOfKind(AdbApiHandle handle, AndroidHandleKind kind) {
    std::optional<AndroidHandle> found = AndroidSessions::Instance().Find(handle);
    if (!found || found->kind != kind) {
        return std::nullopt;
    }
    return found;
}

AdbApiHandle OpenEndpoint(AdbApiHandle adbInterface, AndroidHandleKind kind) {
    std::optional<AndroidHandle> found = FindOfKind(adbInterface, AndroidHandleKind::Interface);
    if (!found) {
        return FailHandle(ERROR_INVALID_HANDLE);
    }
    if (!LivePhone(*found->session)) {
        return FailHandle(ERROR_DEVICE_NOT_CONNECTED);
    }
    return AndroidSessions::Instance().Add(AndroidHandle{kind, found->session});
}

std::string Call(const char* name, uint32_t bytes, uint32_t timeoutMs) {
    return std::string(name) + " " + std::to_string(bytes) + " " + std::to_string(timeoutMs);
}

}  // namespace

ADBWINAPI_API AdbApiHandle ADBWINAPI_CALL AdbCreateInterfaceByName(const wchar_t* interfaceName) {
    const std::wstring path = interfaceName != nullptr ? interfaceName : L"";
    std::optional<SimPhone> phone = PhoneFor("AdbCreateInterfaceByName " + Narrow(path));
    if (interfaceName == nullptr) {
        return FailHandle(ERROR_INVALID_PARAMETER);
    }
    if (!phone) {
        return FailHandle(ERROR_DEVICE_NOT_CONNECTED);
    }
    const std::optional<std::wstring> shown = SimAndroidInterfaceOf(*phone);
    if (!shown || lstrcmpiW(shown->c_str(), path.c_str()) != 0) {
        return FailHandle(ERROR_FILE_NOT_FOUND);
    }
    auto session = std::make_shared<AndroidSession>();
    session->folder = phone->Folder();
    session->mode = phone->Mode();
    session->path = path;
    if (session->mode == SimPhoneMode::Fastboot) {
        session->function = std::make_unique<FastbootLoader>();
    } else {
        session->function = std::make_unique<AdbDaemon>();
    }
    return AndroidSessions::Instance().Add(AndroidHandle{AndroidHandleKind::Interface, session});
}

ADBWINAPI_API AdbApiHandle ADBWINAPI_CALL AdbOpenDefaultBulkReadEndpoint(AdbApiHandle adbInterface,
                                                                         AdbEndpointAccess access,
                                                                         AdbEndpointSharing sharing) {
    PhoneFor("AdbOpenDefaultBulkReadEndpoint " + std::to_string(access) + " " + std::to_string(sharing));
    return OpenEndpoint(adbInterface, AndroidHandleKind::ReadEndpoint);
}

ADBWINAPI_API AdbApiHandle ADBWINAPI_CALL AdbOpenDefaultBulkWriteEndpoint(AdbApiHandle adbInterface,
                                                                          AdbEndpointAccess access,
                                                                          AdbEndpointSharing sharing) {
    PhoneFor("AdbOpenDefaultBulkWriteEndpoint " + std::to_string(access) + " " + std::to_string(sharing));
    return OpenEndpoint(adbInterface, AndroidHandleKind::WriteEndpoint);
}

ADBWINAPI_API bool ADBWINAPI_CALL AdbGetInterfaceName(AdbApiHandle adbInterface, void* buffer, uint32_t* charSize,
                                                      bool ansi) {
    PhoneFor(std::string("AdbGetInterfaceName ") + (buffer != nullptr ? "buffer" : "size"));
    std::optional<AndroidHandle> found = FindOfKind(adbInterface, AndroidHandleKind::Interface);
    if (!found) {
        return Fail(ERROR_INVALID_HANDLE);
    }
    return CopyText(found->session->path, buffer, charSize, ansi);
}

ADBWINAPI_API bool ADBWINAPI_CALL AdbGetSerialNumber(AdbApiHandle adbInterface, void* buffer, uint32_t* charSize,
                                                     bool ansi) {
    PhoneFor("AdbGetSerialNumber " + std::to_string(charSize != nullptr ? *charSize : 0));
    std::optional<AndroidHandle> found = FindOfKind(adbInterface, AndroidHandleKind::Interface);
    if (!found) {
        return Fail(ERROR_INVALID_HANDLE);
    }
    const std::optional<SimPhone> phone = LivePhone(*found->session);
    if (!phone) {
        return Fail(ERROR_DEVICE_NOT_CONNECTED);
    }
    const std::string serial = SimAndroidSerial(*phone);
    return CopyText(std::wstring(serial.begin(), serial.end()), buffer, charSize, ansi);
}

ADBWINAPI_API bool ADBWINAPI_CALL AdbWriteEndpointSync(AdbApiHandle endpoint, void* buffer, uint32_t bytes,
                                                       uint32_t* transferred, uint32_t timeoutMs) {
    PhoneFor(Call("AdbWriteEndpointSync", bytes, timeoutMs));
    if (transferred != nullptr) {
        *transferred = 0;
    }
    std::optional<AndroidHandle> found = FindOfKind(endpoint, AndroidHandleKind::WriteEndpoint);
    if (!found) {
        return Fail(ERROR_INVALID_HANDLE);
    }
    if (buffer == nullptr && bytes > 0) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    AndroidSession& session = *found->session;
    std::lock_guard<std::mutex> lock(session.mutex);
    std::optional<SimPhone> phone = LivePhone(session);
    if (!phone) {
        return Fail(ERROR_DEVICE_NOT_CONNECTED);
    }
    if (bytes > 0) {
        session.function->Receive(*phone, std::string(static_cast<const char*>(buffer), bytes), session.answers);
    }
    if (transferred != nullptr) {
        *transferred = bytes;
    }
    return true;
}

ADBWINAPI_API bool ADBWINAPI_CALL AdbReadEndpointSync(AdbApiHandle endpoint, void* buffer, uint32_t bytes,
                                                      uint32_t* transferred, uint32_t timeoutMs) {
    const std::optional<SimPhone> phone = PhoneFor(Call("AdbReadEndpointSync", bytes, timeoutMs));
    if (transferred != nullptr) {
        *transferred = 0;
    }
    std::optional<AndroidHandle> found = FindOfKind(endpoint, AndroidHandleKind::ReadEndpoint);
    if (!found) {
        return Fail(ERROR_INVALID_HANDLE);
    }
    if (buffer == nullptr && bytes > 0) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    // A phone that does not answer: every read runs into its time-out.
    if (phone && (phone->HasFault(SimPhoneFault::AdbReadTimeout) || phone->HasFault(SimPhoneFault::Timeout))) {
        return Fail(ERROR_SEM_TIMEOUT);
    }
    AndroidSession& session = *found->session;
    std::lock_guard<std::mutex> lock(session.mutex);
    // What the phone sent before it went away can still be read.
    if (!session.answers.Empty()) {
        const uint32_t got = session.answers.Take(buffer, bytes);
        if (transferred != nullptr) {
            *transferred = got;
        }
        return true;
    }
    if (!LivePhone(session)) {
        return Fail(ERROR_DEVICE_NOT_CONNECTED);
    }
    return Fail(ERROR_SEM_TIMEOUT);
}

ADBWINAPI_API bool ADBWINAPI_CALL AdbCloseHandle(AdbApiHandle handle) {
    std::optional<AndroidHandle> found = AndroidSessions::Instance().Find(handle);
    PhoneFor(std::string("AdbCloseHandle ") + (found ? KindName(found->kind) : "unknown"));
    if (!found || !AndroidSessions::Instance().Remove(handle)) {
        return Fail(ERROR_INVALID_HANDLE);
    }
    return true;
}
