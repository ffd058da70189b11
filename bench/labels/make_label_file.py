#!/usr/bin/env python3
"""Writes a large label data file for BM_LoadGivenFile (VARSONA_BENCH_LABEL_FILE):
label-data-like lines of about 75 bytes.

    make_label_file.py OUT [LINES]   (default 13,400,000 lines, about 1 GB)
"""
import sys


def main():
    out = sys.argv[1]
    lines = int(sys.argv[2]) if len(sys.argv) > 2 else 13_400_000
    with open(out, "w", newline="") as f:
        chunk = []
        for n in range(1, lines + 1):
            chunk.append("EAN_13,59%011d,Name %d,Arial,SC2,100,100,2:1,TRUE,FALSE,000,8\r\n"
                         % (n * 7919 % 10**11, n))
            if len(chunk) == 100_000:
                f.write("".join(chunk))
                chunk.clear()
        f.write("".join(chunk))


if __name__ == "__main__":
    main()
