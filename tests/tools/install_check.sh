#!/usr/bin/env bash
# Installs a build into a temporary DESTDIR and checks what lands there:
#   install_check.sh <build-dir> <prefix> <with-helper: 0|1>
# the exact list of files, a desktop entry that desktop-file-validate accepts
# and that names an installed program and icon, a polkit action that names
# the installed helper, and icons that parse (SVG) or have the size their
# folder names (PNG). Nothing is written outside the temporary folder,
# except that the build's install_manifest.txt, which `cmake --install`
# rewrites, is put back as it was so that `make uninstall` still removes a
# real installation.
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
manifest=$build/install_manifest.txt
cleanup() {
  if [[ -f $work/manifest ]]; then mv -f "$work/manifest" "$manifest"; else rm -f "$manifest"; fi
  rm -rf "${work:?}"
}
trap cleanup EXIT
trap 'exit 1' INT TERM
if [[ -f $manifest ]]; then cp -p "$manifest" "$work/manifest"; fi
mkdir "$dest"

if ! DESTDIR=$dest cmake --install "$build" --prefix "$prefix" >"$work/log" 2>&1; then
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

root=$dest$prefix
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

exit $failed
