#!/usr/bin/env bash
# Resident memory of the empty program after start: the editor starts with empty settings and no
# file, in a private X display (Xvfb, the default) or on the offscreen platform, and its resident
# set (VmRSS of /proc, in MiB) is read 4 seconds later. Repeats ROUNDS times (default 5) and prints each
# figure with the median, the least and the most.
#
#   bench/start_memory.sh [build/bin/tervil] [xcb|offscreen]
set -euo pipefail
bin=$(realpath "${1:-build/bin/tervil}")
platform=${2:-xcb}
rounds=${ROUNDS:-5}
if [ "$platform" = xcb ]; then
  command -v Xvfb >/dev/null || { echo "start_memory: Xvfb is not installed" >&2; exit 2; }
fi
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
figures=()
for ((round = 1; round <= rounds; round++)); do
  sandbox=$work/round$round
  mkdir -p "$sandbox"/{config,cache,data,state,run}
  chmod 700 "$sandbox/run"
  xvfb=
  if [ "$platform" = xcb ]; then
    export DISPLAY=:$((170 + round))
    Xvfb "$DISPLAY" -screen 0 1600x1000x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb=$!
    sleep 1
  fi
  XDG_CONFIG_HOME=$sandbox/config XDG_CACHE_HOME=$sandbox/cache XDG_DATA_HOME=$sandbox/data \
    XDG_STATE_HOME=$sandbox/state XDG_RUNTIME_DIR=$sandbox/run QT_QPA_PLATFORM=$platform \
    "$bin" >/dev/null 2>&1 &
  editor=$!
  sleep 4
  kb=$(awk '/^VmRSS/ {print $2}' "/proc/$editor/status")
  kill "$editor"
  wait "$editor" 2>/dev/null || true
  if [ -n "$xvfb" ]; then
    kill "$xvfb"
    wait "$xvfb" 2>/dev/null || true
  fi
  figures+=("$kb")
  printf 'round %d: %.1f MiB resident\n' "$round" "$(echo "$kb / 1024" | bc -l)"
done
printf '%s\n' "${figures[@]}" | sort -n | awk '{v[NR] = $1}
  END {printf "median %.1f MiB, min %.1f MiB, max %.1f MiB\n", v[int((NR + 1) / 2)] / 1024, v[1] / 1024, v[NR] / 1024}'
