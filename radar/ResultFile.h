#pragma once
// The text file of detection results of a run: "Log\ROVA_MTT_Result_<date-time>.txt", one line
// per delivered object. Opened and closed on the UI thread, written on the library's thread.
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>

#include <windows.h>

class CResultFile {
public:
    CResultFile() = default;
    ~CResultFile() { Close(); }
    CResultFile(const CResultFile&) = delete;
    CResultFile& operator=(const CResultFile&) = delete;

    // Closes any open file, creates `folder` and opens a new, dated file in it. False when the
    // folder or file could not be made; the run then goes on without results.
    bool Open(const char* folder);
    // Writes one line; whole lines only, even when Close runs at the same time.
    void WriteLine(int64_t objectId, double distance, double angle, double velocity);
    void Close();
    bool IsOpen() const;
    std::string Path() const;

    // "[hh:mm:ss.mmm], id, distance, angle, velocity\r\n"; returns the byte count.
    static int FormatLine(char* out, size_t size, const SYSTEMTIME& time, int64_t objectId, double distance,
                          double angle, double velocity);

    // The operator who pulls the plug loses at most this much of the results.
    static constexpr uint32_t kFlushIntervalMs = 1000;

private:
    mutable std::mutex m_lock;
    FILE* m_file = nullptr;
    uint32_t m_lastFlush = 0;
    std::string m_path;
};
