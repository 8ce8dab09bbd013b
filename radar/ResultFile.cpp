#include "radar/ResultFile.h"

#include "contracts/ROVA_Common.h"

int CResultFile::FormatLine(char* out, size_t size, const SYSTEMTIME& t, int64_t objectId, double distance,
                            double angle, double velocity) {
    const int n = snprintf(out, size, "[%02d:%02d:%02d.%03d], %lld, %.2f, %.2f, %.2f\r\n", t.wHour, t.wMinute,
                           t.wSecond, t.wMilliseconds, static_cast<long long>(objectId), distance, angle, velocity);
    return n < 0 ? 0 : (static_cast<size_t>(n) < size ? n : static_cast<int>(size) - 1);
}

bool CResultFile::Open(const char* folder) {
    Close();
    if (!folder) return false;
    RecursiveCreateDirectoryA(folder);
    char name[MAX_PATH] = {};
    char path[MAX_PATH] = {};
    if (!GetFileNameByDateA(name, ".txt", "ROVA_MTT_Result_", "", 0, 1, 0)) return false;
    CombinePathNameA(path, folder, name);
    FILE* file = fopen(path, "wb");
    if (!file) return false;
    std::lock_guard<std::mutex> guard(m_lock);
    m_file = file;
    m_path = path;
    m_lastFlush = MS_GetTime();
    return true;
}

void CResultFile::WriteLine(int64_t objectId, double distance, double angle, double velocity) {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    char line[160];
    const int length = FormatLine(line, sizeof line, now, objectId, distance, angle, velocity);
    std::lock_guard<std::mutex> guard(m_lock);
    if (!m_file) return;
    // Repeated writes of the remainder until all bytes are out or the stream fails.
    size_t done = 0;
    while (done < static_cast<size_t>(length)) {
        const size_t n = fwrite(line + done, 1, length - done, m_file);
        if (n == 0) break;
        done += n;
    }
    const uint32_t tick = MS_GetTime();
    if (tick - m_lastFlush >= kFlushIntervalMs) {
        fflush(m_file);
        m_lastFlush = tick;
    }
}

void CResultFile::Close() {
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_file) fclose(m_file);
    m_file = nullptr;
}

bool CResultFile::IsOpen() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_file != nullptr;
}

std::string CResultFile::Path() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_path;
}
