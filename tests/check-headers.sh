#!/usr/bin/env bash
# Each header compiles on its own: it includes what it uses.
#   check-headers.sh <C++ compiler> <repository> <header>...
set -uo pipefail
compiler=$1
root=$2
shift 2
includes=()
for folder in "$root" "$root"/xml "$root"/store "$root"/fw "$root"/kit "$root"/ui "$root"/app "$root"/hooklib "$root"/capture "$root"/res; do
    [ -d "$folder" ] && includes+=(-I "$folder")
done
defines=(-DUNICODE -D_UNICODE -DWIN32_LEAN_AND_MEAN -DNOMINMAX -D_WIN32_WINNT=0x0601)
status=0
for header in "$@"; do
    if ! echo "#include \"$header\"" | "$compiler" -std=c++17 -fsyntax-only "${defines[@]}" "${includes[@]}" -x c++ - 2>/tmp/header-check.$$; then
        echo "FAIL $header does not compile on its own:"
        head -n 5 /tmp/header-check.$$
        status=1
    fi
done
rm -f /tmp/header-check.$$
[ $status -eq 0 ] && echo "$# headers compile on their own"
exit $status
