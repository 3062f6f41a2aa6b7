#include "AndroidSessions.h"

#include <windows.h>

AndroidSessions& AndroidSessions::Instance() {
    static AndroidSessions sessions;
    return sessions;
}

AdbApiHandle AndroidSessions::Add(AndroidHandle handle) {
    std::lock_guard<std::mutex> lock(mutex_);
    const uintptr_t id = next_;
    next_ += 4;
    handles_[id] = std::move(handle);
    return reinterpret_cast<AdbApiHandle>(id);
}

std::optional<AndroidHandle> AndroidSessions::Find(AdbApiHandle handle) const {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto found = handles_.find(reinterpret_cast<uintptr_t>(handle));
    if (found == handles_.end()) {
        return std::nullopt;
    }
    return found->second;
}

bool AndroidSessions::Remove(AdbApiHandle handle) {
    std::lock_guard<std::mutex> lock(mutex_);
    return handles_.erase(reinterpret_cast<uintptr_t>(handle)) > 0;
}

std::optional<SimPhone> LivePhone(const AndroidSession& session) {
    std::optional<SimPhone> phone = SimPhone::FromEnvironment();
    if (!phone || lstrcmpiW(phone->Folder().c_str(), session.folder.c_str()) != 0 || phone->Mode() != session.mode) {
        return std::nullopt;
    }
    return phone;
}
