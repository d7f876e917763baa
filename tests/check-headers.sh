#!/usr/bin/env bash
# Each header compiles on its own: it includes what it uses. The headers are compiled side by
# side, one compiler per processor.
#   check-headers.sh <C++ compiler> <repository> <header>...
set -uo pipefail
compiler=$1
root=$2
shift 2
includes=()
# Headers of ours are named with their folder ("store/ClipNames.h"): only the root is searched.
for folder in "$root" "$root"/res; do
    [ -d "$folder" ] && includes+=(-I "$folder")
done
defines=(-DUNICODE -D_UNICODE -DWIN32_LEAN_AND_MEAN -DNOMINMAX -D_WIN32_WINNT=0x0601)
check_one() {
    local header=$1 errors
    shift
    if ! errors=$(echo "#include \"$header\"" | "$@" -x c++ - 2>&1); then
        printf 'FAIL %s does not compile on its own:\n%s\n' "$header" "$(head -n 5 <<<"$errors")"
        return 1
    fi
}
export -f check_one
if printf '%s\0' "$@" | xargs -0 -P "$(nproc)" -I{} bash -c 'check_one "$@"' _ {} \
    "$compiler" -std=c++17 -fsyntax-only "${defines[@]}" "${includes[@]}"; then
    echo "$# headers compile on their own"
else
    exit 1
fi
