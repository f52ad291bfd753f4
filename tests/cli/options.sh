#!/usr/bin/env bash
# How every command reads its command line: options before, between or after the positional
# arguments; "--" ends the options; a value is the next argument whatever it looks like; an
# unknown option, or an option without its value, is a wrong command line (exit 64) that writes
# nothing.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/support/common.sh"

src="$BIN/ZT5531K_PMR.QCF"
cell='%CT_Mch.CL_Mch_FreqR[0]'
out="$WORK/x.qcf"

# Unknown options and options lacking their value, in every kind of command.
expect_usage check "--bogus $src" "-x $src"
expect_usage get "$src --bogus $cell" "$src -x $cell"
expect_usage set "$src -o $out --bogus $cell=446.1" "$src $cell=446.1 -o" "$src -o $out -q $cell=446.1"
expect_usage cell "-x" "--bogus {(a)}" "a --model"
expect_usage text "--bogus GI_Sys_Maker"
expect_usage lint "--bogus"
expect_usage rows "$src -o $out --bogus clear:$cell" "$src -o $out clear:$cell --bank"
expect_usage import "$src $WORK/plan.csv -o $out --bogus" "$src $WORK/plan.csv -o $out --bank"
expect_usage export "$src -o $WORK/x.csv --bogus" "$src -o"
expect_usage render "GI_Sheet_Mch_Pmr -o $WORK/x.png --bogus" "GI_Sheet_Mch_Pmr -o $WORK/x.png --width"
expect_usage print "$src -o $WORK/x.pdf --bogus" "$src --date"
expect_usage info "--port /dev/null --no-backup" "--port /dev/null --port /dev/null"
expect_usage write "--port /dev/null $src --bogus"
[ ! -e "$out" ] && [ ! -e "$WORK/x.csv" ] || fail "a wrong command line wrote a file"

# The messages name the argument at fault.
"$CLI" diff "$src" "$src" --bogus > /dev/null 2> "$WORK/err"
grep -q "unknown option --bogus" "$WORK/err" || fail "diff: $(cat "$WORK/err")"
"$CLI" render GI_Sheet_Mch_Pmr -o "$WORK/x.png" --width > /dev/null 2> "$WORK/err"
grep -q "bad argument '--width'" "$WORK/err" || fail "render: $(cat "$WORK/err")"
"$CLI" info --port /dev/null --port /dev/null > /dev/null 2> "$WORK/err"
grep -q "unexpected argument '--port'" "$WORK/err" || fail "info: $(cat "$WORK/err")"
"$CLI" cell --model > /dev/null 2> "$WORK/err"
grep -q "^qx-p2210-cli: --model needs a model name$" "$WORK/err" || fail "cell --model: $(cat "$WORK/err")"

# "--" ends the options: what follows is positional even when it starts with '-'.
run "cell --" 0 '{"category":null,"label":null,"index":0,"name":null,"text":"-x","image":-1,"colour":"0x80000005","layout":0,"behaviour":0,"popup":null,"font":null}' cell -- -x
maker=$("$CLI" text GI_Sys_Maker)
run "text --" 0 "$maker" text -- GI_Sys_Maker

# A value is the next argument, even one that starts with '-': the model "-x" does not exist
# (status 3), which a wrong command line (64) would hide.
expect_status "cell --model -x" 3 cell --model -x 'a'

# Options after the positional arguments, and both spellings of a value.
run "set, -o last" 0 "" set "$src" "$cell=446.1" -o "$out"
[ -s "$out" ] || fail "set with -o last wrote no file"
"$CLI" cell --model Basic 'a' > "$WORK/spaced"
"$CLI" cell 'a' --model=Basic > "$WORK/joined"
cmp -s "$WORK/spaced" "$WORK/joined" || fail "--model=NAME after the description differs from --model NAME"

[ $failures -eq 0 ] && echo "options: all passed"
exit $((failures > 0))
