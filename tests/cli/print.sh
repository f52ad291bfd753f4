#!/usr/bin/env bash
# qx-p2210-cli print: clone files printed into PDF files through the program's page cutting, with
# real text (read back with pdftotext), the page frame on every page and the exit statuses.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/support/common.sh"
if ! command -v pdftotext > /dev/null || ! command -v pdfinfo > /dev/null; then
    echo "SKIP: pdftotext and pdfinfo (poppler-utils) are not installed"
    exit 0
fi
REV=$("$CLI" text GI_Sys_AppTitleRev)
MAKER=$("$CLI" text GI_Sys_Maker)
pdf_pages() { pdfinfo "$1" 2>/dev/null | sed -n 's/^Pages: *//p'; }

for model in LMR PMR KPMR D446; do
    # Two channels in use where the model's sheet takes typed frequencies, so that their values
    # must appear as text.
    "$CLI" set "$BIN/ZT5531K_$model.QCF" -o "$WORK/$model.qcf" '%CT_Mch.CL_Mch_FreqR[0]=446.00625' \
        '%CT_Mch.CL_Mch_FreqR[1]=446.10625' > /dev/null 2>&1 || cp "$BIN/ZT5531K_$model.QCF" "$WORK/$model.qcf"
    "$CLI" print "$WORK/$model.qcf" -o "$WORK/$model.pdf" > "$WORK/all" 2> "$WORK/err"
    rc=$?
    [ $rc -eq 0 ] || { fail "$model: print --all: exit status $rc ($(cat "$WORK/err"))"; continue; }
    total=$(head -n 1 "$WORK/all" | sed -n "s|^$WORK/$model.pdf \([0-9]*\) pages\{0,1\}$|\1|p")
    [ -n "$total" ] || fail "$model: first line '$(head -n 1 "$WORK/all")'"
    [ "$(pdf_pages "$WORK/$model.pdf")" = "$total" ] || fail "$model: the PDF has $(pdf_pages "$WORK/$model.pdf") pages, reported $total"
    [ "${total:-0}" -ge 2 ] || fail "$model: $total pages, expected the bank operation and a channel sheet at least"

    # The per-sheet lines add up, and each sheet printed alone gives its pages.
    sum=0
    while IFS=$'\t' read -r pages ref; do
        sum=$((sum + pages))
        [ "$pages" -eq 0 ] && continue
        "$CLI" print "$WORK/$model.qcf" --sheet "$ref" -o "$WORK/one.pdf" > "$WORK/one" 2>/dev/null
        [ "$(head -n 1 "$WORK/one" | sed 's/ page$/ pages/')" = "$WORK/one.pdf $pages pages" ] || fail "$model: $ref alone: '$(head -n 1 "$WORK/one")', expected $pages pages"
    done < <(tail -n +2 "$WORK/all")
    [ "$sum" = "$total" ] || fail "$model: the sheets' pages add up to $sum, not $total"

    # Every page carries the frame texts; the channel values are text.
    pdftotext "$WORK/$model.pdf" "$WORK/$model.txt"
    for text in "$REV" "$MAKER"; do
        n=$(grep -cF -- "$text" "$WORK/$model.txt")
        [ "$n" = "$total" ] || fail "$model: '$text' on $n of $total pages"
    done
    for cell in '%CT_Mch.CL_Mch_FreqR[0]' '%CT_Mch.CL_Mch_FreqT[1]' '%CT_Mch.CL_Mch_Text[0]'; do
        shown=$("$CLI" get "$WORK/$model.qcf" "$cell" 2>/dev/null | cut -f1 | sed 's/^ *//; s/ *$//')
        [ -z "$shown" ] && continue
        grep -qF -- "$shown" "$WORK/$model.txt" || fail "$model: $cell shows '$shown', not found in the PDF text"
    done
done
grep -qF "446.006250" "$WORK/LMR.txt" || fail "LMR: the receive frequency of channel 1 is not in the PDF text"

# A printout a customer can read, of 11 channels: ten at the start of the first bank (64 slots)
# and one in slot 46. Every page has its footer; each page of a channel sheet holds a channel and
# the rows stop at the last one in use; banks without a channel in use are left out; the PDF has a
# title and an outline entry per sheet.
args=()
for n in 0 1 2 3 4 5 6 7 8 9 45; do
    hz=$((446006250 + 12500 * n))
    args+=("%CT_Mch.CL_Mch_FreqR[$n]=${hz:0:3}.${hz:3}")
done
"$CLI" set "$BIN/ZT5531K_LMR.QCF" -o "$WORK/ch11.qcf" "${args[@]}" > /dev/null 2>&1 || fail "ch11: set refused"
[ "$("$CLI" channels "$WORK/ch11.qcf" | tail -n +2 | wc -l)" = 11 ] || fail "ch11: the fixture has not 11 channels in use"
"$CLI" print "$WORK/ch11.qcf" --date "2026-03-04 14:05" -o "$WORK/ch11.pdf" > "$WORK/ch11.out" 2> "$WORK/err" ||
    fail "ch11: print: $(cat "$WORK/err")"
total=$(pdf_pages "$WORK/ch11.pdf")
bankPages=0
for ((p = 1; p <= ${total:-0}; p++)); do
    pdftotext -layout -f "$p" -l "$p" "$WORK/ch11.pdf" "$WORK/page.txt"
    grep -qF "Page $p of $total" "$WORK/page.txt" || fail "ch11: page $p has no 'Page $p of $total'"
    grep -qF "ch11.qcf, LMR, printed 2026-03-04 14:05" "$WORK/page.txt" || fail "ch11: page $p has no footer"
    if grep -q "^Memory Channels, Bank" "$WORK/page.txt"; then
        bankPages=$((bankPages + 1))
        # A channel row with data: its number followed by values (an empty slot shows its number alone).
        grep -qE '^ *[1-5]- *[0-9]+ +[^ ]' "$WORK/page.txt" || fail "ch11: page $p shows no channel"
    fi
done
[ "$bankPages" -gt 0 ] || fail "ch11: no channel sheet printed"
pdftotext -layout "$WORK/ch11.pdf" "$WORK/ch11.txt"
grep -qF "446.568750" "$WORK/ch11.txt" || fail "ch11: the channel in slot 46 is not printed"
grep -qE '^ *1- *47( |$)' "$WORK/ch11.txt" && fail "ch11: the empty slots after the last channel in use are printed"
grep -qE '^0	\[St_ChBank\]GI_Sheet_Mch_Lmr,Bank 0$' "$WORK/ch11.out" && fail "ch11: the first bank gave no pages"
for b in 1 2 3 4; do
    grep -qE "^0	\[St_ChBank\]GI_Sheet_Mch_Lmr,Bank $b\$" "$WORK/ch11.out" || fail "ch11: empty bank $b printed"
done
pdfinfo "$WORK/ch11.pdf" | grep -qx "Title: *QX-P2210: ch11.qcf (LMR)" || fail "ch11: title '$(pdfinfo "$WORK/ch11.pdf" | grep Title)'"
if command -v pdftohtml > /dev/null; then
    pdftohtml -xml -i -q -stdout "$WORK/ch11.pdf" | grep -o '<item page="[0-9]*">[^<]*</item>' > "$WORK/outline"
    sheetsPrinted=$(tail -n +2 "$WORK/ch11.out" | grep -vc '^0	')
    [ "$(wc -l < "$WORK/outline")" = "$sheetsPrinted" ] || fail "ch11: outline of $(wc -l < "$WORK/outline") entries for $sheetsPrinted sheets"
    first=$(grep -n "^Memory Channels, Bank 1" <(for ((p = 1; p <= total; p++)); do pdftotext -f $p -l $p "$WORK/ch11.pdf" - | head -n 1; done) | head -n 1 | cut -d: -f1)
    grep -qx "<item page=\"$first\">Memory Channels, Bank 1</item>" "$WORK/outline" ||
        fail "ch11: no outline entry for bank 1 at page $first: $(cat "$WORK/outline")"
fi

# One channel sheet by its key (the style comes from the tree).
"$CLI" print "$WORK/PMR.qcf" --sheet GI_Sheet_Mch_Pmr --param "Bank 0" -o "$WORK/bank.pdf" > "$WORK/out" 2>&1 ||
    fail "bank sheet by key: $(cat "$WORK/out")"
grep -q "^[1-9][0-9]*	\[St_ChBank\]GI_Sheet_Mch_Pmr,Bank 0$" "$WORK/out" || fail "bank sheet by key: $(cat "$WORK/out")"

# Refusals: a damaged clone file (65), an output that cannot be written (73), a sheet that does
# not exist (1), wrong command lines (64).
printf '61530000\n#MapRev=6\n0000\n' > "$WORK/bad.qcf"
"$CLI" print "$WORK/bad.qcf" -o "$WORK/bad.pdf" > "$WORK/out" 2> /dev/null
rc=$?
[ $rc -eq 65 ] || fail "refused file: exit status $rc, expected 65"
grep -q "^error " "$WORK/out" || fail "refused file: no error line"
[ ! -e "$WORK/bad.pdf" ] || fail "refused file: a PDF was written"
expect_status "unwritable output" 73 print "$WORK/LMR.qcf" -o "$WORK/no/such/folder/x.pdf"
expect_status "missing sheet" 1 print "$WORK/LMR.qcf" --sheet GI_Sheet_NoSuchSheet -o "$WORK/x.pdf"
expect_usage print "$WORK/LMR.qcf" "-o $WORK/x.pdf" "$WORK/LMR.qcf --all --sheet GI_Sheet_Scan -o $WORK/x.pdf" \
    "$WORK/LMR.qcf --param x -o $WORK/x.pdf" "$WORK/LMR.qcf --frobnicate -o $WORK/x.pdf"

[ $failures -eq 0 ] && echo "print: all passed"
exit $((failures > 0))
