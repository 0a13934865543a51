#!/usr/bin/env bash
# The reference host's command line is a contract: statuses, TSV fields and exit codes.
#   renhost_test.sh SOURCE_DIR BIN_DIR WINEPREFIX
set -uo pipefail
src=$1 bin=$2 prefix=$3
work=$(mktemp -d /tmp/renhost-test.XXXXXX)
trap 'rm -rf "$work"' EXIT
. "$src/tests/host/check_lib.sh"

renhost() { renhost_in "$work" "" "$@"; }
renhost_in() {  # renhost_in FOLDER "VAR=VALUE ..." ARGS...
    local dir=$1 vars=$2; shift 2
    # exe=renhost-legacy.exe: the host in the system's code page (1251 here)
    (cd "$dir" && env $vars LANG=ru_RU.UTF-8 TZ=UTC timeout 60 "$src/scripts/wine-exec" "$prefix" "$bin/${exe:-renhost.exe}" "$@")
}

file IMG_0001.JPG photo
file IMG_0002.JPG
out=$(renhost --preview --tsv --name '[N]_[C]' --digits 3 --first-index 4 IMG_0001.JPG IMG_0002.JPG); rc=$?
expect "preview tsv" "$out" "$(printf 'preview\t%s\\IMG_0001.JPG\t%s\\IMG_0001_005.JPG\t\npreview\t%s\\IMG_0002.JPG\t%s\\IMG_0002_006.JPG\t' "$W" "$W" "$W" "$W")"
expect "preview exit code" "$rc" 0
expect "preview leaves the file" "$(cat "$work/IMG_0001.JPG")" photo

out=$(renhost --name '[Y][M][D]' IMG_0001.JPG 2>"$work/stderr"); rc=$?
expect "rename text" "$out" "$W\\IMG_0001.JPG -> $W\\20261207.JPG"
expect "rename exit code" "$rc" 0
expect "renamed file" "$(cat "$work/20261207.JPG" 2>/dev/null)" photo
# Kept out of the user's folder, and named on stderr.
expect "default journal" "$(find "$work" -maxdepth 1 -name '*.journal' | wc -l)/$(tr -d '\r' <"$work/stderr" | grep -c '^renhost: journal C:\\users\\.*\\AppData\\Local\\namemask\\journals\\renhost-[0-9]\{8\}-[0-9]\{6\}\(-[0-9]*\)\?\.journal$')" 0/1

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

# A mask of 99 bytes fills its field but for the NUL; one more is a usage error.
mask99=$(printf 'y%.0s' $(seq 96))'[N]'
out=$(renhost --tsv --preview --ext '' --name "$mask99" a.txt)
expect "99-byte mask" "$(echo "$out" | cut -f3)" "$W\\$(printf 'y%.0s' $(seq 96))a"
renhost --name "x$mask99" a.txt >/dev/null 2>&1
expect "100-byte mask" "$?" 2
renhost --ext "x$mask99" a.txt >/dev/null 2>&1
expect "100-byte extension mask" "$?" 2
renhost --digits 3z a.txt >/dev/null 2>&1
expect "bad number" "$?" 2
renhost >/dev/null 2>&1
expect "no file" "$?" 2

# Planned batches, one row each over a fresh folder: nothing may be overwritten or lost
# (the contents after the batch are those before, plus what a fault put there), and --undo,
# run twice, brings back the folder exactly.
#   batch NAME "VAR=VALUE ..." FILES ARGS EXIT STATUSES AFTER UNDONE
# FILES, AFTER and UNDONE list the folder as name=content; AFTER "=": as before, "*": not
# checked; UNDONE "=": as before, "-": no --undo. RENHOST_FAIL_AFTER_MOVES=N also expects
# N moves in the journal.
listing() { for f in $(LC_ALL=C ls -A "$work/case"); do printf '%s=%s ' "$f" "$(cat "$work/case/$f")"; done; }
contents() { for f in "$work"/case/*; do cat "$f"; echo; done | LC_ALL=C sort; }
batch() {
    local name=$1 vars=$2 files=$3 args=$4 want_rc=$5 statuses=$6 after=$7 undone=$8
    local args_array before taken=""
    journal=$work/journal.$checks
    rm -rf "$work/case" && mkdir "$work/case"
    for f in $files; do printf '%s' "${f#*=}" >"$work/case/${f%%=*}"; done
    before=$(listing)
    eval "args_array=($args)"
    out=$(renhost_in "$work/case" "$vars" --tsv --journal "$journal" "${args_array[@]}" 2>/dev/null); rc=$?
    expect "$name: exit code" "$rc" "$want_rc"
    expect "$name: statuses" "$(echo $(echo "$out" | cut -f1))" "$statuses"
    [[ $vars != *RENHOST_TAKE_TARGET_AT_MOVE* ]] || taken="(intruder)=taken"
    expect "$name: nothing lost" "$(contents)" "$(for f in $files $taken; do echo "${f#*=}"; done | LC_ALL=C sort)"
    [ "$after" = "*" ] || expect "$name: folder after" "$(listing)" "$([ "$after" = "=" ] && echo "$before" || echo "$after")"
    if [[ $vars =~ RENHOST_FAIL_AFTER_MOVES=([0-9]+) ]]; then
        expect "$name: journalled moves" "$(grep -c '^done' "$journal")" "${BASH_REMATCH[1]}"
    fi
    [ "$undone" != "-" ] || return
    [ "$undone" != "=" ] || undone=$before
    for run in 1 2; do
        renhost_in "$work/case" "" --undo "$journal" >/dev/null 2>&1; rc=$?
        expect "$name: undo $run" "$rc: $(listing)" "0: $undone"
    done
}
#     name             env                           files                              args                                                rc statuses                       after                                            undone
batch "same new name"  ""                            "a.txt=A b.txt=B"                  "--name same a.txt b.txt"                           1  "conflict conflict"            =                                                -
batch "same but case"  ""                            "Ab1.txt=A aB2.txt=B"              "--name '[N1-2]' Ab1.txt aB2.txt"                   1  "conflict conflict"            =                                                -
batch "name taken"     ""                            "a.txt=A b.txt=B x_a.txt=X"        "--name 'x_[N]' a.txt b.txt"                        1  "conflict planned"             =                                                -
batch "plan only"      ""                            "1.txt=one 2.txt=two"              "--plan --name '[C]' 2.txt 1.txt"                   0  "planned planned"              =                                                -
batch "swap"           ""                            "1.txt=one 2.txt=two"              "--name '[C]' 2.txt 1.txt"                          0  "renamed renamed"              "1.txt=two 2.txt=one "                           =
batch "cycle of three" ""                            "1.txt=one 2.txt=two 3.txt=three"  "--name '[C]' 3.txt 1.txt 2.txt"                    0  "renamed renamed renamed"      "1.txt=three 2.txt=one 3.txt=two "               =
batch "renumbering"    ""                            "img_2.txt=two img_3.txt=three"    "--name 'img_[C]' --start 3 img_2.txt img_3.txt"    0  "renamed renamed"              "img_3.txt=two img_4.txt=three "                 =
batch "skip conflicts" ""                            "a.txt=A b.txt=B c.txt=C x_a.txt=X" "--skip-conflicts --name 'x_[N]' a.txt b.txt c.txt" 1 "conflict renamed renamed"     "a.txt=A x_a.txt=X x_b.txt=B x_c.txt=C "         =
batch "killed"         RENHOST_FAIL_AFTER_MOVES=2    "1.txt=one 2.txt=two 3.txt=three"  "--name '[C]' 3.txt 1.txt 2.txt"                    3  ""                             "*"                                              =
batch "cycle killed at its last move" RENHOST_FAIL_AFTER_MOVES=3 "1.txt=one 2.txt=two 3.txt=three" "--name '[C]' 3.txt 1.txt 2.txt" 3 "" "*"  =
batch "move fails"     RENHOST_TAKE_TARGET_AT_MOVE=2 "a.txt=A b.txt=B c.txt=C"          "--name 'x_[N]' a.txt b.txt c.txt"                  1  "renamed move-failed planned"  "b.txt=B c.txt=C x_a.txt=A x_b.txt=taken "       "a.txt=A b.txt=B c.txt=C x_b.txt=taken "
# Every name under UTF-8, a 4-byte character too.
batch "beyond any ANSI" ""                           "Привет😀.txt=E ё.txt=Ё"           "--name 'x_[N]' Привет😀.txt ё.txt"                 0  "renamed renamed"              "x_Привет😀.txt=E x_ё.txt=Ё "                    =
# Patterns: files only, in Explorer's order, one pattern after the other; a file given by
# a pattern and by name is given twice.
mkdir -p "$work/dir.txt"
printf 'b.txt\r\nПривет😀.txt\n\na.txt\n' >"$work/list"
batch "patterns"       ""                            "IMG_10.txt=ten IMG_2.txt=two b.txt=B" "--name '[C]_[N]' 'IMG_*.txt' '*.txt'"          1  "planned planned planned conflict conflict" = -
batch "pattern order"  ""                            "IMG_10.txt=ten IMG_2.txt=two b.txt=B" "--name '[C]_[N]' 'IMG_?.txt' '*_1?.txt' b.txt"  0  "renamed renamed renamed"      "1_IMG_2.txt=two 2_IMG_10.txt=ten 3_b.txt=B "    =
batch "no match"       ""                            "a.txt=A"                          "--name x a.txt '*.jpg'"                            2  ""                             =                                                -
batch "files from"     ""                            "a.txt=A b.txt=B Привет😀.txt=E"   "--name '[C]' --files-from ../list"                 0  "renamed renamed renamed"      "1.txt=B 2.txt=E 3.txt=A "                       =
out=$(cd "$work" && printf 'IMG_0002.JPG\n' | renhost --tsv --preview --files-from - --name 'in_[N]' 2>&1)
expect "files from stdin" "$(echo "$out" | cut -f1,3)" "$(printf 'preview\t%s\\in_IMG_0002.JPG' "$W")"
out=$(renhost --tsv --preview --name '[N]' 'dir*' 2>&1); rc=$?
expect "pattern takes no folder" "$rc $(echo "$out" | head -1 | tr -d '\r')" "2 renhost: no file matches dir*"
rmdir "$work/dir.txt"

# --sort: the counter follows the order chosen; ties keep the order given.
batch "sort name"      ""                            "IMG_10.txt=ten IMG_2.txt=two b.txt=B" "--sort name --name '[C]_[N]' IMG_10.txt b.txt IMG_2.txt" 0 "renamed renamed renamed" "1_b.txt=B 2_IMG_2.txt=two 3_IMG_10.txt=ten " =
batch "sort size"      ""                            "a.txt=AAA b.txt=B c.txt=CC d.txt=D" "--sort size --name '[C]_[N]' a.txt b.txt c.txt d.txt" 0 "renamed renamed renamed renamed" "1_b.txt=B 2_d.txt=D 3_c.txt=CC 4_a.txt=AAA " =
renhost --sort date a.txt >/dev/null 2>&1
expect "bad sort" "$?" 2
# By date taken: photos taken at 08:00, 08:01 and 08:02 (make_media), given in another order,
# and a text file last written at 08:00:30, which takes that time in their place.
(cd "$work" && LANG=ru_RU.UTF-8 timeout 60 "$src/scripts/wine-exec" "$prefix" "$bin/make_media.exe" photos media 3 2000)
(cd "$work/media" && mv IMG_0001.JPG c.jpg && mv IMG_0002.JPG a.jpg && mv IMG_0003.JPG b.jpg)
printf notes >"$work/media/notes.txt" && TZ=UTC touch -d "2023-05-01 08:00:30" "$work/media/notes.txt"
out=$(renhost_in "$work/media" "" --tsv --preview --sort taken --name '[C]_[N]' a.jpg b.jpg c.jpg notes.txt 2>"$work/stderr")
expect "sort taken" "$(echo "$out" | cut -f3 | sed 's/.*\\//' | LC_ALL=C sort | tr '\n' ' ')" "1_c.jpg 2_notes.txt 3_a.jpg 4_b.jpg "
expect "sort taken: files without a date" "$(tr -d '\r' <"$work/stderr")" "renhost: 1 of 4 files had no date taken; they took their last-write time in the order instead"
out=$(renhost_in "$work/media" "" --tsv --preview --name '[XY][XM][XD]_[Xh][Xm][Xs]' a.jpg notes.txt 2>"$work/stderr")
expect "date taken" "$(echo "$out" | cut -f3 | sed 's/.*\\//' | tr '\n' ' ')" "20230501_080100.jpg 20230501_080030.txt "
expect "date taken: files without one" "$(tr -d '\r' <"$work/stderr")" "renhost: 1 of 2 files had no date taken; the date-taken tokens took the file time instead"

# A journal says its code page: the UTF-8 host refuses one the legacy host wrote, which
# undoes it itself.
exe=renhost-legacy.exe batch "legacy host" ""   "ж.txt=Ж"                          "--name 'x_[N]' ж.txt"                              0  "renamed"                      "x_ж.txt=Ж "                                     -
out=$(renhost_in "$work/case" "" --undo "$journal" 2>&1); rc=$?
expect "code page refused" "$rc: $(listing)" "1: x_ж.txt=Ж "
expect "code page refusal says why" "$(echo "$out" | grep -c 'written in code page 1251 and this renhost runs in 65001')" 1
exe=renhost-legacy.exe renhost_in "$work/case" "" --undo "$journal" >/dev/null 2>&1; rc=$?
expect "legacy host undoes its own" "$rc: $(listing)" "0: ж.txt=Ж "

# Kept journals: --undo without one takes the latest batch not yet undone, then the one
# before it (here the first rename above); --journals lists them, oldest first.
rm -rf "$work/kept" && mkdir "$work/kept" && printf K >"$work/kept/k.txt"
renhost_in "$work/kept" "" --name 'kept_[N]' k.txt >/dev/null 2>&1
renhost_in "$work/kept" "" --undo >/dev/null 2>&1; rc=$?
expect "undo the latest" "$rc: $(ls "$work/kept")" "0: k.txt"
out=$(renhost --journals 2>/dev/null | tail -1)
expect "journals listed" "$(echo "$out" | cut -f2-4)" "$(printf '1 moves\tundone\t%s\\kept' "$W")"
renhost_in "$work/kept" "" --undo >/dev/null 2>&1; rc=$?
expect "undo the one before" "$rc: $(ls "$work/kept") $(cat "$work/IMG_0001.JPG" 2>&1)" "0: k.txt photo"

# A name taken again before --undo stays with its new owner; the rest goes back.
batch "undo blocked"   ""                            "a.txt=A b.txt=B"                  "--name 'x_[N]' a.txt b.txt"                        0  "renamed renamed"              "x_a.txt=A x_b.txt=B "                           -
printf new >"$work/case/a.txt"
out=$(renhost_in "$work/case" "" --tsv --undo "$journal" 2>/dev/null); rc=$?
expect "undo blocked: reported" "$rc $(echo $(echo "$out" | cut -f1))" "1 undone move-failed"
expect "undo blocked: folder" "$(listing)" "a.txt=new b.txt=B x_a.txt=A "

# The journal never goes over an existing file: then nothing moves.
renhost_in "$work/case" "" --journal a.txt --name 'y_[N]' b.txt >/dev/null 2>&1; rc=$?
expect "journal taken" "$rc: $(listing)" "1: a.txt=new b.txt=B x_a.txt=A "

# --options: the window opens over the host's window, Enter confirms it, and the confirmed
# record (here the defaults the host filled in) drives the batch.
file b.txt beta
# On a screen of 144 DPI the window comes up laid out for it. (Wine gives unaware programs
# the real DPI too, so this cannot tell whether renhost declares itself DPI-aware.)
for dpi in 96 144; do
    vars=""
    [ "$dpi" = 96 ] || vars="NAMEMASK_DPI=$dpi"  # a prefix of its own
    (cd "$work" && env $vars LANG=ru_RU.UTF-8 "$src/scripts/wine-exec" "$prefix" "$bin/press_enter.exe" >"$work/size") &
    player=$!
    out=$(renhost_in "$work" "$vars" --options --tsv --preview --name 'opt_[N]' b.txt); rc=$?
    wait "$player"
    expect "options confirmed at $dpi DPI" "$(echo "$out" | cut -f1,3)" "$(printf 'preview\t%s\\opt_b.txt' "$W")"
    expect "options exit code at $dpi DPI" "$rc" 0
    expect "options window at $dpi DPI" "$(tr -d '\r' <"$work/size")" "$( ((dpi == 96)) && echo 259x332 || echo 389x498)"
done

summary
