#!/usr/bin/env python3
"""Writes the seed corpus: corpus/size_text and corpus/extension.

A size_text seed is a little-endian int32 limit, a byte saying whether a
source is chosen, and the size text in UTF-16LE; an extension seed is a path
in UTF-16LE.
"""
import pathlib
import shutil
import struct

HERE = pathlib.Path(__file__).resolve().parent
MAX = 2147483647

SIZE_TEXTS = {
    "limit-itself": (1000, True, "1000"),
    "smallest": (1000, True, "2"),
    "tie-to-even-down": (1000, True, "2.5"),
    "tie-to-even-up": (1000, True, "3.5"),
    "below-two": (1000, True, "1.99"),
    "zero": (1000, True, "0"),
    "letters": (1000, True, "abc"),
    "digits-then-letters": (1000, True, "12abc"),
    "point-first": (1000, True, ".5"),
    "point-last": (1000, True, "5."),
    "two-points": (1000, True, "1.2.3"),
    "exponent-not-read": (1000000, True, "1e5"),
    "leading-zeros": (1000, True, "0" * 400 + "7"),
    "too-long-for-double": (MAX, True, "9" * 310),
    "too-small-for-double": (1000, True, "0." + "0" * 400 + "1"),
    "full-width-digits": (1000, True, "１２"),
    "lone-surrogate-after": (1000, True, "3\ud800"),
    "limit-0": (0, True, "2"),
    "limit-1": (1, True, "2"),
    "limit-2": (2, True, "2"),
    "limit-negative": (-1, True, "5"),
    "limit-max": (MAX, True, "2147483647"),
    "limit-max-fraction": (MAX, True, "2147483647.4"),
    "limit-max-tie": (MAX, True, "2147483646.5"),
    "no-source": (1000, False, "5"),
    "empty-text": (1000, True, ""),
}

PATHS = {
    "mpg": "C:\\a\\movie.mpg",
    "jpeg": "photo.jpeg",
    "gz": "notes.gz",
    "no-dot": "README",
    "dot-only-ext": ".mpg",
    "trailing-dot": "name.",
    "two-units": "ab",
    "empty": "",
    "japanese": "C:\\動画\\旅行の記録.mp4",
    "japanese-ext": "C:\\書類\\メモ.テキスト",
    "surrogate-pair-last": "C:\\写真\\a.𠮷",
    "lone-surrogate": "C:\\x\\a.\ud83d",
}


def utf16(text):
    return text.encode("utf-16-le", "surrogatepass")


def write(folder, seeds):
    target = HERE / "corpus" / folder
    shutil.rmtree(target, ignore_errors=True)
    target.mkdir(parents=True)
    for name, data in seeds.items():
        (target / name).write_bytes(data)


write("size_text", {n: struct.pack("<iB", l, s) + utf16(t) for n, (l, s, t) in SIZE_TEXTS.items()})
write("extension", {n: utf16(p) for n, p in PATHS.items()})
