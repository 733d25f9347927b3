#!/usr/bin/env python3
"""Writes the CP932 (Shift-JIS with the NEC and IBM extensions) table the
engine converts text with, as C++ source: make_cp932_table.py OUT.cpp

The characters come from Python's own cp932 codec, decoding every code; the
table is written at build time so that no system converter is needed (the
browser and Windows C libraries have none for this code page).
"""
import sys

# Two-byte codes: a lead byte 0x81-0x9F or 0xE0-0xFC, a trail byte
# 0x40-0xFC. The order of the lead bytes is that of core/cp932_table.h.
LEADS = list(range(0x81, 0xA0)) + list(range(0xE0, 0xFD))
TRAILS = range(0x40, 0xFD)

# Python maps these single bytes to U+0080 and to private-use characters;
# the engine has always read 0x80 and 0xA0 as no character, and 0xFD-0xFF
# are lead bytes to it (a pair that starts with one is no character either).
NOT_CHARACTERS = {0x80, 0xA0, 0xFD, 0xFE, 0xFF}

# Characters written with a code that reads back as another. The Roman half
# of the code page has the yen sign at 0x5C and the overline at 0x7E. The
# older mapping of JIS X 0208 reads seven codes as characters CP932 reads as
# their full-width or other forms (0x8191 is U+00A2 there, U+FFE0 here):
# text in either form is written with the same code.
ONE_WAY = {
    0x00A5: 0x5C, 0x203E: 0x7E,
    0x00A2: 0x8191, 0x00A3: 0x8192, 0x00AC: 0x81CA, 0x2014: 0x815C,
    0x2016: 0x8161, 0x2212: 0x817C, 0x301C: 0x8160,
}


def decode(code_bytes):
    try:
        text = code_bytes.decode("cp932")
    except UnicodeDecodeError:
        return None
    return ord(text) if len(text) == 1 else None


def rank(code):
    """Where CP932 has a character more than once, the code Windows writes
    for it wins: the JIS X 0208 one, then NEC's row 13 (0x87xx), then IBM's
    extension (0xFA40-0xFC4B), and NEC's copy of IBM's (0xED40-0xEEFC) last."""
    lead = code >> 8
    if lead in (0xED, 0xEE):
        return 3
    if 0xFA <= lead <= 0xFC:
        return 2
    if lead == 0x87:
        return 1
    return 0


def main(out_path):
    single = [0] * 128  # bytes 0x80-0xFF
    for b in range(0x80, 0x100):
        if b not in NOT_CHARACTERS:
            single[b - 0x80] = decode(bytes([b])) or 0
    double = []
    for lead in LEADS:
        for trail in TRAILS:
            double.append(decode(bytes([lead, trail])) or 0)

    best = {}  # Unicode -> code
    for b in range(0x80, 0x100):
        if single[b - 0x80]:
            best[single[b - 0x80]] = b
    for i, u in enumerate(double):
        if not u:
            continue
        code = (LEADS[i // len(TRAILS)] << 8) | TRAILS[i % len(TRAILS)]
        if u not in best or (rank(code), code) < (rank(best[u]), best[u]):
            best[u] = code
    for u, code in ONE_WAY.items():
        assert u not in best, hex(u)
        best[u] = code
    assert all(u <= 0xFFFF for u in best), "CP932 lies in the Basic Multilingual Plane"

    def rows(values, per_line, fmt):
        items = [fmt(v) for v in values]
        return "\n".join("    " + ", ".join(items[i:i + per_line]) + ","
                         for i in range(0, len(items), per_line))

    pairs = sorted(best.items())
    text = f"""// Written by src/core/make_cp932_table.py from Python's cp932 codec: do not edit.
#include "core/cp932_table.h"

namespace velmor::cp932 {{

const std::array<char16_t, kSingleCount> kSingle = {{{{
{rows(single, 12, lambda v: f"0x{v:04X}")}
}}}};

const std::array<char16_t, kDoubleCount> kDouble = {{{{
{rows(double, 12, lambda v: f"0x{v:04X}")}
}}}};

namespace {{
constexpr FromUnicode kPairs[] = {{
{rows(pairs, 6, lambda p: f"{{0x{p[0]:04X}, 0x{p[1]:04X}}}")}
}};
}}  // namespace

const std::span<const FromUnicode> kFromUnicode(kPairs);

}}  // namespace velmor::cp932
"""
    with open(out_path, "w", encoding="ascii", newline="\n") as out:
        out.write(text)


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit("usage: make_cp932_table.py OUT.cpp")
    main(sys.argv[1])
