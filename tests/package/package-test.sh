#!/usr/bin/env bash
# Builds the Debian package from this build tree, checks it as Debian would, unpacks it and runs
# the program from there, so that the installed layout is proved rather than assumed.
# Usage: package-test.sh BUILD_DIR PROGRAM_TEST VERSION
set -euo pipefail
build=$1 program_test=$2 version=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cpack --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" ||
  { cat "$work/cpack.log"; exit 1; }
deb=$work/out/brindlecast_${version}_amd64.deb
lintian --fail-on error,warning --tag-display-limit 0 "$deb"

# dpkg-shlibdeps found the packages of the libraries, the office's UNO runtime among them, beside
# the office and the fonts that are named by hand.
depends=$(dpkg-deb -f "$deb" Depends)
for package in libuno-cppu3 libuno-sal3 libqt6widgets6 libreoffice-writer-nogui \
  libreoffice-calc-nogui fonts-liberation2 qpdf; do
  [[ $depends == *"$package"* ]] || { echo "Depends lacks $package: $depends"; exit 1; }
done

root=$work/root
dpkg-deb -x "$deb" "$root"
appstreamcli validate --no-net "$root"/usr/share/metainfo/example.quillmark.Brindlecast.metainfo.xml
for entry in brindlecast brindlecast-mail-merge; do
  desktop-file-validate "$root/usr/share/applications/$entry.desktop"
done
# The mail merge's entry opens its window with the file it is given.
grep -qx 'Exec=brindlecast mail-merge %f' "$root/usr/share/applications/brindlecast-mail-merge.desktop" ||
  { echo "The mail merge's entry does not start brindlecast mail-merge"; exit 1; }

# The command on the PATH must lead to the unpacked program, which finds its module beside it.
program=$(readlink -f "$root/usr/bin/brindlecast")
[[ $program == "$root/usr/lib/brindlecast/brindlecast" ]] ||
  { echo "usr/bin/brindlecast leads to $program"; exit 1; }
[[ -f $root/usr/lib/brindlecast/brindlecast-writer.so ]] || { echo "The engine module is missing"; exit 1; }
# A tree for running the program alone builds no manual page; a package must carry it.
[[ -f $root/usr/share/man/man1/brindlecast.1.gz ]] || { echo "The manual page is missing"; exit 1; }

said=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/brindlecast" --version)
[[ $said == "brindlecast $version" ]] || { echo "--version said: $said"; exit 1; }

BRINDLECAST_PROGRAM=$root/usr/bin/brindlecast "$program_test" --gtest_filter='ProgramTest.*'
