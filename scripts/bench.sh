#!/bin/sh
# Installs what is missing, builds the benchmarks and runs them.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh
export PATH="$PATH:/usr/sbin"  # smtp-sink lives there
# The delivery benchmark sends to Postfix's smtp-sink and measures msmtp and curl beside Quillory.
if ! command -v smtp-sink >/dev/null || ! command -v msmtp >/dev/null || ! command -v curl >/dev/null; then
  echo "postfix postfix/main_mailer_type select No configuration" | debconf-set-selections
  apt-get update
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends postfix msmtp curl
fi
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLORY_TESTS=OFF -DQUILLORY_BENCH=ON
cmake --build build-bench
if [ -z "${DISPLAY:-}" ]; then export QT_QPA_PLATFORM=offscreen; fi
for bench in build-bench/bench/bench_*; do
  [ -f "$bench" ] && [ -x "$bench" ] || continue
  echo "== $(basename "$bench")"
  "$bench"
done
