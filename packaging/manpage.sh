#!/usr/bin/env bash
# manpage.sh PROGRAM NAME VERSION SUMMARY OUT: writes the manual page of PROGRAM from its own
# --help output, so the page always says what the program says.
#
# The help text is read as: a "Usage:" line (and aligned continuation lines) giving the synopsis,
# paragraphs separated by blank lines, and headings ("Options:", "Exit status:", ...; a line that is
# only words and a colon) that start a section of the page. Lines starting with a blank are kept as
# they are (option tables); other lines are filled. A "Commands:" heading lists commands as
# "  NAME  SUMMARY"; there the page gives each command's own "PROGRAM NAME --help" as a subsection,
# so a command added to the program appears in the page without any change here.
set -euo pipefail
[ $# -eq 5 ] || { echo "usage: manpage.sh PROGRAM NAME VERSION SUMMARY OUT" >&2; exit 64; }
program=$1 name=$2 version=$3 summary=$4 out=$5
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Converts help text on stdin to roff. Argument 1: a command's help inside COMMANDS (its usage
# lines become a bold synopsis, its headings bold paragraph titles). Argument 2: a file spliced in
# after the COMMANDS heading.
to_roff() {
    awk -v nested="$1" -v commands="${2:-}" '
    function esc(s) {
        gsub(/\\/, "\\e", s)
        gsub(/-/, "\\-", s)
        if (s ~ /^[.\047]/) s = "\\&" s
        return s
    }
    function fill() { if (nf) { print ".fi"; nf = 0 } }
    function heading(h) {
        fill()
        if (nested) { print ".PP"; print ".B " esc(h); return }
        section = toupper(substr(h, 1, length(h) - 1))
        print ".SH " section
        if (section == "COMMANDS" && commands != "")
            while ((getline line < commands) > 0) print line
    }
    NR == 1 && /^Usage: / {
        if (!nested) print ".SH SYNOPSIS"
        else print ".PP"
        print ".nf"
        sub(/^Usage: /, "")
        print ".B " esc($0)
        usage = 1
        next
    }
    usage && /^       +[^ ]/ { sub(/^ +/, ""); print ".B " esc($0); next }
    usage {
        print ".fi"
        usage = 0
        if (!nested) { print ".SH DESCRIPTION"; section = "DESCRIPTION" }
        para = 0
    }
    /^[ \t]*$/ { fill(); para = 1; next }
    /^[A-Z][A-Za-z ]*:$/ { heading($0); para = 0; next }
    section == "COMMANDS" { next }
    {
        if (para) { fill(); print ".PP"; para = 0 }
        if ($0 ~ /^ /) { if (!nf) { print ".nf"; nf = 1 } }
        else fill()
        print esc($0)
    }
    END { fill() }'
}

"$program" --help > "$work/help"
: > "$work/commands"
for cmd in $(awk '/^Commands:$/ { on = 1; next } on && /^  [^ ]/ { print $1; next } { on = 0 }' "$work/help"); do
    "$program" "$cmd" --help > "$work/cmd"
    {
        echo ".SS $(echo "$cmd" | sed 's/-/\\-/g')"
        to_roff 1 < "$work/cmd"
    } >> "$work/commands"
done

title=$(echo "$name" | tr '[:lower:]' '[:upper:]')
{
    echo ".\\\" Generated from the output of '$name --help'; change the help text, not this page."
    echo ".TH $title 1 \"\" \"$name $version\" \"User Commands\""
    echo ".ad l"
    echo ".nh"
    echo ".SH NAME"
    echo "$name \\- $summary"
    to_roff 0 "$work/commands" < "$work/help"
    echo ".SH SEE ALSO"
    others=()
    for page in qx-p2210 qx-p2210-cli qx-p2210-radiosim; do [ "$page" = "$name" ] || others+=("$page"); done
    for i in "${!others[@]}"; do
        sep=","
        [ "$i" -eq $((${#others[@]} - 1)) ] && sep=""
        echo ".BR $(echo "${others[$i]}" | sed 's/-/\\-/g') (1)$sep"
    done
} > "$out.tmp"
mv "$out.tmp" "$out"
