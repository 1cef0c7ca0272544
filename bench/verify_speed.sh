#!/usr/bin/env bash
# Speed and memory of --verify beside the runs whose output it checks.
#
# Rows: a sample server with 100,000 subscribers (or the number given) is
# exported headless with all sixteen data items, voice names included, and
# the folder is then verified; the verification is to take at most 3 times
# the export's wall time. Messages: 200 messages of 1 MiB of audio each are
# extracted by TmMsgExtractor into an exported folder, which is then
# verified; at most 2 times the extraction's time. Memory: the verification's
# peak on messages of 50 MiB is to stay within 10 MiB of its peak on 1 MiB.
# Each timing is the best of three runs, since the machine may be busy.
#
# Works in a temporary folder under $TMPDIR (or /tmp), where it writes some
# 2 GB. Exits 1 when a target is missed. Not part of ./test.
set -euo pipefail
source "$(dirname "$0")/../scripts/common.sh"
source "$(dirname "$0")/memory_growth.sh"

SUBSCRIBERS="${1:-100000}"
korvel_install_missing
korvel_configure
korvel_build --target KorvelToMaelisMigrationExport TmMsgExtractor korvel-sample >/dev/null

BIN="$KORVEL_BUILD/bin"
WORK="$(mktemp -d "${TMPDIR:-/tmp}/korvel-verify-bench-XXXXXX")"
trap 'rm -rf "$WORK"' EXIT
MET=1

# Runs a command under /usr/bin/time; prints "SECONDS PEAK_KB STATUS". A run
# that fails shows its last lines on stderr.
timed() {
  local status=0
  /usr/bin/time -f "%e %M" -o "$WORK/time" "$@" >"$WORK/run.out" 2>"$WORK/run.err" || status=$?
  if [ "$status" -ne 0 ]; then tail -n 3 "$WORK/run.err" >&2; fi
  echo "$(tail -n 1 "$WORK/time") $status"
}

best_of_three() {
  local best="" line
  for run in 1 2 3; do
    line="$("$@" "$run")"
    # A failed run is the answer: its status shows.
    if [ "${line##* }" != 0 ]; then echo "$line"; return; fi
    if [ -z "$best" ] || awk -v a="${line%% *}" -v b="${best%% *}" 'BEGIN { exit !(a < b) }'; then best="$line"; fi
  done
  echo "$best"
}

# The environment of the server in $1.
server_env() {
  echo KORVEL_REGISTRY="$1/registry.reg" KORVEL_DB_CONNECT="sqlite:$1/KorvelDb.sqlite" \
    XDG_CONFIG_HOME="$WORK/config" XDG_RUNTIME_DIR="$WORK"
}

export_rows() {
  rm -rf "$WORK/rows/out$1" && mkdir "$WORK/rows/out$1"
  timed env $(server_env "$WORK/rows") "$BIN/KorvelToMaelisMigrationExport" --headless --output "$WORK/rows/out$1/"
}
verify_rows() {
  timed env $(server_env "$WORK/rows") "$BIN/KorvelToMaelisMigrationExport" --verify "$WORK/rows/out1"
}

echo "Making a sample server with $SUBSCRIBERS subscribers ..."
"$BIN/korvel-sample" "$WORK/rows" --subscribers "$SUBSCRIBERS" --messages 0 --seed 1 >/dev/null
sync
read -r EXPORT_SECONDS EXPORT_KB EXPORT_STATUS <<< "$(best_of_three export_rows)"
[ "$EXPORT_STATUS" -eq 0 ] || MET=0
VOICE_NAMES="$(find "$WORK/rows/out1" -maxdepth 1 -name '*_VOICE_NAME.WAV' | wc -l)"
read -r VERIFY_SECONDS VERIFY_KB VERIFY_STATUS <<< "$(best_of_three verify_rows)"
RATIO="$(awk -v v="$VERIFY_SECONDS" -v e="$EXPORT_SECONDS" 'BEGIN { printf "%.2f", v / e }')"
echo "rows: $SUBSCRIBERS subscribers, all sixteen data items, $VOICE_NAMES voice names"
awk -v s="$EXPORT_SECONDS" -v k="$EXPORT_KB" 'BEGIN { printf "  export   %7.2f s  %7.1f MiB\n", s, k / 1024 }'
awk -v s="$VERIFY_SECONDS" -v k="$VERIFY_KB" -v x="$VERIFY_STATUS" \
  'BEGIN { printf "  --verify %7.2f s  %7.1f MiB  (exit %d)\n", s, k / 1024, x }'
echo "  ratio $RATIO (target at most 3)"
awk -v r="$RATIO" 'BEGIN { exit !(r <= 3) }' || MET=0
[ "$VERIFY_STATUS" -eq 0 ] || MET=0
rm -rf "$WORK/rows"

# A small exported server whose message store is replaced by one of large
# messages; prints nothing. $1 the folder, $2 messages, $3 MiB each.
message_server() {
  "$BIN/korvel-sample" "$1" --subscribers 39 --messages 0 --seed 1 >/dev/null
  python3 "$KORVEL_ROOT/bench/make_audio_store.py" "$1/audio" "$2" "$3"
  # The sample's registry file is UTF-16; the copy naming the large store is UTF-8.
  iconv -f UTF-16LE -t UTF-8 "$1/registry.reg" | sed -e '1s/^\xEF\xBB\xBF//' \
    -e "s|^\"Message Store\"=.*|\"Message Store\"=\"$1/audio/MessageStore.sqlite\"|" >"$1/registry.utf8"
  mv "$1/registry.utf8" "$1/registry.reg"
  mkdir "$1/out"
  env $(server_env "$1") "$BIN/KorvelToMaelisMigrationExport" --headless --output "$1/out/" >/dev/null 2>&1
}
extract_messages() {
  find "$WORK/messages/out" -name '*.msg' -delete
  rm -f "$WORK/messages/out/.KorvelMigration.extracted"
  timed env $(server_env "$WORK/messages") "$BIN/TmMsgExtractor" -dir "$WORK/messages/out" \
    -log "$WORK/messages/out/MsgExtraction.log"
}
verify_messages() {
  timed env $(server_env "$WORK/messages") "$BIN/KorvelToMaelisMigrationExport" --verify "$WORK/messages/out"
}

message_server "$WORK/messages" 200 1
sync
read -r EXTRACT_SECONDS _ EXTRACT_STATUS <<< "$(best_of_three extract_messages)"
[ "$EXTRACT_STATUS" -eq 0 ] || MET=0
read -r VERIFY_SECONDS _ VERIFY_STATUS <<< "$(best_of_three verify_messages)"
RATIO="$(awk -v v="$VERIFY_SECONDS" -v e="$EXTRACT_SECONDS" 'BEGIN { printf "%.2f", v / e }')"
echo "messages: 200 of 1 MiB audio"
awk -v s="$EXTRACT_SECONDS" 'BEGIN { printf "  TmMsgExtractor %7.2f s\n", s }'
awk -v s="$VERIFY_SECONDS" -v x="$VERIFY_STATUS" 'BEGIN { printf "  --verify       %7.2f s  (exit %d)\n", s, x }'
echo "  ratio $RATIO (target at most 2)"
awk -v r="$RATIO" 'BEGIN { exit !(r <= 2) }' || MET=0
[ "$VERIFY_STATUS" -eq 0 ] || MET=0
rm -rf "$WORK/messages"

echo "peak memory of --verify: 3 messages each"
declare -A PEAK
for size in 1 50; do
  message_server "$WORK/memory$size" 3 "$size"
  env $(server_env "$WORK/memory$size") "$BIN/TmMsgExtractor" -dir "$WORK/memory$size/out" \
    -log "$WORK/memory$size/out/MsgExtraction.log" >/dev/null
  read -r _ PEAK[$size] STATUS <<< "$(timed env $(server_env "$WORK/memory$size") \
    "$BIN/KorvelToMaelisMigrationExport" --verify "$WORK/memory$size/out")"
  [ "$STATUS" -eq 0 ] || MET=0
  print_peak "${PEAK[$size]}" "$size"
  rm -rf "$WORK/memory$size"
done
growth_within_target "${PEAK[1]}" "${PEAK[50]}" || MET=0

if [ "$MET" -eq 1 ]; then echo "targets met"; else echo "a target was missed"; exit 1; fi
