#!/usr/bin/env python3
"""Checks the Windows zip's files as Windows 95/98/ME and a floppy take them.

  check-windows-files.py DIR

DIR must hold exactly TAVREL.EXE, README.TXT and LICENSE.TXT (8.3 names in
capitals, which a FAT floppy and old unzip programs keep as they are):
- the text files: printable ASCII, every line ended by CR LF and under 80
  columns, so that Notepad shows them as written;
- TAVREL.EXE: a PE program for i386 without a symbol table (stripped);
- all three fit on a 1.44 MB floppy.
Prints each fault on its own line and exits 1 on any.
"""
import os
import re
import struct
import sys

NAMES = {"TAVREL.EXE", "README.TXT", "LICENSE.TXT"}
FLOPPY_BYTES = 2847 * 512  # the data clusters of a 1.44 MB FAT12 floppy
EIGHT_THREE = re.compile(r"^[A-Z0-9_]{1,8}\.[A-Z0-9]{1,3}$")


def text_faults(name, data):
    lines = data.split(b"\r\n")
    if lines[-1] != b"":
        yield f"{name}: does not end with CR LF"
    for number, line in enumerate(lines[:-1], 1):
        if b"\n" in line or b"\r" in line:
            yield f"{name}:{number}: a line end that is not CR LF"
        elif re.search(rb"[^\x20-\x7e]", line):
            yield f"{name}:{number}: a byte that is not printable ASCII"
        elif len(line) >= 80:
            yield f"{name}:{number}: {len(line)} columns, 79 at most"


def program_faults(name, data):
    if data[:2] != b"MZ" or len(data) < 0x40:
        yield f"{name}: not a Windows program"
        return
    (pe,) = struct.unpack_from("<I", data, 0x3C)
    if data[pe : pe + 4] != b"PE\0\0":
        yield f"{name}: not a PE program"
        return
    machine, _, _, _, symbols = struct.unpack_from("<HHIII", data, pe + 4)
    if machine != 0x14C:
        yield f"{name}: machine 0x{machine:x}, not i386"
    if symbols:
        yield f"{name}: not stripped ({symbols} symbols)"


def faults(folder):
    present = set(os.listdir(folder))
    for name in sorted(present ^ NAMES):
        yield f"{name}: {'not expected' if name in present else 'missing'}"
    used = 0
    for name in sorted(present & NAMES):
        if not EIGHT_THREE.match(name):
            yield f"{name}: not an 8.3 name"
        with open(os.path.join(folder, name), "rb") as f:
            data = f.read()
        used += -(-len(data) // 512) * 512
        check = program_faults if name.endswith(".EXE") else text_faults
        yield from check(name, data)
    if used > FLOPPY_BYTES:
        yield f"{used} bytes on disk, over the {FLOPPY_BYTES} of a 1.44 MB floppy"


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    found = list(faults(sys.argv[1]))
    for fault in found:
        print(fault)
    if not found:
        print(f"{sys.argv[1]}: the Windows files are as Windows 95/98/ME and a floppy take them")
    sys.exit(1 if found else 0)


if __name__ == "__main__":
    main()
