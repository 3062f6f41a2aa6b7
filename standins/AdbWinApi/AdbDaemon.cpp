#include "AdbDaemon.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint32_t kCnxn = AdbWireCommand("CNXN");
constexpr uint32_t kOpen = AdbWireCommand("OPEN");
constexpr uint32_t kOkay = AdbWireCommand("OKAY");
constexpr uint32_t kWrte = AdbWireCommand("WRTE");
constexpr uint32_t kClse = AdbWireCommand("CLSE");
constexpr uint32_t kPhoneAdbVersion = 0x01000000;

constexpr char kGetProp[] = "shell:getprop ";
constexpr char kVersionProperty[] = "ro.qx.qxznvernumber";
constexpr char kRebootBootloader[] = "reboot:bootloader";

uint32_t ByteSum(const std::string& bytes) {
    uint32_t sum = 0;
    for (unsigned char byte : bytes) {
        sum += byte;
    }
    return sum;
}

std::string CommandName(uint32_t command) {
    std::string name(4, '?');
    for (size_t i = 0; i < 4; ++i) {
        const char letter = static_cast<char>((command >> (8 * i)) & 0xFF);
        name[i] = letter >= 'A' && letter <= 'Z' ? letter : '?';
    }
    return name;
}

void Send(AnswerQueue& answers, uint32_t command, uint32_t arg0, uint32_t arg1,
          const std::string& payload = std::string()) {
    const AdbWireHeader header{
        command, arg0, arg1, static_cast<uint32_t>(payload.size()), ByteSum(payload), command ^ 0xFFFFFFFFu};
    answers.Push(std::string(reinterpret_cast<const char*>(&header), sizeof(header)));
    answers.Push(payload);
}

}  // namespace

void AdbDaemon::Receive(SimPhone& phone, const std::string& bytes, AnswerQueue& answers) {
    if (awaitingPayload_) {
        payload_ += bytes;
        if (payload_.size() < awaitingPayload_->dataLength) {
            return;
        }
        const AdbWireHeader header = *awaitingPayload_;
        awaitingPayload_.reset();
        if (payload_.size() > header.dataLength) {
            phone.AppendJournal("adb drop payload longer than announced");
            return;
        }
        Handle(phone, header, payload_, answers);
        return;
    }
    if (bytes.size() != sizeof(AdbWireHeader)) {
        phone.AppendJournal("adb drop " + std::to_string(bytes.size()) + " bytes without header");
        return;
    }
    AdbWireHeader header;
    std::memcpy(&header, bytes.data(), sizeof(header));
    if (header.magic != (header.command ^ 0xFFFFFFFFu)) {
        phone.AppendJournal("adb drop bad magic");
        return;
    }
    if (header.dataLength > kSimAdbMaxData) {
        phone.AppendJournal("adb drop payload of " + std::to_string(header.dataLength));
        return;
    }
    if (header.dataLength > 0) {
        awaitingPayload_ = header;
        payload_.clear();
        return;
    }
    Handle(phone, header, std::string(), answers);
}

void AdbDaemon::Handle(SimPhone& phone, const AdbWireHeader& header, const std::string& payload, AnswerQueue& answers) {
    if (ByteSum(payload) != header.dataCheck) {
        phone.AppendJournal("adb drop bad check " + CommandName(header.command));
        return;
    }
    if (header.command == kCnxn) {
        Connect(phone, header, payload, answers);
        return;
    }
    if (!connected_) {
        phone.AppendJournal("adb drop " + CommandName(header.command) + " before CNXN");
        return;
    }
    if (header.command == kOpen) {
        Open(phone, header, payload, answers);
    } else if (header.command == kOkay) {
        phone.AppendJournal("adb OKAY " + std::to_string(header.arg0) + " " + std::to_string(header.arg1));
        if (streams_.count(header.arg1) != 0 && streams_[header.arg1].hostId == header.arg0) {
            SendMore(header.arg1, answers);
        }
    } else if (header.command == kClse) {
        phone.AppendJournal("adb CLSE " + std::to_string(header.arg0) + " " + std::to_string(header.arg1));
        streams_.erase(header.arg1);
    } else {
        phone.AppendJournal("adb drop " + CommandName(header.command));
    }
}

void AdbDaemon::Connect(SimPhone& phone, const AdbWireHeader& header, const std::string& payload,
                        AnswerQueue& answers) {
    phone.AppendJournal("adb CNXN " + std::to_string(header.arg0) + " " + std::to_string(header.arg1) + " " +
                        payload.c_str());
    if (phone.HasFault(SimPhoneFault::AdbNoConnect)) {
        phone.AppendJournal("adb CNXN unanswered");
        return;
    }
    connected_ = true;
    streams_.clear();
    hostMaxData_ = std::min(std::max<uint32_t>(header.arg1, 1), kSimAdbMaxData);
    Send(answers, kCnxn, kPhoneAdbVersion, kSimAdbMaxData, kSimAdbIdentity);
}

void AdbDaemon::Open(SimPhone& phone, const AdbWireHeader& header, const std::string& payload, AnswerQueue& answers) {
    if (payload.empty() || payload.back() != '\0') {
        phone.AppendJournal("adb drop OPEN without terminated service");
        return;
    }
    const std::string service(payload.c_str());
    const uint32_t hostId = header.arg0;
    phone.AppendJournal("adb OPEN " + std::to_string(hostId) + " " + service);
    if (hostId == 0) {
        Send(answers, kClse, 0, hostId);
        return;
    }
    const uint32_t phoneId = nextPhoneId_++;
    if (service == kRebootBootloader) {
        Send(answers, kOkay, phoneId, hostId);
        // The daemon goes down with the phone: what it sent is all there is.
        phone.AppendJournal("adb reboot bootloader");
        phone.SetMode(SimPhoneMode::Fastboot);
        return;
    }
    if (service.compare(0, std::strlen(kGetProp), kGetProp) == 0) {
        const std::string property = service.substr(std::strlen(kGetProp));
        // getprop prints an unknown property as an empty line.
        const std::string value = property == kVersionProperty ? phone.Version() : std::string();
        streams_[phoneId] = Stream{hostId, value + "\n"};
        Send(answers, kOkay, phoneId, hostId);
        SendMore(phoneId, answers);
        return;
    }
    // A service the phone does not offer: the stream is closed at once.
    Send(answers, kClse, 0, hostId);
}

void AdbDaemon::SendMore(uint32_t phoneId, AnswerQueue& answers) {
    Stream& stream = streams_[phoneId];
    if (stream.output.empty()) {
        Send(answers, kClse, phoneId, stream.hostId);
        return;
    }
    const size_t chunk = std::min<size_t>(stream.output.size(), hostMaxData_);
    Send(answers, kWrte, phoneId, stream.hostId, stream.output.substr(0, chunk));
    stream.output.erase(0, chunk);
}
