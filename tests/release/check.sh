#!/usr/bin/env bash
# Checks what scripts/release.sh wrote, as a user would meet it:
# - SHA256SUMS holds the three files' sums;
# - lintian finds no error and no warning in the .deb;
# - the .deb installs with apt, after which the program, its manual page,
#   desktop entry, metainfo and icons are where the system looks for them
#   (man -w, desktop-file-validate, appstreamcli validate and get) and
#   the program works without a display; its changelog agrees with
#   CHANGELOG.md; dpkg -r then leaves no file of it behind;
# - the zip unpacks to the three Windows files as Windows 95/98/ME and a
#   floppy take them, and its program passes the Windows 95/98/ME audit;
# - the source tarball holds the committed files at the same version, and
#   they configure.
# Installs and removes the package on this machine: run it where that is
# welcome (CI, a scratch machine). Usage: tests/release/check.sh [dist]
set -euo pipefail
cd "$(dirname "$0")/../.."
dist=$(realpath "${1:-dist}")
here=$PWD
scripts/deps.sh lintian man-db desktop-file-utils appstream unzip binutils-mingw-w64-i686 python3

fail() { echo "check.sh: $*" >&2; exit 1; }
shopt -s nullglob
arch=$(dpkg --print-architecture)
debs=("$dist"/tavrel_*_"$arch".deb)
[ ${#debs[@]} -eq 1 ] || fail "expected one tavrel_<version>_$arch.deb in $dist, found ${#debs[@]}"
deb=${debs[0]}
version=$(dpkg-deb -f "$deb" Version)
zip=$dist/tavrel-$version-windows.zip
tarball=$dist/tavrel-$version.tar.gz
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "== SHA256SUMS"
(cd "$dist" && sha256sum --strict -c SHA256SUMS)
[ "$(wc -l < "$dist/SHA256SUMS")" -eq 3 ] || fail "SHA256SUMS does not list the three files"

echo "== lintian"
lintian --fail-on error,warning --info "$deb"

echo "== install"
if dpkg-query -W tavrel > /dev/null 2>&1; then dpkg -P tavrel; fi
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" > /dev/null
[ "$(command -v tavrel)" = /usr/bin/tavrel ] || fail "tavrel is not /usr/bin/tavrel on the PATH"
# The command line needs no display.
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM tavrel --version)
# The program writes 2.0.0 as 2.00.
IFS=. read -r major minor _ <<< "$version"
printf -v shown '%s.%02d' "$major" "$minor"
[ "$out" = "Tavrel $shown" ] || fail "tavrel --version said '$out', not 'Tavrel $shown'"
cp samples/one-adapter.reg "$work/r.reg"
export HOME=$work XDG_CONFIG_HOME=$work/config
env -u DISPLAY tavrel --registry "$work/r.reg" --memory-clock 333
info=$(env -u DISPLAY tavrel --registry "$work/r.reg" --info)
grep -q "^Memory clock : 333$" <<< "$info" || fail "the installed program did not write the clock, or cannot read it back"
[ "$(man -w tavrel)" = /usr/share/man/man1/tavrel.1.gz ] || fail "man -w tavrel said '$(man -w tavrel)'"
page=$(man -P cat tavrel 2> /dev/null)
grep -q -- "--memory-clock" <<< "$page" || fail "man tavrel does not show the page"
desktop-file-validate /usr/share/applications/io.github.tavrel.tavrel.desktop
appstreamcli validate --no-net --strict /usr/share/metainfo/io.github.tavrel.tavrel.metainfo.xml
appstreamcli refresh-cache --force > /dev/null
component=$(appstreamcli get io.github.tavrel.tavrel)
grep -q "^Name: Tavrel$" <<< "$component" || fail "AppStream does not find the component"
for size in 32x32 128x128; do
  [ -f "/usr/share/icons/hicolor/$size/apps/tavrel.png" ] || fail "no $size icon"
done
mkdir "$work/deb"
dpkg-deb -x "$deb" "$work/deb"
appstreamcli validate-tree --no-net --strict "$work/deb/usr"
python3 tests/release/check-changelog.py CHANGELOG.md --version "$version" \
  --metainfo /usr/share/metainfo/io.github.tavrel.tavrel.metainfo.xml --debian /usr/share/doc/tavrel/changelog.gz

echo "== remove"
dpkg-deb --fsys-tarfile "$deb" | tar -t | sed 's|^\./|/|; s|/$||' | grep -v '^$' > "$work/files"
dpkg -r tavrel
left=()
while read -r path; do
  # Folders the system had before the package (/usr/share/man, ...) stay.
  if [ -e "$path" ] && ! { [ -d "$path" ] && dpkg -S "$path" > /dev/null 2>&1; }; then left+=("$path"); fi
done < "$work/files"
[ ${#left[@]} -eq 0 ] || fail "dpkg -r left: ${left[*]}"
status=$(dpkg-query -W -f='${db:Status-Status}' tavrel 2> /dev/null || echo not-installed)
[ "$status" = not-installed ] || fail "tavrel is $status after dpkg -r"
appstreamcli refresh-cache --force > /dev/null
! appstreamcli get io.github.tavrel.tavrel > /dev/null 2>&1 || fail "AppStream still finds the component"
echo "removed; nothing of the package's $(wc -l < "$work/files") paths is left"

echo "== Windows zip"
[ "$(stat -c %s "$zip")" -le 1457664 ] || fail "$zip is larger than a 1.44 MB floppy"
unzip -q "$zip" -d "$work/zip"
python3 tests/release/check-windows-files.py "$work/zip"
python3 cmake/win9x-audit.py --objdump i686-w64-mingw32-objdump --strip i686-w64-mingw32-strip \
  --lists cmake/win9x-imports.txt --max-size 1048576 "$work/zip/TAVREL.EXE"

echo "== source tarball"
tar -xzf "$tarball" -C "$work"
grep -q "^project(Tavrel VERSION $version " "$work/tavrel-$version/CMakeLists.txt" ||
  fail "$tarball does not hold version $version's CMakeLists.txt"
diff <(cd "$here" && git ls-tree -r --name-only HEAD | sort) <(cd "$work/tavrel-$version" && find . -type f | sed 's|^\./||' | sort) ||
  fail "$tarball does not hold the committed files"
# Configuring finds every source file a target lists.
cmake -S "$work/tavrel-$version" -B "$work/configured" -DTAVREL_BUILD_TESTS=OFF -DTAVREL_BUILD_BENCH=OFF > /dev/null ||
  fail "the sources in $tarball do not configure"

echo "check.sh: $(basename "$deb"), $(basename "$zip") and $(basename "$tarball") are as they should be"
