// The functions of the QMSL library (QMSL_MSVC10R.dll) that the Qualcomm
// engine calls. The engine imports them by name; our stand-in library under
// standins/QMSL_MSVC10R exports them from this same header.
//
// Calling convention: every function is taken to be extern "C" __cdecl with
// undecorated names. That is our assumption about the real library, fixed
// here once so the engine and the stand-in agree on it.
//
// Handles are 32-bit integers, 0 meaning none. Boolean results are one byte,
// non-zero meaning success.
#pragma once

#include <cstdint>

#include "DownloadMessage.h"
#include "SharedRecords.h"

#if defined(QMSL_BUILDING_LIBRARY)
#define QMSL_API extern "C" __declspec(dllexport)
#else
#define QMSL_API extern "C" __declspec(dllimport)
#endif
#define QMSL_CALL __cdecl

using QmslHandle = int32_t;

// Once, before any other call; the engine passes 0.
QMSL_API void QMSL_CALL QLIB_SetLibraryMode(uint8_t useQpst);

// Diagnostics connection on a COM port; 0 when it cannot be made.
QMSL_API QmslHandle QMSL_CALL QLIB_ConnectServer(uint32_t comPort);
QMSL_API uint8_t QMSL_CALL QLIB_IsPhoneConnected(QmslHandle handle);
// Reads an NV item; success needs a true result and status 0.
QMSL_API uint8_t QMSL_CALL QLIB_DIAG_NV_READ_F(QmslHandle handle, uint16_t item, uint8_t* data, int32_t size,
                                               uint16_t* status);
QMSL_API void QMSL_CALL QLIB_DisconnectServer(QmslHandle handle);

// Mode switches over the diagnostics connection.
QMSL_API uint8_t QMSL_CALL QLIB_QPHONEMS_SwitchToEDL(QmslHandle handle);
QMSL_API uint8_t QMSL_CALL QLIB_QPHONEMS_SwitchToDownloadMode_OptionalValidation(QmslHandle handle, uint32_t timeoutMs,
                                                                                 uint8_t validate, uint32_t* result);
QMSL_API uint8_t QMSL_CALL QLIB_QPHONEMS_DLoad_Reset(QmslHandle handle, uint32_t timeoutMs);

// Sahara: the emergency download port, the programmer and the msimage upload.
QMSL_API QmslHandle QMSL_CALL QLIB_QPHONEMS_ConnectServer_Sahara(uint32_t comPort, uint32_t* saharaVersion,
                                                                 uint32_t* saharaMode, uint32_t reserved1,
                                                                 uint32_t reserved2, uint32_t timeoutMs,
                                                                 QmslTextCallback callback);
QMSL_API uint8_t QMSL_CALL QLIB_QPHONEMS_SaharaConfigureCallback(QmslHandle handle, QmslTextCallback callback);
QMSL_API uint8_t QMSL_CALL QLIB_QPHONEMS_Sahara_FlashProgrammer(QmslHandle handle, const char* programmerPath);
QMSL_API uint8_t QMSL_CALL QLIB_QPHONEMS_UploadEmmcUserParitionImage(QmslHandle handle, const char* partitionFile,
                                                                     const char* imagePath, uint8_t option1,
                                                                     uint8_t option2, uint32_t option3,
                                                                     uint32_t option4, uint32_t* result);
QMSL_API void QMSL_CALL QLIB_DisconnectServer_Sahara(QmslHandle handle);

// FireHose: the programmer's protocol after the Sahara stage.
QMSL_API QmslHandle QMSL_CALL QLIB_QPHONEMS_ConnectServer_FireHose(uint32_t comPort, QmslTextCallback callback);
QMSL_API uint8_t QMSL_CALL QLIB_QPHONEMS_FireHoseConfigureCallback(QmslHandle handle, QmslTextCallback callback);
QMSL_API uint8_t QMSL_CALL QLIB_QPHONEMS_FireHoseNOP(QmslHandle handle);
QMSL_API uint8_t QMSL_CALL QLIB_QPHONEMS_FireHoseConfigure(QmslHandle handle, const char* maxPayloadSize,
                                                           const char* memoryName, const char* targetName,
                                                           const char* ackRawDataEveryNumPackets, uint8_t flag1,
                                                           uint8_t flag2, uint8_t flag3, uint8_t flag4, uint8_t flag5);
QMSL_API uint8_t QMSL_CALL QLIB_QPHONEMS_UploadEmmcMetaBuildImage_FireHose(QmslHandle handle, const ImageTable* images,
                                                                           uint32_t* result1, uint32_t* result2);
QMSL_API uint8_t QMSL_CALL QLIB_QPHONEMS_UploadEmmcImage_FireHose(QmslHandle handle, const char* rawprogramPath,
                                                                  const char* patchPath, uint32_t* result1,
                                                                  uint32_t* result2);
// After an upload: errorFlag 0 means no error; otherwise text holds the reason.
QMSL_API uint8_t QMSL_CALL QLIB_GetLastSoftwareDownloadErrorInfo(QmslHandle handle, uint8_t* errorFlag, char* text,
                                                                 int32_t textSize);
QMSL_API uint8_t QMSL_CALL QLIB_QPHONEMS_FireHosePower(QmslHandle handle, const char* action);
QMSL_API void QMSL_CALL QLIB_DisconnectServer_FireHose(QmslHandle handle);
