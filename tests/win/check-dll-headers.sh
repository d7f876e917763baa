#!/usr/bin/env bash
# Reads the headers of the built hook libraries given (x64 or x86, told by their file format): the
# shared section (the five variables of the hook protocol, the chord in flight, and the ring of the
# library's own clipboard changes with its counter, the sequence number the main program looked
# at last, the user's chords as the main program published them and whether data files are
# sealed), the exact export names, and imports of system DLLs only.
set -euo pipefail
status=0
fail() { echo "FAIL $*"; status=1; }

expected="GetOperXmlStatus IsOwnClipboardChange KeyboardProc MouseProc Paste2Window PasteData2Window PastePlainText2Window PasteTransformed2Window PublishChordOptions ResumeClipData SaveClipData SetCurrentClipData SetOperXmlStatus SetSealStore UnHook installhook"
for dll in "$@"; do
    [ -f "$dll" ] || { fail "$dll is missing"; continue; }
    case "$(x86_64-w64-mingw32-objdump -f "$dll" | grep -o -m1 'pei-[a-z0-9-]*')" in
    pei-x86-64) arch=x86_64 shared_size=4704 ;;
    pei-i386) arch=i686 shared_size=4672 ;;
    *) fail "$dll: neither an x64 nor an x86 library"; continue ;;
    esac
    objdump="$arch-w64-mingw32-objdump"
    section=$("$objdump" -h "$dll" | grep -A1 ' \.SHARDAT ' || true)
    [ -n "$section" ] || fail "$dll: no .SHARDAT section"
    grep -q SHARED <<<"$section" || fail "$dll: .SHARDAT is not shared"
    size=$((16#$(awk 'NR==1 {print $3}' <<<"$section")))
    [ "$size" -eq "$shared_size" ] || fail "$dll: .SHARDAT holds $size bytes, expected $shared_size"
    exports=$("$objdump" -p "$dll" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | grep -E '^\s+\[' | sed -E 's/^\s+\[ *[0-9]+\] //' | sort | tr '\n' ' ' | sed 's/ $//')
    [ "$exports" = "$(tr ' ' '\n' <<<"$expected" | sort | tr '\n' ' ' | sed 's/ $//')" ] || fail "$dll: exports are '$exports'"
    while read -r imported; do
        case "${imported,,}" in
            kernel32.dll|user32.dll|gdi32.dll|msvcrt.dll|advapi32.dll|shell32.dll|comctl32.dll|ole32.dll|bcrypt.dll|crypt32.dll) ;;
            *) fail "$dll imports $imported" ;;
        esac
    done < <("$objdump" -p "$dll" | awk '/DLL Name:/ {print $3}')
    echo "$dll: shared section, exports and imports as expected"
done
exit $status
