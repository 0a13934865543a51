# Sourced by the scripts and by .ci: what they share.
#   root                      the repository's top folder
#   ensure_setup SIDE         runs scripts/setup SIDE unless what SIDE needs is there (see
#                             scripts/setup for the sides: run64, run32, window, all)
#   take_arch ARGS...         takes "--arch 32|64" off the arguments (before a "--"): sets
#                             `arch` (empty when not given) and the array `rest` (the others)
#   choose_plugin [32|64]     the Windows build tree to run: sets `preset` (win32|win64),
#                             `arch` (32|64) and `dll`; by default the 32-bit one where this
#                             machine runs 32-bit programs natively, else the 64-bit one
#   plugin_fact PRESET NAME   a fact of the plug-in (NAMEMASK_VERSION, NAMEMASK_DLL_NAME_64,
#                             ...) as the code reads it: from the version header that
#                             CMakeLists.txt generates in the tree, configured first if need be
#   run_prefix                the Wine prefix that scripts/renhost and scripts/demo run the
#                             chosen plug-in in (after choose_plugin)
#   build_targets PRESET T... configures and builds those targets, quietly
#   apt_update, apt_install   the one apt installer (below)
# shellcheck shell=bash

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# What each side of scripts/setup leaves on the machine, as commands and files; a side
# whose every item is there needs no set-up run.
side_items() {
    local common=(cmake ninja /usr/src/googletest/CMakeLists.txt locale:ru_RU)
    case $1 in
        run64) echo "${common[*]} x86_64-w64-mingw32-g++-posix wineserver /usr/lib/wine/wine64" ;;
        run32) echo "${common[*]} i686-w64-mingw32-g++-posix wineserver /usr/lib/wine/wine" ;;
        window) echo "xvfb-run xauth import /usr/share/wine/fonts/tahoma.ttf" ;;
        all) echo "$(side_items run64) $(side_items run32) $(side_items window) g++ clang++ python3 exiftool" ;;
    esac
}
side_ready() {
    local item
    for item in $(side_items "$1"); do
        case $item in
            /*) [ -e "$item" ] || return 1 ;;
            locale:*) locale -a 2>/dev/null | grep -qix "${item#locale:}\.utf-\?8" || return 1 ;;
            *) command -v "$item" >/dev/null || return 1 ;;
        esac
    done
    # The 32-bit Wine is a 32-bit Linux program: it must also be able to run here.
    case $1 in run32 | all) [ "$("$root/scripts/i386" kind)" != none ] || return 1 ;; esac
}
ensure_setup() {
    local side
    for side in "$@"; do
        side_ready "$side" || "$root/scripts/setup" "$side"
    done
}

take_arch() {
    arch='' rest=()
    while [ $# -gt 0 ]; do
        case $1 in
            --arch) arch=${2:-}; shift 2 || shift ;;
            --) rest+=("$@"); break ;;
            *) rest+=("$1"); shift ;;
        esac
    done
}

# shellcheck disable=SC2034  # preset, arch and dll are the caller's
choose_plugin() {
    preset=$("$root/scripts/i386" preset "${1:-}")
    case $preset in
        win32) arch=32 ;;
        *) arch=64 ;;
    esac
    dll=$(plugin_fact "$preset" "NAMEMASK_DLL_NAME_$arch")
}

plugin_fact() {
    local header=$root/build/$1/include/namemask/version.h value
    if [ ! -f "$header" ]; then
        case $1 in win32 | win64) ensure_setup "run${1#win}" >&2 ;; esac  # cmake, the compiler
        (cd "$root" && cmake --preset "$1" >/dev/null)
    fi
    value=$(sed -n "s/^#define $2 \"\(.*\)\"\$/\1/p" "$header")
    [ -n "$value" ] || { echo "scripts: $header names no $2" >&2; return 1; }
    echo "$value"
}

# The 64-bit plug-in runs in a prefix of its own without Wine's 32-bit part, which takes
# minutes to make where 32-bit code is emulated and which only the tests need. The 32-bit
# one runs in its tree's prefix where 32-bit programs run natively, else in the 64-bit
# test prefix (the one with the 32-bit part).
run_prefix() {
    local prefix
    if [ "$arch" = 64 ]; then
        prefix=$root/build/win64/wineprefix-run64
        mkdir -p "$root/build/win64"
        [ -f "$prefix.arch" ] || echo win64-only >"$prefix.arch"
    elif [ "$("$root/scripts/i386" kind)" = native ]; then
        prefix=$root/build/win32/wineprefix
        [ -f "$prefix.arch" ] || (cd "$root" && cmake --preset win32 >/dev/null)
    else
        prefix=$root/build/win64/wineprefix
        [ -f "$prefix.arch" ] || (cd "$root" && cmake --preset win64 >/dev/null)
    fi
    echo "$prefix"
}

build_targets() {
    local preset=$1
    shift
    (cd "$root" && cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset" --target "$@" >/dev/null)
}

# ---- The one apt installer: scripts/setup, .ci/lint and .ci/pristine use it ----
# A mirror may serve an index that does not match its Release file for hours while it
# syncs; apt-get update then fails. So the lists are fetched with retries and what still
# fails is named and left out. And where i386 packages join amd64 ones, the two halves of
# every library that both need must have one version, which the indexes may not offer as
# candidates (a security update built for amd64 only, an i386 index that did not come):
# apt_install then takes for each such library a version that both architectures have.

# What set-up itself installed, one "name:arch" a line. Those packages, and only those,
# set-up may later move to another version to pair them; nothing installed before is
# ever removed or downgraded.
apt_record=${NAMEMASK_APT_RECORD:-/var/lib/namemask/setup-installed}
apt_lists_fresh=''

have_pkg() { dpkg-query -W -f='${db:Status-Abbrev}\n' "$1" 2>/dev/null | grep -q '^ii'; }

installed_pkgs() {
    dpkg-query -W -f='${db:Status-Abbrev} ${Package}:${Architecture}\n' 2>/dev/null | awk '$1 == "ii" { print $2 }' | sort
}

# One line of apt's own reason for a failed run: its first unmet dependency and its error.
apt_reason() {
    awk '/^ [^ ].* : / && !dep { dep = $0; sub(/^ +/, "", dep) }
         /^E: / && !err { err = substr($0, 4) }
         END { if (dep && err) print dep "; " err; else if (dep || err) print dep err; else print "apt-get failed" }'
}

apt_update() {
    local try out failed=''
    for try in 1 2 3; do
        if out=$(apt-get update 2>&1); then
            apt_lists_fresh=1
            return 0
        fi
        failed=$(printf '%s\n' "$out" | sed -n -e 's/ *\[IP: [^]]*\]//' \
            -e 's/^E: Failed to fetch \([^ ]*\) *\(.*\)$/\1 (\2)/p' \
            -e '/^E: Failed to fetch\|^E: Some index files/!s/^E: //p' | paste -sd ';' -)
        [ "$try" -eq 3 ] || sleep $((try * 5))
    done
    apt_lists_fresh=1
    echo "setup: after 3 tries of apt-get update, left out what did not come: ${failed:-see apt-get update}" >&2
}

# For the i386 packages given, how to pair each Multi-Arch: same library in their
# dependencies whose amd64 and i386 candidates differ: prints "SOURCE VERSION" lines, the
# version that every package built from SOURCE is to take (its -dev package too, so that
# one half moving does not make apt remove the other's dependants). The version is the
# installed one where the other architecture has it, else the highest that both have.
apt_pair_plan() {
    local names same
    names=$(apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts --no-breaks \
        --no-replaces --no-enhances "$@" 2>/dev/null | sed -n 's/^\([^ <][^ ]*\):i386$/\1/p' | sort -u)
    [ -n "$names" ] || return 0
    # "package source" for each Multi-Arch: same one
    # shellcheck disable=SC2046  # one argument a package
    same=$(apt-cache show --no-all-versions $(awk '{ print $0 ":i386" }' <<<"$names") 2>/dev/null |
        awk '/^Package:/ { p = $2; s = $2; m = 0 } /^Source:/ { s = $2 } /^Multi-Arch: same/ { m = 1 }
             /^$/ { if (m) print p, s; m = 0 } END { if (m) print p, s }' | sort -u)
    [ -n "$same" ] || return 0
    # shellcheck disable=SC2046
    apt-cache policy $(awk '{ print $1 ":amd64", $1 ":i386" }' <<<"$same") 2>/dev/null |
        awk -v same="$same" '
        BEGIN { k = split(same, lines, "\n"); for (i = 1; i <= k; i++) { split(lines[i], f, " "); source[f[1]] = f[2] } }
        /^[^ ].*:$/ { n = $0; sub(/:$/, "", n); a = "amd64"; if (n ~ /:i386$/) { a = "i386"; sub(/:i386$/, "", n) }
                      names[n] = 1; count[n, a] = 0; next }
        /^  Installed:/ { inst[n, a] = $2; next }
        /^  Candidate:/ { cand[n, a] = $2; next }
        /^ \*\*\* [^ ]+ -?[0-9]+$/ { ver[n, a, ++count[n, a]] = $2; next }
        /^     [^ ]+ -?[0-9]+$/ { ver[n, a, ++count[n, a]] = $1; next }
        function has(n, a, v,   i) { for (i = 1; i <= count[n, a]; i++) if (ver[n, a, i] == v) return 1; return 0 }
        END {
            for (n in names) {
                ca = cand[n, "amd64"]; ci = cand[n, "i386"]
                if (ca == "" || ci == "" || ca == "(none)" || ci == "(none)" || ca == ci) continue
                ia = inst[n, "amd64"]; ii = inst[n, "i386"]; target = ""
                if (ia != "(none)" && has(n, "i386", ia)) target = ia
                else if (ii != "(none)" && has(n, "amd64", ii)) target = ii
                else for (i = 1; i <= count[n, "amd64"] && target == ""; i++) if (has(n, "i386", ver[n, "amd64", i])) target = ver[n, "amd64", i]
                if (target != "") print source[n], target
            }
        }' | sort -u
}

# Packages that a simulated apt-get run would take to a lower version, from its "Inst"
# lines: "NAME:ARCH OLD NEW" a line.
apt_downgrades() {
    sed -n 's/^Inst \([^ ]*\) \[\([^]]*\)\] (\([^ ]*\) .*\[\([a-z0-9]*\)\]).*$/\1 \4 \2 \3/p' |
        while read -r name a old new; do
            dpkg --compare-versions "$new" lt "$old" && echo "${name%:*}:$a $old $new"
        done
    return 0
}

# apt_install PKG...: installs those not installed yet, without recommends, in one
# transaction. On failure it says why in one line on stderr, and leaves that line in
# `apt_failed`.
# shellcheck disable=SC2034  # apt_failed is the caller's
apt_failed=''
apt_fail() {
    apt_failed=$1
    echo "setup: $1" >&2
    return 1
}
apt_install() {
    local need=() p pref opts=() sim down before log status=0
    # shellcheck disable=SC2034  # the caller's
    apt_failed=''
    for p; do have_pkg "$p" || need+=("$p"); done
    [ ${#need[@]} -gt 0 ] || return 0
    if [ "$(id -u)" -ne 0 ]; then
        apt_fail "missing ${need[*]}; run scripts/setup as root"
        return 1
    fi
    if printf '%s\n' "${need[@]}" | grep -q ':i386$' && ! dpkg --print-foreign-architectures | grep -qx i386; then
        dpkg --add-architecture i386
        apt_lists_fresh=''
    fi
    # Once per run, and again when a package is not in the lists.
    if [ -z "$apt_lists_fresh" ] || ! apt-cache show "${need[@]}" >/dev/null 2>&1; then
        apt_update
    fi
    echo "setup: installing ${need[*]}"
    pref=$(mktemp)
    if printf '%s\n' "${need[@]}" | grep -q ':i386$'; then
        # shellcheck disable=SC2046
        apt_pair_plan $(printf '%s\n' "${need[@]}" | grep ':i386$') |
            awk '{ printf "Package: src:%s\nPin: version %s\nPin-Priority: 1001\n\n", $1, $2 }' >"$pref"
        [ ! -s "$pref" ] || echo "setup: pairing $(grep -c '^Package:' "$pref") libraries at versions both architectures have"
    fi
    opts=(-o "Dir::Etc::Preferences=$pref" --no-install-recommends --allow-downgrades)
    if ! sim=$(DEBIAN_FRONTEND=noninteractive apt-get install -s "${opts[@]}" "${need[@]}" 2>&1); then
        rm -f "$pref"
        apt_fail "apt cannot install ${need[*]}: $(apt_reason <<<"$sim")"
        return 1
    fi
    # Nothing installed before set-up is removed or taken to a lower version to make room
    # (apt would rather take away wine64 than fail); what set-up itself put there may move.
    if grep -q '^Remv ' <<<"$sim"; then
        rm -f "$pref"
        apt_fail "installing ${need[*]} would remove $(awk '/^Remv / { print $2 }' <<<"$sim" | paste -sd ' ' -); not done"
        return 1
    fi
    down=$(apt_downgrades <<<"$sim" | while read -r p old new; do
        if grep -qx "$p" "$apt_record" 2>/dev/null; then
            echo "setup: moving $p from $old to $new, which its other half has" >&2
        else
            echo "$p from $old to $new"
        fi
    done)
    if [ -n "$down" ]; then
        rm -f "$pref"
        apt_fail "installing ${need[*]} would downgrade what was installed before set-up: $(paste -sd ';' - <<<"$down"); not done"
        return 1
    fi
    before=$(installed_pkgs)
    log=$(mktemp)
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${opts[@]}" "${need[@]}" >"$log" 2>&1 || status=$?
    [ "$status" -eq 0 ] || tail -n 20 "$log" >&2
    rm -f "$pref" "$log"
    mkdir -p "$(dirname "$apt_record")"
    comm -13 <(echo "$before") <(installed_pkgs) >>"$apt_record"
    [ "$status" -eq 0 ] || apt_fail "apt-get install ${need[*]} failed (exit $status)"
}
