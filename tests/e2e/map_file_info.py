"""Summary of a world file for the end-to-end scripts: "sectors N blocks B sprites S",
followed by " names A,B,..." when sprite objects have names.

Walks the map section (sector count, then per sector a 20-byte header whose
last field is the block count, then 102-byte block records) and the sprite
section (count, then 32 fixed bytes and a zero-terminated name per sprite).
Exits non-zero when the file does not parse to its exact end. With --cells
it prints instead the world cell of every block, "x y z" a line (cells of
10 x 15 x 10 units counted from the world origin).
"""
import struct
import sys
from pathlib import Path


def main(path, cells=False):
    data = Path(path).read_bytes()
    pos = 0

    def take(size):
        nonlocal pos
        if pos + size > len(data):
            sys.exit(f"{path}: ends inside a record at byte {pos}")
        chunk = data[pos:pos + size]
        pos += size
        return chunk

    (sectors,) = struct.unpack('<i', take(4))
    blocks = 0
    used = []
    for _ in range(sectors):
        _size, x, y, z, count = struct.unpack('<ifffi', take(20))
        for _ in range(count):
            bx, by, bz = struct.unpack('<iii', take(102)[:12])
            used.append((int(x // 10) + bx, int(y // 15) + by, int(z // 10) + bz))
        blocks += count
    (sprites,) = struct.unpack('<i', take(4))
    names = []
    for _ in range(sprites):
        take(32)
        name = b''
        while (byte := take(1)) != b'\0':
            name += byte
        names.append(name.decode('latin-1'))
    if pos != len(data):
        sys.exit(f"{path}: {len(data) - pos} bytes after the sprite section")
    if cells:
        for cell in used:
            print(*cell)
        return
    summary = f"sectors {sectors} blocks {blocks} sprites {sprites}"
    if any(names):
        summary += " names " + ",".join(names)
    print(summary)


if __name__ == '__main__':
    if sys.argv[1] == '--cells':
        main(sys.argv[2], cells=True)
    else:
        main(sys.argv[1])
