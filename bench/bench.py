#!/usr/bin/env python3
"""The benchmarks of `make bench`, run by bench/run once everything is built:

    bench.py SHIP_BUILD TEST_BUILD PORT

Every case runs the bootstrapper and its floor side by side, several times, under Wine in
TEST_BUILD's prefix, against one nginx on 127.0.0.1:PORT (the port compiled into
Setup_bench.exe). The machine is shared and noisy, so each goal is a ratio of medians taken
in the same run. The table goes to stdout and, with the date, the machine and the command,
to bench/RESULTS.md. SETUP_BENCH_REPEAT sets the repetitions (default 5).
"""
import collections
import datetime
import os
import re
import shutil
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(HERE)
sys.path.insert(0, os.path.join(SOURCE, "tests", "e2e"))
from harness import Nginx, win_path  # noqa: E402

REPEAT = int(os.environ.get("SETUP_BENCH_REPEAT", "5"))
LARGE_SIZE = 50 * 1024 * 1024
SMALL_COUNT = 200
SMALL_SIZE = 20 * 1024
DESCRIPTION_ENTRIES = 5000
RUN_TIMEOUT = 300

GOAL_LARGE = 1.10
GOAL_MANY = 1.25
GOAL_STARTUP = 1.5
GOAL_DESCRIPTION_MS = 100.0
GOAL_SIZE = 1024 * 1024


def median(values):
    return statistics.median(values) if values else float("nan")


class Bench:
    def __init__(self, ship, build, port):
        self.ship = ship
        self.build = build
        self.port = port
        self.prefix = os.path.join(build, "wineprefix")
        self.wine_run = os.path.join(build, "wine-run")
        self.work = os.path.join(build, "bench-work")
        shutil.rmtree(self.work, ignore_errors=True)
        os.makedirs(self.work)
        self.root = os.path.join(self.work, "www")
        self.program_folder = os.path.join(self.prefix, "drive_c", "bench")
        shutil.rmtree(self.program_folder, ignore_errors=True)
        os.makedirs(self.program_folder)
        self.floor_folder = os.path.join(self.program_folder, "floor")
        self.log = open(os.path.join(self.work, "wine.log"), "w")
        self.nginx = Nginx(os.path.join(self.work, "nginx"), {port: self.root})
        self.exe = {name: os.path.join(build, "bench", name + ".exe")
                    for name in ("bench_floor_download", "bench_floor_dialog", "bench_startup_probe",
                                 "bench_description", "bench_pack", "bench_call_costs")}
        self.exe["Setup_bench"] = os.path.join(build, "Setup_bench.exe")
        self.exe["final_stub"] = os.path.join(build, "tests", "support", "final_stub.exe")

    # --- the world ---------------------------------------------------------------------

    def put(self, path, data):
        full = os.path.join(self.root, path.lstrip("/"))
        os.makedirs(os.path.dirname(full), exist_ok=True)
        with open(full, "wb") as f:
            f.write(data)

    def url(self, path):
        return f"http://127.0.0.1:{self.port}{path}"

    def pack(self, text, name):
        plain = os.path.join(self.work, name + ".ini")
        out = os.path.join(self.work, name + ".eif")
        with open(plain, "w", encoding="cp1252", newline="\n") as f:
            f.write(text)
        key = os.path.join(SOURCE, "res", "demo-public-key.DEMO-ONLY.hex")
        subprocess.run([self.wine_run, self.exe["bench_pack"], win_path(key, self.prefix),
                        win_path(plain, self.prefix), win_path(out, self.prefix)],
                       check=True, stdin=subprocess.DEVNULL, stdout=self.log, stderr=self.log, timeout=300)
        return out

    @staticmethod
    def description(site, files):
        # Hosts count a description as present from 1000 bytes on: comments pad a short one.
        text = "// Benchmark description\n" + "// padding to the size of a real description\n" * 24
        text += "[Files to download]\n"
        text += "".join(f"{source} -> {destination}\n" for source, destination in files)
        text += f"[Download Sites]\n{site}\n[User Info Filename]\nUserInfo.txt\n"
        return text + "[Program to run]\nFinalSetup.exe\n[End]\nEnd\n"

    def publish(self, app, site_path, files):
        """Serves a description for app listing files (name, bytes) and the final setup stub
        below site_path; returns the URLs of the listed files in list order."""
        stub = open(self.exe["final_stub"], "rb").read()
        listed = list(files) + [("FinalSetup.exe", stub)]
        for name, data in listed:
            self.put(f"{site_path}/{name}", data)
        site = f"127.0.0.1:{self.port}{site_path}"
        text = self.description(site, [(f"/{name}", name) for name, _ in listed])
        container = self.pack(text, app)
        self.put(f"/downloads/Setups/{app}/SetupInitial.eif", open(container, "rb").read())
        program = os.path.join(self.program_folder, f"Setup_{app}_1.exe")
        shutil.copy(self.exe["Setup_bench"], program)
        return program, [self.url(f"{site_path}/{name}") for name, _ in listed]

    def prepare(self):
        print("bench: preparing the files and descriptions ...", flush=True)
        pattern = bytes(range(256)) * 4096
        large = (pattern * (LARGE_SIZE // len(pattern) + 1))[:LARGE_SIZE]
        self.large_program, self.large_urls = self.publish("BenchLarge", "/sites/large", [("large.bin", large)])
        small = [(f"small{i:03d}.bin", bytes([(i + j) % 256 for j in range(256)]) * (SMALL_SIZE // 256))
                 for i in range(SMALL_COUNT)]
        self.many_program, self.many_urls = self.publish("BenchMany", "/sites/many", small)
        self.start_program, _ = self.publish("BenchStart", "/sites/start", [])
        self.floor_dialog = os.path.join(self.program_folder, "bench_floor_dialog.exe")
        shutil.copy(self.exe["bench_floor_dialog"], self.floor_dialog)
        entries = [(f"/files/{i:04d}/component{i:04d}.dat", f"component{i:04d}.dat")
                   for i in range(DESCRIPTION_ENTRIES)]
        self.big_description = self.pack(self.description("127.0.0.1/site", entries), "Reader5000")

    # --- runs --------------------------------------------------------------------------

    def wine(self, args, env=None, watch_memory=False):
        """Runs one Windows program to its end; returns (seconds, exit code, peak RSS bytes)."""
        started = time.perf_counter()
        proc = subprocess.Popen([self.wine_run] + args, stdin=subprocess.DEVNULL, stdout=self.log,
                                stderr=self.log, env=env)
        peak = 0
        if watch_memory:
            # exec keeps the pid: the loader becomes the Windows process itself.
            status = f"/proc/{proc.pid}/status"
            while proc.poll() is None:
                try:
                    m = re.search(r"VmHWM:\s+(\d+) kB", open(status).read())
                    if m:
                        peak = max(peak, int(m.group(1)) * 1024)
                except OSError:
                    pass
                time.sleep(0.01)
        try:
            code = proc.wait(timeout=RUN_TIMEOUT)
        except subprocess.TimeoutExpired:
            proc.kill()  # a run that hangs waits for a message box nobody answers
            proc.wait()
            raise RuntimeError(f"{args[0]} did not end within {RUN_TIMEOUT} s (a message box?)")
        return time.perf_counter() - started, code, peak

    def bootstrap(self, program, watch_memory=False):
        report = os.path.join(self.work, "stub-report.json")
        if os.path.exists(report):
            os.remove(report)
        env = dict(os.environ, SETUP_STUB_REPORT=win_path(report, self.prefix))
        seconds, code, peak = self.wine([win_path(program, self.prefix)], env, watch_memory)
        if code != 0 or not os.path.exists(report):
            raise RuntimeError(f"{os.path.basename(program)}: the run did not reach the final setup "
                               f"(exit code {code}); see {self.log.name}")
        return seconds, peak

    def floor(self, read_bytes, urls):
        shutil.rmtree(self.floor_folder, ignore_errors=True)
        os.makedirs(self.floor_folder)
        seconds, code, _ = self.wine([self.exe["bench_floor_download"], str(read_bytes),
                                      win_path(self.floor_folder, self.prefix)] + urls)
        if code != 0:
            raise RuntimeError(f"floor download of {len(urls)} files failed (exit code {code})")
        return seconds

    def curl(self, urls):
        args = ["curl", "-s", "-f"]
        for url in urls:
            args += ["-o", "/dev/null", url]
        started = time.perf_counter()
        subprocess.run(args, check=True, stdin=subprocess.DEVNULL, stdout=self.log, stderr=self.log)
        return time.perf_counter() - started

    def startup(self, program, close):
        out = os.path.join(self.work, "startup.txt")
        if os.path.exists(out):
            os.remove(out)
        self.wine([self.exe["bench_startup_probe"], win_path(out, self.prefix), "1" if close else "0",
                   win_path(program, self.prefix)])
        text = open(out).read().strip() if os.path.exists(out) else "missing"
        if not re.match(r"^[0-9.]+$", text):
            raise RuntimeError(f"start-up of {os.path.basename(program)} not observed: {text}")
        return float(text) / 1000.0

    def reader(self):
        out = os.path.join(self.work, "reader.txt")
        self.wine([self.exe["bench_description"], win_path(self.big_description, self.prefix),
                   str(REPEAT), win_path(out, self.prefix)])
        rows = [line.split() for line in open(out) if line.strip()]
        entries = {int(r[3]) for r in rows}
        if entries != {DESCRIPTION_ENTRIES}:
            raise RuntimeError(f"the reader walked {entries} entries, not {DESCRIPTION_ENTRIES}")
        return [float(r[0]) for r in rows], [float(r[1]) for r in rows], [float(r[2]) for r in rows]

    def call_costs(self, url):
        """Microseconds per call of the pieces of the bootstrapper's work (bench_call_costs)."""
        out = os.path.join(self.work, "costs.txt")
        self.wine([self.exe["bench_call_costs"], url, win_path(out, self.prefix)])
        return {name: float(us) for name, us in (line.split() for line in open(out) if line.strip())}

    def run(self):
        t = collections.defaultdict(list)
        self.prepare()
        self.nginx.start()
        # Wine's desktop process comes and goes with the programs on it; a program that
        # stays open all along keeps it up, as a real desktop is, so that no start-up of
        # the benchmarks waits for it.
        keeper = subprocess.Popen([self.wine_run, self.exe["bench_floor_dialog"]], stdin=subprocess.DEVNULL,
                                  stdout=self.log, stderr=self.log)
        try:
            print("bench: warming up ...", flush=True)
            self.bootstrap(self.start_program)
            self.floor(1024, self.many_urls[:5])
            self.startup(self.floor_dialog, True)
            for rep in range(REPEAT):
                print(f"bench: round {rep + 1} of {REPEAT} ...", flush=True)
                seconds, peak = self.bootstrap(self.large_program, watch_memory=True)
                t["large"].append(seconds)
                t["large_peak"].append(peak)
                t["large_floor"].append(self.floor(1024, self.large_urls))
                t["large_floor64"].append(self.floor(65536, self.large_urls))
                t["large_curl"].append(self.curl(self.large_urls))
                t["many"].append(self.bootstrap(self.many_program)[0])
                t["many_floor"].append(self.floor(1024, self.many_urls))
                t["many_floor64"].append(self.floor(65536, self.many_urls))
                t["many_curl"].append(self.curl(self.many_urls))
                t["start"].append(self.startup(self.start_program, False))
                t["start_floor"].append(self.startup(self.floor_dialog, True))
            load, walk, decrypt = self.reader()
            t["load"], t["walk"], t["decrypt"] = load, walk, decrypt
            self.costs = self.call_costs(self.many_urls[0])
        finally:
            keeper.terminate()
            keeper.wait()
            self.nginx.stop()
        return t


def map_sizes(map_file):
    """Bytes that each library (archive or object) gives the linked program, by section."""
    sizes = collections.Counter()
    lines = open(map_file, errors="replace").read().split("\n")
    start = next(i for i, line in enumerate(lines) if line.startswith("Linker script and memory map"))
    pending = None
    for line in lines[start:]:
        m = re.match(r"^ (\.\S+)\s*$", line)
        if m:
            pending = m.group(1)
            continue
        m = re.match(r"^ (\.\S+)?\s+0x[0-9a-f]+\s+(0x[0-9a-f]+)\s+(\S.*)$", line)
        if m and (m.group(1) or pending):
            size = int(m.group(2), 16)
            source = re.sub(r"\(.*\)$", "", m.group(3)).split("/")[-1]
            if size and not source.startswith("*"):
                sizes[source] += size
        pending = None
    return sizes


def verdict(ok):
    return "met" if ok else "MISSED"


def main():
    ship, build, port = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2]), int(sys.argv[3])
    bench = Bench(ship, build, port)
    t = bench.run()
    m = {k: median(v) for k, v in t.items()}

    setup_exe = os.path.join(ship, "Setup.exe")
    size = os.path.getsize(setup_exe)
    sizes = map_sizes(os.path.join(ship, "Setup.map"))
    r_large = m["large"] / m["large_floor"]
    r_many = m["many"] / m["many_floor"]
    r_start = m["start"] / m["start_floor"]

    def row(case, boot, floor, ratio, goal):
        return f"| {case} | {boot} | {floor} | {ratio:.2f} | ≤ {goal:.2f} | {verdict(ratio <= goal)} |"

    lines = [
        "| case | bootstrapper (median) | floor (median) | ratio | goal | |",
        "|---|---|---|---|---|---|",
        row("one large file (50 MB)", f"{m['large']:.2f} s", f"{m['large_floor']:.2f} s", r_large, GOAL_LARGE),
        row(f"many small files ({SMALL_COUNT} × 20 KB)", f"{m['many']:.2f} s", f"{m['many_floor']:.2f} s",
            r_many, GOAL_MANY),
        row("start-up to painted window", f"{m['start'] * 1000:.0f} ms", f"{m['start_floor'] * 1000:.0f} ms",
            r_start, GOAL_STARTUP),
        f"| description reader: Load of {DESCRIPTION_ENTRIES} entries + one walk | "
        f"{m['load']:.0f} ms + {m['walk']:.1f} ms | (absolute) | | ≤ {GOAL_DESCRIPTION_MS:.0f} ms | "
        f"{verdict(m['load'] + m['walk'] <= GOAL_DESCRIPTION_MS)} |",
        "",
        "| reported | value |",
        "|---|---|",
        f"| size of {os.path.relpath(setup_exe, SOURCE)} (i686, stripped) | {size:,} bytes "
        f"({size / 1048576:.2f} MiB; goal ≤ 1 MiB: {verdict(size <= GOAL_SIZE)}) |",
        f"| peak working set, bootstrapper, large-file case | {m['large_peak'] / 1048576:.1f} MiB |",
        f"| of Load: decryption alone (RSA, one block per 86 bytes) | {m['decrypt']:.0f} ms |",
        f"| platform limit, large file: floor with 64 KiB reads / curl | "
        f"{m['large_floor64']:.2f} s / {m['large_curl']:.2f} s |",
        f"| platform limit, many files: floor with 64 KiB reads / curl | "
        f"{m['many_floor64']:.2f} s / {m['many_curl']:.2f} s |",
        "",
        "Size by library (bytes of sections the linker kept, from Setup.map):",
        "",
        "| library | bytes |",
        "|---|---|",
    ]
    for source, count in sizes.most_common(12):
        lines.append(f"| {source} | {count:,} |")
    c = bench.costs
    reads_large = -(-LARGE_SIZE // 1024) + 1
    files_many = SMALL_COUNT + 1
    messages_many = files_many * (-(-SMALL_SIZE // 1024) + 1)
    # Preparation asks twice (before the description and before the list), then every download.
    tests_large = 2 + 1 + len(bench.large_urls)
    tests_many = 2 + 1 + files_many
    extra_large = m["large"] - m["large_floor"]
    extra_many = m["many"] - m["many_floor"]
    lines += [
        "",
        "Where the bootstrapper's extra time goes (per-call costs measured in this run by bench_call_costs, "
        "times the number of calls the behaviour makes):",
        "",
        "| case | extra over floor | progress messages (each repaints the bar) | connection tests (one per download) |",
        "|---|---|---|---|",
        f"| one large file | {extra_large:.1f} s | {reads_large} × {c['read.progress_message']:.0f} µs = "
        f"{reads_large * c['read.progress_message'] / 1e6:.1f} s | {tests_large} × {c['file.connected_state'] / 1000:.1f} ms |",
        f"| many small files | {extra_many:.1f} s | {messages_many} × {c['read.progress_message']:.0f} µs = "
        f"{messages_many * c['read.progress_message'] / 1e6:.1f} s | {tests_many} × "
        f"{c['file.connected_state'] / 1000:.1f} ms = {tests_many * c['file.connected_state'] / 1e6:.1f} s |",
        "",
        "Per-call costs (µs): " + ", ".join(f"{k} {v:.1f}" for k, v in sorted(c.items())),
    ]
    lines.append("")
    lines.append(f"Repetitions: {REPEAT}; all samples (seconds, ms for the reader):")
    lines.append("")
    for key in sorted(t):
        values = ", ".join(f"{v / 1048576:.1f}M" if key.endswith("peak") else f"{v:.3f}" for v in t[key])
        lines.append(f"- {key}: {values}")
    table = "\n".join(lines)
    print()
    print(table)

    version = os.path.join(bench.work, "wine-version.txt")
    with open(version, "w") as f:
        subprocess.run([bench.wine_run, "--version"], stdin=subprocess.DEVNULL, stdout=f, stderr=f)
    wine_version = open(version).read().strip()
    header = [
        "# Benchmark results",
        "",
        f"- date: {datetime.datetime.now().astimezone().strftime('%Y-%m-%d %H:%M %Z')}",
        f"- machine: nproc {os.cpu_count()}, {wine_version} (64-bit Wine, {os.path.basename(build)} build), "
        f"shared with other work",
        f"- command: `make bench` (bench/run {os.path.relpath(ship, SOURCE)} {os.path.relpath(build, SOURCE)})",
        "",
    ]
    notes = os.path.join(HERE, "NOTES.md")
    tail = ["", open(notes).read().strip(), ""] if os.path.exists(notes) else [""]
    with open(os.path.join(HERE, "RESULTS.md"), "w") as f:
        f.write("\n".join(header) + "\n" + table + "\n" + "\n".join(tail))
    print(f"\nbench: written to {os.path.join(HERE, 'RESULTS.md')}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
