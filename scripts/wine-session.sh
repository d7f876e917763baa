# Sourced by scripts/test and scripts/run: a throwaway Wine prefix under build/, an X display
# (our own Xvfb unless one is given; DRAVIX_SCREEN sets its size, 1280x1024x24 by default), a
# warm wineserver, and cleanup of everything we started.
# Needs $root (the repository) set by the caller.

# Whether this machine runs 32-bit programs: the 32-bit loader needs a kernel that runs 32-bit
# code (some virtual machines' kernels do not) and Debian's wine32.
wine_runs_32_bit() {
    /usr/lib/wine/wine --version >/dev/null 2>&1
}

# The throwaway prefix of a tree's sessions, made afresh at each start (wine_prefix_of x64|x86
# [desktop]: the second desktop's has a name of its own).
wine_prefix_of() {
    local prefix="$root/build/wineprefix"
    [ "$1" != x86 ] || prefix+="-x86"
    [ -z "${2:-}" ] || [ "$2" = 1 ] || prefix+="-$2"
    echo "$prefix"
}

# wine_session_start [x64|x86] [desktop]: the session of one build tree (desktop 2: a second one
# beside the first, with its own prefix, server and display). Both are 64-bit prefixes that run
# 32-bit programs beside 64-bit ones, as 64-bit Windows does; x86 runs its programs under the
# 32-bit loader, in a prefix of its own ($WINE is the loader of the tree's programs). Where this
# machine runs no 32-bit programs, DRAVIX_NO_32_BIT says why (the tests that need them read it).
wine_session_start() {
    local arch=${1:-x64} desktop=${2:-1}
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
    WINEPREFIX=$(wine_prefix_of "$arch" "$desktop")
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
        local fdfile="$root/build/xvfb-$arch-$desktop.display"
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
        # Its pause file is the session's: tests make it through DRAVIX_STATES_PAUSE.
        export DRAVIX_STATES_PAUSE="$root/build/window-states-$arch-$desktop.pause"
        rm -f "$DRAVIX_STATES_PAUSE"
        "$states" "$DRAVIX_STATES_PAUSE" </dev/null >/dev/null 2>&1 &
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

# The session's tray icon, kept for all of it: under Wine the tray's window goes with its last
# icon, and the next program started waits two seconds for that. Its icon shows once Wine's
# desktop process (explorer.exe) runs; started by a test instead, that process would inherit the
# test's output, and ctest would wait for it to the time-out.
wine_keep_tray() {
    "$WINE" "$root/build/$1/bin/tray_keeper.exe" </dev/null >/dev/null 2>&1 &
    for _ in $(seq 600); do
        xwininfo -root -tree 2>/dev/null | grep -q '"Wine System Tray"' && break
        sleep 0.05
    done
}

# What a test stopped by ctest's time-out left running (it ran no destructor): the other machine's
# Wine session of the two-machine tests, Syncthing daemons.
stop_test_leftovers() {
    local state
    for state in "$root"/build/other-machine-*/; do
        [ -d "$state" ] && "$root/tests/win/other-machine" stop "${state%/}" >/dev/null 2>&1
    done
    for state in "$root"/build/syncthing-*/; do
        [ -d "$state" ] && "$root/scripts/syncthing-pair" stop "${state%/}" >/dev/null 2>&1
    done
    return 0
}

# wine_suite x64|x86 LOG [ctest arguments]: the tree's Windows tests (those ctest selects with the
# arguments, all but the header checks by default) in fresh sessions of their own (prefix,
# server, display). The clipboard, the foreground window, the store's lock and its files are a
# session's: each test takes a desktop (ctest's resource "desktops") and runs alone in its
# session, two sessions side by side (tests/win/wine-run enters the one ctest gives). On a display
# given by the caller there is one session, its tests one at a time. ctest's output goes to LOG;
# the status is ctest's. Runs in a subshell, so the sessions end with it whatever happens.
wine_suite() (
    local arch=$1 log=$2
    shift 2
    local desktops=2
    [ -z "${DISPLAY:-}" ] || desktops=1
    local sessions="$root/build/sessions-$arch"
    rm -rf "$sessions"
    mkdir -p "$sessions"
    export DRAVIX_SESSIONS="$sessions"
    wine_session_start "$arch"
    echo "Wine prefix $WINEPREFIX, display $DISPLAY, loader $WINE; desktops: $desktops"
    wine_keep_tray "$arch"
    local second=""
    trap 'rm -f "$sessions/running"; [ -z "$second" ] || wait "$second"; stop_test_leftovers; wine_session_stop' EXIT
    if [ "$desktops" = 2 ]; then
        # The second session (started after the first, which makes the prefixes' template) lives
        # in a subshell of its own until the run file goes; what its programs need to enter it is
        # written to 2.env.
        touch "$sessions/running"
        (
            unset DISPLAY
            wine_session_start "$arch" 2 >/dev/null
            wine_keep_tray "$arch"
            declare -p WINEPREFIX DISPLAY DRAVIX_STATES_PAUSE | sed 's/^declare -x /export /' >"$sessions/2.env.part"
            mv "$sessions/2.env.part" "$sessions/2.env"
            while [ -e "$sessions/running" ]; do sleep 0.2; done
        ) &
        second=$!
    fi
    local spec="$sessions/desktops.json" ids='{"id": "1", "slots": 1}'
    [ "$desktops" = 1 ] || ids+=', {"id": "2", "slots": 1}'
    echo '{"version": {"major": 1, "minor": 0}, "local": [{"desktops": ['"$ids"']}]}' >"$spec"
    if [ "$desktops" = 2 ]; then
        for _ in $(seq 1200); do
            [ -s "$sessions/2.env" ] && break
            sleep 0.05
        done
        [ -s "$sessions/2.env" ] || { echo "wine_suite: the second session did not start" >&2; return 1; }
    fi
    local status=0
    ctest --test-dir "$root/build/$arch" -LE compile --output-on-failure --timeout 300 -j "$desktops" \
        --resource-spec-file "$spec" "$@" >"$log" 2>&1 || status=$?
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
