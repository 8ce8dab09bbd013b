// "appConfig.xml": the settings document, the operator's settings and the area and point readers
// over any bytes, then a save to text that must read back with the same elements.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "settings/RootSettings.h"
#include "areas/AreaConfigStore.h"

namespace {

class CountingView : public IAreaOverlayTarget {
public:
    size_t vertices = 0;
    size_t points = 0;
    void SetDetectArea(const AreaVertex*, int count) override { vertices += static_cast<size_t>(count); }
    int AddMonitorArea(const AreaVertex*, int count, uint32_t, uint32_t) override {
        vertices += static_cast<size_t>(count);
        return 1;
    }
    void ClearMonitorAreas() override {}
    void ClearDetectArea() override {}
    void ClearMonitorPoints() override {}
    void AddMonitorPoint(double, double, double radiusScale, const wchar_t*, uint32_t, uint32_t, uint32_t) override {
        if (!(radiusScale >= kMinPointRadiusScale && radiusScale <= kMaxPointRadiusScale)) abort();
        ++points;
    }
    void SetGateRange(double, double, int) override {}
    FanLayout GetFanLayout() const override { return FanLayout{800, 400, 10, 20}; }
    std::vector<AreaVertex> GetDetectAreaPlotVertices() const override { return {}; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    XMLParser doc;
    doc.LoadFromMemory(data, size);
    RootSettings settings;
    settings.Reset(0, 31);
    settings.Load(doc.AppConfig());
    if (!(settings.radiusScale >= 0 && settings.radiusScale <= 100)) abort();
    if (settings.sectorCount < 1 || settings.sectorCount > 1000) abort();
    if (settings.displayTime < 0 || settings.displayTime > 600000) abort();
    CountingView view;
    AreaConfigStore store(doc);
    store.LoadAreas(view);
    store.LoadMonitorPoints(view);

    const std::string text = doc.SaveToString();
    XMLParser again;
    again.LoadFromMemory(text.data(), text.size());
    CountingView view2;
    AreaConfigStore store2(again);
    store2.LoadAreas(view2);
    store2.LoadMonitorPoints(view2);
    if (view2.points != view.points || view2.vertices != view.vertices) abort();
    return 0;
}
