#!/usr/bin/env python3
"""Draws the pictures of the demo layout folder (demo/*.png).

Standard library only: shapes are signed distance functions, anti-aliased by their distance
to the pixel centre, composited in premultiplied RGBA and written as 8-bit RGBA PNG. The output
is the same on every run. Text is never drawn here: the panel draws the button labels.

Usage: scripts/make-demo-pictures.py [output folder]   (default: demo/ beside scripts/)
"""

import math
import os
import struct
import sys
import zlib

# --- colours -----------------------------------------------------------------------------------


def rgba(hexcode, alpha=1.0):
    """'#rrggbb' to an (r, g, b, a) tuple of floats in 0..1."""
    h = hexcode.lstrip("#")
    return (int(h[0:2], 16) / 255.0, int(h[2:4], 16) / 255.0, int(h[4:6], 16) / 255.0, alpha)


def mix(c0, c1, t):
    t = 0.0 if t < 0.0 else 1.0 if t > 1.0 else t
    return tuple(a + (b - a) * t for a, b in zip(c0, c1))


def vgrad(y0, y1, c0, c1):
    """Vertical gradient from c0 at y0 to c1 at y1."""
    span = float(y1 - y0) or 1.0
    return lambda x, y: mix(c0, c1, (y - y0) / span)


def vgrad3(y0, y1, c0, c1, c2):
    """Vertical gradient through three colours, c1 in the middle."""
    span = float(y1 - y0) or 1.0

    def shader(x, y):
        t = (y - y0) / span
        return mix(c0, c1, t * 2.0) if t < 0.5 else mix(c1, c2, t * 2.0 - 1.0)

    return shader


def radial(cx, cy, r, c0, c1):
    """Radial gradient from c0 at (cx, cy) to c1 at distance r."""
    return lambda x, y: mix(c0, c1, math.hypot(x - cx, y - cy) / r)


# --- shapes: a signed distance (negative inside) and a bounding box ----------------------------


class Shape:
    def __init__(self, sdf, box):
        self.sdf = sdf
        self.box = box  # (x0, y0, x1, y1), may be larger than the shape, never smaller


def rrect(x0, y0, x1, y1, r):
    cx, cy = (x0 + x1) / 2.0, (y0 + y1) / 2.0
    hx, hy = (x1 - x0) / 2.0, (y1 - y0) / 2.0
    r = min(r, hx, hy)

    def sdf(x, y):
        qx = abs(x - cx) - hx + r
        qy = abs(y - cy) - hy + r
        outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0) - r

    return Shape(sdf, (x0, y0, x1, y1))


def circle(cx, cy, r):
    return Shape(lambda x, y: math.hypot(x - cx, y - cy) - r, (cx - r, cy - r, cx + r, cy + r))


def ellipse(cx, cy, rx, ry):
    """Approximate distance, good enough for an anti-aliased edge."""
    k = min(rx, ry)

    def sdf(x, y):
        nx, ny = (x - cx) / rx, (y - cy) / ry
        return (math.hypot(nx, ny) - 1.0) * k

    return Shape(sdf, (cx - rx, cy - ry, cx + rx, cy + ry))


def capsule(ax, ay, bx, by, r):
    """A line from a to b with round ends, r = half its width."""
    dx, dy = bx - ax, by - ay
    len2 = dx * dx + dy * dy or 1.0

    def sdf(x, y):
        t = ((x - ax) * dx + (y - ay) * dy) / len2
        t = 0.0 if t < 0.0 else 1.0 if t > 1.0 else t
        return math.hypot(x - ax - dx * t, y - ay - dy * t) - r

    return Shape(sdf, (min(ax, bx) - r, min(ay, by) - r, max(ax, bx) + r, max(ay, by) + r))


def polygon(points, r=0.0):
    """Convex polygon, corners rounded by r (points given clockwise on screen)."""
    edges = []
    n = len(points)
    for i in range(n):
        (x0, y0), (x1, y1) = points[i], points[(i + 1) % n]
        ex, ey = x1 - x0, y1 - y0
        length = math.hypot(ex, ey)
        nx, ny = ey / length, -ex / length  # outward normal for clockwise points (y down)
        edges.append((x0, y0, nx, ny))

    def sdf(x, y):
        return max((x - px) * nx + (y - py) * ny for px, py, nx, ny in edges) - r

    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    return Shape(sdf, (min(xs) - r, min(ys) - r, max(xs) + r, max(ys) + r))


def arc(cx, cy, r, a0, a1, w):
    """A stroke of width w along a circle from angle a0 to a1 (degrees, clockwise on screen)."""
    a0r, a1r = math.radians(a0), math.radians(a1)
    p0 = (cx + r * math.cos(a0r), cy + r * math.sin(a0r))
    p1 = (cx + r * math.cos(a1r), cy + r * math.sin(a1r))

    def sdf(x, y):
        ang = math.atan2(y - cy, x - cx)
        while ang < a0r:
            ang += 2 * math.pi
        if ang <= a1r:
            return abs(math.hypot(x - cx, y - cy) - r) - w / 2.0
        return min(math.hypot(x - p0[0], y - p0[1]), math.hypot(x - p1[0], y - p1[1])) - w / 2.0

    return Shape(sdf, (cx - r - w, cy - r - w, cx + r + w, cy + r + w))


def ring(shape, width):
    """The outline of a shape, centred on its edge."""
    x0, y0, x1, y1 = shape.box
    h = width / 2.0
    return Shape(lambda x, y: abs(shape.sdf(x, y)) - h, (x0 - h, y0 - h, x1 + h, y1 + h))


def grow(shape, d):
    """The shape enlarged by d pixels (shrunk when d is negative)."""
    x0, y0, x1, y1 = shape.box
    return Shape(lambda x, y: shape.sdf(x, y) - d, (x0 - d, y0 - d, x1 + d, y1 + d))


def shift(shape, dx, dy):
    x0, y0, x1, y1 = shape.box
    return Shape(lambda x, y: shape.sdf(x - dx, y - dy), (x0 + dx, y0 + dy, x1 + dx, y1 + dy))


def intersect(a, b):
    box = (max(a.box[0], b.box[0]), max(a.box[1], b.box[1]), min(a.box[2], b.box[2]),
           min(a.box[3], b.box[3]))
    return Shape(lambda x, y: max(a.sdf(x, y), b.sdf(x, y)), box)


def subtract(a, b):
    return Shape(lambda x, y: max(a.sdf(x, y), -b.sdf(x, y)), a.box)


def half_plane_above(y_edge):
    """Everything above the line y = y_edge."""
    return Shape(lambda x, y: y - y_edge, (-1e9, -1e9, 1e9, y_edge))


# --- the canvas --------------------------------------------------------------------------------


class Canvas:
    """Premultiplied RGBA floats, row by row."""

    def __init__(self, width, height):
        self.w = width
        self.h = height
        self.px = [0.0] * (width * height * 4)

    def paint(self, shape, colour, soft=1.0, opacity=1.0):
        """Composites colour (a tuple or a shader (x, y) -> tuple) over the canvas inside shape.

        soft is the width of the edge ramp: 1 pixel gives a crisp anti-aliased edge, more gives
        a blurred edge for shadows and glows."""
        margin = soft + 1.0
        x0 = max(0, int(math.floor(shape.box[0] - margin)))
        y0 = max(0, int(math.floor(shape.box[1] - margin)))
        x1 = min(self.w, int(math.ceil(shape.box[2] + margin)))
        y1 = min(self.h, int(math.ceil(shape.box[3] + margin)))
        sdf = shape.sdf
        shader = colour if callable(colour) else None
        px = self.px
        for y in range(y0, y1):
            cy = y + 0.5
            row = y * self.w
            for x in range(x0, x1):
                cx = x + 0.5
                t = 0.5 - sdf(cx, cy) / soft
                if t <= 0.0:
                    continue
                if t >= 1.0:
                    cover = 1.0
                elif soft > 1.0:
                    cover = t * t * (3.0 - 2.0 * t)
                else:
                    cover = t
                r, g, b, a = shader(cx, cy) if shader else colour
                a *= cover * opacity
                if a <= 0.0:
                    continue
                i = (row + x) * 4
                k = 1.0 - a
                px[i] = r * a + px[i] * k
                px[i + 1] = g * a + px[i + 1] * k
                px[i + 2] = b * a + px[i + 2] * k
                px[i + 3] = a + px[i + 3] * k

    def mirrored(self):
        """A copy flipped left to right."""
        out = Canvas(self.w, self.h)
        for y in range(self.h):
            for x in range(self.w):
                src = (y * self.w + x) * 4
                dst = (y * self.w + self.w - 1 - x) * 4
                out.px[dst:dst + 4] = self.px[src:src + 4]
        return out

    def png(self):
        """The canvas as PNG bytes (8-bit RGBA, straight alpha)."""
        raw = bytearray()
        for y in range(self.h):
            raw.append(0)  # no filter
            for x in range(self.w):
                i = (y * self.w + x) * 4
                a = self.px[i + 3]
                if a <= 1e-6:
                    raw.extend(b"\0\0\0\0")
                    continue
                for c in range(3):
                    raw.append(max(0, min(255, int(round(self.px[i + c] / a * 255.0)))))
                raw.append(max(0, min(255, int(round(a * 255.0)))))

        def chunk(kind, data):
            body = kind + data
            return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

        header = struct.pack(">IIBBBBB", self.w, self.h, 8, 6, 0, 0, 0)
        return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
                chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


# --- buttons -----------------------------------------------------------------------------------

WHITE = rgba("#ffffff")
BLACK = rgba("#000000")


def plate(c, body, top, bottom, border, look):
    """A raised plate in the shape `body`: shadow or glow, gradient, border and gloss.

    look is "off", "press" or "on"."""
    x0, y0, x1, y1 = body.box
    if look == "on":
        c.paint(grow(body, 2.0), rgba("#ffc233", 0.55), soft=6.0)
    elif look == "press":
        c.paint(shift(body, 0.0, 1.0), rgba("#000000", 0.28), soft=2.5)
    else:
        c.paint(shift(body, 0.0, 2.5), rgba("#000000", 0.38), soft=4.0)
    c.paint(body, vgrad(y0, y1, top, bottom))
    inner = grow(body, -1.5)
    if look == "press":
        # Shade under the top edge: the plate is pushed in.
        c.paint(intersect(inner, half_plane_above(y0 + (y1 - y0) * 0.45)),
                vgrad(y0, y0 + (y1 - y0) * 0.45, rgba("#000000", 0.22), rgba("#000000", 0.0)))
    else:
        # Gloss on the upper half.
        gloss_end = y0 + (y1 - y0) * 0.5
        c.paint(intersect(inner, half_plane_above(gloss_end)),
                vgrad(y0, gloss_end, rgba("#ffffff", 0.70 if look == "off" else 0.55),
                      rgba("#ffffff", 0.08)))
        # A thin light line just inside the lower edge.
        c.paint(ring(grow(body, -1.2), 0.8),
                vgrad(y0, y1, rgba("#ffffff", 0.0), rgba("#ffffff", 0.45)))
    c.paint(ring(body, 1.4), border)


def rect_button(w, h, look, colours, radius=12):
    c = Canvas(w, h)
    body = rrect(3.0, 2.0, w - 3.0, h - 5.0, radius)
    top, bottom, border = colours[look]
    plate(c, body, rgba(top), rgba(bottom), rgba(border, 0.9), look)
    if look == "on":
        # A warm hotspot in the middle, as if the plate were lit from behind.
        cx, cy = w / 2.0, (h - 3.0) / 2.0
        c.paint(grow(body, -2.0), radial(cx, cy, w * 0.45, rgba("#fff6c8", 0.55),
                                         rgba("#fff6c8", 0.0)))
    return c


def round_button(size, look, colours):
    c = Canvas(size, size)
    r = size / 2.0 - 5.0
    cx, cy = size / 2.0, size / 2.0 - 1.5
    body = circle(cx, cy, r)
    top, bottom, border = colours[look]
    plate(c, body, rgba(top), rgba(bottom), rgba(border, 0.9), look)
    # A coloured ring set into the plate: blue at rest, amber when lit.
    ring_colour = {"off": "#3d7cc9", "press": "#2d5f9c", "on": "#f08c00"}[look]
    c.paint(ring(circle(cx, cy, r - 5.0), 2.6), rgba(ring_colour, 0.85))
    if look == "on":
        c.paint(circle(cx, cy, r - 6.5), radial(cx, cy, r, rgba("#fff6c8", 0.6),
                                                rgba("#fff6c8", 0.0)))
    return c


def arrow_button(w, h, look):
    """A plate pointing right; the left one is its mirror image."""
    c = Canvas(w, h)
    mid = (h - 3.0) / 2.0
    tip = w - 5.0
    body = polygon([(6.0, 5.0), (tip - 24.0, 5.0), (tip, mid), (tip - 24.0, h - 8.0),
                    (6.0, h - 8.0)], r=3.0)
    if look == "press":
        top, bottom, border = "#8fc9ab", "#c6e6d5", "#2f7a57"
    else:
        top, bottom, border = "#e4f6ec", "#85c9a6", "#3b8c66"
    plate(c, body, rgba(top), rgba(bottom), rgba(border, 0.9),
          "press" if look == "press" else "off")
    # A small chevron in the point, away from the centred label.
    chevron_x = tip - 17.0
    c.paint(capsule(chevron_x, mid - 6.0, chevron_x + 6.0, mid, 1.6), rgba(border, 0.8))
    c.paint(capsule(chevron_x + 6.0, mid, chevron_x, mid + 6.0, 1.6), rgba(border, 0.8))
    return c


BLUE = {
    "off": ("#f1f6fc", "#a8c3e4", "#4a6f9c"),
    "press": ("#8fb0d8", "#c4d7ee", "#34567f"),
    "on": ("#fff1a8", "#f5b133", "#b7730f"),
}
SILVER = {
    "off": ("#fbfcfe", "#bcc8d6", "#6b7b8f"),
    "press": ("#a9b6c6", "#dde4ec", "#56657a"),
    "on": ("#fff3b0", "#f7b83a", "#b7730f"),
}
NEUTRAL = {"off": ("#f7f7f7", "#c9c9c9", "#8a8a8a")}


def menu_picture():
    """The menu button: a dark rounded square with three bars."""
    c = Canvas(48, 48)
    body = rrect(3.0, 2.0, 45.0, 44.0, 10.0)
    c.paint(shift(body, 0.0, 2.0), rgba("#000000", 0.40), soft=3.5)
    c.paint(body, vgrad(2.0, 44.0, rgba("#4a5b78"), rgba("#1b2434")))
    c.paint(intersect(grow(body, -1.5), half_plane_above(23.0)),
            vgrad(2.0, 23.0, rgba("#ffffff", 0.30), rgba("#ffffff", 0.04)))
    c.paint(ring(body, 1.4), rgba("#0b1019", 0.9))
    for y in (15.0, 23.0, 31.0):
        c.paint(shift(capsule(14.0, y, 34.0, y, 2.3), 0.0, 1.0), rgba("#000000", 0.35), soft=1.5)
        c.paint(capsule(14.0, y, 34.0, y, 2.3), rgba("#f4f7fb"))
    return c


def label_bar(w, h):
    """A translucent banner behind a page heading."""
    c = Canvas(w, h)
    body = rrect(2.0, 2.0, w - 2.0, h - 2.0, 12.0)
    c.paint(body, vgrad(2.0, h - 2.0, rgba("#0e2038", 0.62), rgba("#0e2038", 0.45)))
    c.paint(ring(grow(body, -1.0), 1.0), rgba("#ffffff", 0.28))
    return c


# --- page pictures -----------------------------------------------------------------------------


def floorplan():
    """Ground floor plan, 400 x 300, lines on a transparent ground."""
    c = Canvas(400, 300)
    wall = rgba("#2a3442", 0.92)
    thin = rgba("#2a3442", 0.75)
    glass = rgba("#4f97d8", 0.95)
    floor = rgba("#ffffff", 0.38)
    tiles = rgba("#dfeaf5", 0.55)
    furniture = rgba("#55657a", 0.55)

    # Floors first, so that the walls lie on top.
    c.paint(rrect(12, 12, 388, 288, 1), floor)
    c.paint(rrect(12, 192, 98, 288, 1), tiles)  # bath
    c.paint(rrect(12, 12, 158, 128, 1), tiles)  # kitchen

    # Outer walls with window gaps, then the glass in the gaps.
    outer = 3.5
    segments = [
        ((10, 10), (40, 10)), ((120, 10), (240, 10)), ((340, 10), (390, 10)),
        ((390, 10), (390, 70)), ((390, 190), (390, 290)),
        ((390, 290), (300, 290)), ((210, 290), (60, 290)), ((30, 290), (10, 290)),
        ((10, 290), (10, 10)),
    ]
    for (ax, ay), (bx, by) in segments:
        c.paint(capsule(ax, ay, bx, by, outer), wall)
    for (ax, ay), (bx, by) in [((40, 10), (120, 10)), ((240, 10), (340, 10)),
                               ((390, 70), (390, 190)), ((300, 290), (210, 290))]:
        # Two panes and the faint frame between them.
        ox, oy = (0.0, 2.2) if ay == by else (2.2, 0.0)
        c.paint(capsule(ax, ay, bx, by, 0.6), rgba("#4f97d8", 0.5))
        c.paint(capsule(ax - ox, ay - oy, bx - ox, by - oy, 0.8), glass)
        c.paint(capsule(ax + ox, ay + oy, bx + ox, by + oy, 0.8), glass)
    # Front door gap (60..30 at the bottom) gets a door swing.
    c.paint(capsule(30, 290, 30, 262, 1.0), thin)
    c.paint(arc(30, 290, 28, 270, 360, 1.0), rgba("#2a3442", 0.5))

    # Inner walls: kitchen | hall | living room, bath in the lower left.
    inner = 2.0
    for (ax, ay), (bx, by) in [
        ((160, 10), (160, 90)), ((160, 126), (160, 200)), ((160, 236), (160, 290)),
        ((48, 130), (160, 130)),
        ((10, 190), (100, 190)), ((100, 190), (100, 226)), ((100, 262), (100, 290)),
    ]:
        c.paint(capsule(ax, ay, bx, by, inner), wall)
    # Door swings.
    for cx, cy, r, a0, a1, leaf in [
        (160, 126, 36, 270, 360, ((160, 126), (196, 126))),  # kitchen - living
        (14, 130, 34, 0, 90, ((14, 130), (14, 164))),  # kitchen - hall
        (160, 236, 36, 270, 360, ((160, 236), (196, 236))),  # hall - living
        (100, 226, 36, 90, 180, ((100, 226), (64, 226))),  # hall - bath
    ]:
        (lax, lay), (lbx, lby) = leaf
        c.paint(capsule(lax, lay, lbx, lby, 1.0), thin)
        c.paint(arc(cx, cy, r, a0, a1, 1.0), rgba("#2a3442", 0.45))

    # Kitchen counter along the top wall and a hob.
    c.paint(rrect(16, 16, 154, 36, 2), rgba("#ffffff", 0.55))
    c.paint(ring(rrect(16, 16, 154, 36, 2), 1.0), furniture)
    for hx in (118.0, 134.0):
        c.paint(ring(circle(hx, 26.0, 5.5), 1.0), furniture)
    # Bath: tub and basin.
    c.paint(ring(rrect(16, 232, 60, 284, 8), 1.2), furniture)
    c.paint(ring(ellipse(80, 276, 12, 8), 1.2), furniture)
    # Living room: sofa along the lower wall, dining table with chairs at the top.
    c.paint(ring(rrect(226, 238, 352, 280, 8), 1.2), furniture)
    c.paint(ring(rrect(232, 244, 346, 262, 5), 1.0), furniture)
    c.paint(ring(rrect(254, 180, 324, 214, 4), 1.2), furniture)  # coffee table
    return c


def garden():
    """Garden plan, 400 x 260: lawn, path, pond, trees and a terrace."""
    c = Canvas(400, 260)
    lawn = rrect(8, 8, 392, 252, 26)
    c.paint(lawn, vgrad(8, 252, rgba("#7fbf6a", 0.55), rgba("#4f9a45", 0.55)))
    c.paint(ring(lawn, 2.0), rgba("#2f6b2a", 0.7))
    # Terrace at the house side (top).
    terrace = rrect(130, 8, 270, 62, 4)
    c.paint(terrace, rgba("#e9dcc4", 0.85))
    for x in range(150, 270, 20):
        c.paint(capsule(x, 10, x, 60, 0.5), rgba("#a18a66", 0.6))
    c.paint(ring(terrace, 1.5), rgba("#8a7250", 0.9))
    # A winding path from the terrace to the gate.
    points = [(200, 62), (190, 100), (160, 140), (170, 180), (215, 215), (226, 238)]
    for (ax, ay), (bx, by) in zip(points, points[1:]):
        c.paint(capsule(ax, ay, bx, by, 9.0), rgba("#d8c7a3", 0.95))
    for (ax, ay), (bx, by) in zip(points, points[1:]):
        c.paint(ring(capsule(ax, ay, bx, by, 9.0), 0.8), rgba("#9e8a62", 0.35))
    # Pond.
    pond = ellipse(300, 160, 52, 32)
    c.paint(pond, radial(290, 150, 60, rgba("#9fd3f0", 0.95), rgba("#3a86c0", 0.95)))
    c.paint(ring(pond, 1.6), rgba("#1f5e8f", 0.9))
    c.paint(capsule(284, 148, 304, 146, 1.0), rgba("#ffffff", 0.6))
    # Trees: shadow, crown, highlight.
    for tx, ty, tr in [(60, 60, 30), (92, 190, 24), (350, 56, 26), (352, 228, 18), (40, 135, 16)]:
        c.paint(circle(tx + 5, ty + 6, tr), rgba("#1d3d1a", 0.35), soft=5.0)
        c.paint(circle(tx, ty, tr), radial(tx - tr * 0.3, ty - tr * 0.3, tr * 1.4,
                                           rgba("#6cc05a"), rgba("#2c6e25")))
        c.paint(ring(circle(tx, ty, tr), 1.2), rgba("#1f4d1b", 0.8))
        c.paint(circle(tx, ty, 2.5), rgba("#5a3b1e", 0.9))
    # Hedge along the lower edge, left of the gate.
    for i, x in enumerate(range(26, 196, 15)):
        c.paint(circle(x, 238 - (i % 2) * 2, 8.0 + (i % 3)), rgba("#3f7f35", 0.85))
    return c


# --- output ------------------------------------------------------------------------------------


def pictures():
    """File name -> canvas, for every picture of the demo folder."""
    out = {
        "TvxMenu.png": menu_picture(),
        "defaultButton.png": rect_button(140, 70, "off", NEUTRAL),
        "labelBar.png": label_bar(300, 44),
        "floorplan.png": floorplan(),
        "garden.png": garden(),
    }
    for look, suffix in (("off", "Off"), ("press", "Press"), ("on", "On")):
        out["btnBlue%s.png" % suffix] = rect_button(140, 70, look, BLUE)
        out["round%s.png" % suffix] = round_button(90, look, SILVER)
    right = arrow_button(176, 56, "off")
    right_press = arrow_button(176, 56, "press")
    out["arrowRight.png"] = right
    out["arrowRightPress.png"] = right_press
    out["arrowLeft.png"] = right.mirrored()
    out["arrowLeftPress.png"] = right_press.mirrored()
    return out


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, os.pardir, "demo")
    os.makedirs(folder, exist_ok=True)
    for name, canvas in sorted(pictures().items()):
        path = os.path.join(folder, name)
        with open(path, "wb") as f:
            f.write(canvas.png())
        print("%-22s %4d x %d" % (name, canvas.w, canvas.h))


if __name__ == "__main__":
    main()
