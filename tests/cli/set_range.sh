#!/usr/bin/env bash
# qx-p2210-cli set with an index range: one value into every cell of the range through each cell's
# own rules; a range where some cells refuse (empty channels, channels past the banks) lists each of
# them and saves nothing, as a single refused cell does; a wrong range is a wrong command line.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/support/common.sh"
passed=0
ok() { passed=$((passed + 1)); }
PMR="$BIN/ZT5531K_PMR.QCF"
T=$'\t'

# check NAME WANT_RC WANT_STDOUT WANT_STDERR ARGS...: stdout and stderr compared whole.
check() {
    local name=$1 want_rc=$2 want_out=$3 want_err=$4
    shift 4
    "$CLI" "$@" > "$WORK/out" 2> "$WORK/err"
    local rc=$?
    if [ "$rc" -ne "$want_rc" ]; then
        fail "$name: exit status $rc, expected $want_rc ($(cat "$WORK/err"))"
    elif [ "$(cat "$WORK/out")" != "$want_out" ]; then
        fail "$name: stdout '$(cat "$WORK/out")', expected '$want_out'"
    elif [ "$(cat "$WORK/err")" != "$want_err" ]; then
        fail "$name: stderr
$(cat "$WORK/err")
expected
$want_err"
    else
        ok
    fi
}

# Ranges of typed text, picks and keys; the cell after the range keeps its value.
check "set ranges" 0 "" "" set "$PMR" -o "$WORK/a.qcf" '%CT_Mch.CL_Mch_FreqR[0..7]=446.1' \
    '%CT_Mch.CL_Mch_RfPo[0..7]=@pick:2' '{(%CT_Mch.CL_Mch_Nar[2..3])}=@key:space'
check "get ranges" 0 "446.100000${T}ok
446.100000${T}ok
${T}ok
Low (0.1 W)${T}ok
Low (0.1 W)${T}ok
${T}ok" "" get "$WORK/a.qcf" '%CT_Mch.CL_Mch_FreqR[0]' '%CT_Mch.CL_Mch_FreqR[7]' '%CT_Mch.CL_Mch_FreqR[8]' \
    '%CT_Mch.CL_Mch_RfPo[0]' '%CT_Mch.CL_Mch_RfPo[7]' '%CT_Mch.CL_Mch_RfPo[8]'
"$CLI" get "$WORK/a.qcf" '%CT_Mch.CL_Mch_Nar[1]' '%CT_Mch.CL_Mch_Nar[2]' '%CT_Mch.CL_Mch_Nar[3]' > "$WORK/nar"
[ "$(cut -f1 "$WORK/nar" | sort -u | wc -l)" -eq 2 ] && [ "$(sed -n 2p "$WORK/nar")" = "$(sed -n 3p "$WORK/nar")" ] &&
    ok || fail "key range: $(cat "$WORK/nar")"

# Some cells of the range refuse: every one is listed, nothing is saved, exit 1 as for one cell.
rm -f "$WORK/r.qcf"
check "empty channels in the range" 1 "" "qx-p2210-cli: %CT_Mch.CL_Mch_RfPo[3]=@pick:2: the channel is empty: set its receive frequency first
qx-p2210-cli: %CT_Mch.CL_Mch_RfPo[4]=@pick:2: the channel is empty: set its receive frequency first
qx-p2210-cli: 2 of 5 cells of %CT_Mch.CL_Mch_RfPo[0..4] refused; nothing saved" \
    set "$PMR" -o "$WORK/r.qcf" '%CT_Mch.CL_Mch_FreqR[0..2]=446.1' '%CT_Mch.CL_Mch_RfPo[0..4]=@pick:2'
[ -e "$WORK/r.qcf" ] && fail "a refused range saved a file" || ok

# Banks 4/4/0/0/0 hold channels 1-8: channels 9 and 10 of the range lie in no bank.
"$CLI" set "$PMR" -o "$WORK/b44.qcf" '%CT_Null.CL_Bank_SelBankFree=@pick:1' 2> "$WORK/err" ||
    fail "bank fixture: $(cat "$WORK/err")"
check "range past the banks" 1 "" "qx-p2210-cli: %CT_Mch.CL_Mch_FreqR[8]=446.1: channel 9 lies in no bank
qx-p2210-cli: %CT_Mch.CL_Mch_FreqR[9]=446.1: channel 10 lies in no bank
qx-p2210-cli: 2 of 4 cells of %CT_Mch.CL_Mch_FreqR[6..9] refused; nothing saved" \
    set "$WORK/b44.qcf" -o "$WORK/r.qcf" '%CT_Mch.CL_Mch_FreqR[6..9]=446.1'
[ -e "$WORK/r.qcf" ] && fail "a range past the banks saved a file" || ok

# Wrong ranges are wrong command lines.
for cell in '%CT_Mch.CL_Mch_RfPo[7..0]' '%CT_Mch.CL_Mch_RfPo[a..3]' '%CT_Mch.CL_Mch_RfPo[0..65536]' \
    '%CT_Mch.CL_Mch_RfPo[0..1..2]' '%CT_Mch.CL_Mch_RfPo[1..]' '%CT_Mch.CL_Mch_RfPo[0..3'; do
    expect_status "range $cell" 64 set "$PMR" -o "$WORK/r.qcf" "$cell=@pick:2"
done
[ -e "$WORK/r.qcf" ] && fail "a wrong range saved a file" || ok

echo "$passed passed, $failures failed"
[ "$failures" -eq 0 ]
