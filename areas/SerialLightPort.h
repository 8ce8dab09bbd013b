#pragma once
// The signal light's line: the common library's serial port and its millisecond sleep.
#include "areas/LightPort.h"
#include "contracts/ROVA_Common.h"

class SerialLightPort final : public ILightPort {
public:
    int Open(int port, unsigned long baudRate) override;
    int IsOpened() const override;
    void Close() override;
    int Write(const void* bytes, int length, DWORD timeoutMs) override;
    int Read(void* bytes, int length, DWORD timeoutMs) override;
    void Pause(uint32_t milliseconds) override;

private:
    CSerialUtil m_serial;
};
