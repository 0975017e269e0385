// The layout pass's arithmetic, with the sums written beside the expected numbers. Text heights are given in device
// pixels; at scale 1 a text measured h high needs h + 4 units (trunc(h / 1 + 0.99) + 4).
#include "ui/layout.h"

#include <gtest/gtest.h>

namespace {

const int kFrameW = 16, kFrameH = 39;

LayoutInput BaseInput() {
    LayoutInput in = {};
    in.uiScale = 1.0;
    in.clientWidth = 380;
    in.clientHeight = 520;
    in.haveWorkArea = true;
    in.workArea = {0, 0, 2560, 2000};  // tall enough for the whole settings block
    in.windowRect = {100, 100, 100 + 380 + kFrameW, 100 + 520 + kFrameH};
    in.frameWidth = kFrameW;
    in.frameHeight = kFrameH;
    in.textHeight[kTextDetail] = 34;                                                                 // 38
    in.textHeight[kTextRecordHeading] = 17;                                                          // 21
    in.textHeight[kTextRecordNote] = 34;                                                             // 38
    in.textHeight[kTextPlaybackHeading] = 40;                                                        // 44
    for (int slot = 0; slot < kControlSlotCount; ++slot) in.textHeight[kTextSlotLabel + slot] = 15;  // 19
    in.textHeight[kTextMarkLabel] = 15;                                                              // 19
    in.textHeight[kTextSaveIn] = 15;                                                                 // 19
    in.textHeight[kTextFolder] = 17;           // 21, below the minimum 24
    in.textHeight[kTextVersion] = 34;          // 38
    in.textHeight[kTextShortcutHeading] = 18;  // hh = max(4 + 18, 20) = 22
    return in;
}

struct Pass {
    LayoutState state;
    LayoutResult out;
};

Pass Layout(const LayoutInput& in, LayoutState state = layoutInitialState()) {
    Pass r = {state, {}};
    computeLayout(in, &r.state, &r.out);
    return r;
}

void ExpectAt(const Placement& p, int x, int y, int w, int h, bool visible = true) {
    EXPECT_EQ(p.x, x);
    EXPECT_EQ(p.y, y);
    EXPECT_EQ(p.w, w);
    EXPECT_EQ(p.h, h);
    EXPECT_EQ(p.visible, visible);
    EXPECT_TRUE(p.moved);
}

// With the heights of BaseInput, the settings block from y0:
// a = 21, rows from y0 + 82 + 21 + 32 = y0 + 135; note 38, heading 44: y = y0 + 135 + 38 + 3 + 44 + 2 = y0 + 222;
// eight slot rows of d = 19: q = y0 + 222 + 7 × 51 + 20 = y0 + 599, y = y0 + 630; "Save recordings in" at q + 135 =
// y0 + 734, path at y0 + 734 + 19 + 2 = y0 + 755, 24 high: y = y0 + 779; buttons: y + 71 = y0 + 850 (y + 37 =
// y0 + 816 without them); "Rewind on resume" there, the check box 36 below, the mark row 64 below: label 19, row
// 19 + 36 = 55: the microphone label and list at y0 + 850 + 64 + 55 = y0 + 969, 58; the footer at y0 + 1027, 38
// high: bottom y0 + 1027 + 38 + 4 = y0 + 1069 (y0 + 1035 without the file buttons).
const int kBlockWithFiles = 1069, kBlockWithoutFiles = 1035;
const int kQ = 599;  // the top of the last slot's buttons

TEST(LayoutBlocks, NoPlayerSettingsClosedStacksMeterRecorderRowAndBottom) {
    Pass r = Layout(BaseInput());
    const Placement* it = r.out.items;
    EXPECT_TRUE(r.out.meter.shown);
    ExpectAt(it[kItemRecord], 30, 238, 77, 36);
    ExpectAt(it[kItemPlay], 0, 0, 1, 1, false);
    ExpectAt(it[kItemSeek], 0, 0, 1, 1, false);
    // The bottom region starts at T = 353: info text 38 high, the one wide file button at 353 + 38 + 4.
    ExpectAt(it[kItemDetail], 30, 353, 320, 38);
    ExpectAt(it[kItemPlayLocalFile], 30, 395, 320, 30);
    EXPECT_FALSE(it[kItemPlayRecording].visible);
    ExpectAt(it[kItemTranscribe], 30, 353 + 38 + 40, 320, 56);    // 431
    ExpectAt(it[kItemShortcutBox], 30, 431 + 66, 320, 22 + 144);  // 497
    EXPECT_EQ(r.state.contentHeight, 497 + 22 + 152);             // 671
    EXPECT_FALSE(it[kItemContainer].visible);
    EXPECT_FALSE(it[kItemScrollBar].visible);
    EXPECT_FALSE(it[kItemReplace].visible);
    EXPECT_TRUE(r.out.resizeWindow);
    EXPECT_EQ(r.out.windowWidth, 380 + kFrameW);
    EXPECT_EQ(r.out.windowHeight, 671 + kFrameH);
}

TEST(LayoutBlocks, PlayerShownMovesRecorderRowAndSettingsDown) {
    LayoutInput in = BaseInput();
    in.playerLoaded = true;
    in.lastRecording = true;
    Pass r = Layout(in);
    const Placement* it = r.out.items;
    EXPECT_TRUE(it[kItemPlay].visible);
    EXPECT_FALSE(r.out.meter.shown);  // the player covers it
    // The recorder row moves down by the player block's 162: 238 + 162 = 400, Settings at 400 + 77.
    ExpectAt(it[kItemRecord], 30, 400, 77, 36);
    ExpectAt(it[kItemSettings], 30, 477, 150, 28);
    // T = 515; a last recording splits the file buttons in two.
    ExpectAt(it[kItemDetail], 30, 515, 320, 38);
    ExpectAt(it[kItemPlayLocalFile], 30, 557, 154, 30);
    ExpectAt(it[kItemPlayRecording], 196, 557, 154, 30);
    ExpectAt(it[kItemTranscribe], 30, 515 + 38 + 40, 320, 56);
}

TEST(LayoutBlocks, SettingsOpenPlacesTheBlockInsideTheContainerAndTheBottomBelowIt) {
    LayoutInput in = BaseInput();
    in.settingsOpen = true;
    in.lastRecording = true;
    Pass r = Layout(in);
    const Placement* it = r.out.items;
    EXPECT_FALSE(r.state.settingsScrollable);
    ExpectAt(it[kItemContainer], 0, 353, 354, kBlockWithFiles);
    // Inside the container, relative to T.
    ExpectAt(it[kItemReplace], 30, 0, 320, 22);
    ExpectAt(it[kItemOnTop], 30, 54, 320, 22);
    ExpectAt(it[kItemRecordHeading], 30, 82, 320, 21);
    ExpectAt(it[kItemRecordShortcutText], 30, 82 + 21 + 3, 145, 24);
    ExpectAt(it[kItemRecordChange], 180, 82 + 21 + 1, 75, 28);
    ExpectAt(it[kItemRecordNote], 30, 135, 320, 38);
    ExpectAt(it[kItemPlaybackHeading], 30, 135 + 38 + 3, 320, 44);
    ExpectAt(it[kItemSlotLabel + 0], 30, 222, 320, 19);
    ExpectAt(it[kItemSlotDefault + 3], 265, 222 + 3 * 51 + 20, 85, 28);
    ExpectAt(it[kItemSlotLabel + 4], 30, 222 + 4 * 51, 320, 19);         // "Slower" under "Forward 5 seconds"
    ExpectAt(it[kItemSlotDefault + 7], 265, 222 + 7 * 51 + 20, 85, 28);  // q = 599
    ExpectAt(it[kItemRewindLabel], 30, kQ + 35, 150, 20);
    ExpectAt(it[kItemRewind], 184, kQ + 31, 166, 28);
    ExpectAt(it[kItemQuality], 100, kQ + 67, 250, 28);
    ExpectAt(it[kItemWindowSize], 138, kQ + 101, 212, 28);
    ExpectAt(it[kItemSaveInLabel], 30, 734, 320, 19);
    ExpectAt(it[kItemFolder], 30, 755, 320, 24);
    ExpectAt(it[kItemChangeFolder], 30, 779 + 3, 170, 28);
    ExpectAt(it[kItemShowInFolder], 30, 779 + 37, 154, 28);
    ExpectAt(it[kItemConverter], 196, 779 + 37, 154, 28);
    ExpectAt(it[kItemResumeRewindLabel], 30, 850 + 4, 150, 20);
    ExpectAt(it[kItemResumeRewind], 184, 850, 166, 28);
    ExpectAt(it[kItemRememberPositions], 30, 850 + 36, 320, 22);
    ExpectAt(it[kItemMarkLabel], 30, 914, 320, 19);
    ExpectAt(it[kItemMarkShortcutText], 30, 914 + 19 + 3, 145, 24);
    ExpectAt(it[kItemMarkChange], 180, 914 + 19 + 1, 75, 28);
    ExpectAt(it[kItemMarkDefault], 265, 914 + 19 + 1, 85, 28);
    ExpectAt(it[kItemMicrophoneLabel], 30, 969, 320, 20);
    ExpectAt(it[kItemMicrophone], 30, 969 + 22, 320, 28);
    ExpectAt(it[kItemVersion], 30, 969 + 58, 320, 38);
    ExpectAt(it[kItemDetail], 30, 353 + kBlockWithFiles, 320, 38);
}

TEST(LayoutBlocks, RecordingDropsTheFileButtonsEverywhere) {
    LayoutInput in = BaseInput();
    in.settingsOpen = true;
    in.lastRecording = true;
    in.recording = true;
    in.playerLoaded = true;  // a loaded file is not shown while recording
    Pass r = Layout(in);
    const Placement* it = r.out.items;
    EXPECT_FALSE(it[kItemPlay].visible);
    ExpectAt(it[kItemRecord], 30, 238, 77, 36);
    ExpectAt(it[kItemContainer], 0, 353, 354, kBlockWithoutFiles);
    EXPECT_FALSE(it[kItemShowInFolder].visible);
    EXPECT_FALSE(it[kItemConverter].visible);
    ExpectAt(it[kItemResumeRewind], 184, 779 + 37, 166, 28);  // moves up into the buttons' place
    ExpectAt(it[kItemMicrophone], 30, 779 + 37 + 64 + 55 + 22, 320, 28);
    ExpectAt(it[kItemVersion], 30, 779 + 37 + 64 + 55 + 58, 320, 38);
    int y = 353 + kBlockWithoutFiles;
    EXPECT_FALSE(it[kItemPlayLocalFile].visible);
    EXPECT_FALSE(it[kItemPlayRecording].visible);
    ExpectAt(it[kItemTranscribe], 30, y + 38 + 4, 320, 56);  // no file-button row
}

TEST(LayoutCentring, AWiderWindowMovesEveryColumnControlButNotTheStrip) {
    LayoutInput in = BaseInput();
    in.maximised = true;
    in.clientWidth = 500;
    Pass r = Layout(in);
    EXPECT_EQ(r.state.centerOffset, 60);  // (500 - 380) / 2
    ExpectAt(r.out.items[kItemRecord], 30 + 60, 238, 77, 36);
    ExpectAt(r.out.items[kItemTime], 0 + 60, 58, 380, 88);
    ExpectAt(r.out.items[kItemMiniToggle], 262 + 60, 13, 102, 26);
    EXPECT_FALSE(r.out.resizeWindow);  // a maximised window keeps its size

    in.maximised = false;
    in.clientWidth = 381;  // (381 - 380) / 2 rounds down to 0
    EXPECT_EQ(Layout(in).state.centerOffset, 0);

    // The panel keeps the column at the left; the strip stays at 380 whatever the width.
    in.panelOpen = true;
    in.clientWidth = 900;
    PanelStripPlacement wide = panelStripFor(in, layoutState, 900, 700);
    PanelStripPlacement wider = panelStripFor(in, layoutState, 1300, 700);
    EXPECT_EQ(centerOffsetFor(in, 900), 0);
    EXPECT_EQ(wide.x, 380);
    EXPECT_EQ(wider.x, 380);
    EXPECT_EQ(wide.panelX, 420);
    EXPECT_EQ(wide.panelW, 900 - 420);
    EXPECT_EQ(wider.panelW, 1300 - 420);
}

TEST(LayoutCentring, SizeChangesRelayoutOnlyWhenTheOffsetChanges) {
    LayoutInput in = BaseInput();
    LayoutState s = layoutInitialState();
    in.clientWidth = 420;  // offset 20, was 0
    EXPECT_TRUE(sizeChangeMovesColumn(in, s));
    s.centerOffset = 20;
    in.clientWidth = 421;  // still (421 - 380) / 2 = 20
    EXPECT_FALSE(sizeChangeMovesColumn(in, s));
    in.miniMode = true;  // mini mode never centres
    EXPECT_TRUE(sizeChangeMovesColumn(in, s));
}

// A work area 700 high: available A = trunc((700 - 39) / 1) = 661 < B + the bottom region, so the block scrolls in a
// view of max(120, 661 - 353 - 318 = -10) = 120. The bottom region is the info text 38, the file buttons' row 36,
// Transcribe 56 + 10 and the shortcut box 22 + 144 + 8: 318.
LayoutInput ShortScreen() {
    LayoutInput in = BaseInput();
    in.workArea = {0, 0, 1280, 700};
    in.settingsOpen = true;
    in.lastRecording = true;
    return in;
}

TEST(LayoutSettingsViewport, ATooShortScreenScrollsTheBlockInAtLeast120Units) {
    Pass r = Layout(ShortScreen());
    EXPECT_TRUE(r.state.settingsScrollable);
    EXPECT_EQ(r.state.settingsViewHeight, 120);
    EXPECT_EQ(r.state.settingsContentHeight, kBlockWithFiles);
    ExpectAt(r.out.items[kItemContainer], 0, 353, 354, 120);
    ExpectAt(r.out.items[kItemScrollBar], 356, 353, 18, 120);
    EXPECT_TRUE(r.out.setScrollBar);
    EXPECT_EQ(r.out.scrollRange, kBlockWithFiles);
    EXPECT_EQ(r.out.scrollPage, 120);
    ExpectAt(r.out.items[kItemDetail], 30, 353 + 120, 320, 38);

    // A taller screen gives a taller view, 1000 - 39 - 353 - 318 = 290, and the window fills its height exactly.
    LayoutInput taller = ShortScreen();
    taller.workArea.bottom = 1000;
    Pass tall = Layout(taller);
    EXPECT_EQ(tall.state.settingsViewHeight, 290);
    EXPECT_EQ(tall.out.windowHeight, 1000);

    // Scrolling keeps the window's size; the view, and so the shortcut box's bottom, stay where they were.
    LayoutInput kept = taller;
    kept.clientHeight = tall.out.windowHeight - kFrameH;
    tall.state.keepWindowSize = true;
    ASSERT_TRUE(settingsScrollTo(&tall.state, 48));
    Pass scrolled = Layout(kept, tall.state);
    EXPECT_EQ(scrolled.state.settingsViewHeight, 290);
    const Placement& box = scrolled.out.items[kItemShortcutBox];
    EXPECT_EQ(box.y + box.h, 1000 - kFrameH - 8);
}

TEST(LayoutSettingsViewport, ScrollStepsAreThirtyViewMinusTwentyAndFortyEightAWheelNotch) {
    Pass r = Layout(ShortScreen());
    LayoutState& s = r.state;
    EXPECT_EQ(settingsScrollForCode(s, 1, 0, 0), 30);           // line down
    EXPECT_EQ(settingsScrollForCode(s, 0, 90, 0), 60);          // line up
    EXPECT_EQ(settingsScrollForCode(s, 3, 0, 0), 120 - 20);     // page down
    EXPECT_EQ(settingsScrollForCode(s, 2, 200, 0), 200 - 100);  // page up
    EXPECT_EQ(settingsScrollForCode(s, 5, 10, 77), 77);         // thumb track
    EXPECT_EQ(settingsScrollForCode(s, 6, 300, 0), 0);          // top
    EXPECT_EQ(settingsScrollForCode(s, 7, 0, 0), kBlockWithFiles);
    EXPECT_EQ(settingsScrollForCode(s, 8, 42, 0), 42);  // end of scroll keeps the position

    ASSERT_TRUE(settingsScrollTo(&s, 100));
    EXPECT_EQ(settingsScrollForWheel(&s, -120), 148);  // one notch down: 100 + 48
    EXPECT_EQ(settingsScrollForWheel(&s, 240), 4);     // two notches up: 100 - 96
    EXPECT_FALSE(settingsScrollTo(&s, 100));           // unchanged: no pass

    // The scrolled controls move up inside the container by exactly the scroll: -100 + 0.5 rounds down to -100.
    s.keepWindowSize = true;
    LayoutInput in = ShortScreen();
    in.clientHeight = 661;  // kept size: A = trunc(661 / 1 + 0.5)
    Pass scrolled = Layout(in, s);
    ExpectAt(scrolled.out.items[kItemReplace], 30, -100, 320, 22);
    EXPECT_EQ(scrolled.out.scrollPos, 100);
    EXPECT_FALSE(scrolled.out.resizeWindow);
}

TEST(LayoutSettingsViewport, PositionIsClampedToTheEndAndStaysThereWhenTheBlockShrinks) {
    Pass r = Layout(ShortScreen());
    LayoutState& s = r.state;
    EXPECT_TRUE(settingsScrollTo(&s, 100000));
    EXPECT_EQ(s.settingsScrollPos, kBlockWithFiles - 120);
    EXPECT_TRUE(settingsScrollTo(&s, -5));
    EXPECT_EQ(s.settingsScrollPos, 0);
    settingsScrollTo(&s, kBlockWithFiles);

    // Recording starts: the file buttons go, the block is 34 shorter and the position follows the new maximum.
    LayoutInput in = ShortScreen();
    in.recording = true;
    Pass after = Layout(in, s);
    EXPECT_EQ(after.state.settingsContentHeight, kBlockWithoutFiles);
    EXPECT_EQ(after.state.settingsScrollPos, kBlockWithoutFiles - 120);

    // Not scrollable: nothing moves.
    LayoutState plain = layoutInitialState();
    EXPECT_FALSE(settingsScrollTo(&plain, 30));
}

TEST(LayoutWorkArea, TheWindowIsMovedBackOntoItsMonitor) {
    LayoutInput in = BaseInput();
    in.windowRect = {2400, 1400, 2400 + 396, 1400 + 559};
    Pass r = Layout(in);
    ASSERT_TRUE(r.out.moveWindow);
    EXPECT_EQ(r.out.windowX, 2560 - (380 + kFrameW));  // right edge on the work area's right
    EXPECT_EQ(r.out.windowY, 2000 - (671 + kFrameH));  // bottom on its bottom

    in.windowRect = {-50, -20, 346, 539};
    r = Layout(in);
    ASSERT_TRUE(r.out.moveWindow);
    EXPECT_EQ(r.out.windowX, 0);
    EXPECT_EQ(r.out.windowY, 0);

    in.windowRect = {100, 100, 496, 810};
    EXPECT_FALSE(Layout(in).out.moveWindow);

    // The minimum tracking height never exceeds the work area: 671 + 39 = 710 cut to 700.
    in.workArea = {0, 0, 1280, 700};
    Pass content = Layout(in);
    int w = 0, h = 0;
    minimumTrackSize(in, content.state, &w, &h);
    EXPECT_EQ(w, 380 + kFrameW);
    EXPECT_EQ(h, 700);
    in.panelOpen = true;
    minimumTrackSize(in, content.state, &w, &h);
    EXPECT_EQ(w, 780 + kFrameW);
    in.recorderHidden = true;
    minimumTrackSize(in, content.state, &w, &h);
    EXPECT_EQ(w, 400 + kFrameW);
}

TEST(LayoutWorkArea, RememberedHeightAndForcedWidthSizeTheWindow) {
    LayoutInput in = BaseInput();
    LayoutState s = layoutInitialState();
    s.rememberedHeight = 900;
    s.forcedWidth = 860;
    Pass r = Layout(in, s);
    EXPECT_EQ(r.out.windowWidth, 860 + kFrameW);
    EXPECT_EQ(r.out.windowHeight, 900 + kFrameH);
    EXPECT_EQ(rememberedHeightFor(1.5, 1000), 667);  // 1000 / 1.5 + 0.5 = 667.17
}

TEST(LayoutMeasuredTexts, ALongFolderPathPushesEverythingBelowItDown) {
    LayoutInput in = BaseInput();
    in.settingsOpen = true;
    Pass shortPath = Layout(in);
    in.textHeight[kTextFolder] = 17 * 3;  // three lines: 51 + 4 = 55 units instead of the minimum 24
    Pass longPath = Layout(in);
    const int extra = 55 - 24;
    EXPECT_EQ(longPath.out.items[kItemFolder].h, 55);
    EXPECT_EQ(longPath.out.items[kItemChangeFolder].y, shortPath.out.items[kItemChangeFolder].y + extra);
    EXPECT_EQ(longPath.out.items[kItemVersion].y, shortPath.out.items[kItemVersion].y + extra);
    EXPECT_EQ(longPath.out.items[kItemContainer].h, shortPath.out.items[kItemContainer].h + extra);
    EXPECT_EQ(longPath.out.items[kItemDetail].y, shortPath.out.items[kItemDetail].y + extra);
    EXPECT_EQ(longPath.out.items[kItemTranscribe].y, shortPath.out.items[kItemTranscribe].y + extra);
    EXPECT_EQ(longPath.out.items[kItemQuality].y, shortPath.out.items[kItemQuality].y);  // above the path
}

TEST(LayoutMeasuredTexts, MeasuredHeightsRoundUpAndKeepTheirMinimum) {
    EXPECT_EQ(measuredHeight(1.0, 34, 38), 38);    // 34 + 4
    EXPECT_EQ(measuredHeight(1.0, 40, 38), 44);    // 40 + 4
    EXPECT_EQ(measuredHeight(1.5, 50, 18), 38);    // trunc(33.33 + 0.99) + 4 = 34 + 4
    EXPECT_EQ(measuredHeight(2.25, 18, 20), 20);   // trunc(8 + 0.99) + 4 = 12, below 20
    EXPECT_EQ(measuredHeight(1.25, 100, 18), 84);  // trunc(80 + 0.99) + 4 = 84
}

TEST(LayoutMini, NoPlayerIs380By290AndHidesFromTheFileNameRowDown) {
    LayoutInput in = BaseInput();
    in.miniMode = true;
    in.settingsOpen = true;
    Pass r = Layout(in);
    EXPECT_EQ(r.state.miniCutoffY, 278);
    EXPECT_EQ(r.state.contentHeight, 290);
    EXPECT_EQ(r.out.windowWidth, 380 + kFrameW);
    EXPECT_EQ(r.out.windowHeight, 290 + kFrameH);
    EXPECT_TRUE(r.out.items[kItemRecord].visible);  // 238 is above the cut-off
    EXPECT_TRUE(r.out.items[kItemStatus].visible);
    EXPECT_TRUE(r.out.items[kItemMiniToggle].visible);
    EXPECT_FALSE(r.out.items[kItemFileNameLabel].visible);  // 283 is at or below it
    EXPECT_FALSE(r.out.items[kItemSettings].visible);
    EXPECT_FALSE(r.out.items[kItemContainer].visible);
    EXPECT_FALSE(r.out.items[kItemTranscribe].visible);
    EXPECT_FALSE(r.state.settingsScrollable);
    EXPECT_TRUE(r.out.meter.shown);  // above the cut-off

    // A remembered height does not stretch the mini window.
    LayoutState s = layoutInitialState();
    s.rememberedHeight = 900;
    EXPECT_EQ(Layout(in, s).out.windowHeight, 290 + kFrameH);
}

TEST(LayoutMini, WithThePlayerIs380By400AndHidesFromTheRecorderRowDown) {
    LayoutInput in = BaseInput();
    in.miniMode = true;
    in.playerLoaded = true;
    in.clientWidth = 700;  // mini mode lays out 380 wide and never centres
    Pass r = Layout(in);
    EXPECT_EQ(r.state.miniCutoffY, 400);
    EXPECT_EQ(r.state.centerOffset, 0);
    EXPECT_EQ(r.out.windowWidth, 380 + kFrameW);
    EXPECT_EQ(r.out.windowHeight, 400 + kFrameH);
    EXPECT_TRUE(r.out.items[kItemPlay].visible);
    EXPECT_TRUE(r.out.items[kItemStatus].visible);   // 372
    EXPECT_FALSE(r.out.items[kItemRecord].visible);  // 400
}

TEST(LayoutZoom, OneHundredFiftyPercentAt144DpiMakesRecord173By81) {
    double scale = zoomScale(144 / 96.0, zoomPercentForRow(10));
    EXPECT_DOUBLE_EQ(scale, 2.25);  // 150 × 1.5 / 100
    LayoutInput in = BaseInput();
    in.uiScale = scale;
    in.clientWidth = 855;  // 380 × 2.25
    Pass r = Layout(in);
    // 30 × 2.25 + 0.5 = 68; 238 × 2.25 + 0.5 = 536; 77 × 2.25 + 0.5 = 173; 36 × 2.25 + 0.5 = 81
    ExpectAt(r.out.items[kItemRecord], 68, 536, 173, 81);
    EXPECT_EQ(r.out.windowWidth, 855 + kFrameW);
    // Heights measured at 2.25: the info text 76 device pixels high needs trunc(33.78 + 0.99) + 4 = 38 units.
    in.textHeight[kTextDetail] = 76;
    EXPECT_EQ(Layout(in).out.items[kItemDetail].h, scaleAt(2.25, 38));
}

// The meter and the shortcut box at 2.25 (150 % at 144 DPI), every length scaled on its own.
TEST(LayoutZoom, TheMeterAndTheShortcutRowsScaleLengthByLength) {
    LayoutInput in = BaseInput();
    in.uiScale = 2.25;
    in.clientWidth = 855;
    in.textHeight[kTextShortcutHeading] = 38;
    Pass r = Layout(in);
    const MeterPlacement& m = r.out.meter;
    // 30 × 2.25 + 0.5 = 68; 172 × 2.25 + 0.5 = 387.5; 350 × 2.25 + 0.5 = 788; 224 × 2.25 + 0.5 = 504.5
    EXPECT_EQ(m.band.left, 68);
    EXPECT_EQ(m.band.top, 387);
    EXPECT_EQ(m.band.right, 788);
    EXPECT_EQ(m.band.bottom, 504);
    EXPECT_EQ(m.w, 720);       // 320 × 2.25 + 0.5 = 720.5
    EXPECT_EQ(m.h, 117);       // 52 × 2.25 + 0.5 = 117.5
    EXPECT_EQ(m.barWidth, 7);  // 3 × 2.25 + 0.5 = 7.25
    EXPECT_EQ(m.barGap, 9);    // 4 × 2.25 + 0.5 = 9.5
    EXPECT_EQ(m.barUnit, 77);  // 34 × 2.25 + 0.5 = 77
    EXPECT_EQ(m.corner, 41);   // 18 × 2.25 + 0.5 = 41

    const ShortcutBoxPlacement& box = r.out.shortcutBox;
    // The heading: 4 × 2.25 + 0.5 = 9, + 38 measured = 47, above the minimum 20 × 2.25 + 0.5 = 45.
    EXPECT_EQ(box.heading.bottom, 47);
    EXPECT_EQ(box.heading.right, 720);
    // Row 0 from 47 + (6 × 2.25 + 0.5 = 14) = 61, 22 × 2.25 + 0.5 = 50 high; row 3 three pitches of
    // 28 × 2.25 + 0.5 = 63 further down: 61 + 189 = 250.
    EXPECT_EQ(box.rows[0].badge.top, 61);
    EXPECT_EQ(box.rows[0].badge.bottom, 111);
    EXPECT_EQ(box.rows[3].badge.top, 250);
    EXPECT_EQ(box.rows[3].badge.right, 207);     // 92 × 2.25 + 0.5 = 207.5
    EXPECT_EQ(box.rows[3].label.left, 54);       // 24 × 2.25 + 0.5 = 54.5
    EXPECT_EQ(box.rows[3].label.right, 198);     // 207 - (4 × 2.25 + 0.5 = 9)
    EXPECT_EQ(box.rows[3].text.left, 212);       // 207 + (2 × 2.25 + 0.5 = 5)
    EXPECT_EQ(box.rows[3].iconX, 29);            // 13 × 2.25 + 0.5 = 29.75
    EXPECT_EQ(box.rows[3].iconSize, 20);         // 9 × 2.25 + 0.5 = 20.75
    EXPECT_EQ(box.footer.top, 61 + 4 * 63 + 5);  // 318
    EXPECT_EQ(box.footer.bottom, 318 + 50 - 5);
    // The box is trunc(47 / 2.25 + 0.99) = 21 units of heading + 144: 165 × 2.25 + 0.5 = 371, the footer inside.
    EXPECT_EQ(r.out.items[kItemShortcutBox].h, 371);
}

TEST(LayoutZoom, RowsOutsideTheTableAreIgnored) {
    EXPECT_EQ(zoomPercentForRow(10), 150);  // the last row
    EXPECT_EQ(zoomPercentForRow(11), -1);
    EXPECT_EQ(zoomPercentForRow(-1), -1);  // no selection
    EXPECT_DOUBLE_EQ(zoomScale(1.0, 50), 0.5);
    EXPECT_EQ(scaleAt(0.5, 77), 39);  // 38.5 + 0.5
}

TEST(LayoutPanel, TheCollapsedColumnHidesEveryColumnControl) {
    LayoutInput in = BaseInput();
    in.panelOpen = true;
    in.recorderHidden = true;
    Pass r = Layout(in);
    EXPECT_TRUE(r.state.recorderCollapsed);
    EXPECT_FALSE(r.out.items[kItemRecord].visible);
    EXPECT_FALSE(r.out.items[kItemTime].visible);
    EXPECT_EQ(r.state.contentHeight, 680);  // at least 680 with the panel open
    PanelStripPlacement strip = panelStripFor(in, r.state, 1000, 20);
    EXPECT_EQ(strip.x, 0);
    EXPECT_EQ(strip.panelX, 40);
    EXPECT_EQ(strip.panelH, 40);  // never lower than 40 device pixels
    in.panelOpen = false;
    EXPECT_FALSE(panelStripFor(in, r.state, 1000, 700).shown);
}

}  // namespace

// A precision touchpad's small deltas scroll in proportion, 48 units per 120 with the remainders kept, so a swipe of
// many small deltas scrolls as far as the notches it adds up to; a turn the other way starts afresh.
TEST(LayoutSettingsViewport, SmallWheelDeltasAddUpInsteadOfBeingLost) {
    Pass r = Layout(ShortScreen());
    LayoutState& s = r.state;
    ASSERT_TRUE(settingsScrollTo(&s, 300));
    int moved = 0;
    for (int i = 0; i < 12; ++i) {  // twelve deltas of -10: one notch in all
        int target = settingsScrollForWheel(&s, -10);
        moved += target - s.settingsScrollPos;
        settingsScrollTo(&s, target);
    }
    EXPECT_EQ(moved, 48);
    EXPECT_EQ(s.settingsScrollPos, 348);
    EXPECT_EQ(s.wheelRemainder, 0);
    // 119 of a notch is 47.6 units: 47 now, the rest carried into the next delta.
    EXPECT_EQ(settingsScrollForWheel(&s, -119), 348 + 47);
    settingsScrollTo(&s, 348 + 47);
    EXPECT_EQ(settingsScrollForWheel(&s, -1), 348 + 48);
    // Turning back drops what was left of the other direction.
    int rest = 0;
    EXPECT_EQ(wheelNotches(&rest, -60, 1), 0);
    EXPECT_EQ(wheelNotches(&rest, 60, 1), 0);
    EXPECT_EQ(wheelNotches(&rest, 60, 1), 1);
    EXPECT_EQ(wheelNotches(&rest, -360, 1), -3);
}

// The same state lays out the same: the pass that sizes the window and the scroll passes after it, which take the
// window as the system made it, give the view the same height, and a line down moves the block by exactly 30. A
// remembered height taller than the screen used to make the window taller than the work area, the system cut it to a
// height of its own, and the view grew at the first scroll. On a screen too short even for the smallest view the
// system cuts the window whatever the pass asks (Wine: to the screen's height + 12), and the view stays at 120.
TEST(LayoutSettingsViewport, TheFirstScrollLaysOutAsTheOpeningPassDid) {
    struct Case {
        int workBottom, remembered, grantedClient;  // 0: the client the pass asked for
    } cases[] = {{1000, 0, 0}, {1000, 1100, 0}, {800, 0, 785}, {800, 1100, 785}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.workBottom << " " << c.remembered);
        LayoutInput in = ShortScreen();
        in.workArea = {0, 0, 1280, c.workBottom};
        LayoutState start = layoutInitialState();
        start.rememberedHeight = c.remembered;
        Pass opened = Layout(in, start);
        ASSERT_TRUE(opened.state.settingsScrollable);
        if (c.grantedClient == 0) {
            EXPECT_LE(opened.out.windowHeight, c.workBottom);
        }
        LayoutInput kept = in;
        kept.clientHeight = c.grantedClient ? c.grantedClient : opened.out.windowHeight - kFrameH;
        int replaceY = opened.out.items[kItemReplace].y;
        LayoutState s = opened.state;
        s.keepWindowSize = true;
        ASSERT_TRUE(settingsScrollTo(&s, settingsScrollForCode(s, 1, 0, 0)));
        Pass down = Layout(kept, s);
        EXPECT_EQ(down.state.settingsViewHeight, opened.state.settingsViewHeight);
        EXPECT_EQ(down.out.items[kItemContainer].h, opened.out.items[kItemContainer].h);
        EXPECT_EQ(down.out.items[kItemReplace].y, replaceY - 30);
        ASSERT_TRUE(settingsScrollTo(&down.state, settingsScrollForCode(down.state, 3, 30, 0)));
        Pass page = Layout(kept, down.state);
        EXPECT_EQ(page.out.items[kItemReplace].y, replaceY - 30 - (opened.state.settingsViewHeight - 20));
    }
}

// Under the desktop compositor a window's rectangle reaches about 7 pixels past what is seen of it left, right and
// below. The clamp keeps the visible part on the work area: a window flush against the right edge or snapped to the
// bottom stays put at every pass instead of creeping inward, and one past the edge is pulled to where it is flush.
TEST(LayoutWindowPlacement, TheClampKeepsTheVisiblePartOnTheWorkArea) {
    LayoutInput in = BaseInput();
    in.workArea = {0, 0, 1920, 1040};
    in.hiddenFrame = {7, 0, 7, 7};
    Pass sized = Layout(in);
    const int w = sized.out.windowWidth, h = sized.out.windowHeight;
    struct Case {
        int left, top;
        bool moves;
        int x, y;
    } cases[] = {
        {1920 - w + 7, 100, false, 0, 0},  // visible right edge on the work area's right edge
        {-7, 1040 - h + 7, false, 0, 0},   // snapped bottom left
        {1920 - w + 20, 100, true, 1920 - w + 7, 100},
        {-30, -5, true, -7, 0},  // no hidden border at the top: the caption stays reachable
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.left << "," << c.top);
        in.windowRect = {c.left, c.top, c.left + w, c.top + h};
        int x = 0, y = 0;
        EXPECT_EQ(windowOnWorkArea(in, w, h, &x, &y), c.moves);
        if (c.moves) {
            EXPECT_EQ(x, c.x);
            EXPECT_EQ(y, c.y);
        }
        Pass r = Layout(in);
        EXPECT_EQ(r.out.moveWindow, c.moves);
    }
    // Where the system draws no hidden borders (as under Wine), the rectangle is what is seen.
    in.hiddenFrame = {};
    in.windowRect = {1920 - w + 7, 100, 1920 + 7, 100 + h};
    int x = 0, y = 0;
    ASSERT_TRUE(windowOnWorkArea(in, w, h, &x, &y));
    EXPECT_EQ(x, 1920 - w);
}

// A pass during a drag (a DPI change as the window crosses to another monitor) sizes the window but leaves it where
// the drag has it; the end of the drag then brings it onto its work area once.
TEST(LayoutWindowPlacement, NoClampWhileTheUserDragsOnlyAtTheEnd) {
    LayoutInput in = BaseInput();
    in.workArea = {0, 0, 1280, 1000};
    in.windowRect = {1100, 100, 1100 + 396, 100 + 559};
    in.inSizeMove = true;
    Pass during = Layout(in);
    EXPECT_TRUE(during.out.resizeWindow);
    EXPECT_FALSE(during.out.moveWindow);
    EXPECT_TRUE(during.state.clampAfterSizeMove);
    in.inSizeMove = false;
    int x = 0, y = 0;
    ASSERT_TRUE(clampAtSizeMoveEnd(in, &during.state, &x, &y));
    EXPECT_EQ(x, 1280 - 396);
    EXPECT_EQ(y, 100);
    EXPECT_FALSE(during.state.clampAfterSizeMove);
    EXPECT_FALSE(clampAtSizeMoveEnd(in, &during.state, &x, &y));  // once
    // A drag with no pass in it is the user's to end where they like.
    LayoutState quiet = layoutInitialState();
    EXPECT_FALSE(clampAtSizeMoveEnd(in, &quiet, &x, &y));
}

// The size the window is told to take at a new DPI (WM_GETDPISCALEDSIZE) is the one the pass at that scale gives it,
// so the system's suggested rectangle and the pass agree and nothing jumps.
TEST(LayoutWindowPlacement, TheSizeAtANewScaleIsThePassesOwn) {
    for (bool settings : {false, true}) {
        LayoutInput in = BaseInput();
        in.settingsOpen = settings;
        in.workArea = {0, 0, 2560, 1600};
        Pass now = Layout(in);
        LayoutInput at150 = in;
        at150.uiScale = 1.5;
        at150.frameWidth = 24;
        at150.frameHeight = 58;
        for (int& t : at150.textHeight) t = t * 3 / 2;
        LayoutState s = now.state;
        s.forcedWidth = minimumColumnWidth(in);
        Pass then = Layout(at150, s);
        int w = 0, h = 0;
        windowSizeAtScale(in, now.state, 1.5, 24, 58, &w, &h);
        EXPECT_EQ(w, then.out.windowWidth);
        EXPECT_NEAR(h, then.out.windowHeight, 2);  // text measured at the new size may round a pixel apart
    }
}
