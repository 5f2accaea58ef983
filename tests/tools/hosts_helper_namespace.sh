#!/bin/sh
# The hosts helper as a program, and the program's writer running it, inside
# a private mount namespace whose /etc is a temporary folder: the real /etc is
# never written. As root the namespace is a plain one; otherwise a user
# namespace maps us to root in it. Where neither may be made, the test is
# skipped (77).
#
#   hosts_helper_namespace.sh HELPER [WRITER_TESTS]
set -eu
helper=$1
writer_tests=${2:-}

if unshare --mount --propagation private true 2>/dev/null; then
    enter="unshare --mount --propagation private"
elif unshare --user --map-root-user --mount --propagation private true 2>/dev/null; then
    enter="unshare --user --map-root-user --mount --propagation private"
else
    echo "SKIP: no private mount namespace here"
    exit 77
fi

etc=$(mktemp -d)
run=$(mktemp -d)
trap 'rm -rf "$etc" "$run"' EXIT
# What the helper's loader reads from /etc, and the mark that tells the copy
# from the real folder.
for f in ld.so.cache ld.so.conf passwd group; do
    [ -e "/etc/$f" ] && cp "/etc/$f" "$etc/"
done
[ -d /etc/ld.so.conf.d ] && cp -r /etc/ld.so.conf.d "$etc/"
touch "$etc/quillon-namespace-test"

export QUILLON_HELPER="$helper" QUILLON_WRITER_TESTS="$writer_tests" QUILLON_ETC="$etc" QUILLON_RUN="$run"
$enter sh -eu <<'INSIDE'
fail() { echo "FAIL: $*"; exit 1; }
# Every write below goes to /etc only after this proves it is the copy.
mount --bind "$QUILLON_ETC" /etc || exit 1
[ -f /etc/quillon-namespace-test ] || fail "/etc is not the temporary copy"
# The helper's lock file goes to a private /run as well.
mount --bind "$QUILLON_RUN" /run || exit 1
on_copy() { [ -f /etc/quillon-namespace-test ] || fail "/etc is not the temporary copy"; }

m=' #Quillon|2001/03/05|14.07.09|1|0#'
work=$(mktemp -d)
own=$(hostname)
# The stock hosts file as Debian's installer writes it, and its lines as
# the program writes them back.
printf '127.0.0.1\tlocalhost\n127.0.1.1\t%s.home.arpa\t%s\n\n# The following lines are desirable for IPv6 capable hosts\n::1     localhost ip6-localhost ip6-loopback\nff02::1 ip6-allnodes\nff02::2 ip6-allrouters\n' "$own" "$own" > "$work/old"
system="127.0.0.1 localhost $m\r\n127.0.1.1 $own.home.arpa $own$m\r\n::1 localhost ip6-localhost ip6-loopback$m\r\nff02::1 ip6-allnodes $m\r\nff02::2 ip6-allrouters $m\r\n"
printf "$system""1.2.3.4 a $m\r\n" > "$work/good"
printf "$system""5.6.7.8 b $m\r\n1.2.3.4 good evil#x$m\r\n" > "$work/hostile"
printf "$system""6.6.6.6 localhost $m\r\n" > "$work/remap-localhost"
printf "$system""::ffff:6.6.6.6 localhost $m\r\n" > "$work/remap-localhost-v6"
printf "$system""6.6.6.6 $own $m\r\n" > "$work/remap-own"
printf "$system""6.6.6.6 www.example localhost.localdomain $m\r\n" > "$work/remap-localdomain"
printf "$system""6.6.6.6 $own.lan $m\r\n" > "$work/remap-own-domain"
printf "$system""1.2.3.4 b\303\274cher.example $m\r\n" > "$work/not-admitted"
printf "$system" | tail -n +2 > "$work/drop-localhost"
i=0
while [ $i -lt 400 ]; do printf "10.0.0.1 host$i $m\r\n"; i=$((i + 1)); done > "$work/big-hosts"
cat "$work/good" "$work/big-hosts" > "$work/big"
# The frame the program sends a text in.
frame() { printf 'QUILLON-HOSTS 1 %s %s\n' "$(wc -c < "$1")" "$(sha256sum < "$1" | cut -d' ' -f1)"; cat "$1"; }
for f in good hostile remap-localhost remap-localhost-v6 remap-own remap-localdomain remap-own-domain not-admitted drop-localhost big; do frame "$work/$f" > "$work/$f.framed"; done
head -c 300 "$work/big.framed" > "$work/cut.framed"
cp "$work/old" /etc/hosts

# The helper's answer without its first line, which says it holds the lock.
answer_of() { printf '%s\n' "$1" | sed '1{/^QUILLON-HOSTS-HELPER READY$/d}'; }

# Refused whole, status and message, the hosts file untouched.
refused() { # INPUT STATUS MESSAGE
    on_copy
    status=0
    out=$("$QUILLON_HELPER" /etc/hosts < "$1") || status=$?
    out=$(answer_of "$out")
    [ "$status" = "$2" ] || fail "$1: status $status: $out"
    [ "$out" = "$3" ] || fail "$1: $out"
    cmp -s /etc/hosts "$expected" || fail "$1: hosts changed"
    [ ! -e /etc/hosts.tmp ] || fail "$1: a hosts.tmp was left"
}
expected="$work/old"
refused /dev/null 7 "The new hosts file was refused: no text came."
refused "$work/good" 7 "The new hosts file was refused: it does not begin with its frame header."
refused "$work/cut.framed" 7 "The new hosts file was refused: it ended after $((300 - $(head -n 1 "$work/big.framed" | wc -c))) of the $(wc -c < "$work/big") bytes its frame announces."
for f in remap-localhost remap-localhost-v6; do
    refused "$work/$f.framed" 3 "The new hosts file was refused: line 6 names \"localhost\", which only the system's own lines of /etc/hosts may name."
done
refused "$work/remap-own.framed" 3 "The new hosts file was refused: line 6 names \"$own\", which only the system's own lines of /etc/hosts may name."
refused "$work/remap-localdomain.framed" 3 "The new hosts file was refused: line 6 names \"localhost.localdomain\", which only the system's own lines of /etc/hosts may name."
refused "$work/remap-own-domain.framed" 3 "The new hosts file was refused: line 6 names \"$own.lan\", which only the system's own lines of /etc/hosts may name."
refused "$work/not-admitted.framed" 8 "The new hosts file was refused: line 6 holds a name that Quillon does not admit. The host name \"$(printf 'b\303\274cher.example')\" was refused: a host name holds only ASCII letters, digits, \"-\", \"_\" and \".\"."
refused "$work/drop-localhost.framed" 3 "The new hosts file was refused: it drops or changes the system's line \"127.0.0.1 localhost\"."
# A size over the limit is refused from the header alone.
printf 'QUILLON-HOSTS 1 %s %s\n' $((257 * 1024 * 1024)) "$(printf x | sha256sum | cut -d' ' -f1)" > "$work/huge.framed"
refused "$work/huge.framed" 4 "The new hosts file was refused: it is larger than 256 MiB."

# A good text replaces the file; the old one is kept as hosts.bak and hosts.orig.
on_copy
out=$("$QUILLON_HELPER" /etc/hosts < "$work/good.framed") || fail "good text: status $?: $out"
cmp -s /etc/hosts "$work/good" || fail "good text: hosts not replaced"
cmp -s /etc/hosts.orig "$work/old" || fail "good text: no hosts.orig"
cmp -s /etc/hosts.bak "$work/old" || fail "good text: no hosts.bak"
[ "$(stat -c %a /etc/hosts)" = 644 ] || fail "good text: hosts is mode $(stat -c %a /etc/hosts)"

# One hostile line refuses the whole text.
expected="$work/good"
refused "$work/hostile.framed" 3 "The new hosts file was refused: line 7 is not a host line that Quillon writes."

# Any other target is refused.
for target in /etc/passwd /etc/hosts/../passwd /tmp/hosts; do
    status=0
    "$QUILLON_HELPER" "$target" < "$work/good.framed" > /dev/null || status=$?
    [ "$status" = 2 ] || fail "target $target: status $status"
done
status=0
"$QUILLON_HELPER" /etc/hosts /etc/hosts < "$work/big.framed" > /dev/null || status=$?
[ "$status" = 2 ] || fail "two targets: status $status"
cmp -s /etc/hosts "$work/good" || fail "targets: hosts changed"

# A read-only folder gives its reason.
mount -o remount,ro,bind /etc
on_copy
status=0
out=$("$QUILLON_HELPER" /etc/hosts < "$work/big.framed") || status=$?
out=$(answer_of "$out")
[ "$status" = 5 ] || fail "read-only: status $status"
[ "$out" = 'Cannot create file "/etc/hosts.tmp". Read-only file system' ] || fail "read-only: $out"
mount -o remount,rw,bind /etc

# A full disk: a tiny file system over the copy, filled up.
mount -t tmpfs -o size=64k quillon-full /etc
touch /etc/quillon-namespace-test
cp "$work/old" /etc/hosts
dd if=/dev/zero of=/etc/fill bs=4096 2>/dev/null || true
on_copy
status=0
out=$("$QUILLON_HELPER" /etc/hosts < "$work/big.framed") || status=$?
out=$(answer_of "$out")
[ "$status" = 5 ] || fail "full disk: status $status"
[ "$out" = 'Cannot create file "/etc/hosts.tmp". No space left on device' ] || fail "full disk: $out"
cmp -s /etc/hosts "$work/old" || fail "full disk: hosts changed"
umount /etc

# Another holder of the writers' lock: the helper gives up after its bounded
# wait, says who holds it, and leaves the hosts file alone. The lock is taken
# through this shell's descriptor, so it lasts until the shell closes it.
on_copy
cp "$work/old" /etc/hosts
[ -f /run/quillon-hosts.lock ] || fail "no lock file was made"
[ "$(stat -c '%a %u %F' /run/quillon-hosts.lock)" = "600 0 regular empty file" ] || fail "lock file: $(stat -c '%a %u %F' /run/quillon-hosts.lock)"
exec 9<>/run/quillon-hosts.lock
flock -x 9
status=0
out=$("$QUILLON_HELPER" /etc/hosts < "$work/good.framed") || status=$?
exec 9>&-
[ "$status" = 9 ] || fail "lock held: status $status: $out"
case $out in
"Another program (process "*") holds the lock on /etc/hosts (/run/quillon-hosts.lock); try again later.") ;;
*) fail "lock held: $out" ;;
esac
cmp -s /etc/hosts "$work/old" || fail "lock held: hosts changed"
rm -rf "$work"

# The program's writer and save, running this helper through a stand-in pkexec.
if [ -n "$QUILLON_WRITER_TESTS" ]; then
    on_copy
    "$QUILLON_WRITER_TESTS" || fail "writer tests"
fi
echo "hosts helper: all cases passed"
INSIDE
