#include "areas/SerialLightPort.h"

int SerialLightPort::Open(int port, unsigned long baudRate) { return m_serial.OpenSerial(port, baudRate); }

int SerialLightPort::IsOpened() const { return m_serial.IsOpened(); }

void SerialLightPort::Close() { m_serial.CloseSerial(); }

int SerialLightPort::Write(const void* bytes, int length, DWORD timeoutMs) {
    m_serial.Purge();
    return m_serial.Write(bytes, length, timeoutMs, 0, 0, 0);
}

int SerialLightPort::Read(void* bytes, int length, DWORD timeoutMs) {
    // The library's read returns with the first bytes; a reply may come in pieces. It is asked at
    // least once, so that a time-out of 0 still tells a line that is gone (-1).
    auto* out = static_cast<uint8_t*>(bytes);
    const uint32_t start = MS_GetTime();
    int got = 0;
    for (;;) {
        const uint32_t spent = MS_GetTime() - start;
        const DWORD left = spent < timeoutMs ? timeoutMs - spent : 0;
        const int n = m_serial.Read(out + got, length - got, left);
        if (n < 0) return -1;
        got += n;
        if (got >= length || left == 0) return got;
    }
}

void SerialLightPort::Pause(uint32_t milliseconds) { MS_Sleep(milliseconds); }
