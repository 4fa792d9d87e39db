#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and UndefinedBehaviorSanitizer)
# into build-fuzz/ and runs each for FUZZ_SECONDS (default 30) on a copy of its seed
# corpus in fuzz/corpus/<target>. Fails when a target finds a crash; the input that
# caused it is left in build-fuzz/crashes/.
# Usage: scripts/fuzz.sh [target ...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${FUZZ_SECONDS:-30}"
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(fuzz_registry_store fuzz_station_text fuzz_remote_command fuzz_listener_dispatch fuzz_discovery fuzz_database_location fuzz_date_rules fuzz_backup_restore fuzz_report_range)

generator=()
command -v ninja >/dev/null 2>&1 && generator=(-G Ninja)
if [ ! -f build-fuzz/CMakeCache.txt ]; then
  CC=clang CXX=clang++ cmake -S . -B build-fuzz "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVORLANE_FUZZ=ON -DVORLANE_BUILD_TESTS=OFF
fi
cmake --build build-fuzz -j "$(nproc)" --target "${targets[@]}"

mkdir -p build-fuzz/crashes
export QT_QPA_PLATFORM=offscreen VORLANE_SIMULATE_SYSTEM=1
failed=()
for target in "${targets[@]}"; do
  corpus="build-fuzz/corpus/$target"
  mkdir -p "$corpus"
  cp -n fuzz/corpus/"$target"/* "$corpus"/ 2>/dev/null || true
  log="build-fuzz/$target.log"
  if build-fuzz/fuzz/"$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -artifact_prefix="build-fuzz/crashes/$target-" "$corpus" >"$log" 2>&1; then
    echo "$target: $(grep -Eo 'Done [0-9]+ runs in [0-9]+ second' "$log" | tail -1 | sed 's/Done //; s/ second/ s/')"
  else
    echo "$target: CRASH (see $log and build-fuzz/crashes/)"
    tail -40 "$log"
    failed+=("$target")
  fi
done
[ ${#failed[@]} -eq 0 ] || { echo "fuzzing found faults in: ${failed[*]}" >&2; exit 1; }
