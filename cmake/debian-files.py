#!/usr/bin/env python3
"""Writes the Debian package's changelog and copyright from the project's own files.

  debian-files.py changelog CHANGELOG.md --package NAME --maintainer "Name <mail>" -o OUT
  debian-files.py copyright LICENSE --name NAME --source URL -o OUT

changelog: each "## VERSION - YYYY-MM-DD" entry of CHANGELOG.md, newest first,
becomes a Debian changelog entry; its "- " items become "  * " items,
wrapped under 80 columns, and the other lines of the entry are left out.
copyright: Debian's machine-readable format, with the licence text of an
MIT LICENSE file (Debian calls that licence Expat).
"""
import argparse
import datetime
import re
import sys
import textwrap

ENTRY = re.compile(r"^## (\S+) - (\d{4}-\d{2}-\d{2})\s*$")


def entries(path):
    """[(version, date, [item, ...]), ...] in the file's order."""
    found, items = [], None
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            line = line.rstrip("\n")
            heading = ENTRY.match(line)
            if heading:
                items = []
                date = datetime.date.fromisoformat(heading.group(2))
                found.append((heading.group(1), date, items))
            elif line.startswith("## "):
                sys.exit(f"{path}:{number}: a heading that is not '## VERSION - YYYY-MM-DD': {line}")
            elif items is not None and line.startswith("- "):
                items.append(line[2:].strip())
            elif items and line.startswith("  ") and line.strip():
                items[-1] += " " + line.strip()
    if not found:
        sys.exit(f"{path}: no '## VERSION - YYYY-MM-DD' entry")
    for version, _, items in found:
        if not items:
            sys.exit(f"{path}: the entry for {version} lists nothing")
    return found


def changelog(args):
    out = []
    for version, date, items in entries(args.source):
        out.append(f"{args.package} ({version}) unstable; urgency=medium\n\n")
        for item in items:
            text = item.replace("`", "")
            out.append(textwrap.fill(text, 79, initial_indent="  * ", subsequent_indent="    ") + "\n")
        # The day as RFC 5322 writes it; the time is not recorded.
        weekday = "Mon Tue Wed Thu Fri Sat Sun".split()[date.weekday()]
        month = "Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec".split()[date.month - 1]
        out.append(f"\n -- {args.maintainer}  {weekday}, {date.day:02} {month} {date.year} 00:00:00 +0000\n\n")
    return "".join(out).rstrip("\n") + "\n"


def copyright_file(args):
    with open(args.source, encoding="utf-8") as f:
        lines = f.read().splitlines()
    holders = [l.split(")", 1)[1].strip() for l in lines if l.startswith("Copyright (c)")]
    start = next((i for i, l in enumerate(lines) if l.startswith("Permission is hereby granted")), None)
    if not holders or start is None:
        sys.exit(f"{args.source}: not an MIT licence with a 'Copyright (c)' line")
    text = "\n".join(" " + l if l.strip() else " ." for l in lines[start:])
    return (
        "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
        f"Upstream-Name: {args.name}\n"
        f"Source: {args.source_url}\n\n"
        "Files: *\n"
        f"Copyright: {holders[0]}\n"
        "License: Expat\n"
        f"{text}\n"
    )


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    sub = parser.add_subparsers(dest="what", required=True)
    log = sub.add_parser("changelog")
    log.add_argument("source")
    log.add_argument("--package", required=True)
    log.add_argument("--maintainer", required=True)
    log.add_argument("-o", dest="output", required=True)
    cop = sub.add_parser("copyright")
    cop.add_argument("source")
    cop.add_argument("--name", required=True)
    cop.add_argument("--source", dest="source_url", required=True)
    cop.add_argument("-o", dest="output", required=True)
    args = parser.parse_args()
    text = changelog(args) if args.what == "changelog" else copyright_file(args)
    with open(args.output, "w", encoding="utf-8") as f:
        f.write(text)


if __name__ == "__main__":
    main()
