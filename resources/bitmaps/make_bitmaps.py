#!/usr/bin/env python3
"""Draws the eight monochrome symbol bitmaps (note flags, rests, vibrato wave) as PBM files.

Run it from anywhere: python3 make_bitmaps.py [output directory]. The build embeds the
PBM files beside this script; run it again after changing a shape and look at the result
(convert flag1.pbm flag1.png).

The shapes are outlines (lines and cubic Bezier curves) and strokes of varying width along
curves, rasterised at 4 x 4 samples per pixel; a pixel is black when at least half of its
samples are inside. Coordinates are in pixels, y downward, origin at the top-left corner.
"""

import math
import os
import sys

SUB = 4  # samples per pixel along each axis


class Canvas:
    def __init__(self, width, height):
        self.width = width
        self.height = height
        self.rows = [bytearray(width * SUB) for _ in range(height * SUB)]

    def fill_polygon(self, points, value=1):
        """Fills a closed polygon (nonzero winding) at sample resolution."""
        n = len(points)
        if n < 3:
            return
        edges = []
        for i in range(n):
            x0, y0 = points[i]
            x1, y1 = points[(i + 1) % n]
            if y0 != y1:
                edges.append((x0 * SUB, y0 * SUB, x1 * SUB, y1 * SUB))
        ymin = max(0, int(math.floor(min(p[1] for p in points) * SUB)))
        ymax = min(self.height * SUB - 1, int(math.ceil(max(p[1] for p in points) * SUB)))
        wmax = self.width * SUB
        for row in range(ymin, ymax + 1):
            yc = row + 0.5
            crossings = []
            for x0, y0, x1, y1 in edges:
                if (y0 <= yc < y1) or (y1 <= yc < y0):
                    x = x0 + (yc - y0) * (x1 - x0) / (y1 - y0)
                    crossings.append((x, 1 if y1 > y0 else -1))
            crossings.sort()
            winding = 0
            start = 0.0
            for x, d in crossings:
                before = winding
                winding += d
                if before == 0 and winding != 0:
                    start = x
                elif before != 0 and winding == 0:
                    a = max(0, int(math.ceil(start - 0.5)))
                    b = min(wmax, int(math.ceil(x - 0.5)))
                    if b > a:
                        self.rows[row][a:b] = bytes([value]) * (b - a)

    def fill_ellipse(self, cx, cy, rx, ry, angle=0.0, value=1):
        self.fill_polygon(ellipse_points(cx, cy, rx, ry, angle), value)

    def stroke(self, centre, widths, value=1):
        """A stroke along a polyline whose width varies from point to point; round joins."""
        for i in range(len(centre) - 1):
            (x0, y0), (x1, y1) = centre[i], centre[i + 1]
            w0, w1 = widths[i] / 2.0, widths[i + 1] / 2.0
            dx, dy = x1 - x0, y1 - y0
            length = math.hypot(dx, dy)
            if length == 0:
                continue
            nx, ny = -dy / length, dx / length
            self.fill_polygon([(x0 + nx * w0, y0 + ny * w0), (x1 + nx * w1, y1 + ny * w1),
                               (x1 - nx * w1, y1 - ny * w1), (x0 - nx * w0, y0 - ny * w0)], value)
        for (x, y), w in zip(centre, widths):
            if w > 0.5:
                self.fill_ellipse(x, y, w / 2.0, w / 2.0, value=value)

    def pixels(self):
        threshold = SUB * SUB // 2
        out = []
        for y in range(self.height):
            rows = self.rows[y * SUB:(y + 1) * SUB]
            line = []
            for x in range(self.width):
                a, b = x * SUB, (x + 1) * SUB
                count = sum(sum(r[a:b]) for r in rows)
                line.append(1 if count >= threshold else 0)
            out.append(line)
        return out


def ellipse_points(cx, cy, rx, ry, angle=0.0, steps=72):
    ca, sa = math.cos(angle), math.sin(angle)
    pts = []
    for i in range(steps):
        t = 2 * math.pi * i / steps
        x, y = rx * math.cos(t), ry * math.sin(t)
        pts.append((cx + x * ca - y * sa, cy + x * sa + y * ca))
    return pts


def cubic(p0, p1, p2, p3, steps=32):
    """Points of a cubic Bezier curve, without its first point."""
    pts = []
    for i in range(1, steps + 1):
        t = i / steps
        u = 1 - t
        pts.append((u * u * u * p0[0] + 3 * u * u * t * p1[0] + 3 * u * t * t * p2[0] + t * t * t * p3[0],
                    u * u * u * p0[1] + 3 * u * u * t * p1[1] + 3 * u * t * t * p2[1] + t * t * t * p3[1]))
    return pts


def path(start, *segments):
    """An outline: a start point, then segments of one point (line) or three (cubic curve)."""
    pts = [start]
    for seg in segments:
        if len(seg) == 1:
            pts.append(seg[0])
        else:
            pts.extend(cubic(pts[-1], seg[0], seg[1], seg[2]))
    return pts


def write_pbm(filename, pixels):
    height = len(pixels)
    width = len(pixels[0])
    data = bytearray()
    for line in pixels:
        for x in range(0, width, 8):
            byte = 0
            for bit in range(8):
                if x + bit < width and line[x + bit]:
                    byte |= 0x80 >> bit
            data.append(byte)
    with open(filename, "wb") as f:
        f.write(b"P4\n%d %d\n" % (width, height))
        f.write(bytes(data))


# --- Note flags: 80 x 257, hanging from the stem end at the top-left corner. ---------------

FLAG_W, FLAG_H = 80, 257


def draw_flag(canvas, top, scale_y, tail=True):
    """One engraved flag whose root sits on the stem (x = 0) at y = top.

    The outer edge leaves the stem top, swells to the right and sweeps down to a point;
    the inner edge returns to the stem in a concave curve. A flag with a tail ends in
    the long downward sweep; the upper flags of a stack are shorter wings."""
    def p(x, y):
        return (x, top + y * scale_y)

    # The root is square to the stem end, so that flag and stem meet crisply.
    if tail:
        outline = path(p(0, 0), (p(7, 0),),
                       (p(10, 30), p(40, 52), p(62, 86)),
                       (p(80, 114), p(78, 160), p(60, 200)),
                       (p(70, 162), p(66, 128), p(46, 106)),
                       (p(30, 88), p(10, 76), p(0, 70)),
                       (p(0, 0),))
    else:
        outline = path(p(0, 0), (p(7, 0),),
                       (p(10, 24), p(44, 44), p(66, 74)),
                       (p(78, 90), p(78, 110), p(72, 128)),
                       (p(70, 104), p(52, 86), p(30, 76)),
                       (p(16, 70), p(4, 66), p(0, 62)),
                       (p(0, 0),))
    canvas.fill_polygon(outline)


def make_flags():
    images = {}
    # One flag: the full sweep fills most of the height.
    c = Canvas(FLAG_W, FLAG_H)
    draw_flag(c, 0, 1.22)
    images["flag1"] = c.pixels()
    # Two flags: an upper wing and a lower flag with the tail.
    c = Canvas(FLAG_W, FLAG_H)
    draw_flag(c, 0, 1.0, tail=False)
    draw_flag(c, 62, 0.95)
    images["flag2"] = c.pixels()
    # Three flags: two wings and the tail.
    c = Canvas(FLAG_W, FLAG_H)
    draw_flag(c, 0, 0.9, tail=False)
    draw_flag(c, 56, 0.9, tail=False)
    draw_flag(c, 112, 0.72)
    images["flag3"] = c.pixels()
    return images


# --- Rests: 80 x 214, filling the height. ---------------------------------------------------

REST_W, REST_H = 80, 214


def make_quarter_rest():
    c = Canvas(REST_W, REST_H)
    # The zigzag: a lead-in that thickens down to the right, the heavy stroke back down to
    # the left, and a stroke that thins down to the right again.
    c.fill_polygon(path((20, 1),
                        ((38, 18), (56, 38), (72, 60)),     # outer edge of the lead-in
                        ((58, 74), (46, 88), (44, 104)),    # right edge of the heavy stroke
                        ((48, 120), (60, 136), (72, 150)),  # upper edge of the lower stroke
                        ((52, 142), (34, 136), (22, 124)),  # lower edge back up to the left
                        ((10, 114), (10, 104), (16, 96)),   # the heavy stroke's rounded foot
                        ((24, 84), (34, 72), (38, 58)),     # left edge of the heavy stroke
                        ((36, 40), (30, 22), (20, 1))))     # inner edge of the lead-in
    # The hook: from the end of the zigzag down to the left, then curling back to the
    # right into a thick end.
    hook = cubic((70, 150), (34, 140), (4, 166), (26, 194), 24)
    c.stroke(hook, [5 + 11 * i / 23 for i in range(24)])
    c.fill_ellipse(36, 200, 15, 11, angle=0.45)
    return c.pixels()


def rest_hook(canvas, stem_at, blob):
    """One hook of an eighth-type rest: a round blob at the left and a curved stroke from
    under it up to the stem."""
    bx, by = blob
    canvas.fill_ellipse(bx, by, 13, 12)
    sx, sy = stem_at
    curve = [(bx - 2, by + 9)] + cubic((bx - 2, by + 9), (bx + 14, by + 20), (sx - 16, sy + 10), (sx, sy), 24)
    canvas.stroke(curve, [6.0] * len(curve))


def make_flagged_rest(hooks, top, bottom, spacing):
    c = Canvas(REST_W, REST_H)
    # The stem slants down to the left and tapers a little toward the foot.
    c.stroke([top, bottom], [10, 7])
    for i in range(hooks):
        t = i * spacing / (bottom[1] - top[1])
        stem_at = (top[0] + (bottom[0] - top[0]) * t, top[1] + (bottom[1] - top[1]) * t)
        rest_hook(c, stem_at, (stem_at[0] - 44, stem_at[1] + 6))
    return c.pixels()


def make_rests():
    return {
        "rest4": make_quarter_rest(),
        "rest8": make_flagged_rest(1, (70, 16), (28, 208), 0),
        "rest16": make_flagged_rest(2, (72, 14), (32, 208), 56),
        "rest32": make_flagged_rest(3, (74, 12), (38, 208), 48),
    }


# --- Vibrato: 588 x 152, two periods of a thick wave. ---------------------------------------

VIB_W, VIB_H = 588, 152


def make_vibrato():
    c = Canvas(VIB_W, VIB_H)
    period = VIB_W / 2.0
    mid = VIB_H / 2.0
    amplitude = 46.0
    # Sampled beyond both edges so that the cut ends join when copies are laid side by side.
    xs = [x / 2.0 for x in range(-80, 2 * VIB_W + 160)]
    centre = [(x, mid - amplitude * math.sin(2 * math.pi * x / period)) for x in xs]
    # A broad-nib look: the rising strokes are heavier than the falling ones.
    widths = [36 + 14 * math.cos(2 * math.pi * x / period) for x in xs]
    c.stroke(centre, widths)
    return c.pixels()


def main():
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    images = {}
    images.update(make_flags())
    images.update(make_rests())
    images["vibrato"] = make_vibrato()
    for name, pixels in images.items():
        write_pbm(os.path.join(out_dir, name + ".pbm"), pixels)


if __name__ == "__main__":
    main()
