#!/usr/bin/env bash
# Quillon as a new user meets it on a stock Debian desktop, from outside:
# the real program with its default settings, a private /etc holding the
# stock hosts file (the own name at 127.0.1.1, the IPv6 lines) and a LAN
# line, a network with a default route, a name server, and firefox-esr and
# chromium run for the first time after Quillon started.
#
#   stock_desktop_check.sh BUILD_FOLDER
#
# Checks: the start asks no question; the pages both browsers visit are
# verified into /etc/hosts at the exit; the system's lines and the LAN line
# stand there with their addresses and names; a second start and exit with
# no change leave /etc/hosts as it was (same inode, same time); and, visited
# while the program runs, a host whose address moved since its verification
# two days ago stands at its new address in /etc/hosts within seconds; a
# host added through Edit > Add Host and saved with File > Save is in the
# change log Quillon.d04, Tools > Hosts File Changes opens that window, and
# its Restore Original Hosts File, answered Yes, puts back the file as it was
# before Quillon first changed it, byte for byte. A hostile name server's
# answers (0.0.0.0, 127.0.0.1, a private address for a public host, another
# name's record) never reach /etc/hosts, an 11 KB answer over TCP and an
# honest move do, and a line the person wrote is never moved.
#
# Everything happens in private mount and network namespaces: /etc is an
# overlay whose writes stay in a temporary folder, and the network is a veth
# pair with a default route and a name server on loopback answering every
# *.quillon.test name. Root only; skipped (77) where that cannot be had.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
self="$here/$(basename "$0")"
source_root=$(cd "$here/../.." && pwd)
fail() { echo "FAIL: $*" >&2; exit 1; }
skip() { echo "SKIP: $*"; exit 77; }

inside() {
    local build=$1 work=$2
    local marker=.quillon-stock-desktop

    # The network: loopback, and a veth with an address and a default route.
    ip link set lo up
    ip link add q0 type veth peer name q1
    ip addr add 192.168.77.2/24 dev q0
    ip addr add 192.168.77.1/24 dev q1
    ip link set q0 up
    ip link set q1 up
    ip route add default via 192.168.77.1

    # /etc: an overlay whose writes go to the work folder.
    mkdir -p "$work/etc-upper" "$work/etc-work"
    mount -t overlay quillon-stock-etc -o "lowerdir=/etc,upperdir=$work/etc-upper,workdir=$work/etc-work" /etc ||
        fail "cannot mount an overlay on /etc"
    touch "/etc/$marker"
    [ -e "$work/etc-upper/$marker" ] || fail "/etc is not the private overlay"
    local own
    own=$(hostname)
    # The stock file as Debian's installer writes it, and the person's NAS.
    printf '127.0.0.1\tlocalhost\n127.0.1.1\t%s.home.arpa\t%s\n\n# The following lines are desirable for IPv6 capable hosts\n::1     localhost ip6-localhost ip6-loopback\nff02::1 ip6-allnodes\nff02::2 ip6-allrouters\n10.9.9.9 nas printer\n' \
        "$own" "$own" > /etc/hosts
    cp /etc/hosts "$work/hosts-before"
    printf 'nameserver 127.0.0.1\n' > /etc/resolv.conf
    # Beside it, the answers of a hostile or blocking server for some names:
    # a blocker's 0.0.0.0, a rebinding 127.0.0.1, a private address for a
    # public host, a record of another name, and an 11 KB answer only TCP
    # carries whole.
    python3 "$source_root/tests/tools/fake_dns.py" 127.0.0.1 53 --suffix quillon.test=203.0.113.7 \
        blocked.quillon.test=0.0.0.0 rebound.quillon.test=127.0.0.1 rebind.quillon.test=192.168.5.5 \
        other.quillon.test=bank.quillon.test:6.6.6.6 big.quillon.test=203.0.113.99*700 handpin.quillon.test=6.6.6.6 \
        --log "$work/dns.log" < /dev/null > "$work/dns.out" 2>&1 &
    for _ in $(seq 100); do grep -q READY "$work/dns.out" 2>/dev/null && break; sleep 0.05; done
    getent hosts alpha.quillon.test | grep -q 203.0.113.7 || fail "the name server does not answer"

    # The person: a fresh home, the program as a portable copy of its own.
    export HOME="$work/home" XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/home/.config"
    mkdir -p "$HOME" "$XDG_RUNTIME_DIR" "$work/app"
    chmod 0700 "$XDG_RUNTIME_DIR" "$work/app"
    cp "$build/src/app/quillon" "$build/src/app/Quillon.a01" "$build/src/app/Quillon.n02" \
        "$build/src/app/Help00.htm" "$work/app/"
    python3 "$source_root/tests/browsers/proxy.py" "$work/proxy.log" > "$work/proxy.out" 2>&1 &
    for _ in $(seq 100); do grep -q PORT "$work/proxy.out" 2>/dev/null && break; sleep 0.05; done
    local port
    port=$(head -n 1 "$work/proxy.out" | cut -d' ' -f2)

    # A display of its own.
    local displayfile="$work/display"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$displayfile" >/dev/null 2>&1 &
    for _ in $(seq 100); do [ -s "$displayfile" ] && break; sleep 0.05; done
    export DISPLAY=":$(cat "$displayfile")"
    export QT_QPA_PLATFORM=xcb

    # Shown windows named "Quillon": the main window, and a question if any.
    quillon_windows() {
        local id count=0
        for id in $(xwininfo -root -children 2>/dev/null | sed -n 's/^ *\(0x[0-9a-f]*\) "Quillon".*/\1/p'); do
            xwininfo -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable' && count=$((count + 1))
        done
        echo "$count"
    }
    run_quillon() {
        "$work/app/quillon" > "$work/quillon-$1.log" 2>&1 &
        quillon=$!
        for _ in $(seq 200); do [ "$(quillon_windows)" -ge 1 ] && break; sleep 0.05; done
    }
    end_quillon() {
        kill -TERM "$quillon"
        for _ in $(seq 300); do kill -0 "$quillon" 2>/dev/null || break; sleep 0.1; done
        ! kill -0 "$quillon" 2>/dev/null || fail "Quillon did not end on SIGTERM"
        wait "$quillon" || true
    }

    # First start: no question, also when the scheduler's first tick has come.
    run_quillon first
    sleep 7
    [ "$(quillon_windows)" = 1 ] || fail "the first start asked something: $(quillon_windows) windows named Quillon"

    # Both browsers run for the first time now, and browse.
    local visit="python3 $source_root/tests/browsers/visit.py --timeout 90"
    local firefox
    firefox=$($visit start-own firefox "$HOME" "$port" | sed -n 's/^PROFILE //p')
    [ -n "$firefox" ] || fail "Firefox did not start"
    $visit open "$firefox" http://alpha.quillon.test/a http://beta.quillon.test/b > /dev/null
    $visit start-own chromium "$HOME" "$port" http://gamma.quillon.test/c http://delta.quillon.test/d > /dev/null
    # Chromium writes its visits some ten seconds after the pages loaded.
    for _ in $(seq 300); do grep -q '^delta.quillon.test 1' "$work/dns.log" 2>/dev/null && break; sleep 0.1; done
    $visit stop "$firefox" > /dev/null || true
    $visit stop "$HOME/.config/chromium" > /dev/null || true
    [ "$(quillon_windows)" = 1 ] || fail "Quillon asked something while capturing"
    end_quillon

    local host
    for host in alpha beta gamma delta; do
        grep -q "^203\.0\.113\.7 $host\.quillon\.test  #Quillon|" /etc/hosts ||
            fail "$host.quillon.test is not verified into /etc/hosts"
    done
    # The stock file's lines stay at the top as the system wrote them, its
    # comment and blank line included; the LAN line keeps its address.
    local top
    top=$(printf '127.0.0.1\tlocalhost\r\n127.0.1.1\t%s.home.arpa\t%s\r\n\r\n# The following lines are desirable for IPv6 capable hosts\r\n::1     localhost ip6-localhost ip6-loopback\r\nff02::1 ip6-allnodes\r\nff02::2 ip6-allrouters\r\n' "$own" "$own")
    [ "$(head -c ${#top} /etc/hosts)" = "$top" ] || fail "the stock lines are not at the top of /etc/hosts as they were"
    for line in "10.9.9.9 nas printer "; do
        grep -q "^$line" /etc/hosts || fail "the line \"$line\" is not in /etc/hosts as it was"
    done
    cmp -s /etc/hosts.orig "$work/hosts-before" || fail "hosts.orig is not the file as it was"

    # A start and exit with no change leave the file alone.
    local before after
    before=$(stat -c '%i %Y.%y' /etc/hosts)
    run_quillon second
    sleep 6
    [ "$(quillon_windows)" = 1 ] || fail "the second start asked something"
    end_quillon
    after=$(stat -c '%i %Y.%y' /etc/hosts)
    [ "$before" = "$after" ] || fail "a start and exit without a change rewrote /etc/hosts ($before, then $after)"

    # Fresh on use: two hosts verified two days ago, one of them moved since
    # (the name server gives 203.0.113.7 for every *.quillon.test name).
    local stamp
    stamp="#Quillon|$(date -d '2 days ago' '+%Y/%m/%d|%H.%M.%S')|1|0#"
    printf '203.0.113.7 stay.quillon.test  %s\r\n198.51.100.9 moved.quillon.test  %s\r\n' "$stamp" "$stamp" >> /etc/hosts
    run_quillon third
    $visit start-own firefox "$HOME" "$port" http://stay.quillon.test/ http://moved.quillon.test/ > /dev/null
    for _ in $(seq 200); do grep -q '^203\.0\.113\.7 moved\.quillon\.test ' /etc/hosts && break; sleep 0.1; done
    grep -q '^203\.0\.113\.7 moved\.quillon\.test ' /etc/hosts || fail "the moved host is not at its new address"
    grep -q '^203\.0\.113\.7 stay\.quillon\.test ' /etc/hosts || fail "the host that stayed is not at its address"
    [ "$(quillon_windows)" = 1 ] || fail "Quillon asked something while checking addresses"
    $visit stop "$firefox" > /dev/null || true
    end_quillon

    # The hostile answers: none reaches /etc/hosts, the honest move and the
    # long answer do, and the line the person wrote stays as written.
    printf '203.0.113.7 rebind.quillon.test  %s\r\n203.0.113.7 other.quillon.test  %s\r\n198.51.100.9 big.quillon.test  %s\r\n198.51.100.1 honest.quillon.test  %s\r\n203.0.113.10 handpin.quillon.test\r\n' \
        "$stamp" "$stamp" "$stamp" "$stamp" >> /etc/hosts
    run_quillon hostile
    firefox=$($visit start-own firefox "$HOME" "$port" http://blocked.quillon.test/ http://rebound.quillon.test/ \
        http://rebind.quillon.test/ http://other.quillon.test/ http://big.quillon.test/ http://handpin.quillon.test/ \
        http://honest.quillon.test/ | sed -n 's/^PROFILE //p')
    for _ in $(seq 300); do
        grep -q '^203\.0\.113\.7 honest\.quillon\.test ' /etc/hosts && grep -q '^203\.0\.113\.99 big\.quillon\.test ' /etc/hosts &&
            grep -q '^rebound\.quillon\.test 1' "$work/dns.log" && break
        sleep 0.1
    done
    $visit stop "$firefox" > /dev/null || true
    end_quillon
    grep -q '^203\.0\.113\.7 honest\.quillon\.test ' /etc/hosts || fail "the honest move is not in /etc/hosts"
    grep -q '^203\.0\.113\.99 big\.quillon\.test ' /etc/hosts || fail "the long answer over TCP was not taken"
    ! grep -qE '(blocked|rebound)\.quillon\.test' /etc/hosts || fail "a blocked or rebinding answer reached /etc/hosts"
    grep -q '^203\.0\.113\.7 rebind\.quillon\.test ' /etc/hosts || fail "a public host moved onto the local network"
    grep -q '^203\.0\.113\.7 other\.quillon\.test ' /etc/hosts || fail "another name's record was taken"
    grep -q '^203\.0\.113\.10 handpin\.quillon\.test' /etc/hosts || fail "the hand-written line was moved"
    ! grep -q '6\.6\.6\.6' /etc/hosts || fail "an address no honest answer gave reached /etc/hosts"

    # The change log and the way back, through the menus and keys as the
    # person would use them.
    shown_window() {
        local id
        for _ in $(seq 100); do
            id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | tail -n 1)
            [ -n "$id" ] && { echo "$id"; return 0; }
            sleep 0.1
        done
        return 1
    }
    keys() {
        local window=$1
        shift
        xdotool windowfocus --sync "$window" key --delay 150 "$@"
        sleep 0.5
    }
    run_quillon fourth
    local main dialog
    main=$(shown_window Quillon) || fail "no main window"
    keys "$main" alt+e a h
    dialog=$(shown_window 'Add Host') || fail "Edit > Add Host > Add to Hosts List with verification... opened nothing"
    xdotool windowfocus --sync "$dialog" type --delay 30 added.quillon.test
    keys "$dialog" Return
    keys "$main" alt+f s
    for _ in $(seq 100); do grep -q '^203\.0\.113\.7 added\.quillon\.test ' /etc/hosts && break; sleep 0.1; done
    grep -q '^203\.0\.113\.7 added\.quillon\.test ' /etc/hosts || fail "the added host was not saved"
    grep -qP '^\d{4}/\d\d/\d\d\t\d\d\.\d\d\.\d\d\t\+\tadded\.quillon\.test\t203\.0\.113\.7\r$' "$work/app/Quillon.d04" ||
        fail "Quillon.d04 does not name the added host"
    keys "$main" alt+t c
    dialog=$(shown_window 'Hosts File Changes') || fail "Tools > Hosts File Changes opened no window of that title"
    keys "$dialog" alt+o
    local question
    question=$(shown_window Quillon) || true
    [ "$(quillon_windows)" = 2 ] || fail "Restore Original Hosts File asked nothing"
    keys "$question" alt+y
    for _ in $(seq 100); do cmp -s /etc/hosts "$work/hosts-before" && break; sleep 0.1; done
    cmp -s /etc/hosts "$work/hosts-before" || fail "Restore Original Hosts File did not put back the original file"
    grep -qP '\t=\thosts\.orig\t\r$' "$work/app/Quillon.d04" || fail "the log does not note the restore"
    end_quillon
    cmp -s /etc/hosts "$work/hosts-before" || fail "the exit after the restore changed the hosts file"
    echo "stock desktop: all checks passed"
}

if [ "${1:-}" = --inside ]; then
    shift
    inside "$@"
    exit 0
fi

[ $# -ge 1 ] || { echo "usage: $0 BUILD_FOLDER" >&2; exit 2; }
build=$(cd "$1" && pwd)
[ -x "$build/src/app/quillon" ] || fail "no program in $build/src/app"
[ "$(id -u)" = 0 ] || skip "needs root"
for tool in unshare ip Xvfb xwininfo xdotool python3 firefox-esr chromium getent; do
    command -v "$tool" > /dev/null || skip "$tool is missing"
done
unshare --mount --net --propagation private true 2>/dev/null || skip "no private mount and network namespaces here"

work=$(mktemp -d)
chmod 0755 "$work"
status=0
unshare --mount --net --pid --fork --kill-child --mount-proc --propagation private \
    bash "$self" --inside "$build" "$work" || status=$?
if [ "$status" != 0 ]; then
    while IFS= read -r log; do
        echo "--- $log"
        grep -v 'dbus\|ERROR:' "$log" | tail -n 15
    done < <(find "$work" -name 'quillon-*.log')
fi
[ -n "${QUILLON_KEEP:-}" ] && echo "kept $work" || rm -rf "$work"
exit "$status"
