#!/usr/bin/env python3
"""eiftool preflight under Wine against real servers on loopback: nginx (with a 1200-byte
"404" error page) and the scripted server (which answers a missing file with an empty 404),
both on ports the system chooses.

    preflight_test.py CASE BUILD_DIR SOURCE_DIR

Cases:
  run_would_fail       a host without the description, then one with it; the chosen site
                       lacks a file, another answers a missing file with an error page
  run_would_succeed    the first site lacks the first file, the second has every file
  description_is_an_error_page   the only host answers with its error page
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SUPPORT = os.path.join(HERE, "..", "support")

FILES = {"FinalSetup.exe": 2000, "Readme.txt": 1500, "Data.bin": 5000}
ERROR_PAGE_HEAD = b"<html><head><title>404 Not Found</title></head><body><h1>Not Found</h1>"
ERROR_PAGE = ERROR_PAGE_HEAD + b" " * (1200 - len(ERROR_PAGE_HEAD) - 14) + b"</body></html>"


def fail(message):
    sys.exit("FAIL: " + message)


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def description(sites):
    """A description of the three files from the sites, padded so its container passes 1000 bytes."""
    lines = ["// preflight test description"] + ["// padding so that the container reaches 1000 bytes"] * 10
    lines += ["[Files to download]"] + ["/%s -> %s" % (name, name) for name in FILES]
    lines += ["", "[Download Sites]"] + sites + ["", "[User Info Filename]", "UserInfo.txt",
                                                  "[Program to run]", "FinalSetup.exe", "[End]", "End", ""]
    return "\n".join(lines).encode("ascii")


class Servers:
    def __init__(self, work):
        self.work = work
        self.nginx_root = os.path.join(work, "nginx-root")
        self.scripted_root = os.path.join(work, "scripted-root")
        os.makedirs(self.nginx_root)
        os.makedirs(self.scripted_root)
        write(os.path.join(work, "404.html"), ERROR_PAGE)
        self.procs = []

    def start(self):
        port_file = os.path.join(self.work, "scripted.port")
        log = open(os.path.join(self.work, "scripted.log"), "ab")
        self.scripted_proc = subprocess.Popen(
            [sys.executable, os.path.join(SUPPORT, "scripted_server.py"), "--port", "0", "--port-file", port_file,
             "--root", self.scripted_root], stdin=subprocess.DEVNULL, stdout=log, stderr=log)
        nginx_port_file = os.path.join(self.work, "nginx.port")
        rc = subprocess.call([sys.executable, os.path.join(SUPPORT, "nginx_server.py"), "start",
                              "--root", self.nginx_root, "--scratch", os.path.join(self.work, "nginx"),
                              "--port-file", nginx_port_file, "--error-page",
                              "404=" + os.path.join(self.work, "404.html")], stdin=subprocess.DEVNULL)
        if rc != 0:
            fail("nginx did not start")
        self.scripted = "127.0.0.1:" + self.wait_for(port_file)
        self.nginx = "127.0.0.1:" + self.wait_for(nginx_port_file)

    @staticmethod
    def wait_for(path):
        for _ in range(200):
            if os.path.exists(path) and open(path).read().strip():
                return open(path).read().strip()
            time.sleep(0.05)
        fail("no port in " + path)

    def stop(self):
        if getattr(self, "scripted_proc", None):
            self.scripted_proc.terminate()
            self.scripted_proc.wait()
        subprocess.call([sys.executable, os.path.join(SUPPORT, "nginx_server.py"), "stop",
                         "--scratch", os.path.join(self.work, "nginx")], stdin=subprocess.DEVNULL)


def put_site(root, folder, names):
    for name in names:
        write(os.path.join(root, folder, name), bytes(i % 251 for i in range(FILES[name])))


def eiftool(build, work, *args):
    """Runs eiftool under Wine with its output in files (no pipe for Wine's helpers to keep)."""
    out_path, err_path = os.path.join(work, "out.txt"), os.path.join(work, "err.txt")
    with open(out_path, "wb") as out, open(err_path, "wb") as err:
        rc = subprocess.call([os.path.join(build, "wine-run"), os.path.join(build, "eiftool.exe")] + list(args),
                             stdin=subprocess.DEVNULL, stdout=out, stderr=err, cwd=work)
    text = open(out_path, encoding="utf-8", errors="replace").read().replace("\r\n", "\n")
    text += open(err_path, encoding="utf-8", errors="replace").read().replace("\r\n", "\n")
    print("eiftool %s -> %d\n%s" % (" ".join(args), rc, text))
    return rc, text


def expect(text, *pieces):
    for piece in pieces:
        if piece not in text:
            fail("output lacks %r" % piece)


def row(text, start):
    """The output line that starts (after its indent) with start."""
    for line in text.split("\n"):
        if line.strip().startswith(start):
            return line
    fail("no line starting with %r" % start)


def pack(build, source, work, name, data):
    plain = os.path.join(work, name + ".ini")
    write(plain, data)
    container = os.path.join(work, name + ".eif")
    rc, _ = eiftool(build, work, "pack", os.path.join(source, "res", "demo-public-key.DEMO-ONLY.hex"), plain, container)
    if rc != 0:
        fail("pack failed")
    return container


def main():
    case, build, source = sys.argv[1], os.path.abspath(sys.argv[2]), os.path.abspath(sys.argv[3])
    key = os.path.join(source, "res", "demo-private-key.DEMO-ONLY.hex")
    work = tempfile.mkdtemp(prefix="preflight-")
    servers = Servers(work)
    try:
        servers.start()
        put_site(servers.nginx_root, "full", FILES)
        put_site(servers.nginx_root, "errors", ["FinalSetup.exe", "Readme.txt"])
        put_site(servers.scripted_root, "partial", ["FinalSetup.exe", "Readme.txt"])
        put_site(servers.scripted_root, "late", ["Readme.txt", "Data.bin"])
        served = os.path.join(servers.nginx_root, "downloads", "Setups", "Kit", "SetupInitial.eif")

        if case == "run_would_fail":
            sites = [servers.scripted + "/partial", servers.nginx + "/errors", servers.nginx + "/full"]
            container = pack(build, source, work, "fail", description(sites))
            write(served, open(container, "rb").read())
            rc, text = eiftool(build, work, "preflight", container, "--key", key, "--app", "Kit",
                               "--host", servers.scripted, "--host", servers.nginx)
            if rc != 1:
                fail("exit code %d, wanted 1" % rc)
            size = str(os.path.getsize(container))
            if "not there" not in row(text, servers.scripted + " "):
                fail("the host without the description is not reported as such")
            if size not in row(text, servers.nginx + " ") or "taken by a run" not in row(text, servers.nginx + " "):
                fail("the host with the description is not taken")
            expect(text, "site 1: %s/partial  (chosen)  (incomplete)" % servers.scripted,
                   "site 2: %s/errors  (incomplete)" % servers.nginx, "site 3: %s/full\n" % servers.nginx,
                   "progress bar runs from 0 to 3500 bytes",
                   'A run would fail: "Error: Failed to download Data.bin"')
            data_row = row(text, "/Data.bin -> Data.bin").split()
            if data_row[3:] != ["missing", "1200", "error", "page", "5000"]:
                fail("Data.bin's row is %r" % data_row)
        elif case == "run_would_succeed":
            sites = [servers.scripted + "/late", servers.nginx + "/full"]
            container = pack(build, source, work, "succeed", description(sites))
            write(served, open(container, "rb").read())
            rc, text = eiftool(build, work, "preflight", container, "--key", key, "--app", "Kit",
                               "--host", servers.nginx)
            if rc != 0:
                fail("exit code %d, wanted 0" % rc)
            expect(text, "site 1: %s/late  (incomplete)" % servers.scripted,
                   "site 2: %s/full  (chosen)\n" % servers.nginx,
                   "A run downloads 3 files from %s/full; its progress bar runs from 0 to 8500 bytes." % servers.nginx,
                   "A run would succeed.")
            if row(text, "/FinalSetup.exe -> FinalSetup.exe").split()[3:] != ["missing", "2000"]:
                fail("the first file's row is wrong")
        elif case == "description_is_an_error_page":
            container = pack(build, source, work, "page", description([servers.nginx + "/full"]))
            rc, text = eiftool(build, work, "preflight", container, "--key", key, "--app", "Kit",
                               "--host", servers.nginx)
            if rc != 1:
                fail("exit code %d, wanted 1" % rc)
            expect(text, "1200", "taken by a run, but it is an error page", 'A run would fail: "Error: Failed to download."')
        else:
            fail("unknown case " + case)
    finally:
        servers.stop()
        shutil.rmtree(work, ignore_errors=True)
    print("ok: " + case)
    return 0


if __name__ == "__main__":
    sys.exit(main())
