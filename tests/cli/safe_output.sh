#!/usr/bin/env bash
# Output files and standard output: a full disk (a file size limit stands in for it) keeps the old
# file and says why, a symbolic link stays a link, a killed save's temporary file is cleared by the
# next save, a sheet without pages writes no PDF, and standard output that cannot be written fails.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/support/common.sh"
PMR="$BIN/ZT5531K_PMR.QCF"
"$CLI" set "$PMR" -o "$WORK/fleet.qcf" '%CT_Mch.CL_Mch_FreqR[0]=446.00625' '%CT_Mch.CL_Mch_FreqR[1]=446.10625' > /dev/null ||
    fail "set up: set"
"$CLI" set "$PMR" -o "$WORK/other.qcf" '%CT_Mch.CL_Mch_FreqR[0]=446.03125' > /dev/null || fail "set up: set"

# full NAME STATUS ARGS...: runs the command-line program on a "full disk" (no file may grow;
# its stderr goes through a pipe), expects STATUS and the reason on stderr, and nothing on stdout.
full() {
    local name=$1 want=$2 err rc
    shift 2
    err=$(trap '' XFSZ; ulimit -f 0; exec "$CLI" "$@" 2>&1 > /dev/null)
    rc=$?
    [ $rc -eq "$want" ] || fail "$name: exit status $rc, expected $want ($err)"
    grep -q "File too large" <<< "$err" || fail "$name: no reason on stderr: $err"
}

# Replacing files on a full disk: the old file stays whole, nothing is left behind.
printf 'Location,Frequency\n1,446.006250\n' > "$WORK/plan.csv"
full "export on a full disk" 73 export "$WORK/fleet.qcf" -o "$WORK/plan.csv"
[ "$(cat "$WORK/plan.csv")" = "$(printf 'Location,Frequency\n1,446.006250')" ] || fail "export on a full disk: the old plan was changed"
cp "$WORK/other.qcf" "$WORK/saved.qcf"
full "save on a full disk" 10 save "$WORK/fleet.qcf" "$WORK/saved.qcf"
cmp -s "$WORK/other.qcf" "$WORK/saved.qcf" || fail "save on a full disk: the old file was changed"
if command -v pdfinfo > /dev/null; then
    "$CLI" print "$WORK/fleet.qcf" --sheet GI_Sheet_Mch_BankOp -o "$WORK/old.pdf" > /dev/null || fail "print: set up"
    cp "$WORK/old.pdf" "$WORK/kept.pdf"
    full "print on a full disk" 73 print "$WORK/fleet.qcf" -o "$WORK/old.pdf"
    cmp -s "$WORK/old.pdf" "$WORK/kept.pdf" || fail "print on a full disk: the old PDF was changed"
fi
[ "$(find "$WORK" -name '.*.tmp-*' | wc -l)" -eq 0 ] || fail "temporary files left behind: $(ls -a "$WORK")"

# A device is written directly: /dev/full fails with its reason. It is reached through a link, so
# that a writer that wrongly renamed a file over its output replaces the link, never the device.
ln -s /dev/full "$WORK/full"
for cmd in "print $WORK/fleet.qcf" "export $WORK/fleet.qcf" "save $WORK/fleet.qcf"; do
    # shellcheck disable=SC2086
    set -- $cmd
    if [ "$1" = save ]; then "$CLI" "$@" "$WORK/full" > "$WORK/out" 2> "$WORK/err"; else "$CLI" "$@" -o "$WORK/full" > "$WORK/out" 2> "$WORK/err"; fi
    rc=$?
    want=73; [ "$1" = save ] && want=10
    [ $rc -eq $want ] || fail "$1 to /dev/full: exit status $rc, expected $want"
    grep -q "No space left on device" "$WORK/err" || fail "$1 to /dev/full: stderr: $(cat "$WORK/err")"
done

# A symbolic link is followed and stays a link.
mkdir "$WORK/real"
cp "$WORK/other.qcf" "$WORK/real/radio.qcf"
ln -s real/radio.qcf "$WORK/link.qcf"
ln -s real/plan.csv "$WORK/link.csv"
run "save onto a link" 0 "ok" save "$WORK/fleet.qcf" "$WORK/link.qcf"
[ -L "$WORK/link.qcf" ] || fail "save onto a link: the link was replaced by a file"
"$CLI" diff "$WORK/fleet.qcf" "$WORK/real/radio.qcf" > /dev/null || fail "save onto a link: the file it points to was not written"
run "export onto a link" 0 "" export "$WORK/fleet.qcf" -o "$WORK/link.csv"
[ -L "$WORK/link.csv" ] && [ -s "$WORK/real/plan.csv" ] || fail "export onto a link: link or plan missing"

# A save killed half-way (here by the file size limit) leaves the old file and a temporary file;
# the next save into the folder removes it.
cp "$WORK/other.qcf" "$WORK/killed.qcf"
{ (ulimit -f 8; exec "$CLI" save "$WORK/fleet.qcf" "$WORK/killed.qcf") > /dev/null 2>&1; rc=$?; } 2> /dev/null
[ $rc -gt 128 ] || fail "killed save: the save was not killed"
cmp -s "$WORK/other.qcf" "$WORK/killed.qcf" || fail "killed save: the old file was changed"
[ "$(find "$WORK" -maxdepth 1 -name '.killed.qcf.*' | wc -l)" -eq 1 ] || fail "killed save: no temporary file to clear (test set-up)"
run "export after a killed save" 0 "" export "$WORK/fleet.qcf" -o "$WORK/after.csv"
[ "$(find "$WORK" -maxdepth 1 -name '.killed.qcf.*' | wc -l)" -eq 0 ] || fail "the next save left the stale temporary file"

# A sheet that gives no pages (a bank without channels) writes no PDF.
run "print nothing" 65 "" print "$WORK/fleet.qcf" --sheet GI_Sheet_Mch_Pmr --param "Bank 4" -o "$WORK/empty.pdf"
grep -q "nothing to print" "$WORK/err" || fail "print nothing: stderr: $(cat "$WORK/err")"
[ ! -e "$WORK/empty.pdf" ] || fail "print nothing: a PDF was written"

# Standard output that cannot be written: status 74 and the reason, for every kind of command.
while IFS='|' read -r name args; do
    # shellcheck disable=SC2086
    "$CLI" $args > /dev/full 2> "$WORK/err"
    rc=$?
    [ $rc -eq 74 ] || fail "$name to /dev/full: exit status $rc, expected 74"
    grep -q "cannot write standard output: No space left on device" "$WORK/err" || fail "$name to /dev/full: stderr: $(cat "$WORK/err")"
done <<CASES
channels|channels $WORK/fleet.qcf
get|get $WORK/fleet.qcf %CT_Mch.CL_Mch_FreqR[0]
diff that differ|diff $WORK/fleet.qcf $WORK/other.qcf
model|model $WORK/fleet.qcf
check|check $WORK/fleet.qcf
help|--help
CASES
"$CLI" diff "$WORK/fleet.qcf" "$WORK/other.qcf" > /dev/null || [ $? -eq 1 ] || fail "diff to /dev/null: not 1"

[ $failures -eq 0 ] && echo "safe_output: all passed"
exit $((failures > 0))
