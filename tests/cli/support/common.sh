# Sourced by the shell tests of the executables: the bin folder and the command-line program, a
# scratch folder removed at exit, the failure count and a checker of one command's outcome.
BIN="${QX_BIN_DIR:-.}"
CLI="$BIN/qx-p2210-cli"
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# run NAME EXPECTED_STATUS EXPECTED_FIRST_STDOUT_LINE ARGS...: runs the command-line program with
# ARGS, its stdout in $WORK/out and its stderr in $WORK/err.
run() {
    local name=$1 want_rc=$2 want_out=$3
    shift 3
    "$CLI" "$@" > "$WORK/out" 2> "$WORK/err"
    local rc=$?
    [ "$rc" -eq "$want_rc" ] || fail "$name: exit status $rc, expected $want_rc ($(cat "$WORK/err"))"
    local first
    first=$(head -n 1 "$WORK/out")
    [ "$first" = "$want_out" ] || fail "$name: stdout '$first', expected '$want_out'"
}

# expect_status NAME EXPECTED_STATUS ARGS...: runs the command-line program with ARGS (output
# dropped) and checks only its exit status.
expect_status() {
    local name=$1 want_rc=$2
    shift 2
    "$CLI" "$@" > /dev/null 2>&1
    local rc=$?
    [ "$rc" -eq "$want_rc" ] || fail "$name: exit status $rc, expected $want_rc"
}

# expect_usage COMMAND ARGS...: each ARGS (split at spaces) is a wrong command line of COMMAND,
# which must exit with status 64.
expect_usage() {
    local command=$1 args
    shift
    for args in "$@"; do
        # shellcheck disable=SC2086
        expect_status "$command $args" 64 "$command" $args
    done
}

# poke FILE ADDRESS BYTES: the clone file with the bytes (hexadecimal text) stored from ADDRESS on.
poke() {
    awk -v addr="$2" -v bytes="$3" '
        function hex(s,   i, v) { v = 0; s = toupper(s)
            for (i = 1; i <= length(s); i++) v = v * 16 + index("0123456789ABCDEF", substr(s, i, 1)) - 1
            return v }
        BEGIN { a0 = hex(addr); n = length(bytes) / 2 }
        NR == 1 || /^#/ { print; next }
        { start = hex(substr($0, 1, 4)); count = hex(substr($0, 5, 2))
          for (k = 0; k < n; k++) { a = a0 + k
              if (a >= start && a < start + count) { p = 7 + 2 * (a - start)
                  $0 = substr($0, 1, p - 1) substr(bytes, 2 * k + 1, 2) substr($0, p + 2) } }
          print }' "$1"
}
