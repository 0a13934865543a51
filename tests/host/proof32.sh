#!/usr/bin/env bash
# The real 32-bit plug-in where 32-bit programs run only under emulation, at a minute or
# more per Windows program start: a short proof in which each program starts once.
#   proof32.sh SOURCE_DIR BIN_DIR WINEPREFIX
# The prefix is the 64-bit tree's: Wine's own services run natively there and only the
# 32-bit programs are emulated, as a 32-bit host runs on 64-bit Windows. A pure 32-bit
# prefix would start every one of its services under emulation: half an hour to make.
set -uo pipefail
src=$1 bin=$2 prefix=$3
work=$(mktemp -d /tmp/proof32.XXXXXX)
trap 'rm -rf "$work"' EXIT
. "$src/tests/host/check_lib.sh"

step() { echo "proof32: $1 (at $(( $(date +%s) - started )) s)"; }
started=$(date +%s)
run() { (cd "$work" && LANG=ru_RU.UTF-8 TZ=UTC timeout 900 "$src/scripts/wine-exec" "$prefix" "$@"); }

# The export table and the imports, read from the file; no Wine needed.
cmake -DDLL="$bin/namemask.dll" -DOBJDUMP=i686-w64-mingw32-objdump -P "$src/tests/plugin/check_dll_tables.cmake" >/dev/null
expect "export table and ordinals" "$?" 0
echo "proof32: left out: the window input, session and process suites (one program start per"
echo "         test; they run in full on the 64-bit DLL, from the same sources)"

# Exports by name and ordinal, the descriptor's bytes, records and resources, as a host
# loads the DLL: one start of the whole program.
step "plugin_dll_tests"
run "$bin/plugin_dll_tests.exe" >"$work/dll.log" 2>&1
expect "plugin_dll_tests" "$?" 0 || cat "$work/dll.log"

# One batch through the reference host: a preview, then the plug-in's own moves (--direct)
# of a file with a new name, one whose name is taken and one with no usable time stamp.
file a.txt alpha
file b.txt beta
file b_2026.txt taken
file old.txt; touch -d "1970-01-02 00:00:00" "$work/old.txt"
step "renhost preview"
out=$(run "$bin/renhost.exe" --tsv --preview --name '[Y][M][D]_[N]' a.txt)
expect "preview" "$out" "$(printf 'preview\t%s\\a.txt\t%s\\20261207_a.txt\t' "$W" "$W")"
step "renhost batch"
out=$(run "$bin/renhost.exe" --direct --tsv --name '[N]_[Y]' a.txt b.txt old.txt)
expect "batch statuses" "$(echo "$out" | cut -f1,4)" "$(printf 'renamed\t\nmove-failed\t\nerror\tInvalid argument to date encode')"
expect "renamed file" "$(cat "$work/a_2026.txt")" alpha
expect "taken name kept" "$(cat "$work/b_2026.txt"; cat "$work/b.txt")" takenbeta

# The options window over the host's, confirmed with a real Enter press.
step "renhost --options"
file c.txt gamma
run "$bin/press_enter.exe" 600 >"$work/size" &
player=$!
out=$(run "$bin/renhost.exe" --options --tsv --preview --name 'opt_[N]' c.txt)
wait "$player"
expect "options confirmed" "$(echo "$out" | cut -f1,3)" "$(printf 'preview\t%s\\opt_c.txt' "$W")"
expect "options window's size" "$(tr -d '\r' <"$work/size")" 259x332
# The 32-bit window on a screen of 144 DPI: laid out, labelled and fitted as at 96, scaled.
step "options window layout at 144 DPI"
NAMEMASK_DPI=144 run "$bin/ui_layout_tests.exe" >"$work/layout.log" 2>&1
expect "ui_layout_tests at 144 DPI" "$?" 0 || cat "$work/layout.log"
step "done"
summary
