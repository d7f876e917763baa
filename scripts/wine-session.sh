# Sourced by scripts/test and scripts/run: a throwaway Wine prefix under build/, an X display
# (our own Xvfb unless one is given; DRAVIX_SCREEN sets its size, 1280x1024x24 by default), a
# warm wineserver, and cleanup of everything we started.
# Needs $root (the repository) set by the caller.

wine_session_start() {
    export WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
    export WINEPREFIX="$root/build/wineprefix"
    export LC_ALL=zh_CN.UTF-8 LANG=zh_CN.UTF-8
    WINE=/usr/lib/wine/wine64
    WINESERVER=/usr/lib/wine/wineserver64
    [ -x "$WINESERVER" ] || WINESERVER=$(command -v wineserver)
    _started_xvfb=""
    _started_states=""
    trap wine_session_stop EXIT

    if [ -z "${DISPLAY:-}" ]; then
        local fdfile="$root/build/xvfb.display"
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

    # A fresh prefix from a template made once by wineboot (copying is far quicker).
    local template="$root/build/wineprefix-template"
    if [ ! -f "$template/system.reg" ]; then
        rm -rf "$template"
        WINEPREFIX="$template" "$WINE" wineboot -i </dev/null >/dev/null 2>&1 || true
        WINEPREFIX="$template" "$WINESERVER" -w
    fi
    rm -rf "$WINEPREFIX"
    cp -a "$template" "$WINEPREFIX"

    # Keep one server for the whole session; warm it with output detached, since the first
    # Wine command leaves background processes holding its stdout.
    "$WINESERVER" -p
    "$WINE" cmd /c exit </dev/null >/dev/null 2>&1 || true
}

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
