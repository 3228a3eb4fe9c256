#!/usr/bin/env bash
# Times vantrel loading large rule files, on large generated movies against
# a plain sequential read of the same file, a repair with --journal beside
# the plain one, a batch of 10,000 small movies in one process against cat
# of the same files, rules suggested from that batch against a dry run of
# it, and a hostile movie that it must refuse. Not a test:
# nothing here passes or fails on a time.
#
#   bench/run.sh               5 runs of each case
#   RUNS=9 bench/run.sh        more runs
#   RULE_COUNTS="1000" bench/run.sh   only some rule files
#
# Movies and rule files are made once by vantrel-mkmovie under
# build/bench/data and reused. Each timed run patches a fresh copy, made and
# synced to the disk before the clock starts: otherwise the run's own sync
# would pay for writing out the copy.
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
plainwalk=$build/bench/vantrel-plainwalk
vantrel=$build/cli/vantrel
mkdir -p "$data"

# name references megabytes bad-one-in: the dense movies fix a third of their
# references, the sparse one a thousandth, as most movies need.
movies=("dense20 250000 20 3" "dense80 1000000 80 3" "sparse80 1000000 80 1000")
for movie_case in "${movies[@]}"; do
  read -r name references megabytes bad_one_in <<<"$movie_case"
  if [ ! -f "$data/$name.qlm" ]; then
    "$mkmovie" bench-movie "$data/$name.qlm" "$references" "$megabytes" "$bad_one_in" \
      >"$data/$name.info"
  fi
done
for count in $RULE_COUNTS 100000 1000000; do
  [ -f "$data/rules-$count.dat" ] || "$mkmovie" bench-rules "$data/rules-$count.dat" "$count"
done
# The batch's list is written last, so a folder without it is unfinished.
if [ ! -f "$data/batch/list" ]; then
  rm -rf "$data/batch"
  mkdir -p "$data/batch"
  "$mkmovie" bench-batch "$data/batch" 10000 >"$data/batch.info"
fi
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
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

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

# The walk against a plain read of the same file and against the
# straightforward walk (bench/plain_walk.cpp: each word read with a seek
# and a read of its own through stdio). Each timed run reads the movie with
# dd right before it, so that both see the machine as busy as the other;
# the straightforward walk repairs a fresh copy with the smallest rule file,
# and must leave the same bytes as vantrel. A visit is a chunk record, a
# group element or a reference the walk reads; reads are the read system
# calls of one run, counted with strace, rule file included.
plain_rules=${RULE_COUNTS%% *}
dry_rules=$plain_rules
[[ " $RULE_COUNTS " == *" 100000 "* ]] && dry_rules=100000
# The read calls (read, pread64, readv, preadv) of one run of a command.
count_reads() {
  if ! command -v strace >/dev/null; then
    echo "-"
    return
  fi
  strace -c -f -o "$data/strace" "$@" >/dev/null 2>&1 </dev/null
  awk '$NF ~ /^(read|pread64|readv|preadv|preadv2)$/ { n += $4 } END { print n + 0 }' "$data/strace"
}
declare -A read_time read_cpu patch_time patch_cpu fixes peak reads visits dry_time plain_time
printf '%-9s %10s %8s %-24s %9s %8s %7s %10s %8s %6s %7s %8s\n' movie size fixes case "median s" \
  "cpu s" "x read" "visits/s" "ns/visit" reads "x plain" "peak MiB"
row() {  # movie fixes case times-file median visits reads x-plain
  local median=$5
  printf '%-9s %10s %8s %-24s %9.4f %8.4f %7s %10.3g %8.1f %6s %7s %8.1f\n' "$1" \
    "$(stat -c %s "$data/$1.qlm")" "$2" "$3" "$median" "$(awk '{ print $4 }' "$4" | median)" \
    "$(ratio "$median" "${read_time[$1]}")" "$(awk -v v="$6" -v t="$median" 'BEGIN { print v / t }')" \
    "$(awk -v v="$6" -v t="$median" 'BEGIN { print t * 1e9 / v }')" "$7" "$8" \
    "$(awk '{ print $2 / 1024 }' "$4" | maximum)"
}
for movie_case in "${movies[@]}"; do
  read -r name references _ _ <<<"$movie_case"
  movie=$data/$name.qlm
  expected=$(awk '{ print $4 }' "$data/$name.info")
  fixes[$name]=$expected

  : >"$data/read-times"
  reference_sum=""
  for count in $RULE_COUNTS; do
    : >"$data/times-$count"
    for _ in $(seq "$RUNS"); do
      "$benchrun" "$data/read-times" dd if="$movie" of=/dev/null bs=64k status=none
      cp "$movie" "$data/work.qlm"
      sync --data "$data/work.qlm"
      "$benchrun" "$data/times-$count" "$vantrel" --quiet --rules "$data/rules-$count.dat" \
        "$data/work.qlm" >/dev/null 2>"$data/err" </dev/null
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
    key=$name/$count
    patch_time[$key]=$(awk '{ print $1 }' "$data/times-$count" | median)
    patch_cpu[$key]=$(awk '{ print $4 }' "$data/times-$count" | median)
    peak[$key]=$(awk '{ print $2 / 1024 }' "$data/times-$count" | maximum)
    cp "$movie" "$data/work.qlm"
    reads[$key]=$(count_reads "$vantrel" --quiet --rules "$data/rules-$count.dat" "$data/work.qlm")
  done

  : >"$data/dry-times"
  : >"$data/plain-times"
  for _ in $(seq "$RUNS"); do
    "$benchrun" "$data/read-times" dd if="$movie" of=/dev/null bs=64k status=none
    "$benchrun" "$data/dry-times" "$vantrel" --quiet --dry-run --rules "$data/rules-$dry_rules.dat" \
      "$movie" >/dev/null 2>"$data/err" </dev/null
    "$benchrun" "$data/read-times" dd if="$movie" of=/dev/null bs=64k status=none
    cp "$movie" "$data/work.qlm"
    sync --data "$data/work.qlm"
    "$benchrun" "$data/plain-times" "$plainwalk" "$data/rules-$plain_rules.dat" "$data/work.qlm" \
      >"$data/plain-out" 2>>"$data/err" </dev/null
  done
  # chunks N elements N references N fixes N
  read -r _ chunks _ elements _ walked _ plain_fixed <"$data/plain-out"
  if [ "$plain_fixed" != "$expected" ] || [ "$(md5sum <"$data/work.qlm" | cut -d' ' -f1)" != "$reference_sum" ] ||
    [ -s "$data/err" ] || awk '$3 != 0 { bad = 1 } END { exit !bad }' "$data/dry-times" "$data/plain-times"; then
    echo "bench: the dry run or the straightforward walk went wrong on $name" >&2
    exit 1
  fi
  visits[$name]=$((chunks + elements + walked))
  read_time[$name]=$(awk '{ print $1 }' "$data/read-times" | median)
  read_cpu[$name]=$(awk '{ print $4 }' "$data/read-times" | median)
  dry_time[$name]=$(awk '{ print $1 }' "$data/dry-times" | median)
  plain_time[$name]=$(awk '{ print $1 }' "$data/plain-times" | median)
  reads[$name/dd]=$(count_reads dd if="$movie" of=/dev/null bs=64k status=none)
  reads[$name/dry]=$(count_reads "$vantrel" --quiet --dry-run --rules "$data/rules-$dry_rules.dat" "$movie")
  plain_ratio=$(ratio "${plain_time[$name]}" "${patch_time[$name/$plain_rules]}")

  row "$name" "" "sequential read (dd)" "$data/read-times" "${read_time[$name]}" "${visits[$name]}" \
    "${reads[$name/dd]}" ""
  for count in $RULE_COUNTS; do
    x=""
    [ "$count" = "$plain_rules" ] && x=$plain_ratio
    row "$name" "$expected" "patch, $count rules" "$data/times-$count" "${patch_time[$name/$count]}" \
      "${visits[$name]}" "${reads[$name/$count]}" "$x"
  done
  row "$name" "$expected" "--dry-run, $dry_rules rules" "$data/dry-times" "${dry_time[$name]}" \
    "${visits[$name]}" "${reads[$name/dry]}" ""
  row "$name" "$expected" "straightforward, $plain_rules" "$data/plain-times" "${plain_time[$name]}" \
    "${visits[$name]}" "-" "1.00"
done
rm -f "$data"/times-* "$data/dry-times" "$data/plain-times" "$data/plain-out" "$data/strace"
rm -f "$data/work.qlm"
echo

# Deriving rules: the damaged 80 MB movie against its repaired copy, beside
# one --dry-run of each. Derivation walks each movie once, compares the two
# files, then repairs the damaged one in memory and compares it again, so it
# should cost somewhat more than the two dry runs together.
good80=$data/dense80-good.qlm
if [ ! -f "$good80" ]; then
  cp "$data/dense80.qlm" "$data/good.tmp"
  "$vantrel" --quiet --rules "$data/rules-100000.dat" "$data/good.tmp" >/dev/null
  mv "$data/good.tmp" "$good80"
fi
: >"$data/dry-good-times"
: >"$data/dry-bad-times"
: >"$data/derive-times"
for _ in $(seq "$RUNS"); do
  "$benchrun" "$data/dry-good-times" "$vantrel" --quiet --dry-run --rules "$data/rules-100000.dat" \
    "$good80" >/dev/null </dev/null
  "$benchrun" "$data/dry-bad-times" "$vantrel" --quiet --dry-run --rules "$data/rules-100000.dat" \
    "$data/dense80.qlm" >/dev/null </dev/null
  "$benchrun" "$data/derive-times" "$vantrel" --derive-rules "$good80" "$data/dense80.qlm" \
    >"$data/derived.dat" 2>"$data/err" </dev/null
done
# The rules must repair the damaged movie into its good copy, byte for byte.
cp "$data/dense80.qlm" "$data/work.qlm"
"$vantrel" --quiet --rules "$data/derived.dat" "$data/work.qlm" >/dev/null
if ! grep -q '; 0 problems$' "$data/err" || ! cmp -s "$data/work.qlm" "$good80" ||
  awk '$3 != 0 { bad = 1 } END { exit !bad }' "$data/derive-times"; then
  echo "bench: the derived rules do not repair dense80: $(tail -n 1 "$data/err")" >&2
  exit 1
fi
rm -f "$data/work.qlm"
derive_time=$(awk '{ print $1 }' "$data/derive-times" | median)
dry_good=$(awk '{ print $1 }' "$data/dry-good-times" | median)
dry_bad=$(awk '{ print $1 }' "$data/dry-bad-times" | median)
derive_ratio=$(awk -v d="$derive_time" -v g="$dry_good" -v b="$dry_bad" 'BEGIN { printf "%.2f", d / (g + b) }')
derive_peak=$(awk '{ print $2 / 1024 }' "$data/derive-times" | maximum | awk '{ printf "%.1f", $1 }')
printf '%-36s %11s %9s\n' "dense80, good copy against damaged" "median s" "peak MiB"
printf '%-36s %11.4f %9.1f\n' "--dry-run of the good copy" "$dry_good" \
  "$(awk '{ print $2 / 1024 }' "$data/dry-good-times" | maximum)"
printf '%-36s %11.4f %9.1f\n' "--dry-run of the damaged copy" "$dry_bad" \
  "$(awk '{ print $2 / 1024 }' "$data/dry-bad-times" | maximum)"
printf '%-36s %11.4f %9.1f\n' "--derive-rules ($(wc -l <"$data/derived.dat") rules)" "$derive_time" "$derive_peak"
echo

# The journal: a repair with --journal beside the plain repair, run in
# turn on the same fresh copy, synced first (and the last run's journal
# removed), with 100,000 rules. Afterwards --undo must give back the
# original bytes.
declare -A journal_ratio journal_cpu_ratio journal_syncs
# Beside the wall time, the processor time: the journal's syncs wait for
# the disk, which on a shared machine swings most.
printf '%-9s %8s %-22s %11s %8s %9s %8s %9s %12s %6s\n' movie fixes case "median s" "x plain" "cpu s" \
  "x plain" "peak MiB" "journal MB" syncs
for name in sparse80 dense80; do
  movie=$data/$name.qlm
  : >"$data/times"
  : >"$data/journal-times"
  for _ in $(seq "$RUNS"); do
    cp "$movie" "$data/work.qlm"
    sync --data "$data/work.qlm"
    "$benchrun" "$data/times" "$vantrel" --quiet --rules "$data/rules-100000.dat" "$data/work.qlm" \
      >/dev/null 2>"$data/err" </dev/null
    cp "$movie" "$data/work.qlm"
    rm -f "$data/work.qlm.undo"
    sync --data "$data/work.qlm"
    sync --file-system "$data"
    "$benchrun" "$data/journal-times" "$vantrel" --quiet --journal --rules "$data/rules-100000.dat" \
      "$data/work.qlm" >/dev/null 2>>"$data/err" </dev/null
  done
  journal_size=$(stat -c %s "$data/work.qlm.undo")
  "$vantrel" --quiet --undo "$data/work.qlm" >"$data/out" 2>>"$data/err"
  # One more journaled repair, untimed, under strace: how many syncs it makes
  # (one a batch of fixes, the journal's folder's once, and the movie's).
  journal_syncs[$name]="?"
  if strace -o /dev/null true >/dev/null 2>&1; then
    cp "$movie" "$data/sync-work.qlm"
    strace -f -o "$data/syncs" -e trace=fsync,fdatasync "$vantrel" --quiet --journal \
      --rules "$data/rules-100000.dat" "$data/sync-work.qlm" >/dev/null 2>>"$data/err" </dev/null
    journal_syncs[$name]=$(grep -c 'sync(' "$data/syncs" || true)
    rm -f "$data/sync-work.qlm" "$data/sync-work.qlm.undo" "$data/syncs"
  fi
  if [ -s "$data/err" ] || [ -f "$data/work.qlm.undo" ] || ! cmp -s "$movie" "$data/work.qlm" ||
    awk '$3 != 0 { bad = 1 } END { exit !bad }' "$data/times" "$data/journal-times"; then
    echo "bench: the journal on $name: a run failed, or undo did not give the movie back" >&2
    head -n 5 "$data/err" >&2
    exit 1
  fi
  plain=$(awk '{ print $1 }' "$data/times" | median)
  journaled=$(awk '{ print $1 }' "$data/journal-times" | median)
  plain_cpu=$(awk '{ print $4 }' "$data/times" | median)
  journaled_cpu=$(awk '{ print $4 }' "$data/journal-times" | median)
  journal_ratio[$name]=$(ratio "$journaled" "$plain")
  journal_cpu_ratio[$name]=$(ratio "$journaled_cpu" "$plain_cpu")
  printf '%-9s %8s %-22s %11.4f %8s %9.4f %8s %9.1f %12s\n' "$name" "${fixes[$name]}" "patch" \
    "$plain" "1.00" "$plain_cpu" "1.00" "$(awk '{ print $2 / 1024 }' "$data/times" | maximum)" ""
  printf '%-9s %8s %-22s %11.4f %8s %9.4f %8s %9.1f %12.1f %6s\n' "$name" "${fixes[$name]}" \
    "patch --journal" "$journaled" "${journal_ratio[$name]}" "$journaled_cpu" \
    "${journal_cpu_ratio[$name]}" "$(awk '{ print $2 / 1024 }' "$data/journal-times" | maximum)" \
    "$(awk -v b="$journal_size" 'BEGIN { print b / 1e6 }')" "${journal_syncs[$name]}"
done
rm -f "$data/work.qlm" "$data/journal-times"
echo

# The batch: one vantrel process repairs every movie its list names, with
# 100,000 rules, so the cost of each movie's open, walk and close shows.
# Each run works on a fresh copy of the folder, synced before the clock
# starts; cat reads the originals right before it. The list's paths are
# relative to the folder, so both run inside it. A run changes only the
# movies with a bad reference (checked below), so copying those back
# freshens the copy: copying all 10,000 costs seconds on a busy machine.
root=$PWD
work=$data/batch-work
read -r _ batch_movies _ _ _ batch_size _ batch_fixes <"$data/batch.info"
expected="$batch_movies movies: $batch_movies repaired, 0 failed; $batch_fixes problems found and fixed"
rm -rf "$work"
cp -r "$data/batch" "$work"
: >"$data/read-times"
: >"$data/times"
for _ in $(seq "$RUNS"); do
  (cd "$data/batch" && "$root/$benchrun" "$root/$data/read-times" xargs -0 cat <list >/dev/null)
  (cd "$data/batch" && xargs -0 -r cp -t "$root/$work" <bad)
  sync --file-system "$work"
  (cd "$work" && "$root/$benchrun" "$root/$data/times" "$root/$vantrel" --quiet \
    --rules "$root/$data/rules-100000.dat" --null --files-from list \
    >"$root/$data/out" 2>"$root/$data/err" </dev/null)
  summary=$(tail -n 1 "$data/out")
  if [ "$summary" != "$expected" ] || [ -s "$data/err" ]; then
    echo "bench: wrong result on the batch: '$summary', expected '$expected'" >&2
    head -n 5 "$data/err" >&2
    exit 1
  fi
done
# The fixes must have reached the files, and changed no other movie; every
# timed command must have run to its end.
(cd "$work" && "$root/$vantrel" --quiet --dry-run --rules "$root/$data/rules-100000.dat" \
  --null --files-from list) >"$data/out" || true
summary=$(tail -n 1 "$data/out")
diff -rq "$data/batch" "$work" | LC_ALL=C sort >"$data/changed" || true
tr '\0' '\n' <"$data/batch/bad" | LC_ALL=C sort |
  awk -v a="$data/batch" -v b="$work" '{ print "Files " a "/" $0 " and " b "/" $0 " differ" }' \
    >"$data/expected-changed"
if [ "$summary" != "$batch_movies movies: $batch_movies read, 0 failed; 0 problems would be fixed" ] ||
  ! cmp -s "$data/changed" "$data/expected-changed" ||
  awk '$3 != 0 { bad = 1 } END { exit !bad }' "$data/times" "$data/read-times"; then
  echo "bench: wrong batch: '$summary' after the runs, $(wc -l <"$data/changed") movies changed" \
    "($(wc -l <"$data/expected-changed") expected), or a run failed" >&2
  exit 1
fi
rm -rf "$work" "$data/changed" "$data/expected-changed"
batch_read=$(awk '{ print $1 }' "$data/read-times" | median)
batch_time=$(awk '{ print $1 }' "$data/times" | median)
batch_rate=$(awk -v n="$batch_movies" -v t="$batch_time" 'BEGIN { printf "%.0f", n / t }')
batch_peak=$(awk '{ print $2 / 1024 }' "$data/times" | maximum | awk '{ printf "%.1f", $1 }')
# The processor time beside the wall time shows how long the run waited
# for the disk, mostly on the sync after each repaired movie.
printf '%-9s %10s %8s %-22s %11s %9s %9s %8s %9s\n' movies size fixes case "median s" "cpu s" \
  movies/s "x read" "peak MiB"
printf '%-9s %10s %8s %-22s %11.4f %9.4f %9.0f %8s %9.1f\n' "$batch_movies" "$batch_size" "" \
  "read (xargs -0 cat)" "$batch_read" "$(awk '{ print $4 }' "$data/read-times" | median)" \
  "$(awk -v n="$batch_movies" -v t="$batch_read" 'BEGIN { print n / t }')" "1.00" \
  "$(awk '{ print $2 / 1024 }' "$data/read-times" | maximum)"
printf '%-9s %10s %8s %-22s %11.4f %9.4f %9s %8s %9s\n' "$batch_movies" "$batch_size" "$batch_fixes" \
  "patch, 100000 rules" "$batch_time" "$(awk '{ print $4 }' "$data/times" | median)" "$batch_rate" \
  "$(ratio "$batch_time" "$batch_read")" "$batch_peak"
echo

# Rules suggested from the batch as an archive, with no good copy, beside a
# dry run of the same list with an empty rule file, which walks each movie
# the same way; both read the originals and write nothing. The whole batch,
# and its first 2,000 movies for the peak memory, which grows with the
# distinct tags, numbers and values, never with the movies.
: >"$data/empty.dat"
head -z -n 2000 "$data/batch/list" >"$data/list-2000"
suggest_rows=()
for list_case in "list $batch_movies" "list-2000 2000"; do
  read -r list count <<<"$list_case"
  listed=$root/$data/batch/$list
  [ "$list" = list ] || listed=$root/$data/$list
  : >"$data/suggest-times"
  : >"$data/suggest-dry-times"
  for _ in $(seq "$RUNS"); do
    (cd "$data/batch" && "$root/$benchrun" "$root/$data/suggest-dry-times" "$root/$vantrel" --quiet \
      --dry-run --rules "$root/$data/empty.dat" --null --files-from "$listed" >/dev/null </dev/null)
    (cd "$data/batch" && "$root/$benchrun" "$root/$data/suggest-times" "$root/$vantrel" \
      --suggest-rules --null --files-from "$listed" >"$root/$data/suggested.dat" \
      2>"$root/$data/err" </dev/null)
  done
  # The suggestions must find every bad reference of the batch and no other.
  (cd "$data/batch" && "$root/$vantrel" --quiet --dry-run --rules "$root/$data/suggested.dat" \
    --null --files-from list) >"$data/out" || true
  if [ "$list" = list ] && { ! grep -q '; 0 problems$' "$data/err" ||
    [ "$(tail -n 1 "$data/out")" != "$batch_movies movies: $batch_movies read, 0 failed; $batch_fixes problems would be fixed" ]; }; then
    echo "bench: the suggestions do not repair the batch: $(tail -n 1 "$data/err"); $(tail -n 1 "$data/out")" >&2
    exit 1
  fi
  if awk '$3 != 0 { bad = 1 } END { exit !bad }' "$data/suggest-dry-times"; then
    echo "bench: a dry run of the batch failed" >&2
    exit 1
  fi
  dry_time=$(awk '{ print $1 }' "$data/suggest-dry-times" | median)
  suggest_time=$(awk '{ print $1 }' "$data/suggest-times" | median)
  suggest_peak=$(awk '{ print $2 / 1024 }' "$data/suggest-times" | maximum | awk '{ printf "%.1f", $1 }')
  suggest_rows+=("$count $(wc -l <"$data/suggested.dat") $dry_time $suggest_time $suggest_peak \
$(awk '{ print $2 / 1024 }' "$data/suggest-dry-times" | maximum)")
done
printf '%-9s %-34s %11s %8s %9s\n' movies case "median s" "x dry" "peak MiB"
for row in "${suggest_rows[@]}"; do
  read -r count rules dry_time suggest_time suggest_peak dry_peak <<<"$row"
  printf '%-9s %-34s %11.4f %8s %9.1f\n' "$count" "--dry-run, no rules" "$dry_time" "1.00" "$dry_peak"
  printf '%-9s %-34s %11.4f %8s %9.1f\n' "$count" "--suggest-rules ($rules rules)" "$suggest_time" \
    "$(ratio "$suggest_time" "$dry_time")" "$suggest_peak"
done
read -r _ _ dry_all suggest_all _ _ <<<"${suggest_rows[0]}"
read -r _ _ _ _ suggest_peak_2000 _ <<<"${suggest_rows[1]}"
echo

# A hostile movie: one group of 65,536 entries that its index lists 32,768
# times, 2^31 element visits in 768 KB for a walk without a budget. It must
# be refused as not valid, unchanged, in about the time of reading it.
[ -f "$data/hostile.qlm" ] || "$mkmovie" hostile "$data/hostile.qlm" repeated-group
printf -- '-BMAP 7 1 2\n' >"$data/hostile.dat"
: >"$data/times"
for _ in $(seq "$RUNS"); do
  cp "$data/hostile.qlm" "$data/work.qlm"
  "$benchrun" "$data/times" "$vantrel" --quiet --rules "$data/hostile.dat" "$data/work.qlm" \
    >/dev/null 2>"$data/err" </dev/null
done
if ! grep -q "Not a valid QELM file" "$data/err" || ! cmp -s "$data/hostile.qlm" "$data/work.qlm" ||
  awk '$3 != 3 { bad = 1 } END { exit !bad }' "$data/times"; then
  echo "bench: the hostile movie was not refused unchanged: $(cat "$data/err")" >&2
  exit 1
fi
rm -f "$data/work.qlm"
hostile_time=$(awk '{ print $1 }' "$data/times" | median)
printf '%-26s %10s %9s %9s %8s\n' "hostile movie" size "median s" "cpu s" "peak MiB"
printf '%-26s %10s %9.4f %9.4f %8.1f\n' "repeated group (2^31)" "$(stat -c %s "$data/hostile.qlm")" \
  "$hostile_time" "$(awk '{ print $4 }' "$data/times" | median)" \
  "$(awk '{ print $2 / 1024 }' "$data/times" | maximum)"

echo
if [[ " $RULE_COUNTS " == *" 100000 "* ]]; then
  sparse=sparse80/100000
  dense=dense80/100000
  echo "80 MB movie, 100,000 rules:"
  echo "  sparse (${fixes[sparse80]} fixes): $(ratio "${patch_time[$sparse]}" "${read_time[sparse80]}") x its" \
    "sequential read (target: at most 4), a dry run $(ratio "${dry_time[sparse80]}" "${read_time[sparse80]}") x" \
    "(target 3.5); in processor time $(ratio "${patch_cpu[$sparse]}" "${read_cpu[sparse80]}") x"
  echo "  sparse: ${reads[$sparse]} reads in a repair (target: at most 700), $(awk -v v="${visits[sparse80]}" \
    -v t="${patch_time[$sparse]}" 'BEGIN { printf "%.1f", t * 1e9 / v }') ns a visit over" \
    "${visits[sparse80]} visits"
  echo "  dense (${fixes[dense80]} fixes): $(ratio "${patch_time[$dense]}" "${read_time[dense80]}") x its sequential read"
  awk -v d="${patch_time[$dense]}" -v s="${patch_time[$sparse]}" -v fd="${fixes[dense80]}" -v fs="${fixes[sparse80]}" \
    'BEGIN { printf "  dense over sparse: %.3f us more per fix (target: at most 0.5)\n", (d - s) * 1e6 / (fd - fs) }'
  echo "peak memory with 100,000 rules: ${peak[dense20/100000]} MiB on the 20 MB movie, ${peak[$dense]} MiB on the 80 MB one"
else
  echo "summary: run with 100000 in RULE_COUNTS for the 80 MB movie lines"
fi
echo "the straightforward walk with $plain_rules rules against the repair with the same rules:" \
  "$(ratio "${plain_time[sparse80]}" "${patch_time[sparse80/$plain_rules]}") x as long on sparse80 (target:" \
  "at least 40), $(ratio "${plain_time[dense80]}" "${patch_time[dense80/$plain_rules]}") x on dense80"
echo "deriving rules from the 80 MB pair: ${derive_time} s, $derive_ratio x the sum of one dry run of each" \
  "(target: at most 3), peak $derive_peak MiB"
echo "--journal, 100,000 rules: ${journal_ratio[sparse80]} x the plain repair on the sparse movie" \
  "(target 1.15), ${journal_ratio[dense80]} x on the dense one (target 1.3); in processor time" \
  "${journal_cpu_ratio[sparse80]} x and ${journal_cpu_ratio[dense80]} x; syncs of a journaled repair:" \
  "${journal_syncs[sparse80]} and ${journal_syncs[dense80]}"
echo "$batch_movies small movies in one process, 100,000 rules ($batch_fixes fixes):" \
  "$batch_rate movies/s, $(ratio "$batch_time" "$batch_read") x cat of the same files, peak $batch_peak MiB"
echo "suggesting rules from $batch_movies small movies: ${suggest_all} s, $(ratio "$suggest_all" "$dry_all") x a" \
  "dry run of the same list (at most 1.5 is the aim); peak $suggest_peak_2000 MiB over 2,000 movies"
echo "hostile movie of 2^31 element visits in 768 KB: refused as not valid in $hostile_time s"
