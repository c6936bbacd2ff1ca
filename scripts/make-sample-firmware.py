#!/usr/bin/env python3
"""Writes sample firmware for the older displays: Intel HEX text files NAME.H00, NAME.H01, ...
one per flash bank, as the boot-loader upload expects them.

The content is made up but shaped like 8051 code (a reset jump, then instruction-like bytes)
and is the same on every run, so the files can be checked in and compared byte for byte.

Without arguments it (re)writes the samples the tests use into tests/data/firmware:
  SAMPLE.H00-H02  a 3-file set with CR LF line ends
  LFONLY.H00      one file with LF line ends
"""
import argparse
import os
import random
import sys

RECORD_BYTES = 16


def record(address, kind, data):
    body = bytes([len(data), address >> 8, address & 0xFF, kind]) + bytes(data)
    checksum = (-sum(body)) & 0xFF
    return ":" + body.hex().upper() + "%02X" % checksum


def firmware_bytes(seed, size):
    generator = random.Random(seed)
    start = 0x0030
    code = bytearray([0x02, start >> 8, start & 0xFF])  # LJMP to the start
    code += bytes(start - len(code))  # interrupt vectors left empty
    opcodes = [0x74, 0x75, 0x78, 0x79, 0x90, 0xE4, 0xE5, 0xF5, 0x12, 0x80, 0xA3, 0xE0, 0xF0]
    while len(code) < size:
        code.append(generator.choice(opcodes))
        code += bytes(generator.randrange(256) for _ in range(generator.randrange(3)))
    return bytes(code[:size])


def hex_text(data, line_end):
    lines = [record(offset, 0x00, data[offset:offset + RECORD_BYTES])
             for offset in range(0, len(data), RECORD_BYTES)]
    lines.append(record(0, 0x01, b""))
    return "".join(line + line_end for line in lines)


def write_set(folder, name, sizes, line_end):
    os.makedirs(folder, exist_ok=True)
    for bank, size in enumerate(sizes):
        if size > 0x10000:
            sys.exit("a bank holds at most 64 KiB")
        path = os.path.join(folder, "%s.H0%d" % (name, bank))
        with open(path, "w", newline="") as out:
            out.write(hex_text(firmware_bytes("%s-%d" % (name, bank), size), line_end))
        print(os.path.normpath(path))


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--out", help="folder to write into")
    parser.add_argument("--name", default="SAMPLE", help="base name of the set")
    parser.add_argument("--files", type=int, help="number of files (1-8)")
    parser.add_argument("--bytes", type=int, default=4096, help="firmware bytes per file")
    parser.add_argument("--lf", action="store_true", help="LF line ends instead of CR LF")
    arguments = parser.parse_args()

    if arguments.files is None:
        folder = arguments.out or os.path.join(os.path.dirname(__file__), "..", "tests", "data",
                                               "firmware")
        write_set(folder, "SAMPLE", [3000, 2048, 1500], "\r\n")
        write_set(folder, "LFONLY", [700], "\n")
        return
    if not 1 <= arguments.files <= 8 or arguments.out is None:
        parser.error("--files needs 1 to 8 and --out")
    write_set(arguments.out, arguments.name, [arguments.bytes] * arguments.files,
              "\n" if arguments.lf else "\r\n")


if __name__ == "__main__":
    main()
