#!/usr/bin/env bash
# qx-p2210-cli validate: quiet on the four initial files; each marked cell named by sheet, row and
# column with its reason; exit 1 on an error, or on a warning with --strict; a clone write refuses
# what validate calls an error.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/support/common.sh"

for f in ZT5531K_LMR.QCF ZT5531K_PMR.QCF ZT5531K_KPMR.QCF ZT5531K_D446.QCF; do
    run "validate $f" 0 "" validate "$BIN/$f"
    run "validate --strict $f" 0 "" validate --strict "$BIN/$f"
done

# Warnings: a Middle channel while "Power levels" offers high and low, a scrambler "By key" with
# no scrambler key. Warnings alone pass; --strict counts them.
POWER='Power: the "Power levels" setting offers high and low only, so the power key never returns to Middle'
SCRAMBLER='Scrambler: set to "By key", but no key is the scrambler option key'
"$CLI" set "$BIN/ZT5531K_LMR.QCF" -o "$WORK/warn.qcf" '%CT_Mch.CL_Mch_FreqR[0]=150.0' \
    '%CT_Mch.CL_Mch_RfPo[0]=@pick:1' '%CT_Mch.CL_Mch_Scrm_On[0]=@pick:2' > /dev/null || fail "set warn.qcf"
printf '%s\n' "Memory Channels, Bank 1 / 1-1 / Power: warning: $POWER" \
    "Memory Channels, Bank 1 / 1-1 / Scrambler: warning: $SCRAMBLER" > "$WORK/want"
run "validate warnings" 0 "Memory Channels, Bank 1 / 1-1 / Power: warning: $POWER" validate "$WORK/warn.qcf"
cmp -s "$WORK/out" "$WORK/want" || fail "validate warnings: $(diff "$WORK/want" "$WORK/out")"
expect_status "validate --strict warnings" 1 validate "$WORK/warn.qcf" --strict
# Offering the middle level and putting the scrambler key on P3 clears both.
"$CLI" set "$WORK/warn.qcf" -o "$WORK/fixed.qcf" '%CT_Null.CL_KDisp_RfPoSel=@pick:1' \
    '%CT_Null.CL_KDisp_Key_Conv_P3=@pick:73,0,1' > /dev/null || fail "set fixed.qcf"
run "validate fixed" 0 "" validate --strict "$WORK/fixed.qcf"

# An error: a receive CTCSS tone number past the tone table (written by another tool).
# Channel 0's record at 0x01B8 of the packed area: 150 MHz both ways, receive CTCSS number 60.
poke "$BIN/ZT5531K_LMR.QCF" 01B8 "08F0D18008F0D180003C401300000000000000004142434420202020400001000000" \
    > "$WORK/error.qcf"
run "validate error" 1 "Memory Channels, Bank 1 / 1-1 / Tone RX: error: Tone: the radio's tone table has no such tone" \
    validate "$WORK/error.qcf"
# The clone write refuses it before touching a port.
expect_status "write refuses the error" 1 write --port /dev/null --yes "$WORK/error.qcf"

run "validate missing file" 65 "" validate "$WORK/missing.qcf"
expect_usage validate "" "a b" "--lenient a"

echo "$failures failed"
[ "$failures" -eq 0 ]
