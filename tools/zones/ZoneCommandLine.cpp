#include "tools/zones/ZoneCommandLine.h"

#include <cwchar>
#include <new>

const char* ZoneCommandLine::Usage() {
    return "Usage: ROVA_Zones <recording folder> [--config appConfig.xml] [--csv events.csv] [--summary]\n"
           "                  [--heatmap picture.png] [--size WxH]\n"
           "\n"
           "Plays a recording of the radar at full speed through the radar library and reports, for every\n"
           "monitor area of the settings file, which target entered it, when, and for how long.\n"
           "\n"
           "  <recording folder>  folder with FILE_Radar_Config.ini and the recorded *.rvraw files\n"
           "  --config FILE       settings file with the monitor and detect areas\n"
           "                      (default: appConfig.xml beside the program)\n"
           "  --csv FILE          event file (default: Log\\ROVA_MTT_Zones_<date-time>.csv beside the program)\n"
           "  --summary           print per area: entries, total and longest dwell, most targets at once\n"
           "  --heatmap FILE      write a PNG of the fan with the areas and the density of target positions\n"
           "  --size WxH          fan size in pixels the areas apply to (default: the size they were stored with),\n"
           "                      at least 16x8 and at most 4096x4096\n"
           "  --help              this text\n"
           "\n"
           "Exit codes: 0 done, 1 bad command line, 2 recording missing or unreadable, 3 settings file\n"
           "missing or damaged, 4 an output file could not be written, 5 done but damaged frames were skipped,\n"
           "6 not enough memory for the replay.\n";
}

bool ZoneCommandLine::FanSizeAllowed(int width, int height) noexcept {
    return width >= kMinFanWidth && height >= kMinFanHeight && width <= kMaxFanSide && height <= kMaxFanSide;
}

int ZoneCommandLine::Guarded(const std::function<int()>& run, const std::function<void(const char*)>& report) {
    try {
        return run();
    } catch (const std::bad_alloc&) {
        report("not enough memory for the replay (a smaller --size needs less)");
        return kZoneExitMemory;
    }
}

bool ZoneCommandLine::Parse(const std::vector<std::wstring>& args, std::wstring& error) {
    auto value = [&](size_t& i, std::wstring& out) {
        if (i + 1 >= args.size() || args[i + 1].empty()) {
            error = args[i] + L" needs a value";
            return false;
        }
        out = args[++i];
        return true;
    };
    for (size_t i = 0; i < args.size(); ++i) {
        const std::wstring& a = args[i];
        if (a == L"--help" || a == L"-h" || a == L"/?") {
            help = true;
        } else if (a == L"--summary") {
            summary = true;
        } else if (a == L"--config") {
            if (!value(i, config)) return false;
        } else if (a == L"--csv") {
            if (!value(i, csv)) return false;
        } else if (a == L"--heatmap") {
            if (!value(i, heatmap)) return false;
        } else if (a == L"--size") {
            std::wstring size;
            if (!value(i, size)) return false;
            wchar_t x = 0, rest = 0;
            if (swscanf(size.c_str(), L"%d%lc%d%lc", &width, &x, &height, &rest) != 3 || (x != L'x' && x != L'X')) {
                error = L"--size wants WxH in pixels, such as 800x400, not \"" + size + L"\"";
                return false;
            }
            if (!FanSizeAllowed(width, height)) {
                error = L"--size wants a fan of at least 16x8 and at most 4096x4096 pixels, not \"" + size + L"\"";
                return false;
            }
        } else if (a.size() > 1 && a[0] == L'-' && a[1] == L'-') {
            error = L"unknown option " + a;
            return false;
        } else if (recording.empty()) {
            recording = a;
        } else {
            error = L"more than one recording folder given: " + a;
            return false;
        }
    }
    if (!help && recording.empty()) {
        error = L"no recording folder given";
        return false;
    }
    return true;
}
