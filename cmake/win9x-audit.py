#!/usr/bin/env python3
"""Refuses a Windows program that Windows 95/98/ME would not load or run.

  win9x-audit.py --objdump OBJDUMP --strip STRIP --lists win9x-imports.txt
                 [--max-size BYTES] PROGRAM.exe

Checks, from `objdump -p` and `objdump -d`:
- the header: PE32 for i386, subsystem and OS version 4.0;
- every import: its DLL, then the call against cmake/win9x-imports.txt and
  the wide-call rule described there;
- the code: no SSE instruction (a Pentium II has none);
- the size of a stripped copy.
Prints each fault on its own line and exits 1 on any; on success prints the
import count per DLL.
"""
import argparse
import os
import re
import subprocess
import sys
import tempfile

# A wide call: a name ending in W after a small letter or digit.
WIDE = re.compile(r"[a-z0-9]W$")
# SSE needs xmm registers, except for its MMX additions and its cache and
# state instructions, named here.
SSE = re.compile(
    r"%xmm\d|\b(pshufw|pavg[bw]|pextrw|pinsrw|pmaxsw|pmaxub|pminsw|pminub|pmovmskb|"
    r"pmulhuw|psadbw|maskmovq|movntq|sfence|lfence|mfence|clflush|movnti|"
    r"prefetch(nta|t0|t1|t2)|ldmxcsr|stmxcsr)\b"
)
HEADER = {
    "format": "pei-i386",
    "Magic": "010b",
    "MajorOSystemVersion": "4",
    "MinorOSystemVersion": "0",
    "MajorSubsystemVersion": "4",
    "MinorSubsystemVersion": "0",
}


def read_lists(path):
    """The sections of the lists file: name -> list of lines' words."""
    sections, current = {}, None
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.strip()
            if not line or line.startswith("#"):
                continue
            if line.startswith("[") and line.endswith("]"):
                current = sections.setdefault(line[1:-1].lower(), [])
            elif current is None:
                raise SystemExit(f"{path}: a line before any [section]: {line}")
            else:
                current.append(line.split())
    return sections


def run(*command):
    done = subprocess.run(command, capture_output=True, text=True)
    if done.returncode != 0:
        raise SystemExit(f"{' '.join(command)} failed: {done.stderr.strip()}")
    return done.stdout


def parse_private_headers(text):
    """Header fields and imports {dll: [name or '#ordinal']} of objdump -p."""
    fields, imports, dll = {}, {}, None
    format_line = re.search(r"file format (\S+)", text)
    fields["format"] = format_line.group(1) if format_line else "?"
    for line in text.splitlines():
        m = re.match(r"(\w+)\s+([0-9a-fA-F]+)", line)
        if m and m.group(1) in HEADER:
            fields[m.group(1)] = m.group(2).lower()
        m = re.match(r"\s*DLL Name: (\S+)", line)
        if m:
            dll = imports.setdefault(m.group(1), [])
            continue
        if not line.strip():
            dll = None
        elif dll is not None:
            # "vma  hint  Name" for a call by name, "vma  ordinal  <none>"
            # for one by number.
            m = re.match(r"\s*[0-9a-fA-F]+\s+(\d+)\s+(\S+)\s*$", line)
            if m:
                dll.append("#" + m.group(1) if m.group(2) == "<none>" else m.group(2))
    return fields, imports


def import_faults(imports, lists):
    allowed = {w.lower() for words in lists.get("dlls", []) for w in words}
    exempt = {w for words in lists.get("wide-exempt", []) for w in words}
    exports = {
        key.split(None, 1)[1]: {w for words in lines for w in words}
        for key, lines in lists.items()
        if key.startswith("exports ")
    }
    refused = {(w[0].lower(), w[1]): " ".join(w[2:]) for w in lists.get("refuse", [])}
    faults = []
    for dll, names in imports.items():
        low = dll.lower()
        if low not in allowed:
            faults.append(f"{dll}: not a DLL that Windows 95/98/ME all have ({', '.join(names)})")
            continue
        for name in names:
            where = f"{dll}!{name}"
            if name.startswith("#"):
                faults.append(f"{where}: imported by ordinal, which no list can check")
            elif name in exempt:
                continue
            elif (low, name) in refused:
                faults.append(f"{where}: {refused[(low, name)]}")
            elif WIDE.search(name):
                faults.append(f"{where}: wide: a stub on Windows 95/98/ME")
            elif low in exports and name not in exports[low]:
                faults.append(f"{where}: not exported by Windows 95's {low}")
    return faults


def sse_faults(disassembly):
    """SSE instructions in code. Skipped: the data that the linker puts at the
    end of .text (constructor lists, exception tables: labels starting with a
    dot or named __CTOR_LIST__/__DTOR_LIST__), and SSE that follows, in the
    same function, a cpuid test or a call to ___mingw_has_sse (the runtime's
    floating-point environment calls touch MXCSR only on a CPU that has it)."""
    faults, function, skip, guarded = [], "?", False, False
    for line in disassembly.splitlines():
        m = re.match(r"[0-9a-f]+ <(.+)>:$", line)
        if m:
            function = m.group(1)
            skip = function.startswith(".") or re.fullmatch(r"_*[CD]TOR_LIST__", function)
            guarded = False
            continue
        if skip or "\t" not in line:
            continue
        instruction = line.split("\t")[-1].strip()
        if instruction.startswith("cpuid") or "<___mingw_has_sse>" in instruction:
            guarded = True
        elif not guarded and SSE.search(instruction):
            faults.append(f"SSE in {function}: {instruction}")
    return faults


def size_fault(strip, exe, max_size):
    with tempfile.TemporaryDirectory() as work:
        copy = os.path.join(work, "stripped.exe")
        run(strip, "--strip-all", "-o", copy, exe)
        size = os.path.getsize(copy)
    if size > max_size:
        return [f"{size} bytes stripped, over the {max_size} allowed"], size
    return [], size


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--objdump", required=True)
    parser.add_argument("--strip", required=True)
    parser.add_argument("--lists", required=True)
    parser.add_argument("--max-size", type=int, default=1048576)
    parser.add_argument("exe")
    args = parser.parse_args()

    fields, imports = parse_private_headers(run(args.objdump, "-p", args.exe))
    faults = [
        f"header: {key} is {fields.get(key, 'missing')}, not {want}"
        for key, want in HEADER.items()
        if fields.get(key) != want
    ]
    faults += import_faults(imports, read_lists(args.lists))
    faults += sse_faults(run(args.objdump, "-d", "--no-show-raw-insn", args.exe))
    more, size = size_fault(args.strip, args.exe, args.max_size)
    faults += more

    exe = os.path.basename(args.exe)
    if faults:
        shown = 40
        for fault in faults[:shown]:
            print(f"{exe}: {fault}", file=sys.stderr)
        if len(faults) > shown:
            print(f"{exe}: and {len(faults) - shown} more", file=sys.stderr)
        print(f"{exe}: refused for Windows 95/98/ME, faults: {len(faults)}", file=sys.stderr)
        return 1
    counts = ", ".join(f"{dll} {len(names)}" for dll, names in sorted(imports.items()))
    print(f"{exe}: fit for Windows 95/98/ME: {size} bytes stripped; imports {counts}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
