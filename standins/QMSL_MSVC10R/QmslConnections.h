// The stand-in library's open connections, keyed by handle. Like the real
// library it keeps them for the whole process.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "QmslLibrary.h"
#include "SimPhone.h"

enum class ConnectionKind { Diagnostics, Sahara, FireHose };

struct QmslConnection {
    ConnectionKind kind = ConnectionKind::Diagnostics;
    uint32_t comPort = 0;
    SimPhoneMode mode = SimPhoneMode::Off;  // the phone's mode when connected
    QmslTextCallback callback = nullptr;
    bool uploadFailed = false;
    std::string uploadError;
};

class QmslConnections {
public:
    static QmslConnections& Instance();

    QmslHandle Open(const QmslConnection& connection);
    std::optional<QmslConnection> Find(QmslHandle handle) const;
    bool SetCallback(QmslHandle handle, QmslTextCallback callback);
    bool SetUploadResult(QmslHandle handle, bool failed, const std::string& error);
    bool Close(QmslHandle handle);

private:
    mutable std::mutex mutex_;
    std::map<QmslHandle, QmslConnection> connections_;
    QmslHandle next_ = 0x1001;
};

// A connection still reaches its phone while the phone stays in the mode it
// was made in (with its programmer, where it needs one) and answers on that
// port.
bool ConnectionAlive(const QmslConnection& connection, const SimPhone& phone);
