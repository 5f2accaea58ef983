#!/usr/bin/env bash
# make demo: Quillon beside two stand-in browsers (tools/browser-sim), in a
# folder of its own (build/demo) with its own hosts file, so that nothing of
# the person's system changes. The browsers visit a few sites on their own
# while Quillon's capture fills its lists; type other addresses into their
# address lines to see them arrive too. Closing Quillon ends the demo.
set -eu
build=${1:-build}
demo=$build/demo
rm -rf "$demo"
mkdir -p "$demo/etc" "$demo/run" "$demo/config/quillon" "$demo/data" "$demo/state" "$demo/program"
chmod 700 "$demo/run"
demo=$(cd "$demo" && pwd)
sim=$(cd "$build/tools/browser-sim" && pwd)

# The program keeps its files beside its executable: a copy of its own.
cp "$build/src/app/quillon" "$build/src/app/Quillon.a01" "$build/src/app/Quillon.n02" "$demo/program/"
printf '127.0.0.1\tlocalhost\n' >"$demo/etc/hosts"
printf '[Settings]\r\nHostsFolder=%s/etc\r\nCheckOnLine=0\r\nStartSplash=0\r\nAutoVerifyHosts=0\r\nAutoVerifyHostsQQD=0\r\n' "$demo" >"$demo/program/Quillon.ini"
cat >"$demo/config/quillon/registry.ini" <<INI
[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\App Paths\IEXPLORE.EXE]
@=$sim/iexplore
[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\App Paths\Netscape.exe]
@=$sim/netscape
INI

export XDG_RUNTIME_DIR=$demo/run XDG_CONFIG_HOME=$demo/config XDG_DATA_HOME=$demo/data XDG_STATE_HOME=$demo/state
if [ -z "${DISPLAY:-}" ]; then
    echo "make demo needs a desktop (DISPLAY is not set)" >&2
    exit 1
fi

"$sim/browser-sim" --as iexplore --url http://www.debian.org/ &
ie=$!
"$sim/browser-sim" --as netscape --url http://www.kernel.org/ &
ns=$!
trap 'kill $ie $ns $tour 2>/dev/null || true' EXIT

# A short tour: each browser goes to another site every few seconds.
python3 - "$XDG_RUNTIME_DIR/quillon-dde" <<'PY' &
import socket, struct, sys, time
folder = sys.argv[1]
def open_url(service, url):
    try:
        s = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        s.settimeout(5)
        s.connect(f"{folder}/{service}")
        def send(kind, ident, payload):
            s.sendall(struct.pack(">BII", kind, ident, len(payload)) + payload)
            head = s.recv(9)
            _, _, n = struct.unpack(">BII", head)
            while n > 0:
                n -= len(s.recv(n))
        send(1, 1, b"WWW_OpenURL")
        send(2, 2, f"{url},,0xFFFFFFFF,0x0,,,".encode())
        s.close()
    except OSError:
        pass
tour = {"iexplore": ["http://www.gnu.org/", "http://www.python.org/", "http://www.qt.io/", "http://www.sqlite.org/"],
        "netscape": ["http://www.mozilla.org/", "http://curl.se/", "http://www.openbsd.org/", "http://xkcd.com/"]}
time.sleep(4)
for step in range(4):
    for service, urls in tour.items():
        open_url(service, urls[step])
    time.sleep(4)
PY
tour=$!

"$demo/program/quillon"
