// The detect-device dialog: searches every source the radar library offers on a worker thread
// (probing them side by side), lists what it tries and how far it got, and ends with the first
// source in the library's order that answered (closing by itself after a short moment) or, when
// the operator closes it, without a result.
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "RadarDeviceDiscovery.h"

class CDetectDeviceDialog {
public:
    ~CDetectDeviceDialog();
    // IDOK with the found source in result, IDCANCEL without.
    INT_PTR DoModal(HWND parent);
    const RadarDiscoveryCandidate& Result() const { return result_; }

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    void OnInitDialog();
    void StartSearch();
    void StopSearch();
    void Search(HWND window);  // worker thread: never touches windows except PostMessage
    void OnProgress();
    void OnCommand(int id);
    void AddLine(const std::wstring& line);

    HWND window_ = nullptr;
    std::thread worker_;
    std::atomic<bool> cancel_{false};
    // One progress message in the queue at a time: it takes every line gathered until it is handled.
    std::atomic<bool> progressPosted_{false};
    std::mutex mutex_;
    std::vector<std::wstring> pendingLines_;
    bool finished_ = false;
    int probed_ = 0;  // progress of the search, under mutex_
    int total_ = 0;
    bool found_ = false;
    RadarDiscoveryCandidate result_{};
    bool autoClose_ = false;
};
