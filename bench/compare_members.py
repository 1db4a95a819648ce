#!/usr/bin/env python3
"""Compares the members of two packs: the same names, sizes, offsets and compressed bytes in the
same order (the creation time and the checksum may differ). Exits with 1 and says where when
they differ.
    compare_members.py A.zpk B.zpk
"""
import struct
import sys


def members(path):
    data = open(path, "rb").read()
    count = struct.unpack_from("<I", data, 8)[0]
    start = 20 + 272 * count
    records = []
    for i in range(count):
        record = data[16 + 272 * i:16 + 272 * (i + 1)]
        size, offset, _ = struct.unpack_from("<III", record, 260)
        records.append((record, data[start + offset:start + offset + size]))
    return records


def main():
    a, b = members(sys.argv[1]), members(sys.argv[2])
    if len(a) != len(b):
        print("%s: %d members, %s: %d" % (sys.argv[1], len(a), sys.argv[2], len(b)))
        return 1
    for (record_a, data_a), (record_b, data_b) in zip(a, b):
        if record_a != record_b or data_a != data_b:
            print("%s: member %s differs" % (sys.argv[1], record_a[:260].split(b"\0")[0]))
            return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
