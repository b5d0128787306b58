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

# Which lanes run here: GX_LANES (32, 64 or "32 64"), by default both where
# the kernel runs 32-bit programs and the 64-bit lane alone where it does not.
gx_lanes() {
    local lanes="${GX_LANES:-}" lane
    if [ -z "$lanes" ]; then
        if gx_runs_32bit; then lanes="32 64"; else lanes="64"; fi
    fi
    for lane in $lanes; do
        case "$lane" in
        32) gx_runs_32bit || { gx_why_no_wine /lib/ld-linux.so.2; gx_say "the 32-bit lane cannot run here; GX_LANES=64 runs the 64-bit one"; return 1; } ;;
        64) ;;
        *) gx_say "GX_LANES: unknown lane $lane (32, 64)"; return 1 ;;
        esac
    done
    echo $lanes
}

# The lane these commands run in: 32 (the host's 32-bit Wine, a 32-bit
# prefix) or 64 (inside scripts/lane64: Wine's WoW64 mode, a 64-bit prefix).
gx_lane() { echo "${GX_LANE:-32}"; }

# A private prefix of this lane (the 64-bit lane's has "64" appended to the
# given path), created on first use, with its server kept alive and detached
# from our pipes (ctest waits for them otherwise).
gx_wine_prefix() {
    local arch=win32 prefix="${1:-$GX_ROOT/build/wineprefix}"
    if [ "$(gx_lane)" = 64 ]; then
        arch=win64 prefix="${prefix%/}64"
        command -v wineserver >/dev/null || { gx_say "no wineserver: the 64-bit lane runs inside scripts/lane64"; return 1; }
    else
        gx_runs_32bit || { gx_why_no_wine /lib/ld-linux.so.2; return 1; }
    fi
    # Wine's desktop process binds to the display the server starts with.
    gx_display || return 1
    export WINEPREFIX="$prefix" WINEARCH=$arch WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    # A server of an interrupted run would keep its clients and its display.
    [ -d "$WINEPREFIX" ] && wineserver -k </dev/null >/dev/null 2>&1
    if [ ! -f "$WINEPREFIX/.gathrix-prefix-done" ]; then
        # A prefix whose making was interrupted is made again.
        rm -rf "$WINEPREFIX"
        gx_say "creating the Wine prefix $WINEPREFIX ($arch)"
        mkdir -p "$WINEPREFIX"
        wineboot -i </dev/null >/dev/null 2>&1
        wineserver -w
        [ -f "$WINEPREFIX/system.reg" ] || { gx_say "wineboot made no prefix in $WINEPREFIX"; return 1; }
        touch "$WINEPREFIX/.gathrix-prefix-done"
    fi
    wineserver -p </dev/null >/dev/null 2>&1
    wine cmd /c exit </dev/null >/dev/null 2>&1
    # No window manager: Wine draws title bars and closes dialogs at once.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
}

# The Debian mirror this machine's own apt uses (one-line sources.list or
# deb822 .sources), for debootstrap; empty: debootstrap's default.
gx_debian_mirror() {
    local uri
    uri=$( { sed -n 's/^[[:space:]]*deb[[:space:]]\+\(\[[^]]*\][[:space:]]\+\)\{0,1\}\([a-z]*:\/\/[^[:space:]]*\)[[:space:]].*/\2/p' \
                /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null
             awk 'tolower($1) == "uris:" { for (i = 2; i <= NF; i++) print $i }' \
                /etc/apt/sources.list.d/*.sources 2>/dev/null; } |
           grep -E '^https?://' | grep -Ev -- '-security/?$|/debian-(ports|debug)/?$' | head -n 1)
    printf '%s\n' "${uri%/}"
}

gx_wine_stop() { wineserver -k 2>/dev/null || true; }

# A virtual display for the windows of the suites, unless one is given.
gx_display() {
    if [ -n "${DISPLAY:-}" ] && [ -z "${GX_FORCE_XVFB:-}" ]; then return 0; fi
    local n
    for n in $(seq 90 120); do
        # A lock names its server; one of a server that is gone is stale.
        [ -e "/tmp/.X$n-lock" ] && kill -0 "$(tr -dc 0-9 <"/tmp/.X$n-lock")" 2>/dev/null && continue
        # A server of another /tmp (a chroot, a container) shows only its
        # abstract socket, which clients would reach first.
        grep -qa "@/tmp/.X11-unix/X$n\$" /proc/net/unix 2>/dev/null && continue
        Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
        GX_XVFB_PID=$!
        export DISPLAY=":$n"
        local i
        # Listening (a killed server's socket file may still be there).
        for i in $(seq 50); do grep -qa "@/tmp/.X11-unix/X$n\$" /proc/net/unix && return 0; sleep 0.1; done
        kill "$GX_XVFB_PID" 2>/dev/null
    done
    gx_say "could not start Xvfb"; return 1
}

gx_display_stop() { [ -n "${GX_XVFB_PID:-}" ] && kill "$GX_XVFB_PID" 2>/dev/null; GX_XVFB_PID=""; }

# Runs one build folder's ctest; prints the summary, or the log on failure.
gx_ctest() {
    local dir="$1"; shift
    local name="ctest.log"
    [ "$(gx_lane)" = 64 ] && [ "$(basename "$dir")" = mingw-wine ] && name="ctest-64.log"
    local log="$dir/$name"
    if (cd "$dir" && ctest --output-on-failure "$@" >"$name" 2>&1); then
        grep -E 'tests passed|Total Test time' "$log" >&2
    else
        tail -n 60 "$log" >&2
        return 1
    fi
}
