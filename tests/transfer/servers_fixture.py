#!/usr/bin/env python3
"""Starts and stops the HTTP servers of the transfer tests (a CTest fixture pair).

  servers_fixture.py start DIR   prepares DIR (document root, error page, the full-volume
                                 folder), starts the scripted server and nginx on loopback
                                 ports the system chooses, and writes DIR/servers.env
  servers_fixture.py stop DIR    stops both

servers.env holds KEY=VALUE lines: SCRIPTED_PORT, NGINX_PORT, CLOSED_PORT (a loopback port
nobody listens on), DOCROOT (nginx's document root) and FULL_DIR (a folder whose "full.bin"
is a link to /dev/full, so every write to it fails as on a full volume, with a backup
"full.bin Before Download" beside it).
"""

import os
import signal
import socket
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SUPPORT = os.path.join(HERE, "..", "support")

BIG_SIZE = 50 * 1024 * 1024
ERROR_PAGE_SIZE = 1200


def pattern(size):
    block = bytes(range(256)) * 4096  # 1 MiB
    out = bytearray()
    while len(out) < size:
        out += block[:size - len(out)]
    return bytes(out)


def prepare(d):
    root = os.path.join(d, "docroot")
    os.makedirs(root, exist_ok=True)
    big = os.path.join(root, "big.bin")
    if not os.path.exists(big) or os.path.getsize(big) != BIG_SIZE:
        with open(big + ".tmp", "wb") as f:
            f.write(pattern(BIG_SIZE))
        os.replace(big + ".tmp", big)
    with open(os.path.join(root, "small.bin"), "wb") as f:
        f.write(pattern(4321))
    open(os.path.join(root, "empty.bin"), "wb").close()
    page = b"<html><head><title>404 Not Found</title></head><body><h1>Not Found</h1>"
    page += b" " * (ERROR_PAGE_SIZE - len(page) - len(b"</body></html>")) + b"</body></html>"
    with open(os.path.join(d, "404.html"), "wb") as f:
        f.write(page)

    full = os.path.join(d, "fullvolume")
    os.makedirs(full, exist_ok=True)
    link = os.path.join(full, "full.bin")
    if os.path.lexists(link):
        os.remove(link)
    os.symlink("/dev/full", link)
    with open(link + " Before Download", "wb") as f:
        f.write(b"old contents")
    return root, full


def closed_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait_for(path, seconds=10):
    end = time.time() + seconds
    while time.time() < end:
        if os.path.exists(path):
            return open(path).read().strip()
        time.sleep(0.05)
    raise SystemExit("no port file " + path)


def start(d):
    stop(d)
    os.makedirs(d, exist_ok=True)
    root, full = prepare(d)
    port_file = os.path.join(d, "scripted.port")
    if os.path.exists(port_file):
        os.remove(port_file)
    log = open(os.path.join(d, "scripted.log"), "ab")
    proc = subprocess.Popen([sys.executable, os.path.join(SUPPORT, "scripted_server.py"),
                             "--port-file", port_file, "--root", root],
                            stdin=subprocess.DEVNULL, stdout=log, stderr=log, start_new_session=True)
    with open(os.path.join(d, "scripted.pid"), "w") as f:
        f.write("%d\n" % proc.pid)
    scripted = wait_for(port_file)

    nginx_port_file = os.path.join(d, "nginx.port")
    rc = subprocess.call([sys.executable, os.path.join(SUPPORT, "nginx_server.py"), "start",
                          "--root", root, "--scratch", os.path.join(d, "nginx"),
                          "--port-file", nginx_port_file,
                          "--error-page", "404=" + os.path.join(d, "404.html")],
                         stdin=subprocess.DEVNULL)
    if rc != 0:
        return rc
    with open(os.path.join(d, "servers.env"), "w") as f:
        f.write("SCRIPTED_PORT=%s\nNGINX_PORT=%s\nCLOSED_PORT=%d\nDOCROOT=%s\nFULL_DIR=%s\n"
                % (scripted, wait_for(nginx_port_file), closed_port(), root, full))
    return 0


def stop(d):
    pid_file = os.path.join(d, "scripted.pid")
    if os.path.exists(pid_file):
        try:
            os.kill(int(open(pid_file).read()), signal.SIGTERM)
        except (ProcessLookupError, ValueError):
            pass
        os.remove(pid_file)
    if os.path.isdir(os.path.join(d, "nginx")):
        subprocess.call([sys.executable, os.path.join(SUPPORT, "nginx_server.py"), "stop",
                         "--scratch", os.path.join(d, "nginx")], stdin=subprocess.DEVNULL)
    return 0


if __name__ == "__main__":
    if len(sys.argv) != 3 or sys.argv[1] not in ("start", "stop"):
        sys.exit(__doc__)
    d = os.path.abspath(sys.argv[2])
    sys.exit(start(d) if sys.argv[1] == "start" else stop(d))
