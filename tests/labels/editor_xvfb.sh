#!/usr/bin/env bash
# The data editor's typing, Tab and tool button tests at a real X server:
# Xvfb with openbox, the keys typed by xdotool through the server, the
# buttons' pictures read from the screen. Exit 77 (skipped) when a tool is
# missing. $1 is the labels_editor_tests program.
set -u
program=$1
for tool in Xvfb openbox xdotool xprop; do
  command -v "$tool" >/dev/null || { echo "editor_xvfb: skipped: $tool is not installed"; exit 77; }
done
dir=$(mktemp -d /tmp/varsona-xvfb.XXXXXX)
xvfb=
wm=
stop() {
  [ -n "$wm" ] && kill "$wm" 2>/dev/null
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$dir"
}
trap stop EXIT
# Xvfb picks a free display and tells it on a pipe.
exec 3>"$dir/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >"$dir/xvfb.log" 2>&1 &
xvfb=$!
for _ in $(seq 50); do [ -s "$dir/display" ] && break; sleep 0.1; done
exec 3>&-
display=$(head -n 1 "$dir/display")
[ -n "$display" ] || { echo "editor_xvfb: Xvfb did not start"; cat "$dir/xvfb.log"; exit 1; }
export DISPLAY=:$display
openbox --sm-disable >"$dir/openbox.log" 2>&1 &
wm=$!
# The window manager owns the screen before the first window maps.
for _ in $(seq 50); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
  sleep 0.1
done
mkdir -m 700 "$dir/runtime"
HOME=$dir XDG_RUNTIME_DIR=$dir/runtime QT_QPA_PLATFORM=xcb VARSONA_XDOTOOL=1 \
  timeout 240 "$program" --gtest_filter='LabelEditorTypingTest.*:LabelEditorPicturesTest.*'
rc=$?
[ $rc -eq 0 ] && echo "editor_xvfb: ok"
exit $rc
