#include "QcomDownloader.h"

#include "ComPort.h"

int32_t CQcomDownloader::SendSaharaReset() {
    CComPort port;
    if (!port.Open(comPort)) {
        return 0;
    }
    return port.SendSaharaReset() ? 1 : 0;
}
