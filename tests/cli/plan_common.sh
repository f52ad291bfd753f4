#!/usr/bin/env bash
# Channel plans in the common channel-plan layout as other programming tools write them: plans
# written for the tests from the layout's conventions (tests/cli/plans) import on LMR, PMR and
# Korv PMR with no problem; the export of every model type is read by a strict reader of the
# layout (plan_reader.py) with every channel and field as the plan asked.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/support/common.sh"
PLANS="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/plans"
READER="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/plan_reader.py"

# Import, export, and the strict reader's field-by-field comparison.
for plan in "$PLANS"/*.csv; do
    name=$(basename "$plan" .csv)
    count=$(grep -vc '^#' "$plan")
    count=$((count - 1))
    for model in LMR PMR KPMR; do
        run "$name $model import" 0 "$count channels imported, 0 lines skipped" \
            import "$BIN/ZT5531K_$model.QCF" "$plan" -o "$WORK/$name-$model.qcf"
        grep -v '^note: ' "$WORK/err" | grep -q . && fail "$name $model: problems $(cat "$WORK/err")"
        run "$name $model export" 0 "" export "$WORK/$name-$model.qcf" -o "$WORK/$name-$model.csv"
        python3 "$READER" check "$WORK/$name-$model.csv" > "$WORK/check" || fail "$name $model: $(cat "$WORK/check")"
        python3 "$READER" compare "$plan" "$WORK/$name-$model.csv" "$model" > "$WORK/compare" ||
            fail "$name $model: $(cat "$WORK/compare")"
    done
done
# dPMR446: its free-frequency bank, exported and read strictly.
printf 'Location,Name,Frequency,Tone,cToneFreq,DtcsCode,DtcsPolarity,Mode,Power\n1,ONE,446.006250,TSQL,100.0,,,NFM,0.5W\n2,TWO,446.018750,DTCS,,047,RR,NFM,0.1W\n' > "$WORK/d446.csv"
run "D446 import" 0 "2 channels imported, 0 lines skipped" import "$BIN/ZT5531K_D446.QCF" "$WORK/d446.csv" -o "$WORK/d446.qcf"
run "D446 export" 0 "" export "$WORK/d446.qcf" -o "$WORK/d446-out.csv"
python3 "$READER" check "$WORK/d446-out.csv" > "$WORK/check" || fail "D446: $(cat "$WORK/check")"
python3 "$READER" compare "$WORK/d446.csv" "$WORK/d446-out.csv" D446 > "$WORK/compare" || fail "D446: $(cat "$WORK/compare")"
# The strict reader is strict: a level name where watts belong, a reverse tone mode.
sed '2s/,0.5W,/,High,/' "$WORK/d446-out.csv" > "$WORK/high.csv"
python3 "$READER" check "$WORK/high.csv" > /dev/null && fail "the strict reader took Power 'High'"

# Locations from 0: said once; --first-location 1 takes Location 0 for no channel.
run "from zero" 0 "16 channels imported, 0 lines skipped" import "$BIN/ZT5531K_PMR.QCF" "$PLANS/pmr446_from_zero.csv" -o "$WORK/z.qcf"
[ "$(cat "$WORK/err")" = "note: Locations count from 0 in this plan: Location 0 is channel 1" ] ||
    fail "from zero: stderr $(cat "$WORK/err")"
grep -q '^1,PMR 1,446.006250,' "$WORK/pmr446_from_zero-PMR.csv" || fail "from zero: Location 0 is not channel 1"
run "first location 1" 65 "" import "$BIN/ZT5531K_PMR.QCF" "$PLANS/pmr446_from_zero.csv" -o "$WORK/z1.qcf" --first-location 1
grep -qx "line 3: Location: '0' is not a channel (1 to 64)" "$WORK/err" || fail "first location 1: stderr $(cat "$WORK/err")"

# Every problem of every line; lines counted, not problems; reverse modes, AM and a band the
# radio cannot use refused with their reasons.
cat > "$WORK/bad.csv" <<'PLAN'
Location,Name,Frequency,Duplex,Offset,Tone,rToneFreq,cToneFreq,DtcsCode,DtcsPolarity,RxDtcsCode,CrossMode,Mode,TStep,Skip,Power
1,Café,446.006250,,0.000000,TSQL-R,88.5,88.5,023,NN,023,Tone->Tone,AM,6.25,X,High
2,OK,446.018750,,0.000000,DTCS-R,88.5,88.5,023,NN,023,Tone->Tone,NFM,6.25,,0.5W
3,UHF,900.000000,,0.000000,,88.5,88.5,023,NN,023,Tone->Tone,NFM,12.5,,5W
PLAN
run "every problem" 65 "" import "$BIN/ZT5531K_PMR.QCF" "$WORK/bad.csv" -o "$WORK/bad.qcf"
for want in "line 2: Tone: 'TSQL-R' is not a tone mode" "line 2: Mode: 'AM' is not a mode this radio has" \
    "line 2: Skip: 'X' is not one of S, P or empty" "line 2: Name: 'Café' refused: the display has no character 'é'" \
    "line 3: Tone: 'DTCS-R' is not a tone mode" "line 4: Frequency: the radio cannot tune 900.000000 MHz"; do
    grep -qF "$want" "$WORK/err" || fail "every problem: no '$want' in $(cat "$WORK/err")"
done
[ "$(wc -l < "$WORK/err")" -eq 6 ] || fail "every problem: $(wc -l < "$WORK/err") lines: $(cat "$WORK/err")"
# With nothing to import there is nothing to save.
run "every problem, skipping" 65 "" import "$BIN/ZT5531K_PMR.QCF" "$WORK/bad.csv" -o "$WORK/bad.qcf" --skip-bad
# Names fitted on request, each a note.
printf 'Location,Name,Frequency\n1,Café Süd,446.006250\n2,Warehouse 12,446.018750\n' > "$WORK/names.csv"
run "long names" 65 "" import "$BIN/ZT5531K_LMR.QCF" "$WORK/names.csv" -o "$WORK/n.qcf"
[ "$(wc -l < "$WORK/err")" -eq 2 ] || fail "long names: $(cat "$WORK/err")"
run "fit names" 0 "2 channels imported, 0 lines skipped" import "$BIN/ZT5531K_LMR.QCF" "$WORK/names.csv" -o "$WORK/n.qcf" --fit-names
grep -qx "note: line 2: Name: 'Café Süd' fitted to the display as 'CAFE SUD'" "$WORK/err" || fail "fit names: $(cat "$WORK/err")"
grep -qx "note: line 3: Name: 'Warehouse 12' fitted to the display as 'WAREHOUS'" "$WORK/err" || fail "fit names: $(cat "$WORK/err")"

# --bank on a fresh initial file: after the last channel in use of the bank, in its free channels.
run "bank on initial file" 0 "2 channels imported, 0 lines skipped" import "$BIN/ZT5531K_LMR.QCF" "$WORK/names.csv" -o "$WORK/b.qcf" --bank 1 --fit-names
"$CLI" export "$WORK/b.qcf" -o - | tr -d '\r' | cut -d, -f2,22 | tail -n +2 > "$WORK/banks"
[ "$(cat "$WORK/banks")" = "$(printf 'CAFE SUD,1\nWAREHOUS,1')" ] || fail "bank on initial file: $(cat "$WORK/banks")"

# More lines than channels: one problem names the first line left out; skipping imports the rest.
{ echo 'Location,Frequency'; for i in $(seq 0 69); do echo "$i,446.1"; done; } > "$WORK/big.csv"
run "too many lines" 65 "" import "$BIN/ZT5531K_PMR.QCF" "$WORK/big.csv" -o "$WORK/big.qcf"
grep -qx 'line 66: Location: Location 64 lies beyond channel 64 (Location 63): this line and 5 more lines do not fit' "$WORK/err" ||
    fail "too many lines: $(cat "$WORK/err")"
run "too many lines, skipping" 0 "64 channels imported, 6 lines skipped" import "$BIN/ZT5531K_PMR.QCF" "$WORK/big.csv" -o "$WORK/big.qcf" --skip-bad
run "bank full" 0 "64 channels imported, 6 lines skipped" import "$BIN/ZT5531K_PMR.QCF" "$WORK/big.csv" -o "$WORK/big.qcf" --skip-bad --bank 1
grep -qx 'line 66: Location: bank 1 has no free channel left: this line and 5 more lines do not fit' "$WORK/err" ||
    fail "bank full: $(cat "$WORK/err")"
expect_usage import "$BIN/ZT5531K_PMR.QCF $WORK/big.csv -o $WORK/x.qcf --first-location" \
    "$BIN/ZT5531K_PMR.QCF $WORK/big.csv -o $WORK/x.qcf --first-location -1"

[ $failures -eq 0 ] && echo "plan_common: all passed"
exit $((failures > 0))
