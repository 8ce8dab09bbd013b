#include "radar/ResultFile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "areas/MeasureText.h"

namespace {
const CLineFile::Kind kResults{"result file", L"ROVA_MTT_Result_", L".txt", "", CResultFile::kHandOverMs};
}  // namespace

CResultFile::CResultFile() : CResultFile(Hooks{}) {}

CResultFile::CResultFile(Hooks hooks) : m_file(kResults, std::move(hooks)) {}

namespace {

void AppendValue(std::string& line, double v) {
    line += ", ";
    line += MeasureText(v);
}

}  // namespace

int CResultFile::FormatLine(char* out, size_t size, const SYSTEMTIME& t, int64_t objectId, double distance,
                            double angle, double velocity) {
    char head[48];
    snprintf(head, sizeof head, "[%02d:%02d:%02d.%03d], %lld", t.wHour % 100, t.wMinute % 100, t.wSecond % 100,
             t.wMilliseconds % 1000, static_cast<long long>(objectId));
    std::string line = head;
    AppendValue(line, distance);
    AppendValue(line, angle);
    AppendValue(line, velocity);
    line += "\r\n";
    // Whole lines or none: a cut line would run into the next one.
    if (!out || line.size() >= size) return 0;
    memcpy(out, line.c_str(), line.size() + 1);
    return static_cast<int>(line.size());
}

bool CResultFile::Open(const wchar_t* folder) {
    if (folder) return m_file.Open(folder);
    m_file.Close();
    return false;
}

void CResultFile::WriteLine(int64_t objectId, double distance, double angle, double velocity) {
    const SYSTEMTIME now = m_file.LocalTime();
    char line[kMaxLineBytes];
    const int length = FormatLine(line, sizeof line, now, objectId, distance, angle, velocity);
    m_file.Write(std::string_view(line, static_cast<size_t>(length)), now);
}
