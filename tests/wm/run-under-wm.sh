#!/usr/bin/env bash
# Runs a program on a private X server (Xvfb) with openbox as its window
# manager, as a person's desktop would have one: window titles, frames and
# window-manager hints are then real. The server picks a free display itself.
# With --no-wm first, the server runs bare, as a desktop without a window
# manager would.
set -u
with_wm=1
if [ "${1:-}" = "--no-wm" ]; then
    with_wm=0
    shift
fi
displayfile=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$displayfile" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 1 100); do [ -s "$displayfile" ] && break; sleep 0.05; done
display=":$(cat "$displayfile")"
rm -f "$displayfile"
wm=
if [ "$with_wm" = 1 ]; then
    DISPLAY=$display openbox >/dev/null 2>&1 &
    wm=$!
    # The window manager is ready once it lists its clients on the root
    # window. openbox names itself (_NET_SUPPORTING_WM_CHECK) earlier, but a
    # window mapped before its client list appears is at times never managed.
    for _ in $(seq 1 100); do
        DISPLAY=$display xprop -root _NET_CLIENT_LIST_STACKING 2>/dev/null | grep -q "window id" && break
        sleep 0.05
    done
fi
DISPLAY=$display QT_QPA_PLATFORM=xcb "$@"
rc=$?
kill ${wm:+"$wm"} "$xvfb" 2>/dev/null
wait 2>/dev/null
exit $rc
