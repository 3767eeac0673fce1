#!/usr/bin/env bash
# Builds the fuzz targets (clang, into build-fuzzer/) and runs each for the given number of seconds:
#   fuzz/run.sh SECONDS [TARGET...]     (targets by name without "fuzz_"; all when none is named)
# Each target starts from its seeds in fuzz/corpus/<target>/ and grows a working corpus in
# build-fuzzer/corpus/<target>/. A crash, sanitizer report, time-out (10 s) or memory beyond 2 GB
# stops the target and leaves the input as build-fuzzer/artifacts/<target>/crash-* (or leak-, timeout-, oom-).
# Prints executions and seconds per target; exits non-zero when any target found something.
set -uo pipefail
cd "$(dirname "$0")/.."
secondi=${1:?uso: fuzz/run.sh SECONDI [TARGET...]}
shift
build=${MARVENTO_FUZZ_BUILD:-build-fuzzer}
compilatore=$(command -v clang++-14 || command -v clang++)

if [ ! -f "$build/build.ninja" ]; then
  cmake -S fuzz -B "$build" -G Ninja -DCMAKE_CXX_COMPILER="$compilatore" >/dev/null || exit 1
fi
cmake --build "$build" -j2 >/dev/null || { cmake --build "$build" -j1; exit 1; }

if [ $# -eq 0 ]; then
  set -- $(cd fuzz && ls fuzz_*.cpp | sed 's/^fuzz_//; s/\.cpp$//')
fi

esito=0
printf '%-18s %14s %8s %8s\n' target executions seconds exec/s
for nome in "$@"; do
  corpus="$build/corpus/$nome"
  mkdir -p "$corpus" "$build/artifacts/$nome"
  log="$build/log-$nome.txt"
  # Seeds are read from the repository (and the real simulator files beside it, when present, for
  # the targets that read whole files); new inputs are kept in the working corpus only.
  semi=("fuzz/corpus/$nome")
  campioni=${MARVENTO_SAMPLES_DIR:-../shared/samples/real-en}
  case $nome in
    carica_righe|importa_*) [ -d "$campioni" ] && semi+=("$campioni") ;;
  esac
  "$build/fuzz_$nome" "$corpus" "${semi[@]}" \
    -max_total_time="$secondi" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$build/artifacts/$nome/" >"$log" 2>&1
  stato=$?
  esecuzioni=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  tempo=$(sed -n 's/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$log" | tail -1)
  [ -n "$tempo" ] || tempo=$secondi
  velocita=$(( ${esecuzioni:-0} / (tempo > 0 ? tempo : 1) ))
  printf '%-18s %14s %8s %8s' "$nome" "${esecuzioni:-?}" "$tempo" "$velocita"
  if [ $stato -ne 0 ]; then
    printf '  FOUND (exit %d, see %s)' $stato "$log"
    esito=1
  fi
  printf '\n'
done
exit $esito
