#!/usr/bin/env bash
# End-to-end check of the browser harness: the proxy, then for firefox-esr and
# chromium in turn
#   1. visit.py run: three URLs of three hosts, clean quit; a copy of the
#      history database must hold the three hosts, with visit times on the
#      right clock, and the seeded bookmark must still be there;
#   2. visit.py start/open/stop: the first visit must show up in a copy of
#      the database while the browser runs, the other two after the quit.
# The history is read here with python3's sqlite3 on copies of the files,
# independently of visit.py's own reader. Exits 0 only when every check
# passed; prints "N passed, N failed" last.
#
#   selfcheck.sh [--no-netns] [--keep]
# By default it runs in a private network namespace (loopback only) when it
# can, so that nothing can leave the machine whatever the browsers try.
# --keep leaves the temporary folder (profiles, logs) for a look.
set -u

here=$(cd "$(dirname "$0")" && pwd)
use_netns=1
keep=0
for arg in "$@"; do
    case $arg in
        --no-netns) use_netns=0 ;;
        --keep) keep=1 ;;
        *) echo "usage: $0 [--no-netns] [--keep]" >&2; exit 2 ;;
    esac
done

if [ "$use_netns" = 1 ] && [ "${QUILLON_SELFCHECK_NETNS:-}" != 1 ]; then
    if command -v unshare >/dev/null && command -v ip >/dev/null &&
            unshare -n true 2>/dev/null; then
        exec unshare -n env QUILLON_SELFCHECK_NETNS=1 bash "$0" "$@"
    fi
    echo "note: no private network namespace here; running without one"
fi
if [ "${QUILLON_SELFCHECK_NETNS:-}" = 1 ]; then
    ip link set lo up || exit 2
fi

for tool in firefox-esr chromium python3; do
    command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; exit 2; }
done

work=$(mktemp -d /tmp/quillon-browsers.XXXXXX)
proxy_pid=
started_profiles=()

cleanup() {
    local profile
    for profile in "${started_profiles[@]}"; do
        # A browser still running after a failed step: end it.
        if [ -e "$profile/quillon-visit.json" ]; then
            timeout -k 5 30 python3 "$here/visit.py" --timeout 10 stop "$profile" \
                >/dev/null 2>&1
        fi
    done
    if [ -n "$proxy_pid" ]; then
        kill -TERM "$proxy_pid" 2>/dev/null
        wait "$proxy_pid" 2>/dev/null
    fi
    if [ "$keep" = 1 ]; then
        echo "kept: $work"
    else
        rm -rf "$work"
    fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

passed=0
failed=0
check() {  # check NAME COMMAND...: runs the command, counts and reports it
    local name=$1
    shift
    if "$@"; then
        passed=$((passed + 1))
        echo "ok   - $name"
    else
        failed=$((failed + 1))
        echo "FAIL - $name"
    fi
}

now() { date +%s.%N; }
since() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.1f", b - a }'; }

quietly() { "$@" >/dev/null; }

visit() {  # visit.py with a hard limit on top of its own timeouts
    timeout -k 5 180 python3 "$here/visit.py" --timeout 60 "$@"
}

# Reads a copy of the browser's history database (db plus -wal / -journal,
# never -shm) and checks that each expected host has a visit whose time lies
# between FROM and TO (unix seconds; generous margins, it checks the clock
# base and not how fast anything is). Also checks the seeded bookmark.
history_has() {  # history_has BROWSER PROFILE FROM TO BOOKMARK_HOST HOST...
    python3 - "$@" <<'EOF'
import json, os, shutil, sqlite3, sys, tempfile
from urllib.parse import urlsplit

browser, profile, t_from, t_to, bookmark_host = sys.argv[1:6]
hosts = set(sys.argv[6:])
t_from, t_to = float(t_from) - 300, float(t_to) + 300

if browser == "firefox":
    db = os.path.join(profile, "places.sqlite")
    sql = ("SELECT p.url, v.visit_date FROM moz_historyvisits v "
           "JOIN moz_places p ON p.id = v.place_id")
    to_unix = lambda t: t / 1e6                       # µs since 1970
else:
    db = os.path.join(profile, "Default", "History")
    sql = ("SELECT u.url, v.visit_time FROM visits v "
           "JOIN urls u ON u.id = v.url")
    to_unix = lambda t: t / 1e6 - 11644473600         # µs since 1601

tmp = tempfile.mkdtemp()
try:
    for suffix in ("", "-wal", "-journal"):
        if os.path.exists(db + suffix):
            shutil.copyfile(db + suffix,
                            os.path.join(tmp, "copy.sqlite" + suffix))
    con = sqlite3.connect(os.path.join(tmp, "copy.sqlite"))
    rows = con.execute(sql).fetchall()
    if browser == "firefox":
        marks = [u for (u,) in con.execute(
            "SELECT p.url FROM moz_bookmarks b JOIN moz_places p "
            "ON p.id = b.fk WHERE b.type = 1")]
    con.close()
finally:
    shutil.rmtree(tmp)

if browser == "chromium" and bookmark_host != "-":
    with open(os.path.join(profile, "Default", "Bookmarks")) as f:
        marks = []
        stack = list(json.load(f)["roots"].values())
        while stack:
            node = stack.pop()
            if isinstance(node, dict):
                if node.get("type") == "url":
                    marks.append(node["url"])
                stack.extend(node.get("children", []))

ok = True
seen = {}
for url, t in rows:
    seen.setdefault(urlsplit(url).hostname, []).append(to_unix(t))
for host in sorted(hosts):
    times = seen.get(host, [])
    if not times:
        print("    %s: no visit to %s (has: %s)"
              % (browser, host, ", ".join(sorted(map(str, seen)))))
        ok = False
    elif not any(t_from <= t <= t_to for t in times):
        print("    %s: visit times of %s not near the run: %r"
              % (browser, host, times))
        ok = False
if bookmark_host != "-" and bookmark_host not in {
        urlsplit(u).hostname for u in marks}:
    print("    %s: bookmark to %s missing (has: %r)"
          % (browser, bookmark_host, marks))
    ok = False
sys.exit(0 if ok else 1)
EOF
}

# Every request got the proxy's own answer: a page for plain HTTP, 403 for
# CONNECT; and the three page loads are there.
proxy_log_ok() {  # proxy_log_ok LOG URL...
    python3 - "$@" <<'EOF'
import sys
log, urls = sys.argv[1], sys.argv[2:]
ok = True
got = set()
for line in open(log, encoding="utf-8"):
    _, method, target, status = line.rstrip("\n").split("\t")
    if method == "CONNECT":
        good = status == "403"
    else:
        good = status == "200" and target.startswith("http://")
        got.add(target)
    if not good and ok:
        print("    unexpected proxy log line: %r" % line)
    ok &= good
missing = [u for u in urls if u not in got]
if missing:
    print("    not requested through the proxy: %s" % " ".join(missing))
sys.exit(0 if ok and not missing else 1)
EOF
}

total_start=$(now)
python3 "$here/proxy.py" "$work/proxy.log" >"$work/proxy.out" 2>"$work/proxy.err" &
proxy_pid=$!
port=
for _ in $(seq 1 100); do
    port=$(awk '$1 == "PORT" { print $2; exit }' "$work/proxy.out" 2>/dev/null)
    [ -n "$port" ] && break
    sleep 0.05
done
if [ -z "$port" ]; then
    echo "the proxy did not start:" >&2
    cat "$work/proxy.err" >&2
    exit 1
fi
echo "proxy on 127.0.0.1:$port"

A=http://alpha.quillon.test/a
B=http://beta.quillon.test/b
C=http://gamma.quillon.test/c
D=http://delta.quillon.test/d
hosts=(alpha.quillon.test beta.quillon.test gamma.quillon.test)

for browser in firefox chromium; do
    # 1. One run: start, three visits, clean quit.
    profile=$work/$browser-run
    started_profiles+=("$profile")
    t0=$(now)
    check "$browser: run visits three URLs and quits cleanly" \
        visit run "$browser" "$profile" "$port" "$A" "$B" "$C" --bookmark "$D"
    echo "     ($browser run took $(since "$t0") s)"
    check "$browser: history copy after the run has the three hosts" \
        history_has "$browser" "$profile" "$t0" "$(now)" delta.quillon.test \
        "${hosts[@]}"

    # 2. A live browser: the first visit must be readable while it runs.
    profile=$work/$browser-live
    started_profiles+=("$profile")
    t0=$(now)
    if visit start "$browser" "$profile" "$port" "$A" >/dev/null; then
        t1=$(now)
        if quietly visit history "$profile" --wait-for alpha.quillon.test; then
            echo "     (seen live $(since "$t1") s after its page had loaded)"
            check "$browser: first visit readable from a copy while running" true
        else
            check "$browser: first visit readable from a copy while running" false
        fi
        check "$browser: open two more URLs in the running browser" \
            visit open "$profile" "$B" "$C"
        check "$browser: stop quits cleanly" visit stop "$profile"
        check "$browser: history copy after the stop has the three hosts" \
            history_has "$browser" "$profile" "$t0" "$(now)" - "${hosts[@]}"
    else
        check "$browser: start with one URL" false
    fi
done

check "proxy answered every request itself" \
    proxy_log_ok "$work/proxy.log" "$A" "$B" "$C"
echo "total $(since "$total_start") s"
echo "$passed passed, $failed failed"
[ "$failed" = 0 ] && [ "$passed" -gt 0 ]
