#!/usr/bin/env bash
# Starts the program under Xvfb with a fresh HOME and checks that it shows its
# main window. Exit 77 (skipped) when Xvfb is not installed.
set -u
program=$1
command -v xvfb-run >/dev/null || exit 77
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
out=$(HOME=$home XDG_CONFIG_HOME=$home/.config VARSONA_QUIT_AFTER_SHOW=1 QT_QPA_PLATFORM=xcb \
      timeout 40 xvfb-run -a "$program" 2>&1)
rc=$?
echo "$out"
[ $rc -eq 0 ] || { echo "varsona exited with $rc"; exit 1; }
grep -q "main window shown" <<<"$out" || { echo "no main window"; exit 1; }
[ -f "$home/.config/varsona/varsona.ini" ] || { echo "no settings file"; exit 1; }
grep -q "bctype=2" "$home/.config/varsona/varsona.ini" || { echo "settings file without bctype"; exit 1; }
echo "smoke: ok"
