#!/usr/bin/env bash
# What the clone write promises, against simulated radios: the backup and the read-back cover
# every written address, data with errors and radios of another model type are refused before
# anything is written, and a failure says whether the radio was written.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/support/common.sh"
source "$(dirname "${BASH_SOURCE[0]}")/support/sim.sh"

"$CLI" set "$BIN/ZT5531K_PMR.QCF" -o "$WORK/one.qcf" '%CT_Mch.CL_Mch_FreqR[0]=446.00625' > /dev/null 2>&1 ||
    fail "set could not make a file with a channel"

# The radio sends its memory from 0 to its read end. A radio whose memory ends before the written
# addresses cannot be backed up: nothing is written, and the message names both ends and the way
# to write anyway. Without a backup the written addresses it does not send back fail the check.
start_sim --model-type 1 --end 0100 --fault bad-store
expect "short end, backup" 1 write --port "$DEV" --yes --backup "$WORK/backups" "$WORK/one.qcf"
contains "short end: the radio's end" "$WORK/err" "up to 0x010F, but the write replaces addresses up to 0x"
contains "short end: nothing written" "$WORK/err" "nothing was written"
contains "short end: the way to write anyway" "$WORK/err" "write again with --no-backup"
sleep 0.2
grep -q '^ident ok' "$SIMOUT" && ! grep -Eq '^(read|write) ok' "$SIMOUT" && ok || fail "the short radio was read or written: $(cat "$SIMOUT")"
expect "short end, no backup" 18 write --port "$DEV" --yes --no-backup "$WORK/one.qcf"
contains "short end: the unreturned addresses named" "$WORK/err" "different data at 0x0110-0x"
sleep 0.2
grep -q '^write ok' "$SIMOUT" && ok || fail "the short radio was not written without a backup"

# Data the warning check finds errors in is refused before the radio is touched, as the program
# refuses it (digital PMR with MSK signalling and select off).
"$CLI" set "$BIN/ZT5531K_KPMR.QCF" -o "$WORK/korv.qcf" '%CT_Mch.CL_Mch_FreqR[0]=446.00625' \
    '%CT_Mch.CL_Mch_Msk_Sig[0]=@pick:1' > /dev/null 2>&1 || fail "set could not make the Korv file"
start_sim --model-type 2
P1=$DEV
expect "data with errors" 1 write --port "$DEV" --yes --no-backup "$WORK/korv.qcf"
contains "data error message" "$WORK/err" "The data contains errors; nothing was written to the radio."
start_sim --model-type 2
expect "data with errors, two radios" 1 write --port "$P1" --port "$DEV" --yes --no-backup "$WORK/korv.qcf"
contains "data error message, two radios" "$WORK/err" "The data contains errors"
sleep 0.2
[ ! -s "$SIMOUT" ] || [ "$(grep -c ' ok ' "$SIMOUT")" = 0 ] && ok || fail "a radio was touched: $(cat "$SIMOUT")"

# A PMR file and a dPMR446 radio: refused with status 19 unless --change-model; with several
# radios each is judged on its own.
start_sim
expect "other model" 19 write --port "$DEV" --yes --no-backup "$WORK/one.qcf"
contains "other model message" "$WORK/err" "The radio is a dPMR446 radio, but the data is for a PMR radio."
contains "other model advice" "$WORK/err" "--change-model"
sleep 0.2
grep -q '^write ok' "$SIMOUT" && fail "the other model's radio was written" || ok
expect "other model, changed" 0 write --port "$DEV" --yes --no-backup --no-verify --change-model "$WORK/one.qcf"
start_sim --model-type 1
P1=$DEV
start_sim
expect "two models" 19 write --port "$P1" --port "$DEV" --yes --no-backup "$WORK/one.qcf"
grep -q "^$P1  .*  0 ok$" "$WORK/out" && grep -q "^$DEV  .*  19 The radio is a dPMR446 radio" "$WORK/out" && ok ||
    fail "each radio judged on its own: $(cat "$WORK/out")"

# A failure says what became of the radio: nothing written (backup failed, write refused at its
# start), interrupted (cable pulled mid-write), written but unchecked (cable pulled at the read-back).
phase() {  # STATUS TEXT FAULT [WRITE OPTIONS...]
    local status=$1 text=$2 f=$3
    shift 3
    start_sim --model-type 1 --fault "$f"
    expect "$f" "$status" write --port "$DEV" --yes "$@" "$WORK/one.qcf"
    contains "$f message" "$WORK/err" "$text"
}
phase 6 "Nothing was written to the radio." bad-checksum --backup "$WORK/backups"
phase 6 "Nothing was written to the radio." refuse-write --no-backup
phase 4 "The write was interrupted: the radio may now hold incomplete data." pull-write --no-backup
phase 5 "The write itself finished, but the radio could not be read back to check it" pull-readback --no-backup

# A backup that cannot be kept points to the options, not to the program's menu.
start_sim --model-type 1
expect "backup cannot be kept" 1 write --port "$DEV" --yes --backup /dev/null/backups "$WORK/one.qcf"
contains "backup advice" "$WORK/err" "--no-backup"
grep -q "Setup > Backup" "$WORK/err" && fail "the backup advice names the program's menu" || ok

echo "$passed passed, $failures failed"
[ "$failures" -eq 0 ]
