// Finds the intact frame records in the bytes of a raw data file (format: RawDataFormat.md),
// skipping damage. Portable: it sees only bytes, never a file.
//
// Resynchronising after damage tries a frame at every byte offset. A record claims up to 48 KiB
// of payload, so checking each candidate's CRC from scratch would read the same bytes thousands
// of times when a valid header repeats all over a file. Instead the scanner keeps the running CRC
// register of every offset of the window a record can span, computed once per byte, and checks a
// candidate from two of those registers (CRC-32 is linear: the register after a stretch follows
// from the registers before and after it). Each byte is thus read a bounded number of times.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "RadarFrame.h"

class CRawFrameScanner {
public:
    enum class Step {
        Frame,     // frame filled; Position() is past its record
        NeedMore,  // the bytes so far end inside a possible record: hand over more, or say complete
        Busy,      // the work allowance ran out; call again
        End,       // complete and nothing more to find
    };

    CRawFrameScanner();
    // Starts over at offset start (the end of the file header).
    void Reset(size_t start);
    // data/size: every byte of the file handed over so far (offsets are file offsets); complete when
    // no more will come. Each byte examined takes one unit of *allowance.
    Step Next(const uint8_t* data, size_t size, bool complete, RadarFrame& frame, size_t* allowance) {
        return Next(data, 0, size, complete, frame, allowance);
    }
    // The same over a window of the file: data holds the bytes from file offset base up to offset
    // end. The scanner never looks behind Position(), so a reader may drop the bytes before it.
    Step Next(const uint8_t* data, size_t base, size_t end, bool complete, RadarFrame& frame, size_t* allowance);

    size_t Position() const { return position_; }
    // Damaged stretches skipped so far (each counts once however many bytes it spans).
    int DamagedFrames() const { return damaged_; }

private:
    bool CandidateChecksOut(const uint8_t* data, size_t base, size_t at, uint32_t payload, size_t* allowance);
    void Skip();

    static constexpr size_t kWindow = 1u << 16;  // > largest record, a power of two
    std::vector<uint32_t> registers_;            // register before offset i at [i % kWindow]
    size_t registersEnd_ = 0;                    // registers known for offsets up to this one
    size_t position_ = 0;
    int damaged_ = 0;
    bool inDamage_ = false;
};
