#!/usr/bin/env bash
# Measures zorlith-drawd on loopback in one run and prints the figures:
#  1. requests/s of GET /newphase next to nginx serving a static file of the same size (wrk),
#  2. full protected newestdraw calls (key exchange + call) per second from 50 concurrent
#     clients, with p50/p99 latency (zorlith-drawd-load),
#  3. resident memory of the service holding 100,000 stored draws.
# nginx and wrk are installed from apt when missing; they serve the measurement only.
# Environment: ZORLITH_BUILD (build directory, default build), SECONDS_PER_RUN (default 5).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${ZORLITH_BUILD:-$root/build}
seconds=${SECONDS_PER_RUN:-5}
clients=50

need=()
command -v wrk >/dev/null || need+=(wrk)
command -v nginx >/dev/null || [ -x /usr/sbin/nginx ] || need+=(nginx-light)
if ((${#need[@]})); then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update >/dev/null
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${need[@]}" >/dev/null
fi
nginx_bin=$(command -v nginx || echo /usr/sbin/nginx)

cmake --build "$build" --target zorlith-drawd zorlith-drawd-load >/dev/null
drawd=$build/server/zorlith-drawd
load=$build/server/zorlith-drawd-load

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

wait_for() { # url
  for _ in $(seq 1 200); do
    curl --silent --fail --max-time 1 "$1" >/dev/null 2>&1 && return 0
    sleep 0.05
  done
  echo "no answer from $1" >&2
  return 1
}

start_drawd() { # port db [args...]
  local port=$1 db=$2
  shift 2
  "$drawd" --listen "127.0.0.1:$port" --db "$db" "$@" 2>>"$work/drawd.log" &
  pids+=($!)
  wait_for "http://127.0.0.1:$port/newphase"
}

rate_of() { # wrk output -> requests/s
  awk '/Requests\/sec/ {print $2}'
}

# The machine's other work shows in every figure; the load average puts them in context.
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"

# 1. /newphase next to nginx with a static file of the same size.
drawd_port=$(free_port)
start_drawd "$drawd_port" "$work/bench.sqlite"
drawd_pid=${pids[-1]}
newphase=$(curl --silent "http://127.0.0.1:$drawd_port/newphase")
mkdir -p "$work/www" "$work/nginx"
# nginx workers run as an unprivileged user when started as root.
chmod a+rx "$work" "$work/www"
printf '%s' "$newphase" >"$work/www/newphase"
nginx_port=$(free_port)
cat >"$work/nginx/nginx.conf" <<CONF
worker_processes auto;
pid $work/nginx/nginx.pid;
error_log $work/nginx/error.log;
events { worker_connections 1024; }
http {
  access_log off;
  client_body_temp_path $work/nginx;
  proxy_temp_path $work/nginx;
  fastcgi_temp_path $work/nginx;
  uwsgi_temp_path $work/nginx;
  scgi_temp_path $work/nginx;
  server {
    listen 127.0.0.1:$nginx_port;
    root $work/www;
    default_type text/plain;
  }
}
CONF
"$nginx_bin" -p "$work/nginx" -c "$work/nginx/nginx.conf" -g 'daemon off;' &
pids+=($!)
wait_for "http://127.0.0.1:$nginx_port/newphase"

drawd_rate=$(wrk -t2 -c"$clients" -d"${seconds}s" "http://127.0.0.1:$drawd_port/newphase" | rate_of)
nginx_rate=$(wrk -t2 -c"$clients" -d"${seconds}s" "http://127.0.0.1:$nginx_port/newphase" | rate_of)
echo "GET /newphase (${#newphase} bytes), wrk -t2 -c$clients -d${seconds}s:"
echo "  zorlith-drawd  $drawd_rate requests/s"
echo "  nginx          $nginx_rate requests/s (static file of the same size)"
awk -v d="$drawd_rate" -v n="$nginx_rate" 'BEGIN {printf "  ratio          %.0f%% of nginx (goal: at least 50%%)\n", 100 * d / n}'

# 2. Full protected calls from concurrent clients.
echo "protected calls, $clients clients, ${seconds} s (goal: 3000 calls/s, p99 under 20 ms):"
echo "  $("$load" 127.0.0.1 "$drawd_port" "$clients" "$seconds")"
echo "  RSS of that service afterwards: $(awk '/VmRSS/ {print $2, $3}' "/proc/$drawd_pid/status")"

# 3. Memory with 100,000 stored draws.
python3 - "$work/draws.txt" <<'PY'
import random, sys
with open(sys.argv[1], "w") as out:
    for issue in range(1, 100001):
        cars = list(range(1, 11))
        random.shuffle(cars)
        out.write(str(issue) + " " + " ".join("%02d" % c for c in cars) + "\n")
PY
big_port=$(free_port)
start_drawd "$big_port" "$work/big.sqlite" --import "$work/draws.txt"
big_pid=${pids[-1]}
"$load" 127.0.0.1 "$big_port" "$clients" 2 >/dev/null || echo "  (the load on the 100,000-draw service had failures)"
stored=$(curl --silent "http://127.0.0.1:$big_port/newphase")
echo "memory with 100,000 imported draws (newest issue $stored), after a 2 s load (goal: under 40 MB):"
echo "  $(awk '/VmRSS|VmHWM/ {printf "%s %s %s  ", $1, $2, $3}' "/proc/$big_pid/status")"
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
