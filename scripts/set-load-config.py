#!/usr/bin/env python3
"""Points a PE image's load-configuration directory at its _load_config_used.

MSVC's linker does this by itself; GNU ld 2.40 leaves the directory empty, so
the loader would never read the DependentLoadFlags that ui/load_config.cpp
sets. Run on the linked, unstripped image (it finds the structure through the
COFF symbol table); the checksum is made again. The same input always gives
the same output.

    set-load-config.py IMAGE
"""
import struct
import sys

LOAD_CONFIG_ENTRY = 10
PE32_PLUS = 0x20B


def fail(message):
    sys.exit(f"set-load-config: {sys.argv[1]}: {message}")


def checksum(image, checksum_offset):
    total = 0
    data = image[:checksum_offset] + b"\0\0\0\0" + image[checksum_offset + 4:]
    if len(data) % 2:
        data += b"\0"
    for (word,) in struct.iter_unpack("<H", data):
        total += word
        total = (total & 0xFFFF) + (total >> 16)
    return (total + len(image)) & 0xFFFFFFFF


def symbol_rva(image, pe, name):
    sections, symbols_at, symbol_count = struct.unpack_from("<H4xII", image, pe + 6)
    optional_size = struct.unpack_from("<H", image, pe + 20)[0]
    if symbols_at == 0:
        fail("no symbol table (stripped?)")
    strings_at = symbols_at + 18 * symbol_count
    table = pe + 24 + optional_size
    index = 0
    while index < symbol_count:
        at = symbols_at + 18 * index
        raw, value, section, _, _, aux = struct.unpack_from("<8sIhHBB", image, at)
        if raw[:4] == b"\0\0\0\0":
            start = strings_at + struct.unpack_from("<I", raw, 4)[0]
            symbol = image[start:image.index(b"\0", start)]
        else:
            symbol = raw.rstrip(b"\0")
        if symbol == name and 0 < section <= sections:
            header = table + 40 * (section - 1)
            virtual_address, _, raw_at = struct.unpack_from("<III", image, header + 12)
            return virtual_address + value, raw_at + value
        index += 1 + aux
    fail(f"no symbol {name.decode()}")


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    with open(sys.argv[1], "rb") as file:
        image = bytearray(file.read())
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    if image[pe:pe + 4] != b"PE\0\0":
        fail("not a PE image")
    optional = pe + 24
    if struct.unpack_from("<H", image, optional)[0] != PE32_PLUS:
        fail("not a 64-bit image")
    rva, at = symbol_rva(image, pe, b"_load_config_used")
    size = struct.unpack_from("<I", image, at)[0]
    directory = optional + 112 + 8 * LOAD_CONFIG_ENTRY
    struct.pack_into("<II", image, directory, rva, size)
    struct.pack_into("<I", image, optional + 64, checksum(image, optional + 64))
    with open(sys.argv[1], "wb") as file:
        file.write(image)


main()
