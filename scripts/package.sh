#!/bin/sh
# Builds the Debian package of Quillory into build-package/ (CPack's DEB generator; the library
# dependencies come from dpkg-shlibdeps) and checks it with lintian.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLORY_TESTS=OFF \
  -DCMAKE_INSTALL_PREFIX=/usr
cmake --build build-package
(cd build-package && cpack -G DEB)
for deb in build-package/quillory_*.deb; do
  echo "== $deb ($(du -k "$deb" | cut -f1) KiB)"
  lintian --info "$deb" || true
done
