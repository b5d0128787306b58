#!/usr/bin/env bash
# The collection benchmark with its pass marks, all in one run, ours and the
# floors interleaved so that a noisy machine hits them alike. Under Wine:
#   ours      a whole collection through the real dialog; from its trace log:
#             the copies, backups and saves beyond the 250 ms pauses, the
#             copies alone, the attribute report, the archive step; its peak
#             memory (VmHWM of its Wine process, read at the final box)
#   mandated  bench/floor.cpp with the per-item work a visible, traced run
#             must do (progress step, status text, drain, pause, as many
#             trace lines each opened, appended and closed) on the same dialog
#   plain     bench/floor.cpp: the same copies, backups and saves, nothing else
#   peer      a batch file copying with xcopy and exporting with regedit /E
#   cp, gcab  the host's own copy of the same files, and gcab packing the
#             same folder that ours archived
# on today's sample installation (about 20 MB of logs, both Windows
# configurations) and, for group 2 (Vista and later), on installations ten
# and fifty times larger (bench/scale_sample.py: 200 MB and 1 GB of logs
# with single dumps of 100 to 300 MB, 30,000 and 100,000 folder entries).
# Plus start to the dialog shown (and that of a process showing the same
# dialog and nothing else), an import of five hives, the exe's size.
#
# Fair to both sides: each repetition alternates whether ours or the floors
# run first; before each side its earlier output is removed and the page
# cache written back and, as root, dropped; then the sources, the files
# Wine maps for a collection and the prefix's folder entries are read once,
# so every side starts with the same cache (GX_BENCH_CACHE=keep: written
# back and read, not dropped); no process of the driver runs while ours'
# timed span lasts. Medians come with the spread of the repetitions. A
# figure that could not be measured is printed as "not measured".
#
# The lane (scripts/lib.sh): the 32-bit lane where the kernel runs 32-bit
# programs, else the 64-bit one (scripts/lane64); GX_LANES=64 asks for the
# 64-bit lane. Both sides run in the one lane's prefix. The builds are made
# on the host before the lane is entered.
#
#   bench/run_collect_bench.sh [repetitions] [factors] [repetitions of those]
#       repetitions  per configuration of today's sample (default 3)
#       factors      sizes beyond today's (default "10 50"; "" for none)
#       and their repetitions (default: as today's)
# About 15 minutes with the defaults; needs 5 GB free below build/.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/lib.sh"
cd "$GX_ROOT"
REPS="${1:-3}"
FACTORS="${2-10 50}"
LARGE_REPS="${3:-$REPS}"
# What the table compares against is installed like the build's own tools.
GX_PACKAGES="$GX_PACKAGES gcab"
if [ -z "${GX_LANE:-}" ]; then
    gx_setup || exit 1
    gx_build mingw mingw-wine || exit 1
    cmake --build build/mingw --target floor_bench gathrix_timed >/dev/null || exit 1
    LANE=$(gx_lanes) || exit 1
    # One lane a run: the first of those asked for.
    case "${LANE%% *}" in
    32) export GX_LANE=32 ;;
    64) GX_LANE64_PACKAGES="gcab" exec scripts/lane64 bench/run_collect_bench.sh "$@" ;;
    esac
fi
for exe in build/mingw/gathrix.exe build/mingw/floor_bench.exe build/mingw/gathrix_timed.exe build/mingw-wine/gxdrive.exe; do
    [ -f "$exe" ] || { gx_say "no $exe: the host builds it before the lane is entered"; exit 1; }
done
gx_wine_prefix "$GX_ROOT/build/bench/wineprefix" || exit 1
LANE_NOTE="$(gx_lane)-bit lane: $WINEARCH prefix, $(wine --version 2>/dev/null)"
gx_say "$LANE_NOTE"

source "$GX_ROOT/tests/e2e/lib_e2e.sh"
C="$WINEPREFIX/drive_c"
OUT="$GX_ROOT/build/bench"
mkdir -p "$OUT"
cleanup() {
    [ -n "${THEME_WAS:-}" ] && theme "$THEME_WAS"
    python3 bench/scale_sample.py "$C" "$C/gx-manifest.txt" remove >/dev/null 2>&1
    rm -rf "$C/Tools" "$C/gxfloor" "$C/gxfloor.copies.txt" "$C/gxpeer" "$OUT/cp" "$OUT/gcab.cab"
    windows_version ""; gx_wine_stop; gx_display_stop
}
trap cleanup EXIT
export GX_SAMPLE_BYTES=200000
sample_installation
cp build/mingw/floor_bench.exe "$C/floor_bench.exe"
# Wine's desktop process ends when no program uses it, and the next one
# inherits the pipes of whichever driver call starts it, which then never
# ends. A driver call waiting all day, on no pipe, keeps it up until the
# server stops at the end.
wine "$BUILD/gxdrive.exe" wait "title=no such window" 86400000 </dev/null >/dev/null 2>&1 &

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

# The median of the numbers among the lines read; nothing when there is none.
median() {
    grep -E '^[0-9]+([.][0-9]+)?$' | sort -n |
        awk '{a[NR]=$1} END {if (NR) print (NR%2) ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2}'
}
is_number() { [[ "${1:-}" =~ ^[0-9]+([.][0-9]+)?$ ]]; }
# The spread of the numbers among the lines read: "lowest to highest (n)",
# or nothing when there is none.
spread() {
    grep -E '^[0-9]+([.][0-9]+)?$' | sort -n |
        awk '{a[NR]=$1} END {if (NR) printf "%s to %s (%d)", a[1], a[NR], NR}'
}
# The numbers given, or "none".
listed() { local v out=""; for v in "$@"; do is_number "$v" && out+="${out:+, }$v"; done; echo "${out:-none}"; }
now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
# value <key> <key=value lines>
value() { printf '%s\n' "$2" | sed -n "s/^$1=//p"; }

# The Linux process that runs C:\Tools\gathrix.exe in this prefix.
linux_pid() {
    local p
    for p in /proc/[0-9]*; do
        case "$({ tr '\0' ' ' <"$p/cmdline"; } 2>/dev/null)" in 'C:\Tools\gathrix.exe'*) ;; *) continue ;; esac
        { tr '\0' '\n' <"$p/environ"; } 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" && { echo "${p#/proc/}"; return; }
    done
}

# The Linux paths of the files a run of <groups> copies.
source_files() {
    python3 - "$C" "$C/gx-manifest.txt" "$1" <<'EOF'
import os, sys
drive_c, manifest, groups = sys.argv[1:4]
for row in open(manifest, encoding="cp1252"):
    _, group, present, source, below = row.rstrip("\r\n").split("\t")
    if group in groups and present == "1":
        print(os.path.join(drive_c, *[p for p in source[3:].split("\\") if p]))
EOF
}

# Each side starts alike: what the last one wrote is on disk and, where the
# page cache may be dropped, out of memory; the sources, the files Wine maps
# for a collection (listed from ours' process, WINE_FILES) and the prefix's
# folder entries are read once.
WINE_FILES="$OUT/wine-files.txt"
DROP=0
if [ "${GX_BENCH_CACHE:-drop}" != keep ] && [ -w /proc/sys/vm/drop_caches ]; then DROP=1; fi
CACHE_NOTE="before each side: page cache written back$([ "$DROP" = 1 ] && echo " and dropped"), then the sources, Wine's mapped files and the prefix's entries read once"
[ "$DROP" = 1 ] || CACHE_NOTE="$CACHE_NOTE (not dropped: $([ "${GX_BENCH_CACHE:-}" = keep ] && echo "GX_BENCH_CACHE=keep" || echo "needs root"))"
settle() {
    sync
    [ "$DROP" = 1 ] && echo 3 >/proc/sys/vm/drop_caches
    if [ -s "${SOURCES:-}" ]; then xargs -r -a "$SOURCES" -d '\n' cat >/dev/null 2>&1; fi
    if [ -s "$WINE_FILES" ]; then xargs -r -a "$WINE_FILES" -d '\n' cat >/dev/null 2>&1; fi
    find "$WINEPREFIX" -xdev >/dev/null 2>&1
    return 0
}
# Adds the files a Wine process maps (libraries, fonts, the exe) to WINE_FILES.
note_wine_files() {
    { cat "$WINE_FILES" 2>/dev/null
      awk '$6 ~ /^\// {print $6}' "/proc/$1/maps" 2>/dev/null; } | sort -u | grep -v '^/dev/' >"$WINE_FILES.new"
    mv "$WINE_FILES.new" "$WINE_FILES"
}

# Waits up to <seconds> for a line of <log> whose message starts with <text>.
wait_for_line() {
    local log="$1" text="$2" until=$(( $(date +%s) + $3 ))
    until grep -qaF $'\t'"$text" "$log" 2>/dev/null; do
        [ "$(date +%s)" -lt "$until" ] || return 1
        sleep 0.2
    done
}

# One collection through the dialog; prints key=value lines of its figures.
ours() {
    local items="$1" pid hwm
    fresh_tools
    settle
    start_app 'C:\Tools'
    drive wait "$MAIN" 10000 >/dev/null || return 1
    drive click "$MAIN" "$IDOK" >/dev/null
    # Until the timed span has ended only the host looks at the log: a
    # driver process is a Wine process, and the floors have none beside them.
    sleep $(( items / 4 ))
    wait_for_line "$C/Tools/CollectInfo/gathrix.log" "< Tool::Collect_Registry" 900 || return 1
    drive wait ctl="$IDC_PROBLEM" 600000 >/dev/null || return 1
    drive click ctl="$IDC_PROBLEM" "$IDOK" >/dev/null
    drive box 900000 >/dev/null || return 1
    pid=$(linux_pid)
    hwm=$(awk '/^VmHWM:/ {print $2}' "/proc/$pid/status" 2>/dev/null)
    [ -n "$pid" ] && note_wine_files "$pid"
    drive answer "$IDOK" 10000 >/dev/null
    wait_exit
    cp "$C/Tools/CollectInfo/gathrix.log" "$OUT/last-run.log"
    python3 bench/trace_figures.py "$OUT/last-run.log" "$OUT/ours.copies.txt" || return 1
    echo "hwm_kb=${hwm:-0}"
}

# One more collection by the build with a timer around each boundary call,
# outside the medians; keeps its calls.txt as calls-<size>.txt.
ours_timed() {
    rm -f "$C/Tools/calls.txt"
    PRODUCT="$GX_ROOT/build/mingw/gathrix_timed.exe" ours "$1" >/dev/null || return 0
    cp "$C/Tools/calls.txt" "$OUT/calls-$2.txt" 2>/dev/null
}

# floor <groups> [trace lines]: the plain floor, or the mandated one.
floor() {
    rm -rf "$C/gxfloor"
    settle
    wine 'C:\floor_bench.exe' 'C:\gx-manifest.txt' "$1" 'C:\gxfloor' ${2:+"$2"} </dev/null 2>/dev/null | tr -d '\r'
}
floor_ms() { awk '{print $1}'; }
# The floor's per-item work beyond the pause plus one trace line, as ours' "item" counts it.
floor_item_ms() {
    python3 -c '
import re, sys
text = sys.stdin.read()
num = lambda pattern: float(re.search(pattern, text).group(1))
items, lines = num(r"beyond (\d+) x"), num(r"\((\d+) lines\)")
per_item = num(r"progress and status ([0-9.]+)") + num(r"drain ([0-9.]+)") + num(r"pauses beyond 250 ms ([0-9.]+)")
print("%.1f" % (per_item / items + num(r"trace ([0-9.]+)") / lines))'
}
floor_copies_ms() { sed -n 's/.*copies \([0-9.]*\) ms.*/\1/p'; }

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
    sync
    local begin end
    begin=$(now_ms)
    wine cmd /c 'C:\gxpeer.bat' </dev/null >/dev/null 2>&1
    end=$(now_ms)
    echo $(( end - begin ))
}

# The host's cp of the files a group-2 run copies (each once), one cp per
# destination folder; prints its milliseconds.
host_cp() {
    local lists begin end list
    rm -rf "$OUT/cp"
    lists=$(python3 - "$C" "$C/gx-manifest.txt" "$OUT/cp" <<'EOF'
import os, sys
drive_c, manifest, out = sys.argv[1:4]
folders = {}
for row in open(manifest, encoding="cp1252"):
    _, group, present, source, below = row.rstrip("\r\n").split("\t")
    if group == "2" and present == "1":
        src = os.path.join(drive_c, *[p for p in source[3:].split("\\") if p])
        dst = os.path.join(out, *[p for p in below.split("\\") if p][:-1])
        folders.setdefault(dst, set()).add(src)
for dst, sources in folders.items():
    os.makedirs(dst, exist_ok=True)
    print("\t".join([dst] + sorted(sources)))
EOF
)
    sync
    begin=$(now_ms)
    while IFS=$'\t' read -r -a list; do cp -f -t "${list[@]}"; done <<<"$lists"
    end=$(now_ms)
    echo $(( end - begin ))
}

# gcab packing the folder that ours archived last (everything but the
# archive), MSZIP; prints milliseconds, bytes packed and the cabinet's bytes.
# Prints nothing when gcab is missing or fails.
host_gcab() {
    local begin end bytes
    rm -f "$OUT/gcab.cab"
    command -v gcab >/dev/null || return 0
    sync
    begin=$(now_ms)
    (cd "$C/Tools/CollectInfo" && find . -type f ! -name '*.cab' -printf '%P\n' | xargs -r -d '\n' gcab -c -z "$OUT/gcab.cab") ||
        return 0
    end=$(now_ms)
    [ -s "$OUT/gcab.cab" ] || return 0
    bytes=$(cd "$C/Tools/CollectInfo" && find . -type f ! -name '*.cab' -printf '%s\n' | awk '{s+=$1} END {print s}')
    echo "$(( end - begin )) $bytes $(stat -c %s "$OUT/gcab.cab")"
}

# A figure missing on either side is no ratio: it says so.
NM="not measured"
verdict() {
    is_number "$1" && is_number "$2" || { echo "$NM"; return; }
    awk -v a="$1" -v b="$2" -v f="$3" 'BEGIN { if (b <= 0) { print "not measured"; exit } r = a / b; printf "%.2f × %s", r, (r <= f ? "pass" : "**miss**") }'
}
ratio() {
    is_number "$1" && is_number "$2" || { echo "$NM"; return; }
    awk -v a="$1" -v b="$2" 'BEGIN { if (b <= 0) print "not measured"; else printf "%.2f", a / b }'
}
mbps() {
    is_number "$1" && is_number "$2" || { echo "$NM"; return; }
    awk -v b="$1" -v t="$2" 'BEGIN { if (t <= 0) print "not measured"; else printf "%.0f", b / 1e6 / (t / 1000) }'
}
# <value> <unit>: "12 ms", or "not measured".
shown() { if is_number "$1"; then echo "$1${2:+ $2}"; else echo "$NM"; fi; }

# measure <repetitions> <groups> <size> [peer] [host]: one size and
# configuration, with the peer and with the host's cp and gcab; sets the
# R_* medians. Which side goes first alternates from one repetition to the
# next over the whole script. The mandated floor writes as many trace lines
# as ours did (at this size, else at another of the same groups: the sizes
# differ in the files' lengths, not in which exist), so ours goes first
# while that is not known yet.
NEXT=ours
declare -A LINES
measure() {
    local reps="$1" groups="$2" size="$3" extras="${*:4}" r figures mandated plain g first
    local -a beyond mfloor pfloor peers copy mcopy report hwm pack cp gcab item mitem findings ours_first floor_first
    R_PACKED=""
    SOURCES="$OUT/sources.txt"
    source_files "$groups" >"$SOURCES"
    for r in $(seq "$reps"); do
        first=$NEXT
        [ -z "${LINES[$groups,$size]:-}${LINES[$groups]:-}" ] && first=ours
        [ "$first" = "$NEXT" ] && NEXT=$([ "$first" = ours ] && echo floors || echo ours)
        [ "$first" = floors ] && run_floors
        figures=$(ours "$([ "$groups" = 2 ] && echo 65 || echo 119)") || { echo "a collection failed" >&2; return 1; }
        LINES[$groups,$size]=$(value lines "$figures"); LINES[$groups]=${LINES[$groups,$size]}
        beyond+=("$(value beyond "$figures")"); copy+=("$(value copy "$figures")")
        report+=("$(value report "$figures")"); hwm+=("$(value hwm_kb "$figures")")
        item+=("$(value item "$figures")"); findings+=("$(value findings "$figures")")
        R_ITEMS=$(value items "$figures")
        R_PACKED=$(value packed_bytes "$figures"); R_CAB=$(value cab_bytes "$figures")
        if [[ " $extras " == *" host "* ]] && [ -n "$R_PACKED" ]; then
            pack+=("$(value pack "$figures")")
            read -r g R_GCAB_IN R_GCAB_OUT < <(host_gcab)
            gcab+=("$g")
        fi
        [ "$first" = ours ] && run_floors
        if [ "$first" = ours ]; then ours_first+=("$(ratio "${beyond[-1]}" "${mfloor[-1]}")")
        else floor_first+=("$(ratio "${beyond[-1]}" "${mfloor[-1]}")"); fi
        R_BY_COPY=$(python3 bench/copy_by_copy.py "$OUT/ours.copies.txt" "$C/gxfloor.copies.txt")
        [[ " $extras " == *" host "* ]] && cp+=("$(host_cp)")
        [[ " $extras " == *" peer "* ]] && peers+=("$(peer "$groups")")
    done
    R_OURS=$(printf '%s\n' "${beyond[@]}" | median)
    R_MANDATED=$(printf '%s\n' "${mfloor[@]}" | median)
    R_PLAIN=$(printf '%s\n' "${pfloor[@]}" | median)
    R_ITEM=$(printf '%s\n' "${item[@]}" | median)
    R_MITEM=$(printf '%s\n' "${mitem[@]}" | median)
    R_COPY=$(printf '%s\n' "${copy[@]}" | median)
    R_MCOPY=$(printf '%s\n' "${mcopy[@]}" | median)
    R_REPORT=$(printf '%s\n' "${report[@]}" | median)
    R_HWM=$(printf '%s\n' "${hwm[@]}" | median)
    R_PEER=$(printf '%s\n' "${peers[@]}" | median)
    R_CP=$(printf '%s\n' "${cp[@]}" | median)
    R_PACK=$(printf '%s\n' "${pack[@]}" | median)
    R_GCAB=$(printf '%s\n' "${gcab[@]}" | median)
    R_FINDINGS=$(printf '%s\n' "${findings[@]}" | median)
    R_ORDER="ours first $(listed "${ours_first[@]}"); floors first $(listed "${floor_first[@]}")"
    R_OURS_SPREAD=$(printf '%s\n' "${beyond[@]}" | spread)
    R_MANDATED_SPREAD=$(printf '%s\n' "${mfloor[@]}" | spread)
    R_RATIO_SPREAD=$(printf '%s\n' "${ours_first[@]}" "${floor_first[@]}" | spread)
}

# Both floors of one repetition, the mandated one with ours' trace lines at this size.
run_floors() {
    mandated=$(floor "$groups" "${LINES[$groups,$size]:-${LINES[$groups]}}")
    mfloor+=("$(floor_ms <<<"$mandated")"); mcopy+=("$(floor_copies_ms <<<"$mandated")")
    mitem+=("$(floor_item_ms <<<"$mandated")")
    R_MANDATED_DETAIL="$mandated"
    plain=$(floor "$groups")
    pfloor+=("$(floor_ms <<<"$plain")")
}

# One progress step on the dialog, shown with the prefix's theme, shown
# without a theme, and hidden.
THEME_KEY='HKCU\Software\Microsoft\Windows\CurrentVersion\ThemeManager'
theme() { wine reg add "$THEME_KEY" /v ThemeActive /d "$1" /f >/dev/null 2>&1; }
THEME_WAS=$(wine reg query "$THEME_KEY" /v ThemeActive 2>/dev/null | tr -d '\r' | awk '/ThemeActive/ {print $3}')
read -r STEP_THEMED STEP_HIDDEN < <(wine 'C:\floor_bench.exe' progress </dev/null 2>/dev/null | awk '{print $1, $7}')
theme 0
STEP_PLAIN=$(wine 'C:\floor_bench.exe' progress </dev/null 2>/dev/null | awk '{print $1}')
theme "${THEME_WAS:-1}"

MACHINE="$(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(free -g | awk '/^Mem:/ {print $2}') GB, $(wine --version)"
load() { cut -d' ' -f1 /proc/loadavg; }
LOAD_BEFORE=$(cut -d' ' -f1-3 /proc/loadavg)
BEGIN_MS=$(now_ms)

# One collection first, not counted: it lists the files Wine maps for ours,
# which settle then reads before every side.
ours 65 >/dev/null || gx_say "the collection before the measurements failed"

# Today's sample with both groups (Windows XP), and the peer.
windows_version winxp
XP_LOAD=$(load)
measure "$REPS" 12 1 peer || exit 1
XP="ours $(shown "$R_OURS" ms); mandated floor $(shown "$R_MANDATED" ms): $(verdict "$R_OURS" "$R_MANDATED" 1.2)${R_RATIO_SPREAD:+ (repetitions $R_RATIO_SPREAD)}; plain floor $(shown "$R_PLAIN" ms) ($(ratio "$R_OURS" "$R_PLAIN") ×); peer $(shown "$R_PEER" ms): $(verdict "$R_OURS" "$R_PEER" 1.0); load $XP_LOAD to $(load)"
windows_version ""

# Group 2 (Vista and later) on today's sample and the larger ones.
COLUMNS=()
declare -A S
for factor in 1 $FACTORS; do
    load_begin=$(load)
    if [ "$factor" = 1 ]; then
        sizes=$(python3 bench/scale_sample.py "$C" "$C/gx-manifest.txt" count)
        measure "$REPS" 2 1 peer host || exit 1
        BASE_HWM=$R_HWM
        PEER="ours $(shown "$R_OURS" ms), peer $(shown "$R_PEER" ms): $(verdict "$R_OURS" "$R_PEER" 1.0)"
        DETAIL="$R_MANDATED_DETAIL"
    else
        sizes=$(python3 bench/scale_sample.py "$C" "$C/gx-manifest.txt" "$factor")
        measure "$LARGE_REPS" 2 "$factor" host || exit 1
    fi
    ours_timed 65 "$factor"
    bytes=$(value copied_bytes "$sizes"); entries=$(value entries "$sizes")
    COLUMNS+=("$factor")
    S[$factor,size]="$(awk -v b="$bytes" -v l="$(value largest "$sizes")" 'BEGIN {printf "%.0f MB, largest %.1f MB", b/1e6, l/1e6}'), $entries entries"
    S[$factor,load]="$load_begin to $(load)"
    S[$factor,ours]="$(shown "$R_OURS" ms)${R_OURS_SPREAD:+ (spread $R_OURS_SPREAD)}"
    S[$factor,mandated]="$(shown "$R_MANDATED" ms)${R_MANDATED_SPREAD:+ (spread $R_MANDATED_SPREAD)}"
    S[$factor,ratio]="$(verdict "$R_OURS" "$R_MANDATED" 1.2)${R_RATIO_SPREAD:+; repetitions $R_RATIO_SPREAD}"
    S[$factor,order]="$R_ORDER"
    S[$factor,item]="ours $(shown "$R_ITEM" ms) · floor $(shown "$R_MITEM" ms)"
    S[$factor,plain]="$(shown "$R_PLAIN" ms) ($(ratio "$R_OURS" "$R_PLAIN") ×)"
    S[$factor,bycopy]="$R_BY_COPY"
    S[$factor,copy]="ours $(mbps "$bytes" "$R_COPY") · floor $(mbps "$bytes" "$R_MCOPY") · cp $(mbps "$bytes" "$R_CP")"
    if is_number "$R_REPORT" && is_number "$entries" && [ "$entries" -gt 0 ]; then
        S[$factor,report]="$(awk -v t="$R_REPORT" -v n="$entries" 'BEGIN {printf "%.1f µs (%d ms)", 1000 * t / n, t}')"
    else
        S[$factor,report]=$NM
    fi
    if is_number "$R_HWM" && [ "$R_HWM" != 0 ]; then
        S[$factor,hwm]="$(awk -v k="$R_HWM" 'BEGIN {printf "%.1f MB", k / 1024}') ($(verdict "$R_HWM" "$BASE_HWM" 1.5))"
    else
        S[$factor,hwm]=$NM
    fi
    if is_number "$R_PACKED" && is_number "$R_PACK" && is_number "$R_CAB"; then
        S[$factor,pack]="$(awk -v t="$R_PACK" -v b="$R_PACKED" -v c="$R_CAB" 'BEGIN {printf "%.1f ms/MB, %.2f : 1", t / (b / 1e6), b / c}')"
    else
        S[$factor,pack]="no archive step"
    fi
    if is_number "$R_GCAB" && is_number "${R_GCAB_IN:-}" && is_number "${R_GCAB_OUT:-}" && [ "$R_GCAB_OUT" != 0 ]; then
        S[$factor,gcab]="$(awk -v t="$R_GCAB" -v b="$R_GCAB_IN" -v c="$R_GCAB_OUT" 'BEGIN {printf "%.1f ms/MB, %.2f : 1", t / (b / 1e6), b / c}'); ours $(verdict "$R_PACK" "$R_GCAB" 2.0)"
    else
        S[$factor,gcab]="$NM$(command -v gcab >/dev/null || echo " (no gcab)")"
    fi
    S[$factor,findings]=$(shown "$R_FINDINGS" ms)
    if [ "$factor" != 1 ]; then
        sample_installation
        python3 bench/scale_sample.py "$C" "$C/gx-manifest.txt" remove >/dev/null
    fi
done
SOURCES=""

# Start to the dialog shown: ours, and a process that shows the same dialog
# and does nothing else (Wine's part), alternating, five of each.
# Into a file: the started program inherits the driver's output, and a pipe
# would stay open until it ends.
startup() {
    rm -f "$OUT/startup.txt"
    wine "$BUILD/gxdrive.exe" startup "$MAIN" "$@" </dev/null >"$OUT/startup.txt" 2>/dev/null
    drive click "$MAIN" "$IDCANCEL" >/dev/null
    drive gone "$MAIN" 10000 >/dev/null
    sleep 0.5
    tr -d '\r' <"$OUT/startup.txt" 2>/dev/null
}
s=(); f=()
START_LOAD=$(load)
for i in $(seq 5); do
    fresh_tools
    if [ $(( i % 2 )) = 1 ]; then
        s+=("$(startup 'C:\Tools\gathrix.exe')"); f+=("$(startup 'C:\floor_bench.exe' dialog)")
    else
        f+=("$(startup 'C:\floor_bench.exe' dialog)"); s+=("$(startup 'C:\Tools\gathrix.exe')")
    fi
done
sm=$(printf '%s\n' "${s[@]}" | median)
fm=$(printf '%s\n' "${f[@]}" | median)
START_LOAD="$START_LOAD to $(load)"

fresh_tools
cp -r "$OUT/last-hives" "$C/Tools/CollectInfo/Registry_Save" 2>/dev/null ||
    { start_app 'C:\Tools'; collect bench x x x x x >/dev/null; cp -r "$C/Tools/CollectInfo/Registry_Save" "$OUT/last-hives"; }
wine reg delete 'HKLM\Software\Gathrix' /f >/dev/null 2>&1
start_app 'C:\Tools' "CORVANE NET PC SOFTWARE"
drive wait ctl="$IDC_IMPORT" 10000 >/dev/null
drive click ctl="$IDC_IMPORT" "$IDC_IMPORT" >/dev/null
drive answer "$IDOK" >/dev/null; drive answer "$IDYES" >/dev/null; drive answer "$IDOK" >/dev/null
drive click ctl="$IDC_IMPORT" "$IDOK" >/dev/null
wait_exit
im=$(span "$C/Tools/CollectInfo/gathrix.log" "> e_r_restore_reg_update_information" "< Tool::Restore_Registry" 2>/dev/null)
size=$(stat -c %s build/mingw/gathrix.exe)
mark() { is_number "$1" && awk -v v="$1" -v m="$2" 'BEGIN {print (v <= m ? "pass" : "**miss**")}'; }

row() {
    local label="$1" key="$2" mark="$3" f
    local line="| $label |"
    for f in "${COLUMNS[@]}"; do line+=" ${S[$f,$key]} |"; done
    echo "$line $mark |"
}
header="| group 2 (Vista and later), medians of $REPS$([ "$LARGE_REPS" = "$REPS" ] || echo ", $LARGE_REPS for the larger sizes") runs |"
rule="|---|"
for f in "${COLUMNS[@]}"; do
    header+=" $([ "$f" = 1 ] && echo "today's sample" || echo "$f × today's") |"
    rule+="---|"
done
echo "machine: $MACHINE"
echo "lane: $LANE_NOTE"
echo "cache: $CACHE_NOTE"
echo "load average before ${LOAD_BEFORE}, after $(cut -d' ' -f1-3 /proc/loadavg); $(( ($(now_ms) - BEGIN_MS) / 1000 )) s"
echo
echo "$header mark |"
echo "$rule---|"
row "installation: logs a run copies; attribute-report entries" size ""
row "load average (1 min) when the column began and ended" load ""
row "ours: copies, backups, saves beyond ${R_ITEMS:-?} × 250 ms (median, spread of the repetitions)" ours ""
row "mandated floor (same per-item work, trace lines and size reads)" mandated ""
row "ours / mandated floor" ratio "≤ 1.2"
row "ours / mandated floor of each repetition, by which side ran first" order ""
row "per row beyond its pause, no copy (progress, status, drain, sleep, a trace line)" item ""
row "plain floor (no trace, no pauses, no window)" plain ""
row "copy throughput, MB/s" copy ""
row "copy by copy, last repetition (ours' gap after each copy less a row's work without one)" bycopy ""
row "attribute report per entry" report "≤ 20 µs"
row "peak memory (VmHWM of the Wine process)" hwm "≤ 1.5 × today's"
row "archive step: time per MB, compression" pack ""
row "gcab -z, same folder; ours / gcab time" gcab "≤ 2"
# The facts and rules: trace_figures.py names the two lines that bound them.
row "facts and rules (findings)" findings "≤ 1000 ms at 50 ×"
echo
echo "| today's sample | figure | mark |"
echo "|---|---|---|"
echo "| group 2 against the peer (xcopy + regedit /E) | $PEER | ≤ 1.0 × peer |"
echo "| both groups (Windows XP), beyond 119 × 250 ms | $XP | ≤ 1.2 × mandated, ≤ 1.0 × peer |"
echo "| one progress step on the dialog, repainted at once | shown: $(shown "$STEP_THEMED" ms) with the prefix's theme (ThemeActive ${THEME_WAS:-1}), $(shown "$STEP_PLAIN" ms) without; hidden: $(shown "$STEP_HIDDEN" ms) | |"
echo "| start to the dialog shown (warm server), median of 5; load $START_LOAD | ours $(shown "$sm" ms); the same dialog alone $(shown "$fm" ms) | ours ≤ 300 ms $(mark "$sm" 300) |"
echo "| import of five hives (Wine restores nothing) | $(shown "$im" ms) | ≤ 1000 ms $(mark "$im" 1000) |"
echo "| gathrix.exe | $size bytes ($(( size / 1024 )) KB) | ≤ 400 KB $(mark "$size" 409600) |"
echo
echo "where the mandated floor's time went (today's sample, group 2, last run):"
echo "  $DETAIL"
for f in "${COLUMNS[@]}"; do
    echo
    echo "where ours' timed span went, by boundary call (the timed build, one run, $f × today's; own time first):"
    if [ -s "$OUT/calls-$f.txt" ]; then
        sed -n '/^== span/,/^== whole/p' "$OUT/calls-$f.txt" | sed '1d;$d' | head -n 10 | sed 's/^/  /'
    else
        echo "  $NM"
    fi
done
