// Our stand-in for the QMSL library. Every call acts on the simulated phone
// named by TAVIK_SIMPHONE_DIR and is written to the phone's journal; without
// a phone every call fails as with nothing attached.
#include <windows.h>

#include <algorithm>
#include <cstring>

#include "ImageUpload.h"
#include "PatchList.h"
#include "QmslConnections.h"
#include "QmslLibrary.h"
#include "RawProgramList.h"
#include "SimPhone.h"

namespace {

constexpr uint16_t kNvApVersionItem = 9002;
constexpr uint16_t kNvStatusDone = 0;
constexpr uint16_t kNvStatusInactive = 5;  // the item holds nothing
constexpr uint64_t kSectorBytes = 512;

// The phone with the call noted in its journal.
std::optional<SimPhone> PhoneFor(const std::string& call) {
    std::optional<SimPhone> phone = SimPhone::FromEnvironment();
    if (phone) {
        phone->AppendJournal(call);
    }
    return phone;
}

std::string Call(const char* name, long long argument) { return std::string(name) + " " + std::to_string(argument); }

// The live connection of a kind behind a handle, or none.
std::optional<QmslConnection> LiveConnection(QmslHandle handle, ConnectionKind kind, const SimPhone& phone) {
    std::optional<QmslConnection> connection = QmslConnections::Instance().Find(handle);
    if (!connection || connection->kind != kind || !ConnectionAlive(*connection, phone)) {
        return std::nullopt;
    }
    return connection;
}

bool FileHasData(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    return GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) &&
           !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && (data.nFileSizeHigh != 0 || data.nFileSizeLow != 0);
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

bool SameFileName(const std::string& path, const std::string& name) {
    const size_t slash = path.find_last_of("\\/");
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    return lstrcmpiA(base.c_str(), name.c_str()) == 0;
}

uint8_t FinishUpload(QmslHandle handle, ImageUpload& upload, bool ok) {
    QmslConnections::Instance().SetUploadResult(handle, !ok, ok ? std::string() : upload.Error());
    return ok ? 1 : 0;
}

// Places and writes the images of a partition list, then applies the patch
// list when one is named.
uint8_t UploadList(SimPhone& phone, QmslHandle handle, const QmslConnection& connection,
                   const std::string& rawprogramPath, const std::string& patchPath,
                   const std::function<std::string(const std::string&)>& findImage) {
    ImageUpload upload(phone, handle, connection.callback);
    std::vector<ProgramEntry> entries;
    std::vector<ImagePlacement> placements;
    std::string error;
    if (!ReadProgramEntries(rawprogramPath, entries)) {
        QmslConnections::Instance().SetUploadResult(handle, true, "cannot read " + rawprogramPath);
        return 0;
    }
    if (!PlaceImages(entries, phone.StorageBytes() / kSectorBytes, findImage, placements, error)) {
        QmslConnections::Instance().SetUploadResult(handle, true, error);
        return 0;
    }
    if (!upload.Run(placements)) {
        return FinishUpload(handle, upload, false);
    }
    std::vector<PatchEntry> patches;
    if (!patchPath.empty() && (!ReadPatchEntries(patchPath, patches) || !ApplyPatches(phone, patches, error))) {
        QmslConnections::Instance().SetUploadResult(handle, true, error.empty() ? "cannot read " + patchPath : error);
        return 0;
    }
    if (phone.HasFault(SimPhoneFault::UploadErrorInfo)) {
        // The upload answers success; only its error record tells otherwise.
        QmslConnections::Instance().SetUploadResult(handle, true, "read-back of the last image differs");
        return 1;
    }
    return FinishUpload(handle, upload, true);
}

void SetIfGiven(uint32_t* output, uint32_t value) {
    if (output != nullptr) {
        *output = value;
    }
}

QmslHandle OpenConnection(ConnectionKind kind, uint32_t comPort, SimPhoneMode mode,
                          QmslTextCallback callback = nullptr) {
    QmslConnection connection;
    connection.kind = kind;
    connection.comPort = comPort;
    connection.mode = mode;
    connection.callback = callback;
    return QmslConnections::Instance().Open(connection);
}

// The Sahara and FireHose servers answer on the loader port of a phone in
// emergency download mode: Sahara before the programmer is loaded, FireHose
// after.
bool LoaderPortAnswers(const SimPhone& phone, uint32_t comPort, bool programmerLoaded) {
    return !phone.HasFault(SimPhoneFault::Timeout) && phone.Mode() == SimPhoneMode::EmergencyDownload &&
           phone.ProgrammerLoaded() == programmerLoaded && comPort == static_cast<uint32_t>(phone.Identity().loaderCom);
}

uint8_t ConfigureCallback(const char* call, QmslHandle handle, QmslTextCallback callback) {
    return PhoneFor(Call(call, handle)) && QmslConnections::Instance().SetCallback(handle, callback) ? 1 : 0;
}

void Disconnect(const char* call, QmslHandle handle) {
    PhoneFor(Call(call, handle));
    QmslConnections::Instance().Close(handle);
}

// The FireHose connection an upload runs on, its result fields cleared.
std::optional<QmslConnection> UploadConnection(QmslHandle handle, const SimPhone& phone, uint32_t* result1,
                                               uint32_t* result2) {
    std::optional<QmslConnection> connection = LiveConnection(handle, ConnectionKind::FireHose, phone);
    if (connection) {
        SetIfGiven(result1, 0);
        SetIfGiven(result2, 0);
    }
    return connection;
}

// A path field of the image table, which need not hold a terminator.
std::string TablePath(const char* field) { return std::string(field, strnlen(field, kImageTablePathBytes)); }

}  // namespace

QMSL_API void QMSL_CALL QLIB_SetLibraryMode(uint8_t useQpst) { PhoneFor(Call("QLIB_SetLibraryMode", useQpst)); }

QMSL_API QmslHandle QMSL_CALL QLIB_ConnectServer(uint32_t comPort) {
    std::optional<SimPhone> phone = PhoneFor(Call("QLIB_ConnectServer", comPort));
    if (!phone) {
        return 0;
    }
    const SimPhoneIdentity identity = phone->Identity();
    const SimPhoneMode mode = phone->Mode();
    const bool diagnostics = (mode == SimPhoneMode::Normal || mode == SimPhoneMode::Download) &&
                             comPort == static_cast<uint32_t>(identity.diagnosticsCom);
    // The Sahara flow talks to the programmer over the loader port.
    const bool programmer = mode == SimPhoneMode::EmergencyDownload && phone->ProgrammerLoaded() &&
                            comPort == static_cast<uint32_t>(identity.loaderCom);
    if (!diagnostics && !programmer) {
        return 0;
    }
    return OpenConnection(ConnectionKind::Diagnostics, comPort, mode);
}

QMSL_API uint8_t QMSL_CALL QLIB_IsPhoneConnected(QmslHandle handle) {
    std::optional<SimPhone> phone = PhoneFor(Call("QLIB_IsPhoneConnected", handle));
    return phone && LiveConnection(handle, ConnectionKind::Diagnostics, *phone) ? 1 : 0;
}

QMSL_API uint8_t QMSL_CALL QLIB_DIAG_NV_READ_F(QmslHandle handle, uint16_t item, uint8_t* data, int32_t size,
                                               uint16_t* status) {
    std::optional<SimPhone> phone = PhoneFor(Call("QLIB_DIAG_NV_READ_F", item));
    if (!phone || data == nullptr || size <= 0 || status == nullptr ||
        !LiveConnection(handle, ConnectionKind::Diagnostics, *phone) || phone->Mode() != SimPhoneMode::Normal) {
        return 0;
    }
    const std::string version = phone->Version();
    std::memset(data, 0, static_cast<size_t>(size));
    if (item != kNvApVersionItem || version.empty() || phone->HasFault(SimPhoneFault::NvBlank)) {
        *status = kNvStatusInactive;
        return 1;
    }
    // An NV item is a fixed field: a text that fills it has no terminator.
    std::memcpy(data, version.data(), std::min(version.size(), static_cast<size_t>(size)));
    *status = kNvStatusDone;
    return 1;
}

QMSL_API void QMSL_CALL QLIB_DisconnectServer(QmslHandle handle) { Disconnect("QLIB_DisconnectServer", handle); }

QMSL_API uint8_t QMSL_CALL QLIB_QPHONEMS_SwitchToEDL(QmslHandle handle) {
    std::optional<SimPhone> phone = PhoneFor(Call("QLIB_QPHONEMS_SwitchToEDL", handle));
    if (!phone || !LiveConnection(handle, ConnectionKind::Diagnostics, *phone) ||
        phone->Mode() != SimPhoneMode::Normal || phone->HasFault(SimPhoneFault::RefuseEdlSwitch)) {
        return 0;
    }
    return phone->SetMode(SimPhoneMode::EmergencyDownload) ? 1 : 0;
}

QMSL_API uint8_t QMSL_CALL QLIB_QPHONEMS_SwitchToDownloadMode_OptionalValidation(QmslHandle handle,
                                                                                 uint32_t /*timeoutMs*/,
                                                                                 uint8_t /*validate*/,
                                                                                 uint32_t* result) {
    std::optional<SimPhone> phone = PhoneFor(Call("QLIB_QPHONEMS_SwitchToDownloadMode_OptionalValidation", handle));
    if (!phone || !LiveConnection(handle, ConnectionKind::Diagnostics, *phone) ||
        phone->Mode() != SimPhoneMode::Normal) {
        return 0;
    }
    SetIfGiven(result, 0);
    return phone->SetMode(SimPhoneMode::Download) ? 1 : 0;
}

QMSL_API uint8_t QMSL_CALL QLIB_QPHONEMS_DLoad_Reset(QmslHandle handle, uint32_t /*timeoutMs*/) {
    std::optional<SimPhone> phone = PhoneFor(Call("QLIB_QPHONEMS_DLoad_Reset", handle));
    if (!phone || !LiveConnection(handle, ConnectionKind::Diagnostics, *phone) ||
        phone->Mode() != SimPhoneMode::Download || phone->HasFault(SimPhoneFault::RefuseReset)) {
        return 0;
    }
    return phone->Boot() ? 1 : 0;
}

QMSL_API QmslHandle QMSL_CALL QLIB_QPHONEMS_ConnectServer_Sahara(uint32_t comPort, uint32_t* saharaVersion,
                                                                 uint32_t* saharaMode, uint32_t /*reserved1*/,
                                                                 uint32_t /*reserved2*/, uint32_t /*timeoutMs*/,
                                                                 QmslTextCallback callback) {
    std::optional<SimPhone> phone = PhoneFor(Call("QLIB_QPHONEMS_ConnectServer_Sahara", comPort));
    if (!phone || !LoaderPortAnswers(*phone, comPort, false)) {
        return 0;
    }
    SetIfGiven(saharaVersion, 2);
    SetIfGiven(saharaMode, 0);
    return OpenConnection(ConnectionKind::Sahara, comPort, SimPhoneMode::EmergencyDownload, callback);
}

QMSL_API uint8_t QMSL_CALL QLIB_QPHONEMS_SaharaConfigureCallback(QmslHandle handle, QmslTextCallback callback) {
    return ConfigureCallback("QLIB_QPHONEMS_SaharaConfigureCallback", handle, callback);
}

QMSL_API uint8_t QMSL_CALL QLIB_QPHONEMS_Sahara_FlashProgrammer(QmslHandle handle, const char* programmerPath) {
    std::optional<SimPhone> phone = PhoneFor(Call("QLIB_QPHONEMS_Sahara_FlashProgrammer", handle));
    if (!phone || programmerPath == nullptr || !LiveConnection(handle, ConnectionKind::Sahara, *phone) ||
        phone->HasFault(SimPhoneFault::RefuseProgrammer) || !FileHasData(programmerPath)) {
        return 0;
    }
    return phone->SetProgrammerLoaded(true) ? 1 : 0;
}

QMSL_API uint8_t QMSL_CALL QLIB_QPHONEMS_UploadEmmcUserParitionImage(QmslHandle handle, const char* /*partitionFile*/,
                                                                     const char* imagePath, uint8_t /*option1*/,
                                                                     uint8_t /*option2*/, uint32_t /*option3*/,
                                                                     uint32_t /*option4*/, uint32_t* result) {
    std::optional<SimPhone> phone = PhoneFor(Call("QLIB_QPHONEMS_UploadEmmcUserParitionImage", handle));
    if (!phone || imagePath == nullptr) {
        return 0;
    }
    const std::optional<QmslConnection> connection = LiveConnection(handle, ConnectionKind::Diagnostics, *phone);
    if (!connection || connection->mode != SimPhoneMode::EmergencyDownload || !FileHasData(imagePath)) {
        return 0;
    }
    // The msimage program shows the eMMC as a USB disk; it writes no storage.
    SetIfGiven(result, 0);
    ImageUpload upload(*phone, handle, connection->callback);
    if (!upload.Run({})) {
        return 0;
    }
    return phone->SetMode(SimPhoneMode::Download) ? 1 : 0;
}

QMSL_API void QMSL_CALL QLIB_DisconnectServer_Sahara(QmslHandle handle) {
    Disconnect("QLIB_DisconnectServer_Sahara", handle);
}

QMSL_API QmslHandle QMSL_CALL QLIB_QPHONEMS_ConnectServer_FireHose(uint32_t comPort, QmslTextCallback callback) {
    std::optional<SimPhone> phone = PhoneFor(Call("QLIB_QPHONEMS_ConnectServer_FireHose", comPort));
    if (!phone || !LoaderPortAnswers(*phone, comPort, true) || phone->HasFault(SimPhoneFault::RefuseFireHose)) {
        return 0;
    }
    return OpenConnection(ConnectionKind::FireHose, comPort, SimPhoneMode::EmergencyDownload, callback);
}

QMSL_API uint8_t QMSL_CALL QLIB_QPHONEMS_FireHoseConfigureCallback(QmslHandle handle, QmslTextCallback callback) {
    return ConfigureCallback("QLIB_QPHONEMS_FireHoseConfigureCallback", handle, callback);
}

QMSL_API uint8_t QMSL_CALL QLIB_QPHONEMS_FireHoseNOP(QmslHandle handle) {
    std::optional<SimPhone> phone = PhoneFor(Call("QLIB_QPHONEMS_FireHoseNOP", handle));
    return phone && !phone->HasFault(SimPhoneFault::FireHoseNopFail) &&
                   LiveConnection(handle, ConnectionKind::FireHose, *phone)
               ? 1
               : 0;
}

QMSL_API uint8_t QMSL_CALL QLIB_QPHONEMS_FireHoseConfigure(QmslHandle handle, const char* maxPayloadSize,
                                                           const char* memoryName, const char* targetName,
                                                           const char* ackRawDataEveryNumPackets, uint8_t /*flag1*/,
                                                           uint8_t /*flag2*/, uint8_t /*flag3*/, uint8_t /*flag4*/,
                                                           uint8_t /*flag5*/) {
    std::optional<SimPhone> phone = PhoneFor(Call("QLIB_QPHONEMS_FireHoseConfigure", handle));
    if (!phone || !LiveConnection(handle, ConnectionKind::FireHose, *phone)) {
        return 0;
    }
    // The simulated eMMC takes only the settings a package gives for it.
    const bool given = maxPayloadSize != nullptr && *maxPayloadSize != '\0' && targetName != nullptr &&
                       *targetName != '\0' && ackRawDataEveryNumPackets != nullptr &&
                       *ackRawDataEveryNumPackets != '\0';
    return given && memoryName != nullptr && std::strcmp(memoryName, "eMMC") == 0 ? 1 : 0;
}

QMSL_API uint8_t QMSL_CALL QLIB_QPHONEMS_UploadEmmcMetaBuildImage_FireHose(QmslHandle handle, const ImageTable* images,
                                                                           uint32_t* result1, uint32_t* result2) {
    std::optional<SimPhone> phone = PhoneFor(Call("QLIB_QPHONEMS_UploadEmmcMetaBuildImage_FireHose", handle));
    if (!phone || images == nullptr) {
        return 0;
    }
    const std::optional<QmslConnection> connection = UploadConnection(handle, *phone, result1, result2);
    if (!connection) {
        return 0;
    }
    // The table's paths, matched to the list's file names.
    const int count = std::min(images->count, kImageTableMaxPaths);
    const auto findImage = [images, count](const std::string& name) {
        for (int i = 0; i < count; ++i) {
            const std::string path = TablePath(images->imagePaths[i]);
            if (SameFileName(path, name)) {
                return path;
            }
        }
        return std::string();
    };
    return UploadList(*phone, handle, *connection, TablePath(images->rawprogramPath), TablePath(images->patchPath),
                      findImage);
}

QMSL_API uint8_t QMSL_CALL QLIB_QPHONEMS_UploadEmmcImage_FireHose(QmslHandle handle, const char* rawprogramPath,
                                                                  const char* patchPath, uint32_t* result1,
                                                                  uint32_t* result2) {
    std::optional<SimPhone> phone = PhoneFor(Call("QLIB_QPHONEMS_UploadEmmcImage_FireHose", handle));
    if (!phone || rawprogramPath == nullptr || patchPath == nullptr) {
        return 0;
    }
    const std::optional<QmslConnection> connection = UploadConnection(handle, *phone, result1, result2);
    if (!connection) {
        return 0;
    }
    if (!FileHasData(patchPath)) {
        QmslConnections::Instance().SetUploadResult(handle, true, std::string("cannot read ") + patchPath);
        return 0;
    }
    // Images lie beside the list, or in its bp_image folder.
    const std::string folder = FolderOf(rawprogramPath);
    const auto findImage = [folder](const std::string& name) {
        for (const std::string& path : {folder + "\\" + name, folder + "\\bp_image\\" + name}) {
            if (FileHasData(path)) {
                return path;
            }
        }
        return std::string();
    };
    return UploadList(*phone, handle, *connection, rawprogramPath, patchPath, findImage);
}

QMSL_API uint8_t QMSL_CALL QLIB_GetLastSoftwareDownloadErrorInfo(QmslHandle handle, uint8_t* errorFlag, char* text,
                                                                 int32_t textSize) {
    std::optional<SimPhone> phone = PhoneFor(Call("QLIB_GetLastSoftwareDownloadErrorInfo", handle));
    const std::optional<QmslConnection> connection = QmslConnections::Instance().Find(handle);
    if (!phone || !connection || errorFlag == nullptr) {
        return 0;
    }
    *errorFlag = connection->uploadFailed ? 1 : 0;
    if (text != nullptr && textSize > 0) {
        const size_t length = std::min(connection->uploadError.size(), static_cast<size_t>(textSize) - 1);
        std::memcpy(text, connection->uploadError.data(), length);
        text[length] = '\0';
    }
    return 1;
}

QMSL_API uint8_t QMSL_CALL QLIB_QPHONEMS_FireHosePower(QmslHandle handle, const char* action) {
    std::optional<SimPhone> phone = PhoneFor(Call("QLIB_QPHONEMS_FireHosePower", handle));
    if (!phone || action == nullptr || std::strcmp(action, "reset") != 0 ||
        !LiveConnection(handle, ConnectionKind::FireHose, *phone)) {
        return 0;
    }
    return phone->Boot() ? 1 : 0;
}

QMSL_API void QMSL_CALL QLIB_DisconnectServer_FireHose(QmslHandle handle) {
    Disconnect("QLIB_DisconnectServer_FireHose", handle);
}
