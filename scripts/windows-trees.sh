# Sourced by the scripts that build the Windows deliverables: one way to configure each tree, so
# that no script reconfigures a tree another one made differently.
# Needs $root (the repository) set by the caller.

# configure_windows_tree x64|x86: build/x64 (with the tests, run under Wine) or build/x86 (the
# 32-bit deliverables only: this machine cannot run them).
configure_windows_tree() {
    case "$1" in
    x64)
        cmake -S "$root" -B "$root/build/x64" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake \
            -DCMAKE_BUILD_TYPE=Release -DCMAKE_CROSSCOMPILING_EMULATOR="$root/tests/win/wine-run" >/dev/null
        ;;
    x86)
        cmake -S "$root" -B "$root/build/x86" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
            -DCMAKE_BUILD_TYPE=Release -DDRAVIX_TESTS=OFF >/dev/null
        ;;
    *)
        echo "configure_windows_tree: unknown tree $1" >&2
        return 1
        ;;
    esac
}
