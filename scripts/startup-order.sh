#!/bin/sh
# Writes app/startup-order.txt: the program's own functions that run from launch to the main window's
# first paint, in both looks, as the linker's section names. The linker places them side by side, so
# the start reads a few pages of the program's code instead of nearly all of it.
#
#   sh scripts/startup-order.sh [build folder]   (default build-test; needs bench_startup, Xvfb and
#                                                  valgrind)
# Run it again when the start changes much; a stale list only places less of the start together.
set -eu
cd "$(dirname "$0")/.."
build=${1:-build-test}
bench="$PWD/$build/bench/bench_startup"
work=$(mktemp -d)
trap 'kill "$xvfb" 2>/dev/null; rm -rf "$work"' EXIT
Xvfb :93 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
mkdir -p "$work/plain" "$work/wood" "$work/config"
for n in 1 2 3 4 5 6 7 8; do printf 'text\r\n' >"$work/plain/blok$n.txt"; cp "$work/plain/blok$n.txt" "$work/wood/"; done
cp -r "$build/app/Skins" "$work/wood/Skins"
sleep 1
for look in plain wood; do
  DISPLAY=:93 XDG_CONFIG_HOME="$work/config" valgrind --tool=callgrind --dump-instr=no --demangle=no \
    --compress-strings=no --callgrind-out-file="$work/$look.out" "$bench" --child quillory "$work/$look" \
    >/dev/null 2>&1
done
python3 - "$work/plain.out" "$work/wood.out" >app/startup-order.txt <<'PY'
import re
import sys
names = set()
for path in sys.argv[1:]:
    own = False
    for line in open(path):
        if line.startswith("ob="):
            own = line.rstrip().endswith("/bench_startup")
        elif line.startswith("fn=") and own:
            name = line[3:].strip()
            if re.fullmatch(r"[A-Za-z_][A-Za-z0-9_.$]*", name):  # not "(below main)" nor an address
                names.add(name)
                # A constructor or destructor is reported by its complete-object name (C1, D1), an
                # alias of the base-object one (C2, D2) whose section holds the code.
                names.add(re.sub(r"([CD])1([EI])", r"\g<1>2\g<2>", name))
print(".text.startup.*")
for name in sorted(names):
    print(".text." + name)
PY
wc -l app/startup-order.txt
