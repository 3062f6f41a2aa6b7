// Drives the simulated phone named by TAVIK_SIMPHONE_DIR from a shell or a
// test: creates it, switches its mode, injects faults and shows its state.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "SimPhone.h"
#include "SimSerialLine.h"

namespace {

int Usage() {
    std::fputs(
        "usage: simphone_driver COMMAND\n"
        "  create NUMBER STORAGE_BYTES VERSION  a new phone, switched off\n"
        "  mode off|normal|download|edl|fastboot\n"
        "  boot                                 restart as the storage allows\n"
        "  version TEXT\n"
        "  fault NAME | fault clear             refuse-programmer, unplug-mid-write,\n"
        "                                       fail-write, corrupt-readback, timeout,\n"
        "                                       adb-read-timeout, adb-no-cnxn, fastboot-fail\n"
        "  show                                 print the state\n"
        "  serial-reset PORT TIMEOUT_MS         wait on COM<PORT> for the reset packet\n"
        "  remove                               unplug and delete the phone\n",
        stderr);
    return 2;
}

// Arguments in the ANSI code page, as the phone's texts are kept.
std::string Narrow(const wchar_t* text) {
    const int bytes = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 1) {
        return std::string();
    }
    std::string narrow(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, -1, &narrow[0], bytes, nullptr, nullptr);
    narrow.resize(static_cast<size_t>(bytes) - 1);
    return narrow;
}

int Result(bool ok) { return ok ? 0 : 1; }

int Show(const SimPhone& phone) {
    std::printf("mode=%s\n", SimPhoneModeName(phone.Mode()));
    std::printf("version=%s\n", phone.Version().c_str());
    std::printf("storage_bytes=%llu\n", static_cast<unsigned long long>(phone.StorageBytes()));
    std::printf("storage_path=%ls\n", phone.StoragePath().c_str());
    std::printf("programmer=%d\n", phone.ProgrammerLoaded() ? 1 : 0);
    for (SimPhoneFault fault :
         {SimPhoneFault::RefuseProgrammer, SimPhoneFault::UnplugMidWrite, SimPhoneFault::FailWrite,
          SimPhoneFault::CorruptReadBack, SimPhoneFault::Timeout, SimPhoneFault::AdbReadTimeout,
          SimPhoneFault::AdbNoConnect, SimPhoneFault::FastbootFail}) {
        if (phone.HasFault(fault)) {
            std::printf("fault=%s\n", SimPhoneFaultName(fault));
        }
    }
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        return Usage();
    }
    wchar_t folder[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableW(kSimPhoneDirVariable, folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        std::fputs("simphone_driver: TAVIK_SIMPHONE_DIR is not set\n", stderr);
        return 1;
    }
    SimPhone phone(folder);
    const std::string command = Narrow(argv[1]);
    if (command == "create" && argc == 5) {
        return Result(phone.Create(std::atoi(Narrow(argv[2]).c_str()),
                                   std::strtoull(Narrow(argv[3]).c_str(), nullptr, 10), Narrow(argv[4])));
    }
    if (!phone.Exists()) {
        std::fputs("simphone_driver: no phone in TAVIK_SIMPHONE_DIR\n", stderr);
        return 1;
    }
    if (command == "mode" && argc == 3) {
        const auto mode = ParseSimPhoneMode(Narrow(argv[2]));
        return mode ? Result(phone.SetMode(*mode)) : Usage();
    }
    if (command == "boot" && argc == 2) {
        return Result(phone.Boot());
    }
    if (command == "version" && argc == 3) {
        return Result(phone.SetVersion(Narrow(argv[2])));
    }
    if (command == "pace" && argc == 3) {
        return Result(phone.SetWritePace(static_cast<uint32_t>(wcstoul(argv[2], nullptr, 10))));
    }
    if (command == "fault" && argc == 3) {
        const std::string name = Narrow(argv[2]);
        if (name == "clear") {
            return Result(phone.ClearFaults());
        }
        const auto fault = ParseSimPhoneFault(name);
        return fault ? Result(phone.AddFault(*fault)) : Usage();
    }
    if (command == "show" && argc == 2) {
        return Show(phone);
    }
    if (command == "serial-reset" && argc == 4) {
        const SimSerialOutcome outcome =
            ServeSaharaReset(phone, std::atoi(Narrow(argv[2]).c_str()),
                             static_cast<DWORD>(std::strtoul(Narrow(argv[3]).c_str(), nullptr, 10)));
        std::printf("serial=%s\n", SimSerialOutcomeName(outcome));
        return Result(outcome == SimSerialOutcome::Reset);
    }
    if (command == "remove" && argc == 2) {
        return Result(phone.Remove());
    }
    return Usage();
}
