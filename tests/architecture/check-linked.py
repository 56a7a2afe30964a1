#!/usr/bin/env python3
"""Fails when a program links a library it must do without.

usage: check-linked.py <program> --not-needed NAME... [--links TARGET... --not-linked PREFIX...]

--not-needed: the shared libraries the program's dynamic section (readelf -d) must not name;
a NEEDED entry whose file name starts with one of them fails (libQt6Widgets matches
libQt6Widgets.so.6).
--links / --not-linked: the static libraries of the build that go into the program (every
target its link closure holds, as CMake lists them) and the prefixes none of them may carry
(kavri_app, kavri_ui_): what the windows are made of stays out even where it would need no
shared library of its own.
"""
import re
import subprocess
import sys

from listed_options import parse_options

NEEDED = re.compile(r"\(NEEDED\)\s+Shared library: \[([^\]]+)\]")



def main():
    if len(sys.argv) < 4:
        print(__doc__, file=sys.stderr)
        return 2
    program = sys.argv[1]
    options = parse_options(sys.argv[2:], ["--not-needed", "--links", "--not-linked"])
    if not options["--not-needed"]:
        print("--not-needed names no library", file=sys.stderr)
        return 2
    if options["--not-linked"] and not options["--links"]:
        print("--not-linked needs the program's --links", file=sys.stderr)
        return 2
    dynamic = subprocess.run(["readelf", "-d", program], capture_output=True, text=True)
    if dynamic.returncode != 0:
        print(f"readelf -d {program} failed: {dynamic.stderr.strip()}", file=sys.stderr)
        return 2
    needed = NEEDED.findall(dynamic.stdout)
    if not needed:
        # A program with no NEEDED entry at all is not what this check was given.
        print(f"{program}: no NEEDED entries; is it a dynamically linked program?",
              file=sys.stderr)
        return 2
    faults = [f"{program} needs {library}" for library in needed
              for name in options["--not-needed"] if library.startswith(name)]
    faults += [f"{program} links {target}" for target in options["--links"]
               for prefix in options["--not-linked"] if target.startswith(prefix)]
    for fault in faults:
        print(fault)
    print(f"{len(needed)} shared libraries and {len(options['--links'])} build libraries "
          f"checked, {len(faults)} refused")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
