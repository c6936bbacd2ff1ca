#!/usr/bin/env bash
# Measures the updater against the protocol's own limits and prints one table (also saved as
# build/results/bench.csv): EPROM upload time over its floor at 19200 baud, host CPU over wall
# time during that upload, file-transfer throughput over the line's limit at 115200 baud (both
# block sizes, both directions), discovery time for 1/8/32/64 silent candidates over one silent
# probe, the peak memory of an upload of a 4 MiB firmware file, and the in-application upload
# over the emulated USB-HID bus (record rate over the protocol's rate, host CPU over wall
# time), the cost of a port trace on that upload, and the host's turnaround (answer to next
# command, less the protocol's pauses) in the traces of two whole updates: a Corlet's over a pty
# at the line rate, a Vantra's on the emulated USB-HID bus; and 1, 2 and 4 Corlets updated at
# once (--all) over the time of one. Real ptys, real time: it takes about 20 minutes. BENCH_KIB
# sets the file-transfer size (default 256 KiB). Each bench's own output is kept beside the CSV
# (build/results/bench-*.txt).
#
#   bench/run.sh
set -u
source "$(dirname "$0")/../scripts/lib/setup.sh"
cd "$ROOT"
mkdir -p "$BUILD/results"
csv=$BUILD/results/bench.csv
kib=${BENCH_KIB:-256}

configure linux -DCMAKE_BUILD_TYPE=RelWithDebInfo || exit 1
log "building the benchmarks"
cmake --build "$BUILD/linux" --target eprom_bench file_transfer_bench discovery_bench \
  firmware_memory_bench iap_bench hid_update_bench trace_turnaround quorlin-updater \
  quorlin-emulator >"$BUILD/bench.build.log" 2>&1 || {
  tail -n 40 "$BUILD/bench.build.log" >&2
  exit 1
}
bin=$BUILD/linux/bench

echo "figure,measured,reference,ratio" >"$csv"
# row FIGURE MEASURED REFERENCE RATIO
row() { echo "$1,$2,$3,$4" >>"$csv"; }
# field TEXT LABEL: the number after LABEL at the start of a line of TEXT.
field() { sed -n "s/^$2 *\([0-9.]*\).*/\1/p" <<<"$1" | head -n 1; }

log "EPROM upload at 19200 baud (5 banks of 64 KiB)"
eprom=$("$bin/eprom_bench") || { echo "$eprom" >&2; exit 1; }
echo "$eprom" >"$BUILD/results/bench-eprom.txt"
row "EPROM upload time / protocol floor at 19200 baud" "$(field "$eprom" measured) s" \
  "$(field "$eprom" floor) s" "$(field "$eprom" ratio)"
row "host CPU time / wall time during that upload" "$(field "$eprom" 'host cpu') s" \
  "$(field "$eprom" measured) s" "$(sed -n 's/^host cpu.*, \([0-9.]*\) of.*/\1/p' <<<"$eprom")"

log "file transfer at 115200 baud ($kib KiB)"
transfer=$("$bin/file_transfer_bench" "$kib") || { echo "$transfer" >&2; exit 1; }
echo "$transfer" >"$BUILD/results/bench-file-transfer.txt"
while read -r line; do
  name=$(sed 's/ *$//' <<<"${line%%  *}")
  seconds=$(awk '{for (i = 1; i <= NF; i++) if ($(i + 1) == "s") { print $i; exit }}' <<<"$line")
  rate=$(awk '{for (i = 1; i <= NF; i++) if ($(i + 1) == "B/s") { print $i; exit }}' <<<"$line")
  limit=$(sed -n 's/.*of limit \([0-9.]*\).*/\1/p' <<<"$line")
  row "$name: throughput / line limit at 115200 baud" "$rate B/s ($seconds s)" \
    "all bytes at the line rate" "$limit"
done < <(grep 'of limit' <<<"$transfer")

log "discovery with silent candidates"
discovery=$("$bin/discovery_bench") || { echo "$discovery" >&2; exit 1; }
echo "$discovery" >"$BUILD/results/bench-discovery.txt"
one=$(sed -n 's/^silent  1 *\([0-9.]*\) s.*/\1/p' <<<"$discovery")
while read -r _ count seconds _ _ ratio; do
  row "discovery of $count silent candidates / one silent probe" "$seconds s" "$one s" "$ratio"
done < <(grep '^silent' <<<"$discovery")

log "peak memory of a 4 MiB firmware upload"
memory=$("$bin/firmware_memory_bench") || { echo "$memory" >&2; exit 1; }
echo "$memory" >"$BUILD/results/bench-memory.txt"
row "peak memory of an upload of $(field "$memory" firmware) MiB HEX text" \
  "$(field "$memory" 'peak rss') MiB peak" "$(sed -n 's/.*(\([0-9.]*\) MiB before.*/\1/p' \
  <<<"$memory") MiB before" "growth $(field "$memory" growth) MiB"

log "IAP upload over the emulated USB-HID bus"
iap=$("$bin/iap_bench") || { echo "$iap" >&2; exit 1; }
echo "$iap" >"$BUILD/results/bench-iap.txt"
row "IAP record rate over emulated HID / protocol rate" \
  "$(field "$iap" measured) records/s ($(sed -n 's/^measured.*(\([0-9.]*\) s.*/\1/p' <<<"$iap") s)" \
  "$(field "$iap" floor) records/s" "$(field "$iap" ratio)"
row "host CPU time / wall time during the IAP upload" "$(field "$iap" 'host cpu') s" \
  "$(field "$iap" upload) s" "$(sed -n 's/^host cpu.*, \([0-9.]*\) of.*/\1/p' <<<"$iap")"
log "IAP upload with a port trace"
traced=$("$bin/iap_bench" --trace "$BUILD/results/bench-iap.trace") || { echo "$traced" >&2; exit 1; }
echo "$traced" >"$BUILD/results/bench-iap-traced.txt"
row "IAP record rate with a port trace / without" "$(field "$traced" measured) records/s" \
  "$(field "$iap" measured) records/s" \
  "$(awk -v a="$(field "$traced" measured)" -v b="$(field "$iap" measured)" \
    'BEGIN { printf "%.3f", a / b }')"

# turnaround NAME TRACE: the host's reaction times in TRACE as one row.
turnaround() {
  local out
  out=$("$bin/trace_turnaround" "$2") || { echo "$out" >&2; exit 1; }
  row "host turnaround p50 / p99 / max over $1 ($(field "$out" gaps) answers)" \
    "$(field "$out" p50) / $(field "$out" p99) / $(field "$out" max) ms" "p99 goal 1 ms" \
    "$(field "$out" p99)"
}

make_work_folder

log "a whole update of a Corlet over a pty at the line rate, traced"
start_emulator "$WORK/tty" --line-rate --display "model=114,version=3,link=$WORK/tty" || exit 1
LANG=C XDG_CONFIG_HOME=$WORK "$BUILD/linux/app/quorlin-updater" --port "$WORK/tty" --no-usb \
  --yes --trace "$BUILD/results/bench-corlet.trace" examples/corlet >"$WORK/corlet.txt" 2>&1 ||
  { cat "$WORK/corlet.txt" >&2; exit 1; }
turnaround "a Corlet's whole update (EPROM and files)" "$BUILD/results/bench-corlet.trace"

log "a whole update of a Vantra on the emulated USB-HID bus, traced"
mkdir -p "$WORK/vantra"
python3 scripts/make-sample-firmware.py --out "$WORK/vantra" --name VAN --files 1 --bytes 4800 \
  >/dev/null
printf 'language=de\r\n' >"$WORK/vantra/de.QSF"
"$bin/hid_update_bench" "$WORK/vantra" "$BUILD/results/bench-vantra.trace" \
  >"$BUILD/results/bench-vantra.txt" 2>&1 || { cat "$BUILD/results/bench-vantra.txt" >&2; exit 1; }
turnaround "a Vantra's whole update (IAP and a file)" "$BUILD/results/bench-vantra.trace"
stop_emulator TERM
log "several Corlets updated at once (--all), each on its own pty"
mkdir -p "$WORK/fleet"
cp examples/corlet/COR.H00 examples/corlet/MSG.QSF examples/corlet/Example.jbt "$WORK/fleet/"
for count in 1 2 4; do
  displays=() ports=()
  for i in $(seq "$count"); do
    displays+=(--display "model=114,version=3,serial=COR-22-0041$i,link=$WORK/fleet-$i")
    ports+=(--port "$WORK/fleet-$i")
  done
  start_emulator "$WORK/fleet-$count" "${displays[@]}" || exit 1
  begin=$(date +%s.%N)
  LANG=C XDG_CONFIG_HOME=$WORK "$BUILD/linux/app/quorlin-updater" --all --no-usb "${ports[@]}" \
    "$WORK/fleet" >"$WORK/fleet-$count.txt" 2>&1 || { cat "$WORK/fleet-$count.txt" >&2; exit 1; }
  seconds=$(awk -v b="$begin" -v e="$(date +%s.%N)" 'BEGIN { printf "%.2f", e - b }')
  stop_emulator TERM
  [ "$count" = 1 ] && single=$seconds
  row "$count Corlets updated at once / one (--all with a pty each)" "$seconds s" "$single s" \
    "$(awk -v a="$seconds" -v b="$single" 'BEGIN { printf "%.3f", a / b }')"
done
awk -F, '{ printf "%-72s %-22s %-26s %s\n", $1, $2, $3, $4 }' "$csv"
