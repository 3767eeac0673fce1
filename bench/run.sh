#!/usr/bin/env bash
# Times marvento on large generated files: for each case the median wall time, the median CPU time
# (user + system) and the median peak memory (maximum resident set) over several runs, and the wall
# time per megabyte to show how the cost grows. The tool's runs are timed by bench/misura.py, the
# core's by Google Benchmark.
#
#   bench/run.sh [BUILD_DIR] [RUNS]     (defaults: build-perf next to bench/, 5 runs)
#
# Missing files are generated first into bench/data (or $MARVENTO_BENCH_DATA). MARVENTO_BENCH_CASI
# picks the sections (default "cli cartella core finestra run lista"); MARVENTO_CLI times another
# marvento-cli (an older build, say) in the cli section.
set -euo pipefail
QUI=$(cd "$(dirname "$0")" && pwd)
BUILD=$(cd "${1:-$QUI/../build-perf}" && pwd)
VOLTE=${2:-5}
DATI=${MARVENTO_BENCH_DATA:-$QUI/data}
export MARVENTO_BENCH_DATA=$DATI
CASI=${MARVENTO_BENCH_CASI:-cli cartella core finestra run lista}
CLI=${MARVENTO_CLI:-$BUILD/src/cli/marvento-cli}
NUCLEO=$BUILD/bench/marvento_bench_core
FINESTRA=$BUILD/bench/marvento_bench_finestra
USCITA=$(mktemp -d)
trap 'rm -rf "$USCITA"' EXIT

for programma in "$CLI" "$NUCLEO" "$FINESTRA"; do
    case "$programma" in
        "$NUCLEO") [[ " $CASI " == *" core "* ]] || continue ;;
        "$FINESTRA") [[ " $CASI " == *" finestra "* ]] || continue ;;
    esac
    [ -x "$programma" ] || { echo "manca $programma: cmake --build $BUILD --target marvento-cli marvento_bench_core marvento_bench_finestra" >&2; exit 2; }
done

mkdir -p "$DATI"
for mb in 10 50 100; do
    [ -f "$DATI/mes-$mb.mes" ] || python3 "$QUI/genera.py" mes "$DATI/mes-$mb.mes" --misure 500 --mb $mb
    [ -f "$DATI/rsz-$mb.rsz" ] || python3 "$QUI/genera.py" rsz "$DATI/rsz-$mb.rsz" --sezioni 1000 --mb $mb
done

mediana() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# misura LABEL MB COMMAND... [-- LABEL MB COMMAND...]: runs each command VOLTE times, in turn, and
# prints a line of medians for each, timed for the command's own process (bench/misura.py).
misura() {
    python3 "$QUI/misura.py" "$VOLTE" "$@" | tee -a "$USCITA/righe"
}

# crescita LABEL: how much more each size costs per megabyte than the largest, from the lines of
# misura for LABEL (the cost is to grow linearly: within 25 % at every size).
crescita() {
    grep -F "$1 " "$USCITA/righe" | awk -v nome="$1" '
        { mb[NR] = $(NF - 12); permb[NR] = $(NF - 1) }
        END {
            printf "%-34s per MB rispetto a %g MB:", nome, mb[NR]
            for (i = 1; i < NR; ++i) printf "  %g MB %+.0f %%", mb[i], (permb[i] / permb[NR] - 1) * 100
            printf "\n"
        }'
}

if [[ " $CASI " == *" cli "* ]]; then
echo "== marvento-cli: import, summary and both exports ($VOLTE runs, medians)"
# The three sizes of a file in turn, so that a host that changes speed meanwhile moves them alike.
for tipo in mes rsz; do
    casi=()
    for mb in 10 50 100; do
        [ ${#casi[@]} -eq 0 ] || casi+=(--)
        casi+=("marvento-cli $tipo" $mb "$CLI" $tipo "$DATI/$tipo-$mb.$tipo" --decimal-separator , \
            --detail "$USCITA/d$mb.txt" --summary "$USCITA/s$mb.txt")
    done
    misura "${casi[@]}"
done
crescita "marvento-cli mes"
crescita "marvento-cli rsz"

fi

if [[ " $CASI " == *" cartella "* ]]; then
echo "== marvento-cli: import, summary and both grids as one workbook (--workbook; $VOLTE runs, medians)"
for tipo in mes rsz; do
    casi=()
    for mb in 10 100; do
        [ ${#casi[@]} -eq 0 ] || casi+=(--)
        casi+=("marvento-cli $tipo --workbook" $mb "$CLI" $tipo "$DATI/$tipo-$mb.$tipo" --decimal-separator , \
            --workbook "$USCITA/c$mb.xlsx")
    done
    misura "${casi[@]}"
done

fi

if [[ " $CASI " == *" core "* ]]; then
echo "== core alone: import (file to both grids), export (both grids to their files)"
echo "   (wall is the benchmark's median per iteration; peak is the whole process's)"
for caso in ImportaMes ImportaRsz EsportaMes EsportaRsz; do
    for mb in 10 50 100; do
        /usr/bin/time -f "%M" -o "$USCITA/t" "$NUCLEO" --benchmark_filter="^$caso/$mb/" \
            --benchmark_repetitions="$VOLTE" --benchmark_format=csv > "$USCITA/csv" 2> /dev/null
        # The median row when there are repetitions, otherwise the one measurement.
        riga=$(grep '_median"' "$USCITA/csv" || grep "^\"$caso/$mb/" "$USCITA/csv" | head -1)
        wall=$(echo "$riga" | awk -F, '{ print $3 / 1000 }')
        cpu=$(echo "$riga" | awk -F, '{ print $4 / 1000 }')
        printf '%-34s %5s MB  wall %6.2f s  cpu %6.2f s  picco %5.0f MB  %6.2f ms/MB\n' "$caso" "$mb" \
            "$wall" "$cpu" "$(awk '{ print $1 / 1024 }' "$USCITA/t")" "$(awk -v w="$wall" -v m="$mb" 'BEGIN { print w * 1000 / m }')"
    done
done

fi

if [[ " $CASI " == *" finestra "* ]]; then
echo "== window, offscreen: dialog closed -> both grids painted; scroll steps of the detail table"
for mb in 10 50 100; do
    : > "$USCITA/finestra"
    for _ in $(seq "$VOLTE"); do
        "$FINESTRA" "$DATI/mes-$mb.mes" 2> /dev/null >> "$USCITA/finestra"
    done
    dipinto=$(sed -n 's/.*dipinto \([0-9.]*\) ms.*/\1/p' "$USCITA/finestra" | mediana)
    passo=$(sed -n 's/.*mediana \([0-9.]*\) ms.*/\1/p' "$USCITA/finestra" | mediana)
    massimo=$(sed -n 's/.*massimo \([0-9.]*\) ms.*/\1/p' "$USCITA/finestra" | mediana)
    printf '%-34s %5s MB  dipinto %6.0f ms  scorrimento %5.1f ms (massimo %5.1f ms)  %6.2f ms/MB\n' \
        "finestra .mes" "$mb" "$dipinto" "$passo" "$massimo" "$(awk -v w="$dipinto" -v m="$mb" 'BEGIN { print w / m }')"
done
fi

if [[ " $CASI " == *" run "* ]]; then
echo "== ten runs of 10 MB (one scenario, ten seeds): marvento-cli with both exports; the window"
for tipo in mes rsz; do
    run=()
    for seme in 01 02 03 04 05 06 07 08 09 10; do
        file="$DATI/run-$tipo/scenario_$seme.$tipo"
        if [ ! -f "$file" ]; then
            mkdir -p "$DATI/run-$tipo"
            if [ $tipo = mes ]; then dove=(--misure 500); else dove=(--sezioni 1000 --rete 1); fi
            python3 "$QUI/genera.py" $tipo "$file" "${dove[@]}" --mb 10 --seme "1$seme"
        fi
        run+=("$file")
    done
    misura "marvento-cli $tipo 10 run" 100 "$CLI" $tipo "${run[@]}" --decimal-separator , \
        --detail "$USCITA/d-run.txt" --summary "$USCITA/s-run.txt"
    : > "$USCITA/finestra"
    archi=()
    [ $tipo = rsz ] && archi=(--archi)
    for _ in $(seq "$VOLTE"); do
        "$FINESTRA" "${run[@]}" "${archi[@]}" 2> /dev/null >> "$USCITA/finestra"
    done
    dipinto=$(sed -n 's/.*dipinto \([0-9.]*\) ms.*/\1/p' "$USCITA/finestra" | mediana)
    printf '%-34s %5s MB  dipinto %6.0f ms\n' "finestra .$tipo 10 run" 100 "$dipinto"
done
fi

if [[ " $CASI " == *" lista "* ]]; then
echo "== a result list (.att) of travel times, 10 runs in 100 MB: marvento-cli rsz with both exports; the window"
lista="$DATI/att-100.att"
[ -f "$lista" ] || python3 "$QUI/genera.py" att "$lista" --sezioni 1000 --run 10 --mb 100
misura "marvento-cli rsz .att 10 run" 100 "$CLI" rsz "$lista" --decimal-separator , \
    --detail "$USCITA/d-att.txt" --summary "$USCITA/s-att.txt"
: > "$USCITA/finestra"
for _ in $(seq "$VOLTE"); do
    "$FINESTRA" "$lista" --archi 2> /dev/null >> "$USCITA/finestra"
done
dipinto=$(sed -n 's/.*dipinto \([0-9.]*\) ms.*/\1/p' "$USCITA/finestra" | mediana)
printf '%-34s %5s MB  dipinto %6.0f ms\n' "finestra .att 10 run" 100 "$dipinto"
fi
