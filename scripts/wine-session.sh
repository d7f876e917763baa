# Sourced by scripts/test and scripts/run: a throwaway Wine prefix under build/, an X display
# (our own Xvfb unless one is given; DRAVIX_SCREEN sets its size, 1280x1024x24 by default), a
# warm wineserver, and cleanup of everything we started.
# Needs $root (the repository) set by the caller.

# Whether this machine runs 32-bit programs: the 32-bit loader needs a kernel that runs 32-bit
# code (some virtual machines' kernels do not) and Debian's wine32.
wine_runs_32_bit() {
    /usr/lib/wine/wine --version >/dev/null 2>&1
}

# The throwaway prefix of a tree's sessions, made afresh at each start.
wine_prefix_of() {
    if [ "$1" = x86 ]; then echo "$root/build/wineprefix-x86"; else echo "$root/build/wineprefix"; fi
}

# wine_session_start [x64|x86]: the session of one build tree. Both are 64-bit prefixes that run
# 32-bit programs beside 64-bit ones, as 64-bit Windows does; x86 runs its programs under the
# 32-bit loader, in a prefix of its own ($WINE is the loader of the tree's programs). Where this
# machine runs no 32-bit programs, DRAVIX_NO_32_BIT says why (the tests that need them read it).
wine_session_start() {
    local arch=${1:-x64}
    export WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
    export LC_ALL=zh_CN.UTF-8 LANG=zh_CN.UTF-8
    case "$arch" in
    x64) WINE=/usr/lib/wine/wine64 ;;
    x86) WINE=/usr/lib/wine/wine ;;
    *)
        echo "wine_session_start: unknown tree $arch" >&2
        return 1
        ;;
    esac
    WINEPREFIX=$(wine_prefix_of "$arch")
    export WINEPREFIX
    local runs32=""
    if wine_runs_32_bit; then
        runs32=yes
        unset DRAVIX_NO_32_BIT
    else
        export DRAVIX_NO_32_BIT="this machine's kernel runs no 32-bit programs (/usr/lib/wine/wine cannot be started)"
    fi
    WINESERVER=/usr/lib/wine/wineserver64
    [ -x "$WINESERVER" ] || WINESERVER=$(command -v wineserver)
    _started_xvfb=""
    _started_states=""
    trap wine_session_stop EXIT

    if [ -z "${DISPLAY:-}" ]; then
        local fdfile="$root/build/xvfb-$arch.display"
        rm -f "$fdfile"
        Xvfb -displayfd 9 -screen 0 "${DRAVIX_SCREEN:-1280x1024x24}" -nolisten tcp 9>"$fdfile" >/dev/null 2>&1 &
        _started_xvfb=$!
        for _ in $(seq 100); do
            [ -s "$fdfile" ] && break
            sleep 0.05
        done
        export DISPLAY=":$(head -n1 "$fdfile")"
        # No window manager here: window-states.c does the one part of its work Wine waits for
        # (except while a test has made the pause file, to see windows timed as on a bare display).
        local states="$root/build/tools/window-states"
        if [ ! -x "$states" ] || [ "$root/scripts/window-states.c" -nt "$states" ]; then
            mkdir -p "$root/build/tools"
            cc -O2 -Wall -o "$states" "$root/scripts/window-states.c" -lX11
        fi
        rm -f "$root/build/window-states.pause"
        "$states" "$root/build/window-states.pause" </dev/null >/dev/null 2>&1 &
        _started_states=$!
    fi

    # A fresh prefix from a template made once by wineboot (copying is far quicker). The 32-bit
    # loader makes it where it runs, so that it has the 32-bit side too; a template without that
    # side (made before wine32 was installed, or where 32-bit programs could not run) is made
    # again once they can.
    local template="$root/build/wineprefix-template" maker=/usr/lib/wine/wine64
    [ -z "$runs32" ] || maker=/usr/lib/wine/wine
    if [ ! -f "$template/system.reg" ] || { [ -n "$runs32" ] && [ ! -f "$template/with-32-bit-side" ]; }; then
        rm -rf "$template"
        WINEPREFIX="$template" "$maker" wineboot -i </dev/null >/dev/null 2>&1 || true
        WINEPREFIX="$template" "$WINESERVER" -w
        [ -z "$runs32" ] || touch "$template/with-32-bit-side"
    fi
    rm -rf "$WINEPREFIX"
    cp -a "$template" "$WINEPREFIX"

    # Keep one server for the whole session; warm it with output detached, since the first
    # Wine command leaves background processes holding its stdout.
    "$WINESERVER" -p
    "$WINE" cmd /c exit </dev/null >/dev/null 2>&1 || true
}

# wine_suite x64|x86 LOG [ctest arguments]: the tree's Windows tests (those ctest selects with the
# arguments, all but the header checks by default) in a fresh session of their own (prefix,
# server, display), one at a time: the clipboard, the foreground window and the store files are
# global. ctest's output goes to LOG; the status is ctest's. Runs in a subshell, so the session
# ends with it whatever happens.
wine_suite() (
    local arch=$1 log=$2
    shift 2
    wine_session_start "$arch"
    echo "Wine prefix $WINEPREFIX, display $DISPLAY, loader $WINE"
    # Under Wine the tray's window goes with its last icon, and the next program started waits two
    # seconds for that: one icon kept for the session spares every test that wait.
    "$WINE" "$root/build/$arch/bin/tray_keeper.exe" </dev/null >/dev/null 2>&1 &
    # Its icon shows once Wine's desktop process (explorer.exe) runs. Started by a test instead, that
    # process would inherit the test's output, and ctest would wait for it to the time-out.
    for _ in $(seq 600); do
        xwininfo -root -tree 2>/dev/null | grep -q '"Wine System Tray"' && break
        sleep 0.05
    done
    local status=0
    ctest --test-dir "$root/build/$arch" -LE compile --output-on-failure --timeout 300 "$@" >"$log" 2>&1 || status=$?
    wine_session_stop
    trap - EXIT
    return "$status"
)

wine_session_stop() {
    local status=$?
    if [ -n "${WINEPREFIX:-}" ] && [ -n "${WINESERVER:-}" ]; then
        "$WINESERVER" -k >/dev/null 2>&1 || true
        "$WINESERVER" -w >/dev/null 2>&1 || true
    fi
    if [ -n "${_started_states:-}" ]; then
        kill "$_started_states" 2>/dev/null || true
        wait "$_started_states" 2>/dev/null || true
    fi
    if [ -n "${_started_xvfb:-}" ]; then
        kill "$_started_xvfb" 2>/dev/null || true
        wait "$_started_xvfb" 2>/dev/null || true
    fi
    return $status
}
