# Shared by the end-to-end suite and the collection benchmark: the UI driver,
# the sample installation, a whole collection through the real windows.
# Sourced after scripts/lib.sh, with WINEPREFIX set and the server running.

E2E_DIR="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
BUILD="$GX_ROOT/build/mingw-wine"
PRODUCT="${GATHRIX_PRODUCT_EXE:-$GX_ROOT/build/mingw/gathrix.exe}"
SHOTS="$GX_ROOT/build/e2e/shots"
mkdir -p "$SHOTS"
C="$WINEPREFIX/drive_c"
CAPTION="CORVANE NET TOOL - Gathrix "
MAIN="title=$CAPTION"
FAILED=0
SCENARIO=""

# The driver always runs in a UTF-8 locale, so that Wine turns the texts it
# types from UTF-8 into the program's code page.
drive() { LC_ALL=C.UTF-8 wine "$BUILD/gxdrive.exe" "$@" </dev/null 2>&1 | tr -d '\r' | iconv -f CP1252 -t UTF-8; return "${PIPESTATUS[0]}"; }
check() { python3 "$E2E_DIR/check.py" "$@"; }
shot() { import -window root "$SHOTS/$1.png" 2>/dev/null || true; }
fail() { echo "  FAIL [$SCENARIO]: $*" >&2; FAILED=1; }
expect_eq() { [ "$1" == "$2" ] || fail "$3: expected [$2], got [$1]"; }
ok() { echo "  ok: $*"; }

# Starts the program from C:\Tools (or another working folder) and keeps its id.
start_app() {
    local folder="$1"; shift
    # Into a file: the started program inherits the driver's output, and a
    # pipe would stay open until the program ends.
    local out="$GX_ROOT/build/e2e/pid.txt"
    env LC_ALL="${APP_LC_ALL:-C.UTF-8}" wine "$BUILD/gxdrive.exe" start-in "$folder" 'C:\Tools\gathrix.exe' "$@" \
        </dev/null >"$out" 2>/dev/null
    APP_PID=$(tr -d '\r' <"$out")
    [ -n "$APP_PID" ] || fail "could not start gathrix.exe"
}
wait_exit() { drive exited "$APP_PID" "${1:-15000}" >/dev/null || fail "the program did not end"; }

fresh_tools() {
    rm -rf "$C/Tools"
    mkdir -p "$C/Tools/CollectInfo"
    cp "$PRODUCT" "$C/Tools/gathrix.exe"
}

windows_version() {
    if [ -n "$1" ]; then
        wine reg add 'HKCU\Software\Wine\AppDefaults\gathrix.exe' /v Version /d "$1" /f >/dev/null 2>&1
    else
        wine reg delete 'HKCU\Software\Wine\AppDefaults\gathrix.exe' /f >/dev/null 2>&1 || true
    fi
}

sample_installation() {
    wine "$BUILD/gxsample.exe" 'C:\gx-manifest.txt' "${GX_SAMPLE_BYTES:-4096}" 9 </dev/null >/dev/null 2>&1 ||
        fail "sample installation"
    # One read-only file for the attribute report.
    touch "$C/windows/system32/gx-readonly.dll" && chmod a-w "$C/windows/system32/gx-readonly.dll"
}

# A whole collection: Start, the questionnaire answered, the final box read.
# Arguments: screenshot prefix, then the five answers.
collect() {
    local tag="$1" name="$2" computer="$3" product="$4" email="$5" problem="$6"
    drive wait "$MAIN" 10000 >/dev/null || { fail "no collection dialog"; return 1; }
    shot "$tag-ready"
    drive click "$MAIN" 1 >/dev/null
    sleep 1
    expect_eq "$(drive enabled "$MAIN" 1)" 0 "Start disabled during the run"
    expect_eq "$(drive enabled "$MAIN" 2)" 0 "End disabled during the run"
    shot "$tag-running"
    drive wait ctl=1012 120000 >/dev/null || { fail "no questionnaire"; return 1; }
    drive type ctl=1012 1010 "$name"
    drive type ctl=1012 1011 "$computer"
    drive type ctl=1012 1018 "$product"
    drive type ctl=1012 1020 "$email"
    drive type ctl=1012 1012 "$problem"
    shot "$tag-questionnaire"
    drive click ctl=1012 1 >/dev/null
    BOX=$(drive box 10000) || { fail "no final message box"; return 1; }
    shot "$tag-final"
    FINAL_TEXT=$(drive text "$MAIN" 1004)
    drive answer 1 >/dev/null
    wait_exit
}

