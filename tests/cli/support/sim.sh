# Sourced (after common.sh) by the shell tests that clone with simulated radios: starting
# simulators (stopped at exit), running the command-line program and checking its output.
SIM="$BIN/qx-p2210-radiosim"
SIMS=()
cleanup() {
    for p in "${SIMS[@]}"; do kill "$p" 2> /dev/null; done
    wait 2> /dev/null
    rm -rf "$WORK"
}
trap cleanup EXIT
passed=0
ok() { passed=$((passed + 1)); }

# start_sim ARGS...: starts a simulator and sets DEV to its device.
start_sim() {
    local out="$WORK/sim$RANDOM.out"
    "$SIM" "$@" > "$out" 2> "$out.err" &
    SIMS+=($!)
    DEV=""
    for _ in $(seq 1 100); do
        DEV=$(head -n 1 "$out" 2> /dev/null)
        [ -n "$DEV" ] && break
        sleep 0.05
    done
    SIMOUT="$out"
    [ -n "$DEV" ] || fail "simulator did not start: $(cat "$out.err")"
}

# expect NAME STATUS ARGS...: runs the CLI with stdin closed; stdout and stderr kept in out/err.
expect() {
    local name=$1 want_rc=$2
    shift 2
    "$CLI" "$@" > "$WORK/out" 2> "$WORK/err" < /dev/null
    local rc=$?
    if [ "$rc" -ne "$want_rc" ]; then
        fail "$name: exit status $rc, expected $want_rc ($(cat "$WORK/err"))"
        return 1
    fi
    ok
}

contains() {  # NAME FILE TEXT
    if grep -qF -- "$3" "$2"; then ok; else fail "$1: '$3' not in $(cat "$2")"; fi
}

