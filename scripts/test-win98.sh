#!/usr/bin/env bash
# Runs the Windows program that users get, TAVREL.EXE as the Windows zip
# holds it (the floppy/ folder of the i686 build, stripped), on an emulated
# Pentium II: qemu-system-i386 -cpu pentium2 with a Debian i386 guest and
# 32-bit Wine in it, reporting Windows 95, 98, ME and XP in turn
# (tests/win98/guest-tests.sh says what is checked). The i686 test programs
# (every *_tests.exe of an i686 build with posix threads, which GoogleTest
# needs) run there too, as Windows 98.
# The guest is made once (tests/win98/make-guest.sh) and kept in
# ~/.cache/tavrel/win98-KEY, KEY the digest of the files that make it; a run
# that finds it boots in seconds. A guest that outlives TAVREL_WIN98_TIMEOUT
# seconds (900) is stopped, and what it printed is shown.
# TAVREL_WIN98_SYSTEMS names the systems (default: win95 win98 winme winxp).
# Called by test.sh; TAVREL_SKIP_WIN98=1 skips it there.
set -euo pipefail
cd "$(dirname "$0")/.."
src=$PWD

scripts/deps.sh qemu-system-x86 debootstrap cpio imagemagick googletest \
  g++-mingw-w64-i686-win32 g++-mingw-w64-i686-posix binutils-mingw-w64-i686

common=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVREL_BUILD_BENCH=OFF -DTAVREL_WERROR=ON -DTAVREL_BUILD_GUI=ON)
# The program as release.sh zips it: the floppy target of the i686 build.
cmake -S . -B build-win98 -DCMAKE_TOOLCHAIN_FILE="$src/cmake/mingw-w64-i686.cmake" "${common[@]}" > /dev/null
cmake --build build-win98 -j2 --target floppy
# The test programs of the same code for the same processor, with posix threads.
# The program's optimisation without its debugging information, which only
# slows their build and their start.
cmake -S . -B build-win98-tests -DCMAKE_TOOLCHAIN_FILE="$src/cmake/mingw-w64-i686-tests.cmake" "${common[@]}" \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG" > /dev/null
cmake --build build-win98-tests -j2

# The guest, made once for what it is made of.
# Debian's mirror as apt's own sources name it.
mirror=$({ sed -n 's/^URIs: *//p;s/^deb  *\(\[[^]]*\] *\)\{0,1\}\([^ ]*\) bookworm .*/\2/p' \
  /etc/apt/sources.list.d/*.sources /etc/apt/sources.list 2>/dev/null || true; } | grep -v security | head -n 1)
key=$(cat tests/win98/make-guest.sh tests/win98/guest-init.sh tests/win98/first-boot.sh | sha256sum | cut -c1-16)
cache=${XDG_CACHE_HOME:-$HOME/.cache}/tavrel/win98-$key
limit=${TAVREL_WIN98_TIMEOUT:-900}

# boot ROOT PREFIX JOB_SCRIPT OUT: starts the PC on ROOT with the Wine prefix
# PREFIX and this folder shared, runs JOB_SCRIPT OUT there, and fails unless
# it ends within the time limit with status 0.
boot() {
  local root=$1 prefix=$2 run=$3 out=$4 status=0
  rm -f "$out/status"
  timeout "$limit" qemu-system-i386 -cpu pentium2 -m 1024 -nic none -display none -monitor none \
    -serial file:"$out/console.log" -no-reboot \
    -kernel "$root/../vmlinuz" -initrd "$root/../initrd.gz" \
    -append "console=ttyS0 panic=-1 quiet tavrel.job=$src tavrel.run=$run tavrel.out=$out" \
    -virtfs local,path="$root",mount_tag=root,security_model=none \
    -virtfs local,path="$prefix",mount_tag=prefix,security_model=none \
    -virtfs local,path="$src",mount_tag=job,security_model=none < /dev/null || status=$?
  if [ "$status" = 124 ]; then
    echo "test-win98.sh: the emulated PC did not end within $limit s; it printed:"
  elif [ "$(cat "$out/status" 2>/dev/null)" != 0 ]; then
    echo "test-win98.sh: $run failed in the emulated PC; it printed:"
    status=1
  fi
  if [ "$status" != 0 ]; then
    tail -n 80 "$out/console.log"
    return 1
  fi
}

start=$SECONDS
if [ ! -f "$cache/ready" ]; then
  echo "Making the emulated PC in $cache (once)"
  rm -rf "$cache.new"
  mkdir -p "$cache.new"
  tests/win98/make-guest.sh "$cache.new" "$mirror"
  mkdir -p build-win98/first-boot
  boot "$cache.new/root" "$cache.new/prefix" "$src/tests/win98/first-boot.sh" "$src/build-win98/first-boot"
  touch "$cache.new/ready"
  rm -rf "$cache"
  mv "$cache.new" "$cache"
  echo "emulated PC made in $((SECONDS - start)) s"
fi

# The job: the prefix, the program in a folder per system, the
# samples, the test programs, the helper that reads windows and a program
# with one SSE instruction.
out=$src/build-win98/guest
rm -rf "$out"
mkdir -p "$out/tests"
# Two copies of the prefix, for the two halves of the work: its files
# linked, not copied (600 MB), its registry, which Wine changes, copied.
for prefix in prefix prefix-b; do
  cp -al "$cache/prefix" "$out/$prefix"
  for reg in "$cache"/prefix/*.reg; do
    cp --remove-destination "$reg" "$out/$prefix/"
  done
done
systems=${TAVREL_WIN98_SYSTEMS:-win95 win98 winme winxp}
echo "$systems" > "$out/systems"
for system in $systems; do
  mkdir -p "$out/$system"
  cp build-win98/floppy/TAVREL.EXE "$out/$system/"
done
find build-win98-tests -name '*_tests.exe' -exec sh -c 'i686-w64-mingw32-strip -o "$0/$(basename "$1")" "$1"' "$out/tests" {} \;
for sample in samples/*.reg; do
  # Each sample imported fresh: the adapters' keys of the last one removed first.
  { printf 'REGEDIT4\r\n\r\n[-HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Class\\Display]\r\n'
    iconv -f UTF-16 -t CP1252 "$sample" | tail -n +2; } > "$out/$(basename "$sample")"
done
for system in $systems; do
  # The system that Wine reports, set with the first sample.
  { cat "$out/one-adapter.reg"
    printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine]\r\n"Version"="%s"\r\n' "$system"; } > "$out/$system-one-adapter.reg"
done
mingw=(-std=c++20 -O2 -Wall -Wextra -Werror -march=pentium2 -static)
i686-w64-mingw32-g++-win32 "${mingw[@]}" -mwindows -o "$out/wintext.exe" tests/win98/wintext.cpp
i686-w64-mingw32-g++-win32 "${mingw[@]}" -o "$out/sse.exe" tests/win9x/SseSample.cpp

start=$SECONDS
boot "$cache/root" "$out/prefix" "$src/tests/win98/guest-tests.sh" "$out"
cat "$out/console.log"
# The screenshots as PNG; docs/windows98.png is win98/main.png.
for shot in "$out"/*/*.bmp; do
  convert "$shot" "${shot%.bmp}.png"
done
echo "emulated PC: passed in $((SECONDS - start)) s"
