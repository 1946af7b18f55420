#!/usr/bin/env python3
"""Compares the Windows dump of code page 936 (dump_code_page.cpp) with glibc's CP936 and
prints what host text has to add to iconv's tables to convert as the Windows build does (which
encodes with WC_NO_BEST_FIT_CHARS): the pairs that Windows maps to a code point and back where
iconv refuses them, and the code points that Windows alone writes as a single byte. Every other
difference goes to standard error."""
import ctypes
import sys

libc = ctypes.CDLL(None, use_errno=True)
libc.iconv_open.restype = ctypes.c_void_p
libc.iconv_open.argtypes = [ctypes.c_char_p, ctypes.c_char_p]
libc.iconv.restype = ctypes.c_size_t
libc.iconv.argtypes = [ctypes.c_void_p, ctypes.POINTER(ctypes.c_char_p),
                       ctypes.POINTER(ctypes.c_size_t), ctypes.POINTER(ctypes.c_char_p),
                       ctypes.POINTER(ctypes.c_size_t)]
FAILED = ctypes.c_size_t(-1).value


class Iconv:
    def __init__(self, to, frm):
        self.cd = libc.iconv_open(to.encode(), frm.encode())
        if self.cd in (None, FAILED):
            sys.exit(f"iconv cannot convert {frm} to {to}")

    def convert(self, data):
        """The converted bytes, or None when iconv refuses the input."""
        libc.iconv(self.cd, None, None, None, None)
        inbuf = ctypes.create_string_buffer(data, len(data))
        out = ctypes.create_string_buffer(16)
        inp = ctypes.c_char_p(ctypes.addressof(inbuf))
        inleft = ctypes.c_size_t(len(data))
        outp = ctypes.c_char_p(ctypes.addressof(out))
        outleft = ctypes.c_size_t(16)
        if libc.iconv(self.cd, ctypes.byref(inp), ctypes.byref(inleft), ctypes.byref(outp),
                      ctypes.byref(outleft)) == FAILED or inleft.value != 0:
            return None
        return out.raw[:16 - outleft.value]


def main(dump_path):
    decoder = Iconv("UTF-16BE", "CP936")
    encoder = Iconv("CP936", "UTF-16BE")
    decode_diffs, encode_diffs = [], []
    counts = {"D": 0, "E": 0}
    best_fit = best_fit_differs = 0
    with open(dump_path, "rb") as dump:
        for raw in dump:
            fields = raw.decode("ascii").split()
            if not fields:
                continue
            kind, key, values = fields[0], fields[1], fields[2:]
            counts[kind] += 1
            if kind == "D":
                data = bytes.fromhex(key)
                got = decoder.convert(data)
                theirs = None if got is None else got.hex().upper()
                windows = "".join(values)
                # A byte Windows decodes to "?" is one it cannot map: iconv refuses those.
                if theirs is None and windows == "003F":
                    continue
                if theirs != windows:
                    decode_diffs.append((key, windows, theirs))
            else:
                if values[0] != values[1] and not values[1].startswith("!"):
                    best_fit_differs += 1  # never: the flag only ever takes a mapping away
                if values[0] != values[1]:
                    best_fit += 1
                windows = values[1]
                got = encoder.convert(bytes.fromhex(key))
                theirs = None if got is None else got.hex().upper()
                if windows.startswith("!") and theirs is None:
                    continue  # neither can write it; Windows writes its default character
                if theirs != windows:
                    encode_diffs.append((key, windows, theirs))
    if counts["D"] != 128 + 126 * 191 or counts["E"] != 0x10000 - 0x80 - 0x800:
        sys.exit(f"incomplete dump: {counts}")
    write_differences(decode_diffs, encode_diffs)
    print(f"  {best_fit} code points that WC_NO_BEST_FIT_CHARS leaves out are written as a"
          f" look-alike without it ({best_fit_differs} otherwise different)", file=sys.stderr)


def next_pair(pair):
    trail = (pair & 0xFF) + 1
    return (pair & 0xFF00) | (trail + 1 if trail == 0x7F else trail)


def write_differences(decode_diffs, encode_diffs):
    """Writes the pairs that iconv refuses and Windows decodes to one code point, which Windows
    also encodes back to the pair, as runs of one lead byte, and the code points that Windows
    alone writes as one byte; reports every other difference."""
    encoded = {key: windows for key, windows, _ in encode_diffs}
    pairs, others = [], []
    for key, windows, theirs in decode_diffs:
        if len(key) == 4 and theirs is None and len(windows) == 4 and encoded.get(windows) == key:
            pairs.append((int(key, 16), int(windows, 16)))
        else:
            others.append(f"decode {key}: Windows {windows}, iconv {theirs}")
    inverse = {f"{cp:04X}" for _, cp in pairs}
    single = []
    for key, windows, theirs in encode_diffs:
        if key in inverse:
            continue
        if theirs is None and len(windows) == 2:
            single.append((key, windows))
        else:
            others.append(f"encode {key}: Windows {windows}, iconv {theirs}")
    runs = []
    for pair, cp in sorted(pairs):
        last = runs[-1] if runs else None
        if last and next_pair(last[1]) == pair and last[3] + 1 == cp:
            last[1], last[3] = pair, cp
        else:
            runs.append([pair, pair, cp, cp])
    print("# What Windows' code page 936 converts and glibc's CP936 refuses. Made by generate.sh.")
    print("# Double-byte pairs that map to private-use code points and back, as runs within one")
    print("# lead byte: first-last pair, first-last code point (trail byte 7F is never in a run).")
    for run in runs:
        print("%04X-%04X %04X-%04X" % tuple(run))
    print(f"# {len(pairs)} pairs")
    print("# Code points written as one byte: code point, byte.")
    for key, windows in single:
        print(f"{key} {windows}")
    print(f"{len(pairs)} pairs map to private-use code points both ways; other differences:",
          file=sys.stderr)
    for line in others:
        print("  " + line, file=sys.stderr)


if __name__ == "__main__":
    main(sys.argv[1])
