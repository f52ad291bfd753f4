#!/usr/bin/env bash
# qx-p2210-cli check, channels, save and model over the initial files of all four model types and
# over files with channels in them; the refusals of the open checks; the initial file generator.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/support/common.sh"
GEN="$BIN/qx-p2210-initfiles"
SRC="${QX_SOURCE_DIR:-..}"

FILES=(ZT5531K_LMR.QCF ZT5531K_PMR.QCF ZT5531K_KPMR.QCF ZT5531K_D446.QCF)
NAMES=("0 LMR" "1 PMR" "2 Korv PMR" "3 dPMR446")
HEADER="ch,bank,rx_hz,tx_hz,rx_tone,tx_tone,name,narrow,inhibit,tx_inhibit"

# The initial files: accepted, their model, no channel in use, saved unchanged.
for i in 0 1 2 3; do
    f="$BIN/${FILES[$i]}"
    run "check ${FILES[$i]}" 0 ok check "$f"
    [ -s "$WORK/err" ] && fail "check ${FILES[$i]}: unexpected stderr: $(cat "$WORK/err")"
    run "model ${FILES[$i]}" 0 "${NAMES[$i]}" model "$f"
    run "channels ${FILES[$i]}" 0 "$HEADER" channels "$f"
    [ "$(wc -l < "$WORK/out")" -eq 1 ] || fail "channels ${FILES[$i]}: rows for a blank radio"
    run "save ${FILES[$i]}" 0 ok save "$f" "$WORK/blank$i.QCF"
    run "model of saved ${FILES[$i]}" 0 "${NAMES[$i]}" model "$WORK/blank$i.QCF"
done

# Channels in the LMR file. Channel n's record is at 0x01B8 + 34 n in the packed area of the
# initial files (after the 64-byte parameter block at 0x0178).
hz() { printf '%08X' "$1"; }
ch0="$(hz 446006250)$(hz 446006250)000C4013""0000000000000000""412C224201202020""400001000000"
ch3="$(hz $((150000000 + 0x80000000)))$(hz $((150000000 + 0x80000000)))61EC8000""0000000000000000""504C41494E202020""000001000000"
poke "$BIN/ZT5531K_LMR.QCF" 01B8 "$ch0" > "$WORK/step.QCF"
poke "$WORK/step.QCF" "$(printf '%04X' $((0x1B8 + 34 * 3)))" "$ch3" > "$WORK/lmr.QCF"
cat > "$WORK/want.csv" << 'EOF'
ch,bank,rx_hz,tx_hz,rx_tone,tx_tone,name,narrow,inhibit,tx_inhibit
0,0,446006250,446006250,ctcss:12,dtcs:023N,"A,""B\x01   ",1,0,0
3,0,150000000,150000000,dtcs:754I,off,PLAIN   ,0,1,1
EOF
run "check lmr" 0 ok check "$WORK/lmr.QCF"
run "channels lmr" 0 "$HEADER" channels "$WORK/lmr.QCF"
cmp -s "$WORK/out" "$WORK/want.csv" || fail "channels lmr: $(diff "$WORK/want.csv" "$WORK/out")"

# A damaged directory (entry length and count 0xFFFF, then a directory address past the area):
# the file opens, nothing is unpacked from outside the EEPROM area, no channel appears.
for bytes in FFFFFFFF 000A0028FFF0 00020028; do
    poke "$WORK/lmr.QCF" 0122 "$bytes" > "$WORK/damaged.QCF"
    run "damaged directory $bytes" 0 "$HEADER" channels "$WORK/damaged.QCF"
    run "damaged directory $bytes (save)" 0 ok save "$WORK/damaged.QCF" "$WORK/damaged-saved.QCF"
done

# Save and reopen: the same channels; saving the saved file again gives the same file.
for i in 0 1 2 3; do
    src="$WORK/lmr.QCF"
    [ "$i" -gt 0 ] && src="$WORK/typed$i.QCF"
    if [ "$i" -gt 0 ]; then
        poke "$BIN/${FILES[$i]}" 01B8 "$ch0" > "$WORK/typed$i.QCF"
    fi
    "$CLI" channels "$src" > "$WORK/before.csv" 2> /dev/null
    run "save type $i" 0 ok save "$src" "$WORK/saved$i.QCF"
    run "check saved type $i" 0 ok check "$WORK/saved$i.QCF"
    run "model saved type $i" 0 "${NAMES[$i]}" model "$WORK/saved$i.QCF"
    "$CLI" channels "$WORK/saved$i.QCF" > "$WORK/after.csv" 2> /dev/null
    cmp -s "$WORK/before.csv" "$WORK/after.csv" || fail "save type $i: channels differ after reopening"
    [ "$(wc -l < "$WORK/after.csv")" -ge 2 ] || fail "save type $i: the channel was lost"
    run "save again type $i" 0 ok save "$WORK/saved$i.QCF" "$WORK/again$i.QCF"
    cmp -s "$WORK/saved$i.QCF" "$WORK/again$i.QCF" || fail "save type $i: saving the saved file changes it"
done
run "save to a missing folder" 10 "error save" save "$WORK/lmr.QCF" "$WORK/none/out.QCF"
[ -s "$WORK/err" ] || fail "save to a missing folder: no message on stderr"

# Refusals of the open checks: first stdout line, status and the message on stderr.
refused() {  # name file code key
    run "$1" "$3" "error $3 $4" check "$2"
    [ -s "$WORK/err" ] || fail "$1: no message on stderr"
    run "$1 (channels)" "$3" "error $3 $4" channels "$2"
}
lmr="$BIN/ZT5531K_LMR.QCF"
sed '1s/.*/61540000/' "$lmr" > "$WORK/model.QCF"
refused "other model" "$WORK/model.QCF" 3 GI_Mess_FileErr_Model
poke "$lmr" 0000 6252 > "$WORK/ident.QCF"
refused "model identifier" "$WORK/ident.QCF" 8 GI_Mess_FileErr_Data
{ cat "$lmr"; echo "9A050102"; } > "$WORK/newer.QCF"
refused "newer data" "$WORK/newer.QCF" 9 GI_Mess_FileErr_Newer
sed '100d' "$lmr" > "$WORK/short.QCF"
refused "missing line" "$WORK/short.QCF" 7 GI_Mess_FileErr_Coverage
{ cat "$lmr"; echo "7D8001FF"; } > "$WORK/outside.QCF"
refused "outside the EEPROM area" "$WORK/outside.QCF" 8 GI_Mess_FileErr_Data
refused "missing file" "$WORK/nothing.QCF" 1 GI_Mess_FileErr_FileOpen
run "check without a file" 64 "" check
run "save without OUT" 64 "" save "$lmr"

# The generator reproduces the shipped initial files.
if [ -d "$SRC/data" ]; then
    "$GEN" --check "$SRC/data" > "$WORK/gen" 2>&1 || fail "initfiles --check: $(cat "$WORK/gen")"
    mkdir "$WORK/gen-out"
    "$GEN" "$WORK/gen-out" > /dev/null 2>&1 || fail "initfiles could not write"
    for f in "${FILES[@]}"; do
        cmp -s "$WORK/gen-out/$f" "$SRC/data/$f" || fail "generated $f differs from data/$f"
    done
else
    fail "no source folder at $SRC"
fi

[ "$failures" -eq 0 ] && echo "check_channels: all passed"
exit $((failures > 0))
