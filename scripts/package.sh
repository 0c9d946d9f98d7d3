#!/bin/sh
# Builds the Debian package of Quillory into build-package/ (CPack's DEB generator; the library
# dependencies come from dpkg-shlibdeps) and checks it with lintian.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh
# Debian's hardening flags (fortified functions, stack protector, read-only relocations bound now).
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLORY_TESTS=OFF \
  -DCMAKE_INSTALL_PREFIX=/usr \
  -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)"
cmake --build build-package
(cd build-package && cpack -G DEB)
for deb in build-package/quillory_*.deb; do
  echo "== $deb ($(du -k "$deb" | cut -f1) KiB)"
  lintian --info "$deb" || true
done
