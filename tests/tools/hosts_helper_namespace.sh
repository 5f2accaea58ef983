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
trap 'rm -rf "$etc"' EXIT
# What the helper's loader reads from /etc, and the mark that tells the copy
# from the real folder.
for f in ld.so.cache ld.so.conf passwd group; do
    [ -e "/etc/$f" ] && cp "/etc/$f" "$etc/"
done
[ -d /etc/ld.so.conf.d ] && cp -r /etc/ld.so.conf.d "$etc/"
touch "$etc/quillon-namespace-test"

export QUILLON_HELPER="$helper" QUILLON_WRITER_TESTS="$writer_tests" QUILLON_ETC="$etc"
$enter sh -eu <<'INSIDE'
fail() { echo "FAIL: $*"; exit 1; }
# Every write below goes to /etc only after this proves it is the copy.
mount --bind "$QUILLON_ETC" /etc || exit 1
[ -f /etc/quillon-namespace-test ] || fail "/etc is not the temporary copy"
on_copy() { [ -f /etc/quillon-namespace-test ] || fail "/etc is not the temporary copy"; }

m=' #Quillon|2001/03/05|14.07.09|1|0#'
work=$(mktemp -d)
printf '# mine\r\n127.0.0.1 localhost\r\n' > "$work/old"
printf "1.2.3.4 a $m\r\n::1 localhost ip6-localhost$m\r\n" > "$work/good"
printf "5.6.7.8 b $m\r\n1.2.3.4 good evil#x$m\r\n" > "$work/hostile"
i=0
while [ $i -lt 400 ]; do printf "10.0.0.1 host$i $m\r\n"; i=$((i + 1)); done > "$work/big"
cp "$work/old" /etc/hosts

# A good text replaces the file; the old one is kept as hosts.bak and hosts.orig.
on_copy
out=$("$QUILLON_HELPER" /etc/hosts < "$work/good") || fail "good text: status $?: $out"
cmp -s /etc/hosts "$work/good" || fail "good text: hosts not replaced"
cmp -s /etc/hosts.orig "$work/old" || fail "good text: no hosts.orig"
cmp -s /etc/hosts.bak "$work/old" || fail "good text: no hosts.bak"

# One hostile line refuses the whole text.
on_copy
status=0
out=$("$QUILLON_HELPER" /etc/hosts < "$work/hostile") || status=$?
[ "$status" = 3 ] || fail "hostile line: status $status"
[ "$out" = "The new hosts file was refused: line 2 is not a host line that Quillon writes." ] || fail "hostile line: $out"
cmp -s /etc/hosts "$work/good" || fail "hostile line: hosts changed"

# Any other target is refused.
for target in /etc/passwd /etc/hosts/../passwd /tmp/hosts; do
    status=0
    "$QUILLON_HELPER" "$target" < "$work/good" > /dev/null || status=$?
    [ "$status" = 2 ] || fail "target $target: status $status"
done
status=0
"$QUILLON_HELPER" /etc/hosts /etc/hosts < "$work/big" > /dev/null || status=$?
[ "$status" = 2 ] || fail "two targets: status $status"
cmp -s /etc/hosts "$work/good" || fail "targets: hosts changed"

# A read-only folder gives its reason.
mount -o remount,ro,bind /etc
on_copy
status=0
out=$("$QUILLON_HELPER" /etc/hosts < "$work/big") || status=$?
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
out=$("$QUILLON_HELPER" /etc/hosts < "$work/big") || status=$?
[ "$status" = 5 ] || fail "full disk: status $status"
[ "$out" = 'Cannot create file "/etc/hosts.tmp". No space left on device' ] || fail "full disk: $out"
cmp -s /etc/hosts "$work/old" || fail "full disk: hosts changed"
umount /etc
rm -rf "$work"

# The program's writer and save, running this helper through a stand-in pkexec.
if [ -n "$QUILLON_WRITER_TESTS" ]; then
    on_copy
    "$QUILLON_WRITER_TESTS" || fail "writer tests"
fi
echo "hosts helper: all cases passed"
INSIDE
