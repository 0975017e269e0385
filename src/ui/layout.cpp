// The layout pass. The window is one column kColumnWidth units wide: logo bar, timer and status, then either the level
// meter or the player block, the recorder row, the settings block (measured first, then placed, scrolled in a viewport
// when the screen is too short for it) and a bottom region sized by its measured texts. All geometry here is in layout
// units and turned into device pixels only where a control is placed.
#include "ui/layout.h"

#include <math.h>
#include <stdint.h>

#include "settings/settings_values.h"

#define NOTAFON_KEY_Column(key) key,
#define NOTAFON_KEY_Strip(key)
#define NOTAFON_KEY_Page(key)
#define NOTAFON_PAGE_KEY_Column(key)
#define NOTAFON_PAGE_KEY_Strip(key)
#define NOTAFON_PAGE_KEY_Page(key) key,
#define NOTAFON_PAGE_SLOT_KEYS_Page(key) key + 0, key + 1, key + 2, key + 3, key + 4, key + 5, key + 6, key + 7,
#define NOTAFON_COLUMN_KEY(item, key, value, created, cls, st, ex, caption, font, paint, place) NOTAFON_KEY_##place(key)
#define NOTAFON_PAGE_KEY(item, key, value, created, cls, st, ex, caption, font, paint, place) \
    NOTAFON_PAGE_KEY_##place(key)
#define NOTAFON_PAGE_SLOT_KEYS(item, key, value, created, cls, st, ex, caption, font, paint, place) \
    NOTAFON_PAGE_SLOT_KEYS_##place(key)
#define NOTAFON_NO_KEY(...)
static_assert(kControlSlotCount == 8, "a slot row's keys are written out for eight slots");
const int kLayoutItemKeys[kItemCount] = {
    NOTAFON_CONTROLS(NOTAFON_COLUMN_KEY, NOTAFON_NO_KEY)  //
    kKeySettingsContainer,
    NOTAFON_CONTROLS(NOTAFON_PAGE_KEY, NOTAFON_PAGE_SLOT_KEYS)  //
};
#undef NOTAFON_NO_KEY
#undef NOTAFON_PAGE_SLOT_KEYS
#undef NOTAFON_PAGE_KEY
#undef NOTAFON_COLUMN_KEY
#undef NOTAFON_PAGE_SLOT_KEYS_Page
#undef NOTAFON_PAGE_KEY_Page
#undef NOTAFON_PAGE_KEY_Strip
#undef NOTAFON_PAGE_KEY_Column
#undef NOTAFON_KEY_Page
#undef NOTAFON_KEY_Strip
#undef NOTAFON_KEY_Column

LayoutState layoutState = layoutInitialState();

namespace {

const int kNoCutoff = 100000;

// The column's fixed rows. Without a file the level meter sits under the status line; a loaded file puts the player
// block there instead, which pushes the recorder row and everything under it down by 162.
const int kTimeTop = 58, kTimeHeight = 88;
const int kStatusTop = 146, kStatusTopUnderPlayer = 372, kStatusHeight = 20;
const int kMeterLeft = 30, kMeterTop = 172, kMeterWidth = 320, kMeterHeight = 52;
const int kMeterCorner = 18, kMeterBarWidth = 3, kMeterBarGap = 4, kMeterBarUnit = 34;
const int kRecorderRow = 238, kRecorderRowUnderPlayer = 400;
// The settings block (or the bottom region when it is closed) starts under the recorder row's Settings button.
const int kSettingsBelowRecorderRow = 115;
// Mini mode keeps the rows above these cut-offs and is this high.
const int kMiniCutoff = 278, kMiniCutoffUnderPlayer = 400;
const int kMiniHeight = 290, kMiniHeightUnderPlayer = 400;
// The settings block's container and the scroll bar beside it when the block scrolls.
const int kContainerWidth = 354, kScrollBarLeft = 356, kScrollBarWidth = 18, kMinimumSettingsView = 120;
// With the panel open the window is at least this high, so the panel has room.
const int kPanelContentHeight = 680;
const int kPanelColumnWidth = 780, kPanelStripOnlyWidth = 400, kPanelStripWidth = 40;
// The shortcut box: its heading at least 20 high, then four rows 28 apart with badges 22 high, and a footer.
const int kShortcutHeadingMinimum = 20, kShortcutRowsGap = 6, kShortcutRowPitch = 28, kShortcutRowHeight = 22;
const int kShortcutBadgeWidth = 92, kShortcutIconX = 13, kShortcutIconSize = 9, kShortcutLabelLeft = 24;

struct Pass {
    const LayoutInput* in;
    LayoutState* state;
    LayoutResult* out;
    bool measureOnly;  // placing a settings control does nothing
};

int Px(const Pass& p, double v) {
    return scaleAt(p.in->uiScale, v);
}

bool PlayerShown(const LayoutInput& in) {
    return !in.recording && in.playerLoaded;
}

bool FileButtonsShown(const LayoutInput& in) {
    return !in.recording && in.lastRecording;
}

void PlaceColumn(const Pass& p, int item, int x, int y, int w, int h, bool visible) {
    if (p.state->recorderCollapsed || (p.in->miniMode && y >= p.state->miniCutoffY)) visible = false;
    p.out->items[item] = Placement{Px(p, x + p.state->centerOffset), Px(p, y), Px(p, w), Px(p, h), visible, true};
}

void PlaceSetting(const Pass& p, int item, int x, int y, int w, int h, bool visible = true) {
    if (p.measureOnly) return;
    int top = y - p.state->settingsTop - p.state->settingsScrollPos;
    p.out->items[item] = Placement{Px(p, x), Px(p, top), Px(p, w), Px(p, h), visible, true};
}

void Hide(const Pass& p, int item) {
    p.out->items[item] = Placement{0, 0, 0, 0, false, false};
}

int Measure(const Pass& p, int text, int minHeight) {
    return measuredHeight(p.in->uiScale, p.in->textHeight[text], minHeight);
}

// Places (or, while measuring, only walks) the settings block from y0; returns its bottom.
int PlaceSettingsBlock(const Pass& p, int y0) {
    PlaceSetting(p, kItemReplace, 30, y0, 320, 22);
    PlaceSetting(p, kItemSkipSilence, 30, y0 + 27, 320, 22);
    PlaceSetting(p, kItemOnTop, 30, y0 + 54, 320, 22);

    int recordHeading = Measure(p, kTextRecordHeading, 18);
    PlaceSetting(p, kItemRecordHeading, 30, y0 + 82, 320, recordHeading);
    PlaceSetting(p, kItemRecordShortcutText, 30, y0 + 82 + recordHeading + 3, 145, 24);
    PlaceSetting(p, kItemRecordChange, 180, y0 + 82 + recordHeading + 1, 75, 28);
    PlaceSetting(p, kItemRecordDefault, 265, y0 + 82 + recordHeading + 1, 85, 28);

    int y = y0 + 82 + recordHeading + 32;
    int recordNote = Measure(p, kTextRecordNote, 20);
    PlaceSetting(p, kItemRecordNote, 30, y, 320, recordNote);
    int playbackHeading = Measure(p, kTextPlaybackHeading, 18);
    PlaceSetting(p, kItemPlaybackHeading, 30, y + recordNote + 3, 320, playbackHeading);
    y = y + recordNote + 3 + playbackHeading + 2;

    // The rows under the slots hang from the top of the last slot's buttons.
    int lastSlotButtons = y;
    for (int slot = 0; slot < kControlSlotCount; ++slot) {
        int slotLabel = Measure(p, kTextSlotLabel + slot, 18);
        PlaceSetting(p, kItemSlotLabel + slot, 30, y, 320, slotLabel);
        PlaceSetting(p, kItemSlotText + slot, 30, y + slotLabel + 3, 145, 24);
        PlaceSetting(p, kItemSlotChange + slot, 180, y + slotLabel + 1, 75, 28);
        PlaceSetting(p, kItemSlotDefault + slot, 265, y + slotLabel + 1, 85, 28);
        lastSlotButtons = y + slotLabel + 1;
        y = y + slotLabel + 32;
    }

    int q = lastSlotButtons;
    PlaceSetting(p, kItemRewindLabel, 30, q + 35, 150, 20);
    PlaceSetting(p, kItemRewind, 184, y, 166, 28);  // y is q + 31 here
    PlaceSetting(p, kItemQualityLabel, 30, q + 71, 68, 20);
    PlaceSetting(p, kItemQuality, 100, q + 67, 250, 28);
    PlaceSetting(p, kItemWindowSizeLabel, 30, q + 105, 104, 20);
    PlaceSetting(p, kItemWindowSize, 138, q + 101, 212, 28);

    int saveIn = Measure(p, kTextSaveIn, 18);
    PlaceSetting(p, kItemSaveInLabel, 30, q + 135, 320, saveIn);
    y = q + 135 + saveIn + 2;
    int folder = Measure(p, kTextFolder, 24);
    PlaceSetting(p, kItemFolder, 30, y, 320, folder);
    y = y + folder;

    bool fileButtons = FileButtonsShown(*p.in);
    PlaceSetting(p, kItemChangeFolder, 30, y + 3, 170, 28);
    PlaceSetting(p, kItemShowInFolder, 30, y + 37, 154, 28, fileButtons);
    PlaceSetting(p, kItemConverter, 196, y + 37, 154, 28, fileButtons);

    y = fileButtons ? y + 71 : y + 37;
    // The transcription rows: the list's label centred on the list as the rewind amount's is, the check box, then
    // the mark shortcut laid out as a slot row.
    PlaceSetting(p, kItemResumeRewindLabel, 30, y + 4, 150, 20);
    PlaceSetting(p, kItemResumeRewind, 184, y, 166, 28);
    PlaceSetting(p, kItemRememberPositions, 30, y + 36, 320, 22);
    y += 64;
    int markLabel = Measure(p, kTextMarkLabel, 18);
    PlaceSetting(p, kItemMarkLabel, 30, y, 320, markLabel);
    PlaceSetting(p, kItemMarkShortcutText, 30, y + markLabel + 3, 145, 24);
    PlaceSetting(p, kItemMarkChange, 180, y + markLabel + 1, 75, 28);
    PlaceSetting(p, kItemMarkDefault, 265, y + markLabel + 1, 85, 28);
    y = y + markLabel + 36;
    // The list has the column's whole width under its label: a device name runs to 31 characters, and a missing one's
    // row says so before the name.
    PlaceSetting(p, kItemMicrophoneLabel, 30, y, 320, 20);
    PlaceSetting(p, kItemMicrophone, 30, y + 22, 320, 28);
    y = y + 58;
    int version = Measure(p, kTextVersion, 30);
    PlaceSetting(p, kItemVersion, 30, y, 320, version);
    return y + version + 4;
}

void PlacePlayerBlock(const Pass& p) {
    const LayoutInput& in = *p.in;
    PlaceColumn(p, kItemTime, 0, kTimeTop, kColumnWidth, kTimeHeight, true);
    if (PlayerShown(in)) {
        PlaceColumn(p, kItemLoadedName, 24, 148, 332, 18, true);
        PlaceColumn(p, kItemTimes, 24, 168, 332, 18, true);
        PlaceColumn(p, kItemSeek, 22, 190, 336, 28, true);
        PlaceColumn(p, kItemVolumeLabel, 30, 226, 150, 16, true);
        PlaceColumn(p, kItemSpeedLabel, 200, 226, 150, 16, true);
        PlaceColumn(p, kItemVolume, 24, 242, 160, 26, true);
        PlaceColumn(p, kItemSpeed, 196, 242, 160, 26, true);
        PlaceColumn(p, kItemStart, 22, 284, 62, 74, true);
        PlaceColumn(p, kItemBack, 90, 284, 62, 74, true);
        PlaceColumn(p, kItemPlay, 158, 274, 80, 90, true);
        // Wider than its circle (the same as Back's, around the same centre), for the longest caption of the row.
        PlaceColumn(p, kItemForward, 240, 284, 70, 74, true);
        PlaceColumn(p, kItemPlayerStop, 312, 284, 56, 74, true);
        PlaceColumn(p, kItemStatus, 0, kStatusTopUnderPlayer, kColumnWidth, kStatusHeight, true);
        if (in.miniMode) p.state->miniCutoffY = kMiniCutoffUnderPlayer;
        return;
    }
    PlaceColumn(p, kItemStatus, 0, kStatusTop, kColumnWidth, kStatusHeight, true);
    const int hidden[] = {kItemStart, kItemBack, kItemPlay,   kItemForward, kItemPlayerStop,  kItemLoadedName,
                          kItemTimes, kItemSeek, kItemVolume, kItemSpeed,   kItemVolumeLabel, kItemSpeedLabel};
    for (int item : hidden) PlaceColumn(p, item, 0, 0, 1, 1, false);
    if (in.miniMode) p.state->miniCutoffY = kMiniCutoff;
}

// The meter under the status line; hidden under the player block, in a collapsed column and below mini mode's cut.
void PlaceMeter(const Pass& p) {
    const LayoutState& s = *p.state;
    MeterPlacement& m = p.out->meter;
    int left = kMeterLeft + s.centerOffset;
    m.shown = !PlayerShown(*p.in) && !s.recorderCollapsed && !(p.in->miniMode && s.miniCutoffY <= kMeterTop);
    m.band = DeviceRect{Px(p, left), Px(p, kMeterTop), Px(p, left + kMeterWidth), Px(p, kMeterTop + kMeterHeight)};
    m.w = Px(p, kMeterWidth);
    m.h = Px(p, kMeterHeight);
    m.corner = Px(p, kMeterCorner);
    m.barWidth = Px(p, kMeterBarWidth);
    m.barGap = Px(p, kMeterBarGap);
    m.barUnit = Px(p, kMeterBarUnit);
}

// The inside of the shortcut box, in device pixels from the box's top left, under a heading headingHeight device
// pixels high. Every length is scaled on its own, so a row's top is the sum of scaled lengths.
void PlaceShortcutRows(const Pass& p, int boxWidth, int headingHeight) {
    ShortcutBoxPlacement& box = p.out->shortcutBox;
    box.heading = DeviceRect{0, 0, boxWidth, headingHeight};
    int badgeRight = Px(p, kShortcutBadgeWidth);
    for (int i = 0; i < kShortcutRows; ++i) {
        int top = headingHeight + Px(p, kShortcutRowsGap) + i * Px(p, kShortcutRowPitch);
        int bottom = top + Px(p, kShortcutRowHeight);
        ShortcutRowPlacement& row = box.rows[i];
        row.badge = DeviceRect{0, top, badgeRight, bottom};
        row.label = DeviceRect{Px(p, kShortcutLabelLeft), top, badgeRight - Px(p, 4), bottom};
        row.text = DeviceRect{badgeRight + Px(p, 2), top, boxWidth, bottom};
        row.iconX = Px(p, kShortcutIconX);
        row.iconSize = Px(p, kShortcutIconSize);
    }
    int footer = headingHeight + Px(p, kShortcutRowsGap) + kShortcutRows * Px(p, kShortcutRowPitch) + Px(p, 2);
    box.footer = DeviceRect{0, footer, boxWidth, footer + Px(p, kShortcutRowHeight) - Px(p, 2)};
}

// The bottom region's rows from its top y, layout units: the info text, the file buttons (not while recording),
// Transcribe and the shortcut box, whose heading is measured in device pixels.
struct BottomRows {
    int detail, detailHeight, fileButtons, transcribe, shortcutBox;
    int headingDevice, heading;  // the shortcut box's heading, device pixels and units
    int end;
};

BottomRows BottomRowsFrom(const Pass& p, int y) {
    const LayoutInput& in = *p.in;
    BottomRows r = {};
    r.detail = y;
    r.detailHeight = Measure(p, kTextDetail, 38);
    r.fileButtons = y + r.detailHeight + 4;
    r.transcribe = in.recording ? r.fileButtons : y + r.detailHeight + 40;
    r.shortcutBox = r.transcribe + 66;
    // The rows hang from the heading in device pixels; its height in units rounds it up, so the rows always fit.
    r.headingDevice = Px(p, 4) + in.textHeight[kTextShortcutHeading];
    if (r.headingDevice < Px(p, kShortcutHeadingMinimum)) r.headingDevice = Px(p, kShortcutHeadingMinimum);
    r.heading = static_cast<int>(r.headingDevice / in.uiScale + 0.99);
    r.end = r.shortcutBox + r.heading + 152;
    return r;
}

// The settings block from T; returns the y where the bottom region starts.
int PlaceSettings(const Pass& p, int top) {
    const LayoutInput& in = *p.in;
    LayoutState& s = *p.state;
    if (!in.settingsOpen) {
        s.settingsScrollable = false;
        s.settingsScrollPos = 0;
        Hide(p, kItemScrollBar);
        Hide(p, kItemContainer);
        for (int item = kFirstSettingsItem; item < kItemCount; ++item) Hide(p, item);
        return top;
    }
    Pass measure = p;
    measure.measureOnly = true;
    int bottom = PlaceSettingsBlock(measure, top);
    int height = bottom - top;
    // The bottom region under the block as it will be placed: the block scrolls when block and region together do
    // not fit, and its view leaves the region its whole height.
    int reserve = BottomRowsFrom(p, 0).end;
    int available;
    if (!in.maximised && !s.keepWindowSize) {
        available = in.haveWorkArea
                        ? static_cast<int>((in.workArea.bottom - in.workArea.top - in.frameHeight) / in.uiScale)
                        : 100000;
    } else {
        available = static_cast<int>(in.clientHeight / in.uiScale + 0.5);
    }
    int view;
    if (in.miniMode || bottom + reserve <= available) {
        s.settingsScrollable = false;
        s.settingsScrollPos = 0;
        view = height;
    } else {
        s.settingsScrollable = true;
        s.settingsContentHeight = height;
        view = available - top - reserve;
        if (view < kMinimumSettingsView) view = kMinimumSettingsView;
        s.settingsViewHeight = view;
        if (s.settingsScrollPos > height - view) s.settingsScrollPos = height - view;
        if (s.settingsScrollPos < 0) s.settingsScrollPos = 0;
    }
    s.settingsTop = top;
    PlaceColumn(p, kItemContainer, 0, top, kContainerWidth, view, true);
    PlaceSettingsBlock(p, top);
    if (s.settingsScrollable) {
        p.out->setScrollBar = true;
        p.out->scrollRange = height;
        p.out->scrollPage = view;
        p.out->scrollPos = s.settingsScrollPos;
        PlaceColumn(p, kItemScrollBar, kScrollBarLeft, top, kScrollBarWidth, view, true);
        return top + view;
    }
    Hide(p, kItemScrollBar);
    return bottom;
}

void PlaceBottom(const Pass& p, int y) {
    const LayoutInput& in = *p.in;
    LayoutState& s = *p.state;
    BottomRows r = BottomRowsFrom(p, y);
    PlaceColumn(p, kItemDetail, 30, r.detail, 320, r.detailHeight, true);
    if (in.recording) {
        PlaceColumn(p, kItemPlayLocalFile, 30, r.fileButtons, 154, 30, false);
        PlaceColumn(p, kItemPlayRecording, 196, r.fileButtons, 154, 30, false);
    } else if (in.lastRecording) {
        PlaceColumn(p, kItemPlayLocalFile, 30, r.fileButtons, 154, 30, true);
        PlaceColumn(p, kItemPlayRecording, 196, r.fileButtons, 154, 30, true);
    } else {
        PlaceColumn(p, kItemPlayLocalFile, 30, r.fileButtons, 320, 30, true);
        PlaceColumn(p, kItemPlayRecording, 196, r.fileButtons, 154, 30, false);
    }
    PlaceColumn(p, kItemTranscribe, 30, r.transcribe, 320, 56, true);
    PlaceColumn(p, kItemShortcutBox, 30, r.shortcutBox, 320, r.heading + 144, true);
    PlaceShortcutRows(p, p.out->items[kItemShortcutBox].w, r.headingDevice);
    s.contentHeight = r.end;
    if (in.panelOpen && s.contentHeight < kPanelContentHeight) s.contentHeight = kPanelContentHeight;
    if (in.miniMode) s.contentHeight = PlayerShown(in) ? kMiniHeightUnderPlayer : kMiniHeight;
}

// The window's height in units: its content, or the taller height the user chose, which stops at the work area
// (the system would cut a taller window to a height of its own, and the next pass, which takes the window as it is,
// would then give the settings view another height than this one did).
int ChosenHeight(const LayoutInput& in, const LayoutState& s, double scale, int frameHeight) {
    int height = s.contentHeight;
    if (in.miniMode) return height;
    int remembered = s.rememberedHeight;
    if (in.haveWorkArea) {
        int available = static_cast<int>((in.workArea.bottom - in.workArea.top - frameHeight) / scale);
        if (remembered > available) remembered = available;
    }
    return remembered > height ? remembered : height;
}

// Sizes the window to its content and keeps it on its monitor's work area, except while the user drags it: pulling
// it under the pointer then could put it back on the monitor it is leaving.
void SizeWindow(const Pass& p, int width) {
    const LayoutInput& in = *p.in;
    LayoutState& s = *p.state;
    if (s.keepWindowSize || in.maximised) return;
    LayoutResult& out = *p.out;
    out.resizeWindow = true;
    out.windowWidth = Px(p, width) + in.frameWidth;
    out.windowHeight = Px(p, ChosenHeight(in, s, in.uiScale, in.frameHeight)) + in.frameHeight;
    if (in.inSizeMove) {
        s.clampAfterSizeMove = true;
        return;
    }
    int x = 0, y = 0;
    if (windowOnWorkArea(in, out.windowWidth, out.windowHeight, &x, &y)) {
        out.moveWindow = true;
        out.windowX = x;
        out.windowY = y;
    }
}

}  // namespace

bool windowOnWorkArea(const LayoutInput& in, int width, int height, int* px, int* py) {
    if (!in.haveWorkArea) return false;
    const DeviceRect& wa = in.workArea;
    const DeviceRect& hidden = in.hiddenFrame;
    // 64 bits: a window rectangle near the ends of the int range must not wrap round.
    int64_t x = in.windowRect.left, y = in.windowRect.top;
    if (x + width - hidden.right > wa.right) x = static_cast<int64_t>(wa.right) - width + hidden.right;
    if (y + height - hidden.bottom > wa.bottom) y = static_cast<int64_t>(wa.bottom) - height + hidden.bottom;
    if (x + hidden.left < wa.left) x = static_cast<int64_t>(wa.left) - hidden.left;
    if (y + hidden.top < wa.top) y = static_cast<int64_t>(wa.top) - hidden.top;
    *px = static_cast<int>(x);
    *py = static_cast<int>(y);
    return x != in.windowRect.left || y != in.windowRect.top;
}

bool clampAtSizeMoveEnd(const LayoutInput& in, LayoutState* state, int* x, int* y) {
    if (!state->clampAfterSizeMove) return false;
    state->clampAfterSizeMove = false;
    return windowOnWorkArea(in, in.windowRect.right - in.windowRect.left, in.windowRect.bottom - in.windowRect.top, x,
                            y);
}

void windowSizeAtScale(const LayoutInput& in, const LayoutState& state, double scale, int frameWidth, int frameHeight,
                       int* width, int* height) {
    *width = scaleAt(scale, minimumColumnWidth(in)) + frameWidth;
    int units = ChosenHeight(in, state, scale, frameHeight);
    // Open settings that no longer fit scroll in a view that fills the work area.
    if (in.settingsOpen && in.haveWorkArea) {
        int available = static_cast<int>((in.workArea.bottom - in.workArea.top - frameHeight) / scale);
        if (units > available) units = available;
    }
    *height = scaleAt(scale, units) + frameHeight;
}

LayoutState layoutInitialState() {
    LayoutState s = {};
    s.miniCutoffY = kNoCutoff;
    s.contentHeight = kInitialContentHeight;
    return s;
}

void layoutReset() {
    layoutState = layoutInitialState();
}

int scaleAt(double scale, double v) {
    // Rounded down, not toward zero: a control scrolled above the view (a negative y) must move by exactly as much
    // as the scroll, so -30 + 0.5 is -30, never -29.
    return static_cast<int>(floor(v * scale + 0.5));
}

int measuredHeight(double scale, int heightDevice, int minHeight) {
    int h = static_cast<int>(heightDevice / scale + 0.99) + 4;
    return h < minHeight ? minHeight : h;
}

int centerOffsetFor(const LayoutInput& in, int width) {
    if (in.miniMode || in.panelOpen || width <= kColumnWidth) return 0;
    return (width - kColumnWidth) / 2;
}

bool sizeChangeMovesColumn(const LayoutInput& in, const LayoutState& state) {
    int width = static_cast<int>(in.clientWidth / in.uiScale + 0.5);
    return centerOffsetFor(in, width) != state.centerOffset;
}

int minimumColumnWidth(const LayoutInput& in) {
    if (in.panelOpen && !in.miniMode) return in.recorderHidden ? kPanelStripOnlyWidth : kPanelColumnWidth;
    return kColumnWidth;
}

void minimumTrackSize(const LayoutInput& in, const LayoutState& state, int* width, int* height) {
    *width = scaleAt(in.uiScale, minimumColumnWidth(in)) + in.frameWidth;
    *height = scaleAt(in.uiScale, state.contentHeight) + in.frameHeight;
    int workHeight = in.workArea.bottom - in.workArea.top;
    if (in.haveWorkArea && *height > workHeight) *height = workHeight;
}

int rememberedHeightFor(double scale, int clientHeightDevice) {
    return static_cast<int>(clientHeightDevice / scale + 0.5);
}

PanelStripPlacement panelStripFor(const LayoutInput& in, const LayoutState& /*state*/, int clientWidth,
                                  int clientHeight) {
    PanelStripPlacement strip = {};
    if (!in.panelOpen || in.miniMode) {
        strip.w = strip.h = 1;
        return strip;
    }
    strip.shown = true;
    strip.x = in.recorderHidden ? 0 : scaleAt(in.uiScale, kColumnWidth);
    strip.w = scaleAt(in.uiScale, kPanelStripWidth);
    strip.h = clientHeight;
    strip.panelX = strip.x + strip.w;
    int right = clientWidth > strip.panelX + 40 ? clientWidth : strip.panelX + 40;
    strip.panelW = right - strip.panelX;
    strip.panelH = clientHeight > 40 ? clientHeight : 40;
    return strip;
}

void computeLayout(const LayoutInput& in, LayoutState* state, LayoutResult* out) {
    *out = LayoutResult{};
    Pass p = {&in, state, out, false};
    double clientW = in.clientWidth / in.uiScale + 0.5;
    state->recorderCollapsed = in.panelOpen && in.recorderHidden && !in.miniMode;
    int width = state->forcedWidth ? state->forcedWidth : static_cast<int>(clientW);
    if (!state->forcedWidth && width < minimumColumnWidth(in)) width = minimumColumnWidth(in);
    int layoutWidth;
    if (in.maximised || state->keepWindowSize) {
        layoutWidth = static_cast<int>(clientW);
    } else {
        layoutWidth = in.miniMode ? kColumnWidth : width;
    }
    state->centerOffset = centerOffsetFor(in, layoutWidth);
    state->miniCutoffY = kNoCutoff;

    PlacePlayerBlock(p);
    bool player = PlayerShown(in);
    int row = player ? kRecorderRowUnderPlayer : kRecorderRow;
    int top = row + kSettingsBelowRecorderRow;
    PlaceColumn(p, kItemMiniToggle, 262, 13, 102, 26, true);
    PlaceColumn(p, kItemRecord, 30, row, 77, 36, true);
    PlaceColumn(p, kItemPause, 111, row, 77, 36, true);
    PlaceColumn(p, kItemStop, 192, row, 77, 36, true);
    PlaceColumn(p, kItemMark, 273, row, 77, 36, true);
    // The labels of a field get the room their bold captions take with some margin: a wrapped label shows half its
    // text.
    PlaceColumn(p, kItemFileNameLabel, 30, row + 45, 80, 24, true);
    PlaceColumn(p, kItemFileName, 114, row + 43, 236, 26, true);
    PlaceColumn(p, kItemSettings, 30, row + 77, 150, 28, true);

    int y = PlaceSettings(p, top);
    PlaceBottom(p, y);
    PlaceMeter(p);
    SizeWindow(p, layoutWidth);
}

int settingsScrollForCode(const LayoutState& state, int code, int barPos, int trackPos) {
    switch (code) {
        case 0:  // line up
            return barPos - 30;
        case 1:  // line down
            return barPos + 30;
        case 2:  // page up
            return barPos - state.settingsViewHeight + 20;
        case 3:  // page down
            return barPos + state.settingsViewHeight - 20;
        case 4:  // thumb position
        case 5:  // thumb track
            return trackPos;
        case 6:  // top
            return 0;
        case 7:  // bottom
            return state.settingsContentHeight;
        default:
            return barPos;
    }
}

int wheelNotches(int* remainder, int delta, int perNotch) {
    // A turn the other way starts afresh, as the remainder belongs to a turn that has ended.
    if ((*remainder > 0 && delta < 0) || (*remainder < 0 && delta > 0)) *remainder = 0;
    int total = *remainder + delta * perNotch;
    int whole = total / 120;
    *remainder = total - whole * 120;
    return whole;
}

int settingsScrollForWheel(LayoutState* state, int delta) {
    return state->settingsScrollPos - wheelNotches(&state->wheelRemainder, delta, 48);
}

bool settingsScrollTo(LayoutState* state, int pos) {
    if (!state->settingsScrollable) return false;
    int most = state->settingsContentHeight - state->settingsViewHeight;
    if (pos > most) pos = most;
    if (pos < 0) pos = 0;
    if (pos == state->settingsScrollPos) return false;
    state->settingsScrollPos = pos;
    return true;
}

int zoomPercentForRow(int row) {
    if (row < 0 || row >= kZoomRowCount) return -1;
    return kZoomRows[row].percent;
}

double zoomScale(double dpiFactor, int percent) {
    return percent * dpiFactor / 100.0;
}
