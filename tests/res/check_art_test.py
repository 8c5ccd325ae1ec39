#!/usr/bin/env python3
"""The configure-time art checker (res/check-art.py) on real files made with ImageMagick:
it takes the shipped art and a 550 x 300 baseline JPEG, and refuses, with a reason a
publisher can act on, a progressive JPEG, a baseline JPEG of another size, a PNG and an icon
file given as the banner.

usage: check_art_test.py SOURCE_DIR
"""
import os
import shutil
import subprocess
import sys
import tempfile


def convert(*args):
    tool = shutil.which("convert-im6.q16") or "convert"
    subprocess.run([tool] + list(args), check=True, stdin=subprocess.DEVNULL)


def main():
    source = os.path.abspath(sys.argv[1])
    checker = os.path.join(source, "res", "check-art.py")
    work = tempfile.mkdtemp(prefix="check-art-")
    try:
        art = lambda name: os.path.join(work, name)
        convert("-size", "550x300", "gradient:#203040-#a0b0c0", "-interlace", "none", art("baseline.jpg"))
        convert("-size", "550x300", "gradient:#203040-#a0b0c0", "-interlace", "JPEG", art("progressive.jpg"))
        convert("-size", "600x300", "gradient:#203040-#a0b0c0", "-interlace", "none", art("wide.jpg"))
        convert("-size", "550x300", "gradient:#203040-#a0b0c0", art("banner.png"))
        cases = [
            ("banner", os.path.join(source, "res", "banner.jpg"), 0, ""),
            ("icon", os.path.join(source, "res", "Setup.ico"), 0, ""),
            ("banner", art("baseline.jpg"), 0, ""),
            ("banner", art("progressive.jpg"), 1, "is a progressive JPEG (marker SOF2)"),
            ("banner", art("wide.jpg"), 1, "is 600 x 300 pixels; the banner must be 550 x 300"),
            ("banner", art("banner.png"), 1, "it is not a JPEG file"),
            ("banner", os.path.join(source, "res", "Setup.ico"), 1, "it is not a JPEG file"),
            ("banner", art("missing.jpg"), 1, "cannot be read"),
            ("icon", art("baseline.jpg"), 1, "it is not an icon file"),
        ]
        failures = 0
        for kind, path, want_rc, want_text in cases:
            done = subprocess.run([sys.executable, checker, kind, path], stdout=subprocess.PIPE,
                                  stderr=subprocess.PIPE, stdin=subprocess.DEVNULL, text=True)
            ok = done.returncode == want_rc and want_text in done.stderr
            failures += not ok
            print("%s: %s %s -> %d %s" % ("ok" if ok else "FAIL", kind, os.path.basename(path), done.returncode,
                                          done.stderr.strip()))
        return 1 if failures else 0
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
