// sensor-emulator: plays the radar sensor module on a serial device. See --help.
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string>

#include "SensorEmulator.h"

namespace {

volatile int gStop = 0;

void OnSignal(int) {
    gStop = 1;
}

void Usage() {
    fputs(
        "usage: sensor-emulator [options] <serial device>\n"
        "  --fps F              frames per second (default 15)\n"
        "  --targets N          people walking in the scene (default 3)\n"
        "  --seed S             scene seed (default 1)\n"
        "  --scene-noise M      measurement noise in metres (default 0.05)\n"
        "  --gate-size M        range gate depth in metres (default 0.25)\n"
        "  --gates N            number of range gates (default 32)\n"
        "  --fixed D,A,V[;...]  fixed targets (distance m, angle deg, velocity m/s) instead of the scene\n"
        "  --tracks             send targets tracked by the module instead of raw detections\n"
        "  --max-targets N      targets reported after command 0x90 (default 8)\n"
        "  --noise P            random bytes between frames, P percent of the bytes sent (never 0xA5)\n"
        "  --drop P             leave out P percent of the frames\n"
        "  --corrupt P          damage one byte in P percent of the frames\n"
        "  --faults-until N     frames numbered N and later are sent without faults\n"
        "  --silence-after N    after N frames say nothing at all any more\n"
        "  --stream             stream without waiting for the start request\n"
        "  --start-ack-delay MS start streaming at once but acknowledge the start request only\n"
        "                       MS later (a sensor slower than the console waits)\n"
        "  --log FILE           event log (default standard output)\n",
        stderr);
}

bool ParseFixed(const char* text, std::vector<RadarPoint>& out, double gateSize) {
    std::string all(text);
    size_t start = 0;
    while (start <= all.size()) {
        const size_t end = all.find(';', start);
        const std::string item = all.substr(start, end == std::string::npos ? std::string::npos : end - start);
        double d = 0, a = 0, v = 0;
        if (sscanf(item.c_str(), "%lf,%lf,%lf", &d, &a, &v) != 3 || d <= 0) return false;
        RadarPoint p;
        p.id = static_cast<int64_t>(out.size());
        p.distance = d;
        p.gate = d / gateSize;
        p.angle = a;
        p.velocity = v;
        p.snr = 20;
        out.push_back(p);
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return !out.empty();
}

}  // namespace

int main(int argc, char** argv) {
    EmulatorOptions o;
    const char* fixed = nullptr;
    const char* logPath = nullptr;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&]() -> const char* {
            if (i + 1 >= argc) {
                fprintf(stderr, "sensor-emulator: %s needs a value\n", a.c_str());
                exit(1);
            }
            return argv[++i];
        };
        if (a == "--fps") o.framesPerSecond = atof(value());
        else if (a == "--targets") o.scene.targetCount = atoi(value());
        else if (a == "--seed") o.scene.seed = static_cast<uint32_t>(strtoul(value(), nullptr, 10));
        else if (a == "--scene-noise") o.scene.noiseMeters = atof(value());
        else if (a == "--gate-size") o.scene.gateSizeMeters = atof(value());
        else if (a == "--gates") o.scene.gateCount = atoi(value());
        else if (a == "--fixed") fixed = value();
        else if (a == "--tracks") o.tracks = true;
        else if (a == "--max-targets") o.maxTargets = atoi(value());
        else if (a == "--noise") o.noisePercent = atof(value());
        else if (a == "--drop") o.dropPercent = atof(value());
        else if (a == "--corrupt") o.corruptPercent = atof(value());
        else if (a == "--faults-until") o.faultsUntil = atol(value());
        else if (a == "--silence-after") o.silenceAfterFrames = atol(value());
        else if (a == "--stream") o.streamAtStart = true;
        else if (a == "--start-ack-delay") o.startAckDelayMs = atoi(value());
        else if (a == "--log") logPath = value();
        else if (a == "--help" || a == "-h") {
            Usage();
            return 0;
        } else if (!a.empty() && a[0] == '-') {
            fprintf(stderr, "sensor-emulator: unknown option %s\n", a.c_str());
            Usage();
            return 1;
        } else {
            o.device = a;
        }
    }
    if (o.device.empty() || o.framesPerSecond <= 0 || o.framesPerSecond > 1000 || o.maxTargets < 1 ||
        o.scene.gateSizeMeters <= 0 || o.scene.gateCount < 1) {
        Usage();
        return 1;
    }
    if (fixed && !ParseFixed(fixed, o.fixedTargets, o.scene.gateSizeMeters)) {
        fprintf(stderr, "sensor-emulator: --fixed wants distance,angle,velocity[;...]\n");
        return 1;
    }
    if (logPath) {
        o.log = fopen(logPath, "a");
        if (!o.log) {
            fprintf(stderr, "sensor-emulator: cannot write %s\n", logPath);
            return 1;
        }
    }
    struct sigaction action{};
    action.sa_handler = OnSignal;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);
    CSensorEmulator emulator(o);
    const int code = emulator.Run(gStop);
    if (o.log && o.log != stdout) fclose(o.log);
    return code;
}
