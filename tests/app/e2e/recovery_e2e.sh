#!/usr/bin/env bash
# Recovery of unsaved sources end to end, on a real X server, by keys:
# edits typed into a source survive a SIGKILL of ide51; the next start
# offers them, restoring gives exactly that text (modified, under its path)
# and saving leaves no recovery file; a source changed on disk since is
# shown as such and not applied; declining removes the file.
# Where the source window takes no keys yet (the stand-in view), the first
# edit is planted as the file a killed session leaves; everything after it
# runs the same.
#   recovery_e2e.sh IDE51 SCREEN_GRAB OUT
set -euo pipefail
ide51=$1 grab=$2 out=$3

rm -rf "$out"
mkdir -p "$out/home/config/Corvane" "$out/home/cache" "$out/home/runtime" "$out/src"
chmod 700 "$out/home/runtime"
# Writes every second while the text changes.
printf '[Settings]\nRecoveryInterval=1\n' >"$out/home/config/Corvane/8051.conf"
source_file=$out/src/test.a51
original=$'        NOP\r\n        END\r\n'
printf '%s' "$original" >"$source_file"
folder=$out/home/cache/Corvane/8051/recovery
log=$out/events.log

exec 3< <(Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp 2>"$out/xvfb.log")
xvfb_pid=$!
read -r -t 10 display <&3 || { echo "recovery e2e: Xvfb did not start"; exit 1; }
export DISPLAY=:$display
ide_pid=
cleanup() {
    [ -n "$ide_pid" ] && kill -9 "$ide_pid" 2>/dev/null || true
    kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
export XDG_CONFIG_HOME=$out/home/config XDG_CACHE_HOME=$out/home/cache
export XDG_RUNTIME_DIR=$out/home/runtime IDE51_EVENT_LOG=$log

fail() {
    echo "recovery e2e: $*; event log:"
    cat "$log"
    exit 1
}
session=0
start() {
    session=$((session + 1))
    : >"$log"
    "$ide51" "$@" >>"$out/ide51.log" 2>&1 &
    ide_pid=$!
}
# wait_for PATTERN [SECONDS]: until the event log has a matching line.
wait_for() {
    local deadline=$((SECONDS + ${2:-30}))
    until grep -q -- "$1" "$log"; do
        if [ $SECONDS -ge $deadline ] || ! kill -0 "$ide_pid" 2>/dev/null; then
            return 1
        fi
        sleep 0.05
    done
}
need() { wait_for "$@" || fail "no '$1' in session $session"; }
shot() { "$grab" "$out/$session-$1.png"; }
keys() { xdotool key --clearmodifiers --delay 30 "$@"; }
focus() {
    local window
    window=$(xdotool search --sync --onlyvisible --name "$1" | head -1)
    xdotool windowfocus --sync "$window"
}
crash() {
    kill -9 "$ide_pid"
    wait "$ide_pid" 2>/dev/null || true
    ide_pid=
}
records() { find "$folder" -name '*.rec' 2>/dev/null | wc -l; }

# What a killed session leaves for a source whose text was TEXT.
plant() {
    python3 - "$folder" "$source_file" "$1" <<'PY'
import os, sys
folder, source, text = sys.argv[1], sys.argv[2], sys.argv[3].encode("latin-1")
h = 0xCBF29CE484222325
for b in text:
    h = ((h ^ b) * 0x100000001B3) & 0xFFFFFFFFFFFFFFFF
st = os.stat(source)
os.makedirs(folder, exist_ok=True)
header = ("8051 recovery 1\nSource=%s\nTitle=%s\nSourceSize=%d\nSourceTime=%d\nSaved=%d\n"
          "Length=%d\nChecksum=%016X\n\n" % (source, os.path.basename(source), st.st_size,
                                            st.st_mtime_ns, int(st.st_mtime), len(text), h))
with open(os.path.join(folder, "s1-1.rec"), "wb") as f:
    f.write(header.encode("latin-1") + text)
PY
}

# 1: type at the start of the source, wait past the interval, kill.
typed="; kept "
expected="$typed$original"
start "$source_file"
need '^started'
focus ' - test\.a51'
keys ctrl+Home
xdotool type --delay 30 "$typed"
if wait_for '^recovery written test\.a51' 8; then
    mode=typed
else
    mode=planted # the source window takes no keys yet
    plant "$expected"
fi
shot edited
crash
[ "$(records)" -eq 1 ] || fail "no recovery file after the kill"
cmp -s "$source_file" <(printf '%s' "$original") || fail "the source was written"

# 2: the offer; restore; the restored text is kept by this session: kill again.
start
need '^recovery offered 1$'
need '^recovery entry test\.a51 restorable$'
focus '^Recover Unsaved Sources'
shot offer
keys alt+r
need '^recovery restored test\.a51$'
need '^recovery written test\.a51$'
shot restored
crash

# 3: offered again; restore and save: exactly the typed text, no file left.
start
need '^recovery offered 1$'
focus '^Recover Unsaved Sources'
keys alt+r
need '^recovery restored test\.a51$'
focus ' - test\.a51'
keys ctrl+s
need '^recovery removed test\.a51$'
cmp -s "$source_file" <(printf '%s' "$expected") ||
    fail "the saved text is not the typed one: $(od -c "$source_file" | head -5)"
[ "$(records)" -eq 0 ] || fail "a recovery file is left after the save"
crash

# 4: a file for a source that changed on disk since: shown as such, and
# closing the offer applies nothing.
plant "; mine$original"
printf '; theirs\r\n%s' "$original" >"$source_file"
start
need '^recovery entry test\.a51 changed$'
focus '^Recover Unsaved Sources'
shot changed
keys Escape
need '^started'
sleep 1
cmp -s "$source_file" <(printf '; theirs\r\n%s' "$original") || fail "the source was changed"
[ "$(records)" -eq 1 ] || fail "the undecided file was not kept"
crash

# 5: declined: the file goes, the source stays as it is.
start
need '^recovery offered 1$'
focus '^Recover Unsaved Sources'
keys alt+d
need '^recovery discarded test\.a51$'
[ "$(records)" -eq 0 ] || fail "the declined file is still there"
cmp -s "$source_file" <(printf '; theirs\r\n%s' "$original") || fail "the source was changed"
crash
echo "recovery e2e: passed ($mode first edit); screenshots in $out"
