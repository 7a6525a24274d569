#!/usr/bin/env python3
"""Scan benchmark: skimbolt-cli --scan-once over generated loopback sites.

    python3 bench/scan_bench.py CLI BENCH [--sizes 100,1000,5000]
                                [--delays 0,200] [--page-bytes 60000]
                                [--work DIR] [--urlwatch]

CLI is a built skimbolt-cli, BENCH a built skimbolt_bench (it writes the
generated front pages). For each size N the site holds N pages, spread over
the loopback addresses 127.0.0.1 to 127.0.0.8 (one port), listed in the news
source catalogue as sources of ten category pages each. A threaded Python
server serves them, answering each request after DELAY milliseconds; it sends
Last-Modified and answers If-Modified-Since with 304, as most web servers do.
Each size and delay is scanned twice: --scan-once on a fresh data folder,
then again on the same folder. For every run the script prints the wall
time, the CPU time per page and the peak resident memory of the scanning
program, and the stories it reported.

--urlwatch runs Debian's urlwatch (when installed) on the same pages, twice
on a fresh cache, for the same figures side by side.
"""
import argparse
import http.server
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import threading
import time

HOSTS = [f"127.0.0.{i}" for i in range(1, 9)]
PAGES_PER_SOURCE = 10


def serve(directory, port, delay_ms):
    """Runs the site's servers until killed (a child process of its own)."""

    class Handler(http.server.SimpleHTTPRequestHandler):
        def __init__(self, *args, **kwargs):
            super().__init__(*args, directory=directory, **kwargs)

        def send_head(self):
            if delay_ms:
                time.sleep(delay_ms / 1000.0)
            return super().send_head()

        def log_message(self, *args):
            pass

    class Server(http.server.ThreadingHTTPServer):
        request_queue_size = 256
        daemon_threads = True

    servers = [Server((host, port), Handler) for host in HOSTS]
    for s in servers[1:]:
        threading.Thread(target=s.serve_forever, daemon=True).start()
    servers[0].serve_forever()


def free_port():
    while True:
        with socket.socket() as s:
            s.bind(("127.0.0.1", 0))
            port = s.getsockname()[1]
        try:
            for host in HOSTS:
                with socket.socket() as t:
                    t.bind((host, port))
            return port
        except OSError:
            continue


def page_urls(port, count):
    return [f"http://{HOSTS[i % len(HOSTS)]}:{port}/p{i:05d}.html" for i in range(count)]


def write_home(home, urls):
    data = os.path.join(home, "Data")
    os.makedirs(data)
    with open(os.path.join(data, "config.txt"), "w", newline="") as f:
        f.write("D F0000005 Check_Only_Title 1 1\r\n")
        f.write("D F0000004 Title_Contains_Keyword 1 1\r\n")
        for k in ("+the", "+new", "+storm"):
            f.write(f"B F0000001 Keyword {k} {k}\r\n")
    os.chmod(os.path.join(data, "config.txt"), 0o600)
    with open(os.path.join(data, "sources.txt"), "w") as f:
        for s in range(0, len(urls), PAGES_PER_SOURCE):
            f.write(f"1 Site {s // PAGES_PER_SOURCE + 1:04d}\n")
            for c, url in enumerate(urls[s:s + PAGES_PER_SOURCE]):
                f.write(f"1 {c + 1} Section_{c + 1} {url}\n")


def run_measured(argv, out_path, env=None):
    """Runs argv; returns (exit status, wall s, CPU s, peak resident MB)."""
    with open(out_path, "w") as out:
        start = time.monotonic()
        proc = subprocess.Popen(argv, stdout=out, stderr=subprocess.STDOUT, env=env)
        _, status, usage = os.wait4(proc.pid, 0)
        wall = time.monotonic() - start
    code = os.waitstatus_to_exitcode(status)
    return code, wall, usage.ru_utime + usage.ru_stime, usage.ru_maxrss / 1024.0


def count_lines(path, prefix=None):
    with open(path, errors="replace") as f:
        return sum(1 for line in f if prefix is None or line.startswith(prefix))


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("cli")
    ap.add_argument("bench")
    ap.add_argument("--sizes", default="100,1000,5000")
    ap.add_argument("--delays", default="0,200")
    ap.add_argument("--page-bytes", type=int, default=60000)
    ap.add_argument("--work", help="folder for the sites and runs (default: a temporary one, removed)")
    ap.add_argument("--urlwatch", action="store_true")
    ap.add_argument("--serve", nargs=3, metavar=("DIR", "PORT", "DELAY"), help=argparse.SUPPRESS)
    args = ap.parse_args()
    if args.serve:
        serve(args.serve[0], int(args.serve[1]), int(args.serve[2]))
        return 0

    cli, bench = os.path.realpath(args.cli), os.path.realpath(args.bench)
    sizes = [int(x) for x in args.sizes.split(",")]
    delays = [int(x) for x in args.delays.split(",")]
    work = args.work or tempfile.mkdtemp(prefix="skimbolt-scan-bench-")
    os.makedirs(work, exist_ok=True)
    site = os.path.join(work, "site")
    os.makedirs(site, exist_ok=True)
    need = max(sizes)
    if not os.path.exists(os.path.join(site, f"p{need - 1:05d}.html")):
        subprocess.run([bench, f"--write-site={site}", f"--pages={need}", f"--page-bytes={args.page_bytes}"],
                       check=True, stdout=subprocess.DEVNULL)
    urlwatch = shutil.which("urlwatch") if args.urlwatch else None
    if args.urlwatch and not urlwatch:
        print("urlwatch is not installed: no side-by-side figures", file=sys.stderr)

    print(f"{'program':9} {'pages':>5} {'delay':>6} {'pass':>4} {'wall s':>8} {'CPU ms/page':>11} "
          f"{'peak MB':>8} {'stories':>8} {'failed':>6}")
    rows = []
    for delay in delays:
        port = free_port()
        server = subprocess.Popen([sys.executable, os.path.abspath(__file__), "x", "x", "--serve", site,
                                   str(port), str(delay)])
        try:
            for _ in range(100):
                try:
                    socket.create_connection((HOSTS[-1], port), timeout=1).close()
                    break
                except OSError:
                    time.sleep(0.05)
            for n in sizes:
                urls = page_urls(port, n)
                home = os.path.join(work, f"home-{n}-{delay}")
                shutil.rmtree(home, ignore_errors=True)
                write_home(home, urls)
                for run in (1, 2):
                    out = os.path.join(work, f"out-{n}-{delay}-{run}.txt")
                    code, wall, cpu, peak = run_measured([cli, "--home", home, "--scan-once"], out)
                    failed = count_lines(out, "skimbolt: page failed")
                    stories = count_lines(out) - failed
                    row = ("skimbolt", n, delay, run, wall, cpu * 1000.0 / n, peak, stories, failed)
                    rows.append(row)
                    print(f"{row[0]:9} {n:5d} {delay:4d}ms {run:4d} {wall:8.2f} {row[5]:11.2f} {peak:8.1f} "
                          f"{stories:8d} {failed:6d}" + ("" if code in (0, 1) else f"  exit {code}"), flush=True)
                if urlwatch:
                    uw = os.path.join(work, f"urlwatch-{n}-{delay}")
                    shutil.rmtree(uw, ignore_errors=True)
                    os.makedirs(uw)
                    with open(os.path.join(uw, "urls.yaml"), "w") as f:
                        f.write("\n---\n".join(f"url: {u}" for u in urls) + "\n")
                    with open(os.path.join(uw, "config.yaml"), "w") as f:
                        f.write("report:\n  text:\n    enabled: true\n    details: false\n"
                                "  stdout:\n    enabled: true\n    color: false\n")
                    for run in (1, 2):
                        out = os.path.join(uw, f"out-{run}.txt")
                        code, wall, cpu, peak = run_measured(
                            [urlwatch, "--urls", os.path.join(uw, "urls.yaml"), "--config",
                             os.path.join(uw, "config.yaml"), "--hooks", os.path.join(uw, "hooks.py"),
                             "--cache", os.path.join(uw, "cache.db")], out)
                        print(f"{'urlwatch':9} {n:5d} {delay:4d}ms {run:4d} {wall:8.2f} {cpu * 1000.0 / n:11.2f} "
                              f"{peak:8.1f} {'':>8} {'':>6}" + ("" if code == 0 else f"  exit {code}"), flush=True)
        finally:
            server.terminate()
            server.wait()
    if not args.work:
        shutil.rmtree(work, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
