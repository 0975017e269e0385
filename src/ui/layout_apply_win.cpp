// Applies the portable layout pass to the real window. Everything here is reading the window (client size, monitor,
// frame, measured texts) or moving windows; the geometry itself is layout.cpp's.
#include "ui/layout_apply_win.h"

#include "ui/control_lookup_win.h"
#include "ui/fonts_win.h"
#include "ui/layout.h"
#include "ui/scale.h"
#include "ui/window_dpi_win.h"

RECT PanelBounds;

namespace {

bool layoutBusy;
bool inSizeMove;  // between WM_ENTERSIZEMOVE and WM_EXITSIZEMOVE
// Kept for the painters, which draw the meter and the shortcut box where the pass put them.
LayoutResult applied;

HWND ItemWindow(int item) {
    if (!controlLookup.find) return nullptr;
    if (kLayoutItemKeys[item] == kKeySettingsContainer)
        return controlLookup.container ? controlLookup.container() : nullptr;
    return controlLookup.find(kLayoutItemKeys[item]);
}

int MeasureDevice(HWND window, HWND control, HFONT fallback) {
    if (!control) return 0;
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    if (!font) font = fallback;
    wchar_t text[900];
    GetWindowTextW(control, text, 900);
    HDC dc = GetDC(window);
    HGDIOBJ old = SelectObject(dc, font);
    RECT r = {0, 0, ScalePx(320), 0};
    DrawTextW(dc, text, -1, &r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    return r.bottom - r.top;
}

// The shortcut box heading in the font its painter writes it in.
int MeasureShortcutHeading(HWND window) {
    HDC dc = GetDC(window);
    HGDIOBJ old = SelectObject(dc, paintObjects.smallBold);
    RECT r = {0, 0, ScalePx(320), 0};
    DrawTextW(dc, kShortcutHeading, -1, &r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    return r.bottom - r.top;
}

void FillInput(HWND window, const LayoutFlags& flags, bool measure, LayoutInput* in) {
    *in = LayoutInput{};
    in->uiScale = uiScale;
    RECT client;
    GetClientRect(window, &client);
    in->clientWidth = client.right;
    in->clientHeight = client.bottom;
    in->maximised = IsZoomed(window) != FALSE;
    in->recording = flags.recording;
    in->playerLoaded = flags.playerLoaded;
    in->lastRecording = flags.lastRecording;
    in->settingsOpen = flags.settingsOpen;
    in->miniMode = flags.miniMode;
    in->panelOpen = flags.panelOpen;
    in->recorderHidden = flags.recorderHidden;
    MONITORINFO mi = {};
    mi.cbSize = sizeof mi;
    if (GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &mi)) {
        in->haveWorkArea = true;
        in->workArea = {mi.rcWork.left, mi.rcWork.top, mi.rcWork.right, mi.rcWork.bottom};
    }
    RECT wr;
    GetWindowRect(window, &wr);
    in->windowRect = {wr.left, wr.top, wr.right, wr.bottom};
    RECT hidden = HiddenFrame(window);
    in->hiddenFrame = {hidden.left, hidden.top, hidden.right, hidden.bottom};
    in->inSizeMove = inSizeMove;
    // The frame at the window's own DPI: after a DPI change the system's would leave the client a few pixels short.
    FrameAtDpi(window, WindowDpi(window), &in->frameWidth, &in->frameHeight);
    if (!measure || !controlLookup.find) return;
    const int keys[kTextCount - 1] = {kIdDetail,      kLabelRecordHeading, kLabelRecordNote, kLabelPlaybackHeading,
                                      kLabelSlot + 0, kLabelSlot + 1,      kLabelSlot + 2,   kLabelSlot + 3,
                                      kLabelSlot + 4, kLabelSlot + 5,      kLabelSlot + 6,   kLabelSlot + 7,
                                      kLabelSaveIn,   kIdFolder,           kIdVersion,       kLabelMark};
    static_assert(kControlSlotCount == 8 && kTextShortcutHeading == kTextCount - 1, "one key per measured text");
    for (int i = 0; i < kTextCount - 1; ++i) {
        in->textHeight[i] = MeasureDevice(window, controlLookup.find(keys[i]), windowFonts.mainFont);
    }
    in->textHeight[kTextShortcutHeading] = MeasureShortcutHeading(window);
}

void Apply(HWND window, const LayoutResult& out) {
    for (int item = 0; item < kItemCount; ++item) {
        HWND h = ItemWindow(item);
        if (!h) continue;
        const Placement& p = out.items[item];
        if (!p.moved) {
            // The style bit, not IsWindowVisible: during creation the main window itself is not shown yet.
            if (GetWindowLongPtrW(h, GWL_STYLE) & WS_VISIBLE) ShowWindow(h, SW_HIDE);
            continue;
        }
        UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | (p.visible ? SWP_SHOWWINDOW : SWP_HIDEWINDOW);
        if (item < kFirstSettingsItem) flags |= SWP_NOCOPYBITS;
        SetWindowPos(h, nullptr, p.x, p.y, p.w, p.h, flags);
    }
    if (out.setScrollBar) {
        SCROLLINFO si = {};
        si.cbSize = sizeof si;
        si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
        si.nMin = 0;
        si.nMax = out.scrollRange;
        si.nPage = static_cast<UINT>(out.scrollPage);
        si.nPos = out.scrollPos;
        if (HWND bar = ItemWindow(kItemScrollBar)) SetScrollInfo(bar, SB_CTL, &si, TRUE);
    }
    if (out.resizeWindow) {
        SetWindowPos(window, nullptr, 0, 0, out.windowWidth, out.windowHeight,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    }
    if (out.moveWindow) {
        SetWindowPos(window, nullptr, out.windowX, out.windowY, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void PlacePanelStrip(HWND window, const LayoutFlags& flags) {
    LayoutInput in;
    FillInput(window, flags, false, &in);
    PanelStripPlacement strip = panelStripFor(in, layoutState, in.clientWidth, in.clientHeight);
    HWND h = controlLookup.find ? controlLookup.find(kIdPanelStrip) : nullptr;
    if (!h) return;
    if (!strip.shown) {
        SetWindowPos(h, nullptr, 0, 0, 1, 1, SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
        return;
    }
    SetWindowPos(h, nullptr, strip.x, strip.y, strip.w, strip.h, SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    PanelBounds = RECT{strip.panelX, strip.panelY, strip.panelX + strip.panelW, strip.panelY + strip.panelH};
    if (controlLookup.panelPlaced) controlLookup.panelPlaced(PanelBounds);
    InvalidateRect(h, nullptr, FALSE);
}

void LayoutKeepingSize(HWND window, const LayoutFlags& flags) {
    layoutState.keepWindowSize = true;
    ApplyLayout(window, flags);
    layoutState.keepWindowSize = false;
}

}  // namespace

const wchar_t kShortcutHeading[] = L"Keyboard Shortcuts (works even when minimized)";

const LayoutResult& AppliedLayout() {
    return applied;
}

int MeasureTextHeight(HWND control, int minHeight) {
    HWND window = GetParent(control);
    if (controlLookup.container && window == controlLookup.container()) window = GetParent(window);
    return measuredHeight(uiScale, MeasureDevice(window, control, windowFonts.mainFont), minHeight);
}

void ApplyLayout(HWND window, const LayoutFlags& flags) {
    if (!window || layoutBusy) return;
    layoutBusy = true;
    LayoutInput in;
    FillInput(window, flags, true, &in);
    computeLayout(in, &layoutState, &applied);
    Apply(window, applied);
    layoutState.forcedWidth = 0;
    PlacePanelStrip(window, flags);
    if (HWND time = controlLookup.find ? controlLookup.find(kIdTime) : nullptr) InvalidateRect(time, nullptr, TRUE);
    InvalidateRect(window, nullptr, FALSE);
    layoutBusy = false;
}

void OnLayoutSize(HWND window, WPARAM kind, const LayoutFlags& flags) {
    if (layoutBusy || kind == SIZE_MINIMIZED) return;
    LayoutInput in;
    FillInput(window, flags, false, &in);
    if (sizeChangeMovesColumn(in, layoutState)) {
        LayoutKeepingSize(window, flags);
        return;
    }
    PlacePanelStrip(window, flags);
    InvalidateRect(window, nullptr, FALSE);
}

void OnLayoutMinMaxInfo(HWND window, MINMAXINFO* info, const LayoutFlags& flags) {
    LayoutInput in;
    FillInput(window, flags, false, &in);
    int w = 0, h = 0;
    minimumTrackSize(in, layoutState, &w, &h);
    info->ptMinTrackSize.x = w;
    info->ptMinTrackSize.y = h;
    if (flags.miniMode) info->ptMaxTrackSize = info->ptMinTrackSize;
}

void OnLayoutEnterSizeMove() {
    inSizeMove = true;
}

void OnLayoutExitSizeMove(HWND window, const LayoutFlags& flags) {
    inSizeMove = false;
    LayoutInput in;
    FillInput(window, flags, false, &in);
    int x = 0, y = 0;
    if (clampAtSizeMoveEnd(in, &layoutState, &x, &y))
        SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void OnLayoutRememberHeight(HWND window) {
    if (IsZoomed(window) || IsIconic(window)) return;
    RECT client;
    GetClientRect(window, &client);
    layoutState.rememberedHeight = rememberedHeightFor(uiScale, client.bottom);
}

bool OnLayoutMouseWheel(HWND window, WPARAM wp, const LayoutFlags& flags) {
    if (!layoutState.settingsScrollable || !flags.settingsOpen) return false;
    int target = settingsScrollForWheel(&layoutState, GET_WHEEL_DELTA_WPARAM(wp));
    if (settingsScrollTo(&layoutState, target)) LayoutKeepingSize(window, flags);
    return true;
}

void OnLayoutVScroll(HWND window, HWND bar, int code, const LayoutFlags& flags) {
    SCROLLINFO si = {};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL;
    GetScrollInfo(bar, SB_CTL, &si);
    int target = settingsScrollForCode(layoutState, code, si.nPos, si.nTrackPos);
    if (settingsScrollTo(&layoutState, target)) LayoutKeepingSize(window, flags);
}

// A zoom change gives the window the column's width at the new scale; a pass alone would keep the old width in
// device pixels, so zooming out would leave the column centred in a window that did not shrink.
void ApplyZoomPercent(HWND window, int percent, const LayoutFlags& flags) {
    uiScale = zoomScale(dpiFactor, percent);
    CreateFonts(window);
    LayoutForceColumnWidth(flags);
    ApplyLayout(window, flags);
}

void LayoutForceColumnWidth(const LayoutFlags& flags) {
    LayoutInput in = {};
    in.miniMode = flags.miniMode;
    in.panelOpen = flags.panelOpen;
    in.recorderHidden = flags.recorderHidden;
    layoutState.forcedWidth = minimumColumnWidth(in);
}

void OnLayoutDpiChanged(HWND window, int dpi, int zoomPercent, const RECT* suggested, const LayoutFlags& flags) {
    dpiFactor = dpi / 96.0;
    uiScale = zoomScale(dpiFactor, zoomPercent);
    CreateFonts(window);
    if (suggested) {
        // No pass on the WM_SIZE of this move: it would use up the column's width forced below and leave the window
        // as wide as the suggestion, the column centred in it.
        bool wasBusy = layoutBusy;
        layoutBusy = true;
        SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        layoutBusy = wasBusy;
    }
    LayoutForceColumnWidth(flags);
    ApplyLayout(window, flags);
}

bool OnLayoutDpiScaledSize(HWND window, int dpi, int zoomPercent, SIZE* size, const LayoutFlags& flags) {
    if (!size || dpi <= 0 || IsZoomed(window)) return false;
    LayoutInput in;
    FillInput(window, flags, false, &in);
    int frameWidth = 0, frameHeight = 0;
    FrameAtDpi(window, static_cast<UINT>(dpi), &frameWidth, &frameHeight);
    int width = 0, height = 0;
    windowSizeAtScale(in, layoutState, zoomScale(dpi / 96.0, zoomPercent), frameWidth, frameHeight, &width, &height);
    size->cx = width;
    size->cy = height;
    return true;
}
