// The layout pass. The window is one column 380 units wide: logo bar, timer and status, then either the level meter
// or the player block, the recorder row, the settings block (measured first, then placed, scrolled in a viewport when
// the screen is too short for it) and a bottom region sized by its measured texts. All geometry here is in layout
// units and turned into device pixels only where a control is placed.
#include "ui/layout.h"

#include "settings/settings_values.h"

#define NOTAFON_KEY_Column(key) key,
#define NOTAFON_KEY_Strip(key)
#define NOTAFON_KEY_Page(key)
#define NOTAFON_PAGE_KEY_Column(key)
#define NOTAFON_PAGE_KEY_Strip(key)
#define NOTAFON_PAGE_KEY_Page(key) key,
#define NOTAFON_PAGE_SLOT_KEYS_Page(key) key + 0, key + 1, key + 2, key + 3,
#define NOTAFON_COLUMN_KEY(item, key, value, created, cls, st, ex, caption, font, paint, place) NOTAFON_KEY_##place(key)
#define NOTAFON_PAGE_KEY(item, key, value, created, cls, st, ex, caption, font, paint, place) \
    NOTAFON_PAGE_KEY_##place(key)
#define NOTAFON_PAGE_SLOT_KEYS(item, key, value, created, cls, st, ex, caption, font, paint, place) \
    NOTAFON_PAGE_SLOT_KEYS_##place(key)
#define NOTAFON_NO_KEY(...)
static_assert(kControlSlotCount == 4, "a slot row's keys are written out for four slots");
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

const int kColumnWidth = 380;
const int kNoCutoff = 100000;

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

    int a = Measure(p, kTextRecordHeading, 18);
    PlaceSetting(p, kItemRecordHeading, 30, y0 + 82, 320, a);
    PlaceSetting(p, kItemRecordShortcutText, 30, y0 + 82 + a + 3, 145, 24);
    PlaceSetting(p, kItemRecordChange, 180, y0 + 82 + a + 1, 75, 28);
    PlaceSetting(p, kItemRecordDefault, 265, y0 + 82 + a + 1, 85, 28);

    int y = y0 + 82 + a + 32;
    int b = Measure(p, kTextRecordNote, 20);
    PlaceSetting(p, kItemRecordNote, 30, y, 320, b);
    int c = Measure(p, kTextPlaybackHeading, 18);
    PlaceSetting(p, kItemPlaybackHeading, 30, y + b + 3, 320, c);
    y = y + b + 3 + c + 2;

    int q = y;
    for (int slot = 0; slot < 4; ++slot) {
        int d = Measure(p, kTextSlotLabel + slot, 18);
        PlaceSetting(p, kItemSlotLabel + slot, 30, y, 320, d);
        PlaceSetting(p, kItemSlotText + slot, 30, y + d + 3, 145, 24);
        PlaceSetting(p, kItemSlotChange + slot, 180, y + d + 1, 75, 28);
        PlaceSetting(p, kItemSlotDefault + slot, 265, y + d + 1, 85, 28);
        q = y + d + 1;
        y = y + d + 32;
    }

    PlaceSetting(p, kItemRewindLabel, 30, q + 35, 150, 20);
    PlaceSetting(p, kItemRewind, 184, y, 166, 28);  // y is q + 31 here
    PlaceSetting(p, kItemQualityLabel, 30, q + 71, 68, 20);
    PlaceSetting(p, kItemQuality, 100, q + 67, 250, 28);
    PlaceSetting(p, kItemWindowSizeLabel, 30, q + 105, 104, 20);
    PlaceSetting(p, kItemWindowSize, 138, q + 101, 212, 28);

    int e = Measure(p, kTextSaveIn, 18);
    PlaceSetting(p, kItemSaveInLabel, 30, q + 135, 320, e);
    y = q + 135 + e + 2;
    int f = Measure(p, kTextFolder, 24);
    PlaceSetting(p, kItemFolder, 30, y, 320, f);
    y = y + f;

    bool fileButtons = FileButtonsShown(*p.in);
    PlaceSetting(p, kItemChangeFolder, 30, y + 3, 170, 28);
    PlaceSetting(p, kItemShowInFolder, 30, y + 37, 154, 28, fileButtons);
    PlaceSetting(p, kItemConverter, 196, y + 37, 154, 28, fileButtons);

    y = fileButtons ? y + 71 : y + 37;
    int g = Measure(p, kTextVersion, 30);
    PlaceSetting(p, kItemVersion, 30, y, 320, g);
    return y + g + 4;
}

void PlacePlayerBlock(const Pass& p) {
    const LayoutInput& in = *p.in;
    PlaceColumn(p, kItemTime, 0, 58, 380, 88, true);
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
        PlaceColumn(p, kItemStatus, 0, 372, 380, 20, true);
        if (in.miniMode) p.state->miniCutoffY = 400;
        return;
    }
    PlaceColumn(p, kItemStatus, 0, 146, 380, 20, true);
    p.state->meterTop = 172;
    const int hidden[] = {kItemStart, kItemBack, kItemPlay,   kItemForward, kItemPlayerStop,  kItemLoadedName,
                          kItemTimes, kItemSeek, kItemVolume, kItemSpeed,   kItemVolumeLabel, kItemSpeedLabel};
    for (int item : hidden) PlaceColumn(p, item, 0, 0, 1, 1, false);
    if (in.miniMode) p.state->miniCutoffY = 278;
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
    int reserve = in.recording ? 218 : 254;  // the bottom region under the block, with or without its file buttons
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
        if (view < 120) view = 120;
        s.settingsViewHeight = view;
        if (s.settingsScrollPos > height - view) s.settingsScrollPos = height - view;
        if (s.settingsScrollPos < 0) s.settingsScrollPos = 0;
    }
    s.settingsTop = top;
    PlaceColumn(p, kItemContainer, 0, top, 354, view, true);
    PlaceSettingsBlock(p, top);
    if (s.settingsScrollable) {
        p.out->setScrollBar = true;
        p.out->scrollRange = height;
        p.out->scrollPage = view;
        p.out->scrollPos = s.settingsScrollPos;
        PlaceColumn(p, kItemScrollBar, 356, top, 18, view, true);
        return top + view;
    }
    Hide(p, kItemScrollBar);
    return bottom;
}

void PlaceBottom(const Pass& p, int y) {
    const LayoutInput& in = *p.in;
    LayoutState& s = *p.state;
    int h = Measure(p, kTextDetail, 38);
    PlaceColumn(p, kItemDetail, 30, y, 320, h, true);
    int y2 = y + h + 4;
    if (in.recording) {
        PlaceColumn(p, kItemPlayLocalFile, 30, y2, 154, 30, false);
        PlaceColumn(p, kItemPlayRecording, 196, y2, 154, 30, false);
    } else {
        if (in.lastRecording) {
            PlaceColumn(p, kItemPlayLocalFile, 30, y2, 154, 30, true);
            PlaceColumn(p, kItemPlayRecording, 196, y2, 154, 30, true);
        } else {
            PlaceColumn(p, kItemPlayLocalFile, 30, y2, 320, 30, true);
            PlaceColumn(p, kItemPlayRecording, 196, y2, 154, 30, false);
        }
        y2 = y + h + 40;
    }
    PlaceColumn(p, kItemTranscribe, 30, y2, 320, 56, true);
    int y3 = y2 + 66;
    int hhDevice = Px(p, 4) + in.textHeight[kTextShortcutHeading];
    if (hhDevice < Px(p, 20)) hhDevice = Px(p, 20);
    int hh = static_cast<int>(hhDevice / in.uiScale + 0.99);
    PlaceColumn(p, kItemShortcutBox, 30, y3, 320, hh + 144, true);
    s.contentHeight = y3 + hh + 152;
    if (in.panelOpen && s.contentHeight < 680) s.contentHeight = 680;
    if (in.miniMode) s.contentHeight = PlayerShown(in) ? 400 : 290;
}

// Sizes the window to its content and keeps it on its monitor's work area.
void SizeWindow(const Pass& p, int width) {
    const LayoutInput& in = *p.in;
    const LayoutState& s = *p.state;
    if (s.keepWindowSize || in.maximised) return;
    int height = s.contentHeight;
    if (!in.miniMode && s.rememberedHeight > height) height = s.rememberedHeight;
    LayoutResult& out = *p.out;
    out.resizeWindow = true;
    out.windowWidth = Px(p, width) + in.frameWidth;
    out.windowHeight = Px(p, height) + in.frameHeight;
    if (!in.haveWorkArea) return;
    const DeviceRect& wa = in.workArea;
    int x = in.windowRect.left, y = in.windowRect.top;
    if (x + out.windowWidth > wa.right) x = wa.right - out.windowWidth;
    if (y + out.windowHeight > wa.bottom) y = wa.bottom - out.windowHeight;
    if (x < wa.left) x = wa.left;
    if (y < wa.top) y = wa.top;
    if (x != in.windowRect.left || y != in.windowRect.top) {
        out.moveWindow = true;
        out.windowX = x;
        out.windowY = y;
    }
}

}  // namespace

LayoutState layoutInitialState() {
    LayoutState s = {};
    s.miniCutoffY = kNoCutoff;
    s.contentHeight = 520;
    s.meterTop = 150;
    return s;
}

void layoutReset() {
    layoutState = layoutInitialState();
}

int scaleAt(double scale, double v) {
    return static_cast<int>(v * scale + 0.5);
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
    if (in.panelOpen && !in.miniMode) return in.recorderHidden ? 400 : 780;
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
    strip.w = scaleAt(in.uiScale, 40);
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
    int top = player ? 515 : 353;
    int row = player ? 400 : 238;
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

int settingsScrollForWheel(const LayoutState& state, int delta) {
    return state.settingsScrollPos - 48 * (delta / 120);
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
