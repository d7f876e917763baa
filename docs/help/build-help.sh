#!/usr/bin/env bash
# Compiles the help pages into help.chm: the pages are written in UTF-8 and turned into GBK,
# the code page a Chinese help viewer reads them in, then chmcmd (Free Pascal) compiles them.
#   build-help.sh <pages folder> <work folder> <output .chm>
set -euo pipefail
source=$1
work=$2
output=$3
rm -rf "$work"
mkdir -p "$work/images"
for file in "$source"/*.html "$source"/*.hhc "$source"/*.hhp "$source"/*.css; do
    iconv -f UTF-8 -t GBK "$file" >"$work/$(basename "$file")"
done
cp "$source"/images/*.png "$work/images/"
(cd "$work" && chmcmd help.hhp >/dev/null)
mv "$work/help.chm" "$output"
