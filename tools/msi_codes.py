#!/usr/bin/python3
"""The codes and the summary of an installer package, fixed instead of drawn at random.

  msi_codes.py product <version> <platform>
      prints the product code: a name-based identifier of the version and the architecture
  msi_codes.py seal <package.msi> <version> <platform> <time>
      writes into the package's summary the given time (seconds since 1970) as its creation
      and last-saved times and, as its package code, a name-based identifier of the version,
      the architecture and the package's content (the package with the summary so fixed and
      its code zeroed): a package that changes gets a new code.

Needs Debian's python3-olefile.
"""
import hashlib
import struct
import sys
import uuid

import olefile

# The namespace of the project's name-based identifiers.
NAMESPACE = uuid.UUID("5b0f6e2c-1d3a-4c8e-9f47-6a2b8d1e3c90")
SUMMARY = "\x05SummaryInformation"
PID_REVISION, PID_CREATED, PID_SAVED = 9, 12, 13
VT_LPSTR, VT_FILETIME = 30, 64


def product_code(version, platform):
    return uuid.uuid5(NAMESPACE, f"Cutshape product {version} {platform}")


def formatted(code):
    return "{%s}" % str(code).upper()


def patch_summary(path, code, seconds):
    """Rewrites the summary's package code and times in place (their sizes do not change)."""
    ole = olefile.OleFileIO(path, write_mode=True)
    try:
        data = bytearray(ole.openstream(SUMMARY).read())
        # A property set: a 28-byte header, then one (format id, offset) pair per section.
        (section,) = struct.unpack_from("<I", data, 44)
        _, count = struct.unpack_from("<II", data, section)
        filetime = (seconds + 11644473600) * 10000000
        found = set()
        for index in range(count):
            pid, offset = struct.unpack_from("<II", data, section + 8 + 8 * index)
            at = section + offset
            (kind,) = struct.unpack_from("<I", data, at)
            if pid == PID_REVISION and kind == VT_LPSTR:
                (size,) = struct.unpack_from("<I", data, at + 4)
                text = formatted(code).encode("ascii") + b"\0"
                if len(text) != size:
                    raise SystemExit(f"{path}: a package code of {size - 1} characters")
                data[at + 8 : at + 8 + size] = text
                found.add(pid)
            elif pid in (PID_CREATED, PID_SAVED) and kind == VT_FILETIME:
                struct.pack_into("<Q", data, at + 4, filetime)
                found.add(pid)
        if found != {PID_REVISION, PID_CREATED, PID_SAVED}:
            raise SystemExit(f"{path}: the summary lacks a package code or a time")
        ole.write_stream(SUMMARY, bytes(data))
    finally:
        ole.close()


def seal(path, version, platform, seconds):
    patch_summary(path, uuid.UUID(int=0), seconds)
    with open(path, "rb") as package:
        digest = hashlib.sha256(package.read()).hexdigest()
    code = uuid.uuid5(NAMESPACE, f"Cutshape package {version} {platform} {digest}")
    patch_summary(path, code, seconds)
    return code


def main(argv):
    if len(argv) == 4 and argv[1] == "product":
        print(formatted(product_code(argv[2], argv[3])))
    elif len(argv) == 6 and argv[1] == "seal":
        print(formatted(seal(argv[2], argv[3], argv[4], int(argv[5]))))
    else:
        raise SystemExit(__doc__)


if __name__ == "__main__":
    main(sys.argv)
