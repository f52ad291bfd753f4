#!/usr/bin/env bash
# completion.sh PROGRAM NAME OUT: writes the bash completion of PROGRAM from its own --help output:
# the commands of a "Commands:" list (each with the options its "NAME CMD --help" names), or the
# options of the program itself. Words that are not options complete as file names.
set -euo pipefail
[ $# -eq 3 ] || { echo "usage: completion.sh PROGRAM NAME OUT" >&2; exit 64; }
program=$1 name=$2 out=$3

# The options a help text names: "-o" and "--long-name" words, each once, in order.
options_of() {
    grep -oE -- '(^|[^A-Za-z0-9_-])--?[A-Za-z][A-Za-z0-9-]*' | sed -E 's/^[^-]*//' | awk '!seen[$0]++' | tr '\n' ' ' | sed 's/ $//'
}

help=$("$program" --help)
commands=$(echo "$help" | awk '/^Commands:$/ { on = 1; next } on && /^  [^ ]/ { print $1; next } { on = 0 }' | tr '\n' ' ' | sed 's/ $//')
fn="_$(echo "$name" | tr -c 'A-Za-z0-9\n' '_')"
{
    echo "# bash completion for $name, generated from the output of '$name --help'."
    echo "$fn() {"
    echo '    local cur=${COMP_WORDS[COMP_CWORD]} opts'
    if [ -n "$commands" ]; then
        echo '    if [ "$COMP_CWORD" -eq 1 ]; then'
        echo "        COMPREPLY=(\$(compgen -W \"$commands $(echo "$help" | options_of)\" -- \"\$cur\"))"
        echo '        return'
        echo '    fi'
        echo '    case ${COMP_WORDS[1]} in'
        for cmd in $commands; do
            echo "        $cmd) opts=\"$({ "$program" "$cmd" --help; echo " --help"; } | options_of)\" ;;"
        done
        echo '        *) opts="" ;;'
        echo '    esac'
    else
        echo "    opts=\"$(echo "$help" | options_of)\""
    fi
    echo '    if [[ $cur == -* ]]; then'
    echo '        COMPREPLY=($(compgen -W "$opts" -- "$cur"))'
    echo '    else'
    echo '        compopt -o filenames 2>/dev/null'
    echo '        COMPREPLY=($(compgen -f -- "$cur"))'
    echo '    fi'
    echo '}'
    echo "complete -F $fn $name"
} > "$out.tmp"
mv "$out.tmp" "$out"
