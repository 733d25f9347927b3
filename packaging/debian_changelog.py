#!/usr/bin/env python3
"""Writes CHANGELOG.md as a Debian changelog, compressed for the package.

Usage: debian_changelog.py CHANGELOG.md PACKAGE VERSION MAINTAINER OUT.gz

CHANGELOG.md holds one section per release, newest first:

    ## 0.1.0 (2026-12-08)

    - A change, wrapped lines
      indented by two spaces.

The newest section must be VERSION: a release without its changelog entry
stops the build.
"""
import datetime
import os
import re
import sys
import textwrap

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from gzip_max import compress  # noqa: E402

HEADING = re.compile(r"^## (\S+) \((\d{4})-(\d{2})-(\d{2})\)\s*$")


def parse(text):
    """[(version, date, [change, ...]), ...] in the file's order."""
    releases = []
    for line in text.splitlines():
        m = HEADING.match(line)
        if m:
            date = datetime.date(int(m[2]), int(m[3]), int(m[4]))
            releases.append((m[1], date, []))
        elif not releases or not line.strip():
            continue
        elif line.startswith("- "):
            releases[-1][2].append(line[2:].strip())
        elif line.startswith("  ") and releases[-1][2]:
            releases[-1][2][-1] += " " + line.strip()
        else:
            raise ValueError(f"not a change line: {line!r}")
    return releases


def debian(package, maintainer, releases):
    out = []
    for version, date, changes in releases:
        out.append(f"{package} ({version}) unstable; urgency=medium\n\n")
        for change in changes:
            plain = change.replace("`", "")
            out.append(textwrap.fill(plain, width=79, initial_indent="  * ",
                                     subsequent_indent="    ",
                                     break_on_hyphens=False) + "\n")
        when = date.strftime("%a, %d %b %Y") + " 00:00:00 +0000"
        out.append(f"\n -- {maintainer}  {when}\n\n")
    return "".join(out).rstrip("\n") + "\n"


def main(argv):
    if len(argv) != 6:
        sys.exit(__doc__)
    source, package, version, maintainer, out_path = argv[1:]
    with open(source, encoding="utf-8") as f:
        releases = parse(f.read())
    if not releases or releases[0][0] != version:
        newest = releases[0][0] if releases else "none"
        sys.exit(f"{source}: the newest section is {newest}, not the project's version "
                 f"{version}: add a '## {version} (YYYY-MM-DD)' section with its changes")
    for version_, _, changes in releases:
        if not changes:
            sys.exit(f"{source}: the section of {version_} lists no change")
    compress(debian(package, maintainer, releases).encode("utf-8"), out_path)


if __name__ == "__main__":
    main(sys.argv)
