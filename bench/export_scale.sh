#!/usr/bin/env bash
# Scale run of the export: a sample server with 100,000 subscribers (or the
# number given), one headless export of all sixteen data items, and its wall
# time and peak memory beside the floor measured in the same run: the sqlite3
# shell writing the same joined rows as CSV (export_floor.sql).
#
# Targets: within 10 times the floor, under 20 s, peak memory under 500 MB.
# Exits 1 when a target is missed. Not part of ./test: it writes some 500 MB.
set -euo pipefail
source "$(dirname "$0")/../scripts/common.sh"

SUBSCRIBERS="${1:-100000}"
korvel_install_missing
korvel_configure
korvel_build --target KorvelToMaelisMigrationExport korvel-sample >/dev/null

WORK="$(mktemp -d "${TMPDIR:-/tmp}/korvel-export-scale-XXXXXX")"
trap 'rm -rf "$WORK"' EXIT
echo "Making a sample server with $SUBSCRIBERS subscribers in $WORK ..."
"$KORVEL_BUILD/bin/korvel-sample" "$WORK/server" --subscribers "$SUBSCRIBERS" --messages 0 --seed 1 >/dev/null
DB="$WORK/server/KorvelDb.sqlite"
mkdir "$WORK/export"
# The sample's own writing must reach the disk before the clock starts.
sync

# Runs a command under /usr/bin/time -v; sets WALL (seconds) and PEAK_KB.
measure() {
  local report="$WORK/time.txt"
  /usr/bin/time -v -o "$report" "$@"
  WALL="$(awk -F': ' '/Elapsed \(wall clock\)/ {
            n = split($2, p, ":"); s = 0; for (i = 1; i <= n; i++) s = s * 60 + p[i]; printf "%.2f", s }' "$report")"
  PEAK_KB="$(awk -F': ' '/Maximum resident set size/ { print $2 }' "$report")"
}

# Both read a file the sample has just written, so both start with it cached.
measure sqlite3 -readonly "$DB" <"$(dirname "$0")/export_floor.sql" >"$WORK/floor.csv"
FLOOR_WALL="$WALL" FLOOR_KB="$PEAK_KB"
FLOOR_ROWS=$(($(wc -l <"$WORK/floor.csv") - 1))

measure env KORVEL_REGISTRY="$WORK/server/registry.reg" KORVEL_DB_CONNECT="sqlite:$DB" \
  XDG_CONFIG_HOME="$WORK/config" \
  "$KORVEL_BUILD/bin/KorvelToMaelisMigrationExport" --headless --output "$WORK/export/" \
  >"$WORK/export.out" 2>"$WORK/export.err"
EXPORT_WALL="$WALL" EXPORT_KB="$PEAK_KB"
EXPORT_ROWS=$(($(iconv -f UTF-16LE -t UTF-8 "$WORK/export/KorvelMigrationOutput.csv" | wc -l) - 1))
VOICE_NAMES="$(find "$WORK/export" -maxdepth 1 -name '*_VOICE_NAME.WAV' | wc -l)"

awk -v fw="$FLOOR_WALL" -v fk="$FLOOR_KB" -v fr="$FLOOR_ROWS" \
    -v ew="$EXPORT_WALL" -v ek="$EXPORT_KB" -v er="$EXPORT_ROWS" -v vn="$VOICE_NAMES" -v n="$SUBSCRIBERS" '
  function verdict(ok) { return ok ? "met" : "MISSED" }
  BEGIN {
    ratio = fw > 0 ? ew / fw : 0
    printf "\nExport of %d subscribers, all sixteen data items\n", n
    printf "  %-34s %8s %12s %10s\n", "", "wall", "peak memory", "rows"
    printf "  %-34s %7.2fs %9.1f MB %10d\n", "floor (sqlite3 shell, joined CSV)", fw, fk / 1024, fr
    printf "  %-34s %7.2fs %9.1f MB %10d   (+ %d voice-name files)\n", "export (headless)", ew, ek / 1024, er, vn
    printf "\n  within 10x the floor: %.1fx  %s\n", ratio, verdict(ratio <= 10)
    printf "  under 20 s:           %.2fs  %s\n", ew, verdict(ew < 20)
    printf "  under 500 MB:         %.1f MB  %s\n", ek / 1024, verdict(ek < 500 * 1024)
    exit (ratio <= 10 && ew < 20 && ek < 500 * 1024) ? 0 : 1
  }'
