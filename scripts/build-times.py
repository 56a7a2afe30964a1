#!/usr/bin/env python3
"""Where a build's time went, from ninja's log of it.

Usage: scripts/build-times.py [build-dir] [how many of the slowest steps, default 25]

Reads <build-dir>/.ninja_log (the last run of each step only) and prints the time spent per kind
of step (compiling, precompiling headers, linking programs, archiving rooms, moc and the other
generators), per target, and the slowest steps. Times are those of the steps themselves: with
-j2 two of them run at once, so the wall time is about half their sum. Measure a clean build
(an empty build folder, CCACHE_DISABLE=1) for figures that mean something.
"""
import collections
import os
import sys


def kind_of(output):
    if output.endswith(".gch") or "/cmake_pch" in output:
        return "precompiled header"
    if output.endswith(".o"):
        return "compile"
    if output.endswith(".a"):
        return "archive"
    if "_autogen" in output or output.endswith("mocs_compilation.cpp"):
        return "moc/uic/rcc"
    base = os.path.basename(output)
    if "." not in base or base.endswith(".so"):
        return "link"
    return "other"


def target_of(output):
    # CMakeFiles/<target>.dir/... for objects, <target>_autogen/... for moc's files; the file
    # name for programs and archives.
    parts = output.split("/")
    for p in parts:
        if p.endswith(".dir"):
            return p[:-4]
        if p.endswith("_autogen"):
            return p[: -len("_autogen")]
    base = parts[-1]
    if base.startswith("lib") and base.endswith(".a"):
        return base[3:-2]
    return base


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else "build"
    top = int(sys.argv[2]) if len(sys.argv) > 2 else 25
    steps = {}
    with open(os.path.join(build, ".ninja_log")) as log:
        for line in log:
            if line.startswith("#"):
                continue
            start, end, _mtime, output, _hash = line.rstrip("\n").split("\t")
            steps[output] = (int(start), int(end))  # a later run of the same step replaces it
    if not steps:
        print("no steps in the log")
        return
    first = min(s for s, _ in steps.values())
    last = max(e for _, e in steps.values())
    by_kind = collections.defaultdict(lambda: [0, 0])
    by_target = collections.defaultdict(int)
    for output, (s, e) in steps.items():
        k = by_kind[kind_of(output)]
        k[0] += 1
        k[1] += e - s
        by_target[target_of(output)] += e - s
    total = sum(e - s for s, e in steps.values())
    print(f"{len(steps)} steps, wall {(last - first) / 1000:.1f} s, step time {total / 1000:.1f} s")
    print("\nby kind:")
    for kind, (n, ms) in sorted(by_kind.items(), key=lambda kv: -kv[1][1]):
        print(f"  {kind:20} {n:5} steps {ms / 1000:8.1f} s  {100 * ms / total:5.1f} %")
    print(f"\nslowest {top} targets (step time):")
    for target, ms in sorted(by_target.items(), key=lambda kv: -kv[1])[:top]:
        print(f"  {ms / 1000:8.1f} s  {target}")
    print(f"\nslowest {top} steps:")
    for output, (s, e) in sorted(steps.items(), key=lambda kv: kv[1][0] - kv[1][1])[:top]:
        print(f"  {(e - s) / 1000:8.1f} s  {kind_of(output):18} {output}")


if __name__ == "__main__":
    main()
