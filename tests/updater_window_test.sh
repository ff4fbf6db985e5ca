#!/usr/bin/env bash
# zorlith-updater with its window on an X display: an update that cannot be downloaded ends in
# one message box; closing it ends the updater with code 1 and the program untouched.
#   updater_window_test.sh UPDATER OLD_PROGRAM WINDOW_PROBE ARTIFACT_DIR
set -euo pipefail

updater=$1 old=$2 probe=$3 artifacts=$4
title="ZorlithPK10平刷冠军单双"
work=$(mktemp -d)
updater_pid=""

cleanup() {
  [ -n "$updater_pid" ] && kill "$updater_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  [ -f "$work/updater.log" ] && sed 's/^/  updater: /' "$work/updater.log" >&2
  exit 1
}

cp "$old" "$work/zorlith-pk10"
cp "$updater" "$work/更新器"
unset QT_QPA_PLATFORM ZORLITH_UPDATER_NO_WINDOW

# Nothing listens on port 1: the download fails at once.
"$work/更新器" "$title" 1.15 1.2 http://127.0.0.1:1/download/zorlith-pk10 zorlith-pk10 \
  > "$work/updater.log" 2>&1 &
updater_pid=$!

"$probe" wait-shown "$title" 30 > /dev/null || fail "no message box"
mkdir -p "$artifacts"
"$probe" screenshot "$title" "$artifacts/updater-message.png" || fail "no screenshot"
[ -s "$artifacts/updater-message.png" ] || fail "empty screenshot"
"$probe" close "$title" || fail "the message box could not be closed"

status=""
for _ in $(seq 200); do
  if ! kill -0 "$updater_pid" 2>/dev/null; then
    set +e
    wait "$updater_pid"
    status=$?
    set -e
    updater_pid=""
    break
  fi
  sleep 0.05
done
[ -n "$status" ] || fail "the updater did not end after its message"
[ "$status" -eq 1 ] || fail "exit code $status, expected 1"
cmp -s "$old" "$work/zorlith-pk10" || fail "the program was changed"
[ "$(ls -A "$work" | sort | tr '\n' ' ')" = "updater.log zorlith-pk10 更新器 " ] ||
  fail "files left behind: $(ls -A "$work")"
echo "message box shown and closed; exit code 1; program untouched"
