#!/usr/bin/env bash
# The collection benchmark with its pass marks, all in one run so that the
# ratios hold on a noisy machine. Under Wine, on the sample installation
# with about 20 MB of logs:
#   ours   a whole collection through the real dialog, its time beyond the
#          mandated 250 ms pauses (from the trace log's time stamps);
#   floor  bench/floor.cpp: the same platform calls, no trace, no pauses;
#   peer   a batch file copying the same files with xcopy and exporting the
#          same branches with regedit /E.
# Plus: start to the dialog shown (warm server), an import of five hives,
# the executable's size.
#
#   bench/run_collect_bench.sh [repetitions]     (default 3; a few minutes)
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/lib.sh"
cd "$GX_ROOT"
REPS="${1:-3}"
gx_setup || exit 1
gx_build mingw mingw-wine || exit 1
cmake --build build/mingw --target floor_bench >/dev/null || exit 1
gx_wine_prefix "$GX_ROOT/build/bench/wineprefix" || exit 1
source "$GX_ROOT/tests/e2e/lib_e2e.sh"
trap 'windows_version ""; gx_wine_stop; gx_display_stop' EXIT
C="$WINEPREFIX/drive_c"
export GX_SAMPLE_BYTES=200000
sample_installation
cp build/mingw/floor_bench.exe "$C/floor_bench.exe"
mkdir -p "$GX_ROOT/build/bench"

# Milliseconds between two trace lines (first match of each, the second after the first).
span() {
    python3 - "$1" "$2" "$3" <<'EOF'
import sys
log, first, second = open(sys.argv[1], "rb").read().decode("cp1252").split("\r\n"), sys.argv[2], sys.argv[3]
def ms(line):
    h, m, s, f = (int(x) for x in line.split("\t")[0].split(":"))
    return ((h * 60 + m) * 60 + s) * 1000 + f
start = next(i for i, l in enumerate(log) if "\t" in l and l.split("\t", 1)[1].startswith(first))
end = next(i for i, l in enumerate(log) if i > start and "\t" in l and l.split("\t", 1)[1].startswith(second))
print(ms(log[end]) - ms(log[start]))
EOF
}

median() { sort -n | awk '{a[NR]=$1} END {print (NR%2) ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2}'; }

# One collection through the dialog; prints its milliseconds beyond the pauses.
ours() {
    local pauses="$1"
    fresh_tools
    start_app 'C:\Tools'
    drive wait "$MAIN" 10000 >/dev/null || return 1
    drive click "$MAIN" 1 >/dev/null
    drive wait ctl=1012 300000 >/dev/null || return 1
    drive click ctl=1012 1 >/dev/null
    drive answer 1 10000 >/dev/null
    wait_exit
    # From the run's first step to the questionnaire's own object, which is
    # built right after the attribute report and the final text.
    local total
    total=$(span "$C/Tools/CollectInfo/gathrix.log" "> CAction::Init" "> CTool::GetDest_Path") || return 1
    echo $(( total - pauses ))
}

floor() {
    rm -rf "$C/gxfloor"; mkdir -p "$C/gxfloor"
    wine 'C:\floor_bench.exe' 'C:\gx-manifest.txt' "$1" 'C:\gxfloor' </dev/null 2>/dev/null | tr -d '\r' | awk '{print $1}'
}

peer() {
    rm -rf "$C/gxpeer"; mkdir -p "$C/gxpeer/Registry_Save"
    python3 - "$C/gx-manifest.txt" "$1" "$C/gxpeer.bat" <<'EOF'
import sys, ntpath
manifest, groups, out = sys.argv[1], sys.argv[2], sys.argv[3]
lines = ["@echo off"]
for row in open(manifest, encoding="cp1252"):
    _, group, present, source, below = row.rstrip("\r\n").split("\t")
    if group in groups and present == "1":
        lines.append('xcopy "%s" "C:\\gxpeer\\File_Save\\%s\\" /Y /I /Q >NUL' % (source, ntpath.dirname(below)))
for key, name in [("SOFTWARE\\Halvorn", "halvorn"), ("SYSTEM\\CurrentControlSet\\Services", "services"),
                  ("SOFTWARE\\Microsoft\\Ole", "msole"), ("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall", "msuninst"),
                  ("SOFTWARE\\Classes\\Installer\\Features", "msinstfeat")]:
    lines.append('regedit /E "C:\\gxpeer\\Registry_Save\\%s.reg" "HKEY_LOCAL_MACHINE\\%s"' % (name, key))
open(out, "w", newline="\r\n").write("\n".join(lines) + "\n")
EOF
    local begin end
    begin=$(date +%s%N)
    wine cmd /c 'C:\gxpeer.bat' </dev/null >/dev/null 2>&1
    end=$(date +%s%N)
    echo $(( (end - begin) / 1000000 ))
}

verdict() { awk -v a="$1" -v b="$2" -v f="$3" 'BEGIN { r = a / b; printf "%.2f x %s", r, (r <= f ? "PASS" : "MISS") }'; }

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(wine --version)"
for config in "group 2 alone (Vista and later)|2|65|" "both groups (Windows XP)|12|119|winxp"; do
    IFS='|' read -r label groups items version <<<"$config"
    windows_version "$version"
    o=(); f=(); p=()
    for _ in $(seq "$REPS"); do
        o+=("$(ours $((items * 250)))")
        f+=("$(floor "$groups")")
        p+=("$(peer "$groups")")
    done
    om=$(printf '%s\n' "${o[@]}" | median); fm=$(printf '%s\n' "${f[@]}" | median); pm=$(printf '%s\n' "${p[@]}" | median)
    echo "$label: ours ${om} ms beyond ${items} x 250 ms pauses; floor ${fm} ms; peer ${pm} ms"
    echo "  ours / floor = $(verdict "$om" "$fm" 1.5) (mark 1.5);  ours / peer = $(verdict "$om" "$pm" 1.0) (mark 1.0)"
done
windows_version ""

s=()
for _ in $(seq 5); do
    fresh_tools
    wine "$BUILD/gxdrive.exe" startup "$MAIN" 'C:\Tools\gathrix.exe' </dev/null >"$GX_ROOT/build/bench/startup.txt" 2>/dev/null
    s+=("$(tr -d '\r' <"$GX_ROOT/build/bench/startup.txt")")
    drive click "$MAIN" 2 >/dev/null
    sleep 0.5
done
sm=$(printf '%s\n' "${s[@]}" | median)
echo "start to dialog shown: ${sm} ms (mark 300) $(awk -v v="$sm" 'BEGIN{print (v <= 300 ? "PASS" : "MISS")}')"

fresh_tools
cp -r "$GX_ROOT/build/bench/last-hives" "$C/Tools/CollectInfo/Registry_Save" 2>/dev/null ||
    { start_app 'C:\Tools'; collect bench x x x x x >/dev/null; cp -r "$C/Tools/CollectInfo/Registry_Save" "$GX_ROOT/build/bench/last-hives"; }
wine reg delete 'HKLM\Software\Gathrix' /f >/dev/null 2>&1
start_app 'C:\Tools' "CORVANE NET PC SOFTWARE"
drive wait ctl=1000 10000 >/dev/null
drive click ctl=1000 1000 >/dev/null; drive answer 1 >/dev/null; drive answer 6 >/dev/null; drive answer 1 >/dev/null
drive click ctl=1000 1 >/dev/null
wait_exit
im=$(span "$C/Tools/CollectInfo/gathrix.log" "> e_r_restore_reg_update_information" "< Tool::Restore_Registry")
echo "import of five hives: ${im} ms (mark 1000; Wine restores nothing) $(awk -v v="$im" 'BEGIN{print (v <= 1000 ? "PASS" : "MISS")}')"
size=$(stat -c %s build/mingw/gathrix.exe)
echo "gathrix.exe: $size bytes (mark 1 MB) $(awk -v v="$size" 'BEGIN{print (v <= 1048576 ? "PASS" : "MISS")}')"
echo "attribute report per entry: bench/run_files_bench.sh (mark 20 us)"
