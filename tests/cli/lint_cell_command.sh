#!/usr/bin/env bash
# qx-p2210-cli cell: one JSON object per cell, counters running through the row, models from the
# definition file beside the executable, and status 3 with the message on stderr for a bad description.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/support/common.sh"

# expect NAME EXPECTED_STDOUT ARGS...
expect() {
    local name=$1 want=$2
    shift 2
    "$CLI" cell "$@" > "$WORK/out" 2> "$WORK/err"
    local rc=$?
    [ "$rc" -eq 0 ] || fail "$name: status $rc ($(cat "$WORK/err"))"
    [ "$(cat "$WORK/out")" = "$want" ] || fail "$name: got
$(cat "$WORK/out")
expected
$want"
}

expect "plain cell" \
'{"category":null,"label":null,"index":0,"name":null,"text":"Abc","image":-1,"colour":"0x000000FF","layout":0,"behaviour":1,"popup":null,"font":null}' \
    '{(Color=clRed)S}Abc'

expect "counters through a row, one cell per bar" \
'{"category":"CT_Mch","label":"CL_Mch_No","index":0,"name":null,"text":"1","image":-1,"colour":"0x80000005","layout":0,"behaviour":0,"popup":null,"font":null}
{"category":"CT_Mch","label":"CL_Mch_No","index":1,"name":null,"text":"2","image":-1,"colour":"0x80000005","layout":0,"behaviour":0,"popup":null,"font":null}
{"category":"CT_Mch","label":null,"index":1,"name":"a|b \"q\"","text":"x\ny","image":-1,"colour":"0x80000005","layout":0,"behaviour":0,"popup":null,"font":null}' \
    '{(%CT_Mch.CL_Mch_No[@ch0])(@ch0++)}\(@ch0)|{(%CL_Mch_No[@ch0])(@ch0++)}\(@ch0)' '{(%:a\|b "q")}x\ny'

expect "model, inherited popup, own font" \
'{"category":null,"label":null,"index":0,"name":null,"text":"Head","image":-1,"colour":"0x00808080","layout":53,"behaviour":0,"popup":"GI_PMenu_Edit","font":{"charset":"DEFAULT_CHARSET","face":"","colour":"0x00FFFFFF","height":-17,"size":13,"styles":["fsBold"],"pitch":"fpDefault"}}
{"category":null,"label":null,"index":0,"name":null,"text":null,"image":-1,"colour":"0x80000005","layout":4,"behaviour":0,"popup":"GI_PMenu_NoItem","font":null}' \
    --model Basic '{($iChI)}Head' '{(PopupMenu=GI_PMenu_NoItem)}'

expect "model named with its prefix" \
'{"category":"CT_Null","label":"CL_Misc_QuarterPillar","index":0,"name":null,"text":null,"image":-1,"colour":"0x80000005","layout":0,"behaviour":0,"popup":null,"font":null}' \
    --model CellModel_iQp ''

# Fatal descriptions: the message on stderr, status 3, the cells before it printed.
"$CLI" cell 'ok' '{(%CL_Bogus)}' > "$WORK/out" 2> "$WORK/err"
rc=$?
[ "$rc" -eq 3 ] || fail "unknown label: status $rc, expected 3"
grep -q "Cannot use the specified cell." "$WORK/err" || fail "unknown label: message missing: $(cat "$WORK/err")"
[ "$(wc -l < "$WORK/out")" -eq 1 ] || fail "unknown label: the cell before it was not printed"
"$CLI" cell '\(@ch0' > /dev/null 2> "$WORK/err"
[ $? -eq 3 ] && grep -q "Illegal Ch No." "$WORK/err" || fail "unclosed counter expression"
"$CLI" cell --model NoSuchModel 'x' > /dev/null 2> "$WORK/err"
[ $? -eq 3 ] && grep -q "CellModel_NoSuchModel" "$WORK/err" || fail "missing model"

# Usage errors.
"$CLI" cell > /dev/null 2>&1
[ $? -eq 64 ] || fail "no description: not a usage error"
"$CLI" cell --model > /dev/null 2>&1
[ $? -eq 64 ] || fail "--model without a name: not a usage error"

[ "$failures" -eq 0 ] && echo "lint_cell_command: all passed"
exit $((failures > 0))
