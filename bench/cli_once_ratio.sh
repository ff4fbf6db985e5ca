#!/usr/bin/env bash
# Measures, in one run, the wall time of `zorlith-pk10-cli --once` against a loopback service and
# the wall time of one curl process making the same number of bare HTTP exchanges (the six POSTs
# and the one GET of a start-up) to the same service, and prints their ratio (goal: at most 1.5).
# The service is zorlith-drawd when it is built, otherwise the protocol test server.
# Environment: ZORLITH_BUILD (build directory, default build), RUNS (default 20).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${ZORLITH_BUILD:-$root/build}
runs=${RUNS:-20}

cli=$build/src/cli/zorlith-pk10-cli
drawd=$build/server/zorlith-drawd
test_server=$build/tests/zorlith-protocol-test-server
[ -x "$cli" ] || { echo "zorlith-pk10-cli not found at $cli (build first)" >&2; exit 1; }

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

if [ -x "$drawd" ]; then
  port=$(free_port)
  "$drawd" --listen "127.0.0.1:$port" --db "$work/draws.db" 2>>"$work/service.log" &
  pids+=($!)
  service="zorlith-drawd"
else
  [ -x "$test_server" ] || { echo "neither zorlith-drawd nor the test server is built" >&2; exit 1; }
  mkfifo "$work/stdin"
  "$test_server" <"$work/stdin" >"$work/port" &
  pids+=($!)
  exec 3>"$work/stdin" # holds the server's standard input open until the script ends
  for _ in $(seq 1 100); do [ -s "$work/port" ] && break; sleep 0.05; done
  port=$(head -n1 "$work/port")
  service="the protocol test server"
fi
url="http://127.0.0.1:$port/"
for _ in $(seq 1 200); do
  curl --silent --fail --max-time 1 "${url}newphase" >/dev/null 2>&1 && break
  sleep 0.05
done

now_ns() { date +%s%N; }

# The bare exchanges of one start-up: three key-exchange-sized POSTs and three call-sized POSTs
# (the call body of "init" is 4 x its escaped request, about 300 characters), and one GET.
call_body="DATA=$(head -c 150 /dev/zero | tr '\0' 'A')"
# Each exchange on a connection of its own, as the client makes them.
curl_once() {
  local key_body="DATA=GETRAND?$(date +%s)"
  local each=(--silent --output /dev/null --header "Connection: close")
  curl "${each[@]}" -d "$key_body" "$url" \
    --next "${each[@]}" -d "$call_body" "$url" \
    --next "${each[@]}" "${url}newphase" \
    --next "${each[@]}" -d "$key_body" "$url" \
    --next "${each[@]}" -d "$call_body" "$url" \
    --next "${each[@]}" -d "$key_body" "$url" \
    --next "${each[@]}" -d "$call_body" "$url"
}

cli_times=()
curl_times=()
"$cli" --once --service "$url" >/dev/null # warm-up, and a check that it works
for _ in $(seq 1 "$runs"); do
  start=$(now_ns)
  "$cli" --once --service "$url" >/dev/null
  cli_times+=($(($(now_ns) - start)))
  start=$(now_ns)
  curl_once
  curl_times+=($(($(now_ns) - start)))
done

median() { printf '%s\n' "$@" | sort -n | awk '{v[NR]=$1} END {print (NR%2 ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2)}'; }
cli_median=$(median "${cli_times[@]}")
curl_median=$(median "${curl_times[@]}")
awk -v cli="$cli_median" -v curl="$curl_median" -v runs="$runs" -v service="$service" 'BEGIN {
  printf "service: %s on loopback; %d runs each, medians\n", service, runs
  printf "zorlith-pk10-cli --once (7 HTTP exchanges + replay of 50 draws): %.2f ms\n", cli / 1e6
  printf "curl, one process, 7 bare HTTP exchanges, one connection each:     %.2f ms\n", curl / 1e6
  printf "ratio: %.2f (goal: at most 1.5)\n", cli / curl
}'
