#!/usr/bin/env bash
# The desktop tool end to end on an X display: the real zorlith-pk10 against the real
# zorlith-drawd on 127.0.0.1:19200. Waits for the main window with its plan, photographs it,
# closes it the way its close button does and expects exit code 0.
#   app_smoke_test.sh PK10 DRAWD WINDOW_PROBE DRAWS_FILE ARTIFACT_DIR
set -euo pipefail

pk10=$1 drawd=$2 probe=$3 draws=$4 artifacts=$5
title="ZorlithPK10平刷冠军单双"
work=$(mktemp -d)
drawd_pid="" pk10_pid=""

cleanup() {
  [ -n "$pk10_pid" ] && kill "$pk10_pid" 2>/dev/null || true
  [ -n "$drawd_pid" ] && kill "$drawd_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  [ -f "$work/pk10.log" ] && sed 's/^/  pk10: /' "$work/pk10.log" >&2
  exit 1
}

# The tool runs from a directory of its own: its skin file and a stale updater live there.
cp "$pk10" "$work/zorlith-pk10"
echo "left by an earlier update" > "$work/更新器"

"$drawd" --listen 127.0.0.1:19200 --db "$work/draws.sqlite" --import "$draws" \
  > "$work/drawd.log" 2>&1 &
drawd_pid=$!
for _ in $(seq 100); do
  curl -sf --max-time 1 http://127.0.0.1:19200/newphase > /dev/null && break
  sleep 0.1
done
kill -0 "$drawd_pid" 2>/dev/null || fail "zorlith-drawd did not start: $(cat "$work/drawd.log")"
newest=$(curl -sf --max-time 2 http://127.0.0.1:19200/newphase) || fail "zorlith-drawd does not answer"

QT_LOGGING_RULES="zorlith.startup.info=true;qt.webenginecontext.debug=false" \
  "$work/zorlith-pk10" > "$work/pk10.log" 2>&1 &
pk10_pid=$!

"$probe" wait-shown "$title" 60 > /dev/null || fail "the main window was not shown"
grep -q "main window shown" "$work/pk10.log" || fail "no start-up milestone in the log"
characters=$(sed -n 's/.*plan text filled: \([0-9]*\) characters.*/\1/p' "$work/pk10.log")
[ "${characters:-0}" -gt 0 ] || fail "the plan text is empty"
[ ! -e "$work/更新器" ] || fail "the stale updater was not removed"
[ -f "$work/.skin.qss" ] || fail "the skin file was not written"

# Give the embedded page a moment to paint before the photograph.
sleep 3
mkdir -p "$artifacts"
"$probe" screenshot "$title" "$artifacts/app-window.png" || fail "no screenshot"
[ -s "$artifacts/app-window.png" ] || fail "empty screenshot"

"$probe" close "$title" || fail "the window could not be asked to close"
for _ in $(seq 200); do
  kill -0 "$pk10_pid" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$pk10_pid" 2>/dev/null && fail "the tool did not end after its window was closed"
status=0
wait "$pk10_pid" || status=$?
pk10_pid=""
[ "$status" -eq 0 ] || fail "exit code $status"

# A termination signal ends the tool as cleanly as its close button.
QT_LOGGING_RULES="qt.webenginecontext.debug=false" "$work/zorlith-pk10" > "$work/pk10.log" 2>&1 &
pk10_pid=$!
"$probe" wait-shown "$title" 60 > /dev/null || fail "the main window was not shown again"
kill -TERM "$pk10_pid"
for _ in $(seq 200); do
  kill -0 "$pk10_pid" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$pk10_pid" 2>/dev/null && fail "the tool did not end on SIGTERM"
status=0
wait "$pk10_pid" || status=$?
pk10_pid=""
[ "$status" -eq 0 ] || fail "exit code $status after SIGTERM"

echo "window shown with a plan of $characters characters (newest issue $newest); screenshot in $artifacts/app-window.png"
