#!/bin/sh
# Installs the Debian 12 packages Quillory needs to build, run and test, when any is missing.
set -eu
PACKAGES="build-essential cmake ninja-build pkg-config qt6-base-dev libgl-dev qt6-qpa-plugins \
libgtest-dev libgmock-dev libbenchmark-dev libssl-dev python3 python3-aiosmtpd python3-cryptography dovecot-imapd shared-mime-info xvfb xauth clang-format git \
qtkeychain-qt6-dev libsecret-1-0 gnome-keyring dbus-daemon \
qt6-translations-l10n desktop-file-utils appstream dpkg-dev file lintian \
libhunspell-dev hunspell-cs"
missing=""
for p in $PACKAGES; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  echo "Installing:$missing"
  apt-get update
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $missing
fi
