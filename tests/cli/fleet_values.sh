#!/usr/bin/env bash
# Per-radio values in a write to several radios (--each, --fleet) against simulated radios with
# their own serial numbers, and the fleet log each write appends to (--log).
set -u
source "$(dirname "${BASH_SOURCE[0]}")/support/common.sh"
source "$(dirname "${BASH_SOURCE[0]}")/support/sim.sh"

OWN='%CT_Null.CL_Msk_Presl_Own_Id'
"$CLI" set "$BIN/ZT5531K_PMR.QCF" -o "$WORK/one.qcf" '%CT_Mch.CL_Mch_FreqR[0]=446.00625' > /dev/null 2>&1 ||
    fail "set could not make a file with a channel"

# start_radio N: a simulated PMR radio with serial number 202412001NN (hexadecimal 07E80C0000xx),
# saving its memory after a write into radioN.qcf; its device in DEVN.
start_radio() {
    start_sim --model-type 1 --serial "$(printf '07E80C%06X' "$1")" --save "$WORK/radio$1.qcf"
    printf -v "DEV$1" '%s' "$DEV"
}
serial() { printf '2024120%04d' "$1"; }

# Four radios, own IDs 101 to 104 in port order; each radio then holds the file with exactly that
# one cell changed, and the log has one line per radio with its value and backup.
for i in 1 2 3 4; do start_radio "$i"; done
expect "write four with --each" 0 write --port "$DEV1" --port "$DEV2" --port "$DEV3" --port "$DEV4" --yes \
    --backup "$WORK/backups" --log "$WORK/log.csv" --each "$OWN=101+" "$WORK/one.qcf"
[ "$(grep -c '  0 ok$' "$WORK/out")" = 4 ] && ok || fail "four successes: $(cat "$WORK/out")"
sleep 0.2
for i in 1 2 3 4; do
    "$CLI" set "$WORK/one.qcf" -o "$WORK/want$i.qcf" "$OWN=$((100 + i))" > /dev/null 2>&1 || fail "set $i"
    cmp -s <(tail -n +2 "$WORK/radio$i.qcf") <(tail -n +2 "$WORK/want$i.qcf") && ok ||
        fail "radio $i differs from the file with own ID $((100 + i)): $(diff "$WORK/radio$i.qcf" "$WORK/want$i.qcf" | head -5)"
done
head -n 1 "$WORK/log.csv" | grep -qx 'Date,Time,Port,Serial,Model type,File,Values,Backup,Result,Message,Duration (s)' && ok ||
    fail "log header: $(head -n 1 "$WORK/log.csv")"
[ "$(wc -l < "$WORK/log.csv")" = 5 ] && ok || fail "one log line per radio: $(cat "$WORK/log.csv")"
for i in 1 2 3 4; do
    line=$(grep -F ",$(eval echo \$DEV$i),$(serial "$i")," "$WORK/log.csv")
    backup=$(echo "$line" | cut -d, -f8)
    echo "$line" | grep -qE "^[0-9]{4}-[0-9]{2}-[0-9]{2},[0-9]{2}:[0-9]{2}:[0-9]{2},.*,PMR,$WORK/one.qcf,$OWN=$((100 + i)),$WORK/backups/.*\.QCF,0,ok,[0-9]+\.[0-9]$" &&
        [ -f "$backup" ] && ok || fail "log line of radio $i: '$line'"
done

# A plan keyed by serial number, the ports given in another order: each radio gets its own row.
printf 'Serial,%s\n%s,201\n%s,202\n%s,203\n' "$OWN" "$(serial 3)" "$(serial 1)" "$(serial 2)" > "$WORK/plan.csv"
expect "write by serial" 0 write --port "$DEV2" --port "$DEV3" --port "$DEV1" --yes --no-backup \
    --log "$WORK/log2.csv" --fleet "$WORK/plan.csv" "$WORK/one.qcf"
sleep 0.2
for pair in 1:0202 2:0203 3:0201; do
    i=${pair%%:*}
    [ "$("$CLI" get "$WORK/radio$i.qcf" "$OWN" | cut -f1)" = "${pair#*:}" ] && ok ||
        fail "radio $i by serial: $("$CLI" get "$WORK/radio$i.qcf" "$OWN")"
done

# A radio whose serial has no row, and a value one radio's data refuses, stop that radio only.
expect "a serial without a row" 1 write --port "$DEV1" --port "$DEV4" --yes --no-backup \
    --log "$WORK/log3.csv" --fleet "$WORK/plan.csv" "$WORK/one.qcf"
grep -q "^$DEV1  $(serial 1)  0 ok$" "$WORK/out" && grep -q "^$DEV4  $(serial 4)  1 .*$(serial 4).*no row" "$WORK/out" && ok ||
    fail "serial without a row: $(cat "$WORK/out")"
contains "unused plan row said" "$WORK/err" "note: no radio gave the serial number $(serial 2) of the plan"
expect "a refused value" 1 write --port "$DEV1" --port "$DEV2" --port "$DEV3" --yes --no-backup \
    --log "$WORK/log3.csv" --each "$OWN=4094,5000,7" "$WORK/one.qcf"
grep -q "^$DEV2  -  *1 $OWN=5000: " "$WORK/out" && [ "$(grep -c '  0 ok$' "$WORK/out")" = 2 ] && ok ||
    fail "a refused value stops its radio only: $(cat "$WORK/out")"
[ "$("$CLI" get "$WORK/radio3.qcf" "$OWN" | cut -f1)" = 0007 ] && ok || fail "radio 3 was not written"
grep -q ",$DEV2,,,$WORK/one.qcf,,,1,$OWN=5000: " "$WORK/log3.csv" && ok || fail "the refusal's log line: $(cat "$WORK/log3.csv")"

# A channel range gives the ID to the channels in use; a single port takes --each too, and logs.
expect "one radio, a channel range" 0 write --port "$DEV1" --yes --no-backup --log "$WORK/log4.csv" \
    --each '%CT_Mch.CL_Mch_Id_C[0..63]=@pick:3' "$WORK/one.qcf"
sleep 0.2
[ "$("$CLI" get "$WORK/radio1.qcf" '%CT_Mch.CL_Mch_Id_C[0]' | cut -f1)" != 0 ] && ok || fail "the range's value"
[ "$(wc -l < "$WORK/log4.csv")" = 2 ] && grep -q ",$(serial 1),PMR,.*,%CT_Mch.CL_Mch_Id_C\[0..63\]=@pick:3,,0,ok," "$WORK/log4.csv" && ok ||
    fail "single write's log: $(cat "$WORK/log4.csv")"

# Wrong command lines: a count other than the radios', an unknown cell, a port the plan lacks.
expect "count" 64 write --port "$DEV1" --port "$DEV2" --yes --each "$OWN=1,2,3" "$WORK/one.qcf"
contains "count message" "$WORK/err" "gives 3 values for 2 radios"
expect "unknown cell" 64 write --port "$DEV1" --yes --each '%CT_Null.CL_No_Such=1' "$WORK/one.qcf"
printf 'Port,%s\n%s,9\n' "$OWN" "$DEV1" > "$WORK/ports.csv"
expect "port not in the plan" 64 write --port "$DEV2" --yes --fleet "$WORK/ports.csv" "$WORK/one.qcf"
# A plan that never ends (a device) is refused at its limit, not read into memory.
expect "endless plan" 64 write --port "$DEV1" --yes --fleet /dev/zero "$WORK/one.qcf"
contains "endless plan message" "$WORK/err" "larger than 16 MiB"

# A log that cannot be written is said; the write still succeeds.
expect "unwritable log" 0 write --port "$DEV1" --yes --no-backup --log "$WORK/one.qcf/log.csv" "$WORK/one.qcf"
contains "log failure said" "$WORK/err" "could not be recorded in the fleet log"

echo "$passed passed, $failures failed"
[ "$failures" -eq 0 ]
