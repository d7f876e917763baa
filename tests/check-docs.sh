#!/usr/bin/env bash
# The architecture notes and the README name files a newcomer must find: every repository path
# they name in backquotes (a folder of ours, a slash, a file name with its extension) exists.
#   check-docs.sh <repository>
set -uo pipefail
root=$1
status=0
named=0
for doc in docs/ARCHITECTURE.md README.md; do
    while read -r path; do
        named=$((named + 1))
        if [ ! -e "$root/$path" ]; then
            echo "FAIL $doc names $path, which does not exist"
            status=1
        fi
    done < <(grep -oE '`(base|xml|store|options|sync|search|fw|kit|ui|capture|hooklib|app|cli|res|tests|scripts|docs|installer|bench|fuzz|cmake)/[A-Za-z0-9_./-]+\.[A-Za-z0-9]+`' "$root/$doc" |
        tr -d '`' | sort -u)
done
[ $status -eq 0 ] && echo "the $named files the notes name all exist"
exit $status
