#!/bin/sh
# Fails when a C++ file of the tree is not in the project's format (.clang-format); `clang-format -i`
# on the named files mends it.
set -eu
cd "$(dirname "$0")/.."
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror
