#pragma once
// What the area monitor dialog asks of its owner. Every call carries back the context value the
// dialog was given.
#include <cstdint>

class IAreaMonitorDlgListener {
public:
    virtual ~IAreaMonitorDlgListener() = default;
    virtual void OnApplyGateRange(double gateMin, double gateMax, uint64_t context) = 0;
    virtual void OnAddLightArea(uint32_t inactiveColor, uint32_t activeColor, uint64_t context) = 0;
    virtual void OnClearLightArea(uint64_t context) = 0;
    virtual void OnSetDetectArea(uint32_t inactiveColor, uint32_t activeColor, uint64_t context) = 0;
    virtual void OnDelDetectArea(uint64_t context) = 0;
};
