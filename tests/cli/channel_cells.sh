#!/usr/bin/env bash
# Memory channel cells through qx-p2210-cli: names typed and printed in their editable form, list,
# flag and code cells set and read back through saved files for each model type, and the channel
# sheet of every model type rendered.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/support/common.sh"
T=$'\t'

# check NAME EXPECTED_STDOUT ARGS...: exit status 0 and exactly this output.
check() {
    local name=$1 want=$2
    shift 2
    local out
    out=$("$CLI" "$@" 2> "$WORK/err")
    local rc=$?
    [ "$rc" -eq 0 ] || { fail "$name: exit status $rc ($(cat "$WORK/err"))"; return; }
    [ "$out" = "$want" ] || fail "$name: stdout
$out
expected
$want"
}

# Names: a point after a character lights its point, "%1F" is user character 15, "%%" a percent
# sign; ten letters are refused whole (nothing saved), never cut to the field's eight.
"$CLI" set "$BIN/ZT5531K_PMR.QCF" -o "$WORK/cut.qcf" '%CT_Mch.CL_Mch_FreqR[1]=446.01875' \
    '%CT_Mch.CL_Mch_Text[1]=ABCDEFGHIJ' 2> "$WORK/err"
[ $? -eq 1 ] && [ ! -e "$WORK/cut.qcf" ] &&
    grep -q "Text\[1\]=ABCDEFGHIJ: 'ABCDEFGHIJ' is longer than the 8 characters the display shows; nothing saved" "$WORK/err" ||
    fail "ten letters: $(cat "$WORK/err")"
check "set names" "" set "$BIN/ZT5531K_PMR.QCF" -o "$WORK/pmr.qcf" \
    '%CT_Mch.CL_Mch_FreqR[0]=446.00625' '%CT_Mch.CL_Mch_FreqR[1]=446.01875' '%CT_Mch.CL_Mch_FreqR[2]=446.03125' \
    '%CT_Mch.CL_Mch_Text[0]=AB.C%1F' '%CT_Mch.CL_Mch_Text[1]=ABCDEFGH' '%CT_Mch.CL_Mch_Text[2]=.5%%' \
    '%CT_Mch.CL_Mch_RfPo[0]=@pick:2' '%CT_Mch.CL_Mch_Scan[0]=@key:space' '%CT_Mch.CL_Mch_Lockout[1]=@key:space' \
    '%CT_Mch.CL_Mch_Rpt_C[0]=@pick:17'
check "get names" "AB.C%1F${T}ok
ABCDEFGH${T}ok
 .5%%${T}ok
Low (0.1 W)${T}ok
1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11${T}ok
Busy channel${T}ok
17${T}ok" \
    get "$WORK/pmr.qcf" '%CT_Mch.CL_Mch_Text[0]' '%CT_Mch.CL_Mch_Text[1]' '%CT_Mch.CL_Mch_Text[2]' \
    '%CT_Mch.CL_Mch_RfPo[0]' '%CT_Mch.CL_Mch_Scan[0]' '%CT_Mch.CL_Mch_Lockout[1]' '%CT_Mch.CL_Mch_Rpt_C[0]'
# 'get' prints the line feed of a flag row as \n.
[ "$("$CLI" get "$WORK/pmr.qcf" '%CT_Mch.CL_Mch_RxCNo[0]' 2>/dev/null)" = "________\\n${T}ok" ] ||
    fail "flag row not printed with \\n"
# Scan lists go by the names the Scan sheet gives them, and are typed by name or number.
check "scan list names" "" set "$WORK/pmr.qcf" -o "$WORK/scan.qcf" '%CT_Scan.CL_ScanList_Text[1]=HOME'
check "scan lists typed" "" set "$WORK/scan.qcf" -o "$WORK/scan.qcf" '%CT_Mch.CL_Mch_Scan[0]=home, 4'
check "scan lists shown" "HOME, 4${T}ok" get "$WORK/scan.qcf" '%CT_Mch.CL_Mch_Scan[0]'
# The saved name bytes, as 'channels' prints them (raw bytes, unchanged columns).
"$CLI" channels "$WORK/pmr.qcf" > "$WORK/ch.csv" 2> /dev/null || fail "channels"
head -n 1 "$WORK/ch.csv" | grep -qx 'ch,bank,rx_hz,tx_hz,rx_tone,tx_tone,name,narrow,inhibit,tx_inhibit' ||
    fail "channels header changed"
grep -qF '0,0,446006250,446006250,off,off,A\xC2C\x1F    ,' "$WORK/ch.csv" || fail "channels: name bytes of channel 0: $(sed -n 2p "$WORK/ch.csv")"

# Digital PMR: the MSK cells are blocked until MSK signalling is on.
check "korv" "" set "$BIN/ZT5531K_KPMR.QCF" -o "$WORK/korv.qcf" '%CT_Mch.CL_Mch_FreqR[0]=446.00625' \
    '%CT_Mch.CL_Mch_Msk_Sig[0]=@pick:1' '%CT_Mch.CL_Mch_Msk_Rpt[0]=@pick:255'
check "korv get" "MSK${T}ok
No repeater${T}ok
Off${T}ok
Off${T}error" \
    get "$WORK/korv.qcf" '%CT_Mch.CL_Mch_Msk_Sig[0]' '%CT_Mch.CL_Mch_Msk_Rpt[0]' '%CT_Mch.CL_Mch_Form[0]' \
    '%CT_Mch.CL_Mch_Sel[0]'

# dPMR446: the fixed channels are picked; the colour code is shown.
check "dpmr446" "" set "$BIN/ZT5531K_D446.QCF" -o "$WORK/d446.qcf" '%CT_Mch.CL_Mch_FreqR[0]=@pick:9' \
    '%CT_Mch.CL_Mch_Text[0]=Site 1'
check "dpmr446 get" "446.109375${T}ok
Site 1${T}ok
1${T}ok" get "$WORK/d446.qcf" '%CT_Mch.CL_Mch_FreqR[0]' '%CT_Mch.CL_Mch_Text[0]' '%CT_Mch.CL_Mch_Dig_CC_R[0]'

# The channel sheet of every model type renders.
"$CLI" set "$BIN/ZT5531K_LMR.QCF" -o "$WORK/lmr.qcf" '%CT_Mch.CL_Mch_FreqR[0]=151.625' > /dev/null 2>&1 ||
    fail "lmr set"
for pair in "lmr Lmr" "pmr Pmr" "korv PmrK" "d446 DPmr446"; do
    set -- $pair
    out=$("$CLI" render "GI_Sheet_Mch_$2" --style St_ChBank --param "Bank 0" --image "$WORK/$1.qcf" \
        -o "$WORK/$1.png" 2> "$WORK/err")
    [ $? -eq 0 ] && [ -s "$WORK/$1.png" ] || fail "render GI_Sheet_Mch_$2: $(cat "$WORK/err")"
    case "$out" in "$WORK/$1.png "*x*) ;; *) fail "render GI_Sheet_Mch_$2 printed '$out'" ;; esac
done

[ $failures -eq 0 ] && echo "channel cells: all passed"
exit $((failures > 0))
