#!/usr/bin/env bash
# The panel host against the WebView2 test double under Wine (the double is resource 200 of the probe): the browser
# set-up with its arguments and order, bounds and visibility, the page's messages and readiness, the hand-off copy and
# its JSON message byte for byte, reset and close; then the controller held back (hidden until shown, a second open
# while starting, closing before it arrives) and the failure paths of each handler.
#
# usage: wine_panel_double_test.sh PANEL_PROBE_DOUBLE.exe
set -uo pipefail

HERE=$(cd "$(dirname "$0")" && pwd)
source "$HERE/panel_test_lib.sh"
wine_env_require || exit 1
PROBE=$1
[ -f "$PROBE" ] || { echo "FAIL: $PROBE is missing"; exit 1; }
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

LOG="$WORK/double.log"
export NOTAFON_WEBVIEW2_DOUBLE_LOG NOTAFON_WEBVIEW2_DOUBLE_INBOX NOTAFON_WEBVIEW2_DOUBLE_MODE=
NOTAFON_WEBVIEW2_DOUBLE_LOG=$(wine_path "$LOG")
NOTAFON_WEBVIEW2_DOUBLE_INBOX=$(wine_path "$WORK/inbox.txt")
WINEDEBUG=-all
SOURCE="$WORK/Talk one é.mp3"
head -c 300000 /dev/urandom >"$SOURCE"
SOURCE_WIN=$(wine_path "$SOURCE")
SECOND="$WORK/v1.2/second take"
mkdir -p "$WORK/v1.2" && head -c 1000 /dev/urandom >"$SECOND"

echo "== open, hand off, talk with the page, reset, close"
probe open 380 0 480 520 wait-created 5000 bounds 380 0 500 520 state \
    page notafon-ready handoff "$SOURCE_WIN" state \
    page notafon-signed-in page notafon-signed-out \
    page '!navigation-completed' state page notafon-ready \
    loaded "$(wine_path "$SECOND")" page notafon-request-audio \
    page '!not-a-string' page notafon-bogus page '' \
    reset state show 0 show 1 close state
expect "created" "$(printf '%s\n' "$PROBE_OUT" | grep '^created:' | head -1)" "created: 1"
DATA_WIN=$(out data-folder)
HANDOFF_WIN=$(out handoff-folder)
HANDOFF=$(unix_path "$HANDOFF_WIN")
expect "hand-off folder" "$HANDOFF_WIN" "$DATA_WIN\\handoff"
expect "no errors" "$(out error)" ""
expect "sign-in then sign-out" "$(printf '%s\n' "$PROBE_OUT" | grep '^signed-in:' | tr '\n' ' ')" \
    "signed-in: 1 signed-in: 0 "
expect "one audio request" "$(printf '%s\n' "$PROBE_OUT" | grep -c '^audio-request:')" 1

expect_line "environment arguments" "$LOG" \
    "CreateCoreWebView2EnvironmentWithOptions browser=(null) userData=$DATA_WIN\\WebView2 options=(null) handler=set"
expect_line "environment kept" "$LOG" "Environment.AddRef -> 2"
expect_line "controller for the window" "$LOG" "Environment.CreateCoreWebView2Controller parent=window handler=set"
expect_line "controller kept" "$LOG" "Controller.AddRef -> 2"
expect_line "first bounds" "$LOG" "Controller.put_Bounds 380 0 860 520"
expect_line "bounds follow" "$LOG" "Controller.put_Bounds 380 0 880 520"
expect_line "status bar off" "$LOG" "Settings.put_IsStatusBarEnabled 0"
expect_line "developer tools off" "$LOG" "Settings.put_AreDevToolsEnabled 0"
expect_line "zoom control off" "$LOG" "Settings.put_IsZoomControlEnabled 0"
expect_line "settings released" "$LOG" "Settings.Release -> 1"
expect_line "asks for ICoreWebView2_3" "$LOG" "WebView.QueryInterface ICoreWebView2_3"
expect_line "mapping names the hand-off folder" "$LOG" \
    "WebView3.SetVirtualHostNameToFolderMapping handoff.notafon.example $HANDOFF_WIN 1"
NAVIGATE="WebView.Navigate https://www.parlowen.example/?app=notafon"
expect_line "navigates to the panel address" "$LOG" "$NAVIGATE"
order=""
for l in "Controller.get_CoreWebView2" "Controller.put_Bounds 380 0 860 520" "Controller.put_IsVisible 1" \
    "Settings.put_IsStatusBarEnabled 0" "WebView3.SetVirtualHostNameToFolderMapping handoff.notafon.example $HANDOFF_WIN 1" \
    "WebView.add_WebMessageReceived handler=set" "WebView.add_NavigationCompleted handler=set" "$NAVIGATE"; do
    order="$order $(line_of "$LOG" "$l")"
done
sorted=$(printf '%s\n' $order | sort -n | tr '\n' ' ')
expect "set-up order" "$(printf '%s\n' $order | tr '\n' ' ')" "$sorted"
case " $order " in *" 0 "*) fail "set-up order" "a step is missing:$order" ;; esac
expect_line "environment handler count" "$LOG" "EnvironmentHandler.AddRef -> 2"
expect_line "environment handler back to 1" "$LOG" "EnvironmentHandler.Release -> 1"
expect_line "controller handler back to 1" "$LOG" "ControllerHandler.Release -> 1"

# The first hand-off: ready, then the copy; the message carries the copy's name and the source's name.
posts=$(sed -n 's/^WebView.PostWebMessageAsJson //p' "$LOG")
first=$(printf '%s\n' "$posts" | sed -n 1p)
copy1=$(printf '%s\n' "$first" | sed -n 's|.*"url":"https://handoff.notafon.example/\([^"]*\)".*|\1|p')
expect_match_copy1=$(printf '%s' "$copy1" | grep -cE '^audio-1-[0-9]+\.mp3$')
expect "first copy named audio-1-TICKS.mp3" "$expect_match_copy1" 1
expect "first message" "$first" \
    "{\"type\":\"notafon-audio\",\"url\":\"https://handoff.notafon.example/$copy1\",\"name\":\"Talk one é.mp3\"}"
expect "reload's ready posts it again" "$(printf '%s\n' "$posts" | sed -n 2p)" "$first"
third=$(printf '%s\n' "$posts" | sed -n 3p)
copy2=$(printf '%s\n' "$third" | sed -n 's|.*"url":"https://handoff.notafon.example/\([^"]*\)".*|\1|p')
expect "request-audio hands over the loaded file (dotted folder, no extension)" \
    "$(printf '%s' "$copy2" | grep -cE '^audio-2-[0-9]+\.mp3$')" 1
expect "second message name" "$(printf '%s' "$third" | sed -n 's/.*"name":"\([^"]*\)"}$/\1/p')" "second take"
expect "three posts in all" "$(printf '%s\n' "$posts" | grep -c .)" 3
expect "only the second copy is left" "$(ls "$HANDOFF" | tr '\n' ' ')" "$copy2 "
cmp -s "$HANDOFF/$copy2" "$SECOND" && echo "ok: the copy equals the source" || fail "copy" "differs from the source"
expect "every page message read once" "$(grep -c '^Args.TryGetWebMessageAsString$' "$LOG")" \
    "$(grep -c '^deliver message' "$LOG")"
expect "reset navigates again" "$(grep -cxF "$NAVIGATE" "$LOG")" 2
expect "reset forgets the pending message" "$(printf '%s\n' "$PROBE_OUT" | grep '^pending:' | sed -n 4p)" \
    "pending: (none)"
expect_line "hidden" "$LOG" "Controller.put_IsVisible 0"
close_line=$(line_of "$LOG" "Controller.Close")
[ "$close_line" -gt 0 ] && echo "ok: closed" || fail "close" "no Controller.Close"
expect "controller released after close" "$(sed -n "$((close_line + 1))p" "$LOG")" "Controller.Release -> 1"
expect "not created after close" "$(out created)" 0
# Every reference the host took is given back on close, except the environment's, which is kept for the process.
for o in Controller WebView Settings; do
    expect "$o references balanced" "$(grep -E "^$o\.(AddRef|Release) " "$LOG" | tail -1 | sed 's/.*-> //')" 1
done
expect "environment kept for the process" "$(grep -E '^Environment\.(AddRef|Release) ' "$LOG" | tail -1)" \
    "Environment.AddRef -> 2"
expect_no_line "no unexpected calls" "$LOG" '^unexpected slot'

echo "== a file that cannot be copied"
rm -f "$LOG"
probe open 380 0 480 520 wait-created 5000 page notafon-ready handoff "$(wine_path "$WORK/missing.mp3")" state
expect "hand-off error" "$(out error)" "Could not hand this audio to the panel."
expect "nothing pending" "$(out pending)" "(none)"
expect "nothing posted" "$(grep -c '^WebView.PostWebMessageAsJson' "$LOG")" 0

echo "== the controller held back: hidden until shown, one environment, closed when it arrives late"
rm -f "$LOG"
NOTAFON_WEBVIEW2_DOUBLE_MODE=hold-controller
probe open 380 0 480 520 pump 300 show 0 open 0 0 300 200 page '!controller' state show 1
expect "created on arrival" "$(out created)" 1
expect "one environment" "$(grep -c '^CreateCoreWebView2EnvironmentWithOptions' "$LOG")" 1
expect "one controller request" "$(grep -c '^Environment.CreateCoreWebView2Controller' "$LOG")" 1
expect "arrives hidden in the latest rectangle" \
    "$(grep -E '^Controller.put_(Bounds|IsVisible)' "$LOG" | head -2 | tr '\n' ' ')" \
    "Controller.put_Bounds 0 0 300 200 Controller.put_IsVisible 0 "
expect "shown again" "$(grep '^Controller.put_IsVisible' "$LOG" | tail -1)" "Controller.put_IsVisible 1"
rm -f "$LOG"
probe open 380 0 480 520 pump 300 close page '!controller' state
expect "closed on late arrival" "$(grep -E '^Controller\.' "$LOG" | tr '\n' ' ')" \
    "Controller.AddRef -> 2 Controller.get_CoreWebView2 Controller.Close Controller.Release -> 1 "
expect "no navigation after close" "$(grep -c '^WebView.Navigate' "$LOG")" 0
expect "not created" "$(out created)" 0

echo "== failures"
for m in fail-now:"Microsoft Edge WebView2 Runtime was not found." \
    fail-environment:"Microsoft Edge WebView2 Runtime was not found." \
    fail-controller:"The embedded browser could not start."; do
    NOTAFON_WEBVIEW2_DOUBLE_MODE=${m%%:*}
    probe open 380 0 480 520 wait-created 1000
    expect "$NOTAFON_WEBVIEW2_DOUBLE_MODE reported" "$(out error)" "${m#*:}"
    expect "$NOTAFON_WEBVIEW2_DOUBLE_MODE not created" "$(out created)" 0
done

echo "failures: $FAILURES"
[ "$FAILURES" -eq 0 ]
