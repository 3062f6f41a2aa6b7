// The stand-in library's open interfaces and endpoints, keyed by handle. An
// interface is one session with the phone in the mode it was opened in; its
// endpoints share that session.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "AdbWinApiLibrary.h"
#include "AndroidFunction.h"
#include "SimPhone.h"

struct AndroidSession {
    std::wstring folder;  // the phone's state folder
    SimPhoneMode mode = SimPhoneMode::Off;
    std::wstring path;  // the interface path it was opened by
    std::unique_ptr<AndroidFunction> function;
    AnswerQueue answers;
    std::mutex mutex;  // one transfer at a time
};

enum class AndroidHandleKind { Interface, ReadEndpoint, WriteEndpoint };

struct AndroidHandle {
    AndroidHandleKind kind = AndroidHandleKind::Interface;
    std::shared_ptr<AndroidSession> session;
};

class AndroidSessions {
public:
    static AndroidSessions& Instance();

    AdbApiHandle Add(AndroidHandle handle);
    std::optional<AndroidHandle> Find(AdbApiHandle handle) const;
    bool Remove(AdbApiHandle handle);

private:
    mutable std::mutex mutex_;
    std::map<uintptr_t, AndroidHandle> handles_;
    uintptr_t next_ = 0xAD0010;
};

// The session still reaches its phone: the phone named by the environment is
// the one it was opened on and still in that mode.
std::optional<SimPhone> LivePhone(const AndroidSession& session);
