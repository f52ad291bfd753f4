#!/usr/bin/env bash
# Several radios at once: qx-p2210-cli write and read with more than one --port against simulated
# radios, the summary table, the exit status, the backup and verify options and the folder of
# files a read names by serial number.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/support/common.sh"
source "$(dirname "${BASH_SOURCE[0]}")/support/sim.sh"

"$CLI" set "$BIN/ZT5531K_PMR.QCF" -o "$WORK/one.qcf" '%CT_Mch.CL_Mch_FreqR[0]=446.00625' > /dev/null 2>&1 ||
    fail "set could not make a file with a channel"

# Four radios written together, each keeping its backup; every one succeeds.
PORTS=()
OUTS=()
for i in 1 2 3 4; do
    start_sim --model-type 1 --save "$WORK/radio$i.qcf"
    PORTS+=(--port "$DEV")
    OUTS+=("$SIMOUT")
done
expect "write to four" 0 write "${PORTS[@]}" --yes --backup "$WORK/backups" "$WORK/one.qcf"

head -n 1 "$WORK/out" | grep -q '^PORT  *SERIAL  *RESULT$' && ok || fail "summary header: $(head -n 1 "$WORK/out")"
[ "$(grep -c ' 20241204660  0 ok$' "$WORK/out")" = 4 ] && ok || fail "four successes: $(cat "$WORK/out")"
[ "$(ls "$WORK/backups" | grep -c '_20241204660.*\.QCF$')" = 4 ] && ok || fail "four backups: $(ls "$WORK/backups")"
sleep 0.2
for i in 1 2 3 4; do
    "$CLI" channels "$WORK/radio$i.qcf" 2> /dev/null | grep -q "^0,0,446006250,446006250" && ok ||
        fail "radio $i does not hold the channel"
    [ "$(grep -c '^read ok' "${OUTS[$((i - 1))]}")" = 2 ] && ok || fail "radio $i: backup and read-back expected"
done
contains "confirmation asked once" "$WORK/err" "(4 radios)"

# A fault on one radio is reported for that port only; the exit status is the highest code.
PORTS=()
for f in "" refuse-write "" bad-store; do
    if [ -n "$f" ]; then start_sim --model-type 1 --fault "$f"; else start_sim --model-type 1; fi
    PORTS+=(--port "$DEV")
    [ "$f" = refuse-write ] && BAD6=$DEV
    [ "$f" = bad-store ] && BAD18=$DEV
done
expect "write with faults" 18 write "${PORTS[@]}" --yes --no-backup "$WORK/one.qcf"
[ "$(grep -c '  0 ok$' "$WORK/out")" = 2 ] && ok || fail "two successes: $(cat "$WORK/out")"
grep -q "^$BAD6  .*  6 " "$WORK/out" && ok || fail "the refused write's port: $(cat "$WORK/out")"
grep -q "^$BAD18  .*  18 .*0x0120" "$WORK/out" && ok || fail "the verify failure's port: $(cat "$WORK/out")"

# Verify off: the wrongly stored byte goes unnoticed, as asked.
start_sim --model-type 1 --fault bad-store
P1=$DEV
start_sim --model-type 1
expect "write without verify" 0 write --port "$P1" --port "$DEV" --yes --no-backup --no-verify "$WORK/one.qcf"

# Reading two radios into a folder: one file per radio, named by serial number.
start_sim
P1=$DEV
start_sim
expect "read two" 0 read --port "$P1" --port "$DEV" -o "$WORK/fleet/"
[ -f "$WORK/fleet/20241204660.QCF" ] && [ -f "$WORK/fleet/20241204660-2.QCF" ] && ok ||
    fail "files by serial number: $(ls "$WORK/fleet")"
"$CLI" check "$WORK/fleet/20241204660-2.QCF" > /dev/null 2>&1 && ok || fail "a read file does not open"

# Several ports need a folder to read into; a usage error without -o.
expect "read two without -o" 64 read --port "$P1" --port "$DEV"

echo "$passed passed, $failures failed"
[ "$failures" -eq 0 ]
