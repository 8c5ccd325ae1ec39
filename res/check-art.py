#!/usr/bin/env python3
"""Checks the artwork a build embeds, at configure time, so that a publisher's own banner or
icon that Setup.exe could not show stops the build with a clear message:

    check-art.py banner FILE   a baseline JPEG (SOF0) of 550 x 300 pixels
    check-art.py icon FILE     an icon file (.ico) with at least one picture

Exit code 0 when the file is fit, 1 (with the reason on standard error) when it is not.
"""
import struct
import sys

BANNER_SIZE = (550, 300)
# Start-of-frame markers and the kind of JPEG each one begins.
FRAME_KINDS = {
    0xC0: "baseline", 0xC1: "extended sequential", 0xC2: "progressive", 0xC3: "lossless",
    0xC5: "differential sequential", 0xC6: "differential progressive", 0xC7: "differential lossless",
    0xC9: "arithmetic-coded sequential", 0xCA: "arithmetic-coded progressive", 0xCB: "arithmetic-coded lossless",
    0xCD: "arithmetic-coded differential sequential", 0xCE: "arithmetic-coded differential progressive",
    0xCF: "arithmetic-coded differential lossless",
}
# Markers that stand alone, without a length: TEM and the restart markers.
STANDALONE = {0x01} | set(range(0xD0, 0xD8))


def jpeg_frame(data):
    """(marker, width, height) of the first frame header, or a reason why there is none."""
    if data[:2] != b"\xff\xd8":
        return "it is not a JPEG file (no start-of-image marker)"
    at = 2
    while at + 4 <= len(data):
        if data[at] != 0xFF:
            return "its marker structure is broken at byte %d" % at
        marker = data[at + 1]
        if marker == 0xFF:  # fill byte before a marker
            at += 1
            continue
        if marker in STANDALONE:
            at += 2
            continue
        if marker in (0xD9, 0xDA):  # end of image, or scan data before any frame header
            return "it has no frame header before its image data"
        (length,) = struct.unpack(">H", data[at + 2:at + 4])
        if marker in FRAME_KINDS:
            if at + 9 > len(data):
                return "its frame header is cut short"
            height, width = struct.unpack(">HH", data[at + 5:at + 9])
            return marker, width, height
        at += 2 + length
    return "it ends before any frame header"


def check_banner(path, data):
    frame = jpeg_frame(data)
    if isinstance(frame, str):
        return "%s: %s; the banner must be a baseline JPEG of %d x %d pixels" % ((path, frame) + BANNER_SIZE)
    marker, width, height = frame
    if marker != 0xC0:
        return ("%s is a %s JPEG (marker SOF%d); the progress window's picture loader needs a baseline JPEG "
                "(SOF0): save it again as baseline, not progressive (ImageMagick: convert IN -interlace none OUT)"
                % (path, FRAME_KINDS[marker], marker - 0xC0))
    if (width, height) != BANNER_SIZE:
        return ("%s is %d x %d pixels; the banner must be %d x %d pixels to fill the progress window"
                % ((path, width, height) + BANNER_SIZE))
    return None


def check_icon(path, data):
    if len(data) < 6:
        return "%s: it is not an icon file (too short)" % path
    reserved, kind, count = struct.unpack("<HHH", data[:6])
    if reserved != 0 or kind != 1 or count == 0 or len(data) < 6 + 16 * count:
        return "%s: it is not an icon file (.ico) with at least one picture" % path
    return None


def main():
    if len(sys.argv) != 3 or sys.argv[1] not in ("banner", "icon"):
        sys.exit(__doc__)
    kind, path = sys.argv[1], sys.argv[2]
    try:
        data = open(path, "rb").read()
    except OSError as error:
        problem = "%s: cannot be read (%s)" % (path, error.strerror)
    else:
        problem = (check_banner if kind == "banner" else check_icon)(path, data)
    if problem:
        sys.stderr.write(problem + "\n")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
