#!/usr/bin/env bash
# Runs a test program with a Secret Service of its own: started inside dbus-run-session by CTest,
# it gives gnome-keyring-daemon a home of its own, unlocks a keyring there and runs the program,
# so that no user's keyring is ever touched.
set -euo pipefail
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME=$work XDG_DATA_HOME=$work/data XDG_RUNTIME_DIR=$work/run
mkdir -p "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
printf 'a keyring of the test' | gnome-keyring-daemon --unlock --components=secrets >/dev/null
"$@"
