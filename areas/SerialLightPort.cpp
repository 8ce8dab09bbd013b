#include "areas/SerialLightPort.h"

int SerialLightPort::Open(int port, unsigned long baudRate) { return m_serial.OpenSerial(port, baudRate); }

int SerialLightPort::IsOpened() const { return m_serial.IsOpened(); }

void SerialLightPort::Close() { m_serial.CloseSerial(); }

int SerialLightPort::Write(const void* bytes, int length, DWORD timeoutMs) {
    return m_serial.Write(bytes, length, timeoutMs, 0, 0, 0);
}

void SerialLightPort::Pause(uint32_t milliseconds) { MS_Sleep(milliseconds); }
