#!/usr/bin/env python3
"""Compresses a file as `gzip -9n` does: best compression, no name, no time
stamp, so that the packages come out the same byte for byte.

Usage: gzip_max.py IN OUT.gz
"""
import gzip
import sys


def compress(data: bytes, out_path: str) -> None:
    with open(out_path, "wb") as raw:
        with gzip.GzipFile(filename="", mode="wb", compresslevel=9, fileobj=raw, mtime=0) as gz:
            gz.write(data)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    with open(sys.argv[1], "rb") as f:
        compress(f.read(), sys.argv[2])
