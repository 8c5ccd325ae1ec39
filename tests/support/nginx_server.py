#!/usr/bin/env python3
"""Debian's nginx serving a document root on a loopback port, for tests.

Usage:
  nginx_server.py start --root DIR --scratch DIR --port-file FILE [--error-page CODE=FILE ...]
  nginx_server.py stop --scratch DIR
start writes its own configuration, pid, logs and temporary folders into the scratch folder,
lets the system choose a free 127.0.0.1 port (retrying if another program takes it first),
starts /usr/sbin/nginx in the background, writes the port to FILE and returns once nginx
answers. An --error-page makes nginx answer that status with the given file (served with
its Content-Length), e.g. --error-page 404=/path/404.html. Works as root and as other users.
stop ends the nginx that start left in that scratch folder.
"""

import argparse
import os
import signal
import socket
import subprocess
import sys
import time

NGINX = "/usr/sbin/nginx"

CONFIG = """\
{user}
worker_processes 1;
pid {scratch}/nginx.pid;
error_log {scratch}/error.log warn;
daemon on;
events {{ worker_connections 64; }}
http {{
    access_log {scratch}/access.log;
    client_body_temp_path {scratch}/tmp/body;
    proxy_temp_path {scratch}/tmp/proxy;
    fastcgi_temp_path {scratch}/tmp/fastcgi;
    uwsgi_temp_path {scratch}/tmp/uwsgi;
    scgi_temp_path {scratch}/tmp/scgi;
    default_type application/octet-stream;
    sendfile on;
    keepalive_timeout 5;
    server {{
        listen 127.0.0.1:{port};
        server_name localhost;
        root {root};
{error_pages}
    }}
}}
"""


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def answers(port):
    try:
        with socket.create_connection(("127.0.0.1", port), timeout=0.5):
            return True
    except OSError:
        return False


def start(args):
    scratch = os.path.abspath(args.scratch)
    os.makedirs(os.path.join(scratch, "tmp"), exist_ok=True)
    error_pages = []
    for i, entry in enumerate(args.error_page or []):
        code, path = entry.split("=", 1)
        path = os.path.abspath(path)
        name = "/_error_%s_%d%s" % (code, i, os.path.splitext(path)[1])
        error_pages.append("        error_page %s %s;\n"
                           "        location = %s {\n"
                           "            internal;\n"
                           "            alias %s;\n"
                           "        }" % (code, name, name, path))
    user = ""
    if os.geteuid() == 0:
        import grp
        import pwd
        user = "user %s %s;" % (pwd.getpwuid(0).pw_name, grp.getgrgid(0).gr_name)
    conf = os.path.join(scratch, "nginx.conf")
    log = open(os.path.join(scratch, "nginx-start.log"), "ab")
    for _ in range(10):
        port = free_port()
        with open(conf, "w") as f:
            f.write(CONFIG.format(user=user, scratch=scratch, root=os.path.abspath(args.root),
                                  port=port, error_pages="\n".join(error_pages)))
        rc = subprocess.call([NGINX, "-p", scratch, "-e", os.path.join(scratch, "error.log"), "-c", conf],
                             stdin=subprocess.DEVNULL, stdout=log, stderr=log)
        if rc != 0:
            continue  # most likely the port was taken meanwhile
        for _ in range(50):
            if answers(port):
                tmp = args.port_file + ".tmp"
                with open(tmp, "w") as f:
                    f.write("%d\n" % port)
                os.replace(tmp, args.port_file)
                return 0
            time.sleep(0.1)
        stop(args)
    sys.stderr.write("nginx did not start; see %s\n" % scratch)
    return 1


def stop(args):
    pid_file = os.path.join(os.path.abspath(args.scratch), "nginx.pid")
    try:
        pid = int(open(pid_file).read().strip())
    except (OSError, ValueError):
        return 0
    try:
        os.kill(pid, signal.SIGTERM)
    except ProcessLookupError:
        return 0
    for _ in range(50):
        try:
            os.kill(pid, 0)
        except ProcessLookupError:
            break
        time.sleep(0.1)
    return 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    sub = parser.add_subparsers(dest="command", required=True)
    p = sub.add_parser("start")
    p.add_argument("--root", required=True)
    p.add_argument("--scratch", required=True)
    p.add_argument("--port-file", required=True)
    p.add_argument("--error-page", action="append", metavar="CODE=FILE")
    p = sub.add_parser("stop")
    p.add_argument("--scratch", required=True)
    args = parser.parse_args()
    return start(args) if args.command == "start" else stop(args)


if __name__ == "__main__":
    sys.exit(main())
