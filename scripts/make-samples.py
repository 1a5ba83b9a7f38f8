#!/usr/bin/env python3
"""Writes the sample registries in samples/ as regedit exports them:
"Windows Registry Editor Version 5.00", UTF-16LE with a byte order mark,
CR LF line ends, a blank line after the header and after each section.

Run from anywhere: scripts/make-samples.py
"""

import pathlib

SAMPLES = pathlib.Path(__file__).resolve().parent.parent / "samples"
CLASS = r"HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class"
DISPLAY = CLASS + r"\Display"


def quoted(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def sz(text):
    return quoted(text)


def dword(n):
    return "dword:%08x" % n


def hex_data(prefix, data):
    """Hex bytes wrapped before column 80, as regedit writes them."""
    out = prefix
    column = len(prefix)
    for i, b in enumerate(data):
        out += "%02x" % b
        if i + 1 == len(data):
            break
        out += ","
        column += 3
        if column > 76:
            out += "\\\r\n  "
            column = 2
    return out


def binary(name, data):
    return hex_data(quoted(name) + "=hex:", data)


def expand_sz(name, text):
    return hex_data(quoted(name) + "=hex(2):", (text + "\0").encode("utf-16-le"))


def export(sections):
    lines = ["Windows Registry Editor Version 5.00", ""]
    for key, values in sections:
        lines.append("[" + key + "]")
        for v in values:
            lines.append(v if isinstance(v, str) else "%s=%s" % (quoted(v[0]) if v[0] else "@", v[1]))
        lines.append("")
    return ("\r\n".join(lines) + "\r\n").encode("utf-16-le")


def write(name, sections):
    path = SAMPLES / name
    path.write_bytes(b"\xff\xfe" + export(sections))
    print("wrote", path)


def class_keys():
    """The device class folder and the display class key, as Windows 98 has them."""
    return [
        (CLASS, []),
        (DISPLAY, [("", sz("Display adapters")), ("Installer", sz("SetupX.Dll, Display_ClassInstaller")),
                   ("Icon", sz("-1"))]),
    ]


def creative(index, desc, inf, date, mem, grfx):
    key = DISPLAY + "\\" + index
    return [
        (key, [("DriverDesc", sz(desc)), ("ProviderName", sz("Creative Labs")), ("InfSection", sz(inf)),
               ("InfPath", sz("OEM%d.INF" % (int(index) + 3))), ("DevLoader", sz("*vdd,*vflatd")),
               ("DriverDate", sz(date)), ("Ver", sz("4.0")),
               binary("Info", bytes([0x10, 0xde, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00] * 4))]),
        (key + r"\DEFAULT", [("MemClock", dword(mem)), ("GrfxClock", dword(grfx)), ("drv", sz("nvdisp.drv")),
                              ("vdd", sz("nvmini.vxd")), ("RefreshRate", sz("0"))]),
        (key + r"\MODES", []),
        (key + r"\MODES\32\1024,768", [("", sz("60,70,72,75,85"))]),
    ]


def other_vendor(index, provider, desc, inf):
    key = DISPLAY + "\\" + index
    return [
        (key, [("DriverDesc", sz(desc)), ("ProviderName", sz(provider)), ("InfSection", sz(inf)),
               ("DriverDate", sz("11-5-1999"))]),
        (key + r"\DEFAULT", [("drv", sz("mga.drv")), ("RefreshRate", sz("-1"))]),
    ]


def software_keys():
    """Keys a real export holds before the display class (regedit sorts them)."""
    return [
        (r"HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion",
         [("ProgramFilesDir", sz(r"C:\Program Files")), ("Version", sz("Windows 98")),
          expand_sz("MediaPath", r"%windir%\Media"),
          binary("DigitalProductId", bytes(range(0x20, 0x20 + 40)))]),
    ]


def ports_class():
    return [(CLASS + r"\Ports", [("", sz("Ports (COM & LPT)")), ("Icon", sz("-23"))])]


def main():
    write("one-adapter.reg",
          software_keys() + class_keys()
          + creative("0000", "Creative Labs 3D Blaster Annihilator Pro", "GeForceDDR", "2-14-2000", 300, 120)
          + ports_class())
    write("two-adapters.reg",
          software_keys() + class_keys()
          + creative("0000", "Creative Labs 3D Blaster Annihilator", "GeForceSDR", "1-20-2000", 166, 120)
          + other_vendor("0001", "Matrox Graphics Inc.", "Matrox Millennium G400", "G400")
          + creative("0002", "Creative Labs 3D Blaster RIVA TNT2 Ultra", "TNT2ULTRA", "9-8-1999", 183, 150)
          + ports_class())
    write("no-adapter.reg",
          software_keys() + class_keys()
          + other_vendor("0000", "Matrox Graphics Inc.", "Matrox Millennium G400", "G400")
          + other_vendor("0001", "ATI Technologies Inc.", "ATI RAGE 128", "Rage128")
          + ports_class())


if __name__ == "__main__":
    main()
