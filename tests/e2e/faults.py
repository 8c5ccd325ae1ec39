#!/usr/bin/env python3
"""Whole runs of the bootstrapper under Wine when things go wrong, one scenario per call:

    faults.py BUILD_DIR SCENARIO       (faults.py BUILD_DIR --list names them)

Servers that die, reset or crawl; a full disk; a working folder that is held open or left
over; a program folder with characters outside the ANSI code page; and valid containers
whose descriptions name hostile paths. Each scenario checks the message the user saw, what
stays on disk and the exit code. Exit code 0 when every check held, 77 when the scenario
cannot run here (it says why), 1 otherwise.
"""
import glob
import os
import shutil
import subprocess
import sys
import threading
import time

import e2e
from e2e import Skip, check, description, standard_site
from harness import win_path

SCENARIOS = {}


def scenario(fn):
    SCENARIOS[fn.__name__] = fn
    return fn


def put_description(world, app, **fields):
    world.put(world.primary, f"/downloads/Setups/{app}/SetupInitial.eif", world.pack(description(**fields)))


def scripted_site(world, files):
    """A scripted server holding the stub and the given (name, bytes) files."""
    server = world.scripted()
    shutil.copy(world.stub, os.path.join(server.root, "FinalSetup.exe"))
    for name, data in files:
        with open(os.path.join(server.root, name), "wb") as f:
            f.write(data)
    return server


def caption_of(program):
    return os.path.basename(program)[:-4]


def files_below(folder, name):
    return glob.glob(os.path.join(folder, "**", name), recursive=True)


def check_failed_run(world, app, program, result, text, keep_working=False):
    check(result.box_texts == [(caption_of(program), text)], f"boxes {result.box_texts}, expected {text!r}")
    check(all(b["icon"] for b in result.boxes), "a box without the warning icon")
    check(result.exit_code == 0, f"exit code {result.exit_code}")
    check(result.stub is None, "the final setup ran")
    check(os.path.exists(world.working_folder(app)) == keep_working,
          "working folder " + ("removed" if keep_working else "still on disk"))


def kill_on_request(server, path, after_seconds, done):
    """Kills the server after_seconds after the first GET of path has reached it."""
    deadline = time.time() + 150
    while time.time() < deadline and server.proc.poll() is None:
        try:
            if any(r["method"] == "GET" for r in server.requests(path)):
                time.sleep(after_seconds)
                server.kill()
                done.append(True)
                return
        except OSError:
            pass
        time.sleep(0.05)


# --- servers that fail -----------------------------------------------------------------

@scenario
def server_killed_mid_file(world):
    # The site's server dies while it trickles out a listed file: that attempt fails, the
    # retries find nobody listening, and the run stops with the file's message.
    app = "Killed"
    server = scripted_site(world, [("big.bin", bytes(range(256)) * 400)])
    try:
        put_description(world, app, sites=[server.site()], files=[
            ("/FinalSetup.exe", "FinalSetup.exe"), ("/big.bin?piece=2048&gap=100", "Big.bin")])
        killed = []
        killer = threading.Thread(target=kill_on_request, args=(server, "/big.bin", 1.0, killed))
        killer.start()
        program = world.program(f"Setup_{app}_1.exe")
        result = world.run(program)
        killer.join()
    finally:
        server.kill()
    check(killed == [True], "the server was not killed during the download")
    check_failed_run(world, app, program, result, "Error: Failed to download Big.bin")
    check(not files_below(os.path.join(world.prefix, "drive_c"), "Big.bin"), "a part of Big.bin was left behind")


@scenario
def connection_reset_mid_body(world):
    # Every answer for a listed file is cut off by a TCP reset. The file replaces one the
    # program folder brought (local mode): each failed attempt puts the user's file back, so
    # the entry counts as done, the run goes on and the final setup finds the original.
    app = "Reset"
    original = b"the user's own data, not to be lost\n" * 100
    server = scripted_site(world, [("data.bin", bytes(range(256)) * 80)])
    try:
        text = description(files=[("/FinalSetup.exe", "FinalSetup.exe"), ("/data.bin?reset=3000", "Data.bin")],
                           sites=[server.site()], extra="[Download Initial Setup]\nNo\n")
        with open(os.path.join(world.program_folder, "SetupInitial.eif"), "wb") as f:
            f.write(world.pack(text))
        with open(os.path.join(world.program_folder, "Data.bin"), "wb") as f:
            f.write(original)
        program = world.program(f"Setup_{app}_1.exe")
        # The stub reports the bytes of the file named as its user info file: here Data.bin.
        result = world.run(program, user_info="Data.bin", timeout=280)
        gets = [r for r in server.requests("/data.bin") if r["method"] == "GET"]
    finally:
        server.stop()
    # The size probe asks with a GET too; then come the four attempts.
    check(len(gets) == 5, f"{len(gets)} GET requests for the reset file, expected the probe and four attempts")
    check(result.exit_code == 0, f"exit code {result.exit_code}")
    check(result.boxes == [], f"boxes {result.box_texts}")
    stub = result.stub or {}
    check(stub.get("userinfo") == original.decode("latin-1"), "Data.bin is not the user's original file")
    check("Data.bin Before Download" not in stub.get("files", []), f"backup left beside it: {stub.get('files')}")
    check(not os.path.exists(world.working_folder(app)), "working folder still on disk")


@scenario
def slow_body(world):
    # The body comes 256 bytes at a time with pauses: the download still completes whole,
    # and the bar is repainted for every read.
    app = "Slow"
    data = bytes(range(256)) * 24
    server = scripted_site(world, [("slow.bin", data)])
    try:
        put_description(world, app, sites=[server.site()], files=[
            ("/FinalSetup.exe", "FinalSetup.exe"), ("/slow.bin?piece=256&gap=120", "Slow.bin")])
        program = world.program(f"Setup_{app}_1.exe")
        result = world.run(program, user_info="Slow.bin", extra_env={"SETUP_ROBOT_WATCH_PAINT": "1"})
    finally:
        server.stop()
    # The robot marks the bar every 200 ms and looks whether it was painted by the next mark:
    # during the three seconds of the body the program keeps repainting it.
    paints = [e["repainted"] for e in result.events if e["kind"] == "paint"]
    check(paints.count(True) >= 5, f"the bar was repainted at {paints.count(True)} of {len(paints)} looks")
    check(result.exit_code == 0 and result.boxes == [], f"exit {result.exit_code}, boxes {result.box_texts}")
    stub = result.stub or {}
    check(stub.get("userinfo") == data.decode("latin-1"), "Slow.bin did not arrive whole")
    check(result.elapsed >= 2.5, f"the slow body took only {result.elapsed:.1f}s")
    check(not os.path.exists(world.working_folder(app)), "working folder still on disk")


# --- the machine ------------------------------------------------------------------------

@scenario
def full_disk(world):
    # The temporary folder lies on a 4 MB volume and a listed file is larger: the write
    # fails, no second attempt is made, and the run stops with the file's message.
    app = "Full"
    temp = world.temp_folder()
    if os.geteuid() != 0:
        raise Skip("mounting a small volume needs root")
    site = standard_site(world, app, [("huge.bin", b"h" * (8 << 20))])
    put_description(world, app, sites=[site], files=[("/FinalSetup.exe", "FinalSetup.exe"),
                                                     ("/huge.bin", "Huge.bin")])
    program = world.program(f"Setup_{app}_1.exe")
    mounted = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=4m,mode=0777", "tmpfs", temp],
                             stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    if mounted.returncode != 0:
        raise Skip(f"cannot mount a small volume on {temp} (mount exit code {mounted.returncode})")
    try:
        result = world.run(program)
        working_left = os.path.exists(world.working_folder(app))
    finally:
        if subprocess.run(["umount", temp]).returncode != 0:
            subprocess.run(["umount", "-l", temp])
    check(not os.path.ismount(temp), "the small volume is still mounted")
    check(result.box_texts == [(caption_of(program), "Error: Failed to download Huge.bin")],
          f"boxes {result.box_texts}")
    check(result.exit_code == 0, f"exit code {result.exit_code}")
    check(result.stub is None, "the final setup ran")
    check(not working_left, "working folder still on disk")
    # The size probe asks with a GET too: the probe and one download, no retry.
    gets = [r for r in result.requests if "GET /sites/Full/huge.bin" in r]
    check(len(gets) == 2, f"{len(gets)} requests for the file, expected the probe and one download")


@scenario
def working_folder_held_open(world):
    # At clean-up a file of the working folder is still open, without sharing, in a process
    # the final setup left behind: the run still ends, everything else is removed. (The
    # holder is the stub itself, started from the working folder, so its program file is
    # in use as well and stays too.)
    app = "Held"
    hold_ms = 12000
    site = standard_site(world, app, [("readme.txt", b"r" * 3000)])
    put_description(world, app, sites=[site], files=[("/FinalSetup.exe", "FinalSetup.exe"),
                                                     ("/readme.txt", "Readme.txt")])
    program = world.program(f"Setup_{app}_1.exe")
    result = world.run(program, extra_env={"SETUP_STUB_HOLD": "Held.log", "SETUP_STUB_HOLD_MS": str(hold_ms)})
    working = world.working_folder(app)
    left = sorted(os.listdir(working)) if os.path.isdir(working) else None
    check(result.exit_code == 0 and result.boxes == [], f"exit {result.exit_code}, boxes {result.box_texts}")
    check(result.stub is not None and "Held.log" in result.stub["files"], "the stub did not hold its file")
    check(result.elapsed < hold_ms / 1000.0, f"the run waited {result.elapsed:.1f}s for the held file")
    check(left == ["FinalSetup.exe", "Held.log"], f"the working folder held {left} after the run, "
          "expected only the files in use")
    # Let the holder end before the folder goes.
    time.sleep(max(0.0, result.started + hold_ms / 1000.0 + 1 - time.time()))
    shutil.rmtree(working, ignore_errors=True)


@scenario
def leftover_working_folder(world):
    # An earlier run left its working folder: read-only files, a backup, an old description.
    # The new run starts clean: the final setup sees only what this run brought.
    app = "Leftover"
    working = world.working_folder(app)
    shutil.rmtree(working, ignore_errors=True)
    os.makedirs(working)
    for name in ("Readme.txt", "Readme.txt Before Download", "SetupInitial.eif", "Old.dll"):
        path = os.path.join(working, name)
        with open(path, "w") as f:
            f.write("left from an earlier run")
        os.chmod(path, 0o444)  # Wine reports these as read-only
    site = standard_site(world, app, [("readme.txt", b"n" * 3000)])
    put_description(world, app, sites=[site], files=[("/FinalSetup.exe", "FinalSetup.exe"),
                                                     ("/readme.txt", "Readme.txt")])
    result = world.run(world.program(f"Setup_{app}_1.exe"), user_info="Readme.txt")
    check(result.exit_code == 0 and result.boxes == [], f"exit {result.exit_code}, boxes {result.box_texts}")
    stub = result.stub or {}
    check(sorted(stub.get("files", [])) == ["FinalSetup.exe", "Readme.txt", "SetupInitial.eif", "UserInfo.txt"],
          f"the working folder held {stub.get('files')}")
    check(stub.get("userinfo") == "n" * 3000, "Readme.txt is not this run's download")
    check(not os.path.exists(working), "working folder still on disk")


@scenario
def non_ascii_program_folder(world):
    # A program folder with blanks and characters inside and outside the ANSI code page
    # (1252 here): the run works, and the user info file shows the code page's default
    # character where a character has no ANSI form, not even a similar letter (the system
    # writes a Greek capital omega as O, for instance, so none stands here).
    app = "Unicode"
    folder = os.path.join(world.program_folder, "Prögram Fïles € 日本")
    os.makedirs(folder)
    site = standard_site(world, app, [])
    put_description(world, app, sites=[site], files=[("/FinalSetup.exe", "FinalSetup.exe")])
    program = os.path.join(folder, f"Setup_{app}_1.exe")
    shutil.copy(world.setup_exe, program)
    result = world.run(program)
    check(result.exit_code == 0 and result.boxes == [], f"exit {result.exit_code}, boxes {result.box_texts}")
    info = (result.stub or {}).get("userinfo") or ""
    lines = info.split("\n")
    expected = win_path(program, world.prefix).encode("cp1252", errors="replace").decode("latin-1")
    check(len(lines) > 3 and lines[3] == expected, f"program path in the user info file: "
          f"{lines[3] if len(lines) > 3 else None!r}, expected {expected!r}")
    check("\u00f6" in expected and expected.count("?") == 2, "the expected path does not mix the two kinds")
    check(not os.path.exists(world.working_folder(app)), "working folder still on disk")


# --- hostile descriptions ---------------------------------------------------------------

OUTSIDE_DESTINATIONS = [
    "..\\evil.txt", "..\\..\\evil.txt", "sub\\..\\..\\evil.txt", "a/../../evil.txt", ". .\\evil.txt",
    "...\\evil.txt", "C:\\evil.txt", "\\evil.txt", "\\\\127.0.0.1\\share\\evil.txt", "evil.txt:hidden",
    "CON", "nul.txt", "COM1", "LPT1.log", "sub\\AUX", "COM\u00b9", "lpt\u00b2.txt",
]


@scenario
def hostile_destinations(world):
    # Destinations that lead out of the working folder or name a device are never written:
    # each stops the run with the message for that destination.
    app = "Hostile"
    site = standard_site(world, app, [("evil.txt", b"e" * 2000)])
    program = world.program(f"Setup_{app}_1.exe")
    seen = 0  # the access log keeps the requests of the earlier runs
    for destination in OUTSIDE_DESTINATIONS:
        put_description(world, app, sites=[site], files=[("/evil.txt", destination)])
        result = world.run(program)
        requests, seen = result.requests[seen:], len(result.requests)
        check(result.box_texts == [(caption_of(program), "Error: Failed to download " + destination)],
              f"{destination}: boxes {result.box_texts}")
        check(result.exit_code == 0, f"{destination}: exit code {result.exit_code}")
        check(result.stub is None, f"{destination}: the final setup ran")
        # Two size probes (choosing the site, adding up the sizes) ask with a GET; a download
        # would be a third.
        gets = [r for r in requests if "GET /sites/Hostile/evil.txt" in r]
        check(len(gets) == 2, f"{destination}: {len(gets)} requests for the file, expected only the two probes")
    check(not files_below(os.path.join(world.prefix, "drive_c"), "evil.txt"), "evil.txt was written")
    check(not os.path.exists(world.working_folder(app)), "working folder still on disk")


@scenario
def hostile_long_destination(world):
    # A destination far beyond what a file name may be: the writes fail, the run stops.
    app = "Longname"
    destination = "deep\\" * 60 + "x" * 300 + ".txt"
    site = standard_site(world, app, [("long.txt", b"l" * 2000)])
    put_description(world, app, sites=[site], files=[("/long.txt", destination)])
    program = world.program(f"Setup_{app}_1.exe")
    result = world.run(program)
    check_failed_run(world, app, program, result, "Error: Failed to download " + destination)


@scenario
def hostile_program_to_run(world):
    # A "Program to run" outside the working folder is not started, even where a program of
    # that name lies.
    app = "Runner"
    projects = os.path.dirname(world.working_folder(app))
    os.makedirs(projects, exist_ok=True)
    planted = os.path.join(projects, "FinalSetup.exe")
    shutil.copy(world.stub, planted)
    site = standard_site(world, app, [])
    program = world.program(f"Setup_{app}_1.exe")
    try:
        for to_run in ("..\\FinalSetup.exe", win_path(planted, world.prefix), "\\windows\\notepad.exe", "NUL"):
            put_description(world, app, sites=[site], files=[("/FinalSetup.exe", "FinalSetup.exe")],
                            program=to_run)
            result = world.run(program)
            check(result.box_texts == [(caption_of(program), "Error: Failed to start the final setup.")],
                  f"{to_run}: boxes {result.box_texts}")
            check(result.exit_code == 0, f"{to_run}: exit code {result.exit_code}")
            check(result.stub is None, f"{to_run}: a program outside the working folder ran")
            check(not os.path.exists(world.working_folder(app)), f"{to_run}: working folder still on disk")
    finally:
        os.remove(planted)


@scenario
def hostile_user_info_filename(world):
    # A "User Info Filename" outside the working folder is not written; the run stops as
    # for any user info file that cannot be written, leaving the working folder.
    app = "Infoleak"
    site = standard_site(world, app, [])
    program = world.program(f"Setup_{app}_1.exe")
    for name in ("..\\UserInfo.txt", "C:\\UserInfo.txt", "\\UserInfo.txt", "CON"):
        put_description(world, app, sites=[site], files=[("/FinalSetup.exe", "FinalSetup.exe")], user_info=name)
        result = world.run(program)
        check(result.box_texts == [(caption_of(program), "Error: Failed to create User Info File.")],
              f"{name}: boxes {result.box_texts}")
        check(result.exit_code == 0 and result.stub is None, f"{name}: exit {result.exit_code}, stub {result.stub}")
        check(os.path.isdir(world.working_folder(app)), f"{name}: the working folder was removed")
        shutil.rmtree(world.working_folder(app), ignore_errors=True)
    check(not [p for p in files_below(os.path.join(world.prefix, "drive_c"), "UserInfo.txt")],
          "a user info file was written outside the working folder")


@scenario
def thousands_of_entries(world):
    # A description listing two thousand files: all arrive, the run completes.
    app = "Many"
    count = 2000
    site = standard_site(world, app, [("tiny.txt", b"t")])
    files = [("/FinalSetup.exe", "FinalSetup.exe")] + [("/tiny.txt", f"f{i:04}.txt") for i in range(count)]
    put_description(world, app, sites=[site], files=files)
    result = world.run(world.program(f"Setup_{app}_1.exe"), timeout=280)
    check(result.exit_code == 0 and result.boxes == [], f"exit {result.exit_code}, boxes {result.box_texts}")
    stub_files = (result.stub or {}).get("files", [])
    check(len(stub_files) == count + 3, f"{len(stub_files)} files in the working folder, expected {count + 3}")
    check(not os.path.exists(world.working_folder(app)), "working folder still on disk")


if __name__ == "__main__":
    sys.exit(e2e.main(SCENARIOS))
