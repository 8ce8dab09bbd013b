#pragma once
// What the signal light needs of its serial line: open, close, write a frame, read the light's
// reply, and the pause that gives the light time to act on a frame. SerialLightPort is the real
// one; tests record.
#include <windows.h>

#include <cstdint>

class ILightPort {
public:
    virtual ~ILightPort() = default;
    // Nonzero on success.
    virtual int Open(int port, unsigned long baudRate) = 0;
    virtual int IsOpened() const = 0;
    virtual void Close() = 0;
    // Input left from earlier frames is dropped first, so the reply read next is this frame's.
    virtual int Write(const void* bytes, int length, DWORD timeoutMs) = 0;
    // Up to length bytes, waiting at most timeoutMs for all of them: the count read (less when
    // the time ran out), or -1 when the port failed or is closed.
    virtual int Read(void* bytes, int length, DWORD timeoutMs) = 0;
    virtual void Pause(uint32_t milliseconds) = 0;
};
