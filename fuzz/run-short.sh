#!/usr/bin/env bash
# Builds the fuzz target with clang and runs it for about a minute over the
# seed corpus (made from the golden cases and the examples), after replaying
# every kept regression input.  Exits non-zero when libFuzzer finds a crash,
# a leak, a timeout or a broken invariant; the input is then left in
# $BUILD/artifacts/.
#
#   fuzz/run-short.sh [SECONDS]        (default 60; BUILD defaults to build-fuzz)
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
build=${BUILD:-build-fuzz}

need=()
command -v clang++ >/dev/null || need+=(clang)
command -v python3 >/dev/null || need+=(python3)
if [ ${#need[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "run-short.sh: needs ${need[*]}" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q "${need[@]}"
fi
cmake -S . -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQUILLARD_FUZZ=ON -DQUILLARD_TESTS=OFF >/dev/null
cmake --build "$build" --target quillard_fuzz -j2

fuzzer="$build/fuzz/quillard_fuzz"
mkdir -p "$build/corpus" "$build/seeds" "$build/artifacts"
python3 fuzz/make-seeds.py "$build/seeds"

# The kept inputs of earlier findings must all pass.
shopt -s nullglob
regressions=()
for f in fuzz/regressions/*; do
  [ "${f##*.}" = md ] || regressions+=("$f")
done
if [ ${#regressions[@]} -gt 0 ]; then
  "$fuzzer" -runs=1 "${regressions[@]}"
fi

"$fuzzer" "$build/corpus" "$build/seeds" \
  -dict=fuzz/quillard.dict -max_total_time="$seconds" -max_len=8192 -timeout=10 \
  -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix="$build/artifacts/"
