#include "SceneGenerator.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double kPi = 3.14159265358979323846;
constexpr double kDeg = kPi / 180.0;
}  // namespace

CSceneGenerator::CSceneGenerator(const SceneSettings& settings)
    : settings_(settings),
      maxRange_(std::max(1.0, settings.gateCount * settings.gateSizeMeters)),
      random_(settings.seed ? settings.seed : 1) {
    walkers_.resize(static_cast<size_t>(std::clamp(settings_.targetCount, 0, 16)));
    for (Walker& w : walkers_) Respawn(w, true);
    // Two fixed reflectors (a pillar, a cabinet): static returns the MOD and MTT filters must ignore.
    std::uniform_real_distribution<double> frac(0.3, 0.8);
    for (int i = 0; i < 2; ++i) {
        const double r = frac(random_) * maxRange_;
        const double a = (i == 0 ? -0.5 : 0.4) * settings_.halfFieldDegrees * kDeg;
        reflectors_.push_back({r * std::sin(a), r * std::cos(a), 0, 0});
    }
}

bool CSceneGenerator::InField(double x, double y) const {
    const double r = std::hypot(x, y);
    if (r < 0.3 || r > maxRange_ * 0.97) return false;
    return std::fabs(std::atan2(x, y)) <= settings_.halfFieldDegrees * kDeg;
}

void CSceneGenerator::Respawn(Walker& w, bool anywhere) {
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const double half = settings_.halfFieldDegrees * kDeg * 0.9;
    double r, a;
    if (anywhere) {
        r = (0.2 + 0.7 * unit(random_)) * maxRange_;
        a = (unit(random_) * 2 - 1) * half;
    } else {
        // Enter at the far edge or at a side of the fan.
        r = (0.4 + 0.5 * unit(random_)) * maxRange_;
        a = (unit(random_) < 0.5 ? -half : half) * (0.7 + 0.3 * unit(random_));
    }
    w.x = r * std::sin(a);
    w.y = r * std::cos(a);
    // Head roughly towards a point inside the fan at walking speed (0.5 to 1.5 m/s).
    const double tr = (0.2 + 0.6 * unit(random_)) * maxRange_;
    const double ta = (unit(random_) * 2 - 1) * half;
    const double dx = tr * std::sin(ta) - w.x, dy = tr * std::cos(ta) - w.y;
    const double len = std::max(0.1, std::hypot(dx, dy));
    const double speed = 0.5 + unit(random_);
    w.vx = dx / len * speed;
    w.vy = dy / len * speed;
}

RadarPoint CSceneGenerator::MakePoint(double x, double y, double radialVelocity, double snr) {
    std::normal_distribution<double> noise(0.0, std::max(1e-6, settings_.noiseMeters));
    std::normal_distribution<double> speedNoise(0.0, 0.03);
    x += noise(random_);
    y += noise(random_);
    RadarPoint p;
    p.distance = std::max(0.05, std::hypot(x, y));
    p.gate = p.distance / settings_.gateSizeMeters;
    p.angle = std::atan2(x, y) / kDeg;
    p.velocity = radialVelocity + speedNoise(random_);
    p.snr = snr;
    return p;
}

std::vector<RadarPoint> CSceneGenerator::Step(double dt) {
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::vector<RadarPoint> points;
    for (Walker& w : walkers_) {
        // People wander: the heading drifts a little every step.
        const double turn = (unit(random_) - 0.5) * 0.2 * dt;
        const double c = std::cos(turn), s = std::sin(turn);
        const double vx = w.vx * c - w.vy * s, vy = w.vx * s + w.vy * c;
        w.vx = vx;
        w.vy = vy;
        w.x += w.vx * dt;
        w.y += w.vy * dt;
        if (!InField(w.x, w.y)) {
            Respawn(w, false);
            continue;
        }
        if (unit(random_) < 0.05) continue;  // missed detection
        const double r = std::hypot(w.x, w.y);
        const double radial = (w.x * w.vx + w.y * w.vy) / r;
        const int scatter = 1 + static_cast<int>(unit(random_) * 3);  // a body gives 1 to 3 points
        for (int i = 0; i < scatter; ++i) {
            const double ox = (unit(random_) - 0.5) * 0.3, oy = (unit(random_) - 0.5) * 0.3;
            points.push_back(MakePoint(w.x + ox, w.y + oy, radial, 12 + 10 * unit(random_)));
        }
    }
    for (const Walker& r : reflectors_) points.push_back(MakePoint(r.x, r.y, 0.0, 25));
    for (size_t i = 0; i < points.size(); ++i) points[i].id = static_cast<int64_t>(i);
    return points;
}
