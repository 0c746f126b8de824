#!/usr/bin/env bash
# The installation as a user gets it: `cmake --install` into a temporary
# prefix, run from there and after a move, the installed module on the host's
# whole road, and the launcher's per-user folder.
#   install-test.sh BUILD_DIR SOURCE_DIR VERSION moved|module|launcher MODULE_TESTS
# MODULE_TESTS is the built module_tests program. No display: every program
# runs with DISPLAY unset.
# "check && check || fail" is meant: fail when either check does not hold.
# shellcheck disable=SC2015
set -euo pipefail
build=$1 source=$2 version=$3 case=$4 module_tests=$5

work=$(mktemp -d /tmp/nimbrel-install-test.XXXXXX)
trap 'rm -rf "$work"' EXIT
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM XDG_DATA_HOME
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"

fail() {
  echo "FAILED: $*" >&2
  exit 1
}

install_into() {
  cmake --install "$build" --prefix "$1" >"$work/install.log" || fail "cmake --install to $1"
}

# What a folder holds, with sizes and contents, to see that nothing changed.
fingerprint() {
  (cd "$1" && find . -printf '%p %y %s %l\n' | sort && find . -type f -exec md5sum {} + | sort)
}

# Every screen the module exports has a picture: a PNG with a size, and more
# than a page of one colour compresses to.
check_screenshots() {
  local host=$1 shots=$2 screen name file
  for screen in editCompany:company listSiteData:sites listPublishTask:tasks; do
    name=${screen%%:*} file=$shots/${screen#*:}.png
    nm -D --defined-only "$host/libNimbrel.so" | grep -qw "$name" || continue
    [ -s "$file" ] || fail "$name: no picture $file"
    [ "$(od -An -tx1 -N8 "$file" | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "$file is not a PNG"
    read -r width height < <(od -An -tu4 --endian=big -j16 -N8 "$file")
    [ "$width" -gt 0 ] && [ "$height" -gt 0 ] || fail "$file has no pixels"
    [ "$(stat -c %s "$file")" -gt 10240 ] || fail "$file looks blank"
  done
  [ -s "$shots/company.png" ] || fail "the company screen was not rendered"
}

# The installation runs where it was put and wherever it is moved: libraries
# and module are found beside the host, Qt's plugins from the system.
test_moved() {
  install_into "$work/prefix"
  local host=$work/prefix/lib/nimbrel file
  for file in nimbrel-host Korvald.exe libNimbrel.so libNimbrelCore.so libNimbrelPlatform.so \
    libNimbrelDb.so uiprofile.ini res/SiteEditDlg.htm images/item.gif images/folder.gif; do
    [ -f "$host/$file" ] || fail "$file is not installed"
  done
  [ -d "$host/data" ] && [ -z "$(ls -A "$host/data")" ] || fail "data/ is not an empty folder"
  for file in "$host"/nimbrel-host "$host"/Korvald.exe "$host"/*.so; do
    # shellcheck disable=SC2016
    [ "$(readelf -d "$file" | sed -n 's/.*(\(R[UN]*PATH\)).*\[\(.*\)\]/\1 \2/p')" = 'RUNPATH $ORIGIN' ] ||
      fail "$file does not find its libraries relative to itself: $(readelf -d "$file" | grep PATH)"
  done
  local tree
  for tree in "$(cd "$build" && pwd -P)" "$(cd "$source" && pwd -P)"; do
    ! grep -rlF "$tree" "$work/prefix" || fail "the installation refers to $tree"
  done
  if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$work/prefix/share/applications/nimbrel.desktop" || fail "desktop entry"
  fi
  [ -f "$work/prefix/share/icons/hicolor/scalable/apps/nimbrel.svg" ] || fail "no icon"

  mv "$work/prefix" "$work/moved"
  host=$work/moved/lib/nimbrel
  cd "$work"
  "$host/nimbrel-host" --help >"$work/help" || fail "nimbrel-host --help"
  grep -q '^Usage: .*nimbrel-host \[options\] \[connection\]$' "$work/help" || fail "no usage line"
  grep -q -- '--screenshot <DIR>' "$work/help" || fail "--help lists no options"
  [ "$("$host/nimbrel-host" --version)" = "nimbrel-host $version" ] || fail "nimbrel-host --version"
  [ "$("$host/Korvald.exe" --version | cut -d' ' -f1-2)" = "Korvald.exe $version" ] ||
    fail "Korvald.exe --version"
  "$host/Korvald.exe" --help | grep -q '^Usage: Korvald.exe' || fail "Korvald.exe --help"

  "$host/nimbrel-host" --screenshot "$work/shots" || fail "the moved host did not render its screens"
  check_screenshots "$host" "$work/shots"
  [ -s "$host/data/nimbrel.db" ] || fail "the moved host did not make its database in its own folder"
}

# The module of a moved installation, loaded by its file name, through every
# screen's life as a host leads it: the module tests, run on it instead of on
# the build's module. The program's own libraries (window model, database)
# are the build's, which the installed module then shares.
test_module() {
  install_into "$work/prefix"
  mv "$work/prefix" "$work/moved"
  NIMBREL_MODULE_DIR=$work/moved/lib/nimbrel QT_QPA_PLATFORM=offscreen "$module_tests" ||
    fail "the installed module's screens"
}

# The launcher makes a per-user folder once, keeps it the user's, and takes
# code from the installation at every start; the installation is only read.
test_launcher() {
  install_into "$work/prefix"
  local host=$work/prefix/lib/nimbrel mine=$work/xdg/nimbrel
  fingerprint "$work/prefix" >"$work/before"

  XDG_DATA_HOME=$work/xdg "$work/prefix/bin/nimbrel" --screenshot "$work/shots" ||
    fail "the launcher did not run the host"
  check_screenshots "$host" "$work/shots"
  cmp -s "$host/uiprofile.ini" "$mine/uiprofile.ini" || fail "uiprofile.ini was not copied"
  [ -s "$mine/data/nimbrel.db" ] || fail "the host did not run in the per-user folder"
  [ "$(readlink "$mine/images")" = "$host/images" ] || fail "images/ is not linked"
  [ "$(readlink "$mine/res/SiteEditDlg.htm")" = "$host/res/SiteEditDlg.htm" ] || fail "forms not linked"
  [ ! -L "$mine/Korvald.exe" ] && cmp -s "$host/Korvald.exe" "$mine/Korvald.exe" ||
    fail "Korvald.exe is not a copy of the installation's"

  # The worker started from the per-user folder works there: its task file,
  # its log and the embedded database are the user's.
  printf '1,demo\r\n' >"$mine/data/RegisterUser1.tsk"
  "$mine/Korvald.exe" --pause 0 'task=RegisterUser&Keyid=1' || fail "Korvald.exe in the per-user folder"
  grep -q success "$mine/data/RegisterUser1.log" || fail "Korvald.exe did not work in the per-user folder"
  fingerprint "$work/prefix" | diff "$work/before" - || fail "the installation was written to"

  # A second start leaves the user's files alone, also one put in place of a link.
  echo "[LayoutCtrl]" >"$mine/uiprofile.ini"
  echo "[DataGrid]" >"$mine/res/gridpos.ini"
  rm "$mine/images" && mkdir "$mine/images"
  fingerprint "$mine" >"$work/mine"
  XDG_DATA_HOME=$work/xdg "$work/prefix/bin/nimbrel" --version >/dev/null || fail "second start"
  fingerprint "$mine" | diff "$work/mine" - || fail "the second start changed the per-user folder"

  # An upgraded, moved installation takes effect at the next start.
  mv "$work/prefix" "$work/upgraded"
  host=$work/upgraded/lib/nimbrel
  printf '\n' >>"$host/Korvald.exe"
  XDG_DATA_HOME=$work/xdg "$work/upgraded/bin/nimbrel" --version >/dev/null || fail "start after upgrade"
  cmp -s "$host/Korvald.exe" "$mine/Korvald.exe" || fail "Korvald.exe was not renewed"
  [ "$(readlink "$mine/libNimbrelDb.so")" = "$host/libNimbrelDb.so" ] || fail "libraries not linked anew"
  "$mine/Korvald.exe" --version >/dev/null || fail "Korvald.exe does not find its libraries"
  [ -d "$mine/images" ] && [ ! -L "$mine/images" ] && grep -q DataGrid "$mine/res/gridpos.ini" ||
    fail "the upgrade replaced the user's files"

  # Without a usable XDG_DATA_HOME the folder is made below HOME.
  HOME=$work/home XDG_DATA_HOME=relative "$work/upgraded/bin/nimbrel" --version >/dev/null ||
    fail "start with a relative XDG_DATA_HOME"
  [ -f "$work/home/.local/share/nimbrel/uiprofile.ini" ] || fail "no per-user folder below HOME"
}

"test_$case"
echo "passed: $case"
