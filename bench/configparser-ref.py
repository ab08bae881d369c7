#!/usr/bin/env python3
"""The reference for the settings benchmark: Python's configparser on the same file.

read FILE                          seconds to read and parse FILE
write FILE SECTION COUNT PREFIX SUFFIX
                                   seconds to write a section of COUNT keys "0", "1", ... whose
                                   values are PREFIX + the number + SUFFIX, built beforehand, to FILE
"""
import configparser
import sys
import time


def parser():
    cp = configparser.ConfigParser(interpolation=None, strict=False)
    cp.optionxform = str  # keys as written, as the profile functions keep them
    return cp


def main():
    if sys.argv[1] == "read":
        cp = parser()
        start = time.perf_counter()
        cp.read(sys.argv[2])
        print(f"{time.perf_counter() - start:.6f}")
    else:
        path, section, count = sys.argv[2], sys.argv[3], int(sys.argv[4])
        prefix, suffix = sys.argv[5], sys.argv[6]
        cp = parser()
        cp[section] = {str(n): f"{prefix}{n}{suffix}" for n in range(count)}
        start = time.perf_counter()
        with open(path, "w", newline="\r\n") as out:
            cp.write(out)
        print(f"{time.perf_counter() - start:.6f}")


main()
