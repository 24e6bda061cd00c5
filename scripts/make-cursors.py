#!/usr/bin/env python3
"""Draws the program's cursors 300 to 331 as 32 x 32 XPM files in resources/cursors/.

Each cursor is black with a one-pixel white outline on a transparent ground; its hot spot
is written into the XPM header. Cursor 312 turns an instrument: two curved arrows running
clockwise round a small circle about the hot spot (10, 10). The others are crosshairs
with the hot spot in the middle.

Run it again after changing a shape; the XPM files are checked in.
"""
import math
import os

SIZE = 32
FIRST, LAST = 300, 331
ROTATE = 312
ROTATE_HOT_SPOT = (10, 10)
CROSS_HOT_SPOT = (15, 15)

OUT_DIR = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources", "cursors")


def in_triangle(p, a, b, c):
    def side(p1, p2, p3):
        return (p1[0] - p3[0]) * (p2[1] - p3[1]) - (p2[0] - p3[0]) * (p1[1] - p3[1])

    d1, d2, d3 = side(p, a, b), side(p, b, c), side(p, c, a)
    has_neg = d1 < 0 or d2 < 0 or d3 < 0
    has_pos = d1 > 0 or d2 > 0 or d3 > 0
    return not (has_neg and has_pos)


def rotate_cursor():
    """Pixels (x, y) that are black in the rotate cursor."""
    cx, cy = ROTATE_HOT_SPOT
    ring_radius, arc_radius = 2.0, 7.0
    arcs = [(200.0, 320.0), (20.0, 140.0)]  # degrees, clockwise on the screen
    heads = []
    for _, end in arcs:
        t = math.radians(end)
        ex, ey = cx + arc_radius * math.cos(t), cy + arc_radius * math.sin(t)
        rx, ry = math.cos(t), math.sin(t)  # outward
        tx, ty = -math.sin(t), math.cos(t)  # clockwise tangent
        heads.append(((ex + 3.2 * rx, ey + 3.2 * ry), (ex - 3.2 * rx, ey - 3.2 * ry),
                      (ex + 4.5 * tx, ey + 4.5 * ty)))
    black = set()
    for y in range(SIZE):
        for x in range(SIZE):
            dx, dy = x - cx, y - cy
            r = math.hypot(dx, dy)
            angle = math.degrees(math.atan2(dy, dx)) % 360.0
            if abs(r - ring_radius) <= 0.6:
                black.add((x, y))
            elif abs(r - arc_radius) <= 0.75 and any(a <= angle <= b for a, b in arcs):
                black.add((x, y))
            elif any(in_triangle((x, y), *head) for head in heads):
                black.add((x, y))
    return black


def cross_cursor(gap):
    cx, cy = CROSS_HOT_SPOT
    arm = 10
    black = {(cx, cy)}
    for d in range(gap + 1, arm + 1):
        black |= {(cx + d, cy), (cx - d, cy), (cx, cy + d), (cx, cy - d)}
    return black


def write_xpm(number, black, hot_spot):
    white = set()
    for (x, y) in black:
        for dy in (-1, 0, 1):
            for dx in (-1, 0, 1):
                p = (x + dx, y + dy)
                if 0 <= p[0] < SIZE and 0 <= p[1] < SIZE and p not in black:
                    white.add(p)
    rows = []
    for y in range(SIZE):
        rows.append("".join("." if (x, y) in black else "X" if (x, y) in white else " "
                            for x in range(SIZE)))
    name = f"cursor{number}_xpm"
    lines = [f'"{SIZE} {SIZE} 3 1 {hot_spot[0]} {hot_spot[1]}",', '"  c None",',
             '". c #000000",', '"X c #FFFFFF",']
    lines += [f'"{row}",' for row in rows]
    lines[-1] = lines[-1].rstrip(",")
    with open(os.path.join(OUT_DIR, f"cursor{number}.xpm"), "w") as out:
        out.write("/* XPM */\n")
        out.write(f"static const char* const {name}[] = {{\n")
        out.write("\n".join(lines) + "};\n")


def main():
    os.makedirs(OUT_DIR, exist_ok=True)
    for number in range(FIRST, LAST + 1):
        if number == ROTATE:
            write_xpm(number, rotate_cursor(), ROTATE_HOT_SPOT)
        else:
            write_xpm(number, cross_cursor(gap=(number - FIRST) % 4), CROSS_HOT_SPOT)


if __name__ == "__main__":
    main()
