#!/usr/bin/env bash
# Soak run of ide51 on a private X server: the blink example (a timer
# interrupt that never ends) with every debug window open and automatic
# updating on, while the keyboard runs, breaks, steps, stops, edits,
# assembles and starts again, for SOAK_SECONDS (default 600). Passes when
# the resident memory at the end is within 10% of its value after the
# first minute, nothing was written to the standard error stream, and the
# IDE still answers a command at the end.
#   bench/app/soak.sh [BUILD_DIR]      (default build)
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
ide51=$(realpath -m "$build/app/shell/ide51")
seconds=${SOAK_SECONDS:-600}
out=$(realpath -m "$build/bench/app/soak")
[ -x "$ide51" ] || { echo "soak: build ide51 first ($ide51)"; exit 2; }
command -v Xvfb >/dev/null && command -v xdotool >/dev/null ||
    { echo "soak: needs Xvfb and xdotool (scripts/setup installs them)"; exit 2; }

rm -rf "$out"
mkdir -p "$out/home/config" "$out/home/runtime"
chmod 700 "$out/home/runtime"
cp -r examples/blink "$out/blink"
# Every debug window, automatic updating every 10000 instructions.
sed 's/$/\r/' >"$out/blink/soak.wsp" <<'EOF'
Project=blink.a51
ProcessorType=1
DefaultFindDir=.
EnableAutoUpdate=1
UpdateCount=10000
Window=8051,blink.a51,blink.a51,0,0,420,560
Window=Output,Output,,420,0,560,560
Window=Dump,Dump,,560,0,700,560
Window=Register,Register,,0,560,260,760
Window=Port,Port,,260,560,420,760
Window=ConReg,ConReg,,420,560,700,760
Window=DRAM,DRAM,,0,760,350,1010
Window=IRAM,IRAM,,350,760,700,1010
Window=XRAM,XRAM,,0,1010,230,1270
Window=Watch,Watch,,230,1010,460,1270
Window=Stack,Stack,,460,1010,700,1270
EOF
log=$out/events.log
: >"$log"

exec 3< <(Xvfb -displayfd 1 -screen 0 1280x860x24 -nolisten tcp 2>"$out/xvfb.log")
xvfb_pid=$!
read -r -t 10 display <&3 || { echo "soak: Xvfb did not start"; exit 1; }
export DISPLAY=:$display XDG_CONFIG_HOME=$out/home/config XDG_RUNTIME_DIR=$out/home/runtime
export IDE51_EVENT_LOG=$log
ide_pid=
cleanup() {
    [ -n "$ide_pid" ] && kill "$ide_pid" 2>/dev/null || true
    kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
"$ide51" "$out/blink/soak.wsp" >"$out/stdout.log" 2>"$out/stderr.log" &
ide_pid=$!

# Lines of the event log so far, so that a wait looks only at what follows.
mark() { wc -l <"$log"; }
wait_after() { # wait_after MARK PATTERN [SECONDS]
    local deadline=$((SECONDS + ${3:-30}))
    until tail -n +"$(($1 + 1))" "$log" | grep -q -- "$2"; do
        if [ $SECONDS -ge $deadline ] || ! kill -0 "$ide_pid" 2>/dev/null; then
            echo "soak: no '$2' within ${3:-30} s"
            tail -20 "$log"
            "$build/tests/app/e2e/screen_grab" "$out/failed.png" || true
            exit 1
        fi
        sleep 0.05
    done
}
keys() { xdotool key --clearmodifiers --delay 40 "$@"; }
rss_kb() { awk '/^VmRSS:/ {print $2}' "/proc/$ide_pid/status"; }

wait_after 0 '^started' 90
window=$(xdotool search --sync --onlyvisible --name '^soak - ' | head -1)
xdotool windowfocus --sync "$window"
m=$(mark); keys ctrl+F7; wait_after "$m" '^assembled Done - 0 error'
m=$(mark); keys ctrl+F5; wait_after "$m" '^stop pc=0000'

start=$SECONDS rounds=0 edits=0 baseline=
while [ $((SECONDS - start)) -lt "$seconds" ]; do
    rounds=$((rounds + 1))
    keys F5
    sleep 2
    m=$(mark); keys ctrl+F9; wait_after "$m" '^stop pc='
    m=$(mark); keys F11; wait_after "$m" '^stop pc='
    m=$(mark); keys F10; wait_after "$m" '^stop pc='
    if [ $((rounds % 5)) -eq 0 ]; then
        # Stop, add a comment line at the end of the source, assemble and
        # start again: the editor, the assembler and a fresh simulation.
        edits=$((edits + 1))
        m=$(mark); keys shift+F5; wait_after "$m" '^simulation ended'
        keys ctrl+End Return
        xdotool type --delay 20 "; soak edit $edits"
        m=$(mark); keys ctrl+F7; wait_after "$m" '^assembled Done - 0 error' 60
        m=$(mark); keys ctrl+F5; wait_after "$m" '^stop pc=0000'
    fi
    if [ -z "$baseline" ] && [ $((SECONDS - start)) -ge 60 ]; then
        baseline=$(rss_kb)
        echo "soak: resident memory after the first minute: $baseline kB"
    fi
done
final=$(rss_kb)
baseline=${baseline:-$final}

# Still answering: a step is carried out and reported.
m=$(mark); keys F11; wait_after "$m" '^stop pc=' 10
"$build/tests/app/e2e/screen_grab" "$out/end.png" || true
echo "soak: $rounds rounds, $edits edits in $((SECONDS - start)) s;" \
    "resident memory $baseline kB after one minute, $final kB at the end"
status=0
if [ "$final" -gt $((baseline * 110 / 100)) ]; then
    echo "soak: memory grew by more than 10%"
    status=1
fi
if [ -s "$out/stderr.log" ]; then
    echo "soak: ide51 wrote to the standard error stream:"
    head -20 "$out/stderr.log"
    status=1
fi
[ $status -eq 0 ] && echo "soak: passed"
exit $status
