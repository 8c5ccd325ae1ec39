#!/usr/bin/env python3
"""A whole bootstrap on this machine: a local nginx serves the demo site, the demo build
of the bootstrapper (its hosts point at that nginx) runs under Wine as Setup_Demo_1.exe,
and this script prints what happened.

    run_demo.py BUILD_DIR
"""
import json
import os
import shutil
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(os.path.dirname(HERE), "tests", "e2e"))
from harness import Bootstrap, win_path  # noqa: E402


def preflight(world, container, port):
    """eiftool preflight on the demo's host and site, before the run (SETUP_DEMO_PREFLIGHT=1)."""
    world.nginx.start()
    log = os.path.join(world.work, "preflight.txt")
    with open(log, "w") as out:  # a file, not a pipe: Wine's helpers would keep a pipe open
        subprocess.call([world.wine_run, world.eiftool, "preflight", win_path(container, world.prefix), "--app", "Demo",
                         "--host", f"127.0.0.1:{port}"], stdin=subprocess.DEVNULL, stdout=out, stderr=out)
    world.nginx.stop()
    open(os.path.join(world.nginx.work, "access.log"), "w").close()  # the run's requests only
    print("eiftool preflight:\n" + open(log, encoding="utf-8", errors="replace").read())


def main():
    build = os.path.abspath(sys.argv[1])
    os.environ.setdefault("SETUP_E2E_PRIMARY_PORT", os.environ.get("SETUP_DEMO_PORT", "18080"))
    os.environ.setdefault("SETUP_E2E_SECONDARY_PORT", str(int(os.environ["SETUP_E2E_PRIMARY_PORT"]) + 1))
    world = Bootstrap(build, "demo")
    world.setup_exe = os.path.join(build, "Setup_demo.exe")
    port = world.primary_port

    text = open(os.path.join(HERE, "SetupInitial.ini"), encoding="utf-8").read().replace("@PORT@", str(port))
    served = world.put(world.primary, "/downloads/Setups/Demo/SetupInitial.eif", world.pack(text))
    world.put_stub(world.primary, "/sites/Demo/FinalSetup.exe")
    world.put(world.primary, "/sites/Demo/Readme.txt", open(os.path.join(HERE, "site", "Readme.txt"), "rb").read())
    world.put(world.primary, "/sites/Demo/Organizer.dat", bytes(i % 251 for i in range(3 * 1024 * 1024)))

    if os.environ.get("SETUP_DEMO_PREFLIGHT"):
        preflight(world, served, port)

    program = world.program("Setup_Demo_1.exe")
    print(f"Serving the demo site on http://127.0.0.1:{port}/ (nginx)")
    print(f"Running {win_path(program, world.prefix)} under Wine ...")
    result = world.run(program, stub_sleep_ms=1500)

    print(f"\nThe bootstrapper ended after {result.elapsed:.1f} s with exit code {result.exit_code}.")
    print("\nRequests the web server saw:")
    for line in result.requests:
        request = line.split('"')[1] if '"' in line else line
        status = line.split('"')[2].split()[:2] if line.count('"') >= 2 else []
        print(f"  {request:60} {' '.join(status)}")
    if result.boxes:
        print("\nMessage boxes:")
        for box in result.boxes:
            print(f"  [{box['caption']}] {box['text']}")
    stub = result.stub
    if stub:
        print(f"\nThe final setup started in {stub['cwd']}")
        print(f"  command line: {stub['cmdline']}")
        print("  files beside it: " + ", ".join(sorted(stub["files"])))
        print("\nThe user info file it found:")
        for line in (stub.get("userinfo") or "").split("\n"):
            print("  | " + line)
    else:
        print("\nThe final setup did not run.")
    working = world.working_folder("Demo")
    gone = not os.path.exists(working)
    print(f"\nWorking folder {win_path(working, world.prefix)}: {'removed' if gone else 'STILL THERE'}")
    ok = result.exit_code == 0 and stub is not None and gone and not result.boxes
    print("\nDemo " + ("completed: a whole bootstrap." if ok else "did not complete."))
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
