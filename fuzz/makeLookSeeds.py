#!/usr/bin/env python3
"""Writes the seed corpus of the look-file fuzzer: valid looks of several
shapes and malformed variants, each failing one check. Run from fuzz/."""
import os
import struct
import zlib

NAMES = {
    "rec1886": b"com.apple.proapps.colorspace.rec1886",
    "pq": b"com.apple.proapps.colorspace.rec2100.d65.pq",
    "hlg": b"com.apple.proapps.colorspace.rec2100.d65.hlg",
    "p3alt": b"com.apple.proapps.colorspace.dci.d65.gamma26",
}
PARAMS = [(3011, 1.0), (3012, 1.0), (3013, 1.0), (3001, 0.0), (3002, 0.0), (3003, 0.0),
          (3021, 1.0), (3022, 1.0), (3023, 1.0), (3040, 1.0), (4002, 0.5), (4001, 0.5),
          (5040, 1.0), (5051, 1.0)] + [(i, 1.0) for i in range(5061, 5073)] + \
         [(5073, 0.0), (5074, 0.0), (5075, 0.0)]


def look(name="rec1886", params=PARAMS, mesh=0, design=b"", key=b"com.vorn.opx.video_param",
         file_name=b"", note=b"", version=3, bad_lut=0):
    lut = bytes((i * 7) & 0xFF for i in range(6 * mesh ** 3)) if mesh else b""
    block = b"".join(struct.pack("<If", i, v) for i, v in params)
    lut_offset = 1408 + len(block) if mesh else 0
    size = 1408 + len(block) + len(lut) + len(design)
    head = b"KOLV" + struct.pack("<III", version, 0, 1408)
    head += struct.pack("<III", len(params), lut_offset, mesh)
    head += struct.pack("<HHHH", bad_lut, len(file_name), len(note), len(NAMES[name]))
    head += key.ljust(64, b"\0")
    head += struct.pack("<II", size - len(design) if design else 0, len(design))
    head = head.ljust(256, b"\0") + file_name.ljust(64, b"\0") + note.ljust(1024, b"\0")
    head += NAMES[name].ljust(64, b"\0")
    return bytearray(head + block + lut + design)


def seal(b):
    struct.pack_into("<I", b, 8, zlib.crc32(bytes(b[12:])))
    return b


def main():
    out = "corpus/kvrLookFileFuzz"
    os.makedirs(out, exist_ok=True)
    seeds = {
        "valid_fresh_rec1886": seal(look()),
        "valid_v0_pq_note_design": seal(look("pq", PARAMS + [(1001, 1600.0)], design=b"design!" * 3,
                                             key=b"grade", file_name=b"show.cube",
                                             note=b"warm evening", version=0)),
        "valid_mesh2_hlg_badlut": seal(look("hlg", mesh=2, key=b"", bad_lut=1, design=b"\1\2\3")),
        "valid_p3_alt_name": seal(look("p3alt")),
        "bad_crc": look(),
        "bad_magic": seal(look()),
        "bad_version1": seal(look(version=1)),
        "bad_mesh66": seal(look(mesh=2)),
        "bad_count_wraps": seal(look()),
        "bad_design_offset": seal(look(design=b"abcd")),
        "bad_truncated": seal(look(mesh=3))[:-5],
        "bad_name": seal(look()),
    }
    seeds["bad_magic"][0] = ord("X")
    struct.pack_into("<I", seeds["bad_mesh66"], 24, 66)
    struct.pack_into("<I", seeds["bad_count_wraps"], 16, len(PARAMS) + 0x20000000)
    struct.pack_into("<I", seeds["bad_design_offset"], 100, 1000)
    seeds["bad_name"][1344 + 29] = ord("Z")
    for name in ("bad_mesh66", "bad_count_wraps", "bad_design_offset", "bad_name"):
        seal(seeds[name])
    for name, data in seeds.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
