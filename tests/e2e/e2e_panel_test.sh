#!/usr/bin/env bash
# Notafon.exe end to end under Wine with the WebView2 test double as its resource 200 (Wine has no WebView2 runtime):
# "Transcribe on Parlowen" widens the window to 860 and starts the browser with the service's address and the
# hand-off mapping; the panel follows the layout beside the strip, and with the recorder column hidden at the left
# edge; a recording made with the panel open is handed to the page once it says it is ready, and again when the page
# reloads; the page's sign-in reaches the registry and the button's painted text, also at the next start; closing the
# window closes the browser's controller. With the controller held back: closing the panel before it arrives leaves
# it hidden, and mini mode loads the page anew. With a controller that takes 2 s: a DPI change and mini mode in that
# time reach it when it arrives. A window move reaches the browser; the browser's exit closes the panel and the next
# click starts a new one; a failed start's message box comes after the browser's handler has returned.
#
# usage: e2e_panel_test.sh NOTAFON_WITH_DOUBLE.exe DRIVER.exe NATIVE_BUILD ARTIFACTS
set -uo pipefail

HERE=$(cd "$(dirname "$0")" && pwd)
source "$HERE/e2e_lib.sh"
e2e_setup "$@"

LOG="$WORK/double.log"
INBOX="$WORK/inbox.txt"
: >"$INBOX"
export NOTAFON_WEBVIEW2_DOUBLE_LOG NOTAFON_WEBVIEW2_DOUBLE_INBOX NOTAFON_WEBVIEW2_DOUBLE_MODE=
NOTAFON_WEBVIEW2_DOUBLE_LOG=$(wine_path "$LOG")
NOTAFON_WEBVIEW2_DOUBLE_INBOX=$(wine_path "$INBOX")

# The log line equal to TEXT appears within a few seconds (the double answers from a timer).
expect_log() {
    for _ in $(seq 100); do
        grep -qxF -- "$2" "$LOG" 2>/dev/null && { printf 'ok: %s\n' "$1"; return; }
        sleep 0.05
    done
    fail "$1" "no line '$2' in the double's log"
}
# The last log line starting with PREFIX, within a few seconds.
log_line() {
    local line=''
    for _ in $(seq 100); do
        line=$(grep -F -- "$1" "$LOG" 2>/dev/null | tail -1)
        [ -n "$line" ] && break
        sleep 0.05
    done
    printf '%s\n' "$line"
}
unix_path() { winepath -u "$1" 2>/dev/null | sed "s:/$::"; }
page_says() { printf '%s\n' "$1" >>"$INBOX"; }

speech_to_feed 22050 3 "The panel receives what was recorded, beside the recorder."
fresh_settings "$REC"
wine reg add "$E2E_KEY" /v Format /t REG_DWORD /d 1 /f >/dev/null 2>&1

section "opening the panel"
app_start
# The button as a signed-out user first sees it, to compare with after the page's sign-in.
win idle 5000 pixels kIdTranscribe
SIGNED_OUT=$(out 'pixels kIdTranscribe')
win click kIdTranscribe waitfor shown kIdPanelStrip 1 5000 idle 5000 rect kIdPanelStrip
STRIP=$(out 'rect kIdPanelStrip')
expect "the strip right of the column" "$(echo "$STRIP" | awk '{ print $1, $2, $3, $5 }')" "380 0 40 1"
HEIGHT=$(echo "$STRIP" | awk '{ print $4 }')
expect_log "the browser is asked for" "Environment.CreateCoreWebView2Controller parent=window handler=set"
expect_log "status bar off" "Settings.put_IsStatusBarEnabled 0"
expect_log "developer tools off" "Settings.put_AreDevToolsEnabled 0"
expect_log "zoom control off" "Settings.put_IsZoomControlEnabled 0"
expect_log "the service's panel address" "WebView.Navigate https://www.parlowen.example/?app=notafon"
expect_log "the hand-off host's requests come to the host" \
    "WebView.AddWebResourceRequestedFilter https://handoff.notafon.example/* 0"
# The window was widened to 860 layout units: the panel fills it right of the strip.
expect_log "the panel right of the strip, the window 860 wide" "Controller.put_Bounds 420 0 860 $HEIGHT"

section "the recorder column hidden and shown"
win click kIdPanelStrip waitfor shown kIdRecord 0 5000 idle 5000 rect kIdPanelStrip rect kIdRecord
expect "the strip at the left edge" "$(out 'rect kIdPanelStrip' | awk '{ print $1, $5 }')" "0 1"
expect "the recorder hidden" "$(out 'rect kIdRecord' | awk '{ print $5 }')" 0
expect_log "the panel beside the strip at the left edge" "Controller.put_Bounds 40 0 860 $HEIGHT"
win click kIdPanelStrip waitfor shown kIdRecord 1 5000 idle 5000 rect kIdRecord
expect "the recorder back" "$(out 'rect kIdRecord' | awk '{ print $5 }')" 1

section "a recording handed to the page"
wine_env_use_mic 22050
mic_drain 22050
win click kIdRecord
feed_start 22050 "$WORK/speech.raw"
# 300 ms more of the fed speech, on purpose: the stop does not fall on the second the time shows.
win waittext kIdTime 00:00:02 10000 sleep 300 click kIdStop text kIdStatus
feed_stop
expect "status" "$(out 'text kIdStatus')" "Done and saved"
HANDOFF=$(find "$WINEPREFIX/drive_c/users" -type d -path '*Parlowen/Notafon/handoff' | head -1)
COPY=$(ls "$HANDOFF" 2>/dev/null | head -1)
expect_match "the copy in the hand-off folder" "$COPY" '^audio-1-[0-9]+\.mp3$'
if cmp -s "$HANDOFF/$COPY" "$REC/PRLW Audio.mp3"; then echo "ok: the copy equals the recording"; else
    fail "copy" "the hand-off copy differs from the recording"
fi
expect "nothing posted before the page is ready" "$(grep -c 'PostWebMessageAsJson' "$LOG")" 0
page_says notafon-ready
expect_log "the page hears of the recording" \
    "WebView.PostWebMessageAsJson {\"type\":\"notafon-audio\",\"url\":\"https://handoff.notafon.example/$COPY\",\"name\":\"PRLW Audio.mp3\"}"

expect "posted once" "$(grep -c '^WebView.PostWebMessageAsJson' "$LOG")" 1
page_says notafon-ready
for _ in $(seq 100); do [ "$(grep -c '^WebView.PostWebMessageAsJson' "$LOG")" -ge 2 ] && break; sleep 0.05; done
expect "a reloaded page hears of it again" "$(grep '^WebView.PostWebMessageAsJson' "$LOG" | uniq -c | awk '{ print $1 }')" 2

section "hiding the recorder is refused while recording"
mic_drain 22050
win click kIdRecord
feed_start 22050 "$WORK/speech.raw"
if win waittext kIdTime 00:00:01 8000 postclick kIdPanelStrip dialog 5000 1; then
    expect "refusal text" "$(out 'dialog text')" \
        "Stop the recording before hiding Notafon. While it is hidden, recording and playback are switched off."
else
    fail "refusal" "no message box"
fi
win nodialog 5000 idle 5000 rect kIdRecord click kIdStop waittext kIdStatus "Done and saved" 10000
feed_stop
expect "the recorder still shown" "$(out 'rect kIdRecord' | awk '{ print $5 }')" 1
# The page is ready by now: the next recording reaches it as soon as it is loaded for playing.
NEXT=$(log_line '"url":"https://handoff.notafon.example/audio-2-')
expect_match "a later recording is posted at once" "$NEXT" \
    '^WebView\.PostWebMessageAsJson \{"type":"notafon-audio","url":"https://handoff\.notafon\.example/audio-2-[0-9]+\.mp3","name":"PRLW Audio \(2\)\.mp3"\}$'

section "sign-in"
expect "not signed in at first" "$(reg_value SignedIn)" ""
# Closed, the panel's button speaks to whoever is not signed in, as at the start.
win click kIdTranscribe idle 5000 pixels kIdTranscribe
expect "the closed panel's button as at the start" "$(out 'pixels kIdTranscribe')" "$SIGNED_OUT"
page_says notafon-signed-in
for _ in $(seq 100); do [ "$(reg_value SignedIn)" = 1 ] && break; sleep 0.1; done
expect "the page's sign-in is stored" "$(reg_value SignedIn)" 1
win idle 5000 pixels kIdTranscribe
SIGNED_IN=$(out 'pixels kIdTranscribe')
if [ -n "$SIGNED_IN" ] && [ "$SIGNED_IN" != "$SIGNED_OUT" ]; then echo "ok: the button is painted anew"; else
    fail "sign-in" "the button looks as before the sign-in ($SIGNED_IN)"
fi

section "closing"
app_close
expect_log "closing the window closes the browser" "Controller.Close"

section "the sign-in remembered"
: >"$INBOX"
app_start
win idle 5000 pixels kIdTranscribe
expect "started signed in, the button as after the sign-in" "$(out 'pixels kIdTranscribe')" "$SIGNED_IN"
app_close

section "the panel closed before the browser arrives"
rm -f "$LOG"
: >"$INBOX"
NOTAFON_WEBVIEW2_DOUBLE_MODE=hold-controller
app_start
win click kIdTranscribe >/dev/null
expect_log "the browser is asked for" "Environment.CreateCoreWebView2Controller parent=window handler=set"
win click kIdTranscribe idle 5000 >/dev/null
page_says '!controller'
expect_log "the late browser is created" "WebView.Navigate https://www.parlowen.example/?app=notafon"
expect "it arrives hidden" "$(grep '^Controller.put_IsVisible' "$LOG" | tr '\n' ' ')" "Controller.put_IsVisible 0 "
win click kIdTranscribe waitfor shown kIdPanelStrip 1 5000 >/dev/null
expect_log "shown when the panel opens again" "Controller.put_IsVisible 1"
expect "one environment" "$(grep -c '^CreateCoreWebView2EnvironmentWithOptions' "$LOG")" 1

section "mini mode resets the page"
win click kIdMiniToggle idle 5000 >/dev/null
for _ in $(seq 100); do [ "$(grep -c '^WebView.Navigate' "$LOG")" -ge 2 ] && break; sleep 0.05; done
expect "the page loaded anew" "$(grep -c '^WebView.Navigate' "$LOG")" 2
expect "and hidden" "$(grep '^Controller.put_IsVisible' "$LOG" | tail -1)" "Controller.put_IsVisible 0"
win click kIdMiniToggle idle 5000 >/dev/null
app_close
expect_log "closed with the window" "Controller.Close"
expect "no call the host should not make" "$(grep '^unexpected slot' "$LOG")" ""

section "a browser that takes 2 s: a DPI change and mini mode meanwhile reach it"
rm -f "$LOG"
: >"$INBOX"
NOTAFON_WEBVIEW2_DOUBLE_MODE=late-controller
app_start
win click kIdTranscribe waitfor shown kIdPanelStrip 1 5000 dpi 120 0 0 1200 760 idle 5000 rect kIdPanelStrip winrect
STRIP=$(out 'rect kIdPanelStrip')
CLIENT=$(out client)
LEFT=$(echo "$STRIP" | awk '{ print $1 + $3 }')
WANT="Controller.put_Bounds $LEFT 0 $(echo "$CLIENT" | awk '{ print $1 }') $(echo "$CLIENT" | awk '{ print $2 }')"
expect "still starting after the DPI change" "$(grep -c '^Controller.put_Bounds' "$LOG")" 0
expect_log "the late browser is created" "WebView.Navigate https://www.parlowen.example/?app=notafon"
expect "it arrives in the rectangle of the last layout" "$(grep -m1 '^Controller.put_Bounds' "$LOG")" "$WANT"
expect "and shown" "$(grep '^Controller.put_IsVisible' "$LOG" | tr '\n' ' ')" "Controller.put_IsVisible 1 "
app_close
rm -f "$LOG"
app_start
win click kIdTranscribe waitfor shown kIdPanelStrip 1 5000 click kIdMiniToggle idle 5000 >/dev/null
expect_log "the late browser is created" "WebView.Navigate https://www.parlowen.example/?app=notafon"
expect "it arrives hidden beside the mini window" "$(grep '^Controller.put_IsVisible' "$LOG" | tr '\n' ' ')" \
    "Controller.put_IsVisible 0 "
win click kIdMiniToggle idle 5000 >/dev/null
app_close

section "a window move reaches the browser; its exit closes the panel and the next click starts anew"
rm -f "$LOG"
: >"$INBOX"
NOTAFON_WEBVIEW2_DOUBLE_MODE=
app_start
win click kIdTranscribe waitfor shown kIdPanelStrip 1 5000 >/dev/null
expect_log "created" "WebView.Navigate https://www.parlowen.example/?app=notafon"
win move 60 40 idle 5000 >/dev/null
expect_log "the browser hears of the move" "Controller.NotifyParentWindowPositionChanged"
page_says '!process-failed 0'
if win waitfor shown kIdPanelStrip 0 5000 idle 5000 winrect; then
    expect "back to the column's width" "$(out client | awk '{ print $1 }')" 380
else
    fail "browser exit" "the panel's strip is still shown"
fi
expect "the controller closed" "$(grep -c '^Controller.Close$' "$LOG")" 1
win click kIdTranscribe waitfor shown kIdPanelStrip 1 5000 >/dev/null
for _ in $(seq 100); do [ "$(grep -c '^WebView.Navigate' "$LOG")" -ge 2 ] && break; sleep 0.05; done
expect "a new environment and page" \
    "$(grep -c '^CreateCoreWebView2EnvironmentWithOptions' "$LOG") $(grep -c '^WebView.Navigate' "$LOG")" "2 2"
app_close

section "a failed start's message box comes after the browser's handler returned"
logging_browser_start "$WORK/browser.log"
rm -f "$LOG"
NOTAFON_WEBVIEW2_DOUBLE_MODE=fail-controller
app_start
win postclick kIdTranscribe >/dev/null
# Shown from inside the handler, the box would hold the handler open: "returned" would come only after it.
expect_log "the controller's handler returned" "ControllerHandler.Invoke returned"
if win dialog 20000 1; then
    expect_match "then the box, still open" "$(out 'dialog text')" '^The embedded browser could not start\.'
else
    fail "fallback" "no message box"
fi
win nodialog 5000 >/dev/null
app_close
logging_browser_stop
expect "no call the host should not make" "$(grep '^unexpected slot' "$LOG")" ""
e2e_finish
