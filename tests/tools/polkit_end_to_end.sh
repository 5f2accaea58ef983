#!/usr/bin/env bash
# The hosts helper run by the real pkexec for an unprivileged user, with a
# real polkitd on a private system bus deciding by a polkit rule.
#
#   polkit_end_to_end.sh HELPER [POLICY_TEMPLATE]
#
# Everything happens inside private mount and PID namespaces: /run is an
# empty tmpfs (so the system bus socket is our own dbus-daemon's), /etc is
# an overlay (or a copy) whose writes stay in that tmpfs, and polkit's
# action and rule folders are folders of our own. Each mount is checked
# before anything runs; when the namespace's first process ends, the kernel
# ends every daemon started in it. The real /etc/hosts is compared before
# and after. Needs root; skipped (77) where it cannot run.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
self="$here/$(basename "$0")"
test_user=nobody
test_group=nogroup
marker=.quillon-polkit-test

fail() { echo "FAIL: $*" >&2; exit 1; }
skip() { echo "SKIP: $*"; exit 77; }

polkitd_binary() {
    local p
    for p in /usr/lib/polkit-1/polkitd /usr/libexec/polkitd /usr/libexec/polkit-1/polkitd; do
        [ -x "$p" ] && { echo "$p"; return 0; }
    done
    return 1
}

# ---------------------------------------------------------------------------
# Inside the namespaces: first the private mounts, then the daemons and the
# cases. Runs as a child of the namespace's first process, since pkexec
# refuses to run for a process whose parent is PID 1.
inside() {
    local helper_source=$1 template=$2
    local t=/run/quillon-polkit-test

    # An empty tmpfs on /run, so the system bus socket (/run/dbus) is ours
    # and nothing reaches the machine's logind or journal.
    local real_run
    real_run=$(stat -c %d /run)
    mount -t tmpfs -o mode=0755 quillon-polkit-run /run || fail "cannot mount a tmpfs on /run"
    [ "$(stat -c %d /run)" != "$real_run" ] && [ -z "$(ls -A /run)" ] || fail "/run is not the private tmpfs"
    mkdir -p /run/dbus "$t/etc-upper" "$t/etc-work" "$t/actions" "$t/share-rules" "$t/bin"
    touch "$t/etc-upper/$marker" "$t/actions/$marker" "$t/share-rules/$marker"

    # /etc: an overlay whose writes go to the tmpfs, or else a copy in it.
    if ! mount -t overlay quillon-polkit-etc \
            -o "lowerdir=/etc,upperdir=$t/etc-upper,workdir=$t/etc-work" /etc 2>/dev/null; then
        mkdir "$t/etc-copy"
        cp -a /etc/. "$t/etc-copy/" || fail "cannot copy /etc"
        touch "$t/etc-copy/$marker"
        mount --bind "$t/etc-copy" /etc || fail "cannot bind the copy of /etc"
    fi
    [ -e "/etc/$marker" ] || fail "/etc is not the private one"

    # The actions polkit knows, and ours with the helper's path.
    cp -p "$helper_source" "$t/bin/quillon-hosts-helper"
    chmod 0755 "$t/bin/quillon-hosts-helper"
    local helper="$t/bin/quillon-hosts-helper"
    cp -a /usr/share/polkit-1/actions/. "$t/actions/"
    sed "s|@QUILLON_HOSTS_HELPER_PATH@|$helper|" "$template" > "$t/actions/org.quillon.hosts-helper.policy"
    grep -q "<annotate key=\"org.freedesktop.policykit.exec.path\">$helper</annotate>" \
        "$t/actions/org.quillon.hosts-helper.policy" || fail "the action has no exec.path"
    chmod -R a+rX "$t"
    mount --bind "$t/actions" /usr/share/polkit-1/actions || fail "cannot bind the actions"
    [ -e "/usr/share/polkit-1/actions/$marker" ] || fail "the actions folder is not the private one"
    # The only rules are ours: the distribution's folder is an empty one.
    if [ -d /usr/share/polkit-1/rules.d ]; then
        mount --bind "$t/share-rules" /usr/share/polkit-1/rules.d || fail "cannot bind the rules"
        [ -e "/usr/share/polkit-1/rules.d/$marker" ] || fail "the rules folder is not the private one"
    fi
    mkdir -p /etc/polkit-1/rules.d
    find /etc/polkit-1/rules.d -mindepth 1 -delete
    chmod 0755 /etc/polkit-1/rules.d

    # The private system bus and polkitd on it.
    local polkitd
    polkitd=$(polkitd_binary)
    dbus-daemon --system --fork || fail "dbus-daemon did not start"
    local polkitd_pid=""
    bus_has_polkit() {
        local reply
        reply=$(dbus-send --system --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
            org.freedesktop.DBus.NameHasOwner string:org.freedesktop.PolicyKit1 2>/dev/null) || return 1
        [[ $reply == *"boolean true"* ]]
    }
    # Starts polkitd with the one rule given (empty: none) and waits until it
    # answers on the bus.
    start_polkitd() {
        local rule=$1 i
        if [ -n "$polkitd_pid" ]; then
            kill "$polkitd_pid"
            wait "$polkitd_pid" || true
            for i in $(seq 100); do bus_has_polkit || break; sleep 0.1; done
            ! bus_has_polkit || fail "the previous polkitd is still on the bus"
        fi
        find /etc/polkit-1/rules.d -mindepth 1 -delete
        if [ -n "$rule" ]; then
            printf '%s\n' "$rule" > /etc/polkit-1/rules.d/10-quillon-test.rules
            chmod 0644 /etc/polkit-1/rules.d/10-quillon-test.rules
        fi
        "$polkitd" --no-debug >> "$t/polkitd.log" 2>&1 &
        polkitd_pid=$!
        for i in $(seq 100); do bus_has_polkit && return 0; sleep 0.1; done
        cat "$t/polkitd.log" >&2
        fail "polkitd did not come onto the bus"
    }

    # The texts: the file found, one the program writes, one with a line it
    # never writes.
    local m='#Quillon|2026/12/07|10.00.00|1|0#'
    local system="127.0.0.1 localhost  $m\n::1 localhost ip6-localhost $m\n"
    printf '# found\n127.0.0.1 localhost\n::1 localhost ip6-localhost\n' > "$t/old"
    printf "$system"'192.0.2.7 www.example.net  %s\n198.51.100.4 mail.example.org mail %s\n\n' "$m" "$m" > "$t/good"
    printf "$system"'203.0.113.9 other.example  %s\n' "$m" > "$t/other"
    printf "$system"'192.0.2.8 ok.example  %s\n192.0.2.9 evil.example#x  %s\n' "$m" "$m" > "$t/hostile"
    # Each in the frame the program sends it in.
    local f
    for f in good other hostile; do
        { printf 'QUILLON-HOSTS 1 %s %s\n' "$(wc -c < "$t/$f")" "$(sha256sum < "$t/$f" | cut -d' ' -f1)"
          cat "$t/$f"; } > "$t/$f.framed"
    done
    chmod 0644 "$t"/old "$t"/good* "$t"/other* "$t"/hostile*
    cp "$t/old" /etc/hosts
    chmod 0644 /etc/hosts
    chown 0:0 /etc/hosts
    rm -f /etc/hosts.bak /etc/hosts.orig /etc/hosts.tmp /etc/hosts.redo

    # pkexec HELPER /etc/hosts < TEXT as the test user, as the program runs it.
    local out status
    as_user_pkexec() {
        (cd / && exec setpriv --reuid="$test_user" --regid="$test_group" --clear-groups \
            env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin /usr/bin/pkexec "$helper" /etc/hosts) < "$1"
    }
    run_case() {
        status=0
        out=$(as_user_pkexec "$1.framed" 2>&1) || status=$?
        # Without the helper's first line, which says it holds the lock.
        out=$(printf '%s\n' "$out" | sed '1{/^QUILLON-HOSTS-HELPER READY$/d}')
    }

    # The test user cannot write the hosts file itself.
    status=0
    setpriv --reuid="$test_user" --regid="$test_group" --clear-groups \
        sh -c 'printf x >> /etc/hosts' 2>/dev/null || status=$?
    [ "$status" != 0 ] || fail "the test user may write /etc/hosts without pkexec"
    cmp -s /etc/hosts "$t/old" || fail "the hosts file changed"

    # A rule that lets the test user run the helper.
    start_polkitd "polkit.addRule(function(action, subject) {
    if (action.id == \"org.quillon.hosts-helper\" && subject.user == \"$test_user\")
        return polkit.Result.YES;
});"
    run_case "$t/good"
    [ "$status" = 0 ] || fail "authorised, good text: status $status: $out"
    cmp -s /etc/hosts "$t/good" || fail "authorised, good text: hosts not replaced"
    cmp -s /etc/hosts.bak "$t/old" || fail "authorised, good text: hosts.bak is not the old file"
    cmp -s /etc/hosts.orig "$t/old" || fail "authorised, good text: hosts.orig is not the old file"
    [ "$(stat -c '%u:%g %a' /etc/hosts)" = "0:0 644" ] ||
        fail "authorised, good text: hosts is $(stat -c '%u:%g %a' /etc/hosts)"

    run_case "$t/hostile"
    [ "$status" = 3 ] || fail "authorised, hostile text: status $status: $out"
    [ "$out" = "The new hosts file was refused: line 4 is not a host line that Quillon writes." ] ||
        fail "authorised, hostile text: $out"
    cmp -s /etc/hosts "$t/good" || fail "authorised, hostile text: hosts changed"

    # A rule that refuses the action.
    start_polkitd "polkit.addRule(function(action, subject) {
    if (action.id == \"org.quillon.hosts-helper\")
        return polkit.Result.NO;
});"
    run_case "$t/other"
    [ "$status" = 127 ] || fail "refused by rule: status $status: $out"
    case $out in *"Not authorized"*) ;; *) fail "refused by rule: $out" ;; esac
    cmp -s /etc/hosts "$t/good" || fail "refused by rule: hosts changed"

    # No rule: the action's defaults ask for an administrator, and there is
    # neither an agent nor a terminal to ask on.
    start_polkitd ""
    run_case "$t/other"
    [ "$status" = 127 ] || fail "no rule: status $status: $out"
    cmp -s /etc/hosts "$t/good" || fail "no rule: hosts changed"

    [ ! -e /etc/hosts.tmp ] || fail "a hosts.tmp was left"
    echo "polkit end to end: all cases passed"
}

if [ "${1:-}" = --inside ]; then
    shift
    inside "$@"
    exit 0
fi

# ---------------------------------------------------------------------------
# Outside: what must be there, then the namespaces, then the real files.
[ $# -ge 1 ] || { echo "usage: $0 HELPER [POLICY_TEMPLATE]" >&2; exit 2; }
helper=$(realpath "$1")
template=$(realpath "${2:-$here/../../desktop/org.quillon.hosts-helper.policy.in}")
[ -x "$helper" ] || fail "no helper at $1"
[ -f "$template" ] || fail "no policy template at $template"

[ "$(id -u)" = 0 ] || skip "needs root"
for tool in unshare setpriv setsid dbus-daemon dbus-send; do
    command -v "$tool" > /dev/null || skip "$tool is missing"
done
[ -u /usr/bin/pkexec ] || skip "pkexec is missing (or not setuid)"
polkitd_binary > /dev/null || skip "polkitd is missing"
[ -d /usr/share/polkit-1/actions ] || skip "polkit has no actions folder"
[ -f /usr/share/dbus-1/system.conf ] || skip "no system bus configuration"
getent passwd "$test_user" > /dev/null && getent group "$test_group" > /dev/null ||
    skip "no $test_user user or $test_group group"
unshare --mount --propagation private --pid --fork --kill-child --mount-proc true 2>/dev/null ||
    skip "no private mount and PID namespaces here"

# What the real system holds, compared on every way out, also when the test
# fails or is stopped.
snapshot() {
    ls -la --time-style=full-iso -d /etc/hosts* "/etc/$marker" 2>&1
    ls -la --time-style=full-iso /run/dbus /etc/polkit-1/rules.d /usr/share/polkit-1/actions \
        /usr/share/polkit-1/rules.d 2>&1
}
saved=$(mktemp)
cp -p /etc/hosts "$saved"
before=$(snapshot)
ns_pid=""
finish() {
    local code=$?
    [ -z "$ns_pid" ] || kill -KILL "$ns_pid" 2>/dev/null || true
    [ -z "$ns_pid" ] || wait "$ns_pid" 2>/dev/null || true
    if ! cmp -s /etc/hosts "$saved"; then
        echo "FAIL: THE REAL /etc/hosts CHANGED; the old one is kept in $saved" >&2
        exit 1
    fi
    rm -f "$saved"
    if [ "$(snapshot)" != "$before" ]; then
        diff <(echo "$before") <(snapshot) >&2 || true
        echo "FAIL: the real hosts file or polkit and bus folders changed" >&2
        exit 1
    fi
    exit "$code"
}
trap finish EXIT
trap 'exit 143' TERM INT HUP

# The namespace's first process only waits for the test, with no controlling
# terminal, so that pkexec can never ask on one. --kill-child ends it, and so
# everything in the namespace, if unshare itself is killed.
unshare --mount --propagation private --pid --fork --kill-child --mount-proc \
    "$BASH" -c 'setsid --wait "$@" < /dev/null; exit $?' pid1 "$BASH" "$self" --inside "$helper" "$template" &
ns_pid=$!
status=0
wait "$ns_pid" || status=$?
ns_pid=""
[ "$status" = 0 ] || fail "inside the namespaces: status $status"
