#!/usr/bin/env bash
# The README stays true: its folder table names only folders that exist, and its command table is
# one table that lists every command the command-line program offers.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/support/common.sh"
SRC="${QX_SOURCE_DIR:-../..}"
README="$SRC/README.md"

# Folder table rows: | `name/` | ... |
while read -r folder; do
    [ -d "$SRC/$folder" ] || fail "README lists folder '$folder' that does not exist"
done < <(grep -oE '^\| `[a-z]+/`' "$README" | grep -oE '[a-z]+/')

# The command table: the rows from its heading to the first line that is not a row.
awk '/^\| Command \| What it does \|/ { on = 1 } on && !/^\|/ { exit } on' "$README" > "$WORK/table"
"$CLI" --help 2>&1 | awk '/^Commands:/ { on = 1; next } on && /^  [a-z]/ { print $1 }' > "$WORK/commands"
[ -s "$WORK/commands" ] || fail "no commands in the help text"
while read -r command; do
    grep -qE "^\| \`$command( |\`)" "$WORK/table" || fail "README command table lacks '$command'"
done < "$WORK/commands"

[ "$failures" -eq 0 ] && echo "readme: all passed"
exit $((failures > 0))
