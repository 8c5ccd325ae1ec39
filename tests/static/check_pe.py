#!/usr/bin/env python3
"""Checks a built Windows program's PE header: machine and kind, subsystem, hardening
flags (ASLR with the relocations that make it real, high-entropy layout on 64 bits, DEP),
no writable-and-executable section, and that it imports only system DLLs.

usage: check_pe.py PROGRAM --machine i386|amd64 --subsystem gui|console
"""
import argparse
import struct
import sys

SYSTEM_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll", "comctl32.dll",
    "ole32.dll", "oleaut32.dll", "olepro32.dll", "wininet.dll", "msvcrt.dll", "shlwapi.dll",
    "uuid.dll", "version.dll", "crypt32.dll", "bcrypt.dll", "ws2_32.dll", "comdlg32.dll",
}
MACHINES = {"i386": 0x14C, "amd64": 0x8664}
SUBSYSTEMS = {"gui": 2, "console": 3}
HIGH_ENTROPY_VA, DYNAMIC_BASE, NX_COMPAT = 0x20, 0x40, 0x100
RELOCS_STRIPPED = 0x0001  # file header characteristics: the image cannot be moved
MEM_EXECUTE, MEM_WRITE = 0x20000000, 0x80000000


def rva_to_offset(sections, rva):
    for _, va, vsize, raw, rawsize, _ in sections:
        if va <= rva < va + max(vsize, rawsize):
            return raw + rva - va
    raise ValueError(f"RVA {rva:#x} outside every section")


def read_cstr(data, offset):
    end = data.index(b"\0", offset)
    return data[offset:end].decode("ascii")


def check(path, machine, subsystem):
    data = open(path, "rb").read()
    problems = []
    if data[:2] != b"MZ":
        return ["no MZ header"]
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        return ["no PE signature"]
    mach, nsections, _, _, _, optsize, characteristics = struct.unpack_from("<HHIIIHH", data, pe + 4)
    opt = pe + 24
    magic = struct.unpack_from("<H", data, opt)[0]
    if mach != MACHINES[machine]:
        problems.append(f"machine {mach:#x}, expected {machine}")
    expected_magic = 0x10B if machine == "i386" else 0x20B
    if magic != expected_magic:
        problems.append(f"optional header magic {magic:#x}, expected {expected_magic:#x}")
    subsys, dllchars = struct.unpack_from("<HH", data, opt + 68)
    if subsys != SUBSYSTEMS[subsystem]:
        problems.append(f"subsystem {subsys}, expected {subsystem}")
    wanted = [(DYNAMIC_BASE, "DYNAMIC_BASE (ASLR)"), (NX_COMPAT, "NX_COMPAT (DEP)")]
    if machine == "amd64":
        wanted.append((HIGH_ENTROPY_VA, "HIGH_ENTROPY_VA (64-bit ASLR)"))
    for flag, name in wanted:
        if not dllchars & flag:
            problems.append(f"DllCharacteristics lacks {name}")
    dirs = opt + (96 if magic == 0x10B else 112)
    import_rva, _ = struct.unpack_from("<II", data, dirs + 8)
    # Without base relocations the loader cannot move the image, whatever DYNAMIC_BASE says.
    _, reloc_size = struct.unpack_from("<II", data, dirs + 5 * 8)
    if characteristics & RELOCS_STRIPPED or reloc_size == 0:
        problems.append("no base relocations: the image cannot be placed at a random address")
    sections = []
    table = opt + optsize
    for i in range(nsections):
        name, vsize, va, rawsize, raw = struct.unpack_from("<8sIIII", data, table + 40 * i)
        chars = struct.unpack_from("<I", data, table + 40 * i + 36)[0]
        name = name.rstrip(b"\0").decode()
        sections.append((name, va, vsize, raw, rawsize, chars))
        if chars & MEM_EXECUTE and chars & MEM_WRITE:
            problems.append(f"section {name} is writable and executable")
    if import_rva:
        off = rva_to_offset(sections, import_rva)
        while True:
            name_rva = struct.unpack_from("<IIIII", data, off)[3]
            if name_rva == 0:
                break
            dll = read_cstr(data, rva_to_offset(sections, name_rva)).lower()
            if dll not in SYSTEM_DLLS:
                problems.append(f"imports {dll}, which is not a system DLL")
            off += 20
    return problems


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("program")
    parser.add_argument("--machine", choices=MACHINES, required=True)
    parser.add_argument("--subsystem", choices=SUBSYSTEMS, required=True)
    args = parser.parse_args()
    problems = check(args.program, args.machine, args.subsystem)
    for p in problems:
        print(f"{args.program}: {p}")
    if not problems:
        print(f"{args.program}: PE header as expected")
    sys.exit(1 if problems else 0)


if __name__ == "__main__":
    main()
