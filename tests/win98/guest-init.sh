#!/bin/sh
# The emulated PC's first process, in its Debian i386 root (shared by the
# host; the run writes there only the job folder's mount point): it
# mounts the Wine prefix and the job folder that the host shares, runs the
# job's script with Wine's environment and powers off. The kernel's command
# line names them: tavrel.job=FOLDER (mounted at the same path as on the
# host) tavrel.run=SCRIPT tavrel.out=FOLDER (inside the job folder: the
# script is given it, and the script's status is left there in "status").
bb=/bin/busybox
$bb mount -t proc proc /proc
$bb mount -t sysfs sys /sys
$bb mount -t devtmpfs dev /dev 2>/dev/null
$bb mkdir -p /dev/pts /dev/shm
$bb mount -t devpts devpts /dev/pts
for d in /tmp /run /dev/shm /var/tmp; do $bb mount -t tmpfs tmpfs $d; done
job= run= out=
for word in $($bb cat /proc/cmdline); do
  case $word in
    tavrel.job=*) job=${word#tavrel.job=} ;;
    tavrel.run=*) run=${word#tavrel.run=} ;;
    tavrel.out=*) out=${word#tavrel.out=} ;;
  esac
done
# cache=loose: without it, pages of a program that Wine maps came back as zeros.
opts=trans=virtio,version=9p2000.L,cache=loose,msize=262144
$bb mount -t 9p -o $opts prefix /prefix
$bb mkdir -p "$job" 2>/dev/null
$bb mount -t 9p -o $opts job "$job"

# Wine's 32-bit loader and server under their usual names.
$bb mkdir -p /tmp/bin
printf '#!/bin/sh\nexec /usr/lib/wine/wine "$@"\n' > /tmp/bin/wine
printf '#!/bin/sh\nexec /usr/lib/wine/wineserver32 "$@"\n' > /tmp/bin/wineserver
printf '#!/bin/sh\nexec /usr/lib/wine/wine wineboot "$@"\n' > /tmp/bin/wineboot
$bb chmod +x /tmp/bin/*
export PATH=/tmp/bin:/usr/local/bin:/usr/bin:/bin:/usr/sbin:/sbin HOME=/tmp
export WINEPREFIX=/prefix WINESERVER=/usr/lib/wine/wineserver32 WINEDEBUG=-all
export WINEDLLOVERRIDES='mscoree,mshtml,winemenubuilder.exe=' LC_ALL=C.UTF-8
echo "guest: up after $($bb cut -d' ' -f1 /proc/uptime) s"
cd "$job"
/bin/bash "$run" "$out" < /dev/null > /dev/console 2>&1
status=$?
echo $status > "$out/status"
echo "guest: job ended with status $status after $($bb cut -d' ' -f1 /proc/uptime) s" > /dev/console
/usr/lib/wine/wineserver32 -k 2>/dev/null
$bb sync
$bb poweroff -f
