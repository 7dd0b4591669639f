#!/usr/bin/env bash
# End-to-end run of ide51 on a real X server, driven only by keys:
# open the example workspace, assemble, start, step, run to a break point,
# stop and exit. Each stage waits for what ide51 reports in its event log
# (IDE51_EVENT_LOG), with a timeout, and leaves a screenshot in OUT.
#   ide51_e2e.sh IDE51 SCREEN_GRAB EXAMPLE_DIR OUT
set -euo pipefail
ide51=$1 grab=$2 example=$3 out=$4

rm -rf "$out"
mkdir -p "$out/home/config" "$out/home/cache" "$out/home/runtime"
chmod 700 "$out/home/runtime"
cp -r "$example" "$out/blink"
log=$out/events.log
: >"$log"

# A private X server on a free display number.
exec 3< <(Xvfb -displayfd 1 -screen 0 1280x860x24 -nolisten tcp 2>"$out/xvfb.log")
xvfb_pid=$!
read -r -t 10 display <&3 || { echo "e2e: Xvfb did not start"; exit 1; }
export DISPLAY=:$display
ide_pid=
cleanup() {
    [ -n "$ide_pid" ] && kill "$ide_pid" 2>/dev/null || true
    kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT

export XDG_CONFIG_HOME=$out/home/config XDG_CACHE_HOME=$out/home/cache
export XDG_RUNTIME_DIR=$out/home/runtime
export IDE51_EVENT_LOG=$log
"$ide51" "$out/blink/blink.wsp" >"$out/ide51.log" 2>&1 &
ide_pid=$!

# wait_for PATTERN: until the event log has a line matching it (30 s).
wait_for() {
    local deadline=$((SECONDS + 30))
    until grep -q -- "$1" "$log"; do
        if [ $SECONDS -ge $deadline ] || ! kill -0 "$ide_pid" 2>/dev/null; then
            echo "e2e: timed out waiting for '$1'; event log:"
            cat "$log"
            exit 1
        fi
        sleep 0.05
    done
}
stage=0
shot() {
    stage=$((stage + 1))
    "$grab" "$out/$(printf '%02d' $stage)-$1.png"
}
keys() {
    xdotool key --clearmodifiers --delay 30 "$@"
}

wait_for '^started'
window=$(xdotool search --sync --onlyvisible --name '^blink - blink\.a51' | head -1)
xdotool windowfocus --sync "$window"
shot opened

keys ctrl+F7
wait_for '^assembled Done - 0 error(s), 0 warning(s)'
shot assembled

keys ctrl+F5
wait_for '^stop pc=0000 line=12$'
keys F11
wait_for '^stop pc=0100 line=18$'
keys F10
wait_for '^stop pc=0103 line=19$'
shot stepped

# The caret to "CPL LED" (line 37), a break point there, and run to it.
keys ctrl+Home
xdotool key --clearmodifiers --repeat 36 --delay 5 Down
keys F9
wait_for '^breakpoints 1$'
keys F5
wait_for '^stop pc=0128 line=37$'
shot at-breakpoint

keys shift+F5
wait_for '^simulation ended'
shot stopped

keys alt+f
sleep 0.3
shot file-menu
keys x
wait_for '^closed'
for _ in $(seq 100); do
    kill -0 "$ide_pid" 2>/dev/null || break
    sleep 0.05
done
if kill -0 "$ide_pid" 2>/dev/null; then
    echo "e2e: ide51 did not exit"
    exit 1
fi
wait "$ide_pid"
ide_pid=
grep -q '^Window=Watch,Watch,,330,880,690,1150' "$out/blink/blink.wsp" || {
    echo "e2e: the workspace was not saved at exit"
    exit 1
}
echo "e2e: passed; screenshots in $out"
