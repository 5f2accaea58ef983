#!/usr/bin/env bash
# Installs a build into a temporary DESTDIR as make install does, under a
# umask of 0, and checks what lands there:
#   install_check.sh <build-dir> <prefix> <with-helper: 0|1>
# the exact list of files, folders 0755 and files 0644 (programs 0755), a
# desktop entry that desktop-file-validate accepts and that names an
# installed program and icon, AppStream metadata that appstreamcli accepts,
# a manual page that man reads without a warning, a polkit action that names
# the installed helper, and icons that parse (SVG) or have the size their
# folder names (PNG). Then make uninstall's removal must leave the DESTDIR
# empty: no file, no folder. Nothing is written outside the temporary
# folder, except that the build's install_manifest.txt and
# install_folders.txt, which install rewrites, are put back as they were so
# that `make uninstall` still removes a real installation.
set -euo pipefail

build=$1
prefix=$2
with_helper=$3
[[ $prefix == /* ]] || { echo "prefix must be absolute: $prefix" >&2; exit 2; }

# Relative to the prefix, except the polkit action: polkit reads only /usr/share.
expected=(
  bin/quillon
  share/applications/quillon.desktop
  share/icons/hicolor/16x16/apps/quillon.png
  share/icons/hicolor/32x32/apps/quillon.png
  share/icons/hicolor/48x48/apps/quillon.png
  share/icons/hicolor/64x64/apps/quillon.png
  share/icons/hicolor/128x128/apps/quillon.png
  share/icons/hicolor/256x256/apps/quillon.png
  share/icons/hicolor/scalable/apps/quillon.svg
  share/doc/quillon/changelog.gz
  share/doc/quillon/copyright
  share/man/man1/quillon.1.gz
  share/metainfo/org.quillon.Quillon.metainfo.xml
  share/quillon/Help00.htm
  share/quillon/Help90.htm
  share/quillon/Help91.htm
  share/quillon/Quillon.a01
  share/quillon/Quillon.n02
  /usr/share/polkit-1/actions/org.quillon.hosts-helper.policy
)
helper=$prefix/libexec/quillon/quillon-hosts-helper
if [[ $with_helper == 1 ]]; then
  expected+=("${helper#"$prefix"/}")
fi

work=$(mktemp -d)
[[ $work == /* && -d $work ]] || { echo "no temporary folder" >&2; exit 2; }
dest=$work/root
lists=(install_manifest.txt install_folders.txt)
cleanup() {
  for list in "${lists[@]}"; do
    if [[ -f $work/$list ]]; then mv -f "$work/$list" "$build/$list"; else rm -f "${build:?}/$list"; fi
  done
  rm -rf "${work:?}"
}
trap cleanup EXIT
trap 'exit 1' INT TERM
for list in "${lists[@]}"; do
  if [[ -f $build/$list ]]; then cp -p "$build/$list" "$work/$list"; fi
done
rm -f "$build/install_folders.txt"
mkdir "$dest"

install_script=$(dirname "$0")/../../scripts/install.sh
if ! (umask 0 && DESTDIR=$dest bash "$install_script" install "$build" "$prefix") >"$work/log" 2>&1; then
  cat "$work/log"; exit 1
fi

failed=0
fail() { echo "FAIL: $*"; failed=1; }

want=$(for f in "${expected[@]}"; do
  if [[ $f == /* ]]; then echo "$f"; else echo "$prefix/$f"; fi
done | sort)
got=$(cd "$dest" && find . \( -type f -o -type l \) | sed 's|^\.||' | sort)
if [[ $want != "$got" ]]; then
  fail "installed files differ from the expected list (- expected, + installed):"
  diff -u <(echo "$want") <(echo "$got") | tail -n +3 || true
fi

# Every folder and file with its fixed mode, whatever the umask.
while IFS= read -r -d '' path; do
  mode=$(stat -c %a "$path")
  if [[ -d $path ]]; then want=755
  elif [[ $path == */bin/quillon || $path == */libexec/quillon/quillon-hosts-helper ]]; then want=755
  else want=644
  fi
  [[ $mode == "$want" ]] || fail "${path#"$dest"} has mode $mode, not $want"
done < <(find "$dest" -mindepth 1 -print0)

root=$dest$prefix
metainfo=$root/share/metainfo/org.quillon.Quillon.metainfo.xml
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$metainfo" >"$work/appstream" 2>&1 \
    || { cat "$work/appstream"; fail "appstreamcli rejects the AppStream metadata"; }
else
  echo "appstreamcli not found (appstream): metadata not validated"
fi
if command -v man >/dev/null; then
  warnings=$(MANWIDTH=80 man --warnings -l "$root/share/man/man1/quillon.1.gz" 2>&1 >/dev/null || echo "man failed")
  [[ -z $warnings ]] || fail "man warns about quillon.1: $warnings"
  grep -q "$prefix/libexec/quillon/quillon-hosts-helper" <(zcat "$root/share/man/man1/quillon.1.gz") \
    || fail "quillon.1 does not name the installed helper"
else
  echo "man not found (man-db): manual page not checked"
fi

entry=$root/share/applications/quillon.desktop
if [[ -f $entry ]]; then
  if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$entry" || fail "desktop-file-validate rejects quillon.desktop"
  else
    echo "desktop-file-validate not found (desktop-file-utils): entry not validated"
  fi
  exec_name=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
  [[ -x $root/bin/$exec_name ]] || fail "Exec=$exec_name is not an installed program"
  icon_name=$(sed -n 's/^Icon=//p' "$entry")
  [[ -f $root/share/icons/hicolor/scalable/apps/$icon_name.svg ]] || fail "Icon=$icon_name is not an installed icon"
fi

python3 - "$dest" "$prefix" "$helper" <<'EOF' || failed=1
import pathlib, struct, sys
import xml.etree.ElementTree as ET

dest, prefix, helper = pathlib.Path(sys.argv[1]), sys.argv[2], sys.argv[3]
root = dest / prefix.lstrip("/")
ok = True
def fail(message):
    global ok
    print("FAIL:", message)
    ok = False

policy = dest / "usr/share/polkit-1/actions/org.quillon.hosts-helper.policy"
if policy.exists():
    try:
        action = ET.parse(policy).getroot().find("action")
        if action is None or action.get("id") != "org.quillon.hosts-helper":
            fail("polkit file holds no action org.quillon.hosts-helper")
        else:
            paths = [a.text for a in action.iter("annotate")
                     if a.get("key") == "org.freedesktop.policykit.exec.path"]
            if paths != [helper]:
                fail(f"polkit action runs {paths}, not {helper}")
            defaults = {d.tag: d.text for d in action.find("defaults")}
            if defaults != {"allow_any": "auth_admin", "allow_inactive": "auth_admin",
                            "allow_active": "auth_admin_keep"}:
                fail(f"polkit defaults are {defaults}")
    except ET.ParseError as e:
        fail(f"polkit file is not well-formed XML: {e}")

svg = root / "share/icons/hicolor/scalable/apps/quillon.svg"
if svg.exists():
    try:
        if ET.parse(svg).getroot().tag != "{http://www.w3.org/2000/svg}svg":
            fail("quillon.svg is not an SVG picture")
    except ET.ParseError as e:
        fail(f"quillon.svg is not well-formed XML: {e}")

for png in sorted((root / "share/icons/hicolor").glob("*x*/apps/quillon.png")):
    side = int(png.parent.parent.name.split("x")[0])
    head = png.read_bytes()[:24]
    if head[:8] != b"\x89PNG\r\n\x1a\n" or struct.unpack(">II", head[16:24]) != (side, side):
        fail(f"{png.relative_to(dest)} is not a {side}x{side} PNG picture")

sys.exit(0 if ok else 1)
EOF

# make uninstall: it says how to have the first hosts file back, and leaves
# nothing of the install behind.
if ! DESTDIR=$dest bash "$install_script" uninstall "$build" >"$work/log" 2>&1; then
  cat "$work/log"; exit 1
fi
grep -q "Tools > Hosts File Changes > Restore Original Hosts File" "$work/log" \
  || fail "make uninstall does not say how to put back the original hosts file"
left=$(cd "$dest" && find . -mindepth 1 | sort)
[[ -z $left ]] || fail "make uninstall left behind:"$'\n'"$left"

exit $failed
