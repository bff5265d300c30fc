#!/usr/bin/env python3
"""Writes the THIRD-PARTY-NOTICES.txt of each zip from the copyright files of
the Debian packages that supply the libraries linked into the programs.

  make-notices.py           rewrites assets/THIRD-PARTY-NOTICES.txt (the
                            release zip) and tests/package/THIRD-PARTY-NOTICES.txt
                            (the tests zip)
  make-notices.py --check   exits 1 if either differs from what this
                            toolchain gives, e.g. after a package update

The files are written with CRLF line ends, for Notepad on older Windows.
"""

import pathlib
import re
import subprocess
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
DOC = pathlib.Path("/usr/share/doc")

# The MinGW-w64 runtime and winpthreads: the parts of the source tree linked
# into a static program. Profiling (gcrt0, linked only with -pg) and the
# winpthreads tests are not.
MINGW_PACKAGE = "mingw-w64-x86-64-dev"
RUNTIME = (["*", "mingw-w64-crt/"], ["mingw-w64-crt/profile/"])
WINPTHREADS = (["mingw-w64-libraries/winpthreads/"], ["mingw-w64-libraries/winpthreads/tests_pthread/"])
GCC_PACKAGE = "gcc-mingw-w64-x86-64-posix-runtime"
GTEST_PACKAGE = "googletest"
GTEST = (["*"], [])


def paragraphs(package):
    text = (DOC / package / "copyright").read_text(encoding="utf-8")
    result = []
    for block in re.split(r"\n\s*\n", text):
        fields, name = {}, None
        for line in block.splitlines():
            if line[:1] in (" ", "\t") and name:
                fields[name].append(line)
            elif ":" in line:
                name, value = line.split(":", 1)
                fields[name] = [value.strip()]
        if fields:
            result.append(fields)
    return result


def files_of(paragraph):
    return [f for line in paragraph.get("Files", []) for f in line.split()]


def version(package):
    return subprocess.run(["dpkg-query", "-W", "-f=${Version}", package], check=True, capture_output=True,
                          text=True).stdout


def section(package, title, selection):
    wanted, unwanted = selection
    parsed = paragraphs(package)
    licences = {p["License"][0]: p["License"][1:] for p in parsed if "License" in p and "Files" not in p}
    out = [title, "=" * len(title), f"From the copyright file of the Debian package {package} {version(package)}.", ""]
    needed = []
    for p in parsed:
        files = files_of(p)
        if not any(f == w or (w.endswith("/") and f.startswith(w)) for f in files for w in wanted):
            continue
        if all(any(f.startswith(u) for u in unwanted) for f in files):
            continue
        out.append("Copyright: " + "\n           ".join(line.strip() for line in p["Copyright"] if line.strip()))
        name = p["License"][0]
        out.append("License: " + name)
        if len(p["License"]) > 1:
            out.extend(body(p["License"][1:]))
        else:
            needed.extend(n for n in re.split(r" and | or ", name) if n not in needed)
        out.append("")
    for name in needed:
        if name in licences and licences[name]:
            out += [f"License text: {name}"] + body(licences[name]) + [""]
    return out


def body(lines):
    return ["" if line.strip() == "." else "    " + line[1:].rstrip() for line in lines]


def gcc_line():
    return [
        f"libstdc++ and libgcc (Debian package {GCC_PACKAGE} {version(GCC_PACKAGE)}) are under the GNU GPL",
        "version 3 with the GCC Runtime Library Exception 3.1, which asks nothing of a program compiled with GCC.",
        "",
    ]


def notices(program, extra):
    head = [
        "Third-party notices",
        "",
        f"{program} code from the libraries below, linked in when built.",
        "Their licences ask that these notices travel with the programs.",
        "Tarnvel itself is under the MIT licence (LICENSE in its source).",
        "",
    ]
    text = head + gcc_line() + section(MINGW_PACKAGE, "The MinGW-w64 runtime", RUNTIME)
    text += section(MINGW_PACKAGE, "winpthreads", WINPTHREADS) + extra
    return "\r\n".join(text).rstrip("\r\n") + "\r\n"


def main():
    outputs = {
        ROOT / "assets" / "THIRD-PARTY-NOTICES.txt": notices("Tarnvel.exe contains", []),
        ROOT / "tests" / "package" / "THIRD-PARTY-NOTICES.txt": notices(
            "The programs in this zip contain", section(GTEST_PACKAGE, "GoogleTest (the two test programs)", GTEST)),
    }
    stale = []
    for path, text in outputs.items():
        current = path.read_bytes().decode("utf-8") if path.exists() else None
        if current == text:
            continue
        if "--check" in sys.argv[1:]:
            stale.append(str(path.relative_to(ROOT)))
        else:
            path.write_bytes(text.encode("utf-8"))
    if stale:
        print("out of date with this toolchain (run scripts/make-notices.py): " + ", ".join(stale), file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
