#!/usr/bin/env python3
"""Fails when a file of a room in src/ includes a header of a room it may not use.

usage: check-includes.py <rooms file> <src folder> [--widget-free ROOM... --widget-headers DIR...]

The rooms file is written by CMake from the kavri_room() lines of src/CMakeLists.txt, one line
per room: "<folder>: <allowed folders...>". A header belongs to the room whose folder is the
longest prefix of its path; a file may include headers of its own room and of the rooms listed
for it. Includes that name no room (Qt, the standard library, a header beside the file) are not
this check's business. Files in src/ outside every room (main.cpp) may include any room.

With --widget-free, the rooms named after it must not include a header of Qt's widget modules:
any <Name> or <QtModule/Name> found in one of the --widget-headers folders (QtWidgets,
QtPrintSupport) counts as one.
"""
import re
import sys

from pathlib import Path

from listed_options import parse_options

INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')
SYSTEM_INCLUDE = re.compile(r'^\s*#\s*include\s*<([^>]+)>')



def widget_header_names(folders):
    names = set()
    for folder in folders:
        path = Path(folder)
        if not path.is_dir():
            raise SystemExit("no such folder of widget headers: " + folder)
        for header in path.iterdir():
            names.add(header.name)
            names.add(path.name + "/" + header.name)
    return names


def read_rooms(path):
    rooms = {}
    for line in Path(path).read_text(encoding="utf-8").splitlines():
        if ":" not in line:
            continue
        folder, allowed = line.split(":", 1)
        rooms[folder.strip()] = set(allowed.split())
    return rooms


def room_of(relative, rooms):
    best = None
    for folder in rooms:
        if relative == folder or relative.startswith(folder + "/"):
            if best is None or len(folder) > len(best):
                best = folder
    return best


def main():
    if len(sys.argv) < 3:
        print(__doc__, file=sys.stderr)
        return 2
    options = parse_options(sys.argv[3:], ["--widget-free", "--widget-headers"])
    widget_free = set(options["--widget-free"])
    widget_headers = widget_header_names(options["--widget-headers"])
    if widget_free and not widget_headers:
        print("--widget-free needs --widget-headers", file=sys.stderr)
        return 2
    rooms = read_rooms(sys.argv[1])
    unknown = widget_free - set(rooms)
    if unknown:
        print("widget-free rooms that are not declared: " + " ".join(sorted(unknown)),
              file=sys.stderr)
        return 2
    src = Path(sys.argv[2])
    if not rooms:
        print("no rooms declared in " + sys.argv[1], file=sys.stderr)
        return 2
    faults = []
    checked = 0
    for file in sorted(src.rglob("*")):
        if file.suffix not in (".h", ".cpp") or not file.is_file():
            continue
        relative = file.relative_to(src).as_posix()
        room = room_of(relative, rooms)
        if room is None:
            continue
        for number, line in enumerate(file.read_text(encoding="utf-8").splitlines(), 1):
            system = SYSTEM_INCLUDE.match(line)
            if system and room in widget_free:
                checked += 1
                if system.group(1) in widget_headers:
                    faults.append(f"src/{relative}:{number}: room {room} includes the widget "
                                  f"header <{system.group(1)}>, and it uses no widget")
                continue
            match = INCLUDE.match(line)
            if not match:
                continue
            target = room_of(match.group(1), rooms)
            checked += 1
            if target is None or target == room or target in rooms[room]:
                continue
            faults.append(f"src/{relative}:{number}: room {room} includes "
                          f"\"{match.group(1)}\" of room {target}, which it may not use "
                          f"(allowed: {' '.join(sorted(rooms[room])) or 'none'})")
    for fault in faults:
        print(fault)
    print(f"{checked} includes in {len(rooms)} rooms checked, {len(faults)} forbidden")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
