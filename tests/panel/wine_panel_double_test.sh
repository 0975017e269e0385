#!/usr/bin/env bash
# The panel host against the WebView2 test double under Wine (the double is resource 200 of the probe): the browser
# set-up with its arguments and order, bounds and visibility, the page's messages and readiness, the hand-off copy and
# its JSON message byte for byte, reset and close; then the controller held back (hidden until shown, a second open
# while starting, closing before it arrives) and the failure paths of each handler, late and at once. Then what a
# real runtime does and the first double did not: other sites' documents and requests, new-window requests, handler
# interface probes, each process failure, a window move, a locked and a damaged loader file, a read-only source.
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
FILTER="WebView.AddWebResourceRequestedFilter https://handoff.notafon.example/* 0"
expect_line "the hand-off host's requests come to the host" "$LOG" "$FILTER"
expect_no_line "no mapping open to every site" "$LOG" "SetVirtualHostNameToFolderMapping"
NAVIGATE="WebView.Navigate https://www.parlowen.example/?app=notafon"
expect_line "navigates to the panel address" "$LOG" "$NAVIGATE"
order=""
for l in "Controller.get_CoreWebView2" "Controller.put_Bounds 380 0 860 520" "Controller.put_IsVisible 1" \
    "Settings.put_IsStatusBarEnabled 0" "$FILTER" "WebView.add_WebResourceRequested handler=set" \
    "WebView.add_WebMessageReceived handler=set" "WebView.add_NavigationCompleted handler=set" \
    "WebView.add_NewWindowRequested handler=set" "WebView.add_ProcessFailed handler=set" "$NAVIGATE"; do
    order="$order $(line_of "$LOG" "$l")"
done
sorted=$(printf '%s\n' $order | sort -n | tr '\n' ' ')
expect "set-up order" "$(printf '%s\n' $order | tr '\n' ' ')" "$sorted"
case " $order " in *" 0 "*) fail "set-up order" "a step is missing:$order" ;; esac
# COM's identity rule: each handler is itself as IUnknown and as its own interface, and nothing else.
for h in EnvironmentHandler ControllerHandler ResourceHandler MessageHandler NavigationHandler NewWindowHandler \
    ProcessFailedHandler; do
    expect_line "$h answers only for itself" "$LOG" "probe $h IMarshal=0x80004002/null IAgileObject=0x80004002/null \
made-up=0x80004002/null IUnknown=self own=self null-out=0x80004003"
done
# The page's request for audio is acted on after its handler has returned: the copy is no work inside it.
after=$(sed -n '/^deliver message notafon-request-audio$/,$p' "$LOG" | grep -m1 -E '^(MessageHandler\.Invoke returned|host: audio-request)$')
expect "the audio request waits for the handler to return" "$after" "MessageHandler.Invoke returned"
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

echo "== failures, late and at once: reported after the handler returned, the next open starts afresh"
for m in fail-now:"Microsoft Edge WebView2 Runtime was not found." \
    fail-environment:"Microsoft Edge WebView2 Runtime was not found." \
    fail-controller:"The embedded browser could not start." \
    fail-controller-now:"The embedded browser could not start." \
    fail-webview:"The embedded browser could not start."; do
    NOTAFON_WEBVIEW2_DOUBLE_MODE=${m%%:*}
    rm -f "$LOG"
    probe open 380 0 480 520 wait-created 1000 pump 100 state
    expect "$NOTAFON_WEBVIEW2_DOUBLE_MODE reported" "$(out error)" "${m#*:}"
    expect "$NOTAFON_WEBVIEW2_DOUBLE_MODE not created" "$(out created)" 0
    if [ "$NOTAFON_WEBVIEW2_DOUBLE_MODE" != fail-now ]; then
        # The error callback (the fallback's message box in the application) runs once no handler is running.
        last=$(grep -E '\.Invoke returned$|^host: error ' "$LOG" | tail -1)
        expect "$NOTAFON_WEBVIEW2_DOUBLE_MODE reported after the handler returned" "$last" "host: error ${m#*:}"
    fi
done
NOTAFON_WEBVIEW2_DOUBLE_MODE=fail-controller-now
rm -f "$LOG"
probe open 380 0 480 520 wait-created 1000 open 380 0 480 520 wait-created 1000
expect "a refused controller drops the environment" "$(grep -c '^Environment.Release -> 1$' "$LOG")" 2
expect "each open starts a new environment" "$(grep -c '^CreateCoreWebView2EnvironmentWithOptions' "$LOG")" 2
NOTAFON_WEBVIEW2_DOUBLE_MODE=fail-webview
rm -f "$LOG"
probe open 380 0 480 520 wait-created 1000 open 380 0 480 520 wait-created 1000 pump 100
expect "a controller without its browser is closed" "$(grep -cE '^Controller\.(Close|Release -> 1)$' "$LOG")" 4
expect "and nothing is placed in it" "$(grep -c '^Controller.put_' "$LOG")" 0
expect "then a new environment" "$(grep -c '^CreateCoreWebView2EnvironmentWithOptions' "$LOG")" 2
NOTAFON_WEBVIEW2_DOUBLE_MODE=

echo "== other sites in the panel: their messages, documents and requests get nothing"
logging_browser_start "$WORK/browser.log"
rm -f "$LOG"
SERVICE=https://www.parlowen.example
probe open 380 0 480 520 wait-created 5000 loaded "$SOURCE_WIN" \
    page "@https://login.provider.example/authorize notafon-request-audio" \
    page "@https://login.provider.example/authorize notafon-signed-in" \
    page "@https://www.parlowen.example.evil.example/ notafon-ready" \
    page "!document https://login.provider.example/authorize?client=parlowen" page notafon-ready \
    page "!document $SERVICE/?app=notafon" page notafon-ready \
    page "!source https://login.provider.example/authorize?step=2" handoff "$SOURCE_WIN" fetch-copy "$SERVICE" \
    page "!document $SERVICE/?app=notafon" page notafon-ready \
    fetch-copy https://evil.example fetch "$SERVICE" "https://handoff.notafon.example/..%5CWebView2Loader.dll" \
    fetch "$SERVICE" "https://handoff.notafon.example/audio-0-0.mp3" fetch-copy - fetch-copy "$SERVICE" \
    page "!new-window $SERVICE/help" page "!new-window ms-settings:privacy" pump 300 state
expect "no audio request from another site" "$(printf '%s\n' "$PROBE_OUT" | grep -c '^audio-request:')" 0
expect "no sign-in from another site" "$(printf '%s\n' "$PROBE_OUT" | grep -c '^signed-in:')" 0
expect "posted once, only after the service's document was back" "$(grep -c '^WebView.PostWebMessageAsJson' "$LOG")" 1
sequence=$(grep -E '^(document |source |WebView.PostWebMessageAsJson)' "$LOG" | tail -3 | cut -d' ' -f1-2 |
    sed 's/^\(WebView.PostWebMessageAsJson\) .*/\1/' | tr '\n' ' ')
expect "held while another site's document is shown, posted once the service's is back" "$sequence" \
    "source https://login.provider.example/authorize?step=2 document $SERVICE/?app=notafon WebView.PostWebMessageAsJson "
answers=$(sed -n 's/^ResourceArgs.put_Response //p' "$LOG")
HEADERS="Access-Control-Allow-Origin: $SERVICE | Vary: Origin | Cache-Control: no-store | Content-Type: audio/mpeg"
expect "answers in order" "$(printf '%s\n' "$answers" | cut -d' ' -f1 | tr '\n' ' ')" "403 403 404 404 200 200 "
expect "refused with nothing" "$(printf '%s\n' "$answers" | sed -n 1p)" "403 Forbidden headers= body=0"
expect "served to the service alone" "$(printf '%s\n' "$answers" | tail -1)" "200 OK headers=$HEADERS body=300000"
cmp -s "$LOG.body" "$SOURCE" && echo "ok: the served body is the recording" || fail "served body" "differs"
expect_no_line "nothing went to the network" "$LOG" '^fetch went to the network'
expect "every response released" "$(grep -E '^Response\.(AddRef|Release) ' "$LOG" | tail -1 | sed 's/.*-> //')" 1
expect "new windows handled" "$(grep -c '^NewWindowArgs.put_Handled 1$' "$LOG")" 2
expect_no_line "no popup of the browser's own" "$LOG" '^popup opened'
for _ in $(seq 50); do [ -s "$WORK/browser.log" ] && break; sleep 0.1; done
expect "the web address opened in the default browser, nothing else" "$(cat "$WORK/browser.log" 2>/dev/null)" \
    "$SERVICE/help"
logging_browser_stop

echo "== process failures: a renderer is reloaded, the browser's exit closes the panel and the next open starts anew"
rm -f "$LOG"
probe open 380 0 480 520 wait-created 5000 page '!process-failed 1' page '!process-failed 2' \
    page '!process-failed 3' page '!process-failed 6' state page '!process-failed 0' state \
    open 380 0 480 520 wait-created 5000
expect "both renderer failures reload" "$(grep -c '^WebView.Reload$' "$LOG")" 2
expect "still created after renderer failures" "$(printf '%s\n' "$PROBE_OUT" | grep '^created:' | sed -n 2p)" "created: 1"
expect "the application hears the browser is gone" "$(printf '%s\n' "$PROBE_OUT" | grep -c '^browser-gone:')" 1
expect "not created after the browser's exit" "$(printf '%s\n' "$PROBE_OUT" | grep '^created:' | sed -n 3p)" "created: 0"
gone=$(line_of "$LOG" "deliver process-failed 0")
expect "the controller closed and the environment dropped" \
    "$(sed -n "$gone,\$p" "$LOG" | grep -E '^(Controller\.Close|Environment\.Release)' | head -2 | tr '\n' ' ')" \
    "Controller.Close Environment.Release -> 1 "
expect "a new environment on the next open" "$(grep -c '^CreateCoreWebView2EnvironmentWithOptions' "$LOG")" 2
expect "created again" "$(out created)" 1

echo "== the window moves: the browser is told once it exists"
rm -f "$LOG"
probe move 40 40 open 380 0 480 520 move 60 60 wait-created 5000 move 120 80
arrived=$(line_of "$LOG" "Controller.AddRef -> 2")
first=$(grep -n '^Controller.NotifyParentWindowPositionChanged$' "$LOG" | head -1 | cut -d: -f1)
if [ -n "$first" ] && [ "$first" -gt "$arrived" ]; then echo "ok: told of the move after the controller came"; else
    fail "parent moved" "no notification after the controller (first at ${first:-none}, controller at $arrived)"
fi

echo "== the loader file: another build's, locked, is loaded as it is; a damaged one is written anew"
wrestool -x --raw --type=10 --name=200 "$PROBE" >"$WORK/double.dll" 2>/dev/null
DATA=$(unix_path "$DATA_WIN")
{ cat "$WORK/double.dll"; head -c 4096 /dev/zero; } >"$DATA/WebView2Loader.dll"
cp "$DATA/WebView2Loader.dll" "$WORK/other-build.dll"
rm -f "$LOG"
probe lock "$DATA_WIN\\WebView2Loader.dll" open 380 0 480 520 wait-created 5000
expect "locked" "$(out locked)" 1
expect "no error with the other build's loader" "$(out error)" ""
expect "created through it" "$(out created)" 1
cmp -s "$DATA/WebView2Loader.dll" "$WORK/other-build.dll" && echo "ok: the locked file left as it was" ||
    fail "locked loader" "changed"
head -c "$(stat -c %s "$WORK/double.dll")" /dev/zero | tr '\0' 'x' >"$DATA/WebView2Loader.dll"
probe open 380 0 480 520 wait-created 5000
expect "no error with a damaged loader file" "$(out error)" ""
expect "created after writing it anew" "$(out created)" 1
cmp -s "$DATA/WebView2Loader.dll" "$WORK/double.dll" && echo "ok: the damaged file holds the resource again" ||
    fail "damaged loader" "not rewritten"

echo "== a read-only source: its copies are deleted by the next hand-off"
RO="$WORK/read only.mp3"
head -c 5000 /dev/urandom >"$RO"
HANDOFF=$(unix_path "$HANDOFF_WIN")
rm -f "$HANDOFF"/*
head -c 10 /dev/zero >"$HANDOFF/left-over.mp3"
probe readonly "$(wine_path "$HANDOFF/left-over.mp3")" readonly "$(wine_path "$RO")" \
    open 380 0 480 520 wait-created 5000 handoff "$(wine_path "$RO")" handoff "$(wine_path "$RO")" state
expect "made read-only" "$(printf '%s\n' "$PROBE_OUT" | grep -c '^readonly: 1$')" 2
expect "no hand-off error" "$(out error)" ""
left=$(ls "$HANDOFF")
expect "one copy left, the second" \
    "$(printf '%s\n' "$left" | grep -c .) $(printf '%s' "$left" | grep -cE '^audio-2-[0-9]+\.mp3$')" "1 1"
[ -w "$HANDOFF/$left" ] && echo "ok: the copy is not read-only" || fail "read-only copy" "$left is read-only"

echo "failures: $FAILURES"
[ "$FAILURES" -eq 0 ]
