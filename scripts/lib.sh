# Sourced by the scripts: what they share.
#   root                      the repository's top folder
#   ensure_setup              runs scripts/setup unless every tool the scripts use is there
#   take_arch ARGS...         takes a leading "--arch 32|64" off the arguments: sets `arch`
#                             (empty when not given) and the array `rest` (the others)
#   choose_plugin [32|64]     the Windows build tree to run: sets `preset` (win32|win64),
#                             `arch` (32|64) and `dll`; by default the 32-bit one where this
#                             machine runs 32-bit programs natively, else the 64-bit one
#   build_targets PRESET T... configures and builds those targets, quietly
# shellcheck shell=bash

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# The tools every script may call; scripts/setup installs all of them at once.
setup_tools=(cmake ninja wine /usr/lib/wine/wine64 x86_64-w64-mingw32-g++-posix i686-w64-mingw32-g++-posix
    x86_64-w64-mingw32-strip i686-w64-mingw32-strip xvfb-run import convert python3)
ensure_setup() {
    local t
    for t in "${setup_tools[@]}"; do
        command -v "$t" >/dev/null || { "$root/scripts/setup"; return; }
    done
}

take_arch() {
    arch='' rest=()
    if [ "${1:-}" = --arch ]; then
        arch=${2:-}
        shift 2 || shift
    fi
    rest=("$@")
}

# shellcheck disable=SC2034  # preset, arch and dll are the caller's
choose_plugin() {
    preset=$("$root/scripts/i386" preset "${1:-}")
    case $preset in
        win32) arch=32 dll=namemask.dll ;;
        *) arch=64 dll=namemask64.dll ;;
    esac
}

build_targets() {
    local preset=$1
    shift
    (cd "$root" && cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset" --target "$@" >/dev/null)
}
