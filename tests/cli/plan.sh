#!/usr/bin/env bash
# qx-p2210-cli export, import and diff: a round trip on every model type, a plan
# edited as a spreadsheet would, refused lines on stderr with nothing written, and the exit statuses.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/support/common.sh"

# A round trip on every model type: two channels set from a hand-written plan, exported, imported
# into the initial file again; the two files show the same cells.
printf 'Location,Name,Frequency,Tone,rToneFreq,cToneFreq,Mode,Skip\n1,GATE,446.006250,TSQL,88.5,88.5,NFM,\n2,YARD 2,446.018750,,,,FM,S\n' > "$WORK/hand.csv"
for model in LMR PMR KPMR D446; do
    src="$BIN/ZT5531K_$model.QCF"
    run "$model import hand" 0 "2 channels imported, 0 lines skipped" import "$src" "$WORK/hand.csv" -o "$WORK/$model-hand.qcf"
    run "$model export" 0 "" export "$WORK/$model-hand.qcf" -o "$WORK/$model.csv"
    head -n 1 "$WORK/$model.csv" | grep -q '^Location,Name,Frequency,Duplex,Offset,Tone,' || fail "$model: header '$(head -n 1 "$WORK/$model.csv")'"
    [ "$(wc -l < "$WORK/$model.csv")" -eq 3 ] || fail "$model: export of two channels: $(cat "$WORK/$model.csv")"
    run "$model export to stdout" 0 "$(head -n 1 "$WORK/$model.csv")" export "$WORK/$model-hand.qcf" -o -
    cmp -s "$WORK/out" "$WORK/$model.csv" || fail "$model: export -o - differs from the file"
    run "$model import" 0 "2 channels imported, 0 lines skipped" import "$src" "$WORK/$model.csv" -o "$WORK/$model.qcf"
    run "$model diff same" 0 "" diff "$WORK/$model-hand.qcf" "$WORK/$model.qcf"
    [ ! -s "$WORK/out" ] || fail "$model: diff of a round trip printed $(head -n 1 "$WORK/out")"
done

# Edited as in a spreadsheet: a new name and frequency for the first channel, a line for a new one.
src="$BIN/ZT5531K_PMR.QCF"
"$CLI" set "$src" -o "$WORK/base.qcf" '%CT_Mch.CL_Mch_FreqR[0]=446.00625' '%CT_Mch.CL_Mch_Text[0]=GATE' > /dev/null
run "export base" 0 "" export "$WORK/base.qcf" -o "$WORK/base.csv"
sed -e '2s/GATE/YARD/' -e '2s/446\.006250/446.031250/g' "$WORK/base.csv" > "$WORK/edited.csv"
run "import edited" 0 "1 channel imported, 0 lines skipped" import "$WORK/base.qcf" "$WORK/edited.csv" -o "$WORK/edited.qcf"
"$CLI" diff "$WORK/base.qcf" "$WORK/edited.qcf" > "$WORK/out" 2> "$WORK/err"
[ $? -eq 1 ] || fail "diff edited: exit status not 1 ($(cat "$WORK/err"))"
grep -q ': GATE -> YARD$' "$WORK/out" || fail "diff: no name line in $(cat "$WORK/out")"
grep -q ': 446.006250 -> 446.031250$' "$WORK/out" || fail "diff: no frequency line in $(cat "$WORK/out")"
grep -vq ' / .* / .*: .* -> ' "$WORK/out" && fail "diff: a line not in the form 'Sheet / row / column: a -> b'"

# A channel only one file has in use is one line, new or removed by the direction; --cells lists
# each of its cells as before. A channel both have keeps its cell lines.
"$CLI" set "$WORK/base.qcf" -o "$WORK/more.qcf" '%CT_Mch.CL_Mch_FreqR[1]=446.1' '%CT_Mch.CL_Mch_Text[1]=EVENT' \
    '%CT_Mch.CL_Mch_Text[0]=YARD' > /dev/null
run "diff new channel" 1 "Bank Operation / 1 / In use: 1 -> 2" diff "$WORK/base.qcf" "$WORK/more.qcf"
grep -qx 'Memory Channels, Bank 1 / 1-2: new channel 446.100000 MHz EVENT' "$WORK/out" || fail "diff new channel: $(cat "$WORK/out")"
grep -qx 'Memory Channels, Bank 1 / 1-1 / Name: GATE -> YARD' "$WORK/out" || fail "diff new channel: no cell line in $(cat "$WORK/out")"
[ "$(grep -c ' / 1-2' "$WORK/out")" -eq 1 ] || fail "diff new channel: more than one line of 1-2: $(cat "$WORK/out")"
run "diff removed channel" 1 "Bank Operation / 1 / In use: 2 -> 1" diff "$WORK/more.qcf" "$WORK/base.qcf"
grep -qx 'Memory Channels, Bank 1 / 1-2: removed channel 446.100000 MHz EVENT' "$WORK/out" || fail "diff removed channel: $(cat "$WORK/out")"
run "diff --cells" 1 "Bank Operation / 1 / In use: 1 -> 2" diff --cells "$WORK/base.qcf" "$WORK/more.qcf"
grep -q 'channel' "$WORK/out" && fail "diff --cells: a channel line in $(cat "$WORK/out")"
grep -qx 'Memory Channels, Bank 1 / 1-2 / RX frequency:  -> 446.100000' "$WORK/out" || fail "diff --cells: $(cat "$WORK/out")"
grep -qx 'Memory Channels, Bank 1 / 1-2 / Name:  -> EVENT' "$WORK/out" || fail "diff --cells: $(cat "$WORK/out")"
[ "$(grep -c ' / 1-2 / ' "$WORK/out")" -gt 20 ] || fail "diff --cells: not every cell of 1-2: $(cat "$WORK/out")"
run "diff --cells after the files" 0 "" diff "$WORK/base.qcf" "$WORK/base.qcf" --cells

# Settings are compared too, values without their column padding.
"$CLI" set "$WORK/base.qcf" -o "$WORK/settings.qcf" '%CT_Null.CL_Comm_AtResetTimer_A=@key:space' > /dev/null
run "diff settings" 1 "Common Settings / Auto reset timer A / Value: Off -> 1.000" diff "$WORK/base.qcf" "$WORK/settings.qcf"

# Problems: every one on stderr, nothing written, exit 65; --skip-bad keeps the good lines.
printf 'Location,Frequency,Name,Tone,rToneFreq\n1,446.006250,OK,,\n2,446.103,X,,\n3,446.018750,Y,Tone,88.6\n' > "$WORK/bad.csv"
run "import bad" 65 "" import "$WORK/base.qcf" "$WORK/bad.csv" -o "$WORK/bad.qcf"
grep -q '^line 3: Frequency: ' "$WORK/err" || fail "import bad: stderr $(cat "$WORK/err")"
grep -q '^line 4: rToneFreq: ' "$WORK/err" || fail "import bad: stderr $(cat "$WORK/err")"
[ ! -e "$WORK/bad.qcf" ] || fail "import bad: OUT was written"
grep -vq '^line [0-9]*: [A-Za-z]*: ' "$WORK/err" && fail "import bad: a stderr line that is no problem: $(cat "$WORK/err")"
run "import skip-bad" 0 "1 channel imported, 2 lines skipped" import "$WORK/base.qcf" "$WORK/bad.csv" -o "$WORK/bad.qcf" --skip-bad

# Nothing taken silently: a second line for a channel, a number past its range, a column named
# twice; past a hundred problems one line counts the rest.
printf 'Location,Frequency\n3,446.100000\n3,446.112500\n4294967297,446.1\n' > "$WORK/dup.csv"
run "import duplicate" 65 "" import "$src" "$WORK/dup.csv" -o "$WORK/dup.qcf"
grep -qx 'line 3: Location: channel 3 is already set by line 2' "$WORK/err" || fail "import duplicate: stderr $(cat "$WORK/err")"
grep -q "^line 4: Location: '4294967297' is not a channel" "$WORK/err" || fail "import wrap: stderr $(cat "$WORK/err")"
printf 'Location,Frequency,Frequency\n1,446.1,446.2\n' > "$WORK/twice.csv"
run "import column twice" 65 "" import "$src" "$WORK/twice.csv" -o "$WORK/twice.qcf" --skip-bad
grep -qx 'line 1: Frequency: the column appears twice' "$WORK/err" || fail "import column twice: stderr $(cat "$WORK/err")"
[ ! -e "$WORK/twice.qcf" ] || fail "import column twice: OUT was written"
{ echo 'Location,Frequency'; for i in $(seq 1 10000); do echo "$((i % 64 + 1)),446.1"; done; } > "$WORK/many.csv"
run "import many lines" 65 "" import "$src" "$WORK/many.csv" -o "$WORK/many.qcf"
[ "$(wc -l < "$WORK/err")" -eq 101 ] || fail "import many lines: $(wc -l < "$WORK/err") stderr lines"
[ "$(tail -n 1 "$WORK/err")" = "and 9,836 more problems" ] || fail "import many lines: last line $(tail -n 1 "$WORK/err")"
run "import many lines skip-bad" 0 "64 channels imported, 9936 lines skipped" import "$src" "$WORK/many.csv" -o "$WORK/many.qcf" --skip-bad

# Files larger than any real plan or clone file are refused without being read whole.
run "import endless plan" 65 "" import "$src" /dev/zero -o "$WORK/zero.qcf"
grep -q 'larger than 16 MiB' "$WORK/err" || fail "import endless plan: stderr $(cat "$WORK/err")"
for command in check channels; do
    run "$command endless clone file" 10 "error 10 GI_Mess_FileErr_TooLarge" "$command" /dev/zero
done
run "export endless clone file" 65 "" export /dev/zero -o "$WORK/zero.csv"
grep -q 'larger than any clone file' "$WORK/err" || fail "export endless clone file: stderr $(cat "$WORK/err")"

run "diff model types" 2 "" diff "$BIN/ZT5531K_LMR.QCF" "$BIN/ZT5531K_PMR.QCF"
run "diff --cells model types" 2 "" diff --cells "$BIN/ZT5531K_LMR.QCF" "$BIN/ZT5531K_PMR.QCF"
echo "not a clone file" > "$WORK/junk.qcf"
expect_status "diff refused" 65 diff "$WORK/junk.qcf" "$src"
expect_status "export refused" 65 export "$WORK/junk.qcf" -o "$WORK/x.csv"
expect_status "import no plan" 65 import "$src" "$WORK/none.csv" -o "$WORK/x.qcf"
expect_usage export "$src" "-o $WORK/x.csv" "$src $src -o $WORK/x.csv"
expect_usage import "$src $WORK/bad.csv" "$src -o $WORK/x.qcf" "$src $WORK/bad.csv -o $WORK/x.qcf --bank 6" \
    "$src $WORK/bad.csv -o $WORK/x.qcf --bank"
expect_usage diff "$src" "--cells $src" "$src $src --cell"

[ $failures -eq 0 ] && echo "plan: all passed"
exit $((failures > 0))
