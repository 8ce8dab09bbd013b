// Measures Detect Device on a machine without a sensor: every serial port is probed and none
// answers. Prints the time of each search (dialog opened until it closed by itself) and its ratio
// to the budget of three seconds; the target is a ratio below 1.
#include <windows.h>

#include <cstdio>

#include "ROVA_DataProcess.h"
#include "ROVA_DlgResource.h"
#include "RadarDeviceDiscovery.h"

int main() {
    ROVA_Interface_RadarParameter_Init(&gRadarParameter);
    gRadarParameter.simulatedSensor = 0;  // only real ports are searched
    // The dialog closes itself once nothing was found, instead of waiting for the operator.
    SetEnvironmentVariableW(L"ROVA_DETECT_DIALOG_AUTOCLOSE", L"1");

    static RadarDiscoveryCandidate candidates[300];
    const int count = ROVA_RadarDiscovery_ListCandidates(candidates, 300);
    printf("serial ports to probe: %d\n", count);
    constexpr double kBudgetMs = 3000.0;
    double worst = 0;
    for (int run = 1; run <= 3; ++run) {
        LARGE_INTEGER f, t0, t1;
        QueryPerformanceFrequency(&f);
        QueryPerformanceCounter(&t0);
        eRADAR_SOURCE_TYPE type = RADAR_SOURCE_NONE;
        CBaseStringA port, description;
        int32_t value = 0;
        ROVA_DetectDeviceDlg_DoModal(nullptr, type, port, description, value);
        QueryPerformanceCounter(&t1);
        const double ms = 1000.0 * static_cast<double>(t1.QuadPart - t0.QuadPart) / static_cast<double>(f.QuadPart);
        if (ms > worst) worst = ms;
        printf("search %d: %.0f ms, found %s (ratio to the 3 s budget %.2f)\n", run, ms,
               type == RADAR_SOURCE_NONE ? "nothing" : port.GetString(), ms / kBudgetMs);
    }
    printf("worst search: %.0f ms = %.2f of the budget\n", worst, worst / kBudgetMs);
    return 0;
}
