#include "controls/BalloonModel.h"

#include <gtest/gtest.h>

namespace {

using Phase = CBalloonModel::Phase;

// Every title 100 x 20 and every text 10 pixels wide per character of its longest line,
// 12 pixels high per line: enough to see where the layout puts things.
SIZE FakeMeasure(const std::wstring& text, bool title) {
    if (title) return SIZE{100, 20};
    LONG lines = 1, longest = 0, current = 0;
    for (wchar_t c : text) {
        if (c == L'\n') {
            ++lines;
            current = 0;
        } else {
            longest = std::max(longest, ++current);
        }
    }
    return SIZE{longest * 10, lines * 12};
}

// Runs n countdown ticks and returns the actions of the last one.
BalloonActions Ticks(CBalloonModel& model, int n) {
    BalloonActions last;
    for (int i = 0; i < n; ++i) last = model.CountdownTick();
    return last;
}

const BalloonMessage* Find(const CBalloonModel& model, const std::wstring& title) {
    for (int i = 0; i < model.GetMessageCount(); ++i) {
        if (model.MessageAt(i)->title == title) return model.MessageAt(i);
    }
    return nullptr;
}

TEST(BalloonModelTest, ShowStartsTheCountdownOpaque) {
    CBalloonModel model;
    const BalloonActions actions = model.Show(L"Input Error", L"Invalid character 'a'", BalloonIconError);
    EXPECT_TRUE(actions.stopCountdown && actions.stopFade && actions.rebuild && actions.applyAlpha && actions.startCountdown);
    EXPECT_FALSE(actions.hide || actions.startFade);
    EXPECT_EQ(model.GetPhase(), Phase::Shown);
    EXPECT_EQ(model.GetAlpha(), 255);
    ASSERT_EQ(model.GetMessageCount(), 1);
    EXPECT_EQ(model.MessageAt(0)->remainingMs, 5000u);
}

TEST(BalloonModelTest, RepeatedMessageIsRefreshedAndMovedToTheTop) {
    CBalloonModel model;
    model.Show(L"A", L"first", BalloonIconError);
    Ticks(model, 4);
    model.Show(L"B", L"second", BalloonIconInfo);
    Ticks(model, 2);
    model.Show(L"A", L"first", BalloonIconWarning);
    ASSERT_EQ(model.GetMessageCount(), 2);
    EXPECT_EQ(model.MessageAt(0)->title, L"A");
    EXPECT_EQ(model.MessageAt(0)->icon, BalloonIconWarning);
    EXPECT_EQ(model.MessageAt(0)->remainingMs, 5000u);
    EXPECT_EQ(model.MessageAt(1)->remainingMs, 4000u);
    // Equality is exact: another case is another message.
    model.Show(L"a", L"first", BalloonIconWarning);
    EXPECT_EQ(model.GetMessageCount(), 3);
}

TEST(BalloonModelTest, OlderMessageExpiresFirstThenTheBalloonFades) {
    CBalloonModel model;
    model.Show(L"Old", L"old", BalloonIconError);
    EXPECT_FALSE(Ticks(model, 4).rebuild);  // 2 s
    model.Show(L"New", L"new", BalloonIconError);
    EXPECT_FALSE(Ticks(model, 5).rebuild);
    const BalloonActions expiry = model.CountdownTick();  // the old one's 5 s mark
    EXPECT_TRUE(expiry.rebuild);
    EXPECT_FALSE(expiry.startFade);
    EXPECT_EQ(model.GetLiveMessageCount(), 1);
    model.Layout(FakeMeasure);
    ASSERT_EQ(model.GetMessageCount(), 1);
    EXPECT_EQ(model.MessageAt(0)->title, L"New");

    EXPECT_FALSE(Ticks(model, 3).startFade);
    const BalloonActions last = model.CountdownTick();  // the new one's 5 s mark
    EXPECT_TRUE(last.stopCountdown && last.startFade);
    EXPECT_FALSE(last.rebuild);  // the fading picture still shows it
    EXPECT_EQ(model.GetPhase(), Phase::Fading);

    for (int i = 1; i <= 14; ++i) {
        const BalloonActions step = model.FadeTick();
        EXPECT_TRUE(step.applyAlpha);
        EXPECT_FALSE(step.hide);
        EXPECT_EQ(model.GetAlpha(), 255 - 17 * i);
    }
    const BalloonActions gone = model.FadeTick();
    EXPECT_TRUE(gone.hide && gone.stopFade);
    EXPECT_EQ(model.GetPhase(), Phase::Hidden);
    EXPECT_EQ(model.GetMessageCount(), 0);
}

TEST(BalloonModelTest, HoverPausesAndLeavingGivesTwoSeconds) {
    CBalloonModel model;
    model.Show(L"A", L"a", BalloonIconError);
    Ticks(model, 8);  // 1000 ms left
    model.Show(L"B", L"b", BalloonIconError);
    const BalloonActions enter = model.MouseMove(false);
    EXPECT_TRUE(enter.stopCountdown && enter.stopFade && enter.applyAlpha);
    EXPECT_EQ(model.GetPhase(), Phase::Paused);
    EXPECT_TRUE(model.IsMouseInside());
    // Further moves inside change nothing, however long the cursor stays.
    const BalloonActions again = model.MouseMove(false);
    EXPECT_FALSE(again.stopCountdown || again.startCountdown || again.repaint);
    EXPECT_EQ(model.CountdownTick().rebuild, false);  // no timer runs: a stray tick is ignored
    EXPECT_EQ(Find(model, L"A")->remainingMs, 1000u);

    const BalloonActions leave = model.MouseLeave();
    EXPECT_TRUE(leave.startCountdown);
    EXPECT_EQ(model.GetPhase(), Phase::Shown);
    EXPECT_EQ(Find(model, L"A")->remainingMs, 2000u);
    EXPECT_EQ(Find(model, L"B")->remainingMs, 5000u);
}

TEST(BalloonModelTest, CursorOverAFadingBalloonMakesItOpaqueAgain) {
    CBalloonModel model;
    model.Show(L"A", L"a", BalloonIconInfo);
    Ticks(model, 10);
    ASSERT_EQ(model.GetPhase(), Phase::Fading);
    model.FadeTick();
    model.FadeTick();
    EXPECT_EQ(model.GetAlpha(), 221);
    const BalloonActions enter = model.MouseMove(false);
    EXPECT_TRUE(enter.stopFade && enter.applyAlpha);
    EXPECT_EQ(model.GetAlpha(), 255);
    EXPECT_EQ(model.GetPhase(), Phase::Paused);
    // The message in the picture comes back for two seconds after the cursor leaves.
    model.MouseLeave();
    EXPECT_EQ(model.GetLiveMessageCount(), 1);
    EXPECT_FALSE(Ticks(model, 3).startFade);
    EXPECT_TRUE(model.CountdownTick().startFade);
}

TEST(BalloonModelTest, MessagesGoneFromThePictureStayGone) {
    CBalloonModel model;
    model.Show(L"Old", L"old", BalloonIconError);
    Ticks(model, 4);
    model.Show(L"New", L"new", BalloonIconError);
    model.Layout(FakeMeasure);
    EXPECT_TRUE(Ticks(model, 6).rebuild);  // the old one expires
    model.Layout(FakeMeasure);
    model.MouseMove(false);
    model.MouseLeave();
    EXPECT_EQ(model.GetMessageCount(), 1);
    EXPECT_EQ(Find(model, L"Old"), nullptr);
}

TEST(BalloonModelTest, CloseButtonHotStateAndDismiss) {
    CBalloonModel model;
    model.Show(L"A", L"a", BalloonIconError);
    EXPECT_TRUE(model.MouseMove(true).repaint);
    EXPECT_TRUE(model.IsCloseHot());
    EXPECT_FALSE(model.MouseMove(true).repaint);
    EXPECT_TRUE(model.MouseMove(false).repaint);
    EXPECT_FALSE(model.IsCloseHot());
    const BalloonActions dismiss = model.Dismiss();
    EXPECT_TRUE(dismiss.hide && dismiss.stopCountdown && dismiss.stopFade);
    EXPECT_FALSE(dismiss.startCountdown || dismiss.startFade);
    EXPECT_EQ(model.GetPhase(), Phase::Hidden);
    EXPECT_EQ(model.GetMessageCount(), 0);
}

TEST(BalloonModelTest, FocusLossFadesOnlyWhenAsked) {
    CBalloonModel fading;
    fading.Show(L"A", L"a", BalloonIconError);
    const BalloonActions actions = fading.FocusLost();
    EXPECT_TRUE(actions.stopCountdown && actions.startFade);
    EXPECT_EQ(fading.GetPhase(), Phase::Fading);
    EXPECT_EQ(fading.GetMessageCount(), 0);

    fading.FadeTick();
    fading.Dismiss();
    const BalloonActions whileHidden = fading.FocusLost();
    EXPECT_FALSE(whileHidden.startFade);
    EXPECT_EQ(fading.GetPhase(), Phase::Hidden);

    CBalloonModel staying;
    staying.SetFadeOnFocusLoss(false);
    staying.Show(L"A", L"a", BalloonIconError);
    const BalloonActions none = staying.FocusLost();
    EXPECT_FALSE(none.stopCountdown || none.startFade);
    EXPECT_EQ(staying.GetPhase(), Phase::Shown);
    EXPECT_EQ(staying.GetMessageCount(), 1);
}

TEST(BalloonModelTest, LayoutPlacesMessagesNewestFirst) {
    CBalloonModel model;
    model.Show(L"T1", L"ab", BalloonIconError);
    model.Show(L"T2", L"abcdefghijklmnopq\nx\ny", BalloonIconWarning);
    const BalloonLayout layout = model.Layout(FakeMeasure);
    const BalloonMessage* top = model.MessageAt(0);
    const BalloonMessage* below = model.MessageAt(1);
    ASSERT_EQ(top->title, L"T2");
    EXPECT_EQ(top->iconRect.top, 32);
    EXPECT_EQ(top->iconRect.left, 14);
    EXPECT_EQ(top->iconRect.right, 44);
    EXPECT_EQ(top->titleRect.left, 54);
    EXPECT_EQ(top->titleRect.right, 156);   // 100 + 56
    EXPECT_EQ(top->titleRect.bottom, 54);   // 32 + 20 + 2
    EXPECT_EQ(top->textRect.top, 56);
    EXPECT_EQ(top->textRect.right, 226);    // 170 + 56
    EXPECT_EQ(top->textRect.bottom, 94);    // 56 + 36 + 2
    EXPECT_EQ(below->iconRect.top, 102);    // 94 + 8
    EXPECT_EQ(layout.width, 268);           // 226 + 40 = 266, up to a multiple of 4
    EXPECT_EQ(layout.height, below->textRect.bottom + 8 + 6);
    EXPECT_EQ(layout.closeRect.left, 238);
    EXPECT_EQ(layout.closeRect.top, 32);
    EXPECT_EQ(layout.closeRect.right, 258);
    EXPECT_EQ(layout.closeRect.bottom, 52);

    CBalloonModel empty;
    const BalloonLayout none = empty.Layout(FakeMeasure);
    EXPECT_EQ(none.width, 40);
    EXPECT_EQ(none.height, 38);
}

TEST(BalloonModelTest, SignsOfIcons) {
    const std::pair<int32_t, BalloonSign> cases[] = {
        {0, BalloonSign::None}, {1, BalloonSign::Info}, {4, BalloonSign::Info}, {2, BalloonSign::Warning},
        {5, BalloonSign::Warning}, {3, BalloonSign::Error}, {6, BalloonSign::Error}, {7, BalloonSign::None},
        {-1, BalloonSign::None},
    };
    for (const auto& [icon, sign] : cases) EXPECT_EQ(SignOfIcon(icon), sign) << icon;
}

}  // namespace
