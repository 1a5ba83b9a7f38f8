#!/usr/bin/env bash
# Makes the emulated Windows 98 PC's Debian i386 guest in DIR, without running
# any 32-bit code on this machine (its kernel runs none):
#   DIR/root        the guest's root, from debootstrap --foreign and dpkg -x
#                   (the second stage would run 32-bit code); 32-bit Wine,
#                   Xvfb, xdotool and xwd inside
#   DIR/vmlinuz     the kernel of Debian's linux-image-686
#   DIR/initrd.gz   busybox and the virtio and 9p modules: it mounts the root
#                   shared by the host and starts /tavrel-init there
#   DIR/prefix      the Wine prefix's folder, empty (tests/win98/first-boot.sh
#                   fills it in the guest)
# Called by scripts/test-win98.sh, which keys DIR by this file's contents.
#   make-guest.sh DIR MIRROR
set -euo pipefail
dir=$1 mirror=$2
here=$(cd "$(dirname "$0")" && pwd)
root=$dir/root

packages=wine32,libz-mingw-w64,fonts-wine,fontconfig,xvfb,xauth,x11-apps,xdotool,busybox-static,linux-image-686
debootstrap --foreign --arch=i386 --variant=minbase --include=$packages bookworm "$root" "$mirror" \
  > "$dir/debootstrap.log" 2>&1 || { tail -n 30 "$dir/debootstrap.log"; exit 1; }
for deb in "$root"/var/cache/apt/archives/*.deb; do
  dpkg -x "$deb" "$root"
done
rm -f "$root"/var/cache/apt/archives/*.deb

# What libwine's maintainer script does: zlib1.dll from the MinGW build,
# marked as a Wine builtin DLL (16 bytes of text and 16 zeros at offset 64).
wdir=$root/usr/lib/i386-linux-gnu/wine/i386-windows
cp "$root/usr/i686-w64-mingw32/lib/zlib1.dll" "$wdir/zlib1.dll"
printf 'Wine builtin DLL\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0' |
  dd of="$wdir/zlib1.dll" bs=1 seek=64 conv=notrunc status=none
kernel=$(cd "$root/boot" && ls vmlinuz-*-686 | head -n 1)
version=${kernel#vmlinuz-}
cp "$root/boot/$kernel" "$dir/vmlinuz"

# The initramfs: busybox, the modules in the order they load, and an init
# that mounts the shared root and moves into it.
initrd=$dir/initrd
rm -rf "$initrd"
mkdir -p "$initrd"/{bin,dev,proc,sys,newroot,modules}
cp "$root/bin/busybox" "$initrd/bin/busybox"
modules=(virtio_ring virtio virtio_pci_legacy_dev virtio_pci_modern_dev virtio_pci netfs fscache 9pnet 9pnet_virtio 9p)
for m in "${modules[@]}"; do
  file=$(find "$root/lib/modules/$version" -name "$m.ko*" | head -n 1)
  if [ -n "$file" ]; then cp "$file" "$initrd/modules/"; fi
done
{
  echo '#!/bin/busybox sh'
  echo '/bin/busybox mount -t proc proc /proc'
  echo '/bin/busybox mount -t devtmpfs dev /dev'
  for m in "${modules[@]}"; do
    echo "[ ! -e /modules/$m.ko ] || /bin/busybox insmod /modules/$m.ko"
  done
  cat <<'INIT'
/bin/busybox mount -t 9p -o trans=virtio,version=9p2000.L,cache=loose,msize=262144 root /newroot ||
  { echo "init: no root"; /bin/busybox poweroff -f; }
/bin/busybox umount /proc
exec /bin/busybox switch_root /newroot /tavrel-init
INIT
} > "$initrd/init"
chmod +x "$initrd/init"
(cd "$initrd" && find . | cpio -o -H newc --quiet | gzip -1) > "$dir/initrd.gz"
rm -rf "$initrd"
install -m 755 "$here/guest-init.sh" "$root/tavrel-init"
mkdir -p "$root/prefix"

mkdir -p "$dir/prefix"
