// Properties of the layout pass over every state and scale the window is shown in: at 96 and 144 DPI and every zoom
// row, idle, recording, with a file in the player, settings open and scrolled, mini mode, the panel open with the
// column shown or hidden, maximised. Shown controls never overlap a sibling and lie inside their parent, the meter
// and the shortcut box's rows sit where they belong, and a pass at any scale is the 100 % pass scaled. The text
// heights are the ones fonts of that scale measure, so the measured rows are exercised too.
#include <gtest/gtest.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "ui/layout.h"

namespace {

struct Box {
    int left, top, right, bottom;
};

struct Mode {
    bool recording, playerLoaded, lastRecording, settingsOpen, miniMode, panelOpen, recorderHidden, maximised;
};

// The combinations the window can be in: mini mode closes the settings and the panel and restores a maximised
// window; the column can be hidden only beside the open panel and not while recording.
bool Possible(const Mode& m) {
    if (m.miniMode && (m.settingsOpen || m.panelOpen || m.maximised)) return false;
    if (m.recorderHidden && (!m.panelOpen || m.recording)) return false;
    return true;
}

Mode ModeOf(int bits) {
    return Mode{(bits & 1) != 0,  (bits & 2) != 0,  (bits & 4) != 0,  (bits & 8) != 0,
                (bits & 16) != 0, (bits & 32) != 0, (bits & 64) != 0, (bits & 128) != 0};
}
const int kModeCount = 256;

struct Scale {
    int dpi, zoom;
    double uiScale;
};

// Texts as lines of a font: how many lines each takes and how high a line of its font is at 100 % (device pixels).
struct Texts {
    int lines[kTextCount];
    int lineHeight[kTextCount];
};

// What the window measures with its fonts (Segoe UI 13 and 15 px, the heading in bold 13): short texts, and the long
// ones a long folder path, a wrapped heading and a three-line note give.
Texts ShortTexts() {
    Texts t = {};
    for (int i = 0; i < kTextCount; ++i) {
        t.lines[i] = 1;
        t.lineHeight[i] = 17;
    }
    t.lines[kTextDetail] = 2;
    t.lines[kTextRecordNote] = 2;
    t.lines[kTextVersion] = 2;
    t.lineHeight[kTextRecordHeading] = 20;
    t.lineHeight[kTextPlaybackHeading] = 20;
    return t;
}

Texts LongTexts() {
    Texts t = ShortTexts();
    t.lines[kTextFolder] = 4;
    t.lines[kTextRecordNote] = 3;
    t.lines[kTextDetail] = 3;
    t.lines[kTextPlaybackHeading] = 2;
    t.lines[kTextShortcutHeading] = 2;
    return t;
}

const int kWorkWidth = 1280, kWorkHeight = 800;

LayoutInput InputFor(const Mode& m, const Scale& sc, const Texts& texts) {
    LayoutInput in = {};
    in.uiScale = sc.uiScale;
    in.maximised = m.maximised;
    in.recording = m.recording;
    in.playerLoaded = m.playerLoaded;
    in.lastRecording = m.lastRecording;
    in.settingsOpen = m.settingsOpen;
    in.miniMode = m.miniMode;
    in.panelOpen = m.panelOpen;
    in.recorderHidden = m.recorderHidden;
    in.haveWorkArea = true;
    in.workArea = {0, 0, kWorkWidth, kWorkHeight};
    // The frame the system gives a window at this DPI: borders of 8 and a caption of 23 at 96.
    double dpi = sc.dpi / 96.0;
    in.frameWidth = static_cast<int>(16 * dpi + 0.5);
    in.frameHeight = static_cast<int>(39 * dpi + 0.5);
    for (int i = 0; i < kTextCount; ++i) in.textHeight[i] = texts.lines[i] * scaleAt(sc.uiScale, texts.lineHeight[i]);
    return in;
}

// The window as the program shows it in a mode: created at its initial size, given the column's width by a zoom
// change (or widened for the panel), laid out, and resized by that pass; maximised, it fills the work area.
struct Shown {
    LayoutInput in;
    LayoutState state;
    LayoutResult out;
    int clientWidth, clientHeight;
};

void Settle(Shown* w) {
    w->clientWidth = w->in.clientWidth;
    w->clientHeight = w->in.clientHeight;
    if (w->out.resizeWindow) {
        w->clientWidth = w->out.windowWidth - w->in.frameWidth;
        w->clientHeight = w->out.windowHeight - w->in.frameHeight;
    }
}

Shown Show(const Mode& m, const Scale& sc, const Texts& texts) {
    Shown w = {};
    w.in = InputFor(m, sc, texts);
    if (m.maximised) {
        w.in.clientWidth = kWorkWidth;
        w.in.clientHeight = kWorkHeight - (w.in.frameHeight - w.in.frameWidth / 2);
    } else {
        w.in.clientWidth = scaleAt(sc.uiScale, kColumnWidth);
        w.in.clientHeight = scaleAt(sc.uiScale, kInitialContentHeight);
    }
    w.in.windowRect = {100, 60, 100 + w.in.clientWidth + w.in.frameWidth, 60 + w.in.clientHeight + w.in.frameHeight};
    w.state = layoutInitialState();
    w.state.forcedWidth = m.panelOpen && !m.recorderHidden ? 860 : minimumColumnWidth(w.in);
    computeLayout(w.in, &w.state, &w.out);
    w.state.forcedWidth = 0;
    Settle(&w);
    return w;
}

// The same window after the settings were scrolled to pos: a pass that keeps the window's size.
Shown Scrolled(const Shown& before, int pos) {
    Shown w = before;
    w.in.clientWidth = before.clientWidth;
    w.in.clientHeight = before.clientHeight;
    settingsScrollTo(&w.state, pos);
    w.state.keepWindowSize = true;
    computeLayout(w.in, &w.state, &w.out);
    w.state.keepWindowSize = false;
    Settle(&w);
    return w;
}

std::vector<Scale> AllScales() {
    std::vector<Scale> all;
    for (int dpi : {96, 144}) {
        for (int row = 0; zoomPercentForRow(row) > 0; ++row) {
            int zoom = zoomPercentForRow(row);
            all.push_back(Scale{dpi, zoom, zoomScale(dpi / 96.0, zoom)});
        }
    }
    return all;
}

std::string Describe(const Mode& m, const Scale& sc, const char* what) {
    char text[256];
    snprintf(text, sizeof text, "%d dpi %d %%%s%s%s%s%s%s%s%s, %s", sc.dpi, sc.zoom, m.recording ? " recording" : "",
             m.playerLoaded ? " player" : "", m.lastRecording ? " last-recording" : "",
             m.settingsOpen ? " settings" : "", m.miniMode ? " mini" : "", m.panelOpen ? " panel" : "",
             m.recorderHidden ? " hidden" : "", m.maximised ? " maximised" : "", what);
    return text;
}

Box BoxOf(const Placement& p) {
    return Box{p.x, p.y, p.x + p.w, p.y + p.h};
}
Box BoxOf(const DeviceRect& r) {
    return Box{r.left, r.top, r.right, r.bottom};
}

// Positions and sizes are rounded to pixels one by one, so neighbours may share a line of pixels, and a right or
// bottom edge may stick out of its parent by one: both are allowed, as the end-to-end overlap check allows them.
bool Overlap(const Box& a, const Box& b) {
    int w = (a.right < b.right ? a.right : b.right) - (a.left > b.left ? a.left : b.left);
    int h = (a.bottom < b.bottom ? a.bottom : b.bottom) - (a.top > b.top ? a.top : b.top);
    return w >= 2 && h >= 2;
}

bool Inside(const Box& inner, const Box& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right + 1 &&
           inner.bottom <= outer.bottom + 1;
}

// What is shown on one parent: its client area and its children's rectangles.
struct Parent {
    Box client;
    std::vector<Box> boxes;
    std::vector<std::string> names;
};

void Add(Parent* parent, const Box& box, const std::string& name) {
    parent->boxes.push_back(box);
    parent->names.push_back(name);
}

std::string ItemName(int item) {
    return "item " + std::to_string(item);
}

// The main window's shown children (the column's controls, the settings container, the panel strip and the panel)
// and the meter it paints itself; and the container's shown children, inside the block it scrolls.
void Collect(const Shown& w, Parent* window, Parent* container) {
    window->client = Box{0, 0, w.clientWidth, w.clientHeight};
    // The column has one height, whatever the window's: a window sized to it may grow past the screen, a maximised
    // one cannot, and on a screen lower than the column (the player, or the settings at their smallest view, at a
    // large zoom) its bottom rows lie below the client area. Nothing scrolls the column, so only its width is held
    // to the client area then.
    if (w.in.maximised && scaleAt(w.in.uiScale, w.state.contentHeight) > w.clientHeight)
        window->client.bottom = 1 << 20;
    for (int item = 0; item < kFirstSettingsItem; ++item) {
        const Placement& p = w.out.items[item];
        if (p.moved && p.visible) Add(window, BoxOf(p), ItemName(item));
    }
    if (w.out.meter.shown) Add(window, BoxOf(w.out.meter.band), "meter");
    PanelStripPlacement strip = panelStripFor(w.in, w.state, w.clientWidth, w.clientHeight);
    if (strip.shown) {
        Add(window, Box{strip.x, strip.y, strip.x + strip.w, strip.y + strip.h}, "panel strip");
        Add(window, Box{strip.panelX, strip.panelY, strip.panelX + strip.panelW, strip.panelY + strip.panelH}, "panel");
    }
    const Placement& c = w.out.items[kItemContainer];
    container->client = Box{0, 0, 0, 0};
    if (!c.moved || !c.visible) return;
    // The block's own extent in the container: from its top, scrolled up by the position, to its bottom.
    int height = w.state.settingsScrollable ? w.state.settingsContentHeight : c.h;
    int scroll = w.state.settingsScrollable ? w.state.settingsScrollPos : 0;
    int top = scaleAt(w.in.uiScale, -scroll);
    container->client = Box{0, top, c.w, w.state.settingsScrollable ? top + scaleAt(w.in.uiScale, height) : c.h};
    for (int item = kFirstSettingsItem; item < kItemCount; ++item) {
        const Placement& p = w.out.items[item];
        if (p.moved && p.visible) Add(container, BoxOf(p), ItemName(item));
    }
}

// Every failure of the two placement properties on one parent, as text (empty when none).
std::string PlacementFaults(const Parent& parent) {
    std::string faults;
    for (size_t a = 0; a < parent.boxes.size(); ++a) {
        const Box& box = parent.boxes[a];
        if (!Inside(box, parent.client)) {
            faults += parent.names[a] + " (" + std::to_string(box.left) + "," + std::to_string(box.top) + "," +
                      std::to_string(box.right) + "," + std::to_string(box.bottom) + ") outside its parent; ";
        }
        for (size_t b = a + 1; b < parent.boxes.size(); ++b) {
            if (Overlap(box, parent.boxes[b])) faults += parent.names[a] + " overlaps " + parent.names[b] + "; ";
        }
    }
    return faults;
}

// The shortcut box's heading, rows and footer follow each other top to bottom inside the box; each row's badge holds
// its label and icon, and the description starts right of the badge.
std::string ShortcutBoxFaults(const Shown& w) {
    const Placement& p = w.out.items[kItemShortcutBox];
    if (!p.moved || !p.visible) return "";
    const ShortcutBoxPlacement& box = w.out.shortcutBox;
    Box inside = {0, 0, p.w, p.h};
    std::string faults;
    int above = box.heading.bottom;
    if (!Inside(BoxOf(box.heading), inside)) faults += "heading outside the box; ";
    for (int i = 0; i < kShortcutRows; ++i) {
        const ShortcutRowPlacement& row = box.rows[i];
        std::string name = "row " + std::to_string(i);
        if (row.badge.top < above) faults += name + " above what precedes it; ";
        if (!Inside(BoxOf(row.badge), inside) || !Inside(BoxOf(row.text), inside)) faults += name + " outside; ";
        if (!Inside(BoxOf(row.label), BoxOf(row.badge))) faults += name + " label outside its badge; ";
        if (row.iconX - row.iconSize / 2 < row.badge.left || row.iconX + row.iconSize / 2 > row.label.left)
            faults += name + " icon not between the badge's edge and its label; ";
        if (row.text.left < row.badge.right) faults += name + " text over the badge; ";
        if (row.label.bottom <= row.label.top || row.text.right <= row.text.left) faults += name + " empty; ";
        above = row.badge.bottom;
    }
    if (box.footer.top < above || !Inside(BoxOf(box.footer), inside)) faults += "footer misplaced; ";
    return faults;
}

void ExpectWellPlaced(const Shown& w, const Mode& m, const Scale& sc, const char* what) {
    Parent window, container;
    Collect(w, &window, &container);
    std::string faults = PlacementFaults(window) + PlacementFaults(container) + ShortcutBoxFaults(w);
    EXPECT_EQ(faults, "") << Describe(m, sc, what);
}

TEST(LayoutProperties, ShownControlsNeitherOverlapNorLeaveTheirParentInAnyStateOrScale) {
    int checked = 0, scrolled = 0;
    for (const Texts& texts : {ShortTexts(), LongTexts()}) {
        for (const Scale& sc : AllScales()) {
            for (int bits = 0; bits < kModeCount; ++bits) {
                Mode m = ModeOf(bits);
                if (!Possible(m)) continue;
                Shown w = Show(m, sc, texts);
                ExpectWellPlaced(w, m, sc, "as shown");
                ++checked;
                if (!w.state.settingsScrollable) continue;
                int most = w.state.settingsContentHeight - w.state.settingsViewHeight;
                for (int pos : {0, 48, most / 2, most}) {
                    ExpectWellPlaced(Scrolled(w, pos), m, sc, ("scrolled to " + std::to_string(pos)).c_str());
                    ++scrolled;
                }
            }
        }
    }
    // Every possible mode at every scale, and the short screen makes the settings scroll in some of them.
    EXPECT_EQ(checked, 2 * static_cast<int>(AllScales().size()) * 88);
    EXPECT_GT(scrolled, 0);
}

TEST(LayoutProperties, TheMeterShowsOnlyUnderTheStatusLineWithoutThePlayer) {
    for (const Scale& sc : AllScales()) {
        for (int bits = 0; bits < kModeCount; ++bits) {
            Mode m = ModeOf(bits);
            if (!Possible(m)) continue;
            Shown w = Show(m, sc, ShortTexts());
            const MeterPlacement& meter = w.out.meter;
            bool column = !(m.panelOpen && m.recorderHidden);
            bool player = m.playerLoaded && !m.recording;
            EXPECT_EQ(meter.shown, column && !player) << Describe(m, sc, "meter");
            if (!meter.shown) continue;
            // Between the status line and the recorder row, drawn no bigger than its band (give or take the pixel
            // its ends round to), its 32 bars and their gaps inside it.
            EXPECT_GE(meter.band.top, BoxOf(w.out.items[kItemStatus]).bottom) << Describe(m, sc, "meter");
            EXPECT_LE(meter.band.bottom, w.out.items[kItemRecord].y) << Describe(m, sc, "meter");
            EXPECT_LE(abs(meter.band.right - meter.band.left - meter.w), 1) << Describe(m, sc, "meter");
            EXPECT_LE(32 * meter.barWidth + 31 * meter.barGap, meter.w - 2 * meter.corner) << Describe(m, sc, "bars");
            EXPECT_LE(meter.barUnit * 135 / 100, meter.h) << Describe(m, sc, "bars");
        }
    }
}

// The same pass at scale s and at 1: every placement within the pixel that rounding gives, plus two layout units where
// the pass itself rounds, once for the shortcut heading's height in units and once for the room the settings view
// has. The shortcut box's rows are sums of lengths each scaled on its own: seven of them above the footer, so it may be
// 3.5 pixels from its scaled place.
TEST(LayoutProperties, EveryScaleIsTheHundredPercentPassScaled) {
    Texts texts = {};
    // Whole units at every scale (20 × 0.5, 20 × 0.6, ... 20 × 2.25 are integers), so no measured height rounds.
    for (int i = 0; i < kTextCount; ++i) {
        texts.lines[i] = i == kTextFolder ? 2 : 1;
        texts.lineHeight[i] = 20;
    }
    Scale one = {96, 100, 1.0};
    for (int bits = 0; bits < kModeCount; ++bits) {
        Mode m = ModeOf(bits);
        if (!Possible(m) || m.maximised) continue;
        Shown ref = Show(m, one, texts);
        for (const Scale& sc : AllScales()) {
            // The work area scaled too, so the settings have the same room in units.
            Shown w = {};
            w.in = InputFor(m, sc, texts);
            w.in.workArea = {0, 0, scaleAt(sc.uiScale, kWorkWidth), scaleAt(sc.uiScale, kWorkHeight)};
            w.in.frameWidth = scaleAt(sc.uiScale, 16);
            w.in.frameHeight = scaleAt(sc.uiScale, 39);
            w.in.clientWidth = scaleAt(sc.uiScale, kColumnWidth);
            w.in.clientHeight = scaleAt(sc.uiScale, kInitialContentHeight);
            w.in.windowRect = {0, 0, w.in.clientWidth + w.in.frameWidth, w.in.clientHeight + w.in.frameHeight};
            w.state = layoutInitialState();
            w.state.forcedWidth = m.panelOpen && !m.recorderHidden ? 860 : minimumColumnWidth(w.in);
            computeLayout(w.in, &w.state, &w.out);
            double s = sc.uiScale;
            double slack = 2 * s + 1;
            auto near = [&](int got, int unscaled) {
                return got >= unscaled * s - slack && got <= unscaled * s + slack;
            };
            for (int item = 0; item < kItemCount; ++item) {
                const Placement& a = w.out.items[item];
                const Placement& b = ref.out.items[item];
                std::string what = Describe(m, sc, ItemName(item).c_str());
                ASSERT_EQ(a.moved, b.moved) << what;
                EXPECT_EQ(a.visible, b.visible) << what;
                if (!a.moved) continue;
                EXPECT_TRUE(near(a.x, b.x) && near(a.y, b.y) && near(a.w, b.w) && near(a.h, b.h))
                    << what << ": " << a.x << "," << a.y << " " << a.w << "x" << a.h << " against " << b.x << "," << b.y
                    << " " << b.w << "x" << b.h;
            }
            EXPECT_TRUE(near(w.out.windowWidth - w.in.frameWidth, ref.out.windowWidth - ref.in.frameWidth))
                << Describe(m, sc, "window width");
            EXPECT_TRUE(near(w.out.windowHeight - w.in.frameHeight, ref.out.windowHeight - ref.in.frameHeight))
                << Describe(m, sc, "window height");
            EXPECT_TRUE(near(w.out.meter.band.top, ref.out.meter.band.top)) << Describe(m, sc, "meter");
            EXPECT_LE(fabs(w.out.shortcutBox.footer.top - s * ref.out.shortcutBox.footer.top), 3.5)
                << Describe(m, sc, "shortcut footer");
        }
    }
}

}  // namespace
