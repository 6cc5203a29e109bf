#!/usr/bin/env bash
# Measures the built launcher under Wine; run it inside scripts/wine-session, which
# gives Wine a display as the tests have. Prints the figures, then a last line of the
# form: rss_ratio=R idle_cpu_ms=C e2e_ratio=E size_bytes=S
# Usage: bench/run.sh BUILD_DIR [ROUNDS]
set -euo pipefail
build=$(cd "$1" && pwd)
rounds=${2:-31}
program="$build/$(sed -n 's/^LAUNCHER_OUTPUT_NAME:STRING=//p' "$build/CMakeCache.txt").exe"
ticks_per_second=$(getconf CLK_TCK)

work=$(mktemp -d)
trap 'touch "$work"/*/release 2>/dev/null; rm -rf "$work"' EXIT

# A folder holding PROGRAM as launcher.exe beside a Start.bat that waits until the file
# "release" appears beside it.
waiting_batch() {
  local folder=$work/$1
  mkdir -p "$folder"
  cp "$2" "$folder/launcher.exe"
  cp "$build/probe.exe" "$folder/"
  printf '@echo off\r\n"%%~dp0probe.exe" wait "%%~dp0release"\r\n' > "$folder/Start.bat"
  echo "$folder"
}

cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
rss_kb() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status"; }

# Starts an .exe under Wine (each Windows process is a Linux process); once READY
# exists, or after a second if READY is empty, and a second more to settle, prints
# "RSS_KB CPU_MS": its resident set, and the CPU time it takes over the next 2 seconds.
measure_waiting() {
  local exe=$1 ready=$2
  wine "$exe" &
  local pid=$!
  if [ -n "$ready" ]; then
    for _ in $(seq 600); do [ -e "$ready" ] && break; sleep 0.1; done
    [ -e "$ready" ] || { echo "$exe never got to its wait" >&2; kill "$pid"; return 1; }
  else
    sleep 1
  fi
  sleep 1
  local rss before after
  rss=$(rss_kb "$pid")
  before=$(cpu_ticks "$pid")
  sleep 2
  after=$(cpu_ticks "$pid")
  echo "$rss $(( (after - before) * 1000 / ticks_per_second ))"
  if [ -n "$ready" ]; then touch "${ready%.waiting}"; fi
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}

launcher_folder=$(waiting_batch launcher "$program")
conventional_folder=$(waiting_batch conventional "$build/conventional_launcher.exe")
read -r floor_rss _ < <(measure_waiting "$build/idle.exe" "")
read -r launcher_rss launcher_cpu < <(measure_waiting "$launcher_folder/launcher.exe" \
                                                      "$launcher_folder/release.waiting")
read -r conventional_rss _ < <(measure_waiting "$conventional_folder/launcher.exe" \
                                               "$conventional_folder/release.waiting")
rss_ratio=$(awk -v a="$launcher_rss" -v b="$floor_rss" 'BEGIN { printf "%.3f", a / b }')
conventional_ratio=$(awk -v a="$conventional_rss" -v b="$floor_rss" \
                         'BEGIN { printf "%.3f", a / b }')

empty_folder=$work/empty
mkdir -p "$empty_folder"
cp "$program" "$empty_folder/launcher.exe"
# Wine refuses to start a batch file of no bytes at all (error 193), so it holds one line.
printf '@echo off\r\n' > "$empty_folder/Start.bat"
startup=$(wine "$build/startup.exe" "$(winepath -w "$empty_folder")" \
               "$(winepath -w "$build/empty.exe")" "$rounds" | tr -d '\r')
figure() { sed -n "s/.*\\b$1=\\([^ ]*\\).*/\\1/p" <<< "$startup"; }

size=$(stat -c %s "$program")
cat <<REPORT
Memory while its batch waits (VmRSS):
  launcher                      ${launcher_rss} kB
  empty program that waits      ${floor_rss} kB (the floor)
  conventional build (C runtime) ${conventional_rss} kB, ratio ${conventional_ratio}
  launcher / floor              ${rss_ratio} (goal: at most 1.05)
CPU while its batch waits, over 2 s: ${launcher_cpu} ms (goal: 0)
Start-up, end to end, median of ${rounds} rounds:
  a) launcher + empty Start.bat   $(figure a_ms) ms
  b) cmd.exe on it, new console   $(figure b_ms) ms (what a double-click does)
  c) empty program                $(figure c_ms) ms
  a/b per round: median $(figure ratio), quartiles $(figure ratio_p25)-$(figure ratio_p75), \
range $(figure ratio_min)-$(figure ratio_max) (goal: median at most 1.3)
File size: ${size} bytes
rss_ratio=${rss_ratio} idle_cpu_ms=${launcher_cpu} e2e_ratio=$(figure ratio) size_bytes=${size}
REPORT
