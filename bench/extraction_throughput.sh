#!/usr/bin/env bash
# Throughput and memory of TmMsgExtractor on large voice messages.
#
# Throughput: RUNS rounds (default 5), each extracting 200 messages of 1 MiB
# of audio and timing `base64 -w 72` over the same WAV bytes, the floor; each
# round prints both times, the throughput ratio (base64's time over the
# extractor's) and the extractor's peak memory, and the same ratio of
# processor time (user + system), which a busy machine disturbs less; the end
# prints min/median/max. The extractor is to reach at least the throughput of
# base64 (median round).
# Memory: the extractor's peak resident size on messages of 50 MiB is to stay
# within 10 MiB of its peak on messages of 1 MiB.
#
# Works in a temporary folder under $TMPDIR (or /tmp), where it writes some
# 1.5 GB. Exits 1 when a target is missed. Not part of ./test.
set -euo pipefail
source "$(dirname "$0")/../scripts/common.sh"
source "$(dirname "$0")/memory_growth.sh"

korvel_install_missing
korvel_configure
korvel_build --target TmMsgExtractor >/dev/null

ROOT="$KORVEL_ROOT"
EXTRACTOR="$KORVEL_BUILD/bin/TmMsgExtractor"
MESSAGES=200
RUNS="${RUNS:-5}"
WORK="$(mktemp -d "${TMPDIR:-/tmp}/extraction-bench-XXXXXX")"
trap 'rm -rf "$WORK"' EXIT

# Runs the extractor on the store in $1 into a fresh output folder and
# prints "SECONDS PEAK_KB FILES CPU_SECONDS".
extract() {
  local server="$1" run="$2"
  mkdir "$server/out$run" "$server/tmp$run"
  KORVEL_REGISTRY="$server/registry.reg" TMPDIR="$server/tmp$run" \
    /usr/bin/time -f "%e %M %U %S" -o "$server/time$run" \
    "$EXTRACTOR" -dir "$server/out$run" -dom example.com > /dev/null
  read -r seconds peak user system < "$server/time$run"
  echo "$seconds $peak $(find "$server/out$run" -name '*.msg' | wc -l) $(awk -v u="$user" -v s="$system" 'BEGIN { print u + s }')"
}

encode() {
  /usr/bin/time -f "%e %M %U %S" -o "$WORK/base64-time" base64 -w 72 "$WORK/audio.wav" > "$WORK/audio.b64"
  awk '{ print $1, $2, $3 + $4 }' "$WORK/base64-time"
}

python3 "$ROOT/bench/make_audio_store.py" "$WORK/throughput" "$MESSAGES" 1 "$WORK/audio.wav"
MEGABYTES="$(awk -v bytes="$(stat -c %s "$WORK/audio.wav")" 'BEGIN { printf "%.1f", bytes / 1048576 }')"
echo "throughput: $MESSAGES messages of 1 MiB audio, $MEGABYTES MiB of WAV, $RUNS rounds"
printf '  %5s %10s %10s %7s %11s %11s %10s %10s %9s\n' round extractor "base64" ratio "MiB/s" "peak" \
  "extr. cpu" "b64 cpu" "cpu ratio"
RESULTS="$WORK/results.txt"
: > "$RESULTS"
MET=1
for run in $(seq 1 "$RUNS"); do
  read -r EXTRACT_SECONDS EXTRACT_KB FILES EXTRACT_CPU <<< "$(extract "$WORK/throughput" "$run")"
  rm -rf "$WORK/throughput/out$run" "$WORK/throughput/tmp$run"
  read -r BASE64_SECONDS _ BASE64_CPU <<< "$(encode)"
  [ "$FILES" -eq "$MESSAGES" ] || MET=0
  awk -v run="$run" -v e="$EXTRACT_SECONDS" -v b="$BASE64_SECONDS" -v k="$EXTRACT_KB" -v m="$MEGABYTES" \
      -v ec="$EXTRACT_CPU" -v bc="$BASE64_CPU" -v f="$FILES" -v results="$RESULTS" 'BEGIN {
    r = e > 0 ? b / e : 0; cr = ec > 0 ? bc / ec : 0
    printf "  %5d %9.2fs %9.2fs %6.2fx %6.1f MiB/s %6.1f MiB %9.2fs %9.2fs %8.2fx   (%d files)\n",
           run, e, b, r, m / e, k / 1024, ec, bc, cr, f
    printf "%s %s %s %s\n", e, b, r, cr >> results }'
done
# min/median/max of column $1 of the results.
stats() { cut -d' ' -f"$1" "$RESULTS" | sort -g | awk '{ v[NR] = $1 } END {
  m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2; printf "%s %s %s", v[1], m, v[NR] }'; }
read -r EMIN EMED EMAX <<< "$(stats 1)"
read -r BMIN BMED BMAX <<< "$(stats 2)"
read -r RMIN RMED RMAX <<< "$(stats 3)"
read -r CMIN CMED CMAX <<< "$(stats 4)"
printf '  %-10s %9s %9s %9s\n' "" min median max
printf '  %-10s %8.2fs %8.2fs %8.2fs\n' extractor "$EMIN" "$EMED" "$EMAX"
printf '  %-10s %8.2fs %8.2fs %8.2fs\n' "base64" "$BMIN" "$BMED" "$BMAX"
printf '  %-10s %8.2fx %8.2fx %8.2fx\n' ratio "$RMIN" "$RMED" "$RMAX"
printf '  %-10s %8.2fx %8.2fx %8.2fx\n' "cpu ratio" "$CMIN" "$CMED" "$CMAX"
printf '  median ratio %.2f (target at least 1.00)\n' "$RMED"
awk -v r="$RMED" 'BEGIN { exit !(r >= 1.0) }' || MET=0

echo "peak memory: 3 messages each"
declare -A PEAK
for size in 1 50; do
  python3 "$ROOT/bench/make_audio_store.py" "$WORK/memory$size" 3 "$size"
  read -r _ PEAK[$size] FILES _ <<< "$(extract "$WORK/memory$size" 1)"
  [ "$FILES" -eq 3 ] || MET=0
  print_peak "${PEAK[$size]}" "$size"
  rm -rf "$WORK/memory$size"
done
growth_within_target "${PEAK[1]}" "${PEAK[50]}" || MET=0

if [ "$MET" -eq 1 ]; then echo "targets met"; else echo "a target was missed"; exit 1; fi
