#!/usr/bin/env bash
# Runs a command inside a private desktop session, so that tests never touch the user's own:
# a D-Bus session bus of its own, an unlocked Secret Service (gnome-keyring) on that bus,
# and an Xvfb display. The command's exit status is this script's.
set -euo pipefail

if [ -z "${QUORVEL_TEST_SESSION:-}" ]; then
    export QUORVEL_TEST_SESSION=1
    exec dbus-run-session -- "$0" "$@" 2> >(grep -v 'Failed to set fd limit' >&2)
fi

work=$(mktemp -d /tmp/quorvel-session.XXXXXX)
xvfb_pid=""
cleanup() {
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 0700 -p "$XDG_RUNTIME_DIR"

# The keyring keeps its files under a home of its own; the login collection is created
# unlocked with a throw-away password, so no prompt is ever needed.
mkdir -p "$work/keyring-home"
eval "$(printf 'quorvel-test' | HOME="$work/keyring-home" XDG_DATA_HOME="$work/keyring-home/data" \
    gnome-keyring-daemon --daemonize --unlock --components=secrets)"
export GNOME_KEYRING_CONTROL

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb_pid=$!
# Generous: a loaded machine may be slow to start it.
deadline=$((SECONDS + 60))
until [ -s "$work/display" ] || [ "$SECONDS" -ge "$deadline" ]; do
    sleep 0.05
done
export DISPLAY=":$(cat "$work/display")"

status=0
"$@" || status=$?
exit "$status"
