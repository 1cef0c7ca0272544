#!/usr/bin/env bash
# Seeds for the fuzz targets, taken from a small sample server: its registry
# file, its event message file, the WAVE attachments of its message store
# (one seed per message), the extraction log of a run over it, the command
# lines the export program uses and builds, and the shipped language tables.
# Usage: make_seeds.sh BIN_DIR SEEDS_DIR
set -euo pipefail
bin=$1
seeds=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

rm -rf "$seeds"
for target in registry_file language_table message_file combine_audio log_monitor property_value \
              export_command_line extractor_command_line export_folder; do
  mkdir -p "$seeds/${target}_fuzz"
done

server=$work/server
"$bin/korvel-sample" "$server" --subscribers 39 --messages 40 --seed 11 >/dev/null
cp "$server/registry.reg" "$seeds/registry_file_fuzz/"
cp "$server"/*.mc "$seeds/message_file_fuzz/"
cp "$bin"/KorvelToMaelisMigrationExport_*.dll "$seeds/language_table_fuzz/"

# Every attachment, then each message's attachments back to back.
mkdir "$work/audio"
sqlite3 "$server/MessageStore.sqlite" \
  "SELECT writefile('$work/audio/' || MessageID || '-' || Seq || '.wav', Data) FROM AudioStream
   WHERE typeof(Data) = 'blob'" >/dev/null
for first in "$work"/audio/*-1.wav; do
  message=$(basename "$first" -1.wav)
  cat "$work/audio/$message"-*.wav >"$seeds/combine_audio_fuzz/$message.wav"
done

mkdir "$work/out"
KORVEL_REGISTRY=$server/registry.reg "$bin/TmMsgExtractor" -dir "$work/out" -log "$work/out/MsgExtraction.log" \
  -dom example.com >/dev/null || true
cp "$work/out/MsgExtraction.log" "$seeds/log_monitor_fuzz/"
# A few message files and the extraction log as they lie in an export folder.
find "$work/out" -name '*.msg' | head -n 5 | xargs -r cp -t "$seeds/export_folder_fuzz/"
cp "$work/out/MsgExtraction.log" "$seeds/export_folder_fuzz/"

# A command line is its words between zero bytes.
words() { printf '%s\0' "$@"; }
words -dir "$work/out" -log "$work/out/MsgExtraction.log" >"$seeds/extractor_command_line_fuzz/launch"
words /dir 'c:\data\KorvelMsgs\' -domain example.com -log >"$seeds/extractor_command_line_fuzz/by-hand"
words --headless --output "$work/out/" --items '1,2,First Name,16' --include-messages --overwrite \
  >"$seeds/export_command_line_fuzz/headless"
words --connect=sqlite:/db SkipVersionCheck --accept-account --help --version \
  >"$seeds/export_command_line_fuzz/options"

# A storage class choice, a property type choice, then the value's bytes.
printf '\x01\x02\x03\x04\x05\x06\x07\x08\x00\x02' >"$seeds/property_value_fuzz/integer"
printf 'Alias \xc3\xa9\xe2\x82\xac\x02\x05' >"$seeds/property_value_fuzz/text"
printf '\x00\x00\x00\x00\x40\xe5\xe4\x40\x01\x04' >"$seeds/property_value_fuzz/date"
