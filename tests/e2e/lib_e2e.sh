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
# The program's dialog and control ids by their names in resource.h, and the
# standard button ids.
eval "$(sed -n 's/^#define \(ID[A-Z0-9_]*\) (\{0,1\}\(-\{0,1\}[0-9]*\))\{0,1\}\r\{0,1\}$/\1=\2/p' \
    "$E2E_DIR/../../src/resources/resource.h")"
IDOK=1; IDCANCEL=2; IDYES=6; IDNO=7
FAILED=0
SCENARIO=""

# The driver always runs in a UTF-8 locale, so that Wine turns the texts it
# types from UTF-8 into the program's code page.
# Its output goes through a file: a Wine process that the call starts (the
# desktop's explorer after a server restart) inherits the output and would
# hold a pipe open for good.
drive() {
    local out rc
    out=$(mktemp)
    LC_ALL=C.UTF-8 wine "$BUILD/gxdrive.exe" "$@" </dev/null >"$out" 2>&1
    rc=$?
    tr -d '\r' <"$out" | iconv -f CP1252 -t UTF-8
    rm -f "$out"
    return "$rc"
}
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
    drive click "$MAIN" $IDOK >/dev/null
    sleep 1
    expect_eq "$(drive enabled "$MAIN" $IDOK)" 0 "Start disabled during the run"
    expect_eq "$(drive enabled "$MAIN" $IDCANCEL)" 0 "End disabled during the run"
    shot "$tag-running"
    drive wait ctl=$IDC_PROBLEM 120000 >/dev/null || { fail "no questionnaire"; return 1; }
    drive type ctl=$IDC_PROBLEM $IDC_NAME "$name"
    drive type ctl=$IDC_PROBLEM $IDC_COMPUTER "$computer"
    drive type ctl=$IDC_PROBLEM $IDC_PRODUCT "$product"
    drive type ctl=$IDC_PROBLEM $IDC_EMAIL "$email"
    drive type ctl=$IDC_PROBLEM $IDC_PROBLEM "$problem"
    shot "$tag-questionnaire"
    drive click ctl=$IDC_PROBLEM $IDOK >/dev/null
    BOX=$(drive box 10000) || { fail "no final message box"; return 1; }
    shot "$tag-final"
    FINAL_TEXT=$(drive text "$MAIN" $IDC_MESSAGE)
    drive answer $IDOK >/dev/null
    wait_exit
}

