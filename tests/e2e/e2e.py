#!/usr/bin/env python3
"""Whole runs of the bootstrapper under Wine, one scenario per call:

    e2e.py BUILD_DIR SCENARIO       (e2e.py BUILD_DIR --list names them)

Each scenario sets up the hosts and the program folder, runs the real program with the
user robot beside it, and checks what the user saw, what reached the servers and what is
left on disk. Exit code 0 when every check held.
"""
import datetime
import os
import shutil
import sys

from harness import Bootstrap, win_path

SCENARIOS = {}
FAILURES = []


def scenario(fn):
    SCENARIOS[fn.__name__] = fn
    return fn


def check(condition, message):
    if not condition:
        FAILURES.append(message)
        print("FAILED:", message)


# A host counts as holding the description only when it announces 1000 bytes or more, so
# every test description carries enough comment lines to make its container that large.
PADDING = "".join(f"// padding line {i:02} of the test description, removed with the comments\n" for i in range(10))


def description(files=(), sites=(), user_info="UserInfo.txt", program="FinalSetup.exe", extra=""):
    text = "// Setup description of a test run\n" + PADDING
    text += extra
    text += "[Files to download]\n" + "".join(f"{s} -> {d}\n" for s, d in files)
    text += "[Download Sites]\n" + "".join(f"{s}\n" for s in sites)
    if user_info is not None:
        text += f"[User Info Filename]\n{user_info}\n"
    if program is not None:
        text += f"[Program to run]\n{program}\n"
    return text + "[End]\nEnd\n"


def standard_site(world, app, files, site_path=None):
    """Puts the stub and the given (name, bytes) files on a site of the primary host."""
    site_path = site_path or f"/sites/{app}"
    world.put_stub(world.primary, f"{site_path}/FinalSetup.exe")
    for name, data in files:
        world.put(world.primary, f"{site_path}/{name}", data)
    return world.site(site_path)


def expected_user_info(world, program, working_folder_win, site, app, time_text):
    users = "C:\\users\\" + os.path.basename(os.path.dirname(world.temp_folder()))
    blocks = [
        ("[Initial Setup Pathname]", win_path(program, world.prefix)),
        ("[Setup Temp Folder]", working_folder_win),
        ("[Download Site]", site),
        ("[Start Menu Folder]", users + "\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs"),
        ("[Desktop Folder]", users + "\\Desktop"),
        ("[My Documents Folder]", users + "\\Documents"),
        ("[Application Name]", app),
        ("[Installed on GM Time]", time_text),
    ]
    text = "// User specific info.\n\n"
    for tag, value in blocks:
        text += f"{tag}\n{value}\n\n"
    return text + "[End]\nEnd\n"


def user_info_time(user_info):
    lines = user_info.split("\n")
    return lines[24] if len(lines) > 25 else ""  # the value of the eighth block


@scenario
def normal_download(world):
    app = "Organizer"
    readme = b"Read me first.\n" * 200
    data = bytes(range(256)) * 40
    site = standard_site(world, app, [("readme.txt", readme), ("data.bin", data)])
    world.put(world.primary, f"/downloads/Setups/{app}/SetupInitial.eif", world.pack(description(
        files=[("/FinalSetup.exe", "FinalSetup.exe"), ("/readme.txt", "Readme.txt"), ("/data.bin", "Data.bin")],
        sites=[site])))
    program = world.program(f"Setup_{app}_1.exe")
    result = world.run(program, stub_sleep_ms=6500)

    check(result.exit_code == 0, f"exit code {result.exit_code}")
    check(result.boxes == [], f"message boxes: {result.box_texts}")
    stub = result.stub
    check(stub is not None, "the final setup did not run")
    if stub:
        working = world.working_folder(app)
        working_win = win_path(working, world.prefix)
        check(stub["cwd"].lower().rstrip("\\") == working_win.lower(), f"final setup ran in {stub['cwd']}")
        check(sorted(stub["files"]) == sorted(["SetupInitial.eif", "FinalSetup.exe", "Readme.txt", "Data.bin",
                                               "UserInfo.txt"]), f"working folder held {stub['files']}")
        info = stub["userinfo"] or ""
        time_text = user_info_time(info)
        expected = expected_user_info(world, program, working_win, site, app, time_text)
        check(info == expected, f"user info file:\n{info!r}\nexpected:\n{expected!r}")
        check(info.count("\n") == 28 and "\r" not in info, "user info file is not 28 LF lines")
        when = datetime.datetime.strptime(time_text, "%d-%m-%Y %H:%M:%S").replace(tzinfo=datetime.timezone.utc)
        now = datetime.datetime.now(datetime.timezone.utc)
        check(abs((now - when).total_seconds()) < 120, f"installation time {time_text} is not UTC now")
    check(result.elapsed >= 6.0, f"the run ended {result.elapsed:.1f}s after start, before the final setup did")
    check(not os.path.exists(world.working_folder(app)), "working folder still on disk")
    check(os.path.isdir(os.path.dirname(world.working_folder(app))), "Quillmoor's Projects folder was removed")
    # The window exists a moment before its initialisation gives it its title.
    titles = {s["title"] for s in result.progress_states if s and s["title"]}
    check(titles == {"Quillmoor's Projects"}, f"progress window titles {titles}")
    check(any(s and s["topmost"] for s in result.progress_states), "progress window was never topmost")
    check(any(s and s["visible"] and s.get("bannerPainted") for s in result.progress_states),
          "the banner was never painted while the window showed")
    agents = [r for r in result.requests if "Quillmoor's Downloader" in r]
    check(len(agents) == len(result.requests) and agents, "requests without the user agent")


@scenario
def range_is_sum_of_sizes(world):
    # The bar's range is only observable while a message box pumps the window's thread:
    # the last listed file is missing, so the run stops with a box after the others arrived.
    app = "Ranger"
    files = [("a.bin", b"a" * 3000), ("b.bin", b"b" * 5000)]
    site = standard_site(world, app, files)
    world.put(world.primary, f"/downloads/Setups/{app}/SetupInitial.eif", world.pack(description(
        files=[("/a.bin", "a.bin"), ("/b.bin", "b.bin"), ("/missing.bin", "Missing.bin")], sites=[site])))
    result = world.run(world.program(f"Setup_{app}_1.exe"))
    check(result.box_texts == [(f"Setup_{app}_1", "Error: Failed to download Missing.bin")],
          f"boxes {result.box_texts}")
    if result.boxes:
        progress = result.boxes[0]["progress"]
        # nginx's page for the missing file announces 200 bytes; the probes add it in.
        check(progress and progress["high"] == 3000 + 5000 + 200, f"progress at the box: {progress}")
        check(progress and progress["pos"] == 3000 + 5000 + 1, f"progress at the box: {progress}")
        check(progress and progress["topmost"], "progress window not topmost while the box shows")
    check(result.exit_code == 0, f"exit code {result.exit_code}")
    check(not os.path.exists(world.working_folder(app)), "working folder still on disk")


@scenario
def local_mode(world):
    app = "Localized"
    site = standard_site(world, app, [("listed.txt", b"L" * 1500)])
    text = description(files=[("/FinalSetup.exe", "FinalSetup.exe"), ("/listed.txt", "listed.txt"),
                              ("/not-on-site.txt", "copied.txt")], sites=[site],
                       extra="[Download Initial Setup]\nNo\n")
    with open(os.path.join(world.program_folder, "SetupInitial.eif"), "wb") as f:
        f.write(world.pack(text))
    with open(os.path.join(world.program_folder, "copied.txt"), "w") as f:
        f.write("from the program folder")
    os.makedirs(os.path.join(world.program_folder, "subfolder"))
    program = world.program(f"Setup_{app}_1.exe")
    result = world.run(program)
    check(result.exit_code == 0, f"exit code {result.exit_code}")
    check(result.boxes == [], f"boxes {result.box_texts}")
    stub = result.stub
    check(stub is not None, "final setup did not run")
    if stub:
        expected = {"SetupInitial.eif", f"Setup_{app}_1.exe", "copied.txt", "FinalSetup.exe", "listed.txt",
                    "UserInfo.txt"}
        check(set(stub["files"]) == expected, f"working folder held {stub['files']}")
    check(not any("/downloads/Setups/" in r for r in result.requests), "the description was downloaded")


@scenario
def download_path_from_local_description(world):
    app = "Pathed"
    site = standard_site(world, app, [])
    world.put(world.primary, "/custom/place/SetupInitial.eif", world.pack(description(
        files=[("/FinalSetup.exe", "FinalSetup.exe")], sites=[site])))
    local = description(extra="[Download Initial Setup]\nno\n[Download Path]\n/custom/place\n")
    with open(os.path.join(world.program_folder, "SetupInitial.eif"), "wb") as f:
        f.write(world.pack(local))
    result = world.run(world.program(f"Setup_{app}_1.exe"))
    check(result.exit_code == 0 and result.boxes == [], f"exit {result.exit_code}, boxes {result.box_texts}")
    check(any("GET /custom/place/SetupInitial.eif" in r for r in result.requests), "Download Path not used")
    check(result.stub is not None, "final setup did not run")


@scenario
def secondary_host(world):
    app = "Mirrored"
    site = standard_site(world, app, [])
    world.put(world.primary, f"/downloads/Setups/{app}/SetupInitial.eif", b"x" * 999)
    world.put(world.secondary, f"/downloads/Setups/{app}/SetupInitial.eif", world.pack(description(
        files=[("/FinalSetup.exe", "FinalSetup.exe")], sites=[site])))
    result = world.run(world.program(f"Setup_{app}_7.exe"))
    check(result.exit_code == 0 and result.boxes == [], f"exit {result.exit_code}, boxes {result.box_texts}")
    check(result.stub is not None, "final setup did not run")


@scenario
def site_selection(world):
    app = "Chooser"
    # The first site announces exactly 1000 bytes for the first file: not enough.
    world.put_stub(world.primary, "/one/FinalSetup.exe")
    world.put(world.primary, "/one/first.bin", b"1" * 1000)
    world.put_stub(world.primary, "/two/FinalSetup.exe")
    world.put(world.primary, "/two/first.bin", b"2" * 1001)
    world.put(world.primary, f"/downloads/Setups/{app}/SetupInitial.eif", world.pack(description(
        files=[("/first.bin", "first.bin"), ("/FinalSetup.exe", "FinalSetup.exe")],
        sites=[world.site("/one"), world.site("/two")])))
    result = world.run(world.program(f"Setup_{app}_1.exe"))
    check(result.exit_code == 0 and result.boxes == [], f"exit {result.exit_code}, boxes {result.box_texts}")
    info = (result.stub or {}).get("userinfo") or ""
    check(f"[Download Site]\n{world.site('/two')}\n" in info, "second site not chosen")
    check(not any("GET /one/FinalSetup.exe" in r for r in result.requests), "files fetched from the first site")


def failure(world, app, expect_boxes, setup, program_name=None, keep_working=False):
    setup(world, app)
    result = world.run(world.program(program_name or f"Setup_{app}_1.exe"))
    caption = (program_name or f"Setup_{app}_1.exe")[:-4]
    expected = [(c if c is not None else caption, t) for c, t in expect_boxes]
    check(result.box_texts == expected, f"boxes {result.box_texts}, expected {expected}")
    for box in result.boxes:
        check(box["icon"], f"box {box['text']!r} has no warning icon")
    check(result.exit_code == 0, f"exit code {result.exit_code}")
    check(os.path.exists(world.working_folder(app)) == keep_working,
          "working folder " + ("removed" if keep_working else "still on disk"))
    check(result.stub is None, "the final setup ran")
    return result


@scenario
def fail_local_description_unreadable(world):
    def setup(w, app):
        text = description().replace("[End]\nEnd\n", "")
        with open(os.path.join(w.program_folder, "SetupInitial.eif"), "wb") as f:
            f.write(w.pack(text))
        w.put(w.primary, f"/downloads/Setups/{app}/SetupInitial.eif", w.pack(description()))
    failure(world, "Broken", [("Ini Parser", "Tag 'End' not found."),
                              (None, "Error opening the local initial setup eif.")], setup)


@scenario
def fail_no_description_on_hosts(world):
    def setup(w, app):
        w.put(w.primary, f"/downloads/Setups/{app}/SetupInitial.eif", b"x" * 999)
        w.put(w.secondary, f"/downloads/Setups/{app}/SetupInitial.eif", b"y" * 10)
    failure(world, "Nowhere", [(None, "Error: Download site not found.")], setup)


@scenario
def fail_description_not_a_container(world):
    def setup(w, app):
        w.put(w.primary, f"/downloads/Setups/{app}/SetupInitial.eif", b"not a container " * 100)
    failure(world, "Garbled", [(None, "Error opening the initial setup eif.")], setup)


@scenario
def fail_description_download(world):
    # The host announces a large page for the description, but it is an error page.
    def setup(w, app):
        w.nginx.error_page(404, "404 Not Found", 1500)
    result = failure(world, "Paged", [(None, "Error: Failed to download.")], setup)
    check(result.elapsed > 7.5, f"four attempts with pauses took only {result.elapsed:.1f}s")


@scenario
def fail_no_site(world):
    def setup(w, app):
        w.put(w.primary, "/small/first.bin", b"s" * 1000)
        w.put(w.primary, f"/downloads/Setups/{app}/SetupInitial.eif", w.pack(description(
            files=[("/first.bin", "first.bin")], sites=[w.site("/small"), "127.0.0.1:9/closed"])))
    failure(world, "Siteless", [(None, "Error: Download site not found.")], setup)


@scenario
def fail_missing_subfolder(world):
    def setup(w, app):
        site = standard_site(w, app, [("Readme.txt", b"r" * 2000)])
        w.put(w.primary, f"/downloads/Setups/{app}/SetupInitial.eif", w.pack(description(
            files=[("/Readme.txt", "Data\\Readme.txt")], sites=[site])))
    failure(world, "Nested", [(None, "Error: Failed to download Data\\Readme.txt")], setup)


@scenario
def fail_destination_outside_working_folder(world):
    def setup(w, app):
        site = standard_site(w, app, [("evil.txt", b"e" * 2000)])
        w.put(w.primary, f"/downloads/Setups/{app}/SetupInitial.eif", w.pack(description(
            files=[("/evil.txt", "..\\evil.txt")], sites=[site])))
    failure(world, "Escaper", [(None, "Error: Failed to download ..\\evil.txt")], setup)
    check(not os.path.exists(os.path.join(os.path.dirname(world.working_folder("Escaper")), "evil.txt")),
          "a file was written outside the working folder")


@scenario
def fail_user_info_file(world):
    def setup(w, app):
        site = standard_site(w, app, [])
        w.put(w.primary, f"/downloads/Setups/{app}/SetupInitial.eif", w.pack(description(
            files=[("/FinalSetup.exe", "FinalSetup.exe")], sites=[site], user_info=None)))
    failure(world, "Infoless", [("Ini Parser", "Tag 'User Info Filename' not found."),
                                (None, "Error: Failed to create User Info File.")], setup, keep_working=True)
    check(os.path.exists(os.path.join(world.working_folder("Infoless"), "FinalSetup.exe")),
          "downloaded files are gone")
    shutil.rmtree(os.path.dirname(world.working_folder("Infoless")) + "/InfolessSetup", ignore_errors=True)


@scenario
def fail_final_setup_not_started(world):
    def setup(w, app):
        site = standard_site(w, app, [])
        w.put(w.primary, f"/downloads/Setups/{app}/SetupInitial.eif", w.pack(description(
            files=[("/FinalSetup.exe", "FinalSetup.exe")], sites=[site], program="NoSuchProgram.exe")))
    result = failure(world, "Startless", [(None, "Error: Failed to start the final setup.")], setup)
    if result.boxes:
        check(result.boxes[0]["progress"] is None, "progress window still there when the start failed")


@scenario
def fail_working_folder(world):
    projects = os.path.dirname(world.working_folder("Blocked"))
    blocker = os.path.join(projects, "BlockedSetup")
    shutil.rmtree(blocker, ignore_errors=True)
    os.makedirs(projects, exist_ok=True)
    open(blocker, "w").close()  # a file where the working folder belongs
    try:
        world.put(world.primary, "/downloads/Setups/Blocked/SetupInitial.eif", world.pack(description()))
        result = world.run(world.program("Setup_Blocked_1.exe"))
        check(result.box_texts == [("Setup_Blocked_1", "Error: Failed to create the Windows temp subfolder.")],
              f"boxes {result.box_texts}")
        check(result.exit_code == 0, f"exit code {result.exit_code}")
    finally:
        os.remove(blocker)


@scenario
def application_name_local(world):
    # Without two separate underscores the application name is Local.
    for name in ("Setup.exe", "Setup__1.exe", "Setup_Organizer.exe"):
        site = standard_site(world, "Local", [])
        world.put(world.primary, "/downloads/Setups/Local/SetupInitial.eif", world.pack(description(
            files=[("/FinalSetup.exe", "FinalSetup.exe")], sites=[site])))
        result = world.run(world.program(name))
        check(result.exit_code == 0 and result.boxes == [], f"{name}: exit {result.exit_code}, {result.box_texts}")
        stub = result.stub or {}
        check(stub.get("cwd", "").rstrip("\\").endswith("\\Quillmoor's Projects\\LocalSetup"),
              f"{name}: final setup ran in {stub.get('cwd')}")
        os.remove(os.path.join(world.program_folder, name))


@scenario
def application_name_with_blanks(world):
    app = "My Tools"
    site = standard_site(world, "mytools", [])
    world.put(world.primary, f"/downloads/Setups/{app}/SetupInitial.eif", world.pack(description(
        files=[("/FinalSetup.exe", "FinalSetup.exe")], sites=[site])))
    result = world.run(world.program(f"Setup_{app}_2.exe"))
    check(result.exit_code == 0 and result.boxes == [], f"exit {result.exit_code}, boxes {result.box_texts}")
    info = (result.stub or {}).get("userinfo") or ""
    check("[Application Name]\nMy Tools\n" in info, "application name with blanks not carried")


class Skip(Exception):
    """Raised by a scenario that cannot run on this machine; it says why."""


SKIP = 77  # the exit code CTest takes for a skipped test


def main(scenarios=SCENARIOS):
    """Runs the scenario named on the command line (or lists them); the process's exit code."""
    build = os.path.abspath(sys.argv[1])
    if sys.argv[2] == "--list":
        print("\n".join(scenarios))
        return 0
    name = sys.argv[2]
    world = Bootstrap(build, name)
    try:
        scenarios[name](world)
    except Skip as why:
        print(f"{name}: SKIPPED: {why}")
        return SKIP
    if FAILURES:
        print(f"{name}: {len(FAILURES)} check(s) failed")
        return 1
    print(f"{name}: passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
