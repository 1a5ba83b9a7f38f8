#!/usr/bin/env python3
"""Checks that the release's version and history agree wherever they are written.

  check-changelog.py CHANGELOG.md --version VERSION --metainfo METAINFO [--manpage PAGE]
                      [--debian CHANGELOG[.gz]]

- CHANGELOG.md's newest entry is VERSION (the project's version);
- the metainfo's newest <release> has that entry's version and date, and
  each of its releases is an entry of CHANGELOG.md with the same date;
- the manual page, when given, is dated as that entry and names the version
  as the program shows it (2.0.0 as 2.00);
- a Debian changelog, when given, has CHANGELOG.md's entries in the same
  order, each with its version, its date and its items.
Prints each disagreement on its own line and exits 1 on any.
"""
import argparse
import email.utils
import gzip
import importlib.util
import itertools
import os
import re
import xml.etree.ElementTree as ET

HERE = os.path.dirname(os.path.abspath(__file__))
# CHANGELOG.md is read as the Debian changelog's maker reads it.
_maker = importlib.util.spec_from_file_location("debian_files", os.path.join(HERE, "..", "..", "cmake", "debian-files.py"))
debian_files = importlib.util.module_from_spec(_maker)
_maker.loader.exec_module(debian_files)


def debian_entries(path):
    """[(version, date, [item, ...]), ...] read from a Debian changelog."""
    opener = gzip.open if path.endswith(".gz") else open
    with opener(path, "rt", encoding="utf-8") as f:
        text = f.read()
    found = []
    for block in re.split(r"\n(?=\S)", text.strip()):
        head = re.match(r"^\S+ \((\S+)\) [^;]+; urgency=\w+\n", block)
        tail = re.search(r"\n -- .+ <[^>]+>  (.+)$", block)
        if not head or not tail:
            raise SystemExit(f"{path}: an entry that is not in Debian's form:\n{block}")
        body = block[head.end() : tail.start()]
        items = [" ".join(item.split()) for item in re.split(r"\n  \* ", "\n" + body.strip("\n"))[1:]]
        found.append((head.group(1), email.utils.parsedate_to_datetime(tail.group(1)).date(), items))
    return found


def disagreements(args):
    entries = debian_files.entries(args.changelog)
    version, date, _ = entries[0]
    if version != args.version:
        yield f"{args.changelog}: the newest entry is {version}, the project's version is {args.version}"
    dates = {v: d.isoformat() for v, d, _ in entries}
    releases = ET.parse(args.metainfo).getroot().findall("releases/release")
    if not releases:
        yield f"{args.metainfo}: no <release>"
    elif (releases[0].get("version"), releases[0].get("date")) != (version, date.isoformat()):
        yield f"{args.metainfo}: the newest release is {releases[0].get('version')} of {releases[0].get('date')}, CHANGELOG.md's {version} of {date}"
    for release in releases:
        if dates.get(release.get("version")) != release.get("date"):
            yield f"{args.metainfo}: release {release.get('version')} of {release.get('date')} is not in {args.changelog}"
    if args.manpage:
        with open(args.manpage, encoding="utf-8") as f:
            title = next((l for l in f if l.startswith(".TH ")), "")
        major, minor = (int(n) for n in version.split(".")[:2])
        expected = f'{date.isoformat()} "Tavrel {major}.{minor:02}"'
        if expected not in title:
            yield f"{args.manpage}: its .TH line does not hold {expected}: {title.strip()}"
    if args.debian:
        ours = [(v, d, [" ".join(i.replace("`", "").split()) for i in items]) for v, d, items in entries]
        for number, (mine, its) in enumerate(itertools.zip_longest(ours, debian_entries(args.debian)), 1):
            if its is None or mine is None:
                yield f"{args.debian}: {'lacks' if its is None else 'has'} entry {number}, {(its or mine)[0]}"
            elif mine[:2] != its[:2]:
                yield f"{args.debian}: entry {number} is {its[0]} of {its[1]}, {args.changelog}'s {mine[0]} of {mine[1]}"
            elif mine[2] != its[2]:
                yield f"{args.debian}: the items of {its[0]} are not {args.changelog}'s"


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("changelog")
    parser.add_argument("--version", required=True)
    parser.add_argument("--metainfo", required=True)
    parser.add_argument("--manpage")
    parser.add_argument("--debian")
    args = parser.parse_args()
    found = list(disagreements(args))
    for line in found:
        print(line)
    if not found:
        print(f"{args.changelog}, {args.metainfo}{' and ' + args.debian if args.debian else ''} agree on {args.version}")
    raise SystemExit(1 if found else 0)


if __name__ == "__main__":
    main()
