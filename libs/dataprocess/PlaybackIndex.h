// The frames of a playback in reading order: for each its time (CPlaybackTimeline), its file and
// the offset of its record, so that a seek starts reading right before its target instead of at
// the beginning. One thread adds while any thread looks up.
//
// 16 bytes a frame; an hour at 20 frames/s takes 1.1 MiB. Memory is capped at maxEntries entries
// (8 MiB by default, seven hours at 20 frames/s): when the cap is reached every other entry goes
// and from then on only every second (then fourth, ...) frame is entered. A seek then reads a few
// more frames to reach its target; the first and last frame times stay exact.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

class CPlaybackIndex {
public:
    struct Entry {
        uint64_t timeUs;
        uint32_t file;    // position in the playback's file list
        uint32_t offset;  // of the frame record in the file (files are at most 1 GiB)
    };
    static_assert(sizeof(Entry) == 16);
    static constexpr size_t kMaxEntries = 1u << 19;

    explicit CPlaybackIndex(size_t maxEntries = kMaxEntries);

    // Frames come in reading order, their times never decreasing.
    void Add(uint64_t timeUs, uint32_t file, uint32_t offset);
    // Every frame of every file has been added.
    void Complete();

    // The last entry before timeUs: reading from it finds the first frame at or after timeUs.
    // False when no entry is before timeUs (read from the start).
    bool Before(uint64_t timeUs, Entry* entry) const;

    struct Summary {
        bool complete = false;
        uint64_t frames = 0;  // frames added (entries held may be fewer)
        uint64_t firstUs = 0, lastUs = 0;  // valid when frames > 0
        size_t entries = 0;
        uint32_t stride = 1;  // one frame in stride is entered
    };
    Summary Read() const;

private:
    mutable std::mutex mutex_;
    size_t maxEntries_;
    std::vector<Entry> entries_;
    uint32_t stride_ = 1;
    uint64_t frames_ = 0;
    uint64_t firstUs_ = 0, lastUs_ = 0;
    bool complete_ = false;
};
