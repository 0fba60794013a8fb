"""Crafted hostile ZIP archives for the archiver's end-to-end run, written byte by byte with
struct and zlib, the way an attacker would: sizes and offsets in the directory that lie."""
import struct
import zlib

ZEROS = b"\0" * (1 << 20)


def deflate_zeros(megabytes):
    """A raw deflate stream of that many MiB of zero bytes (about 1 KiB per MiB), and its CRC."""
    z = zlib.compressobj(9, zlib.DEFLATED, -15)
    parts, crc = [], 0
    for _ in range(megabytes):
        parts.append(z.compress(ZEROS))
        crc = zlib.crc32(ZEROS, crc)
    parts.append(z.flush())
    return b"".join(parts), crc


def local_header(name, crc, packed, size):
    return struct.pack("<IHHHHHIIIHH", 0x04034B50, 20, 0, 8, 0, 0x21, crc, packed, size,
                       len(name), 0) + name


def central_header(name, crc, packed, size, offset):
    return struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, 20, 20, 0, 8, 0, 0x21, crc, packed, size,
                       len(name), 0, 0, 0, 0, 0x20, offset) + name


def write(path, body, centrals):
    directory = b"".join(centrals)
    end = struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, len(centrals), len(centrals), len(directory),
                      len(body), 0)
    with open(path, "wb") as f:
        f.write(body + directory + end)


def declared_too_small(path, megabytes=40):
    """One entry that declares 100 bytes and inflates to `megabytes` MiB."""
    data, crc = deflate_zeros(megabytes)
    name = b"db_small.bak"
    write(path, local_header(name, crc, len(data), 100) + data,
          [central_header(name, crc, len(data), 100, 0)])


def shared_stream(path, entries=12, megabytes=40):
    """`entries` entries, each an honest `megabytes` MiB entry on its own, all pointing at the
    same compressed stream."""
    data, crc = deflate_zeros(megabytes)
    size = megabytes << 20
    body = local_header(b"db_0.bak", crc, len(data), size) + data
    write(path, body, [central_header(b"db_%d.bak" % i, crc, len(data), size, 0) for i in range(entries)])
