#!/usr/bin/env bash
# The layers point downwards only: each folder includes headers of its own and of the folders
# below it, nothing above. base/ is below everything of ours and uses none of it.
#   check-layers.sh <repository>
set -uo pipefail
root=$1
allowed() {
    case $1 in
        base) echo "base" ;;
        xml) echo "xml base" ;;
        store) echo "store xml base" ;;
        options) echo "options store xml fw base" ;;
        sync) echo "sync store xml base" ;;
        search) echo "search store xml base" ;;
        fw) echo "fw base" ;;
        kit) echo "kit fw base" ;;
        ui) echo "ui options kit fw search store xml base" ;;
        capture) echo "capture kit fw store xml base" ;;
        hooklib) echo "hooklib options store xml fw base" ;;
        app) echo "app ui capture kit fw options sync search store xml hooklib res base" ;;
        cli) echo "cli fw store xml base" ;;
    esac
}
# The folder that holds a header of ours (the including folder's own first), or nothing for a
# system header.
owner() {
    local prefix=${1%%/*}
    [ "$prefix" != "$1" ] && [ -f "$root/$1" ] && { echo "$prefix"; return; }
    [ -f "$root/$2/$1" ] && { echo "$2"; return; }
    for folder in base xml store options sync search fw kit ui capture hooklib app cli res; do
        [ -f "$root/$folder/$1" ] && { echo "$folder"; return; }
    done
}
status=0
for folder in base xml store options sync search fw kit ui capture hooklib app cli; do
    [ -d "$root/$folder" ] || continue
    # A folder's own subfolders (app/recorder) are of its layer.
    while read -r file; do
        while read -r header; do
            used=$(owner "$header" "$folder")
            [ -z "$used" ] && continue
            if ! grep -qw "$used" <<<"$(allowed "$folder")"; then
                echo "FAIL ${file#$root/} includes $header of $used/"
                status=1
            fi
        done < <(sed -n 's/^#include "\([^"]*\)".*/\1/p' "$file")
    done < <(find "$root/$folder" -name '*.h' -o -name '*.cpp')
done
# Every include of a header of ours names its folder ("store/ClipNames.h"), so each file shows the
# layers it uses.
while read -r line; do
    echo "FAIL ${line#$root/}: name the header's folder"
    status=1
done < <(grep -rnE '^#include "[A-Za-z0-9_]+\.h"' --include='*.h' --include='*.cpp' \
    "$root"/base "$root"/xml "$root"/store "$root"/options "$root"/sync "$root"/search "$root"/fw "$root"/kit "$root"/ui "$root"/capture "$root"/hooklib "$root"/app "$root"/cli 2>/dev/null |
    grep -vE '"(resource|version)\.h"')
# The XML component's internal headers are its own: nothing outside xml/ includes them.
while read -r file; do
    echo "FAIL ${file#$root/} includes an internal header of xml/"
    status=1
done < <(grep -rlE '^#include "(xml/)?(XmlIndex|XmlTokenizer)\.h"' --include='*.h' --include='*.cpp' --exclude-dir=build "$root" |
    grep -v "^$root/xml/")
# Controls and dialogs are given the store they work on: the one instance is the application's.
while read -r line; do
    echo "FAIL ${line#$root/} asks for the store's instance instead of being given the store"
    status=1
done < <(grep -rn 'CSysClipBoard::getInstance' --include='*.h' --include='*.cpp' "$root/ui")
[ $status -eq 0 ] && echo "every folder includes only its own headers and those below it; ui/ is given its store"
exit $status
