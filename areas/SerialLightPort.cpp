#include "areas/SerialLightPort.h"

int SerialLightPort::Open(int port, unsigned long baudRate) { return m_serial.OpenSerial(port, baudRate); }

int SerialLightPort::IsOpened() const { return m_serial.IsOpened(); }

void SerialLightPort::Close() { m_serial.CloseSerial(); }

int SerialLightPort::Write(const void* bytes, int length, DWORD timeoutMs) {
    m_serial.Purge();
    return m_serial.Write(bytes, length, timeoutMs, 0, 0, 0);
}

int SerialLightPort::Read(void* bytes, int length, DWORD timeoutMs) {
    // The library's read returns with the first bytes; a reply may come in pieces.
    auto* out = static_cast<uint8_t*>(bytes);
    const uint32_t start = MS_GetTime();
    int got = 0;
    while (got < length) {
        const uint32_t spent = MS_GetTime() - start;
        if (spent >= timeoutMs) break;
        const int n = m_serial.Read(out + got, length - got, timeoutMs - spent);
        if (n < 0) return -1;
        got += n;
    }
    return got;
}

void SerialLightPort::Pause(uint32_t milliseconds) { MS_Sleep(milliseconds); }
