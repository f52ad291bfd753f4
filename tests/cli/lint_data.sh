#!/usr/bin/env bash
# qx-p2210-cli lint: the definition files in data/ (as copied beside the executables) have no
# problem, and the fixture with planted faults is refused with each fault at its line.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/support/common.sh"
FIXTURE="${QX_SOURCE_DIR:-../..}/tests/fixtures/lint"

# The program's own definition files, beside the executable (the default folder).
"$CLI" lint > "$WORK/out" 2> "$WORK/err"
rc=$?
[ "$rc" -eq 0 ] || { fail "lint of the bin folder's data: status $rc"; cat "$WORK/out" "$WORK/err"; }
"$CLI" lint "${QX_BIN_DIR:-.}" > "$WORK/out" 2>&1 || { fail "lint with the folder named: status $?"; cat "$WORK/out"; }

# The fixture: status 1 and every planted fault reported.
"$CLI" lint "$FIXTURE" > "$WORK/out" 2> "$WORK/err"
rc=$?
[ "$rc" -eq 1 ] || fail "lint of the fixture: status $rc, expected 1"
for want in \
    "ZT5531K.OVL:13: CellModel_Broken: Cannot use the specified cell. 'CL_NoSuchLabel'" \
    "ZT5531K.OVL:46: GI_Sheet_Bad_Cells: Cannot use the specified category. 'CT_Bogus'" \
    "ZT5531K.OVL:46: GI_Sheet_Bad_Cells: GTEX Error ! The index 'CellModel_NoSuchModel' was not found." \
    "ZT5531K.OVL:47: GI_Sheet_Bad_Cells: Illegal Ch No." \
    "ZT5531K.OVL:50: GI_Sheet_Half_Style: sheet 'GI_Sheet_Half' has no section 'GI_Sheet_Half_Cells'" \
    "ZT5531K.OVL:26: GI_PMenu_Edit_Body: Ch No. Error" \
    "ZT5531KH.OVL:13: GI_AppItem_Context_ID: context number 'ten' is not a decimal number"; do
    grep -qxF "$want" "$WORK/out" || fail "fixture: missing line '$want'"
done
tail -n 1 "$WORK/out" | grep -qE '^[0-9]+ problems$' || fail "fixture: no problem count at the end"

# A planted fault in a copy of the real files is found too.
cp "${QX_BIN_DIR:-.}/ZT5531K.OVL" "${QX_BIN_DIR:-.}/ZT5531KH.OVL" "$WORK/"
sed -i 's/^#CellModel_iQp$/#CellModel_iQp\n(%CT_Null.CL_Misc_QuaterPillar)/' "$WORK/ZT5531K.OVL"
"$CLI" lint "$WORK" > "$WORK/out" 2>&1
[ $? -eq 1 ] || fail "planted fault in a copy of data: not refused"
grep -q "CellModel_iQp: Cannot use the specified cell. 'CL_Misc_QuaterPillar'" "$WORK/out" || fail "planted fault not reported"

# Usage errors.
"$CLI" lint a b > /dev/null 2>&1
[ $? -eq 64 ] || fail "two folders: not a usage error"

[ "$failures" -eq 0 ] && echo "lint_data: all passed"
exit $((failures > 0))
