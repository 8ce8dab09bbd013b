// Plays back the raw data files of a folder as a device: files in name order, frames at their
// recorded pace (scaled by the playback speed of the control API), damaged frames skipped, the
// IFileRadarDataSource events in the documented order, optionally in a loop.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "IRadarDevice.h"
#include "RawDataReader.h"

class IFileRadarDataSource;

class CFilePlaybackDevice : public IRadarDevice {
public:
    // gateCount: the gate count of the folder's configuration; a file recorded with another one is
    // refused and counted as damaged (0: any).
    CFilePlaybackDevice(std::string folder, IFileRadarDataSource* source, uint64_t user, bool loop,
                        uint32_t gateCount = 0);

    // The *.rvraw files of folder in name order; empty when there are none.
    static std::vector<std::string> ListFiles(const std::string& folder);

    bool IsFileSource() const override { return true; }
    bool StartStream(std::string& error) override;
    void StopStream() override {}
    RadarReadResult ReadFrame(RadarFrame& frame, uint32_t timeoutMs) override;
    bool EnterCommandMode(int, int) override { return false; }
    std::vector<uint8_t> Transact(int, const uint8_t*, size_t, int) override { return {}; }
    bool LeaveCommandMode() override { return false; }

private:
    enum class Next { Frame, End, Busy };
    // Advances files and raises the file events; Busy when this call's share of work is used up,
    // so that ReadFrame returns in time for a Stop whatever the files hold.
    Next NextFrame(RadarFrame& frame);
    void ReportProgress(bool force);

    std::string folder_;
    IFileRadarDataSource* source_;
    uint64_t user_;
    bool loop_;
    uint32_t gateCount_;
    double speed_ = 1.0;

    std::vector<std::string> storage_;  // the file names; the list handed out points into it
    std::vector<std::string> files_;    // what the source left in the list, in its order
    std::vector<uint64_t> sizes_;
    uint64_t totalBytes_ = 0;
    uint64_t doneBytes_ = 0;
    size_t fileIndex_ = 0;
    bool passStarted_ = false;
    bool fileOpen_ = false;
    bool ended_ = false;
    uint64_t passFrames_ = 0;  // frames delivered in the current pass over the files
    int skipFrames_ = 0;       // frames still to skip at the start of the open file
    CRawDataReader reader_;
    int64_t lastProgressTicks_ = 0;

    bool pending_ = false;
    RadarFrame pendingFrame_;
    bool clockSet_ = false;
    int64_t baseTicks_ = 0;       // performance counter at baseStampUs_
    uint64_t baseStampUs_ = 0;
    uint64_t lastStampUs_ = 0;
    int64_t frequency_ = 1;
};
