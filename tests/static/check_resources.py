#!/usr/bin/env python3
"""Checks the resources of a built Setup.exe, read back with wrestool (icoutils): dialog
template 138 byte by byte, the banner JPEG 139 of type IMAGEJPG (baseline, 550 x 300),
icon group 128, the version information and the application manifest.

usage: check_resources.py PROGRAM --machine i386|amd64
"""
import argparse
import struct
import subprocess
import sys
import xml.etree.ElementTree as ET

STATIC_ORDINAL = 0x0082
# (id, class, text, style, x, y, cx, cy): the progress window's controls in template order.
# The progress class is compared ignoring case, as window class names are.
CONTROLS = [
    (1026, STATIC_ORDINAL, "", 0x5000000E, 0, 0, 15, 13),
    (1000, "msctls_progress32", "Progress1", 0x50800001, 2, 154, 306, 10),
    (1001, STATIC_ORDINAL, "", 0x50000007, 0, 0, 311, 152),
]
DIALOG_STYLE = 0x90800A40
BANNER_SIZE = (550, 300)
ICON_SIZES = [16, 32, 48, 256]
VERSION_STRINGS = {
    "FileDescription": "Setup", "InternalName": "Setup", "ProductName": "Setup",
    "OriginalFilename": "Setup.exe", "FileVersion": "1.0.0.1", "ProductVersion": "1.0.0.1",
}
MANIFEST_ARCH = {"i386": "x86", "amd64": "amd64"}
VISTA = "{e2011457-1546-43c5-a5fe-008deee3d3f0}"
WINDOWS7 = "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"
NS = {"v1": "urn:schemas-microsoft-com:asm.v1", "v3": "urn:schemas-microsoft-com:asm.v3",
      "c": "urn:schemas-microsoft-com:compatibility.v1"}


def resource(program, rtype, name):
    """Raw bytes of one resource, or None when the program has no such resource."""
    done = subprocess.run(["wrestool", "-x", "-R", f"--type={rtype}", f"--name={name}", program],
                          stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, check=False)
    return done.stdout or None


class Reader:
    """Little-endian reader over a resource's bytes."""

    def __init__(self, data, pos=0):
        self.data, self.pos = data, pos

    def take(self, fmt):
        values = struct.unpack_from("<" + fmt, self.data, self.pos)
        self.pos += struct.calcsize("<" + fmt)
        return values if len(values) > 1 else values[0]

    def wstr(self):
        end = self.pos
        while self.data[end:end + 2] != b"\0\0":
            end += 2
        text = self.data[self.pos:end].decode("utf-16-le")
        self.pos = end + 2
        return text

    def sz_or_ord(self):
        if struct.unpack_from("<H", self.data, self.pos)[0] == 0xFFFF:
            self.pos += 2
            return self.take("H")
        return self.wstr()

    def align(self, n=4):
        self.pos = (self.pos + n - 1) // n * n


def check_dialog(data):
    if data[:4] == b"\x01\x00\xff\xff":
        return ["dialog 138 is an extended template, not a classic one"]
    problems = []
    r = Reader(data)
    style, exstyle, count, x, y, cx, cy = r.take("IIHhhhh")
    if style != DIALOG_STYLE:
        problems.append(f"dialog style {style:#010x}, expected {DIALOG_STYLE:#010x}")
    if exstyle:
        problems.append(f"dialog has extended style {exstyle:#x}")
    if (x, y, cx, cy) != (0, 0, 310, 166):
        problems.append(f"dialog at {x},{y} size {cx}x{cy}, expected 0,0 310x166")
    menu, cls, title = r.sz_or_ord(), r.sz_or_ord(), r.wstr()
    if (menu, cls, title) != ("", "", ""):
        problems.append(f"dialog menu/class/title {menu!r}/{cls!r}/{title!r}, expected none and empty")
    points, face = r.take("H"), r.wstr()
    if (points, face) != (8, "MS Sans Serif"):
        problems.append(f"dialog font {face!r} {points}, expected 'MS Sans Serif' 8")
    if count != len(CONTROLS):
        return problems + [f"dialog has {count} controls, expected {len(CONTROLS)}"]
    for want in CONTROLS:
        r.align()
        style, exstyle, x, y, cx, cy, cid = r.take("IIhhhhH")
        cls, text = r.sz_or_ord(), r.sz_or_ord()
        extra = r.take("H")
        r.pos += extra
        if isinstance(cls, str):
            cls = cls.lower()
        got = (cid, cls, text, style, x, y, cx, cy)
        if got != want or exstyle or extra:
            problems.append(f"control {got} (exstyle {exstyle:#x}, data {extra}), expected {want}")
    return problems


def check_banner(data):
    if data[:2] != b"\xff\xd8":
        return ["banner 139 is not a JPEG"]
    pos = 2
    while pos + 4 <= len(data):
        if data[pos] != 0xFF:
            return [f"banner: broken JPEG marker at {pos}"]
        marker = data[pos + 1]
        length = struct.unpack_from(">H", data, pos + 2)[0]
        if 0xC0 <= marker <= 0xCF and marker not in (0xC4, 0xC8, 0xCC):
            if marker != 0xC0:
                return [f"banner is not a baseline JPEG (frame marker FF{marker:02X})"]
            height, width = struct.unpack_from(">HH", data, pos + 5)
            if (width, height) != BANNER_SIZE:
                return [f"banner is {width}x{height}, expected {BANNER_SIZE[0]}x{BANNER_SIZE[1]}"]
            return []
        pos += 2 + length
    return ["banner: no frame header"]


def check_icons(program, data):
    r = Reader(data)
    reserved, kind, count = r.take("HHH")
    if (reserved, kind) != (0, 1):
        return ["icon group 128 has a bad header"]
    sizes, problems = [], []
    for _ in range(count):
        width, _height, _colors, _res, _planes, _bits, _bytes, icon_id = r.take("BBBBHHIH")
        sizes.append(width or 256)
        if not resource(program, 3, icon_id):
            problems.append(f"icon group 128 names icon {icon_id}, which is missing")
    if sorted(sizes) != ICON_SIZES:
        problems.append(f"icon group 128 has sizes {sorted(sizes)}, expected {ICON_SIZES}")
    return problems


def version_blocks(data, pos, end):
    """Children of a version block: (key, value bytes or text, children start, end)."""
    while pos < end:
        pos = (pos + 3) // 4 * 4
        length, value_length, is_text = struct.unpack_from("<HHH", data, pos)
        if length == 0:
            return
        r = Reader(data, pos + 6)
        key = r.wstr()
        r.align()
        if is_text:
            value = data[r.pos:r.pos + 2 * value_length].decode("utf-16-le").rstrip("\0")
            r.pos += 2 * value_length
        else:
            value = data[r.pos:r.pos + value_length]
            r.pos += value_length
        yield key, value, r.pos, pos + length
        pos += length


def check_version(data):
    problems = []
    (key, fixed, children, end), = list(version_blocks(data, 0, len(data)))
    if key != "VS_VERSION_INFO":
        return [f"version resource root is {key!r}"]
    signature, _, file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<IIIIII", fixed)
    if signature != 0xFEEF04BD:
        problems.append("version resource lacks its fixed information")
    if (file_ms, file_ls, product_ms, product_ls) != (0x10000, 1, 0x10000, 1):
        problems.append("file or product version is not 1.0.0.1")
    strings = {}
    for key, _, start, stop in version_blocks(data, children, end):
        if key == "StringFileInfo":
            for _table, _, tstart, tstop in version_blocks(data, start, stop):
                for name, value, _, _ in version_blocks(data, tstart, tstop):
                    strings[name] = value
    for name, want in VERSION_STRINGS.items():
        if strings.get(name) != want:
            problems.append(f"version string {name} is {strings.get(name)!r}, expected {want!r}")
    return problems


def check_manifest(data, machine):
    problems = []
    root = ET.fromstring(data)
    identity = root.find("v1:assemblyIdentity", NS)
    if identity is None or not identity.get("name"):
        return ["manifest has no assembly identity"]
    if identity.get("processorArchitecture") != MANIFEST_ARCH[machine]:
        problems.append(f"manifest architecture {identity.get('processorArchitecture')!r}, "
                        f"expected {MANIFEST_ARCH[machine]!r}")
    if not (root.findtext("v1:description", "", NS)).strip():
        problems.append("manifest has no description")
    level = root.find(".//v3:requestedExecutionLevel", NS)
    if level is None or (level.get("level"), level.get("uiAccess")) != ("asInvoker", "false"):
        problems.append("manifest does not request asInvoker without UI access")
    deps = [(d.get("name"), d.get("version"))
            for d in root.findall("v1:dependency/v1:dependentAssembly/v1:assemblyIdentity", NS)]
    if deps != [("Microsoft.Windows.Common-Controls", "6.0.0.0")]:
        problems.append(f"manifest dependencies {deps}, expected the common controls 6.0.0.0")
    systems = {s.get("Id").lower() for s in root.findall(".//c:supportedOS", NS)}
    if systems != {VISTA, WINDOWS7}:
        problems.append(f"manifest declares {sorted(systems)}, expected Windows Vista and Windows 7")
    return problems


def check(program, machine):
    problems = []
    wanted = [("dialog 138", 5, 138, check_dialog),
              ("banner IMAGEJPG 139", "IMAGEJPG", 139, check_banner),
              ("icon group 128", 14, 128, lambda d: check_icons(program, d)),
              ("version information", 16, 1, check_version),
              ("manifest", 24, 1, lambda d: check_manifest(d, machine))]
    for what, rtype, name, checker in wanted:
        data = resource(program, rtype, name)
        if not data:
            problems.append(f"no {what}")
        else:
            problems += checker(data)
    return problems


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("program")
    parser.add_argument("--machine", choices=MANIFEST_ARCH, required=True)
    args = parser.parse_args()
    problems = check(args.program, args.machine)
    for p in problems:
        print(f"{args.program}: {p}")
    if not problems:
        print(f"{args.program}: resources as expected")
    sys.exit(1 if problems else 0)


if __name__ == "__main__":
    main()
