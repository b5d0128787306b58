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
# Plus start to the dialog shown, an import of five hives, the exe's size.
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
gx_setup || exit 1
gx_build mingw mingw-wine || exit 1
cmake --build build/mingw --target floor_bench >/dev/null || exit 1
gx_wine_prefix "$GX_ROOT/build/bench/wineprefix" || exit 1
source "$GX_ROOT/tests/e2e/lib_e2e.sh"
C="$WINEPREFIX/drive_c"
OUT="$GX_ROOT/build/bench"
mkdir -p "$OUT"
cleanup() {
    [ -n "${THEME_WAS:-}" ] && theme "$THEME_WAS"
    python3 bench/scale_sample.py "$C" "$C/gx-manifest.txt" remove >/dev/null 2>&1
    rm -rf "$C/Tools" "$C/gxfloor" "$C/gxpeer" "$OUT/cp" "$OUT/gcab.cab"
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

median() { sort -n | awk '{a[NR]=$1} END {print (NR%2) ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2}'; }
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

# One collection through the dialog; prints key=value lines of its figures.
ours() {
    local items="$1" pid hwm
    fresh_tools
    sync
    start_app 'C:\Tools'
    drive wait "$MAIN" 10000 >/dev/null || return 1
    drive click "$MAIN" 1 >/dev/null
    # No driver process starts while the run works through its pauses.
    sleep $(( items / 4 ))
    drive wait ctl=1012 600000 >/dev/null || return 1
    drive click ctl=1012 1 >/dev/null
    drive box 900000 >/dev/null || return 1
    pid=$(linux_pid)
    hwm=$(awk '/^VmHWM:/ {print $2}' "/proc/$pid/status" 2>/dev/null)
    drive answer 1 10000 >/dev/null
    wait_exit
    cp "$C/Tools/CollectInfo/gathrix.log" "$OUT/last-run.log"
    python3 bench/trace_figures.py "$OUT/last-run.log" || return 1
    echo "hwm_kb=${hwm:-0}"
}

# floor <groups> [trace lines]: the plain floor, or the mandated one.
floor() {
    sync
    rm -rf "$C/gxfloor"
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
host_gcab() {
    local begin end bytes
    rm -f "$OUT/gcab.cab"
    sync
    begin=$(now_ms)
    (cd "$C/Tools/CollectInfo" && find . -type f ! -name '*.cab' -printf '%P\n' | xargs -d '\n' gcab -c -z "$OUT/gcab.cab")
    end=$(now_ms)
    bytes=$(cd "$C/Tools/CollectInfo" && find . -type f ! -name '*.cab' -printf '%s\n' | awk '{s+=$1} END {print s}')
    echo "$(( end - begin )) $bytes $(stat -c %s "$OUT/gcab.cab")"
}

verdict() { awk -v a="$1" -v b="$2" -v f="$3" 'BEGIN { if (b <= 0) { print "n/a"; exit } r = a / b; printf "%.2f × %s", r, (r <= f ? "pass" : "**miss**") }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b <= 0) print "n/a"; else printf "%.2f", a / b }'; }
mbps() { awk -v b="$1" -v t="$2" 'BEGIN { if (t <= 0) print "n/a"; else printf "%.0f", b / 1e6 / (t / 1000) }'; }

# measure <repetitions> <groups> [peer] [host]: one size and configuration,
# with the peer and with the host's cp and gcab; sets the R_* medians.
measure() {
    local reps="$1" groups="$2" extras="${*:3}" r figures mandated plain g
    local -a beyond mfloor pfloor peers copy mcopy report hwm pack cp gcab item mitem
    R_PACKED=""
    for r in $(seq "$reps"); do
        figures=$(ours "$([ "$groups" = 2 ] && echo 65 || echo 119)") || { echo "a collection failed" >&2; return 1; }
        beyond+=("$(value beyond "$figures")"); copy+=("$(value copy "$figures")")
        report+=("$(value report "$figures")"); hwm+=("$(value hwm_kb "$figures")")
        R_ITEMS=$(value items "$figures")
        R_PACKED=$(value packed_bytes "$figures"); R_CAB=$(value cab_bytes "$figures")
        if [[ " $extras " == *" host "* ]]; then
            cp+=("$(host_cp)")
            if [ -n "$R_PACKED" ]; then
                pack+=("$(value pack "$figures")")
                read -r g R_GCAB_IN R_GCAB_OUT < <(host_gcab)
                gcab+=("$g")
            fi
        fi
        mandated=$(floor "$groups" "$(value lines "$figures")")
        mfloor+=("$(floor_ms <<<"$mandated")"); mcopy+=("$(floor_copies_ms <<<"$mandated")")
        item+=("$(value item "$figures")"); mitem+=("$(floor_item_ms <<<"$mandated")")
        R_MANDATED_DETAIL="$mandated"
        plain=$(floor "$groups")
        pfloor+=("$(floor_ms <<<"$plain")")
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
LOAD_BEFORE=$(cut -d' ' -f1-3 /proc/loadavg)
BEGIN_MS=$(now_ms)

# Today's sample with both groups (Windows XP), and the peer.
windows_version winxp
measure "$REPS" 12 peer || exit 1
XP="ours ${R_OURS} ms; mandated floor ${R_MANDATED} ms: $(verdict "$R_OURS" "$R_MANDATED" 1.2); plain floor ${R_PLAIN} ms ($(ratio "$R_OURS" "$R_PLAIN") ×); peer ${R_PEER} ms: $(verdict "$R_OURS" "$R_PEER" 1.0)"
windows_version ""

# Group 2 (Vista and later) on today's sample and the larger ones.
COLUMNS=()
declare -A S
for factor in 1 $FACTORS; do
    if [ "$factor" = 1 ]; then
        sizes=$(python3 bench/scale_sample.py "$C" "$C/gx-manifest.txt" count)
        measure "$REPS" 2 peer host || exit 1
        BASE_HWM=$R_HWM
        PEER="ours ${R_OURS} ms, peer ${R_PEER} ms: $(verdict "$R_OURS" "$R_PEER" 1.0)"
        DETAIL="$R_MANDATED_DETAIL"
    else
        sizes=$(python3 bench/scale_sample.py "$C" "$C/gx-manifest.txt" "$factor")
        measure "$LARGE_REPS" 2 host || exit 1
    fi
    bytes=$(value copied_bytes "$sizes"); entries=$(value entries "$sizes")
    COLUMNS+=("$factor")
    S[$factor,size]="$(awk -v b="$bytes" -v l="$(value largest "$sizes")" 'BEGIN {printf "%.0f MB, largest %.1f MB", b/1e6, l/1e6}'), $entries entries"
    S[$factor,ours]="${R_OURS} ms"
    S[$factor,mandated]="${R_MANDATED} ms"
    S[$factor,ratio]="$(verdict "$R_OURS" "$R_MANDATED" 1.2)"
    S[$factor,item]="ours ${R_ITEM} ms · floor ${R_MITEM} ms"
    S[$factor,plain]="${R_PLAIN} ms ($(ratio "$R_OURS" "$R_PLAIN") ×)"
    S[$factor,copy]="ours $(mbps "$bytes" "$R_COPY") · floor $(mbps "$bytes" "$R_MCOPY") · cp $(mbps "$bytes" "$R_CP")"
    S[$factor,report]="$(awk -v t="$R_REPORT" -v n="$entries" 'BEGIN {printf "%.1f µs (%d ms)", 1000 * t / n, t}')"
    S[$factor,hwm]="$(awk -v k="$R_HWM" 'BEGIN {printf "%.1f MB", k / 1024}') ($(verdict "$R_HWM" "$BASE_HWM" 1.5))"
    if [ -n "$R_PACKED" ]; then
        S[$factor,pack]="$(awk -v t="$R_PACK" -v b="$R_PACKED" -v c="$R_CAB" 'BEGIN {printf "%.1f ms/MB, %.2f : 1", t / (b / 1e6), b / c}')"
        S[$factor,gcab]="$(awk -v t="$R_GCAB" -v b="$R_GCAB_IN" -v c="$R_GCAB_OUT" 'BEGIN {printf "%.1f ms/MB, %.2f : 1", t / (b / 1e6), b / c}'); ours $(verdict "$R_PACK" "$R_GCAB" 2.0)"
    else
        S[$factor,pack]="no archive step"; S[$factor,gcab]="n/a"
    fi
    if [ "$factor" != 1 ]; then
        sample_installation
        python3 bench/scale_sample.py "$C" "$C/gx-manifest.txt" remove >/dev/null
    fi
done

s=()
for _ in $(seq 5); do
    fresh_tools
    wine "$BUILD/gxdrive.exe" startup "$MAIN" 'C:\Tools\gathrix.exe' </dev/null >"$OUT/startup.txt" 2>/dev/null
    s+=("$(tr -d '\r' <"$OUT/startup.txt")")
    drive click "$MAIN" 2 >/dev/null
    sleep 0.5
done
sm=$(printf '%s\n' "${s[@]}" | median)

fresh_tools
cp -r "$OUT/last-hives" "$C/Tools/CollectInfo/Registry_Save" 2>/dev/null ||
    { start_app 'C:\Tools'; collect bench x x x x x >/dev/null; cp -r "$C/Tools/CollectInfo/Registry_Save" "$OUT/last-hives"; }
wine reg delete 'HKLM\Software\Gathrix' /f >/dev/null 2>&1
start_app 'C:\Tools' "CORVANE NET PC SOFTWARE"
drive wait ctl=1000 10000 >/dev/null
drive click ctl=1000 1000 >/dev/null; drive answer 1 >/dev/null; drive answer 6 >/dev/null; drive answer 1 >/dev/null
drive click ctl=1000 1 >/dev/null
wait_exit
im=$(span "$C/Tools/CollectInfo/gathrix.log" "> e_r_restore_reg_update_information" "< Tool::Restore_Registry")
size=$(stat -c %s build/mingw/gathrix.exe)

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
echo "load average before ${LOAD_BEFORE}, after $(cut -d' ' -f1-3 /proc/loadavg); $(( ($(now_ms) - BEGIN_MS) / 1000 )) s"
echo
echo "$header mark |"
echo "$rule---|"
row "installation: logs a run copies; attribute-report entries" size ""
row "ours: copies, backups, saves beyond ${R_ITEMS} × 250 ms" ours ""
row "mandated floor (same per-item work and trace lines)" mandated ""
row "ours / mandated floor" ratio "≤ 1.2"
row "per row beyond its pause, no copy (progress, status, drain, sleep, a trace line)" item ""
row "plain floor (no trace, no pauses, no window)" plain ""
row "copy throughput, MB/s" copy ""
row "attribute report per entry" report "≤ 20 µs"
row "peak memory (VmHWM of the Wine process)" hwm "≤ 1.5 × today's"
row "archive step: time per MB, compression" pack ""
row "gcab -z, same folder; ours / gcab time" gcab "≤ 2"
echo
echo "| today's sample | figure | mark |"
echo "|---|---|---|"
echo "| group 2 against the peer (xcopy + regedit /E) | $PEER | ≤ 1.0 × peer |"
echo "| both groups (Windows XP), beyond 119 × 250 ms | $XP | ≤ 1.2 × mandated, ≤ 1.0 × peer |"
echo "| one progress step on the dialog, repainted at once | shown: ${STEP_THEMED} ms with the prefix's theme (ThemeActive ${THEME_WAS:-1}), ${STEP_PLAIN} ms without; hidden: ${STEP_HIDDEN} ms | |"
echo "| start to the dialog shown (warm server), median of 5 | ${sm} ms | ≤ 300 ms $(awk -v v="$sm" 'BEGIN{print (v <= 300 ? "pass" : "**miss**")}') |"
echo "| import of five hives (Wine restores nothing) | ${im} ms | ≤ 1000 ms $(awk -v v="$im" 'BEGIN{print (v <= 1000 ? "pass" : "**miss**")}') |"
echo "| gathrix.exe | $size bytes ($(( size / 1024 )) KB) | ≤ 400 KB $(awk -v v="$size" 'BEGIN{print (v <= 409600 ? "pass" : "**miss**")}') |"
echo
echo "where the mandated floor's time went (today's sample, group 2, last run):"
echo "  $DETAIL"
