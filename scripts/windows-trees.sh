# Sourced by the scripts that build the Windows deliverables: one way to configure each tree, so
# that no script reconfigures a tree another one made differently.
# Needs $root (the repository) set by the caller.

# configure_windows_tree x64|x86: build/x64 or build/x86, each with its Windows tests, which ctest
# runs under Wine through tests/win/wine-run (the loader of the program's bitness).
configure_windows_tree() {
    case "$1" in
    x64 | x86)
        local toolchain=mingw-x86_64
        [ "$1" = x64 ] || toolchain=mingw-i686
        cmake -S "$root" -B "$root/build/$1" -G Ninja -DCMAKE_TOOLCHAIN_FILE="cmake/$toolchain.cmake" \
            -DCMAKE_BUILD_TYPE=Release -DDRAVIX_TESTS=ON -DCMAKE_CROSSCOMPILING_EMULATOR="$root/tests/win/wine-run" >/dev/null
        ;;
    *)
        echo "configure_windows_tree: unknown tree $1" >&2
        return 1
        ;;
    esac
}
