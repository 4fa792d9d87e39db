#!/usr/bin/env bash
# Builds the whole suite with AddressSanitizer and UndefinedBehaviorSanitizer into
# build-sanitize/ and runs it; any report fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
generator=()
command -v ninja >/dev/null 2>&1 && generator=(-G Ninja)
# Warnings are the plain build's business: the sanitizers' instrumentation makes the
# compiler see (and warn about) code paths of its own.
cmake -S . -B build-sanitize "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVORLANE_SANITIZE=ON -DVORLANE_WARNINGS_AS_ERRORS=OFF >/dev/null
cmake --build build-sanitize -j "$(nproc)"
# Qt and the X libraries keep some memory until exit on purpose: leaks are not checked here.
export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1:detect_stack_use_after_return=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export VORLANE_SIMULATE_SYSTEM=1 QT_QPA_PLATFORM=offscreen
ctest --test-dir build-sanitize --output-on-failure -j "$(nproc)" --timeout 900
