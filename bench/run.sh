#!/usr/bin/env bash
# Times vantrel loading large rule files, and on large generated movies
# against a plain sequential read of the same file. Not a test: nothing here
# passes or fails on a time.
#
#   bench/run.sh               5 runs of each case
#   RUNS=9 bench/run.sh        more runs
#   RULE_COUNTS="1000" bench/run.sh   only some rule files
#
# Movies and rule files are made once by vantrel-mkmovie under
# build/bench/data and reused; each timed run patches a fresh copy, made
# before the clock starts.
set -euo pipefail
cd "$(dirname "$0")/.."

RUNS=${RUNS:-5}
RULE_COUNTS=${RULE_COUNTS:-"1000 100000 1000000"}
build=build/bench
data=$build/data

cmake --preset bench >/dev/null
cmake --build --preset bench >/dev/null
mkmovie=$build/tests/vantrel-mkmovie
benchrun=$build/bench/vantrel-benchrun
vantrel=$build/cli/vantrel
mkdir -p "$data"

# name references megabytes
movies=("quarter 250000 20" "big 1000000 80")
for movie_case in "${movies[@]}"; do
  read -r name references megabytes <<<"$movie_case"
  if [ ! -f "$data/$name.qlm" ]; then
    "$mkmovie" bench-movie "$data/$name.qlm" "$references" "$megabytes" >"$data/$name.info"
  fi
done
for count in $RULE_COUNTS 1000000; do
  [ -f "$data/rules-$count.dat" ] || "$mkmovie" bench-rules "$data/rules-$count.dat" "$count"
done
[ -f "$data/empty.qlm" ] || "$mkmovie" bench-movie "$data/empty.qlm" 0 0 >/dev/null
# Hostile rule files: one record stretched over 200 MB of blanks, and one
# whose number is 200 MB of digits.
hostile=200000000
[ -f "$data/blank-record.dat" ] ||
  { printf -- '-ABCD'; head -c "$hostile" /dev/zero | tr '\0' ' '; printf '1 2 3\n'; } >"$data/blank-record.dat"
[ -f "$data/long-number.dat" ] ||
  { printf -- '-ABCD 1 '; head -c "$hostile" /dev/zero | tr '\0' '7'; printf ' 3\n'; } >"$data/long-number.dat"

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
maximum() { sort -g | tail -n 1; }

# Loading the rules: the whole process, on a movie without chunks, so that
# its time is the rule file's. The loader runs on one thread.
printf '%-26s %10s %9s %9s %9s %8s\n' "rule file" size "median s" "cpu s" "MB/s" "peak MiB"
for rules in rules-1000000 blank-record long-number; do
  : >"$data/times"
  for _ in $(seq "$RUNS"); do
    "$benchrun" "$data/times" "$vantrel" --quiet --rules "$data/$rules.dat" "$data/empty.qlm" \
      >/dev/null 2>"$data/err" </dev/null
  done
  if [ -s "$data/err" ] || awk '$3 != 0 { bad = 1 } END { exit !bad }' "$data/times"; then
    echo "bench: loading $rules.dat failed: $(cat "$data/err")" >&2
    exit 1
  fi
  size=$(stat -c %s "$data/$rules.dat")
  load_time=$(awk '{ print $1 }' "$data/times" | median)
  printf '%-26s %10s %9.4f %9.4f %9.1f %8.1f\n' "$rules.dat" "$size" "$load_time" \
    "$(awk '{ print $4 }' "$data/times" | median)" "$(echo "$size $load_time" | awk '{ print $1 / $2 / 1e6 }')" \
    "$(awk '{ print $2 / 1024 }' "$data/times" | maximum)"
done
echo

printf '%-8s %10s %9s %-22s %11s %11s %8s\n' movie size refs case "median s" "x read" "peak MiB"
for movie_case in "${movies[@]}"; do
  read -r name references megabytes <<<"$movie_case"
  movie=$data/$name.qlm
  expected=$(awk '{ print $4 }' "$data/$name.info")
  size=$(stat -c %s "$movie")

  : >"$data/times"
  for _ in $(seq "$RUNS"); do
    "$benchrun" "$data/times" dd if="$movie" of=/dev/null bs=64k status=none
  done
  read_time=$(awk '{ print $1 }' "$data/times" | median)
  printf '%-8s %10s %9s %-22s %11.4f %11s %8.1f\n' "$name" "$size" "$references" "sequential read (dd)" \
    "$read_time" "1.00" "$(awk '{ print $2 / 1024 }' "$data/times" | maximum)"

  reference_sum=""
  for count in $RULE_COUNTS; do
    : >"$data/times"
    for _ in $(seq "$RUNS"); do
      cp "$movie" "$data/work.qlm"
      "$benchrun" "$data/times" "$vantrel" --quiet --rules "$data/rules-$count.dat" "$data/work.qlm" \
        >/dev/null 2>"$data/err" </dev/null
    done
    # The runs must agree with the generator and with each other.
    "$vantrel" --quiet --dry-run --rules "$data/rules-$count.dat" "$movie" >"$data/out"
    fixed=$(awk '/found and fixed|would be fixed/ { print $NF }' "$data/out")
    sum=$(md5sum <"$data/work.qlm" | cut -d' ' -f1)
    [ -n "$reference_sum" ] || reference_sum=$sum
    if [ "$fixed" != "$expected" ] || [ "$sum" != "$reference_sum" ] || [ -s "$data/err" ]; then
      echo "bench: wrong result with $count rules on $name: $fixed fixes, expected $expected" >&2
      exit 1
    fi
    patch_time=$(awk '{ print $1 }' "$data/times" | median)
    peak=$(awk '{ print $2 / 1024 }' "$data/times" | maximum)
    printf '%-8s %10s %9s %-22s %11.4f %11.2f %8.1f\n' "$name" "$size" "$references" \
      "patch, $count rules" "$patch_time" "$(echo "$patch_time $read_time" | awk '{ print $1 / $2 }')" "$peak"
    if [ "$name" = big ] && [ "$count" = 100000 ]; then
      summary=$(echo "$patch_time $read_time $peak" |
        awk '{ printf "ratio patch (100,000 rules) / sequential read on the 80 MB movie: %.2f; peak memory %.1f MiB", $1 / $2, $3 }')
    fi
  done
done
rm -f "$data/work.qlm"
echo "${summary:-ratio: run with 100000 in RULE_COUNTS for the summary line}"
