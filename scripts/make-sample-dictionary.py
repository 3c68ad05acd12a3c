#!/usr/bin/env python3
"""Writes the dictionary of the expense concepts file, sample/ddf/TDespesa.xdf:
a 2-byte little-endian length, then the creation specification.

Records of 27 bytes: the concept code (2 characters) and its description
(25 characters).  Key 0 is the code, unique; key 1 is the description,
duplicates allowed, ordered without regard to case and accents through an
alternate collating sequence over code page 850.
"""
import os
import struct
import sys
import unicodedata

DUPLICATES, CONTINUES, ALTERNATE = 0x0001, 0x0010, 0x0020


def collating_table():
    table = bytearray(range(256))
    for byte in range(128, 256):
        char = bytes([byte]).decode("cp850")
        base = unicodedata.normalize("NFD", char)[0].upper()
        if len(base) == 1 and "A" <= base <= "Z":
            table[byte] = ord(base)
    for byte in range(ord("a"), ord("z") + 1):
        table[byte] = byte - 32
    return bytes(table)


def segment(position, length, flags):
    return struct.pack("<HHH10x", position, length, flags)


def main():
    header = struct.pack("<HHHIHHH", 27, 4096, 2, 0, 0, 0, 0)
    header += b"\0" * (16 - len(header))
    spec = header
    spec += segment(1, 2, 0)
    spec += segment(3, 25, DUPLICATES | ALTERNATE)
    spec += b"\xac" + b"MAJUSC  " + collating_table()
    here = os.path.dirname(os.path.abspath(__file__))
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "sample", "ddf", "TDespesa.xdf")
    with open(target, "wb") as out:
        out.write(struct.pack("<H", len(spec)) + spec)


if __name__ == "__main__":
    main()
