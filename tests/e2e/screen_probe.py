"""Pixel probes on binary PPM screenshots for the end-to-end scripts.

  screen_probe.py pixel SHOT X Y                      -> "r g b"
  screen_probe.py changed SHOT_A SHOT_B X1 Y1 X2 Y2   -> pixels that differ by more than 24
  screen_probe.py count SHOT X1 Y1 X2 Y2 R G B        -> pixels within 40 of (R, G, B)
  screen_probe.py distinct SHOT X1 Y1 X2 Y2           -> number of distinct colours
  screen_probe.py centre SHOT_A SHOT_B X1 Y1 X2 Y2    -> "x y" centre of the changed pixels, or "none"
  screen_probe.py same SHOT_A SHOT_B X1 Y1 X2 Y2      -> 1 when every pixel is equal, else 0
Rectangles are inclusive; "same" clips its rectangle to the screen.
"""
import sys
from pathlib import Path


def load(path):
    data = Path(path).read_bytes()
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b'#':
            pos = data.index(b'\n', pos)
            continue
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    if fields[0] != b'P6' or int(fields[3]) != 255:
        sys.exit(f"{path}: not an 8-bit binary PPM")
    return int(fields[1]), int(fields[2]), data[pos + 1:]


def rect_pixels(width, x1, y1, x2, y2):
    for y in range(y1, y2 + 1):
        for x in range(x1, x2 + 1):
            yield (y * width + x) * 3


# True when some channel of pixel i differs by more than 24 between a and b.
def differs(a, b, i):
    return max(abs(a[i + k] - b[i + k]) for k in range(3)) > 24


def main(argv):
    command = argv[1]
    if command == 'pixel':
        width, _, px = load(argv[2])
        i = (int(argv[4]) * width + int(argv[3])) * 3
        print(px[i], px[i + 1], px[i + 2])
    elif command == 'changed':
        width, _, a = load(argv[2])
        _, _, b = load(argv[3])
        x1, y1, x2, y2 = map(int, argv[4:8])
        print(sum(1 for i in rect_pixels(width, x1, y1, x2, y2) if differs(a, b, i)))
    elif command == 'count':
        width, _, px = load(argv[2])
        x1, y1, x2, y2, r, g, b = map(int, argv[3:10])
        print(sum(1 for i in rect_pixels(width, x1, y1, x2, y2)
                  if abs(px[i] - r) <= 40 and abs(px[i + 1] - g) <= 40
                  and abs(px[i + 2] - b) <= 40))
    elif command == 'distinct':
        width, _, px = load(argv[2])
        x1, y1, x2, y2 = map(int, argv[3:7])
        print(len({px[i:i + 3] for i in rect_pixels(width, x1, y1, x2, y2)}))
    elif command == 'centre':
        width, _, a = load(argv[2])
        _, _, b = load(argv[3])
        x1, y1, x2, y2 = map(int, argv[4:8])
        xs, ys = [], []
        for y in range(y1, y2 + 1):
            for x in range(x1, x2 + 1):
                if differs(a, b, (y * width + x) * 3):
                    xs.append(x)
                    ys.append(y)
        if not xs:
            print('none')
        else:
            print((min(xs) + max(xs)) // 2, (min(ys) + max(ys)) // 2)
    elif command == 'same':
        # Row by row as byte strings: fast enough to poll a whole screen.
        width, height, a = load(argv[2])
        _, _, b = load(argv[3])
        x1, y1 = max(int(argv[4]), 0), max(int(argv[5]), 0)
        x2, y2 = min(int(argv[6]), width - 1), min(int(argv[7]), height - 1)
        rows = (slice((y * width + x1) * 3, (y * width + x2 + 1) * 3) for y in range(y1, y2 + 1))
        print(int(all(a[row] == b[row] for row in rows)))
    else:
        sys.exit(f"unknown command {command}")


if __name__ == '__main__':
    main(sys.argv)
