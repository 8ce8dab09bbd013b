// The sensor module, played on a serial device of this machine (a pseudo terminal that socat
// links into the Wine prefix as a COM port): answers the identify request, streams detection
// frames of the walking scene (or of fixed targets) at a given rate, obeys start, stop, command
// mode and the MCU tracking commands, and injects the faults a real line shows.
#pragma once

#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "MttTracker.h"
#include "SceneGenerator.h"
#include "SerialFrameParser.h"
#include "SerialSensorProtocol.h"

struct EmulatorOptions {
    std::string device;            // serial device to play on
    double framesPerSecond = 15;
    SceneSettings scene;
    bool tracks = false;           // send targets tracked by the module instead of raw points
    int maxTargets = 8;
    std::vector<RadarPoint> fixedTargets;  // replace the walking scene
    // Faults are known exactly: noise bytes are never a sync byte (so they cannot start a false
    // frame), a damaged frame keeps its sync pair and length (so its checksum fails), the first
    // frame is never touched (the host learns where the numbering starts), and with
    // faultsUntil only frames numbered below it are. Every fault is in the log.
    double noisePercent = 0;       // random bytes between frames, as a share of the bytes sent
    double dropPercent = 0;        // frames not sent (their sequence numbers are skipped)
    double corruptPercent = 0;     // frames sent with one byte damaged
    long faultsUntil = -1;         // frames from this number on are sent clean (-1: no limit)
    long silenceAfterFrames = -1;  // from then on the sensor says nothing at all
    bool streamAtStart = false;    // stream without waiting for the start request
    int startAckDelayMs = 0;       // the start request is acknowledged this late (streaming at once)
    std::string model = "ROVA-MR60 mm-wave radar (emulated)";
    FILE* log = stdout;
};

class CSensorEmulator {
public:
    explicit CSensorEmulator(const EmulatorOptions& options);
    // Plays until stop becomes nonzero or the device fails. Returns the process exit code.
    int Run(volatile int& stop);

    struct Totals {
        uint64_t framesSent = 0, framesDropped = 0, framesCorrupted = 0, noiseBytes = 0;
    };
    const Totals& totals() const { return m_totals; }

private:
    void Handle(const CSerialFrameParser::Frame& frame, uint64_t nowMs);
    void SendFrame(uint64_t nowMs);
    RadarFrame NextFrame(double dtSeconds);
    bool Write(const std::vector<uint8_t>& bytes);
    void Log(const char* format, ...);

    EmulatorOptions m_options;
    int m_fd = -1;
    std::mt19937 m_random;
    CSceneGenerator m_scene;
    CMttTracker m_tracker;
    int m_trackLimit;
    bool m_streaming;
    bool m_commandMode = false;
    uint64_t m_commandModeDeadlineMs = 0;
    uint32_t m_commandTimeBaseMs = 0;
    uint32_t m_sequence = 0;
    uint64_t m_streamStartMs = 0;
    uint64_t m_startAckDueMs = 0;  // a late start acknowledgement still to send (0: none)
    long m_framesProduced = 0;
    double m_noiseBudget = 0;
    Totals m_totals;
};
