#!/bin/sh
# Runs a test program inside a private D-Bus session with a keyring daemon of its own, unlocked,
# and a home folder of its own, so that the test never sees the user's keyring. Without
# dbus-run-session or gnome-keyring-daemon, or when the daemon does not start, the program still
# runs and is told why in QUILLORY_KEYRING_SKIP; it then skips its keyring tests.
set -u
if ! command -v dbus-run-session >/dev/null 2>&1 || ! command -v gnome-keyring-daemon >/dev/null 2>&1; then
  QUILLORY_KEYRING_SKIP="dbus-run-session or gnome-keyring-daemon is not installed" exec "$@"
fi
home=$(mktemp -d "${TMPDIR:-/tmp}/quillory-keyring-XXXXXX") || exit 1
trap 'rm -rf "$home"' EXIT
mkdir -m 700 "$home/run"
HOME=$home XDG_DATA_HOME=$home/data XDG_CONFIG_HOME=$home/config XDG_CACHE_HOME=$home/cache \
XDG_RUNTIME_DIR=$home/run dbus-run-session -- sh -c '
  # The daemon reads the new login keyring'"'"'s password on its standard input and unlocks it.
  if printf "%s" quillory-test | gnome-keyring-daemon --unlock --components=secrets >/dev/null 2>"$HOME/daemon.log"
  then
    QUILLORY_PRIVATE_KEYRING=1 exec "$@"
  fi
  QUILLORY_KEYRING_SKIP="gnome-keyring-daemon did not start: $(cat "$HOME/daemon.log")" exec "$@"
' sh "$@"
