#include "PhoneConfig.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <type_traits>

#include "FixedText.h"
#include "IniFile.h"
#include "PackageFile.h"
#include "ProgramFolder.h"
#include "TextFormat.h"
#include "VersionName.h"

CXmlDocument g_phoneListDocument;
ImageTable g_imageTable;

static_assert(std::is_trivially_copyable<CPhoneConfig>::value, "the configuration context is a plain record");

namespace {

bool EqualsIgnoringCase(const std::wstring& left, const wchar_t* right) { return _wcsicmp(left.c_str(), right) == 0; }

// "false" in any case turns a row's flag off; anything else leaves it on.
int32_t RowFlag(const std::wstring& value) { return EqualsIgnoringCase(value, L"false") ? 0 : 1; }

int32_t PlatformOfRow(const std::wstring& value) {
    if (EqualsIgnoringCase(value, L"Qcom")) {
        return PLATFORM_QCOM;
    }
    if (EqualsIgnoringCase(value, L"MTK")) {
        return PLATFORM_MTK;
    }
    return PLATFORM_NONE;
}

int32_t DownLoadTypeOfRow(const std::wstring& value) {
    if (EqualsIgnoringCase(value, L"FireHose")) {
        return DOWNLOAD_FIREHOSE;
    }
    if (EqualsIgnoringCase(value, L"Sahara")) {
        return DOWNLOAD_SAHARA;
    }
    return DOWNLOAD_AUTO;
}

// Programmer and target names of one Qualcomm chip family.
struct QcomFileSet {
    const char* fireHoseProgrammer;
    const char* targetName;
    const char* saharaProgrammer;
    const char* saharaImage;
};

constexpr QcomFileSet k8974FileSet = {"prog_emmc_firehose_8974.mbn", "8974", "MPRG8974.mbn", "8974_msimage.mbn"};
constexpr QcomFileSet k8x26FileSet = {"prog_emmc_firehose_8x26.mbn", "8x26", "MPRG8626.mbn", "8626_msimage.mbn"};

// Walks the root's "Phone" rows; leaves the document's current element on the
// first row whose MachineType equals the key.
bool FindPhoneRow(CXmlDocument& document, const std::wstring& modelKey) {
    if (!document.EnterElement()) {
        return false;
    }
    while (document.FindNextElement(L"Phone")) {
        if (EqualsIgnoringCase(document.GetAttributeValue(L"MachineType"), modelKey.c_str())) {
            return true;
        }
    }
    return false;
}

}  // namespace

void CPhoneConfig::Init() {
    *this = CPhoneConfig();

    CopyToField(exeFolder, ProgramFolder());

    mtkParams.daPath = daPath;
    mtkParams.scatterPath = scatterPath;
    mtkParams.fullPackage = 1;
    platform = PLATFORM_QCOM;
    qcom.timeOut = 60;
    qcom.imageTable = &g_imageTable;
    forUser = 0;
}

void CPhoneConfig::SendMessage(const std::wstring& text, int32_t code) {
    if (reportCallback == nullptr) {
        return;
    }
    const std::wstring shown = LookupMessageText(text);
    message.code = code;
    message.value = 0;
    message.length = static_cast<uint16_t>(shown.size() < 0xFFFF ? shown.size() : 0xFFFF);
    message.text = shown.c_str();
    reportCallback(&message);
    message.text = nullptr;  // the text lives only for the call
}

void CPhoneConfig::ReportPathTooLong(const std::wstring& path, int32_t code) {
    SendMessage(FormatWide(L"Path too long! %s", path.c_str()), code);
}

bool CPhoneConfig::CheckAnsiPath(const std::wstring& path) {
    if (IsAnsiRepresentable(path)) {
        return true;
    }
    SendMessage(FormatWide(L"Path not supported by the system code page! %s", path.c_str()), MSG_FAILURE);
    return false;
}

bool CPhoneConfig::CopyPathToNarrow(const std::wstring& path, char* field, size_t fieldSize) {
    if (!CheckAnsiPath(path)) {
        field[0] = '\0';
        return false;
    }
    if (!WideToNarrow(path, field, fieldSize)) {
        ReportPathTooLong(path, MSG_FAILURE);
        return false;
    }
    return true;
}

double CPhoneConfig::GetFileSizeMb(const char* path) { return path != nullptr ? FileSizeMb(AnsiToWide(path)) : 0.0; }

double CPhoneConfig::GetFileSizeMbW(const wchar_t* path) { return path != nullptr ? FileSizeMb(path) : 0.0; }

bool CPhoneConfig::LoadPhoneConfig(const wchar_t* folderText) {
    if (folderText == nullptr || folderText[0] == L'\0') {
        SendMessage(L"Please select the software path!", MSG_PATH_WARNING);
        return false;
    }
    const std::wstring folder = folderText;
    if (folder.size() >= static_cast<size_t>(kConfigPathChars)) {
        ReportPathTooLong(folder, MSG_PATH_WARNING);
        return false;
    }

    ReadVersionName(folder);
    if (versionName[0] == L'\0') {
        SendMessage(L"Please select the correct software path!", MSG_PATH_WARNING);
        return false;
    }

    if (!SelectPhoneRow(PathInFolder(exeFolder, L"PhoneList.Xml"))) {
        return false;
    }
    CopyToField(softwareFolder, folder);
    return ReadSelectedRow();
}

void CPhoneConfig::ReadVersionName(const std::wstring& folder) {
    versionName[0] = L'\0';

    std::wstring versionText;
    CINIFile information;
    if (!information.SetFile(FormatWide(L"%s\\Quorel_info.ini", folder.c_str()))) {
        SendMessage(L"Please select the correct software path!", MSG_PATH_WARNING);
        const size_t lastSlash = folder.rfind(L'\\');
        versionText = lastSlash == std::wstring::npos ? folder : folder.substr(lastSlash + 1);
    } else {
        versionText = information.GetString(L"product_info", L"VER");
    }
    CopyTruncated(versionName, StripVersionText(versionText));
}

bool CPhoneConfig::SelectPhoneRow(const std::wstring& listPath) {
    if (!g_phoneListDocument.Load(listPath)) {
        SendMessage(L"Phone configuration file is missing!", MSG_PATH_WARNING);
        return false;
    }
    if (!g_phoneListDocument.FindNextElement()) {
        SendMessage(L"Phone configuration file error!", MSG_PATH_WARNING);
        return false;
    }
    if (!FindPhoneRow(g_phoneListDocument, versionName)) {
        SendMessage(L"Does not support the phone model!", MSG_FAILURE);
        return false;
    }
    return true;
}

bool CPhoneConfig::ReadSelectedRow() {
    const CXmlDocument& row = g_phoneListDocument;
    CopyTruncated(externalType, row.GetAttributeValue(L"ExternalType"));
    CopyTruncated(picName, row.GetAttributeValue(L"PicName"));
    checkSw = RowFlag(row.GetAttributeValue(L"CheckSw"));
    checkPhoneVar = RowFlag(row.GetAttributeValue(L"CheckPhoneVar"));
    platform = PlatformOfRow(row.GetAttributeValue(L"Platform"));
    switch (platform) {
    case PLATFORM_QCOM:
        return ReadQcomAttributes();
    case PLATFORM_MTK:
        return ReadMtkAttributes();
    default:
        return true;
    }
}

bool CPhoneConfig::ReadMtkAttributes() {
    // Paths and flags of a model checked earlier must not survive a row that
    // lacks its own.
    daPath[0] = '\0';
    scatterPath[0] = '\0';
    mtkParams.attributesRead = 0;
    mtkParams.attributesReadByte = 0;

    const CXmlDocument& row = g_phoneListDocument;
    if (!EqualsIgnoringCase(row.GetAttributeValue(L"Platform"), L"Mtk")) {
        SendMessage(L"Mobile platform configuration error!", MSG_FAILURE);
        return false;
    }
    mtkParams.connectTimeout =
        static_cast<uint32_t>(std::wcstoul(row.GetAttributeValue(L"ConnetTimeOut").c_str(), nullptr, 10));

    if (!ReadRowPath(L"DAPath", L"DA Not configured!", exeFolder, daPath, sizeof daPath) ||
        !ReadRowPath(L"Scatter", L"Scatter Not configured!", softwareFolder, scatterPath, sizeof scatterPath)) {
        return false;
    }

    mtkParams.attributesRead = 1;
    mtkParams.attributesReadByte = 1;
    return true;
}

bool CPhoneConfig::ReadRowPath(const wchar_t* attribute, const wchar_t* notConfiguredText, const wchar_t* folder,
                               char* field, size_t fieldSize) {
    const std::wstring name = g_phoneListDocument.GetAttributeValue(attribute);
    if (name.empty()) {
        SendMessage(notConfiguredText, MSG_FAILURE);
        return false;
    }
    // A folder that could not be had names no file beside the drive's root.
    const std::wstring path = PathInFolder(folder, name);
    if (path.empty()) {
        ReportPathTooLong(FormatWide(L"%s\\%s", folder, name.c_str()), MSG_FAILURE);
        return false;
    }
    return CopyPathToNarrow(path, field, fieldSize);
}

bool CPhoneConfig::ReadQcomAttributes() {
    // The engine opens every file of the package through this narrow
    // folder.
    if (!CopyPathToNarrow(softwareFolder, qcom.softwarePath, sizeof qcom.softwarePath)) {
        return false;
    }

    const CXmlDocument& row = g_phoneListDocument;
    qcom.downLoadType = DownLoadTypeOfRow(row.GetAttributeValue(L"DownLoadType"));
    const QcomFileSet& files =
        EqualsIgnoringCase(row.GetAttributeValue(L"PhonePlatform"), L"8x26") ? k8x26FileSet : k8974FileSet;

    FireHoseSettings& fireHose = qcom.fireHose;
    CopyToField(fireHose.maxPayloadSize, "49152");
    CopyToField(fireHose.memoryName, "eMMC");
    CopyToField(fireHose.targetName, files.targetName);
    CopyToField(fireHose.ackRawDataEveryNumPackets, "100");
    std::memset(fireHose.flags, 0, sizeof fireHose.flags);
    CopyToField(qcom.fireHoseProgrammer, files.fireHoseProgrammer);
    CopyToField(qcom.saharaProgrammer, files.saharaProgrammer);
    CopyToField(qcom.saharaImage, files.saharaImage);

    CopyToField(qcom.patchFile, "patch0.xml");
    CopyToField(qcom.rawprogramFile, "rawprogram_unsparse.xml");
    forUser = 0;
    mtkParams.fullPackage = 1;
    return true;
}

bool CPhoneConfig::GetExternalType(const wchar_t* modelKey, wchar_t* externalTypeOut) {
    if (externalTypeOut == nullptr) {
        return false;
    }
    const std::wstring key = modelKey != nullptr ? modelKey : L"";
    if (!key.empty()) {
        CXmlDocument list;
        if (list.Load(PathInFolder(exeFolder, L"PhoneList.Xml")) && list.FindNextElement() && FindPhoneRow(list, key)) {
            CopyTruncated(externalTypeOut, kExternalTypeOutChars, list.GetAttributeValue(L"ExternalType"));
            return true;
        }
    }
    // The caller shows the key itself when the model is unknown.
    CopyTruncated(externalTypeOut, kExternalTypeOutChars, key);
    return false;
}
