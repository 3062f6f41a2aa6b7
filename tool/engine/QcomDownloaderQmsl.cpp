#include "QcomDownloader.h"

#include "QmslLibrary.h"

void CQcomDownloader::DisconnectAll() {
    if (normalHandle != 0) {
        QLIB_DisconnectServer(normalHandle);
        normalHandle = 0;
    }
    if (saharaHandle != 0) {
        QLIB_DisconnectServer_Sahara(saharaHandle);
        saharaHandle = 0;
    }
    if (fireHoseHandle != 0) {
        QLIB_DisconnectServer_FireHose(fireHoseHandle);
        fireHoseHandle = 0;
    }
    if (downloadHandle != 0) {
        QLIB_DisconnectServer(downloadHandle);
        downloadHandle = 0;
    }
}
