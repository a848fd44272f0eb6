# Helpers shared by the installation checks: failures are collected so one run reports every fault.
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# check <message> <command...>: records <message> as a failure when the command does not succeed.
check() {
    local message=$1
    shift
    "$@" || fail "$message"
}

finish() {
    if ((failures)); then
        echo "$failures check(s) failed" >&2
        exit 1
    fi
    echo "all checks passed"
}

# waitFor <seconds> <command...>: polls the command until it succeeds or the deadline passes.
waitFor() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        ((SECONDS < deadline)) || return 1
        sleep 0.1
    done
}

requireTools() {
    local tool
    for tool in "$@"; do
        command -v "$tool" >/dev/null || {
            echo "FAIL: $tool is missing; scripts/setup.sh --tests installs it" >&2
            exit 1
        }
    done
}

# fileMode <path>: the permission bits in octal, e.g. 700.
fileMode() { stat -c %a "$1" 2>/dev/null || echo missing; }

# desktopValue <file> <key>: the value of a key in the [Desktop Entry] group.
desktopValue() {
    sed -n '/^\[Desktop Entry\]/,/^\[/{s/^'"$2"'=//p}' "$1" | head -n 1
}
