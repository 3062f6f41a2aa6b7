// The phone's ADB daemon as far as the engine uses it: the CNXN exchange,
// "shell:getprop NAME" and "reboot:bootloader". Messages whose header or
// payload is malformed are dropped without an answer, as a phone would.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "AndroidFunction.h"

// An ADB header as the phone reads it off the wire.
struct AdbWireHeader {
    uint32_t command;
    uint32_t arg0;
    uint32_t arg1;
    uint32_t dataLength;
    uint32_t dataCheck;
    uint32_t magic;
};
static_assert(sizeof(AdbWireHeader) == 24, "ADB headers are 24 bytes");

constexpr uint32_t AdbWireCommand(const char (&letters)[5]) {
    return static_cast<uint32_t>(static_cast<unsigned char>(letters[0])) |
           static_cast<uint32_t>(static_cast<unsigned char>(letters[1])) << 8 |
           static_cast<uint32_t>(static_cast<unsigned char>(letters[2])) << 16 |
           static_cast<uint32_t>(static_cast<unsigned char>(letters[3])) << 24;
}

// The identity the phone gives in its CNXN answer (fits the host's 32-byte read).
constexpr char kSimAdbIdentity[] = "device::simphone;";
// Largest payload the phone sends or takes.
constexpr uint32_t kSimAdbMaxData = 4096;

class AdbDaemon : public AndroidFunction {
public:
    void Receive(SimPhone& phone, const std::string& bytes, AnswerQueue& answers) override;

private:
    // What the daemon still has to send on a stream the host opened.
    struct Stream {
        uint32_t hostId;
        std::string output;
    };

    void Handle(SimPhone& phone, const AdbWireHeader& header, const std::string& payload, AnswerQueue& answers);
    void Connect(SimPhone& phone, const AdbWireHeader& header, const std::string& payload, AnswerQueue& answers);
    void Open(SimPhone& phone, const AdbWireHeader& header, const std::string& payload, AnswerQueue& answers);
    // The next WRTE of a stream, or its CLSE once everything went.
    void SendMore(uint32_t phoneId, AnswerQueue& answers);

    bool connected_ = false;
    uint32_t hostMaxData_ = kSimAdbMaxData;
    std::optional<AdbWireHeader> awaitingPayload_;
    std::string payload_;
    std::map<uint32_t, Stream> streams_;  // by the phone's id
    uint32_t nextPhoneId_ = 1;
};
