// Detect Device: reload the configuration, let the dialog library find the sensor, remember
// what was found and persist a serial device's value.
#include <string>

#include "app/ROVAMTTDlg.h"
#include "framework/ResourceLoader.h"
#include "res/resource.h"

namespace {
std::string ConfigPathA() {
    char folder[MAX_PATH] = {};
    char path[MAX_PATH] = {};
    GetProgramPathA(0, folder);
    CombinePathNameA(path, folder, "Radar_Config.ini");
    return path;
}
}  // namespace

void CROVAMTTDlg::OnDetectDevice() {
    if (ROVA_Interface_RadarCtrl_IsStarted()) StopRun();
    const std::string path = ConfigPathA();
    const std::wstring error = CResourceLoader::LoadString(IDS_ERROR);
    const std::wstring prompt = CResourceLoader::LoadString(IDS_PROMPT);
    if (!ROVA_Interface_RadarCtrl_LoadConfigFromFile(path.c_str())) {
        m_btnStart.EnableWindow(FALSE);
        const std::wstring text = CResourceLoader::LoadString(IDS_LOAD_CONFIG_FAILED);
        ::MessageBoxW(m_hWnd, text.c_str(), error.c_str(), MB_ICONERROR | MB_TOPMOST);
        return;
    }

    eRADAR_SOURCE_TYPE type = static_cast<eRADAR_SOURCE_TYPE>(0);
    CBaseStringA port;
    CBaseStringA description;
    int32_t value = 0;
    ROVA_DetectDeviceDlg_DoModal(m_hWnd, type, port, description, value);

    const int found = static_cast<int>(type);
    if (found < 1 || found > 5) {
        m_btnStart.EnableWindow(FALSE);
        const std::wstring text = CResourceLoader::LoadString(IDS_NO_DEVICE_DETECTED);
        ::MessageBoxW(m_hWnd, text.c_str(), error.c_str(), MB_ICONERROR | MB_TOPMOST);
        return;
    }
    const std::wstring text = CResourceLoader::LoadString(IDS_COM_DEVICE_DETECTED + found - 1);
    ::MessageBoxW(m_hWnd, text.c_str(), prompt.c_str(), MB_ICONINFORMATION);
    m_btnStart.EnableWindow(TRUE);
    m_btnModeSwitch.EnableWindow(TRUE);
    gRadarParameter.sourceType = type;
    gRadarParameter.detectedDeviceValue = value;

    if (found == 1) {
        // A serial sensor's port is remembered in the file, written only when it changed.
        tagRADARPARAMETER stored;
        ROVA_Interface_RadarParameter_Init(&stored);
        if (ROVA_Interface_RadarParameter_LoadFromFile(path.c_str(), &stored) && stored.detectedDeviceValue != value) {
            stored.detectedDeviceValue = value;
            ROVA_Interface_RadarParameter_SaveToFile(path.c_str(), &stored);
        }
    }
    ROVA_Interface_RadarParameter_Copy(&m_savedRadarParameter, &gRadarParameter);
    ApplyViewSettings();
    UpdateTargetLabels();
}

void CROVAMTTDlg::OpenParameterDialog() { CConfigDlg::Run(m_hWnd); }
