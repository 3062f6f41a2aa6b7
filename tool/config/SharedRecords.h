// Records whose layout crosses a library boundary: the report record, the
// MediaTek library's parameter block and the image table that the QMSL upload
// takes whole. The stand-in libraries include this header too, so the tool and
// the libraries agree on one layout. Layouts are fixed for the shipped 32-bit
// build; the 64-bit test build only widens the pointers.
#pragma once

#include <cstddef>
#include <cstdint>

#include "DownloadMessage.h"

constexpr int kImageTableMaxPaths = 512;
constexpr int kImageTablePathBytes = 256;

// Parameter block handed to the maker's MediaTek library.
struct MtkInitParams {
    int32_t attributesRead;         // 1 once the MediaTek attributes were read
    uint32_t attributesReadByte;    // low byte as above, other bytes 0
    int32_t reserved8;              // 0
    uint32_t connectTimeout;        // the row's ConnetTimeOut
    const char* daPath;             // download agent, ANSI
    const char* scatterPath;        // scatter file, ANSI
    ReportCallback reportCallback;  // the MediaTek library reports through this
    uint8_t reserved28;             // 0
    uint8_t fullPackage;            // 1 = full package, 0 = keep the user's data
    uint16_t reserved30;            // 0
};

// The maker's MediaTek library "QX_M_BCB_DL_Dll.dll". The tool binds its five
// exports by name at run time (GetProcAddress at every use); our stand-in under
// standins/QX_M_BCB_DL_Dll exports them with these types. Calling convention:
// extern "C" __cdecl with undecorated names, 32-bit int results, non-zero
// meaning success. That is our assumption about the maker's library, fixed here
// once so the tool and the stand-in agree on it. The library keeps the block's
// report callback from MTKHandlt_Init on and calls it with narrow (ANSI) texts
// during the later calls, possibly from threads of its own.
#define MTK_CALL __cdecl
constexpr int kMtkBufferBytes = 128;  // every text buffer handed to the library
constexpr char kMtkInitExport[] = "MTKHandlt_Init";
constexpr char kMtkConnectExport[] = "MTKDL_Connect";
constexpr char kMtkCheckExport[] = "MTKDL_Check";
constexpr char kMtkDownloadExport[] = "MTKDL_Download";
constexpr char kMtkDeleteExport[] = "MTKDL_Handle_Del";
using MtkInitFunction = int32_t(MTK_CALL*)(MtkInitParams* params);
using MtkConnectFunction = int32_t(MTK_CALL*)(char* buffer);
// The phone's version into the first buffer, NUL-terminated (empty: none).
using MtkCheckFunction = int32_t(MTK_CALL*)(char* version, char* second);
using MtkDownloadFunction = int32_t(MTK_CALL*)(char* buffer);
using MtkDeleteFunction = int32_t(MTK_CALL*)();

// The one image table of the system; QMSL's meta-build upload takes it whole.
struct ImageTable {
    char imagePaths[kImageTableMaxPaths][kImageTablePathBytes];  // ANSI, list order
    int32_t count;                                               // images found; counts on past 512
    char rawprogramPath[kImageTablePathBytes];
    char patchPath[kImageTablePathBytes];
    char cdtRawprogramPath[kImageTablePathBytes];
    char cdtPatchPath[kImageTablePathBytes];
    uint8_t reserved[4096];
    int32_t listMode;  // 1 once the patch list was found
};

static_assert(sizeof(ImageTable) == 136200, "image table layout");
static_assert(offsetof(ImageTable, count) == 131072, "image table layout");
static_assert(offsetof(ImageTable, rawprogramPath) == 131076, "image table layout");
static_assert(offsetof(ImageTable, patchPath) == 131332, "image table layout");
static_assert(offsetof(ImageTable, reserved) == 132100, "image table layout");
static_assert(offsetof(ImageTable, listMode) == 136196, "image table layout");

#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(DownloadMessage) == 16, "report record layout");
static_assert(offsetof(DownloadMessage, length) == 8, "report record layout");
static_assert(offsetof(DownloadMessage, text) == 12, "report record layout");
static_assert(sizeof(MtkInitParams) == 32, "MediaTek parameter block layout");
static_assert(offsetof(MtkInitParams, connectTimeout) == 12, "MediaTek parameter block layout");
static_assert(offsetof(MtkInitParams, daPath) == 16, "MediaTek parameter block layout");
static_assert(offsetof(MtkInitParams, scatterPath) == 20, "MediaTek parameter block layout");
static_assert(offsetof(MtkInitParams, reportCallback) == 24, "MediaTek parameter block layout");
static_assert(offsetof(MtkInitParams, fullPackage) == 29, "MediaTek parameter block layout");
#endif
