#!/usr/bin/env bash
# The Quillard throughput benchmark.  Normally run through the build:
#
#   cmake --build build --target bench
#
# which sets the variables below.  By hand:
#
#   QUILLARD_BIN=build/quillard GENSRC=build/bench/quillard_gensrc \
#   RUNONE=build/bench/quillard_runone bash bench/bench.sh SCRATCH_DIR
#
# For each size N it generates a source of N lines (seed 1), then runs, REPS
# times and in pairs (the three programs back to back in each repetition):
#   floor   the I/O floor (reads the source twice, writes one formatted line
#           per source line; parses nothing),
#   q -n    quillard -n SOURCE (one line count per pass on the terminal),
#   q       quillard SOURCE (a progress number per line and pass),
# each with its standard output sent to a file in the scratch directory, and
# prints the medians.  Output files are removed before every run, so that
# quillard never spends time backing up an earlier output.
set -euo pipefail
# The binary comes in QUILLARD_BIN: QUILLARD names the configuration directory
# of the program itself and is left unset for the runs.
unset QUILLARD

scratch=${1:?usage: bench.sh SCRATCH_DIR}
: "${QUILLARD_BIN:?set QUILLARD_BIN to the quillard binary}"
: "${GENSRC:?set GENSRC to the quillard_gensrc binary}"
: "${RUNONE:?set RUNONE to the quillard_runone binary}"
SIZES=${SIZES:-"1000 10000 100000 1000000"}
REPS=${REPS:-5}
IOFLOOR_SRC=${IOFLOOR_SRC:-}
CC=${CC:-cc}

# The scratch directory becomes the current one: make every path absolute.
abs() { [[ $1 == /* ]] && echo "$1" || echo "$PWD/$1"; }
QUILLARD_BIN=$(abs "$QUILLARD_BIN")
GENSRC=$(abs "$GENSRC")
RUNONE=$(abs "$RUNONE")
[[ -n "$IOFLOOR_SRC" ]] && IOFLOOR_SRC=$(abs "$IOFLOOR_SRC")
mkdir -p "$scratch"
cd "$scratch"

floor=""
if [[ -n "$IOFLOOR_SRC" && -r "$IOFLOOR_SRC" ]]; then
    "$CC" -O2 -o iofloor "$IOFLOOR_SRC"
    floor=./iofloor
else
    echo "note: no I/O floor source (IOFLOOR_SRC='$IOFLOOR_SRC'); floor columns are empty" >&2
fi

median() { sort -g | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

# run LABEL STDOUT_FILE COMMAND...: one measured run; appends "secs kib" to LABEL.times
run() {
    local label=$1 sink=$2
    shift 2
    local res
    res=$("$RUNONE" "$sink" "$@")
    set -- $res
    if [[ $3 != 0 ]]; then
        echo "bench: '$label' exited with status $3" >&2
        exit 1
    fi
    echo "$1 $2" >> "$label.times"
    rm -f "$sink"
}

cpu=$(grep -m1 'model name' /proc/cpuinfo | sed 's/.*: //' || true)
echo "Machine: $(nproc) CPUs, ${cpu:-unknown CPU}, $(uname -sr)"
echo "Quillard: $QUILLARD_BIN; $REPS paired repetitions per size; medians below"
echo

rows=()
declare -A tq
for n in $SIZES; do
    src=src$n.qld
    tex=src$n.tex
    "$GENSRC" "$n" 1 "$src"
    rm -f ./*.times
    outbytes=0
    for ((rep = 1; rep <= REPS; rep++)); do
        if [[ -n $floor ]]; then
            rm -f floor.tex
            run floor floor.out "$floor" "$src" floor.tex
        fi
        rm -f "$tex" "src$n.org"
        run qn qn.out "$QUILLARD_BIN" -n "$src"
        outbytes=$(stat -c %s "$tex")
        cp "$tex" qn.tex
        rm -f "$tex" "src$n.org"
        run q q.out "$QUILLARD_BIN" "$src"
        if ! cmp -s "$tex" qn.tex; then
            echo "bench: quillard and quillard -n wrote different pictures for N=$n" >&2
            exit 1
        fi
        rm -f "$tex" qn.tex floor.tex
    done
    srcbytes=$(stat -c %s "$src")
    tfl=-
    [[ -n $floor ]] && tfl=$(cut -d' ' -f1 floor.times | median)
    tqn=$(cut -d' ' -f1 qn.times | median)
    tqq=$(cut -d' ' -f1 q.times | median)
    mqn=$(cut -d' ' -f2 qn.times | median)
    mqq=$(cut -d' ' -f2 q.times | median)
    tq[$n]=$tqn
    rows+=("$(awk -v n="$n" -v sb="$srcbytes" -v ob="$outbytes" -v tf="$tfl" -v tn="$tqn" \
        -v tq="$tqq" -v mn="$mqn" -v mq="$mqq" 'BEGIN {
        fr = (tf == "-") ? "-" : sprintf("%.2f", tn / tf)
        ft = (tf == "-") ? "-" : sprintf("%.4f", tf)
        printf "| %8d | %7.2f | %7.2f | %8s | %8.4f | %8.4f | %10.0f | %8.1f | %6.1f / %5.1f | %6s | %5.2f |\n",
            n, sb / 1e6, ob / 1e6, ft, tn, tq, n / tn, ob / 1e6 / tn, mn / 1024, mq / 1024, fr, tq / tn }')")
    rm -f "$src" ./*.out ./*.times
done

echo "|        N | src MB  | out MB  | floor s  | q -n s   | q s      | lines/s    | out MB/s | RSS MiB -n / q | -n/fl  | q/-n  |"
echo "|---------:|--------:|--------:|---------:|---------:|---------:|-----------:|--------:|--------------:|-------:|------:|"
printf '%s\n' "${rows[@]}"

if [[ -n "${tq[100000]:-}" && -n "${tq[1000000]:-}" ]]; then
    awk -v a="${tq[100000]}" -v b="${tq[1000000]}" 'BEGIN {
        printf "\nTime per line of quillard -n, N = 10^6 over N = 10^5: %.2f\n", (b / 1e6) / (a / 1e5) }'
fi
