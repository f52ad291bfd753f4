#!/usr/bin/env bash
# qx-p2210-cli info, read and write against the simulated radio (qx-p2210-radiosim) on a
# pseudo-terminal: the printed information, read files that reopen to what the radio holds, a
# write with and without confirmation, refusals, and the exit status of faults.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/support/common.sh"
source "$(dirname "${BASH_SOURCE[0]}")/support/sim.sh"

# Information, as the clone information window shows it.
start_sim
expect "info" 0 info --port "$DEV"
contains "info model" "$WORK/out" "Model: dPMR446"
contains "info serial" "$WORK/out" "Serial number: 20241204660"
contains "info comment" "$WORK/out" "Comment 1: SIMULATED RADIO"
[ ! -s "$WORK/err" ] && ok || fail "info wrote to stderr: $(cat "$WORK/err")"

# A read at both speeds saves what the radio holds, as opening the radio's file and saving does.
"$CLI" save "$BIN/ZT5531K_D446.QCF" "$WORK/expected.qcf" > /dev/null 2>&1 || fail "save of the reference"
for speed in "" "--high-speed"; do
    expect "read $speed" 0 read --port "$DEV" $speed -o "$WORK/read.qcf"
    cmp -s "$WORK/read.qcf" "$WORK/expected.qcf" && ok || fail "read $speed: the file differs from the radio's data"
    grep -q "Cloning \[" "$WORK/err" && fail "a progress bar on a stderr that is no terminal" || ok
done

# Writing data without a channel in use is refused before the radio is touched.
expect "write refused" 1 write --port "$DEV" --yes "$WORK/read.qcf"
contains "write refused message" "$WORK/err" "No memory channel is in use"

# A file with one channel: without a terminal and without --yes the write is cancelled after the
# first identification; with --yes it is written, the radio identified twice.
"$CLI" set "$BIN/ZT5531K_PMR.QCF" -o "$WORK/one.qcf" '%CT_Mch.CL_Mch_FreqR[0]=446.00625' > /dev/null 2>&1 ||
    fail "set could not make a file with a channel"
start_sim --model-type 1 --save "$WORK/radio.qcf"
expect "write unconfirmed" 1 write --port "$DEV" "$WORK/one.qcf"
contains "write question" "$WORK/err" "Do you want to write the data to the radio?"
[ ! -e "$WORK/radio.qcf" ] && ok || fail "an unconfirmed write reached the radio"
expect "write" 0 write --port "$DEV" --high-speed --yes "$WORK/one.qcf"
contains "write success" "$WORK/err" "The data was written to the radio successfully."
sleep 0.2
"$CLI" channels "$WORK/radio.qcf" > "$WORK/channels" 2>&1
contains "written channel" "$WORK/channels" "0,0,446006250,446006250"
[ "$(grep -c '^write ok' "$SIMOUT")" = 1 ] && [ "$(grep -c '^ident ok' "$SIMOUT")" = 3 ] && ok ||
    fail "expected three identifications and one write: $(cat "$SIMOUT")"

# Faults end with their result code, and a failed read writes no file.
fault() {  # CODE COMMAND FAULT [SIM ARGS...]
    local code=$1 command=$2 f=$3
    shift 3
    start_sim --fault "$f" "$@"
    rm -f "$WORK/f.qcf"
    case $command in
        read) expect "$f" "$code" read --port "$DEV" -o "$WORK/f.qcf" ;;
        write) expect "$f" "$code" write --port "$DEV" --yes "$WORK/one.qcf" ;;
        info) expect "$f" "$code" info --port "$DEV" ;;
    esac
    [ ! -e "$WORK/f.qcf" ] && ok || fail "$f: a failed read wrote a file"
    kill "${SIMS[-1]}" 2> /dev/null
}
fault 4 read no-echo
fault 5 info silence
fault 6 read bad-checksum
fault 7 read wrong-end-count --end 00FF
fault 10 write end-reply-fail --model-type 1
fault 11 info wrong-model
fault 14 read new-map
contains "message of 14" "$WORK/err" "newer memory layout"

# A port that cannot be opened: code 2, the message names the device and the reason.
expect "no port" 2 info --port /dev/qx-no-such-port
contains "port message" "$WORK/err" "/dev/qx-no-such-port (no such device"

# Usage errors.
expect "no port given" 64 info
expect "no output" 64 read --port "$DEV"

echo "$passed passed, $failures failed"
[ "$failures" -eq 0 ]
