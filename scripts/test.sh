#!/bin/sh
# Installs what is missing, builds Quillory with its tests and runs every test.
# QUILLORY_SANITIZE=ON builds the suite with AddressSanitizer and UndefinedBehaviorSanitizer,
# QUILLORY_SANITIZE=thread with ThreadSanitizer;
# QUILLORY_WERROR=ON treats compiler warnings as errors (the CI run does).
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh
BUILD_DIR=${BUILD_DIR:-build-test}
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLORY_SANITIZE="${QUILLORY_SANITIZE:-OFF}" \
  -DQUILLORY_WERROR="${QUILLORY_WERROR:-OFF}"
cmake --build "$BUILD_DIR"
# The widget tests run on Qt's offscreen platform (set for them in tests/app), display or not.
cd "$BUILD_DIR"
ctest --output-on-failure -j2
