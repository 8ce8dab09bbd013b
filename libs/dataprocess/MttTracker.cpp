#include "MttTracker.h"

#include <algorithm>
#include <cmath>

#include "PointClusterer.h"

namespace {
constexpr double kDeg = 3.14159265358979323846 / 180.0;
constexpr double kStaticSpeed = 0.05;  // m/s
// A track missing longer than this is kept for re-association but no longer shown.
constexpr int kReportedMisses = 2;
}

void CMttTracker::Configure(const MttSettings& settings) {
    settings_ = settings;
    if (settings_.gateSizeMeters <= 0) settings_.gateSizeMeters = 0.25;
    settings_.smoothing = std::clamp(settings_.smoothing, 0.0, 0.95);
    settings_.confirmFrames = std::max(1, settings_.confirmFrames);
    settings_.holdFrames = std::max(1, settings_.holdFrames);
    settings_.maxTargets = std::max(1, settings_.maxTargets);
}

void CMttTracker::Reset() {
    tracks_.clear();
    nextId_ = 1;
}

std::vector<RadarPoint> CMttTracker::Process(const std::vector<RadarPoint>& points, double dt, int limit) {
    dt = std::clamp(dt, 0.001, 1.0);
    std::vector<RadarPoint> inside;
    for (const RadarPoint& p : points) {
        if (!IsFinitePoint(p)) {
            ++rejected_;
            continue;
        }
        // Clutter removal: returns without Doppler are walls and furniture, not targets.
        if (settings_.removeStatic && std::fabs(p.velocity) < kStaticSpeed) continue;
        if (bound_.Contains(p)) inside.push_back(p);
    }
    const std::vector<RadarPoint> bodies = CPointClusterer::Cluster(inside, 0.5, settings_.gateSizeMeters);
    struct Measurement {
        double x, y, doppler, snr;
        bool used;
    };
    std::vector<Measurement> measurements;
    for (const RadarPoint& b : bodies) {
        measurements.push_back({b.distance * std::sin(b.angle * kDeg), b.distance * std::cos(b.angle * kDeg), b.velocity, b.snr, false});
    }

    // Predict.
    for (Track& t : tracks_) {
        t.x += t.vx * dt;
        t.y += t.vy * dt;
    }
    std::vector<bool> trackUsed(tracks_.size(), false);
    // Greedy association, the globally closest track/body pair first: every pair within the gate
    // once, in order of distance (on a tie the later pair, as a scan keeping the last best would).
    struct Pair {
        double distance;
        uint32_t track, measurement;
    };
    std::vector<Pair> pairs;
    const double gate = settings_.associationGateMeters;
    const double gateSquared = gate * gate;
    for (size_t i = 0; i < tracks_.size() && gate >= 0; ++i) {
        for (size_t j = 0; j < measurements.size(); ++j) {
            const double dx = tracks_[i].x - measurements[j].x, dy = tracks_[i].y - measurements[j].y;
            // The squared test rejects the far pairs cheaply; hypot decides at the edge.
            if (dx * dx + dy * dy > gateSquared * 1.0000001) continue;
            const double d = std::hypot(dx, dy);
            if (d <= gate) pairs.push_back({d, static_cast<uint32_t>(i), static_cast<uint32_t>(j)});
        }
    }
    std::sort(pairs.begin(), pairs.end(), [](const Pair& a, const Pair& b) {
        if (a.distance != b.distance) return a.distance < b.distance;
        if (a.track != b.track) return a.track > b.track;
        return a.measurement > b.measurement;
    });
    for (const Pair& pair : pairs) {
        if (trackUsed[pair.track] || measurements[pair.measurement].used) continue;
        const int bestTrack = static_cast<int>(pair.track), bestMeasurement = static_cast<int>(pair.measurement);
        Track& t = tracks_[bestTrack];
        Measurement& m = measurements[bestMeasurement];
        const double alpha = 1.0 - settings_.smoothing;
        const double beta = 0.5 * alpha * alpha / (2.0 - alpha);
        const double rx = m.x - t.x, ry = m.y - t.y;
        t.x += alpha * rx;
        t.y += alpha * ry;
        t.vx += beta * rx / dt;
        t.vy += beta * ry / dt;
        t.hits += 1;
        t.misses = 0;
        t.snr = m.snr;
        t.doppler += alpha * (m.doppler - t.doppler);
        if (std::hypot(t.x - t.startX, t.y - t.startY) >= 0.3) t.moved = true;
        trackUsed[bestTrack] = true;
        m.used = true;
    }
    for (size_t i = 0; i < tracks_.size(); ++i) {
        if (!trackUsed[i]) {
            tracks_[i].misses += 1;
            // A coasting track slows down rather than flying off.
            tracks_[i].vx *= 0.9;
            tracks_[i].vy *= 0.9;
        }
    }
    tracks_.erase(std::remove_if(tracks_.begin(), tracks_.end(),
                                 [&](const Track& t) { return t.misses > settings_.holdFrames; }),
                  tracks_.end());
    for (const Measurement& m : measurements) {
        if (tracks_.size() >= kMaxTracks) break;
        if (!m.used) tracks_.push_back({nextId_++, m.x, m.y, 0, 0, m.x, m.y, m.doppler, 1, 0, false, m.snr});
    }

    std::vector<RadarPoint> out;
    const int maxOut = limit > 0 ? limit : settings_.maxTargets;
    for (const Track& t : tracks_) {  // tracks_ stays in id order
        if (t.hits < settings_.confirmFrames || !t.moved || t.misses > kReportedMisses) continue;
        if (static_cast<int>(out.size()) >= maxOut) break;
        RadarPoint p;
        p.id = t.id;
        p.distance = std::max(0.01, std::hypot(t.x, t.y));
        p.gate = p.distance / settings_.gateSizeMeters;
        p.angle = std::atan2(t.x, t.y) / kDeg;
        p.velocity = t.doppler;  // measured radial speed, smoother than the position derivative
        p.snr = t.snr;
        out.push_back(p);
    }
    return out;
}
