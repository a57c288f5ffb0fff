#!/usr/bin/env python3
"""Packs the About picture for embedding: About.bmp in, About.lznt1 out.

    python3 res/pack-bitmap.py            # writes res/About.lznt1
    python3 res/pack-bitmap.py --check    # exit 1 when About.lznt1 is stale

The packed file is a 20-byte header and the pixel rows of the bitmap (bottom
row first, each padded to four bytes, as in the .bmp), compressed as an LZNT1
stream. Tidemark unpacks it with ntdll's RtlDecompressBuffer, which every
Windows since NT 3.51 has, straight into a DIB section; the 196 KB picture
takes about a sixth of that in the executable.

Header, little-endian:

    offset  size  field
         0     4  magic "TMPB"
         4     4  width in pixels
         8     4  height in pixels (bottom-up rows)
        12     2  bits per pixel (24)
        14     2  zero
        16     4  size of the unpacked rows in bytes

LZNT1: the data is cut into chunks of 4096 bytes. Each chunk starts with a
16-bit header: bit 15 set when the chunk is compressed, bits 12-14 always 3,
bits 0-11 the number of data bytes that follow, minus one. An uncompressed
chunk's data is its bytes as they are. A compressed chunk's data is groups of
one flag byte and eight tokens (fewer at the end); flag bit i, lowest first,
is 0 for a literal byte and 1 for a 16-bit back-reference into the chunk's
output so far. How the reference's bits divide into offset and length
depends on how far into the chunk it stands: the offset field takes as many
bits as that distance needs, at least 4 and at most 12, and the length the
rest.

Standard library only; the output depends only on the input bytes.
"""

import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
MAGIC = b'TMPB'
CHUNK = 4096
MIN_MATCH = 3
# Candidates tried per position: enough for this picture's long runs, and
# the packing stays within a few seconds.
CHAIN_LIMIT = 48


def length_bits(position):
    """Bits of a back-reference that hold the length, at this position (bytes
    already produced) in the chunk."""
    bits = 12
    i = position - 1
    while i >= 0x10:
        i >>= 1
        bits -= 1
    return bits


def compress_chunk(data):
    """One chunk's data bytes (without its header), or None when compressing
    would not make it smaller."""
    out = bytearray()
    chains = {}
    n = len(data)
    position = 0

    def remember(at):
        if at + MIN_MATCH <= n:
            chains.setdefault(data[at:at + MIN_MATCH], []).append(at)

    def longest_match(at):
        candidates = chains.get(data[at:at + MIN_MATCH])
        if not candidates:
            return 0, 0
        bits = length_bits(at)
        max_offset = 1 << (16 - bits)
        max_length = min((1 << bits) + MIN_MATCH - 1, n - at)
        best_length, best_offset = 0, 0
        for start in reversed(candidates[-CHAIN_LIMIT:]):
            offset = at - start
            if offset > max_offset:
                break
            length = MIN_MATCH
            # The copy may overlap what it produces, as the decoder copies
            # byte by byte.
            while length < max_length and data[start + length] == data[at + length]:
                length += 1
            if length > best_length:
                best_length, best_offset = length, offset
                if length == max_length:
                    break
        return best_length, best_offset

    while position < n:
        flag_at = len(out)
        out.append(0)
        flags = 0
        for bit in range(8):
            if position >= n:
                break
            length, offset = longest_match(position) if position + MIN_MATCH <= n else (0, 0)
            if length >= MIN_MATCH:
                bits = length_bits(position)
                out += struct.pack('<H', ((offset - 1) << bits) | (length - MIN_MATCH))
                flags |= 1 << bit
                for at in range(position, position + length):
                    remember(at)
                position += length
            else:
                out.append(data[position])
                remember(position)
                position += 1
        out[flag_at] = flags
        if len(out) >= n:
            return None
    return bytes(out)


def compress(data):
    out = bytearray()
    for start in range(0, len(data), CHUNK):
        chunk = data[start:start + CHUNK]
        packed = compress_chunk(chunk)
        if packed is None:
            out += struct.pack('<H', 0x3000 | (len(chunk) - 1)) + chunk
        else:
            out += struct.pack('<H', 0xB000 | (len(packed) - 1)) + packed
    return bytes(out)


def decompress(stream):
    """The reverse, to prove each packing before it is written."""
    out = bytearray()
    at = 0
    while at + 2 <= len(stream):
        (header,) = struct.unpack_from('<H', stream, at)
        at += 2
        end = at + (header & 0xFFF) + 1
        if not header & 0x8000:
            out += stream[at:end]
            at = end
            continue
        chunk = bytearray()
        while at < end:
            flags = stream[at]
            at += 1
            for bit in range(8):
                if at >= end:
                    break
                if flags & (1 << bit):
                    (token,) = struct.unpack_from('<H', stream, at)
                    at += 2
                    bits = length_bits(len(chunk))
                    offset = (token >> bits) + 1
                    length = (token & ((1 << bits) - 1)) + MIN_MATCH
                    for _ in range(length):
                        chunk.append(chunk[-offset])
                else:
                    chunk.append(stream[at])
                    at += 1
        out += chunk
    return bytes(out)


def bitmap_rows(bmp):
    """Width, height, bits per pixel and the pixel rows of an uncompressed
    bottom-up 24-bit .bmp."""
    if bmp[:2] != b'BM':
        raise ValueError('not a .bmp file')
    (pixels_at,) = struct.unpack_from('<I', bmp, 10)
    size, width, height, planes, bits, compression = struct.unpack_from('<IiiHHI', bmp, 14)
    if size < 40 or width <= 0 or height <= 0 or planes != 1 or bits != 24 or compression != 0:
        raise ValueError('only uncompressed bottom-up 24-bit bitmaps are packed')
    stride = (width * 3 + 3) // 4 * 4
    rows = bmp[pixels_at:pixels_at + stride * height]
    if len(rows) != stride * height:
        raise ValueError('the bitmap is shorter than its header says')
    return width, height, bits, rows


def pack(bmp):
    width, height, bits, rows = bitmap_rows(bmp)
    stream = compress(rows)
    if decompress(stream) != rows:
        raise AssertionError('LZNT1 round trip failed')
    return struct.pack('<4sIIHHI', MAGIC, width, height, bits, 0, len(rows)) + stream


def main(argv):
    source = os.path.join(HERE, 'About.bmp')
    target = os.path.join(HERE, 'About.lznt1')
    with open(source, 'rb') as f:
        packed = pack(f.read())
    if argv[1:] == ['--check']:
        with open(target, 'rb') as f:
            if f.read() != packed:
                print(f'{target} is not the packing of {source}: run {argv[0]}', file=sys.stderr)
                return 1
        return 0
    if argv[1:]:
        print(f'usage: {argv[0]} [--check]', file=sys.stderr)
        return 2
    with open(target, 'wb') as f:
        f.write(packed)
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
