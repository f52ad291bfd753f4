#!/usr/bin/env bash
# qx-p2210-cli render: sheets of the definition files drawn offscreen into PNG pictures.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/support/common.sh"

# png_size FILE: "W H" from the PNG header, or nothing when FILE is not a PNG picture.
png_size() {
    [ "$(head -c 8 "$1" | od -An -tx1 | tr -d ' \n')" = "89504e470d0a1a0a" ] || return
    local hex
    hex=$(od -An -tx1 -j16 -N8 "$1" | tr -d ' \n')
    echo "$((16#${hex:0:8})) $((16#${hex:8:8}))"
}

# The whole clone information sheet: a picture of the sheet's full size.
out=$("$CLI" render GI_Sheet_CloneInfo -o "$WORK/info.png" 2> "$WORK/err")
rc=$?
[ $rc -eq 0 ] || fail "clone information sheet: exit status $rc ($(cat "$WORK/err"))"
size=$(png_size "$WORK/info.png")
[ -n "$size" ] || fail "clone information sheet: no PNG picture written"
[ "$out" = "$WORK/info.png ${size/ /x}" ] || fail "clone information sheet: printed '$out' for a picture of $size"

# A channel/bank sheet at a given size.
"$CLI" render GI_Sheet_Mch_Lmr --style St_ChBank --param "Bank 0" --model 0 --width 640 --height 300 \
    -o "$WORK/bank.png" > /dev/null 2> "$WORK/err" || fail "channel sheet: $(cat "$WORK/err")"
[ "$(png_size "$WORK/bank.png")" = "640 300" ] || fail "channel sheet: picture of $(png_size "$WORK/bank.png"), expected 640 300"

# Refusals: a sheet that does not exist, and wrong command lines.
"$CLI" render GI_Sheet_NoSuchSheet -o "$WORK/none.png" > /dev/null 2> "$WORK/err"
rc=$?
[ $rc -eq 1 ] || fail "missing sheet: exit status $rc, expected 1"
grep -q "GI_Sheet_NoSuchSheet" "$WORK/err" || fail "missing sheet: the message does not name the sheet"
[ ! -e "$WORK/none.png" ] || fail "missing sheet: a picture was written"
expect_usage render "GI_Sheet_CloneInfo" "-o $WORK/x.png" "GI_Sheet_CloneInfo --model 7 -o $WORK/x.png" \
    "GI_Sheet_CloneInfo --width wide -o $WORK/x.png" "GI_Sheet_CloneInfo --frobnicate -o $WORK/x.png"

[ $failures -eq 0 ] && echo "render: all passed"
exit $((failures > 0))
