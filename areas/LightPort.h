#pragma once
// What the signal light needs of its serial line: open, close, write a frame, and the pause
// that gives the light time to act on a frame. SerialLightPort is the real one; tests record.
#include <windows.h>

#include <cstdint>

class ILightPort {
public:
    virtual ~ILightPort() = default;
    // Nonzero on success.
    virtual int Open(int port, unsigned long baudRate) = 0;
    virtual int IsOpened() const = 0;
    virtual void Close() = 0;
    virtual int Write(const void* bytes, int length, DWORD timeoutMs) = 0;
    virtual void Pause(uint32_t milliseconds) = 0;
};
