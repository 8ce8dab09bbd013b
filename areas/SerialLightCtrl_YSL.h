#pragma once
// The signal light on a serial port: one lamp at a time, switched with Modbus RTU Write Single
// Coil requests to unit 1. Coil 2 is the no-target lamp, coil 0 the target lamp; coil 3 off
// closes the light. The light echoes each request; a frame without its echo means the light
// no longer answers, and nothing more is sent until it is opened again. Every call waits for
// the line: CSignalLight runs it on a thread of its own.
#include <array>
#include <cstdint>
#include <memory>

#include "areas/LightPort.h"

class CSerialLightCtrl_YSL {
public:
    enum LightState : int32_t {
        LightOff = 0,
        LightNoTarget = 1,  // coil 2
        LightCoil1 = 2,     // coil 1: the fault lamp
        LightFault = LightCoil1,
        LightTarget = 3,    // coil 0
    };
    using Frame = std::array<uint8_t, 8>;
    static constexpr DWORD kWriteTimeoutMs = 500;
    static constexpr uint32_t kPauseMs = 100;
    // A Write Single Coil reply is 8 bytes: about 10 ms at 9600 baud, plus the light's own time.
    static constexpr DWORD kEchoTimeoutMs = 300;

    // On the common library's serial port.
    CSerialLightCtrl_YSL();
    explicit CSerialLightCtrl_YSL(std::unique_ptr<ILightPort> port);
    virtual ~CSerialLightCtrl_YSL();
    CSerialLightCtrl_YSL(const CSerialLightCtrl_YSL&) = delete;
    CSerialLightCtrl_YSL& operator=(const CSerialLightCtrl_YSL&) = delete;

    // Closes, opens COM<port> and lights the no-target lamp when the port opened.
    void OpenLight(int port, unsigned long baudRate);
    // Lights LightNoTarget, LightTarget or LightFault (the old lamp off first), or turns the lamp
    // off for LightOff; nothing when already lit or closed.
    void ShowLamp(int32_t state);
    // The lit lamp off; the state becomes LightOff. Nothing when the port is closed.
    void TurnOffLamp();
    // Lamp off, closing frame, port closed; LightOff in every case.
    void CloseLight();
    // The port of the last OpenLight opened again (closed first) and the light brought to wanted:
    // the lamp that may still be lit off first, then wanted on. True when the light echoed every
    // frame (with nothing to switch, the no-target lamp's off frame asks whether it answers).
    bool Reopen(int32_t wanted);
    // The port closed without a frame, for a light that does not answer: the state keeps the
    // lamp that may be lit, for Reopen.
    void ClosePort();
    // Asks the port, without a frame, whether its line is still there (a pulled adapter, a line
    // whose far end closed): an idle light is noticed too. False (no longer answering) when not.
    bool CheckLine();

    // The lamp last sent; after a frame without echo, the lamp that may be lit.
    int32_t State() const noexcept { return m_state; }
    bool IsOpened() const { return m_port && m_port->IsOpened() != 0; }
    // Open, and every frame since the port opened was echoed.
    bool Answering() const { return IsOpened() && m_answering; }

    // Write Single Coil request to unit 1 with its CRC.
    static Frame CoilFrame(uint16_t coil, bool on);
    // CRC-16/MODBUS (reflected 0xA001, initial 0xFFFF).
    static uint16_t Crc16Modbus(const uint8_t* bytes, size_t length);

private:
    // Written and echoed; false (and no longer answering) otherwise.
    bool SendFrame(const Frame& frame);
    std::unique_ptr<ILightPort> m_port;
    int32_t m_state = LightOff;
    bool m_answering = false;
    int m_portNumber = 0;
    unsigned long m_baudRate = 0;
};
