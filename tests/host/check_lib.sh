# Sourced by the host's shell tests: checks over files in $work, and the closing count.
failures=0 checks=0
expect() {  # expect NAME ACTUAL EXPECTED
    checks=$((checks + 1))
    if [ "$2" != "$3" ]; then
        failures=$((failures + 1))
        printf 'FAIL %s\n  expected: %q\n  actual:   %q\n' "$1" "$3" "$2"
        return 1
    fi
}
file() { printf '%s' "${2:-x}" >"$work/$1"; TZ=UTC touch -d "2026-12-07 09:05:36" "$work/$1"; }
# $work as the host sees it.
W='Z:'$(echo "$work" | tr / '\\')
summary() {
    echo "$((checks - failures)) passed, $failures failed"
    [ "$failures" -eq 0 ]
}
