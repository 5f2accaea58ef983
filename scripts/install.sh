#!/usr/bin/env bash
# make install and make uninstall, under $DESTDIR when it is set:
#   install.sh install <build-dir> <prefix or ""> [<target>...]
#   install.sh uninstall <build-dir>
#
# install puts in place what make built in <build-dir>, for the prefix it was
# configured for (a different <prefix> is refused: the program and the polkit
# action name the helper by its installed path). It never configures nor
# runs apt. The targets given are brought up to date first; when root
# installs a build folder that a person owns, that build runs as the person,
# and the two lists install keeps there (cmake's install_manifest.txt, and
# install_folders.txt: the folders it made) are handed to the person, so
# that nothing in the folder becomes root's. Folders are made 0755 and files
# 0644 (programs 0755), whatever the umask.
#
# uninstall first says how to put the hosts file back as Quillon first found
# it, then removes the files of the manifest and the folders install made,
# where they are empty.
set -euo pipefail

destdir=${DESTDIR:-}

die() { echo "$*" >&2; exit 1; }

# The folders that installing the files of manifest under destdir makes:
# those above each file that do not exist yet, up to one that does.
folders_to_make() {
  local file dir
  while IFS= read -r file; do
    dir=${file%/*}
    while [[ -n $dir && ! -e $destdir$dir ]]; do
      echo "$dir"
      dir=${dir%/*}
    done
  done <"$1"
}

install_build() {
  local build=$1 prefix=$2
  shift 2
  local cache=$build/CMakeCache.txt
  [[ -f $cache && -f $build/cmake_install.cmake ]] \
    || die "Nothing is built in $build: run make first (as yourself, not as root), then make install."
  local built_prefix
  built_prefix=$(sed -n 's/^CMAKE_INSTALL_PREFIX:PATH=//p' "$cache")
  if [[ -n $prefix && ${prefix%/} != "${built_prefix%/}" ]]; then
    die "$build was built for $built_prefix, not $prefix: run make PREFIX=$prefix first, then make install PREFIX=$prefix."
  fi

  local owner group
  owner=$(stat -c %u "$cache")
  group=$(stat -c %g "$cache")
  local as_owner=()
  if [[ $(id -u) == 0 && $owner != 0 ]]; then
    if [[ -n $(find "$build" -maxdepth 1 -user 0 -print -quit) ]]; then
      die "$build holds files that root made (an earlier make install): give them back with
  sudo chown -R $(id -nu "$owner" 2>/dev/null || echo "$owner") $build
then run make install again."
    fi
    local groups=--clear-groups home=/
    if getent passwd "$owner" >/dev/null; then
      groups=--init-groups
      home=$(getent passwd "$owner" | cut -d: -f6)
    fi
    as_owner=(setpriv --reuid="$owner" --regid="$group" "$groups" -- env HOME="$home")
  fi
  if [[ $# -gt 0 ]]; then
    "${as_owner[@]}" cmake --build "$build" --target "$@"
  fi

  # The file list comes from a first install into an empty folder; the
  # folders it will make are recorded before any is made, so that an install
  # cut short can still be undone. Earlier installs' folders are kept.
  stage=$(mktemp -d)
  record=$build/install_folders.txt
  handed=()
  if [[ ${#as_owner[@]} -gt 0 ]]; then
    handed=("$owner:$group" "$build/install_manifest.txt" "$record")
  fi
  trap 'rm -rf "$stage"; [[ ${#handed[@]} -eq 0 ]] || chown "${handed[@]}" 2>/dev/null || true' EXIT
  DESTDIR=$stage/root cmake --install "$build" >/dev/null
  {
    folders_to_make "$build/install_manifest.txt"
    [[ ! -f $record ]] || cat "$record"
  } | sort -ru >"$stage/folders"
  cp "$stage/folders" "$record"

  umask 022
  DESTDIR=$destdir cmake --install "$build"
}

uninstall_build() {
  local build=$1
  local manifest=$build/install_manifest.txt record=$build/install_folders.txt
  if [[ ! -f $manifest ]]; then
    echo "Nothing to uninstall: $manifest is missing (make install writes it)."
    return
  fi
  cat <<'EOF'
Quillon leaves the hosts file as it last wrote it. To have it back as Quillon first found it,
first start Quillon and choose Tools > Hosts File Changes > Restore Original Hosts File.
Once Quillon is removed, the same from a terminal: sudo cp /etc/hosts.orig /etc/hosts
EOF
  sed "s|^|$destdir|" "$manifest" | xargs -r -d '\n' rm -fv
  # The folders install made, deepest first, and the program's own folders
  # (those an install from before the record made), where they are empty.
  {
    [[ ! -f $record ]] || cat "$record"
    sed -n 's|^\(.*/quillon\)/[^/]*$|\1|p' "$manifest"
  } | sort -ru | while IFS= read -r dir; do
    [[ ! -d $destdir$dir ]] || rmdir --ignore-fail-on-non-empty "$destdir$dir"
  done
}

case "${1:-}" in
  install) [[ $# -ge 3 ]] || die "usage: $0 install <build-dir> <prefix or \"\"> [<target>...]"
           install_build "${@:2}" ;;
  uninstall) [[ $# -eq 2 ]] || die "usage: $0 uninstall <build-dir>"
             uninstall_build "$2" ;;
  *) die "usage: $0 install|uninstall <build-dir> ..." ;;
esac
