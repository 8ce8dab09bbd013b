#include "areas/AreaConfigStore.h"

#include <algorithm>
#include <cstdio>
#include <cwchar>

#include "contracts/ROVA_Common.h"

namespace {
constexpr char kAppConfig[] = "AppConfig";
constexpr char kAlgorithmArea[] = "AlgorithmArea";
constexpr char kMonitorArea[] = "MonitorArea";
constexpr char kMonitorPoint[] = "MonitorPoint";
constexpr char kBoundSize[] = "BoundSize";
constexpr char kPoints[] = "Points";
constexpr char kPosition[] = "Position";

bool ReadNumber(const XMLNode& element, const char* name, void* target, int type) {
    const char* text = element.GetAttributeText(name);
    if (!text || !*text) return false;
    return DigtalStringToValue(text, -1, target, type) != 0;
}

int32_t Rescale(int32_t value, int current, int stored) {
    const int64_t scaled = static_cast<int64_t>(current) * value / stored;
    return static_cast<int32_t>(std::clamp<int64_t>(scaled, -kMaxVertexCoordinate, kMaxVertexCoordinate));
}
}  // namespace

AreaConfigStore::AreaConfigStore(XMLParser& document, std::function<bool()> save)
    : m_document(document), m_save(std::move(save)) {}

bool AreaConfigStore::Save() { return m_save ? m_save() : m_document.SaveConfig(); }

std::string AreaConfigStore::FormatBoundSize(int width, int height) {
    char buffer[32];
    snprintf(buffer, sizeof buffer, "%d,%d", width, height);
    return buffer;
}

std::string AreaConfigStore::FormatPoints(const AreaVertex* vertices, int count) {
    std::string text;
    if (!vertices || count <= 0) return text;
    text.reserve(static_cast<size_t>(count) * 12);
    char buffer[32];
    for (int i = 0; i < count; ++i) {
        snprintf(buffer, sizeof buffer, "%d,%d; ", vertices[i].row, vertices[i].column);
        text += buffer;
    }
    return text;
}

uint32_t AreaConfigStore::ReadColor(const XMLNode& element, const char* name, uint32_t fallback) {
    uint32_t value = fallback;
    ReadNumber(element, name, &value, kDigitalTypeUInt32);
    return value;
}

std::vector<AreaVertex> AreaConfigStore::ReadPolygon(const XMLNode& element, int fanWidth, int fanHeight) {
    std::vector<AreaVertex> vertices;
    const int count = element.ParsePointPairs(kPoints, kDigitalTypeInt32, nullptr, 0);
    if (count < kMinPolygonVertices) return vertices;
    vertices.resize(static_cast<size_t>(count));
    static_assert(sizeof(AreaVertex) == 2 * sizeof(int32_t));
    vertices.resize(static_cast<size_t>(element.ParsePointPairs(kPoints, kDigitalTypeInt32, vertices.data(), count)));

    // A size that cannot be divided by is no record of a fan: the polygon is taken as stored.
    int32_t bound[2] = {fanWidth, fanHeight};
    const char* boundText = element.GetAttributeText(kBoundSize);
    if (boundText) {
        int32_t stored[2] = {0, 0};
        if (ParseDigitalArrayValue(boundText, -1, ",", 1, 0, kDigitalTypeInt32, nullptr, -1) == 2 &&
            ParseDigitalArrayValue(boundText, -1, ",", 1, 0, kDigitalTypeInt32, stored, 2) == 2 &&
            stored[0] > 0 && stored[1] > 0) {
            bound[0] = stored[0];
            bound[1] = stored[1];
        }
    }
    const bool scale = bound[0] > 0 && bound[1] > 0 && (bound[0] != fanWidth || bound[1] != fanHeight);
    for (AreaVertex& v : vertices) {
        if (scale) {
            v.row = Rescale(v.row, fanHeight, bound[1]);
            v.column = Rescale(v.column, fanWidth, bound[0]);
        } else {
            v.row = std::clamp(v.row, -kMaxVertexCoordinate, kMaxVertexCoordinate);
            v.column = std::clamp(v.column, -kMaxVertexCoordinate, kMaxVertexCoordinate);
        }
    }
    return vertices;
}

void AreaConfigStore::LoadAreas(IAreaOverlayTarget& view) {
    const FanLayout fan = view.GetFanLayout();
    const XMLNode appConfig = m_document.AppConfig();

    const XMLNode detect = appConfig.FindChild(kAlgorithmArea);
    if (!detect.IsNull()) {
        const std::vector<AreaVertex> vertices = ReadPolygon(detect, fan.width, fan.height);
        if (vertices.size() >= kMinPolygonVertices) view.SetDetectArea(vertices.data(), static_cast<int>(vertices.size()));
    }

    view.ClearMonitorAreas();
    // Once the view has refused a valid polygon every slot is taken; the rest stay in the file
    // unread, which keeps a file with thousands of areas from slowing the start.
    bool full = false;
    appConfig.ForEachChild(kMonitorArea, [&](const XMLNode& element) {
        if (full) return;
        const std::vector<AreaVertex> vertices = ReadPolygon(element, fan.width, fan.height);
        if (vertices.size() < kMinPolygonVertices) return;
        const uint32_t inactive = ReadColor(element, "InactiveColor", kDefaultInactiveColor);
        const uint32_t active = ReadColor(element, "ActiveColor", kDefaultActiveColor);
        if (view.AddMonitorArea(vertices.data(), static_cast<int>(vertices.size()), inactive, active) < 0) full = true;
    });
}

void AreaConfigStore::LoadMonitorPoints(IAreaOverlayTarget& view) {
    view.ClearMonitorPoints();
    m_document.AppConfig().ForEachChild(kMonitorPoint, [&](const XMLNode& element) {
        int32_t enable = 0;
        ReadNumber(element, "Enable", &enable, kDigitalTypeInt32);
        if (enable == 0) return;
        const uint32_t inactive = ReadColor(element, "InactiveColor", kDefaultInactiveColor);
        const uint32_t active = ReadColor(element, "ActiveColor", kDefaultActiveColor);
        const uint32_t text = ReadColor(element, "TextColor", kDefaultTextColor);
        double radiusScale = 1.0;
        ReadNumber(element, "RadiusScale", &radiusScale, kDigitalTypeDouble);
        radiusScale = std::clamp(radiusScale, kMinPointRadiusScale, kMaxPointRadiusScale);

        const int count = element.ParsePointPairs(kPosition, kDigitalTypeDouble, nullptr, 0);
        if (count <= 0) return;
        std::vector<double> pairs(static_cast<size_t>(count) * 2);
        const int read = element.ParsePointPairs(kPosition, kDigitalTypeDouble, pairs.data(), count);
        wchar_t label[16];
        for (int i = 0; i < read; ++i) {
            swprintf(label, 16, L"%d", i + 1);
            view.AddMonitorPoint(pairs[2 * i], pairs[2 * i + 1], radiusScale, label, text, inactive, active);
        }
    });
}

void AreaConfigStore::SaveMonitorArea(const AreaVertex* vertices, int count, uint32_t inactiveColor,
                                      uint32_t activeColor, int fanWidth, int fanHeight) {
    XMLNode appConfig = m_document.AppConfig();
    if (!appConfig.IsNull()) {
        XMLNode element = appConfig.AppendChild(kMonitorArea);
        element.SetAttributeUInt("InactiveColor", inactiveColor);
        element.SetAttributeUInt("ActiveColor", activeColor);
        element.SetAttributeText(kBoundSize, FormatBoundSize(fanWidth, fanHeight).c_str());
        element.SetAttributeText(kPoints, FormatPoints(vertices, count).c_str());
    }
    Save();
}

void AreaConfigStore::SaveDetectArea(const AreaVertex* vertices, int count, int fanWidth, int fanHeight) {
    XMLNode appConfig = m_document.AppConfig();
    if (!appConfig.IsNull()) {
        XMLNode element = appConfig.FindChild(kAlgorithmArea);
        if (element.IsNull()) element = appConfig.AppendChild(kAlgorithmArea);
        element.SetAttributeText(kBoundSize, FormatBoundSize(fanWidth, fanHeight).c_str());
        element.SetAttributeText(kPoints, FormatPoints(vertices, count).c_str());
    }
    Save();
}

void AreaConfigStore::RemoveMonitorAreas() {
    XMLNode appConfig = m_document.AppConfig();
    std::vector<XMLNode> doomed;
    appConfig.ForEachChild(kMonitorArea, [&](const XMLNode& element) { doomed.push_back(element); });
    for (const XMLNode& element : doomed) appConfig.RemoveChild(element);
    Save();
}

void AreaConfigStore::RemoveDetectArea() {
    XMLNode appConfig = m_document.AppConfig();
    const XMLNode element = appConfig.FindChild(kAlgorithmArea);
    if (!element.IsNull()) appConfig.RemoveChild(element);
    Save();
}

void AreaConfigStore::SaveGateRange(double gateMin, double gateMax) {
    XMLNode appConfig = m_document.AppConfig();
    appConfig.SetAttributeReal("ObjectWnd_GateMin", gateMin);
    appConfig.SetAttributeReal("ObjectWnd_GateMax", gateMax);
    Save();
}
