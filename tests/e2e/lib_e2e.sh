# Shared by the end-to-end suite and the collection benchmark: the UI driver,
# the sample installation, a whole collection through the real windows.
# Sourced after scripts/lib.sh, with WINEPREFIX set and the server running.

E2E_DIR="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
BUILD="$GX_ROOT/build/mingw-wine"
PRODUCT="${GATHRIX_PRODUCT_EXE:-$GX_ROOT/build/mingw/gathrix.exe}"
LANE=$(gx_lane)
# Each lane keeps its own runs and screenshots.
E2E_OUT="$GX_ROOT/build/e2e$([ "$LANE" = 64 ] && echo -64)"
SHOTS="$E2E_OUT/shots"
mkdir -p "$SHOTS"
C="$WINEPREFIX/drive_c"
# What the 32-bit program sees as Program Files; on 64-bit Windows that is
# the (x86) folder. There, plain `wine reg` is the 64-bit reg.exe: it
# writes Windows' own keys where Windows keeps them. The family's keys come
# from gxsample, a 32-bit program like the family's installers.
PROGRAM_FILES='C:\Program Files'
[ "$LANE" = 64 ] && PROGRAM_FILES='C:\Program Files (x86)'
PROGRAM_FILES_HOST="$C/${PROGRAM_FILES#C:\\}"
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
# types from UTF-8 into the program's code page. Its output goes through a
# file: when Wine's desktop process has ended with the last window, the
# driver's first call starts it again, and a pipe it inherited would stay open.
drive() {
    local out="$E2E_OUT/drive.txt" status
    LC_ALL=C.UTF-8 wine "$BUILD/gxdrive.exe" "$@" </dev/null >"$out" 2>&1
    status=$?
    tr -d '\r' <"$out" | iconv -f CP1252 -t UTF-8
    return "$status"
}
check() { python3 "$E2E_DIR/check.py" "$@"; }
shot() { import -window root "$SHOTS/$1.png" 2>/dev/null || true; }
fail() { echo "  FAIL [$SCENARIO]: $*" >&2; FAILED=1; }
expect_eq() { [ "$1" == "$2" ] || fail "$3: expected [$2], got [$1]"; }
ok() { echo "  ok: $*"; }

# Starts the program from C:\Tools (or another working folder) and keeps its id.
# APP_TRACE: a file that gets Wine's loader trace of the program (appended).
start_app() {
    local folder="$1"; shift
    # Into files: the started program inherits the driver's output, and a
    # pipe would stay open until the program ends.
    local out="$E2E_OUT/pid.txt"
    local trace=/dev/null debug="${WINEDEBUG:--all}"
    [ -n "${APP_TRACE:-}" ] && trace="$APP_TRACE" debug=-all,+loaddll
    env LC_ALL="${APP_LC_ALL:-C.UTF-8}" WINEDEBUG="$debug" wine "$BUILD/gxdrive.exe" start-in "$folder" \
        'C:\Tools\gathrix.exe' "$@" </dev/null >"$out" 2>>"$trace"
    APP_PID=$(tr -d '\r' <"$out")
    [ -n "$APP_PID" ] || fail "could not start gathrix.exe"
}
wait_exit() { drive exited "$APP_PID" "${1:-15000}" >/dev/null || fail "the program did not end"; }

# Removes what the import tool loaded, from both views on 64-bit Windows.
forget_imports() {
    wine reg delete 'HKLM\Software\Gathrix' /f >/dev/null 2>&1
    [ "$LANE" = 64 ] && wine reg delete 'HKLM\Software\Gathrix' /reg:32 /f >/dev/null 2>&1
    true
}

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

# The sample's additions that check.py knows by these names: a healthy
# driver of the family (both lanes), and on 64-bit Windows what only 64-bit
# components write: an Uninstall entry and a family value in the 64-bit view.
SAMPLE_DRIVER=hvfbdrv
SAMPLE_UNINSTALL64=HvFieldbusDrivers64
SAMPLE_FAMILY64_KEY='SOFTWARE\HALVORN\AUTSW\Fieldbus x64'

sample_installation() {
    wine "$BUILD/gxsample.exe" 'C:\gx-manifest.txt' "${GX_SAMPLE_BYTES:-4096}" 9 </dev/null >/dev/null 2>&1 ||
        fail "sample installation"
    # One read-only file for the attribute report, in the real System32.
    touch "$C/windows/system32/gx-readonly.dll" && chmod a-w "$C/windows/system32/gx-readonly.dll"
    local service="HKLM\\System\\CurrentControlSet\\Services\\$SAMPLE_DRIVER"
    printf 'MZ driver of the sample\r\n' >"$C/windows/system32/drivers/$SAMPLE_DRIVER.sys"
    wine reg add "$service" /v DisplayName /d "Halvorn Fieldbus Driver" /f >/dev/null 2>&1 &&
        wine reg add "$service" /v ImagePath /t REG_EXPAND_SZ /d "\\SystemRoot\\System32\\drivers\\$SAMPLE_DRIVER.sys" /f >/dev/null 2>&1 &&
        wine reg add "$service" /v Type /t REG_DWORD /d 1 /f >/dev/null 2>&1 &&
        wine reg add "$service" /v Start /t REG_DWORD /d 3 /f >/dev/null 2>&1 || fail "sample driver service"
    # A device-setup log of today's layout, every section ending in success.
    mkdir -p "$C/windows/inf"
    printf '%s\r\n' "[Device Install Log]" "     OS Version = 6.1.7601" "" \
        "[Boot Session: $(date -d '-2 days' '+%Y/%m/%d') 08:00:00.500]" "" \
        ">>>  [Device Install (Hardware initiated) - PCI\\VEN_1AB8&DEV_4005\\3&11583659&0&20]" \
        ">>>  Section start $(date -d '-2 days' '+%Y/%m/%d') 08:01:10.120" \
        "     dvi: Selected driver installs from section [HvFb_Inst] in 'c:\\windows\\inf\\oem3.inf'." \
        "<<<  Section end $(date -d '-2 days' '+%Y/%m/%d') 08:01:12.870" \
        "<<<  [Exit status: SUCCESS]" >"$C/windows/inf/setupapi.dev.log"
    [ "$LANE" = 64 ] || return 0
    local uninstall="HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$SAMPLE_UNINSTALL64"
    wine reg add "$uninstall" /v DisplayName /d "Fieldbus Driver Pack x64" /f >/dev/null 2>&1 &&
        wine reg add "$uninstall" /v Publisher /d "HALVORN AG" /f >/dev/null 2>&1 &&
        wine reg add "$uninstall" /v DisplayVersion /d "2.3.0" /f >/dev/null 2>&1 &&
        wine reg add "HKLM\\$SAMPLE_FAMILY64_KEY" /v Driver /d "$SAMPLE_DRIVER.sys" /f >/dev/null 2>&1 ||
        fail "64-bit keys of the sample"
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

