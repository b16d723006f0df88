#!/usr/bin/python3
"""Draws the "orixLogoIcon" mark: a blue rounded tile carrying an orange ring with a
key bit, at the six sizes the window and the desktop use, as 32-bit RGBA PNG files.
The Windows build turns the same files into orixLogoIcon.ico (icotool, plain bitmaps).

Run with Debian's python (it needs numpy and matplotlib):
    /usr/bin/python3 keywright/res/make-icons.py
"""
import os

import numpy as np
import matplotlib
matplotlib.use("Agg")
import matplotlib.pyplot as plt

SIZES = (16, 24, 32, 48, 72, 96)
HERE = os.path.dirname(os.path.abspath(__file__))
SUPERSAMPLE = 8


def coverage(size, inside):
    """Fraction of each pixel covered by the shape, from a supersampled grid in 0..1 units."""
    n = size * SUPERSAMPLE
    c = (np.arange(n) + 0.5) / n
    x, y = np.meshgrid(c, c)
    mask = inside(x, y).astype(float)
    return mask.reshape(size, SUPERSAMPLE, size, SUPERSAMPLE).mean(axis=(1, 3))


def rounded_square(x, y, margin=0.04, radius=0.2):
    lo, hi = margin + radius, 1 - margin - radius
    dx = np.maximum(np.maximum(lo - x, x - hi), 0)
    dy = np.maximum(np.maximum(lo - y, y - hi), 0)
    return dx * dx + dy * dy <= radius * radius


def ring(x, y, cx=0.40, cy=0.42, r_out=0.26, r_in=0.14):
    d2 = (x - cx) ** 2 + (y - cy) ** 2
    return (d2 <= r_out ** 2) & (d2 >= r_in ** 2)


def key_bit(x, y):
    # shaft from the ring to the lower right, with two teeth
    shaft = (np.abs((x - y) - 0.0) < 0.085) & (x > 0.55) & (x < 0.86)
    tooth1 = (x > 0.66) & (x < 0.74) & (y > x) & (y < x + 0.17)
    tooth2 = (x > 0.78) & (x < 0.86) & (y > x) & (y < x + 0.13)
    return shaft | tooth1 | tooth2


def over(dst, rgb, alpha):
    """Composites a flat colour with the given coverage over an RGBA image."""
    a = alpha[..., None]
    out_a = a + dst[..., 3:4] * (1 - a)
    safe = np.where(out_a > 0, out_a, 1)
    dst[..., :3] = (np.array(rgb) * a + dst[..., :3] * dst[..., 3:4] * (1 - a)) / safe
    dst[..., 3:4] = out_a


def draw(size):
    img = np.zeros((size, size, 4))
    over(img, (0.09, 0.22, 0.45), coverage(size, rounded_square))
    over(img, (0.16, 0.38, 0.70), coverage(size, lambda x, y: rounded_square(x, y, 0.12, 0.14)))
    mark = coverage(size, lambda x, y: ring(x, y) | key_bit(x, y))
    over(img, (0.98, 0.60, 0.12), mark)
    return img


def main():
    for size in SIZES:
        plt.imsave(os.path.join(HERE, "orixLogoIcon-%d.png" % size), draw(size), format="png")


if __name__ == "__main__":
    main()
