#!/usr/bin/env python3
"""Checks that every compile of the Windows build targets one Windows version.

The import check catches a function Windows 7 lacks, but not a structure, a
flag or a mask whose value follows the version macros (QS_ALLINPUT is 0x04FF
at 0x0601 and 0x1CFF at 0x0A00). Core code compiled into one program at one
version and into another at a newer one would then differ silently. So every
C, C++ and resource compile in the build's compile_commands.json must define
exactly the values below, once each and never undefined, and no tracked
source may define or undefine them itself.

  scripts/check-windows-version.py [--self-test] COMPILE_COMMANDS_JSON

--self-test first runs the check against a table of made-up compiles, so a
change that blinds it fails too.
"""

import json
import os
import re
import shlex
import subprocess
import sys
from collections import Counter

# Windows 7 SP1: the version CMakeLists.txt sets for the whole Windows build.
EXPECTED = {
    "_WIN32_WINNT": "0x0601",
    "WINVER": "0x0601",
    "NTDDI_VERSION": "0x06010100",
}
SOURCE_SUFFIXES = (".c", ".cc", ".cpp", ".cxx", ".rc")
SOURCE_DEFINE = re.compile(r"^\s*#\s*(?:define|undef)\s+(" + "|".join(EXPECTED) + r")\b", re.MULTILINE)


def arguments(entry):
    if "arguments" in entry:
        return list(entry["arguments"])
    return shlex.split(entry["command"])


def macro_flags(args):
    """The -D and -U flags of one command line, in order: (flag, name, value).

    GCC, windres and cl all take -DNAME=VALUE and -D NAME=VALUE; cl takes the
    /D spelling too. A flag without a value defines the name as 1.
    """
    flags = []
    i = 0
    while i < len(args):
        arg = args[i]
        match = re.fullmatch(r"[-/]([DU])(.*)", arg, re.DOTALL)
        if match:
            kind, rest = match.groups()
            if rest == "" and i + 1 < len(args):
                i += 1
                rest = args[i]
            name, sep, value = rest.partition("=")
            flags.append((kind, name, value if sep else ("1" if kind == "D" else None)))
        i += 1
    return flags


def problems_in(args):
    """What is wrong with one compile's version macros; empty when nothing is."""
    found = {name: [] for name in EXPECTED}
    undefined = set()
    for kind, name, value in macro_flags(args):
        if name not in EXPECTED:
            continue
        if kind == "U":
            undefined.add(name)
        else:
            found[name].append(value)
    problems = []
    for name, want in EXPECTED.items():
        values = found[name]
        if name in undefined:
            problems.append(f"undefines {name}")
        if not values:
            problems.append(f"lacks {name}={want}")
        elif len(values) > 1:
            problems.append(f"defines {name} {len(values)} times ({', '.join(values)})")
        elif values[0].lower() != want.lower():
            problems.append(f"defines {name}={values[0]}, not {want}")
    return problems


def target_of(entry, args):
    """The CMake target a compile belongs to, read from its object's path."""
    for arg in [entry.get("output", "")] + args:
        match = re.search(r"CMakeFiles[/\\]([^/\\]+)\.dir[/\\]", arg)
        if match:
            return match.group(1)
    return "?"


def check_database(entries):
    """Problems found, as lines, and the compiles counted by target."""
    lines = []
    targets = Counter()
    for entry in entries:
        if not entry["file"].lower().endswith(SOURCE_SUFFIXES):
            continue
        args = arguments(entry)
        targets[target_of(entry, args)] += 1
        problems = problems_in(args)
        if problems:
            lines.append(f"{entry['file']} ({target_of(entry, args)}): {'; '.join(problems)}")
    if not targets:
        lines.append("no C, C++ or resource compile in the database")
    return lines, targets


def check_sources(root):
    """Tracked sources that define or undefine a version macro themselves."""
    listed = subprocess.run(["git", "-C", root, "ls-files", "-z"], check=True, capture_output=True, text=True)
    lines = []
    for path in listed.stdout.split("\0"):
        if not path.lower().endswith(SOURCE_SUFFIXES + (".h", ".hpp", ".in")):
            continue
        try:
            with open(os.path.join(root, path), encoding="utf-8", errors="replace") as source:
                text = source.read()
        except OSError:
            continue
        for match in SOURCE_DEFINE.finditer(text):
            line = text.count("\n", 0, match.start()) + 1
            lines.append(f"{path}:{line}: sets {match.group(1)} itself")
    return lines


V = "-D_WIN32_WINNT=0x0601 -DWINVER=0x0601 -DNTDDI_VERSION=0x06010100"
# (case, command line, the problems it must report)
SELF_TEST_CASES = [
    ("the build's own g++ line", f"g++ {V} -Werror -c a.cpp", []),
    ("windres, other definitions between", "windres -O coff -DNOMINMAX -DNTDDI_VERSION=0x06010100 -DUNICODE "
     "-DWINVER=0x0601 -D_WIN32_WINNT=0x0601 a.rc", []),
    ("cl's spellings", "cl /nologo /D_WIN32_WINNT=0x0601 -D WINVER=0x0601 /D NTDDI_VERSION=0x06010100 /c a.cpp", []),
    ("hex digits in capitals", "g++ -D_WIN32_WINNT=0X0601 -DWINVER=0x0601 -DNTDDI_VERSION=0X06010100 -c a.cpp", []),
    ("none at all, MinGW's default", "g++ -Werror -c a.cpp",
     ["lacks _WIN32_WINNT=0x0601", "lacks WINVER=0x0601", "lacks NTDDI_VERSION=0x06010100"]),
    ("WINVER only", "g++ -DWINVER=0x0601 -c a.cpp",
     ["lacks _WIN32_WINNT=0x0601", "lacks NTDDI_VERSION=0x06010100"]),
    ("a target overriding the version", f"g++ {V} -D_WIN32_WINNT=0x0A00 -c a.cpp",
     ["defines _WIN32_WINNT 2 times (0x0601, 0x0A00)"]),
    ("the same value twice", f"g++ {V} -DWINVER=0x0601 -c a.cpp", ["defines WINVER 2 times (0x0601, 0x0601)"]),
    ("a newer version alone", "g++ -D_WIN32_WINNT=0x0A00 -DWINVER=0x0A00 -DNTDDI_VERSION=0x0A000000 -c a.cpp",
     ["defines _WIN32_WINNT=0x0A00, not 0x0601", "defines WINVER=0x0A00, not 0x0601",
      "defines NTDDI_VERSION=0x0A000000, not 0x06010100"]),
    ("Windows 7 without its service pack", "g++ -D_WIN32_WINNT=0x0601 -DWINVER=0x0601 -DNTDDI_VERSION=0x06010000 -c a",
     ["defines NTDDI_VERSION=0x06010000, not 0x06010100"]),
    ("undefined after", f"g++ {V} -UWINVER -c a.cpp", ["undefines WINVER"]),
    ("undefined by cl", f"cl {V} /U _WIN32_WINNT /c a.cpp", ["undefines _WIN32_WINNT"]),
    ("defined without a value", "g++ -D_WIN32_WINNT -DWINVER=0x0601 -DNTDDI_VERSION=0x06010100 -c a.cpp",
     ["defines _WIN32_WINNT=1, not 0x0601"]),
    ("a longer name is another macro", "g++ -D_WIN32_WINNT_WIN7=0x0601 -DWINVER=0x0601 -DNTDDI_VERSION=0x06010100 -c a",
     ["lacks _WIN32_WINNT=0x0601"]),
]


def self_test():
    failures = 0
    for case, command, want in SELF_TEST_CASES:
        got = problems_in(shlex.split(command))
        if got != want:
            failures += 1
            print(f"self-test: {case}: got {got}, want {want}", file=sys.stderr)
    entries = [
        {"file": "/s/core/a.cpp", "command": f"g++ {V} -o core/CMakeFiles/tarnvel_core.dir/a.cpp.obj -c a.cpp"},
        {"file": "/s/tests/b.cc", "command": "g++ -o googletest/CMakeFiles/gtest.dir/b.cc.obj -c b.cc"},
        {"file": "/s/notes.txt", "command": "cp notes.txt x"},
    ]
    lines, targets = check_database(entries)
    if len(lines) != 1 or "(gtest)" not in lines[0] or dict(targets) != {"tarnvel_core": 1,
                                                                                               "gtest": 1}:
        failures += 1
        print(f"self-test: a database with one bare target: got {lines}, {dict(targets)}", file=sys.stderr)
    if check_database([])[0] != ["no C, C++ or resource compile in the database"]:
        failures += 1
        print("self-test: an empty database passed", file=sys.stderr)
    if failures:
        print(f"check-windows-version: the self-test failed in {failures} cases", file=sys.stderr)
        return False
    print(f"check-windows-version: self-test, {len(SELF_TEST_CASES) + 2} cases")
    return True


def main(argv):
    args = argv[1:]
    run_self_test = "--self-test" in args
    args = [arg for arg in args if arg != "--self-test"]
    if len(args) != 1:
        print("usage: check-windows-version.py [--self-test] COMPILE_COMMANDS_JSON", file=sys.stderr)
        return 2
    if run_self_test and not self_test():
        return 1
    with open(args[0], encoding="utf-8") as database:
        entries = json.load(database)
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    lines, targets = check_database(entries)
    lines += check_sources(root)
    for line in lines:
        print(f"check-windows-version: {line}", file=sys.stderr)
    if lines:
        print(f"check-windows-version: every Windows compile must define exactly "
              f"{', '.join(f'{k}={v}' for k, v in EXPECTED.items())} (CMakeLists.txt)", file=sys.stderr)
        return 1
    print(f"check-windows-version: {sum(targets.values())} compiles in {len(targets)} targets "
          f"({', '.join(sorted(targets))}) define {', '.join(f'{k}={v}' for k, v in EXPECTED.items())}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
