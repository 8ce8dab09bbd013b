#include "areas/SerialLightCtrl_YSL.h"

#include "areas/SerialLightPort.h"
#include "contracts/ROVA_Common.h"

namespace {
constexpr uint8_t kUnit = 0x01;
constexpr uint8_t kWriteSingleCoil = 0x05;
constexpr uint16_t kCoilTarget = 0;
constexpr uint16_t kCoil1 = 1;
constexpr uint16_t kCoilNoTarget = 2;
constexpr uint16_t kCoilClose = 3;
constexpr int kTraceLevel = 2;

// The coil of a lamp state; -1 for states without a lamp.
int CoilOf(int32_t state) {
    switch (state) {
    case CSerialLightCtrl_YSL::LightNoTarget: return kCoilNoTarget;
    case CSerialLightCtrl_YSL::LightCoil1: return kCoil1;
    case CSerialLightCtrl_YSL::LightTarget: return kCoilTarget;
    default: return -1;
    }
}
}  // namespace

CSerialLightCtrl_YSL::CSerialLightCtrl_YSL() : CSerialLightCtrl_YSL(std::make_unique<SerialLightPort>()) {}

CSerialLightCtrl_YSL::CSerialLightCtrl_YSL(std::unique_ptr<ILightPort> port) : m_port(std::move(port)) {}

CSerialLightCtrl_YSL::~CSerialLightCtrl_YSL() { CloseLight(); }

uint16_t CSerialLightCtrl_YSL::Crc16Modbus(const uint8_t* bytes, size_t length) {
    uint16_t crc = 0xFFFF;
    for (size_t i = 0; i < length; ++i) {
        crc ^= bytes[i];
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0xA001) : static_cast<uint16_t>(crc >> 1);
    }
    return crc;
}

CSerialLightCtrl_YSL::Frame CSerialLightCtrl_YSL::CoilFrame(uint16_t coil, bool on) {
    Frame frame = {kUnit,
                   kWriteSingleCoil,
                   static_cast<uint8_t>(coil >> 8),
                   static_cast<uint8_t>(coil & 0xFF),
                   static_cast<uint8_t>(on ? 0xFF : 0x00),
                   0x00,
                   0,
                   0};
    const uint16_t crc = Crc16Modbus(frame.data(), 6);
    frame[6] = static_cast<uint8_t>(crc & 0xFF);
    frame[7] = static_cast<uint8_t>(crc >> 8);
    return frame;
}

bool CSerialLightCtrl_YSL::SendFrame(const Frame& frame) {
    if (!Answering()) return false;
    const int length = static_cast<int>(frame.size());
    Frame echo{};
    const bool echoed = m_port->Write(frame.data(), length, kWriteTimeoutMs) == length &&
                        m_port->Read(echo.data(), length, kEchoTimeoutMs) == length && echo == frame;
    m_port->Pause(kPauseMs);
    if (!echoed) {
        m_answering = false;
        DbgOutputA(kTraceLevel, "YSL does not answer\r\n");
    }
    return echoed;
}

void CSerialLightCtrl_YSL::TurnOffLamp() {
    if (!IsOpened()) return;
    const int coil = CoilOf(m_state);
    // Without its echo the lamp may still be lit: the state keeps it.
    if (coil >= 0 && !SendFrame(CoilFrame(static_cast<uint16_t>(coil), false))) return;
    m_state = LightOff;
}

void CSerialLightCtrl_YSL::CloseLight() {
    if (IsOpened()) {
        TurnOffLamp();
        SendFrame(CoilFrame(kCoilClose, false));
        m_port->Close();
        DbgOutputA(kTraceLevel, "Close YSL\r\n");
    }
    m_state = LightOff;
    m_answering = false;
}

void CSerialLightCtrl_YSL::OpenLight(int port, unsigned long baudRate) {
    CloseLight();
    m_state = LightOff;
    m_portNumber = port;
    m_baudRate = baudRate;
    const int opened = m_port->Open(port, baudRate);
    DbgOutputA(kTraceLevel, "Open YSL = %d\r\n", opened);
    if (IsOpened()) {
        m_answering = true;
        m_state = LightNoTarget;
        SendFrame(CoilFrame(kCoilNoTarget, true));
    }
}

bool CSerialLightCtrl_YSL::Reopen(int32_t wanted) {
    if (IsOpened()) m_port->Close();
    m_answering = false;
    const int opened = m_port->Open(m_portNumber, m_baudRate);
    DbgOutputA(kTraceLevel, "Reopen YSL = %d\r\n", opened);
    if (!IsOpened()) return false;
    m_answering = true;
    const int wantedCoil = CoilOf(wanted);
    bool sent = false;
    if (m_state != wanted && CoilOf(m_state) >= 0) {
        sent = true;
        TurnOffLamp();
    }
    if (wantedCoil >= 0 && Answering()) {
        sent = true;
        m_state = wanted;
        SendFrame(CoilFrame(static_cast<uint16_t>(wantedCoil), true));
    }
    if (!sent) SendFrame(CoilFrame(kCoilNoTarget, false));
    return Answering();
}

void CSerialLightCtrl_YSL::ClosePort() {
    if (IsOpened()) m_port->Close();
    m_answering = false;
}

bool CSerialLightCtrl_YSL::CheckLine() {
    if (!Answering()) return false;
    // Nothing is due on an idle line: whatever is there is dropped.
    uint8_t stray[8];
    if (m_port->Read(stray, static_cast<int>(sizeof stray), 0) < 0) {
        m_answering = false;
        DbgOutputA(kTraceLevel, "YSL line gone\r\n");
    }
    return m_answering;
}

void CSerialLightCtrl_YSL::ShowLamp(int32_t state) {
    if (state == m_state) return;
    if (state == LightOff) {
        TurnOffLamp();
        return;
    }
    // Only the lamps the console uses can be lit.
    if (state != LightNoTarget && state != LightTarget && state != LightFault) return;
    TurnOffLamp();
    if (!Answering()) return;
    m_state = state;
    SendFrame(CoilFrame(static_cast<uint16_t>(CoilOf(state)), true));
}
