// The functions of the Android USB library (AdbWinApi.dll) that the ADB and
// fastboot layers call. The engine imports them by name; our stand-in library
// under standins/AdbWinApi exports them from this same header.
//
// Calling convention: every function is taken to be extern "C" __cdecl with
// undecorated names, and every boolean result one byte. That is our
// assumption about the real library, fixed here once so the engine and the
// stand-in agree on it.
//
// Handles are opaque pointers, null meaning failure. A failing call leaves its
// reason as the thread's system error (GetLastError): ERROR_SEM_TIMEOUT (121)
// when a read found nothing in time.
#pragma once

#include <cstdint>

#if defined(ADBWINAPI_BUILDING_LIBRARY)
#define ADBWINAPI_API extern "C" __declspec(dllexport)
#else
#define ADBWINAPI_API extern "C" __declspec(dllimport)
#endif
#define ADBWINAPI_CALL __cdecl

using AdbApiHandle = void*;

// Access and sharing of an endpoint; the engine opens both with 0.
enum AdbEndpointAccess : int32_t { kAdbAccessReadWrite = 0 };
enum AdbEndpointSharing : int32_t { kAdbSharingReadWrite = 0 };

// Opens the Android USB interface at a device interface path.
ADBWINAPI_API AdbApiHandle ADBWINAPI_CALL AdbCreateInterfaceByName(const wchar_t* interfaceName);

ADBWINAPI_API AdbApiHandle ADBWINAPI_CALL AdbOpenDefaultBulkReadEndpoint(AdbApiHandle adbInterface,
                                                                         AdbEndpointAccess access,
                                                                         AdbEndpointSharing sharing);
ADBWINAPI_API AdbApiHandle ADBWINAPI_CALL AdbOpenDefaultBulkWriteEndpoint(AdbApiHandle adbInterface,
                                                                          AdbEndpointAccess access,
                                                                          AdbEndpointSharing sharing);

// The interface's name. `charSize` holds the buffer's capacity in characters
// (terminator included); with a null buffer, or a buffer too small, the call
// answers false and stores the capacity needed there.
ADBWINAPI_API bool ADBWINAPI_CALL AdbGetInterfaceName(AdbApiHandle adbInterface, void* buffer, uint32_t* charSize,
                                                      bool ansi);
// The device's serial number, under the same rules as the name.
ADBWINAPI_API bool ADBWINAPI_CALL AdbGetSerialNumber(AdbApiHandle adbInterface, void* buffer, uint32_t* charSize,
                                                     bool ansi);

// Synchronous bulk transfers of at most `bytes` bytes; the count moved goes to
// `transferred`.
ADBWINAPI_API bool ADBWINAPI_CALL AdbWriteEndpointSync(AdbApiHandle endpoint, void* buffer, uint32_t bytes,
                                                       uint32_t* transferred, uint32_t timeoutMs);
ADBWINAPI_API bool ADBWINAPI_CALL AdbReadEndpointSync(AdbApiHandle endpoint, void* buffer, uint32_t bytes,
                                                      uint32_t* transferred, uint32_t timeoutMs);

// Closes an interface or an endpoint.
ADBWINAPI_API bool ADBWINAPI_CALL AdbCloseHandle(AdbApiHandle handle);
