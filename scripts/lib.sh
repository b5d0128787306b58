# Shared by scripts/run and scripts/test: installs what is missing, builds.
# Sourced, not run.

GX_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
GX_PACKAGES="ca-certificates git g++ cmake ninja-build python3 googletest \
clang \
mingw-w64 g++-mingw-w64-i686-posix g++-mingw-w64-i686-win32 binutils-mingw-w64-i686 \
wine wine32:i386 xvfb xauth x11-utils imagemagick xdotool procps cabextract \
openssl osslsigncode"

gx_say() { printf '%s\n' "gathrix: $*" >&2; }

gx_as_root() {
    if [ "$(id -u)" = 0 ]; then "$@"; elif command -v sudo >/dev/null; then sudo "$@"; else
        gx_say "need root to install packages: $*"; return 1; fi
}

gx_installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

# The fuzzers' runtime comes with the compiler-rt of the installed clang, whose
# major version each distribution moves (14 on Debian 12, 19 on Debian 13):
# taken from clang itself, or before it is installed from what the package
# clang would bring.
gx_clang_rt_package() {
    local major
    major=$(clang --version 2>/dev/null | sed -n 's/.*clang version \([0-9][0-9]*\).*/\1/p' | head -n 1)
    [ -n "$major" ] || major=$(apt-cache depends clang 2>/dev/null | sed -n 's/^ *Depends: clang-\([0-9][0-9]*\)$/\1/p' | head -n 1)
    [ -n "$major" ] && echo "libclang-rt-$major-dev"
}

# Installs the packages that are missing; quiet and quick when none is.
gx_setup() {
    local missing="" update=0
    if ! dpkg --print-foreign-architectures 2>/dev/null | grep -qx i386; then
        gx_as_root dpkg --add-architecture i386
        update=1
    fi
    local pkg rt
    for pkg in $GX_PACKAGES; do
        gx_installed "$pkg" || missing="$missing $pkg"
    done
    rt=$(gx_clang_rt_package)
    if [ -n "$rt" ]; then gx_installed "$rt" || missing="$missing $rt"; fi
    [ -z "$missing" ] && [ -n "$rt" ] && [ "$update" = 0 ] && return 0
    export DEBIAN_FRONTEND=noninteractive
    local log
    log=$(mktemp)
    if ! gx_as_root apt-get update -qq >"$log" 2>&1; then
        tail -n 30 "$log" >&2; rm -f "$log"; return 1
    fi
    if [ -z "$rt" ]; then
        rt=$(gx_clang_rt_package)
        [ -n "$rt" ] || { gx_say "no clang package in the package lists"; rm -f "$log"; return 1; }
        missing="$missing $rt"
    fi
    gx_say "installing:$missing"
    # shellcheck disable=SC2086
    if ! gx_as_root apt-get install -y -qq --no-install-recommends $missing >"$log" 2>&1; then
        tail -n 30 "$log" >&2
        rm -f "$log"
        return 1
    fi
    rm -f "$log"
}

gx_build() {
    cd "$GX_ROOT" || return 1
    local preset
    for preset in "$@"; do
        [ -f "build/$preset/build.ninja" ] || cmake --preset "$preset" >/dev/null || return 1
        cmake --build "build/$preset" -j"$(nproc)" | grep -Ev '^\[[0-9]+/[0-9]+\]|^ninja: no work to do|^-- ' || true
        [ "${PIPESTATUS[0]}" = 0 ] || return 1
    done
}

# Whether this kernel runs 32-bit Linux programs, as 32-bit Wine needs. A
# kernel can be built with them off (dmesg: "32-bit emulation disabled",
# boot parameter ia32_emulation=on brings them back); exec then fails with
# "Exec format error".
gx_runs_32bit() {
    local loader=/lib/ld-linux.so.2
    [ -e "$loader" ] || return 1
    "$loader" --version >/dev/null 2>&1
}

gx_why_no_wine() {
    gx_say "this kernel does not run 32-bit programs (Exec format error from $1);"
    gx_say "32-bit Wine cannot start here. Boot the kernel with ia32_emulation=on, or use a machine that can."
}

# A private 32-bit prefix, created on first use, with its server kept alive
# and detached from our pipes (ctest waits for them otherwise).
gx_wine_prefix() {
    gx_runs_32bit || { gx_why_no_wine /lib/ld-linux.so.2; return 1; }
    # Wine's desktop process binds to the display the server starts with.
    gx_display || return 1
    export WINEPREFIX="${1:-$GX_ROOT/build/wineprefix}" WINEARCH=win32 WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        gx_say "creating the Wine prefix $WINEPREFIX"
        mkdir -p "$WINEPREFIX"
        wineboot -i </dev/null >/dev/null 2>&1
        wineserver -w
    fi
    wineserver -p </dev/null >/dev/null 2>&1
    wine cmd /c exit </dev/null >/dev/null 2>&1
    # No window manager: Wine draws title bars and closes dialogs at once.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
}

gx_wine_stop() { wineserver -k 2>/dev/null || true; }

# A virtual display for the windows of the suites, unless one is given.
gx_display() {
    if [ -n "${DISPLAY:-}" ] && [ -z "${GX_FORCE_XVFB:-}" ]; then return 0; fi
    local n
    for n in $(seq 90 120); do
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
        # A server of another /tmp (a chroot, a container) shows only its
        # abstract socket, which clients would reach first.
        grep -qa "@/tmp/.X11-unix/X$n\$" /proc/net/unix 2>/dev/null && continue
        Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
        GX_XVFB_PID=$!
        export DISPLAY=":$n"
        local i
        for i in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && return 0; sleep 0.1; done
    done
    gx_say "could not start Xvfb"; return 1
}

gx_display_stop() { [ -n "${GX_XVFB_PID:-}" ] && kill "$GX_XVFB_PID" 2>/dev/null; GX_XVFB_PID=""; }

# Runs one build folder's ctest; prints the summary, or the log on failure.
gx_ctest() {
    local dir="$1"; shift
    local log="$dir/ctest.log"
    if (cd "$dir" && ctest --output-on-failure "$@" >ctest.log 2>&1); then
        grep -E 'tests passed|Total Test time' "$log" >&2
    else
        tail -n 60 "$log" >&2
        return 1
    fi
}
