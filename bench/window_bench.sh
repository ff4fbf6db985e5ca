#!/usr/bin/env bash
# The desktop window's start-up and idle cost, measured in one run against the local service:
# time from process start to the main window shown, time to the plan text filled, idle CPU
# while the countdown runs (percent of one core over 30 s), and resident memory.
#   bench/window_bench.sh [BUILD_DIR]     (default: build)
# Needs an X display; without one it runs itself under xvfb-run. Starts zorlith-drawd on
# 127.0.0.1:19200 with a fresh database when the port is free, else uses the running service.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-$root/build}
case $build in /*) ;; *) build=$root/$build ;; esac
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$build"
fi

pk10=$build/src/app/zorlith-pk10
drawd=$build/server/zorlith-drawd
probe=$build/tests/window_probe
title="ZorlithPK10平刷冠军单双"
idle_seconds=30
for program in "$pk10" "$drawd" "$probe"; do
  [ -x "$program" ] || { echo "missing $program: build zorlith-pk10, zorlith-drawd and window_probe" >&2; exit 2; }
done

work=$(mktemp -d)
drawd_pid="" pk10_pid=""
cleanup() {
  [ -n "$pk10_pid" ] && kill "$pk10_pid" 2>/dev/null || true
  [ -n "$drawd_pid" ] && kill "$drawd_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

if ! curl -sf --max-time 1 http://127.0.0.1:19200/newphase > /dev/null; then
  "$drawd" --db "$work/draws.sqlite" --import "$root/data/pk10-draws.txt" > "$work/drawd.log" 2>&1 &
  drawd_pid=$!
  for _ in $(seq 100); do
    curl -sf --max-time 1 http://127.0.0.1:19200/newphase > /dev/null && break
    sleep 0.1
  done
fi

# The process and every process it started (the embedded browser's helpers).
family() {
  local pid=$1
  echo "$pid"
  for child in $(pgrep -P "$pid" || true); do family "$child"; done
}
cpu_ticks() {
  local total=0
  for pid in $(family "$1"); do
    # utime and stime: fields 14 and 15, counted after the command name's closing parenthesis.
    local fields
    fields=$(sed 's/^.*) //' "/proc/$pid/stat" 2>/dev/null) || continue
    set -- $fields
    total=$((total + ${12} + ${13}))
  done
  echo "$total"
}
rss_kib() {
  local total=0
  for pid in $(family "$1"); do
    local kib
    kib=$(awk '/^VmRSS:/ {print $2}' "/proc/$pid/status" 2>/dev/null) || continue
    total=$((total + ${kib:-0}))
  done
  echo "$total"
}

cp "$pk10" "$work/zorlith-pk10"
start_ns=$(date +%s%N)
QT_LOGGING_RULES="zorlith.startup.info=true;qt.webenginecontext.debug=false" \
QT_MESSAGE_PATTERN="%{time process} %{message}" \
  "$work/zorlith-pk10" > "$work/pk10.log" 2>&1 &
pk10_pid=$!
"$probe" wait-shown "$title" 60 > /dev/null || { cat "$work/pk10.log" >&2; exit 1; }
shown_ms=$(( ($(date +%s%N) - start_ns) / 1000000 ))
plan_s=$(awk '/plan text filled/ {print $1; exit}' "$work/pk10.log")
shown_inside_s=$(awk '/main window shown/ {print $1; exit}' "$work/pk10.log")

# Let the page settle, then measure the countdown alone.
sleep 5
hz=$(getconf CLK_TCK)
ticks_before=$(cpu_ticks "$pk10_pid")
main_before=$(sed 's/^.*) //' "/proc/$pk10_pid/stat" | awk '{print $12 + $13}')
sleep "$idle_seconds"
ticks_after=$(cpu_ticks "$pk10_pid")
main_after=$(sed 's/^.*) //' "/proc/$pk10_pid/stat" | awk '{print $12 + $13}')
rss_main=$(awk '/^VmRSS:/ {print $2}' "/proc/$pk10_pid/status")
rss_all=$(rss_kib "$pk10_pid")

"$probe" close "$title"
for _ in $(seq 200); do kill -0 "$pk10_pid" 2>/dev/null || break; sleep 0.1; done
status=0
wait "$pk10_pid" || status=$?
pk10_pid=""

awk -v shown="$shown_ms" -v plan="$plan_s" -v inside="$shown_inside_s" \
    -v all=$((ticks_after - ticks_before)) -v main=$((main_after - main_before)) \
    -v hz="$hz" -v secs="$idle_seconds" -v rmain="$rss_main" -v rall="$rss_all" -v status="$status" 'BEGIN {
  # The two milestones share the logging clock, so their distance holds; the display gives
  # the moment the window was shown.
  printf "window shown (seen on the display)   %6d ms after start\n", shown
  printf "plan text filled                     %6.0f ms after start (%.0f ms before the window)\n", shown - (inside - plan) * 1000, (inside - plan) * 1000
  printf "idle CPU over %d s, window process   %6.2f %%\n", secs, 100 * main / (hz * secs)
  printf "idle CPU over %d s, with its helpers %6.2f %%\n", secs, 100 * all / (hz * secs)
  printf "RSS, window process                  %6.1f MiB\n", rmain / 1024
  printf "RSS, with the browser helpers        %6.1f MiB\n", rall / 1024
  printf "exit code after closing the window   %6d\n", status
}'
