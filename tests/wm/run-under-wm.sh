#!/usr/bin/env bash
# Runs a program on a private X server (Xvfb) with openbox as its window
# manager, as a person's desktop would have one: window titles, frames and
# window-manager hints are then real. The server picks a free display itself.
set -u
displayfile=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$displayfile" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 1 100); do [ -s "$displayfile" ] && break; sleep 0.05; done
display=":$(cat "$displayfile")"
rm -f "$displayfile"
DISPLAY=$display openbox >/dev/null 2>&1 &
wm=$!
# The window manager is ready once it names itself on the root window.
for _ in $(seq 1 100); do
    DISPLAY=$display xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
    sleep 0.05
done
DISPLAY=$display QT_QPA_PLATFORM=xcb "$@"
rc=$?
kill "$wm" "$xvfb" 2>/dev/null
wait 2>/dev/null
exit $rc
