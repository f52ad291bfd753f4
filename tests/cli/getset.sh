#!/usr/bin/env bash
# qx-p2210-cli get and set: the cells' display texts and marks, typed values, keys and chooser
# picks through the cell handler, refusals that save nothing, and round trips through saved files.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/support/common.sh"
passed=0
ok() { passed=$((passed + 1)); }

# expect NAME STATUS EXPECTED_STDOUT ARGS...
expect() {
    local name=$1 want_rc=$2 want_out=$3
    shift 3
    "$CLI" "$@" > "$WORK/out" 2> "$WORK/err"
    local rc=$?
    local out
    out=$(cat "$WORK/out")
    if [ "$rc" -ne "$want_rc" ]; then
        fail "$name: exit status $rc, expected $want_rc ($(cat "$WORK/err"))"
    elif [ "$out" != "$want_out" ]; then
        fail "$name: stdout
$out
expected
$want_out"
    else
        ok
    fi
}

PMR="$BIN/ZT5531K_PMR.QCF"
T=$'\t'

# Display texts, line feeds written as \n, and a bare identity or a full description alike.
expect "get plain" 0 "64${T}ok
64${T}ok
0${T}ok
${T}ok
LMR\\nStandard keypad${T}ok
72 *Yet*${T}ok" \
    get "$PMR" '%CT_Null.CL_Mch_Bank[0]' '{(%CT_Null.CL_Mch_Bank_Total)}' '%CT_Null.CL_Mch_Bank[1]' \
    '%CT_Mch.CL_Mch_Nar[5]' '%CT_Null.CL_CloneInfo_Model' '%CT_Null.CL_EeDebugWin_F'

# Typed values, keys and picks, saved and read back.
expect "set" 0 "" set "$PMR" -o "$WORK/a.qcf" \
    '%CT_Mch.CL_Mch_FreqR[5]=446.1' \
    '{(%CT_BankOp.CL_Mch_BankText[1])}=Fleet A' \
    '%CT_Null.CL_Mch_SmarTrunk[2]=@key:space' \
    '%CT_Null.CL_Bank_SelBankFree=@pick:1'
[ -s "$WORK/a.qcf" ] && ok || fail "set wrote no file"
expect "get after set" 0 "446.100000${T}ok
Fleet A${T}ok
On${T}ok
4${T}ok
4${T}ok
0${T}ok" \
    get "$WORK/a.qcf" '%CT_Mch.CL_Mch_FreqR[5]' '%CT_BankOp.CL_Mch_BankText[1]' '%CT_Null.CL_Mch_SmarTrunk[2]' \
    '%CT_Null.CL_Mch_Bank[0]' '%CT_Null.CL_Mch_Bank[1]' '%CT_Null.CL_Mch_Bank[2]'

# A second round keeps the first round's values; backspace undoes the trunking flag.
expect "set again" 0 "" set "$WORK/a.qcf" -o "$WORK/b.qcf" '%CT_Null.CL_Mch_SmarTrunk[2]=@key:backspace' \
    '%CT_Null.CL_Bank_SelBankFree=@pick:0'
expect "get round trip" 0 "446.100000${T}ok
Fleet A${T}ok
-${T}ok
64${T}ok" \
    get "$WORK/b.qcf" '%CT_Mch.CL_Mch_FreqR[5]' '%CT_BankOp.CL_Mch_BankText[1]' '%CT_Null.CL_Mch_SmarTrunk[2]' \
    '%CT_Null.CL_Mch_Bank[0]'
"$CLI" load "$WORK/b.qcf" > /dev/null 2>&1 && ok || fail "the saved file does not load"

# Refusals: nothing is saved, the reason is on stderr, exit status 1.
refused() {  # NAME PAIR...
    local name=$1
    shift
    rm -f "$WORK/r.qcf"
    "$CLI" set "$PMR" -o "$WORK/r.qcf" "$@" > "$WORK/out" 2> "$WORK/err"
    local rc=$?
    if [ "$rc" -ne 1 ]; then
        fail "$name: exit status $rc, expected 1"
    elif [ -e "$WORK/r.qcf" ]; then
        fail "$name: a file was saved"
    elif ! grep -q "nothing saved" "$WORK/err"; then
        fail "$name: no reason on stderr: $(cat "$WORK/err")"
    else
        ok
    fi
}
refused "off the raster" '%CT_Mch.CL_Mch_FreqR[5]=446.10001'
# A list cell takes no typed text: its chooser's item of that text is picked (case and spaces
# aside); a text that is no item is refused with that reason.
expect "power by its text" 0 "" set "$PMR" -o "$WORK/p.qcf" '%CT_Mch.CL_Mch_FreqR[5]=446.1' \
    '%CT_Mch.CL_Mch_RfPo[5]= low (0.1 w)'
expect "power read back" 0 "Low (0.1 W)${T}ok" get "$WORK/p.qcf" '%CT_Mch.CL_Mch_RfPo[5]'
refused "power not a choice" '%CT_Mch.CL_Mch_FreqR[5]=446.1' '%CT_Mch.CL_Mch_RfPo[5]=Low'
grep -q "'Low' is not one of the cell's choices" "$WORK/err" && ok || fail "power not a choice: $(cat "$WORK/err")"
# Fields that no save of a PMR file keeps: a block of another model type (scroll timer, PTT side
# tone, set mode title) or a flag that normalisation puts back (hang-up action).
refused "scroll timer on PMR" '%CT_Null.CL_KDisp_ScrollTimer=2.5'
refused "PTT side tone on PMR" '%CT_Null.CL_Comm_PTTSide=@key:space'
refused "set mode title on PMR" '%CT_Null.CL_TSetM_Backlight=LITE'
refused "hang-up action" '%CT_Null.CL_KDisp_HangAct_Moni=@key:space'
# Channels past the banks' channels (banks 4/4/0/0/0 hold channels 1-8) or outside the table.
"$CLI" set "$PMR" -o "$WORK/b44.qcf" '%CT_Null.CL_Bank_SelBankFree=@pick:1' 2> "$WORK/err" ||
    fail "bank fixture: $(cat "$WORK/err")"
for index in 8 64 70; do
    rm -f "$WORK/r.qcf"
    "$CLI" set "$WORK/b44.qcf" -o "$WORK/r.qcf" "%CT_Mch.CL_Mch_FreqR[$index]=146.0" 2> "$WORK/err"
    rc=$?
    if [ "$rc" -ne 1 ] || [ -e "$WORK/r.qcf" ] ||
        ! grep -q "channel $((index + 1)) lies in no bank" "$WORK/err"; then
        fail "channel index $index: status $rc, $(cat "$WORK/err")"
    else
        ok
    fi
done
# A negative index is no cell at all: the command line is wrong.
rm -f "$WORK/r.qcf"
"$CLI" set "$WORK/b44.qcf" -o "$WORK/r.qcf" '%CT_Mch.CL_Mch_FreqR[-1]=146.0' 2> "$WORK/err"
rc=$?
if [ "$rc" -ne 64 ] || [ -e "$WORK/r.qcf" ] || ! grep -q "is not a number from 0 to 65535" "$WORK/err"; then
    fail "channel index -1: status $rc, $(cat "$WORK/err")"
else
    ok
fi
refused "not a number" '%CT_Mch.CL_Mch_FreqR[5]=abc'
refused "display only" '%CT_Null.CL_Mch_Bank[0]=5'
refused "empty channel" '%CT_Mch.CL_Mch_Nar[5]=@key:space'
refused "no such item" '%CT_Null.CL_Bank_SelBankFree=@pick:7'
refused "no chooser" '%CT_Null.CL_Mch_Bank_Total=@pick:0'
refused "unknown key" '%CT_Null.CL_Mch_SmarTrunk[2]=@key:tab'
refused "later pair refused" '%CT_Mch.CL_Mch_FreqR[5]=446.1' '%CT_Mch.CL_Mch_FreqR[6]=.'
refused "command cell" '%CL_Model_Lmr=@pick:0'

# Display texts, one byte per character: a character the display has no code for is refused with
# its name, whether it comes first or later; codes 1-15 are written and read as %01-%0F, and a name
# edited away and back is the same file again.
refused "no display character" '%CT_Mch.CL_Mch_FreqR[5]=446.1' '%CT_Mch.CL_Mch_Text[5]=Aé°1'
grep -q "CL_Mch_Text\[5\]=Aé°1: the display has no character 'é'; nothing saved" "$WORK/err" && ok ||
    fail "no display character: $(cat "$WORK/err")"
refused "no display character first" '{(%CT_BankOp.CL_Mch_BankText[1])}=°C'
grep -q ": the display has no character '°'; nothing saved" "$WORK/err" && ok ||
    fail "no display character first: $(cat "$WORK/err")"
expect "blank codes" 0 "" set "$PMR" -o "$WORK/t.qcf" '%CT_Mch.CL_Mch_FreqR[5]=446.1' '%CT_Mch.CL_Mch_Text[5]=A%05B%1F.'
expect "blank codes read" 0 "A%05B%1F.${T}ok" get "$WORK/t.qcf" '%CT_Mch.CL_Mch_Text[5]'
expect "name away" 0 "" set "$WORK/t.qcf" -o "$WORK/u.qcf" '%CT_Mch.CL_Mch_Text[5]=Z'
expect "name back" 0 "" set "$WORK/u.qcf" -o "$WORK/v.qcf" '%CT_Mch.CL_Mch_Text[5]=A%05B%1F.'
expect "name back equal" 0 "" diff "$WORK/t.qcf" "$WORK/v.qcf"
# Setting a cell to the value it holds is no refusal (a script run twice must not fail), and
# leaves the file as it was.
expect "same values again" 0 "" set "$WORK/t.qcf" -o "$WORK/w.qcf" '%CT_Mch.CL_Mch_Text[5]=A%05B%1F.' \
    '%CT_Mch.CL_Mch_CTone_R[5]=88.5' '%CT_Mch.CL_Mch_CTone_R[5]=88.5' '%CT_Mch.CL_Mch_CTone_T[5]=88.5'
expect "same values read" 0 "88.5<-${T}ok" get "$WORK/w.qcf" '%CT_Mch.CL_Mch_CTone_T[5]'

# A bank layout that would remove channels in use is refused unless --yes; picking the layout in
# use changes nothing.
refused "layout removing channels" '%CT_Mch.CL_Mch_FreqR[20]=446.1' '%CT_Null.CL_Bank_SelBankFree=@pick:1'
grep -q "Channels in use that will be removed: 1 (this bank layout holds only the first 8 channels)" "$WORK/err" && ok || fail "layout: no question on stderr: $(cat "$WORK/err")"
expect "layout kept" 0 "" set "$PMR" -o "$WORK/k.qcf" '%CT_Mch.CL_Mch_FreqR[20]=446.1' \
    '%CT_Null.CL_Bank_SelBankFree=@pick:0'
expect "layout kept read" 0 "446.100000${T}ok
64${T}ok" get "$WORK/k.qcf" '%CT_Mch.CL_Mch_FreqR[20]' '%CT_Null.CL_Mch_Bank[0]'
expect "layout with --yes" 0 "" set "$PMR" -o "$WORK/y.qcf" --yes '%CT_Mch.CL_Mch_FreqR[20]=446.1' \
    '%CT_Null.CL_Bank_SelBankFree=@pick:1'
expect "layout with --yes read" 0 "4${T}ok
4${T}ok" get "$WORK/y.qcf" '%CT_Null.CL_Mch_Bank[0]' '%CT_Null.CL_Mch_Bank[1]'

# The first "=" outside braces and parentheses splits the pair.
expect "split" 0 "" set "$PMR" -o "$WORK/c.qcf" '{(%CT_BankOp.CL_Mch_BankText[0])}=A=B'
expect "split read" 0 "A=B${T}ok" get "$WORK/c.qcf" '%CT_BankOp.CL_Mch_BankText[0]'

# Radio settings: the key function chain (key, option port, level), a value in hundreds, a typed
# time and a DTMF code, kept through a saved file.
expect "set settings" 0 "" set "$PMR" -o "$WORK/s.qcf" '%CT_Null.CL_KDisp_Key_Conv_P0=@pick:73,1,1' \
    '%CT_Null.CL_SetM_BeepLev=@pick:105' '%CT_Null.CL_Comm_Tot_Reset=7' '%CT_DTMF.CL_Dtmf_Code[2]=123#'
expect "get settings" 0 "Scrambler option OPT2 /H${T}ok
Volume-linked 5${T}ok
  7.000${T}ok
123#${T}ok" \
    get "$WORK/s.qcf" '%CT_Null.CL_KDisp_Key_Conv_P0' '%CT_Null.CL_SetM_BeepLev' '%CT_Null.CL_Comm_Tot_Reset' \
    '%CT_DTMF.CL_Dtmf_Code[2]'
refused "no level for option 23" '%CT_Null.CL_KDisp_Key_Conv_P1=@pick:56,1,1'

# User characters: 16-bit segment patterns, typed in decimal or as 0x hexadecimal; a pattern edited,
# saved and reopened is the same pattern, and a name using the character keeps its code. Text that
# is not a pattern keeps the old one; index 16 is past the table.
expect "user characters" 0 "" set "$PMR" -o "$WORK/uc.qcf" '%CT_CEdit.CL_CEdit[0]=0x3F24' \
    '%CT_CEdit.CL_CEdit[15]=65535' '%CT_Mch.CL_Mch_FreqR[5]=446.1' '%CT_Mch.CL_Mch_Text[5]=A%10%1F'
expect "user characters read" 0 "16164${T}ok
0${T}ok
65535${T}ok
A%10%1F${T}ok
----${T}ok" \
    get "$WORK/uc.qcf" '%CT_CEdit.CL_CEdit[0]' '%CT_CEdit.CL_CEdit[1]' '%CT_CEdit.CL_CEdit[15]' \
    '%CT_Mch.CL_Mch_Text[5]' '%CT_CEdit.CL_CEdit[16]'
expect "user character again" 0 "" set "$WORK/uc.qcf" -o "$WORK/uc2.qcf" '%CT_CEdit.CL_CEdit[0]=16164'
expect "user character same" 0 "" diff "$WORK/uc.qcf" "$WORK/uc2.qcf"
refused "user character not a number" '%CT_CEdit.CL_CEdit[0]=12x'
refused "user character above 16 bits" '%CT_CEdit.CL_CEdit[0]=0x10000'
refused "user character letters" '%CT_CEdit.CL_CEdit[0]=abc'
refused "user character past the table" '%CT_CEdit.CL_CEdit[16]=1'

# Command lines that are wrong.
expect "get usage" 64 "" get "$PMR"
expect "set usage" 64 "" set "$PMR" '%CT_Null.CL_Mch_Bank[0]=1'
expect "set no pair" 64 "" set "$PMR" -o "$WORK/d.qcf" '%CT_Null.CL_Mch_Bank[0]'
expect "unknown label" 3 "" get "$PMR" '%CT_Null.CL_No_Such_Cell'
expect "missing file" 1 "error 1 GI_Mess_FileErr_FileOpen" get "$WORK/missing.qcf" '%CT_Null.CL_Mch_Bank[0]'
expect "missing file set" 1 "error 1 GI_Mess_FileErr_FileOpen" set "$WORK/missing.qcf" -o "$WORK/e.qcf" \
    '%CT_Null.CL_Mch_SmarTrunk[0]=@key:space'

echo "$passed passed, $failures failed"
[ "$failures" -eq 0 ]
