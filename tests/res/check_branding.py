#!/usr/bin/env python3
"""Reads back, with wrestool (icoutils), the branding a built program carries: the banner
(resource 139 of type IMAGEJPG) byte for byte, every picture of the icon file among the
program's icons (icon group 128), and the manifest's identity name and description.

usage: check_branding.py PROGRAM --banner JPEG --icon ICO --name NAME --description TEXT
"""
import argparse
import struct
import subprocess
import sys
import xml.etree.ElementTree as ET

NS = {"v1": "urn:schemas-microsoft-com:asm.v1"}


def resource(program, rtype, name):
    done = subprocess.run(["wrestool", "-x", "-R", f"--type={rtype}", f"--name={name}", program],
                          stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, check=False)
    return done.stdout or None


def icon_pictures(data):
    """The picture bytes of each entry of an .ico file."""
    _reserved, _kind, count = struct.unpack_from("<HHH", data, 0)
    pictures = []
    for i in range(count):
        size, offset = struct.unpack_from("<II", data, 6 + 16 * i + 8)
        pictures.append(data[offset:offset + size])
    return pictures


def group_ids(data):
    """The icon ids an icon group names."""
    _reserved, _kind, count = struct.unpack_from("<HHH", data, 0)
    return [struct.unpack_from("<H", data, 6 + 14 * i + 12)[0] for i in range(count)]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("program")
    parser.add_argument("--banner", required=True)
    parser.add_argument("--icon", required=True)
    parser.add_argument("--name", required=True)
    parser.add_argument("--description", required=True)
    args = parser.parse_args()
    problems = []

    if resource(args.program, "IMAGEJPG", 139) != open(args.banner, "rb").read():
        problems.append("banner 139 is not the bytes of " + args.banner)

    group = resource(args.program, 14, 128)
    if not group:
        problems.append("no icon group 128")
    else:
        carried = [resource(args.program, 3, icon_id) for icon_id in group_ids(group)]
        wanted = icon_pictures(open(args.icon, "rb").read())
        if sorted(carried) != sorted(wanted):
            problems.append("icon group 128 does not hold the pictures of " + args.icon)

    manifest = resource(args.program, 24, 1)
    if not manifest:
        problems.append("no manifest")
    else:
        root = ET.fromstring(manifest)
        identity = root.find("v1:assemblyIdentity", NS)
        if identity is None or identity.get("name") != args.name:
            problems.append("manifest identity %r, expected %r" % (identity.get("name") if identity is not None
                                                                   else None, args.name))
        if root.findtext("v1:description", None, NS) != args.description:
            problems.append("manifest description %r, expected %r"
                            % (root.findtext("v1:description", None, NS), args.description))

    for problem in problems:
        print("FAIL: " + problem)
    if not problems:
        print("ok: %s carries the banner, the icon and the manifest identity it was built with" % args.program)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
