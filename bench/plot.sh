#!/usr/bin/env bash
# Draws vireo-bench's results as an SVG bar chart: every variant that writes a
# file, by its MB/s of output (log scale), each bar labelled with its ratio to
# the write limit measured in the same run.
# Usage: bench/plot.sh RESULTS.json [OUT.svg]
#   RESULTS.json  the output of vireo-bench --json (- for standard input)
#   OUT.svg       where the chart goes (default bench/throughput.svg)
# Needs gnuplot (scripts/packages.sh bench) and python3.
set -euo pipefail
[ $# -ge 1 ] || { echo "usage: bench/plot.sh RESULTS.json [OUT.svg]" >&2; exit 2; }
results="$1"
out="${2:-$(dirname "$0")/throughput.svg}"
command -v gnuplot >/dev/null || { echo "plot.sh: gnuplot is missing (scripts/packages.sh bench)" >&2; exit 1; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
if [ "$results" = - ]; then cat > "$work/results.json"; else cp "$results" "$work/results.json"; fi

# One line a variant: label, MB/s, ratio to the limit; then the title.
python3 - "$work/results.json" "$work/bars.tsv" "$work/title.txt" <<'PY'
import json, sys
results = json.load(open(sys.argv[1]))
with open(sys.argv[2], "w") as bars:
    variants = results["variants"]
    for key in results.get("variant_order", sorted(variants)):
        v = variants[key]
        if "mb_per_second" not in v:
            continue  # the host loop alone writes no file
        bars.write(f'{v["label"]}\t{v["mb_per_second"]:.1f}\t{v["ratio_to_limit"]:.2f}\n')
with open(sys.argv[3], "w") as title:
    title.write(f'vireo-bench: {results["claims"]:,} claims, {results["bytes_per_file"] / 1e6:.1f} MB per file, '
                f'median of {results["runs"]} runs ({results["build_type"]}, {results["cpus"]} CPUs)')
PY

gnuplot <<EOF
set terminal svg size 960,540 dynamic font 'sans,12' background rgb 'white'
set output '$out'
set datafile separator "\t"
set title "$(cat "$work/title.txt")"
set style data histograms
set style histogram clustered gap 1
set style fill solid 0.85 border rgb '#2f4f6f'
set boxwidth 0.8
set logscale y
set yrange [1:*]
set ylabel 'MB/s of output (log scale); label: x the write limit'
set grid ytics lc rgb '#dddddd'
set xtics rotate by -35 left nomirror
set ytics nomirror
set bmargin 9
set rmargin 8
plot '$work/bars.tsv' using 2:xtic(1) notitle lc rgb '#4a7ebb', \
     '' using 0:(\$2 * 1.25):(sprintf('%.2f x', \$3)) with labels notitle font 'sans,11'
EOF
echo "plot.sh: wrote $out"
