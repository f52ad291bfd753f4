#!/usr/bin/env bash
# qx-p2210-cli rows: list operations run in order as the popup menu runs them, their status lines,
# confirmations answered OK or Cancel, error boxes that save nothing, and the saved result as
# 'channels' lists it.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/support/common.sh"
passed=0

# rows_ok NAME EXPECTED_STDOUT EXPECTED_CHANNELS ARGS...: rows exits 0 with these status lines and
# OUT ($WORK/out.qcf) lists these "ch:bank:rx_hz" channels.
rows_ok() {
    local name=$1 want_out=$2 want_ch=$3
    shift 3
    rm -f "$WORK/out.qcf"
    "$CLI" rows "$@" -o "$WORK/out.qcf" > "$WORK/out" 2> "$WORK/err"
    local rc=$?
    if [ "$rc" -ne 0 ]; then
        fail "$name: exit status $rc ($(cat "$WORK/err"))"
        return
    fi
    local out ch
    out=$(cat "$WORK/out")
    ch=$("$CLI" channels "$WORK/out.qcf" | tail -n +2 | cut -d, -f1-3 | tr ',' ':' | tr '\n' ' ')
    if [ "$out" != "$want_out" ]; then
        fail "$name: stdout
$out
expected
$want_out"
    elif [ "$ch" != "$want_ch" ]; then
        fail "$name: channels '$ch', expected '$want_ch'"
    else
        passed=$((passed + 1))
    fi
}

# rows_fails NAME STATUS ARGS...: rows exits with STATUS and writes no OUT.
rows_fails() {
    local name=$1 want_rc=$2
    shift 2
    rm -f "$WORK/out.qcf"
    "$CLI" rows "$@" -o "$WORK/out.qcf" > "$WORK/out" 2> "$WORK/err"
    local rc=$?
    if [ "$rc" -ne "$want_rc" ]; then
        fail "$name: exit status $rc, expected $want_rc"
    elif [ -e "$WORK/out.qcf" ]; then
        fail "$name: OUT was written"
    else
        passed=$((passed + 1))
    fi
}

# A PMR file with free bank selection (banks 1 and 2 of 4 channels each) and channels 0, 1, 2, 4.
F="$WORK/plan.qcf"
"$CLI" set "$BIN/ZT5531K_PMR.QCF" -o "$F" '%CT_Null.CL_Bank_SelBankFree=@key:space' \
    '%CT_Mch.CL_Mch_FreqR[0]=446.00625' '%CT_Mch.CL_Mch_FreqR[1]=446.01875' \
    '%CT_Mch.CL_Mch_FreqR[2]=446.03125' '%CT_Mch.CL_Mch_FreqR[4]=446.05625' 2> "$WORK/err" ||
    fail "fixture: $(cat "$WORK/err")"
A=446006250 B=446018750 C=446031250 D=446056250
R='%CT_Mch.CL_Mch_FreqR'

# Copy two channels of bank 1 into bank 2; a paste at bank 2's last row takes only one.
rows_ok "copy paste" "Copied to the clipboard.
Pasted from the clipboard." "0:0:$A 1:0:$B 2:0:$C 4:1:$D 5:1:$A 6:1:$B " \
    "$F" "copy:$R[0]..1" "paste:$R[5]"
rows_ok "paste clamped" "Copied to the clipboard.
Pasted from the clipboard." "0:0:$A 1:0:$B 2:0:$C 4:1:$D 7:1:$A " \
    "$F" "copy:$R[0]..1" "paste:$R[7]"
# Copy of rows reaching into the next bank copies only the bank's rows.
rows_ok "copy clamped" "Copied to the clipboard.
Pasted from the clipboard." "0:0:$A 1:0:$B 2:0:$C 4:1:$D 5:1:$C " \
    "$F" "copy:$R[2]..6" "paste:$R[5]"

# Carry: the block moves, the neighbour takes the freed end.
rows_ok "carry down" "" "1:0:$A 2:0:$B 3:0:$C 4:1:$D " "$F" "carry-down:$R[0]..2"
rows_ok "carry up" "" "0:0:$B 1:0:$C 2:0:$A 4:1:$D " "$F" "carry-up:$R[1]..2"

# Clear asks; Cancel leaves the rows and the next operation still runs.
rows_ok "clear" "Cleared." "2:0:$C 4:1:$D " "$F" "clear:$R[0]..1"
rows_ok "clear cancelled" "Copied to the clipboard." "0:0:$A 1:0:$B 2:0:$C 4:1:$D " \
    "$F" --cancel "clear:$R[0]..1" "copy:$R[0]"

# Delete closes the gap; bank 2 moves up with its channels. Insert opens one.
rows_ok "delete" "Deleted." "0:0:$C 2:1:$D " "$F" "delete:$R[0]..1"
rows_ok "insert" "Inserted.
Inserted." "0:0:$A 3:0:$B 4:0:$C 6:1:$D " "$F" "insert:$R[1]" "insert:$R[1]"
# Into the empty bank 3, named by --bank.
rows_ok "insert empty bank" "Inserted." "0:0:$A 1:0:$B 2:0:$C 4:1:$D " "$F" --bank 3 "insert:$R[8]"
"$CLI" get "$WORK/out.qcf" '%CT_Null.CL_Mch_Bank[2]' > "$WORK/out"
[ "$(cut -f1 "$WORK/out")" = "1" ] && passed=$((passed + 1)) || fail "insert empty bank: bank 3 holds $(cat "$WORK/out")"

# Round trip: the saved file is the next run's input.
cp "$WORK/out.qcf" "$WORK/second.qcf"
rows_ok "round trip" "Copied to the clipboard.
Pasted from the clipboard." "0:0:$A 1:0:$B 2:0:$C 4:1:$D 8:2:$D " \
    "$WORK/second.qcf" "copy:$R[4]" "paste:$R[8]"

# The one bank of 64 channels keeps its rows: insert shifts within it, delete brings a blank row in.
O="$WORK/onebank.qcf"
"$CLI" set "$BIN/ZT5531K_PMR.QCF" -o "$O" "$R[0]=446.00625" "$R[1]=446.01875" "$R[63]=446.03125" 2> "$WORK/err" ||
    fail "one bank fixture: $(cat "$WORK/err")"
rows_fails "one bank full" 1 "$O" "insert:$R[0]"
rows_ok "one bank insert" "Deleted.
Inserted." "0:0:$A 2:0:$B " "$O" "delete:$R[63]" "insert:$R[1]"
"$CLI" get "$WORK/out.qcf" '%CT_Null.CL_Mch_Bank[0]' '%CT_Null.CL_Bank_SelBankFree' | cut -f1 | tr '\n' ' ' > "$WORK/out"
[ "$(cat "$WORK/out")" = "64 One bank of 64 channels " ] && passed=$((passed + 1)) || fail "one bank layout: $(cat "$WORK/out")"

# Other lists: ID groups of the digital PMR model.
G='%CT_MSK_IdGroup.CL_Msk_IdGroup_Text'
"$CLI" set "$BIN/ZT5531K_KPMR.QCF" -o "$WORK/k.qcf" "$G[1]=ALPHA" "$G[2]=BRAVO" > /dev/null 2>&1
"$CLI" rows "$WORK/k.qcf" -o "$WORK/k2.qcf" "carry-down:$G[1]" "copy:$G[1]..2" "paste:$G[6]" > "$WORK/out" 2> "$WORK/err"
"$CLI" get "$WORK/k2.qcf" "$G[1]" "$G[2]" "$G[6]" "$G[7]" | cut -f1 | tr '\n' ' ' > "$WORK/out"
[ "$(cat "$WORK/out")" = "BRAVO ALPHA BRAVO ALPHA " ] && passed=$((passed + 1)) || fail "id groups: $(cat "$WORK/out")"

# Error boxes and commands the popup menu does not offer save nothing.
"$CLI" set "$BIN/ZT5531K_PMR.QCF" -o "$WORK/full.qcf" '%CT_Null.CL_Mch_Bank[0]=64' > /dev/null 2>&1
rows_fails "insert overflow" 1 "$F" "insert:$R[0]..63"
grep -q "full" "$WORK/err" || fail "insert overflow: message '$(cat "$WORK/err")'"
rows_fails "paste without copy" 1 "$F" "paste:$R[0]"
rows_fails "carry past the bank" 1 "$F" "carry-down:$R[3]"
# Lists whose popup menu has no clear, delete or insert (DTMF codes) refuse them.
for op in clear delete insert; do
    rows_fails "$op on DTMF codes" 1 "$F" "$op:%CT_DTMF.CL_Dtmf_Code[2]"
done

# Command lines that are wrong.
rows_fails "no op" 64 "$F"
rows_fails "bad op" 64 "$F" "move:$R[0]"
rows_fails "bad bank" 64 "$F" --bank 6 "copy:$R[0]"
"$CLI" rows --help | grep -q "carry-down" && passed=$((passed + 1)) || fail "help"

echo "$passed passed, $failures failed"
[ "$failures" -eq 0 ]
