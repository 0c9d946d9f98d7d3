#!/bin/sh
# Installs what is missing, builds the benchmarks and runs them.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh
# The delivery benchmark measures msmtp and curl beside Quillory; both are plain clients.
if ! command -v msmtp >/dev/null || ! command -v curl >/dev/null; then
  apt-get update
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends msmtp curl
fi
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLORY_TESTS=OFF -DQUILLORY_BENCH=ON
cmake --build build-bench
# The sink that receives the delivered mail is Postfix's smtp-sink, taken out of the package into the
# build folder: no mail server is installed or started on the machine.
tools="$PWD/build-bench/tools"
if [ ! -x "$tools/smtp-sink" ]; then
  mkdir -p "$tools/download"
  (cd "$tools/download" && { apt-get download postfix || { apt-get update && apt-get download postfix; }; })
  dpkg-deb -x "$tools"/download/postfix_*.deb "$tools/postfix"
  cat >"$tools/smtp-sink" <<WRAPPER
#!/bin/sh
LD_LIBRARY_PATH="$tools/postfix/usr/lib/postfix" exec "$tools/postfix/usr/sbin/smtp-sink" "\$@"
WRAPPER
  chmod +x "$tools/smtp-sink"
fi
export PATH="$tools:$PATH"
if [ -z "${DISPLAY:-}" ]; then export QT_QPA_PLATFORM=offscreen; fi
for bench in build-bench/bench/bench_*; do
  [ -f "$bench" ] && [ -x "$bench" ] || continue
  echo "== $(basename "$bench")"
  "$bench"
done
