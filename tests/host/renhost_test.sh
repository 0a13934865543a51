#!/usr/bin/env bash
# The reference host's command line is a contract: statuses, TSV fields and exit codes.
#   renhost_test.sh SOURCE_DIR BIN_DIR WINEPREFIX
set -uo pipefail
src=$1 bin=$2 prefix=$3
work=$(mktemp -d /tmp/renhost-test.XXXXXX)
trap 'rm -rf "$work"' EXIT
failures=0 checks=0

renhost() { (cd "$work" && LANG=ru_RU.UTF-8 TZ=UTC timeout 60 "$src/scripts/wine-exec" "$prefix" "$bin/renhost.exe" "$@"); }
expect() {  # expect NAME ACTUAL EXPECTED
    checks=$((checks + 1))
    if [ "$2" != "$3" ]; then
        failures=$((failures + 1))
        printf 'FAIL %s\n  expected: %q\n  actual:   %q\n' "$1" "$3" "$2"
    fi
}
file() { printf '%s' "${2:-x}" >"$work/$1"; TZ=UTC touch -d "2026-12-07 09:05:36" "$work/$1"; }
W='Z:'$(echo "$work" | tr / '\\')

file IMG_0001.JPG photo
file IMG_0002.JPG
out=$(renhost --preview --tsv --name '[N]_[C]' --digits 3 --first-index 4 IMG_0001.JPG IMG_0002.JPG); rc=$?
expect "preview tsv" "$out" "$(printf 'preview\t%s\\IMG_0001.JPG\t%s\\IMG_0001_005.JPG\t\npreview\t%s\\IMG_0002.JPG\t%s\\IMG_0002_006.JPG\t' "$W" "$W" "$W" "$W")"
expect "preview exit code" "$rc" 0
expect "preview leaves the file" "$(cat "$work/IMG_0001.JPG")" photo

out=$(renhost --name '[Y][M][D]' IMG_0001.JPG 2>/dev/null); rc=$?
expect "rename text" "$out" "$W\\IMG_0001.JPG -> $W\\20261207.JPG"
expect "rename exit code" "$rc" 0
expect "renamed file" "$(cat "$work/20261207.JPG" 2>/dev/null)" photo

# The plug-in's own move (--direct): the second file would take the name the first already has.
file a.txt alpha
out=$(renhost --direct --tsv --name 20261207 --ext JPG a.txt IMG_0002.JPG); rc=$?
expect "move-failed" "$(echo "$out" | cut -f1)" "$(printf 'move-failed\nmove-failed')"
expect "move-failed keeps the path" "$(echo "$out" | head -1 | cut -f3)" "$W\\a.txt"
expect "move-failed exit code" "$rc" 1
expect "existing file intact" "$(cat "$work/20261207.JPG")" photo

out=$(renhost --tsv --name '[Name]' a.txt); rc=$?
expect "unchanged" "$out" "$(printf 'unchanged\t%s\\a.txt\t%s\\a.txt\t' "$W" "$W")"
expect "unchanged exit code" "$rc" 1

# The plug-in's error is reported per file and the batch goes on.
out=$(renhost --tsv --preview --time-source missing.txt a.txt IMG_0002.JPG); rc=$?
expect "error rows" "$(echo "$out" | cut -f1,4)" "$(printf 'error\tInvalid argument to date encode\nerror\tInvalid argument to date encode')"
expect "error exit code" "$rc" 1
out=$(renhost --tsv --preview --name '[N]' missing.txt a.txt); rc=$?
expect "error then preview" "$(echo "$out" | cut -f1)" "$(printf 'error\npreview')"

# --as-given hands the text over as written: a relative name has no folder part.
out=$(renhost --tsv --preview --as-given --name 'x[N]' a.txt)
expect "as given" "$(echo "$out" | cut -f2,3)" "$(printf 'a.txt\txa.txt')"

# A mask of exactly 100 bytes fills its field; one more is a usage error.
mask100=$(printf 'y%.0s' $(seq 97))'[N]'
out=$(renhost --tsv --preview --ext '' --name "$mask100" a.txt)
expect "100-byte mask" "$(echo "$out" | cut -f3)" "$W\\$(printf 'y%.0s' $(seq 97))a"
renhost --name "x$mask100" a.txt >/dev/null 2>&1
expect "101-byte mask" "$?" 2
renhost --digits 3z a.txt >/dev/null 2>&1
expect "bad number" "$?" 2
renhost >/dev/null 2>&1
expect "no file" "$?" 2

# --options: the window opens over the host's window, Enter confirms it, and the confirmed
# record (here the defaults the host filled in) drives the batch.
file b.txt beta
(cd "$work" && LANG=ru_RU.UTF-8 "$src/scripts/wine-exec" "$prefix" "$bin/press_enter.exe") &
player=$!
out=$(renhost --options --tsv --preview --name 'opt_[N]' b.txt); rc=$?
wait "$player"
expect "options confirmed" "$(echo "$out" | cut -f1,3)" "$(printf 'preview\t%s\\opt_b.txt' "$W")"
expect "options exit code" "$rc" 0

echo "$((checks - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
