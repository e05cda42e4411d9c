#!/usr/bin/env bash
# Regenerates the tables of BENCHMARKS.md: our solvers against the plain reference ones, run after
# run on the same instances, medians of several runs. Usage: bench/run-benchmarks.sh [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-3}

# A build folder of its own, so that a developer's build is left alone.
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DKOMIWOJAZER_BUILD_BENCH=ON >/dev/null
cmake --build build-bench -j "$(getconf _NPROCESSORS_ONLN)" --target komiwojazer-bench >/dev/null
bench=./build-bench/bench/komiwojazer-bench
full_scan=(--incremental-from 4294967295)

# value KEY OUTPUT: the value of one key=value line.
value() { printf '%s\n' "$2" | sed -n "s/^$1=//p"; }

# median KEY RUNS COMMAND...: the median of KEY over RUNS runs of the command.
median() {
    local key=$1 count=$2
    shift 2
    for _ in $(seq "$count"); do value "$key" "$("$@")"; done | sort -g |
        awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}

same() { [ "$1" = "$2" ] && echo yes || echo "NO"; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.0f", a / (b > 0 ? b : 1e-6) }'; }

echo "## Tabu search (tenure 40, no diversification), iterations per processor second"
echo
echo "| instance | ours | plain | speed-up | same best route after the plain run's iterations |"
echo "|---|---:|---:|---:|---|"
for row in "50 200000 2000" "100 100000 400" "200 50000 40" "400 20000 8" "900 10000 2"; do
    read -r n ours_iterations plain_iterations <<<"$row"
    instance=rand:$n:1
    ours=$(median iterations_per_s "$runs" $bench tabu "$instance" "$ours_iterations")
    plain=$(median iterations_per_s 1 $bench tabu "$instance" "$plain_iterations" --plain)
    a=$($bench tabu "$instance" "$plain_iterations")
    b=$($bench tabu "$instance" "$plain_iterations" --plain)
    printf '| %s | %.0f | %.0f | %sx | %s |\n' "$instance" "$ours" "$plain" \
        "$(ratio "$ours" "$plain")" "$(same "$(value route "$a")" "$(value route "$b")")"
done
echo

echo "## Tabu search: the incremental neighbourhood against the full scan"
echo
echo "| instance | diversification | incremental [it/s] | full scan [it/s] | speed-up | same best route |"
echo "|---|---|---:|---:|---:|---|"
for row in "100 100000" "171 50000" "200 50000" "400 20000" "900 10000"; do
    read -r n iterations <<<"$row"
    for diversification in off on; do
        flags=()
        [ "$diversification" = on ] && flags=(--diversification 1)
        instance=rand:$n:1
        incremental=$(median iterations_per_s "$runs" $bench tabu "$instance" "$iterations" \
            ${flags[@]+"${flags[@]}"} --incremental-from 0)
        full=$(median iterations_per_s "$runs" $bench tabu "$instance" "$iterations" \
            ${flags[@]+"${flags[@]}"} "${full_scan[@]}")
        a=$($bench tabu "$instance" "$iterations" ${flags[@]+"${flags[@]}"} --incremental-from 0)
        b=$($bench tabu "$instance" "$iterations" ${flags[@]+"${flags[@]}"} "${full_scan[@]}")
        printf '| %s | %s | %.0f | %.0f | %.1fx | %s |\n' "$instance" "$diversification" \
            "$incremental" "$full" "$(awk -v a="$incremental" -v b="$full" 'BEGIN { print a / b }')" \
            "$(same "$(value route "$a")" "$(value route "$b")")"
    done
done
echo

echo "## Tabu search: the timed path of choice 5 against a fixed iteration count"
echo
echo "| instance | diversification | timed [it/s] | fixed [it/s] | timed / fixed |"
echo "|---|---|---:|---:|---:|"
for n in 5 20 34 100 171 400; do
    for diversification in off on; do
        flags=()
        [ "$diversification" = on ] && flags=(--diversification 1)
        # Each run times both ways back to back; the medians smooth out a noisy machine.
        outs=()
        for _ in $(seq "$runs"); do outs+=("$($bench tabu-time "rand:$n:1" 5 ${flags[@]+"${flags[@]}"})"); done
        of() { for out in "${outs[@]}"; do value "$1" "$out"; done | sort -g |
            awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
        printf '| rand:%s:1 | %s | %.0f | %.0f | %.3f |\n' "$n" "$diversification" \
            "$(of iterations_per_s)" "$(of fixed_iterations_per_s)" "$(of ratio)"
    done
done
echo

echo "## Branch and bound, processor seconds and memory"
echo
echo "| instance | ours [s] | plain [s] | speed-up | ours peak [MB] | plain peak [MB] | ours bytes per pushed node | expansions | same route and expansions |"
echo "|---|---:|---:|---:|---:|---:|---:|---:|---|"
# The plain search runs where it finishes in about a minute; seeds differ a lot in difficulty.
for case in 20:1:plain 20:2:plain 20:3:plain 24:1:plain 24:2:plain 24:3:plain 28:1:plain \
    28:2:ours 28:3:ours 30:1:ours 30:2:ours 32:1:ours 32:2:ours; do
    IFS=: read -r n seed which <<<"$case"
    instance=rand:$n:$seed
    ours_out=$($bench bb "$instance")
    ours=$(median cpu_s "$runs" $bench bb "$instance")
    if [ "$which" = plain ]; then
        plain_out=$($bench bb "$instance" --plain)
        plain=$(value cpu_s "$plain_out")
        printf '| %s | %.3f | %.2f | %sx | %.0f | %.0f | %.1f | %s | %s |\n' "$instance" "$ours" \
            "$plain" "$(ratio "$plain" "$ours")" "$(value peak_rss_mb "$ours_out")" \
            "$(value peak_rss_mb "$plain_out")" "$(value bytes_per_node "$ours_out")" \
            "$(value expansions "$ours_out")" \
            "$(same "$(value route "$ours_out") $(value expansions "$ours_out")" \
                "$(value route "$plain_out") $(value expansions "$plain_out")")"
    else
        printf '| %s | %.3f | not run | | %.0f | | %.1f | %s | |\n' "$instance" "$ours" \
            "$(value peak_rss_mb "$ours_out")" "$(value bytes_per_node "$ours_out")" \
            "$(value expansions "$ours_out")"
    fi
done
echo

echo "## Exhaustive search, processor seconds"
echo
echo "| instance | ours [s] | plain [s] | speed-up | same route |"
echo "|---|---:|---:|---:|---|"
for n in 9 10 11; do
    instance=rand:$n:1
    ours=$(median cpu_s "$runs" $bench bf "$instance")
    plain_out=$($bench bf "$instance" --plain)
    plain=$(value cpu_s "$plain_out")
    printf '| %s | %.4f | %.3f | %sx | %s |\n' "$instance" "$ours" "$plain" \
        "$(ratio "$plain" "$ours")" \
        "$(same "$(value route "$($bench bf "$instance")")" "$(value route "$plain_out")")"
done
