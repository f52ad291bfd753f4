#!/usr/bin/env bash
# qx-p2210-cli load and copy: acceptance, the "error <code> <key>" contract, the messages on stderr,
# copying an accepted file, and write failures.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/support/common.sh"
DATA="${QX_BIN_DIR:-.}/ZT5531K.OVL"

# A complete clone file: the EEPROM area 0000-7D7F in lines of 32 bytes, as the writer lays it out.
make_file() {  # header
    awk -v header="$1" 'BEGIN {
        printf "%s\n#MapRev=6\n", header
        for (a = 0; a <= 32127; a += 32) {
            printf "%04X20", a
            for (i = 0; i < 32; i++) printf "%02X", ((a + i) * 7 + 3) % 256
            printf "\n"
        }
    }'
}
make_file 61530000 > "$WORK/good.qcf"
headline=$(awk 'found { print; exit } $0 == "#GI_Mess_FileErr_Headline" { found = 1 }' "$DATA")
[ -n "$headline" ] || fail "no headline text in $DATA"

# Accepted files.
run "load good" 0 ok load "$WORK/good.qcf"
[ -s "$WORK/err" ] && fail "load good: unexpected stderr: $(cat "$WORK/err")"
make_file 61530100 > "$WORK/extra0100.qcf"
run "load extra 0100" 0 ok load "$WORK/extra0100.qcf"
tr '\n' '\r' < "$WORK/good.qcf" | sed 's/\r/\r\n/g' > "$WORK/crlf.qcf"
run "load windows line ends" 0 ok load "$WORK/crlf.qcf"

# Refused files: first stdout line, status, and the composed message on stderr.
sed '1s/.*/61540000/' "$WORK/good.qcf" > "$WORK/model.qcf"
sed '1s/.*/61530001/' "$WORK/good.qcf" > "$WORK/extra.qcf"
sed '2d' "$WORK/good.qcf" > "$WORK/norev.qcf"
sed '2s/6/7/' "$WORK/good.qcf" > "$WORK/rev7.qcf"
sed '5s/.$/G/' "$WORK/good.qcf" > "$WORK/format.qcf"
: > "$WORK/empty.qcf"
sed '$d' "$WORK/good.qcf" > "$WORK/short.qcf"
{ cat "$WORK/good.qcf"; echo "7D7F02AABB"; } > "$WORK/outside.qcf"
{ cat "$WORK/good.qcf"; echo "A65002AABB"; } > "$WORK/pastimage.qcf"
while read -r file code key; do
    run "load $file" "$code" "error $code $key" load "$WORK/$file"
    grep -qF "$headline" "$WORK/err" || fail "load $file: stderr lacks the headline: $(cat "$WORK/err")"
    [ "$(wc -l < "$WORK/out")" -eq 1 ] || fail "load $file: more than one stdout line"
done <<'CASES'
missing.qcf 1 GI_Mess_FileErr_FileOpen
model.qcf 3 GI_Mess_FileErr_Model
extra.qcf 4 GI_Mess_FileErr_Extra
norev.qcf 5 GI_Mess_FileErr_MapRev
rev7.qcf 5 GI_Mess_FileErr_MapRev
format.qcf 6 GI_Mess_FileErr_Format
empty.qcf 6 GI_Mess_FileErr_Format
short.qcf 7 GI_Mess_FileErr_Coverage
outside.qcf 8 GI_Mess_FileErr_Data
pastimage.qcf 8 GI_Mess_FileErr_Data
CASES

# copy: the written file is the canonical layout, reads back, and normalises the header.
run "copy good" 0 ok copy "$WORK/good.qcf" "$WORK/copy.qcf"
cmp -s "$WORK/good.qcf" "$WORK/copy.qcf" || fail "copy good: output differs from the input"
run "copy extra 0100" 0 ok copy "$WORK/extra0100.qcf" "$WORK/copy2.qcf"
cmp -s "$WORK/good.qcf" "$WORK/copy2.qcf" || fail "copy extra 0100: output is not the canonical file"
run "copy windows line ends" 0 ok copy "$WORK/crlf.qcf" "$WORK/copy3.qcf"
run "load copy" 0 ok load "$WORK/copy3.qcf"
run "copy onto itself" 0 ok copy "$WORK/copy3.qcf" "$WORK/copy3.qcf"
cmp -s "$WORK/good.qcf" "$WORK/copy3.qcf" || fail "copy onto itself changed the file"

# A refused input leaves OUT alone and reports as load does.
echo "keep me" > "$WORK/kept.qcf"
run "copy refused input" 7 "error 7 GI_Mess_FileErr_Coverage" copy "$WORK/short.qcf" "$WORK/kept.qcf"
[ "$(cat "$WORK/kept.qcf")" = "keep me" ] || fail "copy refused input: OUT was changed"
run "copy refused input, new OUT" 3 "error 3 GI_Mess_FileErr_Model" copy "$WORK/model.qcf" "$WORK/new.qcf"
[ -e "$WORK/new.qcf" ] && fail "copy refused input: OUT was created"

# OUT that cannot be written: status 1, the path and the reason on stderr, nothing left behind.
mkdir "$WORK/adir"
while IFS='|' read -r out reason; do
    run "copy to $out" 1 "" copy "$WORK/good.qcf" "$out"
    grep -qF "Cannot write '$out': $reason" "$WORK/err" || fail "copy to $out: stderr: $(cat "$WORK/err")"
done <<CASES
$WORK/nodir/out.qcf|No such file or directory
$WORK/adir|Is a directory
CASES
leftovers=$(find "$WORK" -name '*.tmp-*' | wc -l)
[ "$leftovers" -eq 0 ] || fail "temporary files left behind"

# Help and usage errors.
for cmd in load copy; do
    run "$cmd --help" 0 "Usage: qx-p2210-cli $cmd$( [ $cmd = load ] && echo ' FILE' || echo ' IN OUT')" "$cmd" --help
done
run "load without FILE" 64 "" load
run "copy with one argument" 64 "" copy "$WORK/good.qcf"

if [ "$failures" -eq 0 ]; then
    echo "load_copy: all checks passed"
else
    echo "load_copy: $failures check(s) failed"
    exit 1
fi
