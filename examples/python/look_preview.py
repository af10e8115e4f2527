#!/usr/bin/env python3
"""Renders a synthetic chart in camera log through two looks side by side.

The chart holds a grey ramp over the whole log range, a row of colour
patches and a row of skin tones, all in the camera's log encoding (Elvex).
Each look is the LUT generator's look LUT (node 10) followed by its
normalisation (node 11, a gain and offset), written as an 8-bit PNG.

    look_preview.py preview.png                  # the default look and a warm one
    look_preview.py preview.png A.look B.look    # two saved looks
"""
import argparse

import numpy as np
from PIL import Image, ImageDraw

import kalvora

# Scene reflectances (linear RGB); the chart places 18% grey at a typical
# log code value.
MID_GREY_LOG = 0.39
COLOURS = [(0.45, 0.06, 0.05), (0.45, 0.30, 0.04), (0.08, 0.30, 0.07), (0.05, 0.22, 0.35),
           (0.06, 0.08, 0.40), (0.35, 0.08, 0.30)]
SKIN = [(0.17, 0.09, 0.06), (0.30, 0.17, 0.11), (0.45, 0.28, 0.20), (0.58, 0.38, 0.29),
        (0.70, 0.50, 0.42)]
WARM_LOOK = {"cdl-slope-red": 1.08, "cdl-slope-blue": 0.92, "video-saturation": 1.25,
             "knee": 0.35, "black-gamma": 0.4}


def patch_row(reflectances, width, height, exposure):
    """A row of equal patches, in camera log."""
    linear = np.asarray(reflectances) / 0.18 * exposure
    log = kalvora.elvex_encode(linear)
    columns = np.repeat(log, -(-width // len(log)), axis=0)[:width]
    return np.broadcast_to(columns, (height, width, 3))


def chart(width=640, height=360):
    """The chart in camera log, float32 (height, width, 3)."""
    exposure = kalvora.elvex_decode(MID_GREY_LOG)
    band = height // 3
    ramp = np.broadcast_to(np.linspace(0.0, 1.0, width)[None, :, None], (band, width, 3))
    rows = [ramp, patch_row(COLOURS, width, band, exposure),
            patch_row(SKIN, width, height - 2 * band, exposure)]
    return np.concatenate(rows).astype(np.float32)


def render(core, image):
    """The look LUT, then the normalisation and the clamp to display range."""
    display = kalvora.apply_lut(core.lut(33), image)
    gain, offset = core.gain_offset("normalization")
    return np.clip(display * gain + offset, 0.0, 1.0)


def looks(paths):
    if paths:
        for path in paths:
            core = kalvora.LutGenerator()
            with open(path, "rb") as file:
                core.load_look(file.read())
            yield path, core
        return
    yield "default look", kalvora.LutGenerator()
    warm = kalvora.LutGenerator()
    for name, value in WARM_LOOK.items():
        warm.set_param(name, value)
    yield "warm look", warm


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("output", help="PNG file to write")
    parser.add_argument("looks", nargs="*", help="two look files (default: built-in looks)")
    args = parser.parse_args()
    if args.looks and len(args.looks) != 2:
        parser.error("give two look files or none")

    image = chart()
    panels, labels = [], []
    for label, core in looks(args.looks):
        panels.append(render(core, image))
        labels.append(label)
    picture = Image.fromarray((np.concatenate(panels, axis=1) * 255 + 0.5).astype(np.uint8))
    draw = ImageDraw.Draw(picture)
    for i, label in enumerate(labels):
        draw.text((8 + i * image.shape[1], 8), label, fill=(255, 255, 255))
    picture.save(args.output)


if __name__ == "__main__":
    main()
