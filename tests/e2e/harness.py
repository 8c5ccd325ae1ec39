"""Drives whole runs of the real bootstrapper under Wine, as a user would.

A run gets two nginx hosts on loopback (the primary and the secondary download host that
the test build of the bootstrapper has compiled in), a program folder inside the Wine
prefix with the bootstrapper copied under the name the scenario gives, the user robot
(tests/support/robot.cpp) answering message boxes, and the final-setup stub
(tests/support/final_stub.cpp) as the program to run.
"""
import glob
import json
import os
import shutil
import signal
import subprocess
import time
import urllib.parse
import urllib.request

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(os.path.dirname(HERE))


def win_path(unix_path, prefix):
    """The Windows form of a Unix path: C: for the prefix's drive_c, Z: for the rest."""
    unix_path = os.path.abspath(unix_path)
    drive_c = os.path.join(prefix, "drive_c")
    if unix_path.startswith(drive_c + os.sep) or unix_path == drive_c:
        return "C:" + unix_path[len(drive_c):].replace("/", "\\") or "C:\\"
    return "Z:" + unix_path.replace("/", "\\")


class Nginx:
    """nginx on the given loopback ports, one document root each; stopped with stop()."""

    def __init__(self, work, roots):
        self.work = work
        self.conf = os.path.join(work, "nginx.conf")
        self.pid = os.path.join(work, "nginx.pid")
        servers = []
        for port, root in roots.items():
            servers.append(f"""
    server {{
        listen 127.0.0.1:{port};
        root {root};
        error_page 404 /_errors/404.html;
        location /_errors/ {{ internal; root {work}; }}
    }}""")
        os.makedirs(os.path.join(work, "_errors"), exist_ok=True)
        with open(self.conf, "w") as f:
            f.write(f"""
daemon on;
pid {self.pid};
error_log {work}/error.log;
worker_processes 1;
events {{ worker_connections 64; }}
http {{
    access_log {work}/access.log;
    client_body_temp_path {work}/tmp;
    proxy_temp_path {work}/tmp;
    fastcgi_temp_path {work}/tmp;
    uwsgi_temp_path {work}/tmp;
    scgi_temp_path {work}/tmp;
    default_type application/octet-stream;
    sendfile off;
    {''.join(servers)}
}}
""")
        os.makedirs(os.path.join(work, "tmp"), exist_ok=True)
        self.error_page(404, "404 Not Found", 200)

    def error_page(self, status, title, size):
        """The page nginx serves for a missing file, padded to size bytes."""
        body = f"<html><head><title>{title}</title></head><body><h1>{title}</h1>"
        body += " " * max(0, size - len(body) - len("</body></html>")) + "</body></html>"
        with open(os.path.join(self.work, "_errors", f"{status}.html"), "w") as f:
            f.write(body)

    def start(self):
        # The suite's ports are fixed (the test bootstrapper has them compiled in): when a
        # previous run's server is still letting go of them, wait for them a while.
        deadline = time.monotonic() + 60
        while subprocess.run(["/usr/sbin/nginx", "-c", self.conf, "-p", self.work], stdin=subprocess.DEVNULL,
                             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode != 0:
            if time.monotonic() > deadline:
                raise RuntimeError(f"nginx did not start; see {self.work}/error.log")
            time.sleep(0.5)
        for _ in range(100):
            if os.path.exists(self.pid):
                return
            time.sleep(0.02)
        raise RuntimeError("nginx did not start")

    def stop(self):
        try:
            pid = int(open(self.pid).read())
            os.kill(pid, signal.SIGQUIT)
            for _ in range(100):
                os.kill(pid, 0)
                time.sleep(0.02)
        except (OSError, ValueError):
            pass

    def requests(self):
        try:
            return open(os.path.join(self.work, "access.log")).read().splitlines()
        except OSError:
            return []


class ScriptedServer:
    """The misbehaving test server (tests/support/scripted_server.py) on a port of its own,
    serving root as its document root; a description names it as a site. stop() ends it
    politely, kill() as a crash would (SIGKILL)."""

    SCRIPT = os.path.join(SOURCE, "tests", "support", "scripted_server.py")

    def __init__(self, work, root):
        os.makedirs(work, exist_ok=True)
        self.root = root
        port_file = os.path.join(work, "scripted.port")
        if os.path.exists(port_file):
            os.remove(port_file)
        self.log = open(os.path.join(work, "scripted.log"), "w")
        self.proc = subprocess.Popen(["python3", self.SCRIPT, "--port-file", port_file, "--root", root],
                                     stdin=subprocess.DEVNULL, stdout=self.log, stderr=self.log)
        for _ in range(250):
            if os.path.exists(port_file):
                break
            time.sleep(0.02)
        else:
            self.kill()
            raise RuntimeError("scripted server did not start")
        self.port = int(open(port_file).read())

    def site(self, path=""):
        return f"127.0.0.1:{self.port}{path}"

    def requests(self, prefix="/"):
        """The requests the server has recorded (while it runs)."""
        url = f"http://127.0.0.1:{self.port}/_requests?prefix=" + urllib.parse.quote(prefix)
        with urllib.request.urlopen(url, timeout=5) as answer:
            return json.loads(answer.read())

    def kill(self):
        if self.proc.poll() is None:
            self.proc.kill()
        self.proc.wait()

    def stop(self):
        if self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.kill()


class Bootstrap:
    """One scenario's world: hosts, program folder, and the run of the bootstrapper."""

    def __init__(self, build, name):
        self.build = build
        self.name = name
        self.prefix = os.path.join(build, "wineprefix")
        self.work = os.path.join(build, "e2e", name)
        shutil.rmtree(self.work, ignore_errors=True)
        os.makedirs(self.work)
        self.primary_port = int(os.environ["SETUP_E2E_PRIMARY_PORT"])
        self.secondary_port = int(os.environ["SETUP_E2E_SECONDARY_PORT"])
        self.primary = os.path.join(self.work, "primary")
        self.secondary = os.path.join(self.work, "secondary")
        os.makedirs(self.primary)
        os.makedirs(self.secondary)
        self.nginx = Nginx(os.path.join(self.work, "nginx"),
                           {self.primary_port: self.primary, self.secondary_port: self.secondary})
        self.program_folder = os.path.join(self.prefix, "drive_c", "e2e", name)
        shutil.rmtree(self.program_folder, ignore_errors=True)
        os.makedirs(self.program_folder)
        self.wine_run = os.path.join(build, "wine-run")
        self.setup_exe = os.path.join(build, "Setup_e2e.exe")
        self.eiftool = os.path.join(build, "eiftool.exe")
        self.stub = os.path.join(build, "tests", "support", "final_stub.exe")
        self.robot = os.path.join(build, "tests", "support", "robot.exe")
        self.public_key = os.path.join(SOURCE, "res", "demo-public-key.DEMO-ONLY.hex")

    # --- the world -----------------------------------------------------------------

    def site(self, path):
        """A site (host:port/path, as a description writes it) on the primary host."""
        return f"127.0.0.1:{self.primary_port}{path}"

    def put(self, root, path, data):
        """Places a file on a host: root is self.primary or self.secondary."""
        full = os.path.join(root, path.lstrip("/"))
        os.makedirs(os.path.dirname(full), exist_ok=True)
        with open(full, "wb") as f:
            f.write(data if isinstance(data, bytes) else data.encode("latin-1"))
        return full

    def put_stub(self, root, path):
        full = os.path.join(root, path.lstrip("/"))
        os.makedirs(os.path.dirname(full), exist_ok=True)
        shutil.copy(self.stub, full)

    def pack(self, description_text, encoding="cp1252"):
        """A container of the description, made with the publisher's tool."""
        plain = os.path.join(self.work, f"description-{time.monotonic_ns()}.ini")
        out = plain[:-4] + ".eif"
        with open(plain, "wb") as f:
            f.write(description_text.encode(encoding))
        log = open(os.path.join(self.work, "eiftool.log"), "a")
        subprocess.run([self.wine_run, self.eiftool, "pack", win_path(self.public_key, self.prefix),
                        win_path(plain, self.prefix), win_path(out, self.prefix)],
                       check=True, stdin=subprocess.DEVNULL, stdout=log, stderr=log, timeout=120)
        return open(out, "rb").read()

    def program(self, file_name):
        """Copies the bootstrapper into the program folder under file_name."""
        path = os.path.join(self.program_folder, file_name)
        shutil.copy(self.setup_exe, path)
        return path

    def temp_folder(self):
        """The Unix path of the Wine user's temporary folder."""
        for candidate in glob.glob(os.path.join(self.prefix, "drive_c", "users", "*", "Temp")):
            if "/Public/" not in candidate:
                return candidate
        raise RuntimeError("no temporary folder in the Wine prefix")

    def working_folder(self, application):
        return os.path.join(self.temp_folder(), "Quillmoor's Projects", application + "Setup")

    # --- the run -------------------------------------------------------------------

    def scripted(self, root_name="scripted"):
        """A scripted server whose document root is a fresh folder of this scenario."""
        root = os.path.join(self.work, root_name)
        os.makedirs(root, exist_ok=True)
        return ScriptedServer(os.path.join(self.work, root_name + "-server"), root)

    def run(self, program_path, stub_sleep_ms=0, timeout=180, user_info="UserInfo.txt", extra_env=None):
        """Runs the bootstrapper with the robot beside it; returns a Result. extra_env adds
        environment variables (for the stub, for instance)."""
        robot_log = os.path.join(self.work, "robot.jsonl")
        stop_file = os.path.join(self.work, "robot.stop")
        report = os.path.join(self.work, "stub-report.json")
        for p in (robot_log, stop_file, report):
            if os.path.exists(p):
                os.remove(p)
        env = dict(os.environ)
        env["SETUP_STUB_REPORT"] = win_path(report, self.prefix)
        env["SETUP_STUB_USERINFO"] = user_info
        env["SETUP_STUB_SLEEP_MS"] = str(stub_sleep_ms)
        env.update(extra_env or {})
        out = open(os.path.join(self.work, "wine.log"), "w")
        self.nginx.start()
        robot = subprocess.Popen([self.wine_run, self.robot, win_path(robot_log, self.prefix),
                                  win_path(stop_file, self.prefix)],
                                 stdin=subprocess.DEVNULL, stdout=out, stderr=out, env=env)
        try:
            for _ in range(500):
                if os.path.exists(robot_log) and os.path.getsize(robot_log) > 0:
                    break
                time.sleep(0.02)
            started = time.time()
            proc = subprocess.run([self.wine_run, program_path], stdin=subprocess.DEVNULL, stdout=out,
                                  stderr=out, env=env, timeout=timeout)
            elapsed = time.time() - started
        finally:
            open(stop_file, "w").close()
            try:
                robot.wait(timeout=20)
            except subprocess.TimeoutExpired:
                robot.kill()
            self.nginx.stop()
        events = [json.loads(line) for line in open(robot_log, encoding="utf-8") if line.strip()]
        stub = json.load(open(report, encoding="utf-8")) if os.path.exists(report) else None
        return Result(proc.returncode, elapsed, events, stub, self.nginx.requests(), started)


class Result:
    def __init__(self, exit_code, elapsed, events, stub, requests, started):
        self.exit_code = exit_code
        self.elapsed = elapsed
        self.events = events
        self.stub = stub
        self.requests = requests
        self.started = started

    @property
    def boxes(self):
        return [e for e in self.events if e["kind"] == "box"]

    @property
    def box_texts(self):
        return [(b["caption"], b["text"]) for b in self.boxes]

    @property
    def progress_states(self):
        return [e["state"] for e in self.events if e["kind"] == "progress"]
