#!/usr/bin/env python3
"""Writes the seed corpus of the pack fuzzer: tiny packs made by zpk, and damaged and hostile
variants of them. Seeds already in the corpus are kept as they are (the older ones hold zlib's
level 9 streams, the newer ones libdeflate's). Run from the repository after a build:
    python3 packer/fuzz/make_corpus.py build/zpk/zpk packer/fuzz/corpus
"""
import os
import struct
import subprocess
import sys
import tempfile
import zlib

ENTRY = 272
HEADER = 16


def pack_folder(zpk, files):
    with tempfile.TemporaryDirectory() as tmp:
        folder = os.path.join(tmp, "scen")
        for name, data in files.items():
            path = os.path.join(folder, *name.split("\\"))
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "wb") as f:
                f.write(data)
        out = os.path.join(tmp, "p.zpk")
        subprocess.run([zpk, "pack", folder, out], check=True)
        with open(out, "rb") as f:
            return bytearray(f.read())


def entry_at(i):
    return HEADER + ENTRY * i


def set_name(pack, i, name):
    raw = name.encode("latin-1")
    pack[entry_at(i):entry_at(i) + 260] = raw + b"\0" * (260 - len(raw))


def set_u32(pack, offset, value):
    pack[offset:offset + 4] = struct.pack("<I", value & 0xFFFFFFFF)


def hand_made(members, count=None, trailer=None):
    """A pack put together by hand: (name, stream, uncompressed size) per member."""
    n = len(members) if count is None else count
    head = bytearray(HEADER + ENTRY * len(members) + 4)
    data = b""
    for i, (name, stream, size) in enumerate(members):
        set_name(head, i, name)
        set_u32(head, entry_at(i) + 260, len(stream))
        set_u32(head, entry_at(i) + 264, len(data))
        set_u32(head, entry_at(i) + 268, size)
        data += stream
    t = len(head) + len(data) if trailer is None else trailer
    set_u32(head, 8, n)
    set_u32(head, 12, t)
    return bytes(head) + data + b"\0\0\0\0"


def main():
    zpk, out = sys.argv[1], sys.argv[2]
    os.makedirs(out, exist_ok=True)
    table = b"id,men,ammo,\r\n1,12,300,\r\n2,-7,4294967297,\r\n"
    scenario = {
        "units.csv": table,
        "Data Files\\orders.CSV": b"5,6\n7,,x,8,\n",
        "maps\\m.bmp": bytes(range(64)),
        "briefing.txt": b"Hold the bridge.\r\n",
    }
    seeds = {}
    good = pack_folder(zpk, scenario)
    seeds["valid-scenario"] = bytes(good)
    seeds["valid-one-empty-file"] = bytes(pack_folder(zpk, {"empty.csv": b""}))
    seeds["no-members"] = hand_made([])
    for cut in (3, 15, 100, 300, len(good) - 10, len(good) - 1):
        seeds["truncated-%d" % cut] = bytes(good[:cut])

    def variant(name, change):
        pack = bytearray(good)
        change(pack)
        seeds[name] = bytes(pack)

    variant("huge-count", lambda p: set_u32(p, 8, 0xFFFFFFFF))
    variant("trailer-past-end", lambda p: set_u32(p, 12, len(good)))
    variant("trailer-in-directory", lambda p: set_u32(p, 12, 40))
    variant("offset-past-end", lambda p: set_u32(p, entry_at(1) + 264, 0x7FFFFFFF))
    variant("unterminated-name", lambda p: p.__setitem__(slice(entry_at(0), entry_at(0) + 260),
                                                         b"a" * 260))
    variant("name-dotdot", lambda p: set_name(p, 0, "..\\..\\evil.csv"))
    variant("name-absolute", lambda p: set_name(p, 1, "\\etc\\x"))
    variant("name-drive", lambda p: set_name(p, 1, "C:x"))
    variant("name-slash", lambda p: set_name(p, 1, "a/../../x"))
    variant("name-empty", lambda p: set_name(p, 2, ""))
    variant("name-same-case", lambda p: set_name(p, 3, "UNITS.CSV"))
    variant("name-file-and-folder", lambda p: set_name(p, 3, "maps"))
    variant("stream-flipped", lambda p: p.__setitem__(len(p) - 20, p[len(p) - 20] ^ 0xFF))
    variant("size-far-beyond", lambda p: set_u32(p, entry_at(0) + 268, 0xFFFFFF00))
    variant("size-one-more", lambda p: set_u32(p, entry_at(0) + 268,
                                               struct.unpack_from("<I", p, entry_at(0) + 268)[0] + 1))
    variant("overlap", lambda p: set_u32(p, entry_at(1) + 264, 0))
    # One table field changed after writing: the members of a pack of the changed folder, with
    # the creation time and stored checksum of the first pack.
    changed = scenario.copy()
    changed["units.csv"] = table.replace(b"12", b"13")
    other = pack_folder(zpk, changed)
    created_high = HEADER + ENTRY * len(scenario)
    other[0:8] = good[0:8]
    other[created_high:created_high + 4] = good[created_high:created_high + 4]
    other[-4:] = good[-4:]
    seeds["table-field-changed"] = bytes(other)
    # Packs of the default streams, and damage that only the strict check sees.
    fast = pack_folder(zpk, scenario)
    seeds["valid-libdeflate"] = bytes(fast)

    def damaged(name, change):
        pack = bytearray(fast)
        change(pack)
        seeds[name] = bytes(pack)

    def swap_records(p):
        a, b = entry_at(0) + 260, entry_at(1) + 260
        p[a:a + 12], p[b:b + 12] = p[b:b + 12], p[a:a + 12]

    def gap(p):
        start = HEADER + ENTRY * len(scenario) + 4
        second = struct.unpack_from("<I", p, entry_at(2) + 264)[0]
        p[start + second:start + second] = b"gap!"
        for i in (2, 3):
            set_u32(p, entry_at(i) + 264, struct.unpack_from("<I", p, entry_at(i) + 264)[0] + 4)
        set_u32(p, 12, struct.unpack_from("<I", p, 12)[0] + 4)

    damaged("swapped-records", swap_records)
    damaged("gap", gap)
    damaged("appended-bytes", lambda p: p.extend(b"tail"))
    damaged("zero-compressed-size", lambda p: set_u32(p, entry_at(1) + 260, 0))
    damaged("name-8bit-case", lambda p: (set_name(p, 0, "\xc9t\xe9.csv"),
                                         set_name(p, 3, "\xe9t\xc9.csv")))
    damaged("name-control", lambda p: set_name(p, 2, "a\nb\x1b[2J.txt"))
    zeros = zlib.compress(b"\0" * 100000, 9)
    seeds["high-ratio"] = hand_made([("zeros.bin", zeros, 100000)])
    seeds["trailing-bytes"] = hand_made([("a.csv", zlib.compress(b"1,2", 9) + b"junk", 3)])
    seeds["no-data"] = hand_made([("a.csv", b"", 5)])
    for name, data in seeds.items():
        path = os.path.join(out, name + ".zpk")
        if not os.path.exists(path):
            with open(path, "wb") as f:
                f.write(data)
    # Table texts for the checksum check (they do not open as packs).
    texts = {
        "text-table": table + b"3,12345678,123456789,99999999999,-2153946,+7 ,x,\r\r\n,\n\n",
        "text-blanks": b" \t-1\v,\f2\r,\r\n9:1,8/2,7\xb9,\x80\x80,,,",
    }
    for name, data in texts.items():
        path = os.path.join(out, name + ".csv")
        if not os.path.exists(path):
            with open(path, "wb") as f:
                f.write(data)


if __name__ == "__main__":
    main()
