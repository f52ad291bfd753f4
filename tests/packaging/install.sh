#!/usr/bin/env bash
# Installs into a temporary prefix and uses the installation as a user would: the installed CLI
# loads an installed initial file, the installed GUI starts headless and finds its data, the desktop
# entry and AppStream data pass their validators, the clone file type is recognised by name and by
# content, the manual pages render and list every command, and the completion offers the commands.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/../cli/support/common.sh"
BUILD="${QX_BUILD_DIR:?}"
P="$WORK/prefix"

cmake --install "$BUILD" --prefix "$P" > "$WORK/install.log" 2>&1 || { cat "$WORK/install.log"; echo "FAIL: install"; exit 1; }

# Every file the installation promises.
for f in bin/qx-p2210 bin/qx-p2210-cli bin/qx-p2210-radiosim \
         share/qx-p2210/ZT5531K.OVL share/qx-p2210/ZT5531KH.OVL \
         share/qx-p2210/ZT5531K_LMR.QCF share/qx-p2210/ZT5531K_PMR.QCF \
         share/qx-p2210/ZT5531K_KPMR.QCF share/qx-p2210/ZT5531K_D446.QCF \
         share/applications/org.vexa.qxp2210.desktop share/metainfo/org.vexa.qxp2210.metainfo.xml \
         share/mime/packages/qx-p2210.xml lib/udev/rules.d/60-qx-p2210-cables.rules \
         share/icons/hicolor/scalable/apps/qx-p2210.svg share/icons/hicolor/48x48/apps/qx-p2210.png \
         share/icons/hicolor/256x256/apps/qx-p2210.png \
         share/man/man1/qx-p2210.1.gz share/man/man1/qx-p2210-cli.1.gz share/man/man1/qx-p2210-radiosim.1.gz \
         share/bash-completion/completions/qx-p2210-cli; do
    [ -s "$P/$f" ] || fail "not installed: $f"
done
# The help file and any other data file travel with the definition files.
for f in "$QX_SOURCE_DIR"/data/*; do
    [ -f "$P/share/qx-p2210/$(basename "$f")" ] || fail "data file not installed: $(basename "$f")"
done

# The installed programs find the installed data (nothing lies beside them).
CLI="$P/bin/qx-p2210-cli"
run "installed load" 0 ok load "$P/share/qx-p2210/ZT5531K_PMR.QCF"
run "installed lint" 0 "$P/share/qx-p2210/ZT5531K.OVL, $P/share/qx-p2210/ZT5531KH.OVL: no problems" lint
for prog in qx-p2210 qx-p2210-cli qx-p2210-radiosim; do
    out=$("$P/bin/$prog" --version 2>&1)
    [[ $out =~ ^$prog\ [0-9]+\.[0-9]+ ]] || fail "$prog --version: '$out'"
done

# The installed GUI starts headless with a clone file and stays up (a missing data folder or a
# refused command line would end it at once); its single-instance lock shows it got that far. A
# second start with another file hands the file to it and ends.
export XDG_CONFIG_HOME="$WORK/config" XDG_RUNTIME_DIR="$WORK/runtime"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
"$P/bin/qx-p2210" -platform offscreen "$P/share/qx-p2210/ZT5531K_LMR.QCF" > "$WORK/gui.out" 2>&1 &
gui=$!
sleep 3
if kill -0 $gui 2> /dev/null; then
    ls "$XDG_RUNTIME_DIR" | grep -q "lock$" || fail "installed GUI took no single-instance lock"
    timeout 10 "$P/bin/qx-p2210" -platform offscreen "$P/share/qx-p2210/ZT5531K_PMR.QCF" > "$WORK/second.out" 2>&1
    rc=$?
    [ $rc -eq 0 ] || fail "second start ended with status $rc: $(cat "$WORK/second.out")"
    for _ in $(seq 30); do
        ls "$XDG_RUNTIME_DIR"/*.open/*.req > /dev/null 2>&1 || break
        sleep 0.2
    done
    ls "$XDG_RUNTIME_DIR"/*.open/*.req > /dev/null 2>&1 && fail "the running GUI did not take the second start's file"
    kill $gui
    wait $gui 2> /dev/null
else
    wait $gui
    fail "installed GUI ended with status $?: $(cat "$WORK/gui.out")"
fi
"$P/bin/qx-p2210" -platform offscreen --no-such-option > /dev/null 2> "$WORK/err"
rc=$?
[ $rc -eq 64 ] || fail "unknown GUI option: status $rc, expected 64"
grep -q "unknown option '--no-such-option'" "$WORK/err" || fail "unknown GUI option: stderr '$(cat "$WORK/err")'"

# Desktop entry and AppStream data.
desktop-file-validate "$P/share/applications/org.vexa.qxp2210.desktop" > "$WORK/dfv" 2>&1 \
    || fail "desktop-file-validate: $(cat "$WORK/dfv")"
grep -E "error|warning" "$WORK/dfv" && fail "desktop-file-validate complains"
appstreamcli validate --no-net "$P/share/metainfo/org.vexa.qxp2210.metainfo.xml" > "$WORK/asv" 2>&1 \
    || fail "appstreamcli validate: $(cat "$WORK/asv")"
grep -q "^MimeType=application/x-qx-p2210-clone;" "$P/share/applications/org.vexa.qxp2210.desktop" \
    || fail "the desktop entry does not open clone files"

# The clone file type: by the .qcf extension and, without one, by the header line.
update-mime-database "$P/share/mime" > /dev/null 2>&1 || fail "update-mime-database refused the type"
cp "$P/share/qx-p2210/ZT5531K_D446.QCF" "$WORK/radio.qcf"
cp "$P/share/qx-p2210/ZT5531K_D446.QCF" "$WORK/no-extension"
printf 'just text\n' > "$WORK/other.txt"
if command -v gio > /dev/null; then
    for f in radio.qcf no-extension other.txt; do
        type=$(XDG_DATA_DIRS="$P/share:/usr/share" XDG_DATA_HOME="$WORK/none" gio info -a standard::content-type "$WORK/$f" \
               | sed -n 's/.*standard::content-type: //p')
        want=application/x-qx-p2210-clone
        [ "$f" = other.txt ] && want=text/plain
        [ "$type" = "$want" ] || fail "content type of $f: '$type', expected $want"
    done
fi

# Manual pages render without warnings and cover every command of the CLI.
for page in qx-p2210 qx-p2210-cli qx-p2210-radiosim; do
    MANWIDTH=80 man --warnings -l "$P/share/man/man1/$page.1.gz" > "$WORK/$page.txt" 2> "$WORK/man.err"
    [ $? -eq 0 ] || fail "man -l $page failed"
    [ -s "$WORK/man.err" ] && fail "man -l $page: $(cat "$WORK/man.err")"
    for section in NAME SYNOPSIS DESCRIPTION OPTIONS "EXIT STATUS"; do
        grep -q "^$section" "$WORK/$page.txt" || fail "$page(1) has no $section section"
    done
done
commands=$("$CLI" --help | awk '/^Commands:$/ { on = 1; next } on && /^  [^ ]/ { print $1; next } { on = 0 }')
[ -n "$commands" ] || fail "no commands in qx-p2210-cli --help"
for cmd in $commands; do
    grep -q "^   $cmd\$" "$WORK/qx-p2210-cli.txt" || fail "qx-p2210-cli(1) has no section for '$cmd'"
    grep -q "^       qx-p2210-cli $cmd" "$WORK/qx-p2210-cli.txt" || fail "qx-p2210-cli(1) has no synopsis for '$cmd'"
done

# Bash completion: commands, then the options of the command being typed.
complete_words() {  # WORD... : the completions of the last word
    COMP_WORDS=("$@")
    COMP_CWORD=$(($# - 1))
    COMPREPLY=()
    _qx_p2210_cli
    printf '%s\n' "${COMPREPLY[@]}"
}
source "$P/share/bash-completion/completions/qx-p2210-cli"
[ "$(complete_words qx-p2210-cli lo)" = load ] || fail "completion of 'lo': '$(complete_words qx-p2210-cli lo)'"
complete_words qx-p2210-cli read --p | grep -qx -- --port || fail "completion of 'read --p' lacks --port"
complete_words qx-p2210-cli write --y | grep -qx -- --yes || fail "completion of 'write --y' lacks --yes"

exit $((failures > 0))
