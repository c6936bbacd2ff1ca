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


def iap(operation, cancel_at, firmware, behaviour, answers):
    """An iap_fuzzer input: see fuzz/iap_fuzzer.cpp and fuzz/support/FuzzHidBus.h."""
    return (bytes([operation, cancel_at]) + len(firmware).to_bytes(2, "big") + firmware +
            len(behaviour).to_bytes(2, "big") + behaviour + answers)


# One input report carrying ACK_84 (its length byte: 1 + 7 = 8 bytes), a refusal, and the six
# bytes the loader answers to an abort.
ACK_REPORT = bytes([7]) + h("01 06") + ACK_84
REFUSAL_REPORT = bytes([7]) + h("01 06 79 54 02 07 00 16")
ABORT_REPORT = bytes([7]) + h("01 06 00 00 00 00 00 00")
# An open with 64-byte reports and writes that never fail, then the listings around a restart
# (counts and indices into FuzzHidBus::kPaths) and the open of the path that came back.
OPEN = bytes([0, 0, 0])


def restart(before, after, opens=True):
    return bytes([len(before)] + before + [len(after)] + after) + (OPEN if opens else b"")


IAP_FIRMWARE = (b":020000040800F2\r\n:1000000000010203040506070809101112131415F4\r\n"
                b":00000001FF\r\n")
# Records of 99 characters (44 data bytes, the loader's limit) and of 101 (45 data bytes).
RECORD_99 = b":2C000000" + b"00" * 44 + b"D4\r\n"
RECORD_101 = b":2D000000" + b"00" * 45 + b"D3\r\n"
# The whole upload: three restarts, each under a new path, and eleven acknowledgements.
IAP_BEHAVIOUR = OPEN + restart([0], [1]) + restart([1], [0]) + restart([0], [1])


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
    "iap_fuzzer": [iap(0, 0, IAP_FIRMWARE, IAP_BEHAVIOUR, ACK_REPORT * 11),
                   iap(0, 0, FIRST_RECORDS, IAP_BEHAVIOUR, ACK_REPORT * 12),
                   iap(0, 0, RECORD_99 + RECORD_101, IAP_BEHAVIOUR, ACK_REPORT * 10),
                   # cancelled at the second record: abort, restart into the firmware, refusal
                   iap(1, 2, IAP_FIRMWARE, IAP_BEHAVIOUR + restart([1], [0]),
                       ACK_REPORT * 6 + ABORT_REPORT + ACK_REPORT + REFUSAL_REPORT),
                   # two displays: only the one in use is taken after the restart
                   iap(2, 0, b"", OPEN + restart([0, 1], [1, 0]), ACK_REPORT),
                   iap(3, 0, b"", OPEN + restart([0, 3, 4], [5, 0]), ACK_REPORT),
                   # fewer displays after the restart than before, then a refused unlock
                   iap(0, 0, IAP_FIRMWARE, OPEN + restart([0, 1], [0], False), ACK_REPORT),
                   iap(0, 0, IAP_FIRMWARE, OPEN + restart([0], [1]), ACK_REPORT + REFUSAL_REPORT)],
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
