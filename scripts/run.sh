#!/bin/sh
# Installs what is missing, builds Quillory and starts it.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLORY_TESTS=OFF
cmake --build build --target quillory
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: starting Quillory on a virtual X display (xvfb-run)."
  exec xvfb-run -a -s "-screen 0 1280x1024x24" ./build/app/quillory
fi
exec ./build/app/quillory
