#include "radar/ZoneMarks.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "contracts/ROVA_Common.h"

namespace {
std::wstring Quoted(const std::wstring& arg) {
    // Paths only: no quotes inside them on Windows; a trailing backslash would escape the quote.
    std::wstring a = arg;
    while (!a.empty() && a.back() == L'\\') a.pop_back();
    return L"\"" + a + L"\"";
}

int64_t Ticks() {
    LARGE_INTEGER t;
    ::QueryPerformanceCounter(&t);
    return t.QuadPart;
}
}  // namespace

bool CZoneMarks::Start(const std::wstring& program, const std::wstring& folder, const std::wstring& config,
                       const std::wstring& csvPath) {
    Cancel();
    std::wstring command = Quoted(program) + L" " + Quoted(folder) + L" --config " + Quoted(config) + L" --csv " +
                           Quoted(csvPath);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE,
                          CREATE_NO_WINDOW | BELOW_NORMAL_PRIORITY_CLASS, nullptr, nullptr, &si, &pi)) {
        DbgOutputA(1, "Zone marks: cannot start the replay (error %lu)\r\n", ::GetLastError());
        return false;
    }
    ::CloseHandle(pi.hThread);
    m_process.reset(pi.hProcess);
    m_csv = csvPath;
    m_started = Ticks();
    return true;
}

bool CZoneMarks::TakeResult(std::vector<TimelineMark>* marks, bool* ok) {
    if (!m_process || ::WaitForSingleObject(m_process.get(), 0) != WAIT_OBJECT_0) return false;
    DWORD code = 1;
    ::GetExitCodeProcess(m_process.get(), &code);
    m_process.reset();
    LARGE_INTEGER f;
    ::QueryPerformanceFrequency(&f);
    m_seconds = static_cast<double>(Ticks() - m_started) / static_cast<double>(f.QuadPart);
    marks->clear();
    // 0: done; 5: done, with damaged frames of the recording passed over.
    *ok = code == 0 || code == 5;
    if (*ok) {
        std::ifstream in(m_csv.c_str(), std::ios::binary);
        ParseEvents(in, marks);
    } else {
        DbgOutputA(1, "Zone marks: the replay ended with code %lu\r\n", code);
    }
    ::DeleteFileW(m_csv.c_str());
    m_csv.clear();
    return true;
}

void CZoneMarks::Cancel() {
    if (m_process) {
        ::TerminateProcess(m_process.get(), 1);
        ::WaitForSingleObject(m_process.get(), 2000);
        m_process.reset();
    }
    if (!m_csv.empty()) {
        ::DeleteFileW(m_csv.c_str());
        m_csv.clear();
    }
}

size_t CZoneMarks::ParseEvents(std::istream& in, std::vector<TimelineMark>* marks) {
    size_t read = 0;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::istringstream fields(line);
        std::string event, area, id, time;
        if (!std::getline(fields, event, ',') || !std::getline(fields, area, ',') || !std::getline(fields, id, ',') ||
            !std::getline(fields, time, ',')) {
            continue;
        }
        if (event != "entry" && event != "exit") continue;
        char* end = nullptr;
        const long a = std::strtol(area.c_str(), &end, 10);
        if (*end || a < 1 || a > 31) continue;
        const long long target = std::strtoll(id.c_str(), &end, 10);
        if (*end || id.empty()) continue;
        const unsigned long long ms = std::strtoull(time.c_str(), &end, 10);
        if (*end || time.empty() || time[0] == '-') continue;
        marks->push_back(TimelineMark{ms, static_cast<int>(a), target, event == "entry"});
        ++read;
    }
    return read;
}
