#include "radar/PlaybackReview.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The library's side of a reviewed playback: frames every 50 ms from 10 s to 70 s; a seek goes
// to the first frame at or after its time, a step moves one frame.
struct FakeLibrary {
    tagRADARPLAYBACKSTATE state{};
    std::vector<uint64_t> seeks;
    std::vector<double> speeds;
    int steps = 0;
    std::vector<bool> loops;
    bool sought = false;  // the next frame is the one a seek went to

    FakeLibrary() {
        state.structSize = sizeof state;
        state.started = 1;
        state.firstMs = 10'000;
        state.lastMs = 70'000;
        state.currentMs = 10'000;
        state.speed = 1;
    }
    void Play(uint64_t ms) {
        state.currentMs = ms;
        sought = false;
    }
    CPlaybackReview::Library Calls() {
        CPlaybackReview::Library l;
        l.state = [this](tagRADARPLAYBACKSTATE& s) {
            s = state;
            return true;
        };
        l.seek = [this](uint64_t ms) {
            seeks.push_back(ms);
            const uint64_t clamped = std::min(std::max(ms, state.firstMs), state.lastMs);
            state.currentMs = (clamped + 49) / 50 * 50;
            ++state.generation;
            sought = true;
            return true;
        };
        l.speed = [this](double f) {
            speeds.push_back(f);
            return true;
        };
        l.step = [this] {
            if (!state.paused) return false;
            ++steps;
            if (!sought) state.currentMs = std::min(state.lastMs, state.currentMs + 50);
            sought = false;
            return true;
        };
        l.loop = [this](bool loop) { loops.push_back(loop); };
        return l;
    }
};

TEST(PlaybackReviewTest, TheTimelineFollowsAndEveryJumpIsLogged) {
    FakeLibrary lib;
    std::vector<std::string> log;
    CPlaybackReview review(lib.Calls(), [&](const std::string& line) { log.push_back(line); });
    TimelineModel model;
    ASSERT_TRUE(review.Refresh(model));
    EXPECT_EQ(model.First(), 10'000u);
    EXPECT_EQ(model.Last(), 70'000u);
    lib.Play(25'000);
    review.Refresh(model);
    EXPECT_EQ(model.Position(), 25'000u);

    ASSERT_TRUE(review.SeekTo(40'000, model));
    EXPECT_EQ(lib.seeks, (std::vector<uint64_t>{40'000}));
    EXPECT_EQ(lib.steps, 0);  // a running playback needs no step to show the frame
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], "playback jumped from 0:15 to 0:30 (stream time 25000 ms to 40000 ms)");

    // Keys while running: 5 s either way, the ends, the speeds.
    struct KeyCase {
        CPlaybackReview::Key key;
        uint64_t seek;  // 0: no seek
    };
    const KeyCase keys[] = {{CPlaybackReview::Key::Right, 45'000}, {CPlaybackReview::Key::Left, 40'000},
                            {CPlaybackReview::Key::End, 70'000},   {CPlaybackReview::Key::Home, 10'000}};
    for (const KeyCase& k : keys) {
        review.Refresh(model);
        ASSERT_TRUE(review.OnKey(k.key, model));
        EXPECT_EQ(lib.seeks.back(), k.seek);
    }
    EXPECT_EQ(log.size(), 5u);
    EXPECT_TRUE(review.OnKey(CPlaybackReview::Key::Faster, model));
    EXPECT_TRUE(review.OnKey(CPlaybackReview::Key::Faster, model));
    EXPECT_TRUE(review.OnKey(CPlaybackReview::Key::Slower, model));
    EXPECT_EQ(lib.speeds, (std::vector<double>{2, 4, 2}));
    model.SetSpeedIndex(TimelineModel::kSpeedCount - 1);
    EXPECT_FALSE(review.OnKey(CPlaybackReview::Key::Faster, model));  // already the fastest
    EXPECT_TRUE(review.ApplySpeed(TimelineModel::kSpeedCount - 1));
    EXPECT_EQ(lib.speeds.back(), 0.0);  // as fast as possible

    // N and P go to two seconds before the marks.
    model.SetMarks({{30'000, 1, 4, true}, {50'000, 1, 4, false}});
    review.Refresh(model);
    ASSERT_TRUE(review.OnKey(CPlaybackReview::Key::NextMark, model));
    EXPECT_EQ(lib.seeks.back(), 28'000u);
    review.Refresh(model);
    ASSERT_TRUE(review.OnKey(CPlaybackReview::Key::NextMark, model));
    EXPECT_EQ(lib.seeks.back(), 48'000u);
    review.Refresh(model);
    ASSERT_TRUE(review.OnKey(CPlaybackReview::Key::PreviousMark, model));
    EXPECT_EQ(lib.seeks.back(), 28'000u);
    review.ApplyLoop(true);
    EXPECT_EQ(lib.loops, (std::vector<bool>{true}));
}

TEST(PlaybackReviewTest, WhilePausedTheArrowsGoOneFrameAndASeekShowsItsFrame) {
    FakeLibrary lib;
    CPlaybackReview review(lib.Calls(), nullptr);
    TimelineModel model;
    // Playing: frames 50 ms apart, so the spacing is known.
    for (uint64_t t = 20'000; t <= 20'500; t += 50) {
        lib.Play(t);
        review.Refresh(model);
    }
    lib.state.paused = 1;
    review.Refresh(model);
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(review.OnKey(CPlaybackReview::Key::Right, model));
        review.Refresh(model);
    }
    EXPECT_EQ(lib.steps, 5);
    EXPECT_EQ(model.Position(), 20'750u);
    // Back one frame: the frame 50 ms before, shown by a step from just before it.
    ASSERT_TRUE(review.OnKey(CPlaybackReview::Key::Left, model));
    EXPECT_EQ(lib.seeks.back(), 20'675u);
    review.Refresh(model);
    EXPECT_EQ(model.Position(), 20'700u);
    EXPECT_EQ(lib.steps, 6);
    // A click seek while paused shows the frame there with one step too.
    ASSERT_TRUE(review.SeekTo(30'000, model));
    EXPECT_EQ(lib.steps, 7);
    // At the start there is no frame before.
    ASSERT_TRUE(review.SeekTo(10'000, model));
    review.Refresh(model);
    lib.state.currentMs = 10'000;
    review.Refresh(model);
    EXPECT_FALSE(review.OnKey(CPlaybackReview::Key::Left, model));
    // No playback: nothing to show.
    lib.state.started = 0;
    EXPECT_FALSE(review.Refresh(model));
}

}  // namespace
