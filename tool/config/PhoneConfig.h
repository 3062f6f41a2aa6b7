// The configuration context of the flashing tool: turns a software package
// folder into a download plan. It reads the package's version name, selects
// the model's row in the phone list "PhoneList.Xml" beside the program,
// decides the platform and fills the parameter blocks of the two download
// paths (MediaTek library, Qualcomm engine). For Qualcomm packages it also
// checks the file set, fills the image table and writes the user-data
// partition list. Every finding is reported as a DownloadMessage.
#pragma once

// The class has an operation named SendMessage, which <windows.h> turns into
// SendMessageW. Including it here first keeps that spelling the same in every
// file that sees the class.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "DownloadMessage.h"
#include "PackageFile.h"
#include "SharedRecords.h"
#include "XmlDocument.h"

constexpr int kConfigPathChars = 260;      // every path and name field
constexpr int kExternalTypeOutChars = 64;  // output of GetExternalType
constexpr int kFireHoseSettingBytes = 64;

enum PhonePlatformKind : int32_t {
    PLATFORM_NONE = 0,
    PLATFORM_MTK = 1,
    PLATFORM_QCOM = 2,
};

enum QcomDownLoadType : int32_t {
    DOWNLOAD_FIREHOSE = 0,
    DOWNLOAD_SAHARA = 1,
    DOWNLOAD_AUTO = 2,  // any other value of the row's DownLoadType
};

// Texts and flags handed to the FireHose configure call of QMSL; their
// meaning belongs to the engine.
struct FireHoseSettings {
    char maxPayloadSize[kFireHoseSettingBytes];             // "49152"
    char memoryName[kFireHoseSettingBytes];                 // "eMMC"
    char targetName[kFireHoseSettingBytes];                 // "8974" or "8x26"
    char ackRawDataEveryNumPackets[kFireHoseSettingBytes];  // "100"
    uint8_t flags[5];                                       // all 0
};

// The package's Qualcomm settings; the engine copies the block whole.
// Narrow texts are in the ANSI code page.
struct QcomConfigBlock {
    int32_t downLoadType;                      // QcomDownLoadType
    char softwarePath[kConfigPathChars];       // the package folder
    char rawprogramFile[kConfigPathChars];     // file name of the partition list
    char patchFile[kConfigPathChars];          // file name of the patch list
    double romSizeMb;                          // sum of the image sizes
    int32_t timeOut;                           // 60 after Init
    int32_t cdtFlag;                           // never set
    char cdtRawprogramFile[kConfigPathChars];  // empty
    char cdtPatchFile[kConfigPathChars];       // empty
    char fireHoseProgrammer[kConfigPathChars];
    ImageTable* imageTable;  // the system's one image table
    FireHoseSettings fireHose;
    char saharaProgrammer[kConfigPathChars];
    char saharaImage[kConfigPathChars];  // the Sahara msimage file
};

// The phone list read by the last LoadPhoneConfig; the row readers read the
// selected row from it.
extern CXmlDocument g_phoneListDocument;
// The image table that the Qualcomm engine copies; rebuilt by CheckQcomFiles.
extern ImageTable g_imageTable;

// One lives inside the main window for the life of the tool. It has no
// constructor of its own: Init puts it in its first state. The fields are read
// by the main window and copied by the engine, hence public.
class CPhoneConfig {
public:
    void Init();

    // The package check: version name, phone-list row, platform and its
    // attributes. False after reporting the reason.
    bool LoadPhoneConfig(const wchar_t* softwareFolder);

    // The ExternalType of the phone-list row whose MachineType equals the key
    // (case-insensitive), at most 63 characters, into a buffer of at least
    // kExternalTypeOutChars. Holds the key itself, and answers false, when the
    // key is empty, the list cannot be read or no row matches.
    bool GetExternalType(const wchar_t* modelKey, wchar_t* externalTypeOut);

    // Qualcomm file set (PhoneConfigQcom.cpp).
    // Non-zero fullPackage: the full partition list; 0: keep the user's data,
    // whose list is made from the package's full list as it is now. False,
    // after reporting why, when that list cannot be made or written: a
    // download keeping the user's data must not start then, while the full
    // list stays usable.
    bool SelectRawProgram(int fullPackage);
    bool CheckQcomFiles();
    bool CheckImageList(const wchar_t* rawprogramPath, double& totalMb);
    // Write "rawprogram_unsparse_for_User.xml" with the user's storage
    // partitions blanked; the second also blanks "userdata". A list that
    // already holds those bytes is left unwritten.
    bool MakeUserRawProgram();
    bool MakeUserRawProgramAll();

    // Fills the message record and hands it to the report callback, if any.
    void SendMessage(const std::wstring& text, int32_t code);

    // Size in MB; 0 when the file cannot be found.
    static double GetFileSizeMb(const char* path);
    static double GetFileSizeMbW(const wchar_t* path);

    int32_t forUser;  // 1: the user-data list is selected
    MtkInitParams mtkParams;
    char daPath[kConfigPathChars];       // ANSI: exe folder \ DAPath
    char scatterPath[kConfigPathChars];  // ANSI: software folder \ Scatter
    QcomConfigBlock qcom;
    wchar_t softwareFolder[kConfigPathChars];  // set when a row was selected
    wchar_t versionName[kConfigPathChars];     // the model key
    wchar_t externalType[kConfigPathChars];    // marketing name of the model
    wchar_t picName[kConfigPathChars];         // file name of its picture
    int32_t checkSw;                           // 0 when the row says "false"
    int32_t checkPhoneVar;                     // 0 when the row says "false"
    int32_t platform;                          // PhonePlatformKind
    wchar_t exeFolder[kConfigPathChars];       // without a trailing back slash
    ReportCallback reportCallback;             // no reports while null
    DownloadMessage message;                   // filled for each report

private:
    void ReadVersionName(const std::wstring& folder);
    bool SelectPhoneRow(const std::wstring& listPath);
    bool ReadSelectedRow();
    bool ReadMtkAttributes();
    bool ReadQcomAttributes();
    bool MakeUserRawProgramWithout(const wchar_t* const* blankedLabels, size_t labelCount);
    // "folder\\<attribute of the row>" into a narrow path field; false with
    // its failure text when the row names none or the path does not fit.
    bool ReadRowPath(const wchar_t* attribute, const wchar_t* notConfiguredText, const wchar_t* folder, char* field,
                     size_t fieldSize);
    // The package file named by a setting; none, with its failure text, when
    // the setting is empty, the file is missing or its path too long.
    std::optional<PackageFileLookup> FindConfiguredFile(const char* fileName, const wchar_t* notConfiguredText);
    bool CheckProgrammer(const char* fileName, const wchar_t* notConfiguredText);
    bool CopyPathToTable(const std::wstring& path, char* field);
    // The path in the ANSI code page into a narrow field; false, reported
    // with the path, when it does not fit or a character would be lost.
    bool CopyPathToNarrow(const std::wstring& path, char* field, size_t fieldSize);
    // False, reported with the path, when the engine could not open it by
    // its narrow name.
    bool CheckAnsiPath(const std::wstring& path);
    void ReportPathTooLong(const std::wstring& path, int32_t code);
};
