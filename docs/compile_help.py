#!/usr/bin/env python3
"""Compiles the help file with chmcmd so that the same guide always gives the same bytes.

    compile_help.py CHMCMD PROJECT.hhp FILE.chm

chmcmd writes the time of compiling into the file header (a 32-bit value at offset 0x10) and
into entry 10 of the /#SYSTEM file (stored uncompressed in content section 0). Nothing checks
either and help viewers do not show them; both are set to SOURCE_DATE_EPOCH (or 0),
little-endian. (Its binary keyword index would hold an uninitialised word inside the
compressed section; the project file turns that index off, and viewers read the index from
index.hhk instead.)

The file is read field by field:
  header    "ITSF", version 3; at 0x48 the directory's offset (64-bit), at 0x58 the offset of
            content section 0 (64-bit)
  directory "ITSP" header (header length at +0x08, chunk size at +0x10, chunk count at
            +0x2C), then chunks; "PMGL" chunks list entries from byte 20 up to the free
            space at their end: name length (encint), name, section, offset, length (encints)
  /#SYSTEM  version (32-bit), then entries: code (16-bit), length (16-bit), data
"""
import os
import struct
import subprocess
import sys


class Malformed(Exception):
    pass


def encint(data, pos):
    value = 0
    while True:
        if pos >= len(data):
            raise Malformed("directory entry runs past its chunk")
        byte = data[pos]
        pos += 1
        value = (value << 7) | (byte & 0x7F)
        if byte < 0x80:
            return value, pos


def find_entry(data, wanted):
    if data[0:4] != b"ITSF" or len(data) < 0x60:
        raise Malformed("no ITSF header")
    version, = struct.unpack_from("<I", data, 4)
    if version != 3:
        raise Malformed("ITSF version %d, expected 3" % version)
    directory, = struct.unpack_from("<Q", data, 0x48)
    content, = struct.unpack_from("<Q", data, 0x58)
    if data[directory:directory + 4] != b"ITSP":
        raise Malformed("no ITSP directory header")
    header_length, = struct.unpack_from("<I", data, directory + 0x08)
    chunk_size, = struct.unpack_from("<I", data, directory + 0x10)
    chunk_count, = struct.unpack_from("<I", data, directory + 0x2C)
    if chunk_size < 20:
        raise Malformed("directory chunk size %d" % chunk_size)
    for index in range(chunk_count):
        start = directory + header_length + index * chunk_size
        chunk = data[start:start + chunk_size]
        if chunk[0:4] != b"PMGL":
            continue
        free, = struct.unpack_from("<I", chunk, 4)
        end = chunk_size - free
        pos = 20
        while pos < end:
            length, pos = encint(chunk, pos)
            name = chunk[pos:pos + length]
            pos += length
            section, pos = encint(chunk, pos)
            offset, pos = encint(chunk, pos)
            size, pos = encint(chunk, pos)
            if name == wanted:
                if section != 0:
                    raise Malformed("%s is compressed" % wanted.decode())
                return content + offset, size
    raise Malformed("no %s in the directory" % wanted.decode())


def stamp(path, value):
    with open(path, "rb") as f:
        data = bytearray(f.read())
    struct.pack_into("<I", data, 0x10, value)
    start, size = find_entry(data, b"/#SYSTEM")
    if start + size > len(data) or size < 4:
        raise Malformed("/#SYSTEM lies outside the file")
    pos, end, stamped = start + 4, start + size, False
    while pos + 4 <= end:
        code, length = struct.unpack_from("<HH", data, pos)
        if code == 10 and length == 4 and pos + 8 <= end:
            struct.pack_into("<I", data, pos + 4, value)
            stamped = True
        pos += 4 + length
    if not stamped:
        raise Malformed("/#SYSTEM has no time stamp entry")
    with open(path + ".tmp", "wb") as f:
        f.write(data)
    os.replace(path + ".tmp", path)


def main():
    if len(sys.argv) != 4:
        sys.exit("usage: compile_help.py CHMCMD PROJECT.hhp FILE.chm")
    chmcmd, project, path = sys.argv[1:]
    value = int(os.environ.get("SOURCE_DATE_EPOCH", "0")) & 0xFFFFFFFF
    # Its notes go to the build log only when it fails.
    result = subprocess.run([chmcmd, "--verbosity", "1", project],
                            stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    if result.returncode != 0:
        sys.stdout.write(result.stdout.decode("utf-8", "replace"))
        sys.exit(result.returncode)
    try:
        stamp(path, value)
    except (Malformed, struct.error, OSError) as e:
        sys.exit("compile_help.py: %s: %s" % (path, e))


if __name__ == "__main__":
    main()
