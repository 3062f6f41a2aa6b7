#include "QmslConnections.h"

QmslConnections& QmslConnections::Instance() {
    static QmslConnections connections;
    return connections;
}

QmslHandle QmslConnections::Open(const QmslConnection& connection) {
    std::lock_guard<std::mutex> lock(mutex_);
    const QmslHandle handle = next_++;
    connections_[handle] = connection;
    return handle;
}

std::optional<QmslConnection> QmslConnections::Find(QmslHandle handle) const {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto found = connections_.find(handle);
    if (found == connections_.end()) {
        return std::nullopt;
    }
    return found->second;
}

bool QmslConnections::SetCallback(QmslHandle handle, QmslTextCallback callback) {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto found = connections_.find(handle);
    if (found == connections_.end()) {
        return false;
    }
    found->second.callback = callback;
    return true;
}

bool QmslConnections::SetUploadResult(QmslHandle handle, bool failed, const std::string& error) {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto found = connections_.find(handle);
    if (found == connections_.end()) {
        return false;
    }
    found->second.uploadFailed = failed;
    found->second.uploadError = error;
    return true;
}

bool QmslConnections::Close(QmslHandle handle) {
    std::lock_guard<std::mutex> lock(mutex_);
    return connections_.erase(handle) > 0;
}

bool ConnectionAlive(const QmslConnection& connection, const SimPhone& phone) {
    if (phone.HasFault(SimPhoneFault::Timeout) || phone.Mode() != connection.mode) {
        return false;
    }
    // A silent diagnostics port takes the connection and answers nothing.
    if (phone.HasFault(SimPhoneFault::DiagSilent) && connection.kind == ConnectionKind::Diagnostics &&
        connection.comPort == static_cast<uint32_t>(phone.Identity().diagnosticsCom)) {
        return false;
    }
    // On the emergency download port only the Sahara stage runs without a
    // programmer.
    if (connection.mode == SimPhoneMode::EmergencyDownload && connection.kind != ConnectionKind::Sahara) {
        return phone.ProgrammerLoaded();
    }
    return true;
}
