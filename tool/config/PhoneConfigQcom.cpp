// Qualcomm file set of CPhoneConfig: partition-list choice, the check of the
// programmer, patch and partition lists and images, the image table, and the
// user-data partition list.
#include <cstring>
#include <iterator>

#include "FixedText.h"
#include "PackageFile.h"
#include "PhoneConfig.h"
#include "TextFormat.h"

namespace {

const wchar_t kFullRawProgram[] = L"rawprogram_unsparse.xml";
const wchar_t kUserRawProgram[] = L"rawprogram_unsparse_for_User.xml";

// Labels of the partitions whose images a download that keeps the user's
// data must not write.
const wchar_t* const kStorageLabels[] = {L"udisk", L"usbmsc"};
const wchar_t* const kStorageAndUserDataLabels[] = {L"udisk", L"usbmsc", L"userdata"};

bool IsOneOf(const std::wstring& label, const wchar_t* const* labels, size_t labelCount) {
    for (size_t i = 0; i < labelCount; ++i) {
        if (label == labels[i]) {
            return true;
        }
    }
    return false;
}

}  // namespace

bool CPhoneConfig::SelectRawProgram(int fullPackage) {
    if (platform == PLATFORM_MTK) {
        mtkParams.fullPackage = fullPackage != 0 ? 1 : 0;
        return true;
    }
    CopyToField(qcom.patchFile, "patch0.xml");
    if (fullPackage == 1) {
        forUser = 0;
        CopyToField(qcom.rawprogramFile, WideToAnsi(kFullRawProgram));
        mtkParams.fullPackage = 1;
        return true;
    }
    forUser = 1;
    CopyToField(qcom.rawprogramFile, WideToAnsi(kUserRawProgram));
    // Made from the full list every time: a list left by an earlier release
    // unpacked into the same folder keeps its own times and describes
    // another layout.
    return MakeUserRawProgram();
}

bool CPhoneConfig::CopyPathToTable(const std::wstring& path, char* field) {
    // Every path field of the table holds kImageTablePathBytes.
    return CopyPathToNarrow(path, field, kImageTablePathBytes);
}

std::optional<PackageFileLookup> CPhoneConfig::FindConfiguredFile(const char* fileName,
                                                                  const wchar_t* notConfiguredText) {
    if (fileName[0] == '\0') {
        SendMessage(notConfiguredText, MSG_FAILURE);
        return std::nullopt;
    }
    const std::wstring name = AnsiToWide(fileName);
    PackageFileLookup lookup = LookUpPackageFile(softwareFolder, name);
    if (lookup.status == PackageFileLookup::PATH_TOO_LONG) {
        ReportPathTooLong(lookup.path, MSG_FAILURE);
        return std::nullopt;
    }
    if (lookup.status != PackageFileLookup::FOUND) {
        SendMessage(FormatWide(L"Can't Find %s", name.c_str()), MSG_FAILURE);
        return std::nullopt;
    }
    return lookup;
}

bool CPhoneConfig::CheckProgrammer(const char* fileName, const wchar_t* notConfiguredText) {
    const std::optional<PackageFileLookup> lookup = FindConfiguredFile(fileName, notConfiguredText);
    if (!lookup || !CheckAnsiPath(lookup->path)) {
        return false;
    }
    SendMessage(FormatWide(L"%20S %6.2fMb ok", fileName, lookup->sizeMb), MSG_PROGRESS_LINE);
    return true;
}

bool CPhoneConfig::CheckQcomFiles() {
    ImageTable& table = g_imageTable;
    std::memset(&table, 0, sizeof table);

    if (qcom.downLoadType == DOWNLOAD_FIREHOSE) {
        if (!CheckProgrammer(qcom.fireHoseProgrammer, L"Models configured incorrectly! [FireHoseMPRGFile]")) {
            return false;
        }
    } else if (qcom.downLoadType == DOWNLOAD_SAHARA) {
        if (!CheckProgrammer(qcom.saharaProgrammer, L"Models configured incorrectly![SaharaMPRGFile]") ||
            !CheckProgrammer(qcom.saharaImage, L"Models configured incorrectly![SaharaHexFile]")) {
            return false;
        }
    }

    // Patch list.
    const std::optional<PackageFileLookup> patch =
        FindConfiguredFile(qcom.patchFile, L"Models configured incorrectly![Patch NULL]");
    if (!patch) {
        return false;
    }
    table.listMode = 1;
    if (!CopyPathToTable(patch->path, table.patchPath)) {
        return false;
    }
    SendMessage(FormatWide(L"%20S %6.2fMb ok", qcom.patchFile, patch->sizeMb), MSG_PROGRESS_LINE);

    // Partition list; the user-data variant is made here when still missing.
    if (qcom.rawprogramFile[0] == '\0') {
        SendMessage(L"Models configured incorrectly! [szRawprogramfile]", MSG_FAILURE);
        return false;
    }
    const std::wstring rawprogramName = AnsiToWide(qcom.rawprogramFile);
    PackageFileLookup rawprogram = LookUpPackageFile(softwareFolder, rawprogramName);
    if (rawprogram.status == PackageFileLookup::PATH_TOO_LONG) {
        ReportPathTooLong(rawprogram.path, MSG_FAILURE);
        return false;
    }
    if (rawprogram.status != PackageFileLookup::FOUND) {
        if (forUser == 0 || !MakeUserRawProgramAll()) {
            SendMessage(FormatWide(L"Can't Find %s", rawprogramName.c_str()), MSG_FAILURE);
            return false;
        }
        rawprogram.path = FormatWide(L"%s\\%s", softwareFolder, rawprogramName.c_str());
        rawprogram.sizeMb = FileSizeMb(rawprogram.path);
    }
    if (!CopyPathToTable(rawprogram.path, table.rawprogramPath)) {
        return false;
    }
    SendMessage(FormatWide(L"%20S %6.2fMb ok", qcom.rawprogramFile, rawprogram.sizeMb), MSG_PROGRESS_LINE);

    double totalMb = 0.0;
    if (!CheckImageList(rawprogram.path.c_str(), totalMb)) {
        return false;
    }
    qcom.romSizeMb = totalMb;
    SendMessage(FormatWide(L"Rom size:%0.2f Mb", totalMb), MSG_PROGRESS_LINE);
    return true;
}

bool CPhoneConfig::CheckImageList(const wchar_t* rawprogramPath, double& totalMb) {
    const std::wstring listPath = rawprogramPath != nullptr ? rawprogramPath : L"";
    CXmlDocument list;
    if (!list.Load(listPath)) {
        SendMessage(FormatWide(L"Open %s Fail!", listPath.c_str()), MSG_FAILURE);
        return false;
    }
    if (!list.FindNextElement() || !list.EnterElement()) {
        SendMessage(FormatWide(L"%s Error!", listPath.c_str()), MSG_FAILURE);
        return false;
    }

    ImageTable& table = g_imageTable;
    while (list.FindNextElement(L"program")) {
        const std::wstring fileName = list.GetAttributeValue(L"filename");
        if (fileName.empty()) {
            continue;  // a partition without an image
        }
        const PackageFileLookup image = LookUpPackageFile(softwareFolder, fileName);
        if (image.status == PackageFileLookup::PATH_TOO_LONG) {
            ReportPathTooLong(image.path, MSG_FAILURE);
            return false;
        }
        if (image.status != PackageFileLookup::FOUND) {
            SendMessage(FormatWide(L"%20s No Find!", fileName.c_str()), MSG_FAILURE);
            return false;
        }
        // Only the first 512 paths are kept; past them the engine uploads by
        // list file, but the count and the total still cover every image,
        // and each must still be one the engine can open by its narrow path.
        const bool usable = table.count < kImageTableMaxPaths
                                ? CopyPathToTable(image.path, table.imagePaths[table.count])
                                : CheckAnsiPath(image.path);
        if (!usable) {
            return false;
        }
        ++table.count;
        totalMb += image.sizeMb;
        SendMessage(FormatWide(L"%20s %6.2fMb ok", fileName.c_str(), image.sizeMb), MSG_PROGRESS_LINE);
    }
    return true;
}

bool CPhoneConfig::MakeUserRawProgram() { return MakeUserRawProgramWithout(kStorageLabels, std::size(kStorageLabels)); }

bool CPhoneConfig::MakeUserRawProgramAll() {
    return MakeUserRawProgramWithout(kStorageAndUserDataLabels, std::size(kStorageAndUserDataLabels));
}

bool CPhoneConfig::MakeUserRawProgramWithout(const wchar_t* const* blankedLabels, size_t labelCount) {
    const PackageFileLookup source = LookUpPackageFile(softwareFolder, kFullRawProgram);
    if (source.status == PackageFileLookup::PATH_TOO_LONG) {
        ReportPathTooLong(source.path, MSG_FAILURE);
        return false;
    }
    if (source.status != PackageFileLookup::FOUND) {
        SendMessage(FormatWide(L"Can't Find %s", kFullRawProgram), MSG_FAILURE);
        return false;
    }

    CXmlDocument list;
    if (!list.Load(source.path)) {
        SendMessage(FormatWide(L"Open %s Fail", source.path.c_str()), MSG_FAILURE);
        return false;
    }
    if (!list.FindNextElement() || !list.EnterElement()) {
        SendMessage(FormatWide(L"%s Error!", source.path.c_str()), MSG_FAILURE);
        return false;
    }
    while (list.FindNextElement(L"program")) {
        if (IsOneOf(list.GetAttributeValue(L"label"), blankedLabels, labelCount)) {
            list.SetAttributeValue(L"filename", L"");
        }
    }

    // Written beside the package's files even when the source lay in
    // "bp_image". A list that already says this is kept as it is: a package
    // on a share or disc no one may write to keeps it, and other stations
    // reading it meanwhile read it whole.
    const std::wstring target = FormatWide(L"%s\\%s", softwareFolder, kUserRawProgram);
    std::wstring result;
    if (!CXmlDocument::ReplaceUtf8File(target, list.Text(), result)) {
        // A download keeping the user's data would find no list, or an old
        // one, in its place.
        SendMessage(FormatWide(L"Can't write %s (%s)", target.c_str(), result.c_str()), MSG_FAILURE);
        return false;
    }
    return true;
}
