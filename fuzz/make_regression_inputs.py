#!/usr/bin/env python3
"""fuzz/make_regression_inputs.py: writes the hostile inputs that the test
suites replay from each harness's regression folder (tests/*/regressions),
derived from the seeds: the faults a fuzzer finds first in each format, kept
so that the replay tests always have inputs to run, beside whatever
scripts/fuzz adds there. Run it again after a seed changes; the outputs are
checked in."""
import os
import struct

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def seed(kind, name):
    with open(os.path.join(ROOT, "fuzz", "seeds", kind, name), "rb") as f:
        return bytearray(f.read())


def keep(folder, name, data):
    with open(os.path.join(ROOT, "tests", folder, "regressions", name), "wb") as f:
        f.write(bytes(data))


def icon_files():
    good = seed("iconfile", "bpp4.ico")
    # More entries claimed than the directory holds.
    data = bytearray(good)
    struct.pack_into("<H", data, 4, 200)
    keep("iconfile", "count-past-the-directory.ico", data)
    # The image starts past the end of the file.
    data = bytearray(good)
    struct.pack_into("<I", data, 6 + 12, len(good) + 1000)
    keep("iconfile", "image-past-the-end.ico", data)
    # The image's size wraps round when added to its offset.
    data = bytearray(good)
    struct.pack_into("<I", data, 6 + 8, 0xFFFFFFF0)
    keep("iconfile", "size-wraps-round.ico", data)
    # Cut in the middle of the bitmap.
    keep("iconfile", "cut-in-the-bitmap.ico", good[: len(good) // 2])


def executables():
    pe = seed("extractor", "pe32.exe")
    # The new header points past the end of the file.
    data = bytearray(pe)
    struct.pack_into("<I", data, 0x3C, 0x7FFFFFF0)
    keep("exe", "header-past-the-end.exe", data)
    # Cut after the section table: the resources are gone.
    keep("exe", "cut-before-the-resources.exe", pe[:1024])
    ne = seed("extractor", "ne.exe")
    keep("exe", "ne-cut-in-the-resource-table.exe", ne[: len(ne) * 2 // 3])


def archives():
    for name in ("seed.zip", "seed.7z", "seed.cab", "seed.tar.xz", "seed.rar", "seed.iso"):
        data = seed("archive", name)
        keep("archive", "cut-" + name, data[: len(data) // 2])
    # Every byte after the signature header turned to 0xFF: sizes and
    # offsets at their largest.
    data = seed("archive", "seed.7z")
    data[12:] = b"\xff" * (len(data) - 12)
    keep("archive", "largest-numbers.7z", data)


def help_files():
    data = seed("helpfile", "small.hlp")
    keep("help", "cut-small.hlp", data[: len(data) // 2])
    data = bytearray(data)
    data[len(data) // 2:] = b"\xff" * (len(data) - len(data) // 2)
    keep("help", "largest-numbers.hlp", data)


if __name__ == "__main__":
    icon_files()
    executables()
    archives()
    help_files()
