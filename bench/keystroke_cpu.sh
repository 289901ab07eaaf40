#!/usr/bin/env bash
# CPU the shown program spends per keystroke, measured through a real window: the editor runs in a
# private X display (Xvfb + openbox) with empty settings, opens a PHP/HTML file of about 325 KB,
# goes to line 4000, and xdotool types "x" and BackSpace alternately (300 keys, 25 ms apart). The
# figure is the process's user + system CPU time over the typing (and one second after it), divided
# by the number of keys. Repeats the run ROUNDS times (default 5) and prints each figure.
#
#   bench/keystroke_cpu.sh [build/bin/tervil]
set -euo pipefail
bin=$(realpath "${1:-build/bin/tervil}")
rounds=${ROUNDS:-5}
for tool in Xvfb openbox xdotool; do
  command -v $tool >/dev/null || { echo "keystroke_cpu: $tool is not installed" >&2; exit 2; }
done
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
file=$work/page.php
for ((i = 0; i < 1300; i++)); do
  printf '<?php\nclass Account%d {\n    private $total = 0;\n    public function add($amount) {\n' $i
  printf '        if ($amount > 0) { $this->total += $amount; }\n'
  printf '        return $this->total; // running total\n    }\n}\n?>\n'
  printf '<div class="row"><p>Some <b>text</b> for %d</p></div>\n' $i
done > "$file"
keys=$(for ((i = 0; i < 150; i++)); do printf 'x BackSpace '; done)
ticks_per_second=$(getconf CLK_TCK)
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
for ((round = 1; round <= rounds; round++)); do
  display=:$((190 + round))
  sandbox=$work/round$round
  mkdir -p "$sandbox"/{config,cache,data,state,run}
  chmod 700 "$sandbox/run"
  Xvfb $display -screen 0 1600x1000x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  sleep 1
  DISPLAY=$display openbox >/dev/null 2>&1 &
  wm=$!
  DISPLAY=$display XDG_CONFIG_HOME=$sandbox/config XDG_CACHE_HOME=$sandbox/cache \
    XDG_DATA_HOME=$sandbox/data XDG_STATE_HOME=$sandbox/state XDG_RUNTIME_DIR=$sandbox/run \
    QT_QPA_PLATFORM=xcb "$bin" "$file" >/dev/null 2>&1 &
  editor=$!
  for ((wait = 0; wait < 100; wait++)); do
    DISPLAY=$display xdotool search --onlyvisible --pid $editor >/dev/null 2>&1 && break
    sleep 0.2
  done
  sleep 3
  DISPLAY=$display xdotool key ctrl+g
  sleep 1
  DISPLAY=$display xdotool type --delay 30 4000
  DISPLAY=$display xdotool key Return End
  sleep 2
  before=$(cpu_ticks $editor)
  # shellcheck disable=SC2086
  DISPLAY=$display xdotool key --delay 25 $keys
  sleep 1
  after=$(cpu_ticks $editor)
  echo "round $round: $(((after - before) * 1000000 / ticks_per_second / 300)) us of CPU per key"
  kill $editor $wm $xvfb 2>/dev/null || true
  wait $editor $wm $xvfb 2>/dev/null || true
done
