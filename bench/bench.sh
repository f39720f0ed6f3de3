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
# times and in pairs (the four programs back to back in each repetition, in
# an order that turns round from one repetition to the next):
#   floor   the I/O floor (reads the source twice, writes one formatted line
#           per source line; parses nothing),
#   phys    the physical limit, physlimit -s SOURCE OUT BYTES: reads the source
#           twice and safely replaces OUT by as many bytes as quillard writes
#           (temporary file, sync, rename, sync of the folder), as quillard
#           does itself,
#   q -n    quillard -n --no-backup SOURCE (one line count per pass on the
#           terminal),
#   q       quillard --no-backup SOURCE (a progress number per line and pass),
# each with its standard output sent to a file in the scratch directory, and
# prints the medians.  Output files are removed before every run, so that
# quillard never spends time backing up an earlier output.  Then the same
# for every example (EXREPS pairs of physlimit -s and quillard -n), and
# quillard --version against a C program that prints one line.
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
EXREPS=${EXREPS:-31}
IOFLOOR_SRC=${IOFLOOR_SRC:-}
PHYSLIMIT_SRC=${PHYSLIMIT_SRC:-}
EXAMPLES=${EXAMPLES:-}
CC=${CC:-cc}

# The scratch directory becomes the current one: make every path absolute.
abs() { [[ $1 == /* ]] && echo "$1" || echo "$PWD/$1"; }
QUILLARD_BIN=$(abs "$QUILLARD_BIN")
GENSRC=$(abs "$GENSRC")
RUNONE=$(abs "$RUNONE")
[[ -n "$IOFLOOR_SRC" ]] && IOFLOOR_SRC=$(abs "$IOFLOOR_SRC")
[[ -n "$PHYSLIMIT_SRC" ]] && PHYSLIMIT_SRC=$(abs "$PHYSLIMIT_SRC")
[[ -n "$EXAMPLES" ]] && EXAMPLES=$(abs "$EXAMPLES")
mkdir -p "$scratch"
cd "$scratch"

floor=""
if [[ -n "$IOFLOOR_SRC" && -r "$IOFLOOR_SRC" ]]; then
    "$CC" -O2 -o iofloor "$IOFLOOR_SRC"
    floor=./iofloor
else
    echo "note: no I/O floor source (IOFLOOR_SRC='$IOFLOOR_SRC'); floor columns are empty" >&2
fi
phys=""
if [[ -n "$PHYSLIMIT_SRC" && -r "$PHYSLIMIT_SRC" ]]; then
    "$CC" -O2 -o physlimit "$PHYSLIMIT_SRC"
    phys=$PWD/physlimit
else
    echo "note: no physical limit source (PHYSLIMIT_SRC='$PHYSLIMIT_SRC'); its columns are empty" >&2
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
os=$(. /etc/os-release 2>/dev/null && echo "$PRETTY_NAME" || true)
echo "Machine: $(nproc) CPUs, ${cpu:-unknown CPU}, ${os:-unknown OS}, $(uname -sr)"
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
    # The size of the picture, which physlimit writes too.
    rm -f "$tex" "src$n.org"
    "$QUILLARD_BIN" -n --no-backup "$src" > /dev/null
    outbytes=$(stat -c %s "$tex")
    for ((rep = 1; rep <= REPS; rep++)); do
        order="floor phys qn q"
        ((rep % 2 == 0)) && order="q qn phys floor"
        for prog in $order; do
            case $prog in
            floor)
                [[ -n $floor ]] || continue
                rm -f floor.tex
                run floor floor.out "$floor" "$src" floor.tex
                rm -f floor.tex
                ;;
            phys)
                [[ -n $phys ]] || continue
                rm -f phys.tex
                run phys phys.out "$phys" -s "$src" phys.tex "$outbytes"
                rm -f phys.tex
                ;;
            qn)
                rm -f "$tex" "src$n.org"
                run qn qn.out "$QUILLARD_BIN" -n --no-backup "$src"
                mv "$tex" qn.tex
                ;;
            q)
                rm -f "$tex" "src$n.org"
                run q q.out "$QUILLARD_BIN" --no-backup "$src"
                mv "$tex" q.tex
                ;;
            esac
        done
        if ! cmp -s q.tex qn.tex; then
            echo "bench: quillard and quillard -n wrote different pictures for N=$n" >&2
            exit 1
        fi
        rm -f q.tex qn.tex
    done
    srcbytes=$(stat -c %s "$src")
    tfl=-
    [[ -n $floor ]] && tfl=$(cut -d' ' -f1 floor.times | median)
    tph=-
    [[ -n $phys ]] && tph=$(cut -d' ' -f1 phys.times | median)
    tqn=$(cut -d' ' -f1 qn.times | median)
    tqq=$(cut -d' ' -f1 q.times | median)
    mqn=$(cut -d' ' -f2 qn.times | median)
    mqq=$(cut -d' ' -f2 q.times | median)
    tq[$n]=$tqn
    rows+=("$(awk -v n="$n" -v sb="$srcbytes" -v ob="$outbytes" -v tf="$tfl" -v tp="$tph" \
        -v tn="$tqn" -v tq="$tqq" -v mn="$mqn" -v mq="$mqq" 'BEGIN {
        fr = (tf == "-") ? "-" : sprintf("%.2f", tn / tf)
        ft = (tf == "-") ? "-" : sprintf("%.4f", tf)
        pr = (tp == "-") ? "-" : sprintf("%.2f", tn / tp)
        pt = (tp == "-") ? "-" : sprintf("%.4f", tp)
        printf "| %8d | %7.2f | %7.2f | %8s | %8s | %8.4f | %8.4f | %10.0f | %8.1f | %6.1f / %5.1f | %6s | %6s | %5.2f |\n",
            n, sb / 1e6, ob / 1e6, ft, pt, tn, tq, n / tn, ob / 1e6 / tn, mn / 1024, mq / 1024, fr, pr, tq / tn }')")
    rm -f "$src" ./*.out ./*.times
done

echo "|        N | src MB  | out MB  | floor s  | phys s   | q -n s   | q s      | lines/s    | out MB/s | RSS MiB -n / q | -n/fl  | -n/phys | q/-n  |"
echo "|---------:|--------:|--------:|---------:|---------:|---------:|---------:|-----------:|--------:|--------------:|-------:|-------:|------:|"
printf '%s\n' "${rows[@]}"

if [[ -n "${tq[100000]:-}" && -n "${tq[1000000]:-}" ]]; then
    awk -v a="${tq[100000]}" -v b="${tq[1000000]}" 'BEGIN {
        printf "\nTime per line of quillard -n, N = 10^6 over N = 10^5: %.2f\n", (b / 1e6) / (a / 1e5) }'
fi

# ------------------------------------------------------------- the examples

# exrun SOURCE: EXREPS pairs of physlimit -s and quillard -n in the folder of
# a copy of the example (its configuration file beside it); prints a row.
exrun() {
    local src=$1 name
    name=$(basename "${src%.*}")
    rm -rf ex && mkdir ex
    cp "$src" ex/
    [[ -r "$(dirname "$src")/.quillard" ]] && cp "$(dirname "$src")/.quillard" ex/
    (
        cd ex
        "$QUILLARD_BIN" -n --no-backup "$name.qld" > /dev/null || true
        local bytes rep
        bytes=$(stat -c %s "$name.tex")
        rm -f ./*.times
        for ((rep = 1; rep <= EXREPS; rep++)); do
            local first=phys second=qn
            ((rep % 2 == 0)) && first=qn second=phys
            for prog in $first $second; do
                rm -f "$name.tex" "$name.org" phys.tex
                if [[ $prog == phys ]]; then
                    run phys phys.out "$phys" -s "$name.qld" phys.tex "$bytes"
                else
                    # An example may carry errors on purpose: its exit status
                    # is not the benchmark's concern.
                    local res
                    res=$("$RUNONE" qn.out "$QUILLARD_BIN" -n --no-backup "$name.qld")
                    set -- $res
                    echo "$1 $2" >> qn.times
                fi
            done
        done
        local tp tn
        tp=$(cut -d' ' -f1 phys.times | median)
        tn=$(cut -d' ' -f1 qn.times | median)
        awk -v e="${src#"$EXAMPLES"/}" -v b="$bytes" -v tp="$tp" -v tn="$tn" 'BEGIN {
            printf "| %-24s | %7d | %8.5f | %8.5f | %6.2f |\n", e, b, tp, tn, tn / tp }'
    )
}

if [[ -n $phys && -n "$EXAMPLES" && -d "$EXAMPLES" ]]; then
    echo
    echo "Examples: $EXREPS paired repetitions of physlimit -s and quillard -n, medians"
    echo
    echo "| example                  | out B   | phys s   | q -n s   | -n/phys |"
    echo "|--------------------------|--------:|---------:|---------:|-------:|"
    while IFS= read -r ex; do
        exrun "$ex"
    done < <(find "$EXAMPLES" -name '*.qld' | sort)
    rm -rf ex

    # Start-up: quillard --version against a C program that prints one line.
    printf '#include <stdio.h>\nint main(void) { puts("quillard 1.25"); return 0; }\n' > hello.c
    "$CC" -O2 -o hello hello.c
    rm -f ./*.times
    for ((rep = 1; rep <= EXREPS; rep++)); do
        run hello hello.out ./hello
        run version version.out "$QUILLARD_BIN" --version
    done
    awk -v a="$(cut -d' ' -f1 hello.times | median)" -v b="$(cut -d' ' -f1 version.times | median)" 'BEGIN {
        printf "\nquillard --version %.5f s, a C program printing one line %.5f s: %.2f\n", b, a, b / a }'
    rm -f hello hello.c ./*.times ./*.out
fi
