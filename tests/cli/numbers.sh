#!/usr/bin/env bash
# Numbers on the command line are read whole and range-checked before use: a number that would
# wrap (2^32 + 1 taken as 1), a sign, trailing text or an empty value is a wrong command line
# (exit 64), whatever command or option takes it.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/support/common.sh"

src="$BIN/ZT5531K_PMR.QCF"
printf 'Location,Frequency\n1,446.100000\n' > "$WORK/plan.csv"
cell='%CT_Mch.CL_Mch_FreqR'

expect_usage import "$src $WORK/plan.csv -o $WORK/x.qcf --bank 4294967297" \
    "$src $WORK/plan.csv -o $WORK/x.qcf --bank +2" "$src $WORK/plan.csv -o $WORK/x.qcf --bank 2x"
expect_usage get "$src $cell[abc]" "$src $cell[4294967296]" "$src $cell[-1]" "$src $cell[1x]"
expect_usage set "$src -o $WORK/x.qcf $cell[4294967297]=446.1" "$src -o $WORK/x.qcf %CT_Mch.CL_Mch_Nar[0]=@pick:4294967297" \
    "$src -o $WORK/x.qcf %CT_Mch.CL_Mch_Nar[0]=@pick:1,x"
expect_usage rows "$src -o $WORK/x.qcf --bank 4294967297 clear:$cell[0]" "$src -o $WORK/x.qcf --bank +2 clear:$cell[0]" \
    "$src -o $WORK/x.qcf clear:$cell[0]..4294967296" "$src -o $WORK/x.qcf clear:$cell[4294967296]"
expect_usage render "GI_Sheet_Mch_Pmr --model 4294967297 -o $WORK/x.png" "GI_Sheet_Mch_Pmr --width 0x10 -o $WORK/x.png"
# A bank parameter past the five banks would draw bank 1 under another name.
expect_status "render --param" 64 render GI_Sheet_Mch_Pmr --style St_ChBank --param "Bank 4294967296" -o "$WORK/x.png"
expect_status "print --param" 64 print "$src" --sheet GI_Sheet_Mch_Pmr --param "Bank 7" -o "$WORK/x.pdf"
[ ! -e "$WORK/x.qcf" ] || fail "a refused command line wrote OUT"

# The numbers in range still work.
expect_status "get index" 0 get "$src" "$cell[0]"
"$CLI" set "$src" -o "$WORK/x.qcf" '%CT_Mch.CL_Mch_Nar[0]=@pick:1' > /dev/null 2>&1
[ $? -ne 64 ] || fail "set @pick:1 taken for a wrong command line"

[ $failures -eq 0 ] && echo "numbers: all passed"
exit $((failures > 0))
