// The simulated sensor's world: people walking through the fan at walking speeds, a few static
// reflectors, and the measurement noise, missed detections and point scatter of a real radar.
// Deterministic for a given seed, so tests and the sensor emulator can reproduce a scene.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

#include "RadarFrame.h"

struct SceneSettings {
    int targetCount = 3;
    double noiseMeters = 0.05;
    double gateSizeMeters = 0.25;
    int gateCount = 32;
    double halfFieldDegrees = 60.0;
    uint32_t seed = 1;
};

class CSceneGenerator {
public:
    explicit CSceneGenerator(const SceneSettings& settings);

    // Advances the scene by dtSeconds and returns the detection points seen at that moment.
    std::vector<RadarPoint> Step(double dtSeconds);

    // True positions of the walkers (metres; x lateral, positive right; y along the boresight).
    struct Walker {
        double x, y, vx, vy;
    };
    const std::vector<Walker>& Walkers() const { return walkers_; }

private:
    void Respawn(Walker& walker, bool anywhere);
    bool InField(double x, double y) const;
    RadarPoint MakePoint(double x, double y, double radialVelocity, double snr);

    SceneSettings settings_;
    double maxRange_;
    std::mt19937 random_;
    std::vector<Walker> walkers_;
    std::vector<Walker> reflectors_;
};
