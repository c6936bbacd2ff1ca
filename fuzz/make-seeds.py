#!/usr/bin/env python3
"""Writes the seed corpus of every fuzz target into OUT/<target>/: the bytes of the golden tests
(device answers, list records, frames, table and firmware files), each behind the selector
bytes its target reads first."""
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
FIRMWARE = os.path.join(HERE, "..", "tests", "data", "firmware")


def h(text):
    return bytes.fromhex(text)


ACK_84 = h("79 54 02 07 7E 16")
ACK_00 = h("79 00 01 07 16")
LEGACY_RECORD = h("1C 05 41 2E 54 58 54 99 07 E8 05 01 0E 05 21 00 00 01 00")
CURRENT_RECORD = h("1C 05 41 2E 54 58 54 00 07 E8 05 01 0E 05 21 00 00 00 00 00 00 01 00")
SAMPLE = open(os.path.join(FIRMWARE, "SAMPLE.H00"), "rb").read()
FIRST_RECORDS = b"".join(SAMPLE.splitlines(keepends=True)[:4])


def generations():
    # Index into fuzz/support/Strategies.h's kGenerations.
    return range(14)


SEEDS = {
    "hex_records_fuzzer": [FIRST_RECORDS, SAMPLE[:600],
                           open(os.path.join(FIRMWARE, "LFONLY.H00"), "rb").read()[:400],
                           b":" + b"00" * 60 + b"\r\n"],
    "braille_table_fuzzer": [b"8\n1\n3\n" * 20, b"7\nb=2\n; {SearchBackwards}\n",
                             b"a=1\nb=3\r\n\n"],
    "service_info_fuzzer": [h("02 34 12 03 0B 07 0C 5F 01 64 06 59 09 0B 5A 03 00 00 00 00")],
    "list_records_fuzzer": [b"\x00" + LEGACY_RECORD * 2, b"\x01" + CURRENT_RECORD,
                            b"\x02" + h("06 20 03 13 00") + LEGACY_RECORD + h("16 04"),
                            b"\x03" + h("00 00 01 00 00 00 00 10 16"),
                            b"\x83" + h("00 00 00 00 00 01 00 00 00 00 00 00 00 00 10 00 16")],
    "pageling_answer_fuzzer": [h("06"), h("15 0E"), h("15 1D"), h("41 0D 06"), h("05 05 05 05")],
    "identity_fuzzer": [bytes([0, 0]) + h("79 22 01"), bytes([1, 0]) + h("79 54 04 C2 03 0C 01 16"),
                        bytes([2, 0]) + h("AE 49 4E 46 4F 20 4E FF"),
                        bytes([3, 0]) + h("79 54 07 40 E8 41 42 2D 31 37 16") + ACK_84,
                        bytes([4, 5]) + h("79 81 07 40 E8 41 42 2D 31 37 16"),
                        bytes([5, 0]) + h("48 06 49 0A 0D 0D 41 0D"),
                        bytes([6, 0]) + h("79 54 05 47 31 32 33 34 16"),
                        bytes([7, 5]) + h("79 81 02 07 15 16"),
                        bytes([8, 0]) + h("79 54 15 31 02 34 12 03 0B 07 0C 5F 01 64 06 59 09 0B"
                                          " 5A 03 00 00 00 00 16") + ACK_84],
    "maintenance_fuzzer": [bytes([g, op]) + ACK_84 + h("79 54 09 42 01 02 03 04 05 06 07 08 16")
                           for g in generations() for op in range(12)][:60] +
                          [bytes([0, 0]) + h("06 20 01 47 16 04")],
    "file_transfer_fuzzer": [bytes([g, op]) + h("06 20") + LEGACY_RECORD + h("16 04")
                             for g in generations() for op in range(8)][:60],
    "monitor_fuzzer": [bytes([0, 0]) + h("02 05 48 61 6C 6C 6F 0D"),
                       bytes([0, 1]) + h("FE 02 05 48 61 6C 6C 6F 0D"),
                       bytes([1, 0]) + ACK_00 + ACK_00 + h("79 00 0A 1B 00 00 00 00 00 00 00 01 41 16"),
                       bytes([2, 0]) + h("06 48 61 6C 6C 6F 0D")],
    "firmware_fuzzer": [bytes([0]) + len(FIRST_RECORDS).to_bytes(2, "big") + FIRST_RECORDS +
                        h("AE 49 4E 46 4F 20 4E FF") + b"\x06" * 16,
                        bytes([1]) + len(FIRST_RECORDS).to_bytes(2, "big") + FIRST_RECORDS +
                        ACK_84 * 8,
                        bytes([2, 0, 0]) + ACK_84 + h("79 54 04 5B 00 32 16 79 54 04 5C 00 00 16"),
                        bytes([3, 0, 0]) + ACK_84 + h("79 54 04 5C 00 02 16")],
    "hid_ring_fuzzer": [bytes([61]) + (bytes([0x80 | 64, 1, 62]) + bytes(range(62))) * 3 + h("7F"),
                        # more than the ring holds, then reads of every size
                        bytes([61]) + (bytes([0x80 | 64, 1, 62]) + bytes(range(62))) * 20 +
                        h("7F 7F 00 10 7F 7F 7F 7F 7F 7F 7F 7F"),
                        bytes([5, 0x87, 1, 5, 1, 2, 3, 4, 5, 2, 0x84, 1, 9, 7, 7, 0x10])],
}


def main():
    out = sys.argv[1]
    for target, seeds in SEEDS.items():
        folder = os.path.join(out, target)
        os.makedirs(folder, exist_ok=True)
        for number, seed in enumerate(seeds):
            with open(os.path.join(folder, "seed-%03d" % number), "wb") as file:
                file.write(seed)


if __name__ == "__main__":
    main()
