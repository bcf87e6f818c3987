"""Runs every benchmark and prints one table. Each figure is a ratio of times or sizes measured
within this one run, because the machine is shared and absolute times drift between runs.

Parts: the in-process parse-and-build benchmark (bench_parse), then a daemon with the bench
provider copy whose tool prints a prepared listing, driven by bench_load for request latency
against the bare tool run, throughput with several clients, and the daemon's memory."""

import argparse
import json
import os
import resource
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
sys.path.insert(0, os.path.join(ROOT, "examples", "demo"))
import wbem_session  # noqa: E402

HISTORY_CLASS = "ZVQ_HistorySoftwareUpdate"
RECORD_COUNTS = (100, 10000, 65535)
LATENCY_REQUESTS = {100: 41, 10000: 9}
FLOOR_REQUESTS = 41
CPU_REQUESTS = 200
FLOOR_SCALING_REQUESTS = 200
FLOOR_PARALLEL_COUNTS = (1, 2, 4)
CLIENT_COUNTS = (1, 2, 4, 8, 16)
THROUGHPUT_SECONDS = 3.0
PARSE_MIN_TIME_SECONDS = 0.3
LINEAR_RECORDS = 655.35  # 65,535 records over 100

# The goals of the performance work, as (figure, limit, whether a higher figure is better).
SCALING_LIMIT = 1.2
NAMES_OVERHEAD_LIMIT = 1.3
FOUR_CLIENT_SPEEDUP_MIN = 1.7
PEAK_PER_BODY_LIMIT = 4.0
SWU_OVER_WBEMCLI_LIMIT = 1.5
CLIENT_RUNS = 7
FLEET_SERVERS = 16
FLEET_RUNS = 3
# Sixteen forks on two cores: the servers' answers overlap, the module runs share the cores.
FLEET_SPEEDUP_MIN = 2.0


def history_listing(count):
    date = "Mon Jan  5 03:04:05 2004"
    return "".join("pkg%d\t1.0\tFixes pkg%d\tSecurity\t%s\tRemovable\n" % (i, i, date)
                   for i in range(count))


def cache_listing(count):
    return "".join("upd%d\t1.%d\tUpdate %d of the bench\t%d KB\t%s\tAvailable\n"
                   % (i, i % 7, i, 10 + i % 90, "reboot" if i % 3 == 0 else "noreboot")
                   for i in range(count))


def verdict(value, limit, higher_is_better=False):
    met = value >= limit if higher_is_better else value <= limit
    return "%s %s %.2f: %s" % ("target", ">=" if higher_is_better else "<=", limit,
                               "met" if met else "NOT met")


def run_parse(build_dir, rows):
    out_file = os.path.join(build_dir, "bench", "parse.json")
    done = subprocess.run([os.path.join(build_dir, "bench", "bench_parse"),
                           "--benchmark_min_time=%g" % PARSE_MIN_TIME_SECONDS,
                           "--benchmark_out=" + out_file, "--benchmark_out_format=json"],
                          stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    if done.returncode != 0:
        raise RuntimeError("bench_parse failed:\n" + done.stderr)
    with open(out_file) as f:
        results = json.load(f)["benchmarks"]
    per_class = {}
    for result in results:
        if result.get("error_occurred"):
            raise RuntimeError("%s: %s" % (result["name"], result.get("error_message")))
        name, count = result["name"].rsplit("/", 1)
        seconds = result["cpu_time"] * {"ns": 1e-9, "us": 1e-6, "ms": 1e-3}[result["time_unit"]]
        per_class.setdefault(name.split("/", 1)[1], {})[int(count)] = seconds
    for cls, times in per_class.items():
        ns = ["%.0f" % (times[n] / n * 1e9) for n in RECORD_COUNTS]
        scaling = times[65535] / times[100] / LINEAR_RECORDS
        rows.append(("1 parse+build " + cls, "ns/record @100/10k/65535: " + " / ".join(ns),
                     "scaling %.2f" % scaling, verdict(scaling, SCALING_LIMIT)))


def load(build_dir, mode, env, **options):
    argv = [os.path.join(build_dir, "bench", "bench_load"), mode]
    for key, value in options.items():
        argv += ["--" + key, str(value)]
    done = subprocess.run(argv, capture_output=True, text=True, env=env)
    if done.returncode != 0:
        raise RuntimeError("%s failed:\n%s" % (" ".join(argv), done.stderr))
    text = done.stdout
    return {k: float(v) for k, v in (item.split("=") for item in text.split())}


def proc_status_kib(pid, field):
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith(field + ":"):
                return int(line.split()[1])
    raise RuntimeError("no %s for process %d" % (field, pid))


class BenchDaemon:
    """A daemon with the bench provider copy; its tool prints whatever listing was set last."""

    def __init__(self, build_dir, directory):
        self.listing_file = os.path.join(directory, "listing.txt")
        paths = {
            "cimomd": os.path.join(build_dir, "cimom", "cimomd"),
            "passwd": os.path.join(build_dir, "cimom", "cimom-passwd"),
            "provider_dir": os.path.join(build_dir, "bench", "providers"),
            "mof": os.path.join(ROOT, "provider", "mof", "SoftwareUpdate.mof"),
            "softinv": "/bin/false",
        }
        os.environ["SWU_BENCH_LISTING"] = self.listing_file
        self.workspace = wbem_session.Workspace(paths, directory, {})
        self.daemon = wbem_session.Daemon(self.workspace)
        self.build_dir = build_dir
        self.env = dict(os.environ, SWU_BENCH_PASSWORD=self.workspace.password)

    def set_listing(self, count):
        staged = self.listing_file + ".new"
        with open(staged, "w") as f:
            f.write(history_listing(count))
        os.replace(staged, self.listing_file)

    def start(self):
        self.set_listing(RECORD_COUNTS[0])
        if not self.daemon.start():
            raise RuntimeError("daemon did not start:\n" + self.daemon.log_tail(output=True))

    def request(self, mode, op, **options):
        return load(self.build_dir, mode, self.env, port=self.daemon.port,
                    user=self.workspace.user, op=op, **{"class": HISTORY_CLASS}, **options)

    def pid(self):
        return self.daemon.process.pid


def run_latency(daemon, rows):
    floor_command = "/bin/sh %s --hist 2>&1" % os.path.join(HERE, "cat_listing.sh")
    for count in (100, 10000):
        daemon.set_listing(count)
        floor = load(daemon.build_dir, "floor", daemon.env, command=floor_command,
                     requests=FLOOR_REQUESTS)["median_ns"]
        for op in ("EnumerateInstanceNames", "EnumerateInstances"):
            median = daemon.request("latency", op, requests=LATENCY_REQUESTS[count])["median_ns"]
            ratio = median / floor
            target = verdict(ratio, NAMES_OVERHEAD_LIMIT) if (
                count == 100 and op == "EnumerateInstanceNames") else ""
            rows.append(("2 %s %d records" % (op, count),
                         "median %.2f ms, floor %.2f ms" % (median / 1e6, floor / 1e6),
                         "ratio %.2f" % ratio, target))


def cpu_seconds(pid):
    """CPU time of the process itself, and of the children it has waited for (the tool)."""
    fields = open("/proc/%d/stat" % pid).read().rsplit(")", 1)[1].split()
    tick = os.sysconf("SC_CLK_TCK")
    return ((int(fields[11]) + int(fields[12])) / tick,
            (int(fields[13]) + int(fields[14])) / tick)


def run_cpu_per_request(daemon, rows):
    """Where a one-client request's CPU goes. Both cores together give 2 s of CPU a second, so
    n clients can reach at most 2 x latency / CPU per request times one client's rate."""
    daemon.set_listing(100)
    own_before, tool_before = cpu_seconds(daemon.pid())
    client_before = resource.getrusage(resource.RUSAGE_CHILDREN)
    figures = daemon.request("latency", "EnumerateInstanceNames", requests=CPU_REQUESTS,
                             warmup=0)
    client_after = resource.getrusage(resource.RUSAGE_CHILDREN)
    own_after, tool_after = cpu_seconds(daemon.pid())
    own = (own_after - own_before) / CPU_REQUESTS
    tool = (tool_after - tool_before) / CPU_REQUESTS
    client = (client_after.ru_utime + client_after.ru_stime - client_before.ru_utime
              - client_before.ru_stime) / CPU_REQUESTS
    latency = figures["median_ns"] / 1e9
    rows.append(("3 CPU per request, 1 client",
                 "daemon %.1f + tool %.1f + client %.1f ms, latency %.1f ms"
                 % (own * 1e3, tool * 1e3, client * 1e3, latency * 1e3),
                 "bound %.2f" % (2 * latency / (own + tool + client)), ""))


def run_floor_scaling(daemon, rows):
    """The bare tool run (the floor) in 1, 2 and 4 processes at once, no daemon involved: how
    far this machine lets process start-ups run side by side, the ceiling of the client
    ratios below."""
    daemon.set_listing(100)
    command = "/bin/sh %s --hist 2>&1" % os.path.join(HERE, "cat_listing.sh")
    argv = [os.path.join(daemon.build_dir, "bench", "bench_load"), "floor", "--command", command,
            "--requests", str(FLOOR_SCALING_REQUESTS), "--warmup", "0"]
    rates = {}
    for parallel in FLOOR_PARALLEL_COUNTS:
        started = time.monotonic()
        runs = [subprocess.Popen(argv, stdout=subprocess.DEVNULL, env=daemon.env)
                for _ in range(parallel)]
        if any(run.wait() != 0 for run in runs):
            raise RuntimeError("bench_load floor failed")
        rates[parallel] = parallel * FLOOR_SCALING_REQUESTS / (time.monotonic() - started)
        rows.append(("3 bare tool runs, %d at once" % parallel, "%.1f runs/s" % rates[parallel],
                     "ratio %.2f" % (rates[parallel] / rates[1]), ""))


def run_throughput(daemon, rows):
    run_floor_scaling(daemon, rows)
    run_cpu_per_request(daemon, rows)
    daemon.set_listing(100)
    rates, errors = {}, {}
    for clients in CLIENT_COUNTS:
        figures = daemon.request("throughput", "EnumerateInstanceNames", clients=clients,
                                 seconds=THROUGHPUT_SECONDS)
        rates[clients], errors[clients] = figures["requests_per_second"], figures["errors"]
    for clients in CLIENT_COUNTS:
        ratio = rates[clients] / rates[1]
        failed = ", %d failed" % errors[clients] if errors[clients] else ""
        rows.append(("3 %2d clients, EnumerateInstanceNames 100" % clients,
                     "%.1f requests/s%s" % (rates[clients], failed), "ratio %.2f" % ratio,
                     verdict(ratio, FOUR_CLIENT_SPEEDUP_MIN, True) if clients == 4 else ""))


def run_memory(daemon, rows):
    daemon.request("latency", "EnumerateInstanceNames", requests=1, warmup=0)
    idle = proc_status_kib(daemon.pid(), "VmRSS") * 1024
    daemon.set_listing(65535)
    body = daemon.request("latency", "EnumerateInstances", requests=1, warmup=0)["bytes"]
    peak = proc_status_kib(daemon.pid(), "VmHWM") * 1024
    rows.append(("4 RSS idle", "%.1f MiB" % (idle / 2**20), "", ""))
    rows.append(("4 peak RSS, EnumerateInstances 65535",
                 "%.1f MiB, body %.1f MiB" % (peak / 2**20, body / 2**20),
                 "peak/body %.2f" % (peak / body), verdict(peak / body, PEAK_PER_BODY_LIMIT)))
    rows.append(("4 growth over idle, same request", "%.1f MiB" % ((peak - idle) / 2**20),
                 "growth/body %.2f" % ((peak - idle) / body), ""))


def median_seconds(argv, env, runs):
    times = []
    for _ in range(runs):
        started = time.monotonic()
        result = subprocess.run(argv, env=env, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL, timeout=300)
        times.append(time.monotonic() - started)
        if result.returncode != 0:
            raise RuntimeError("%s failed with %d" % (" ".join(argv[:2]), result.returncode))
    return sorted(times)[len(times) // 2]


def run_clients(daemon, rows):
    """The same EnumerateInstances of 10,000 available updates, by swu (with its JSON) and by
    wbemcli; the one daemon and listing for both, alternating so load hits both alike."""
    count = 10000
    staged = daemon.listing_file + ".new"
    with open(staged, "w") as f:
        f.write(cache_listing(count))
    os.replace(staged, daemon.listing_file)
    ws = daemon.workspace
    env = dict(daemon.env, SWU_URL="http://127.0.0.1:%d" % daemon.daemon.port,
               SWU_USER=ws.user, SWU_PASSWORD=ws.password)
    swu = [os.path.join(daemon.build_dir, "client", "swu"), "list", "available", "--json"]
    wbemcli = ["wbemcli", "ei", "http://%s:%s@127.0.0.1:%d/root/cimv2:ZVQ_AvailableSoftwareUpdate"
               % (ws.user, ws.password, daemon.daemon.port)]
    swu_times, wbemcli_times = [], []
    for _ in range(CLIENT_RUNS):
        swu_times.append(median_seconds(swu, env, 1))
        wbemcli_times.append(median_seconds(wbemcli, env, 1))
    swu_median = sorted(swu_times)[CLIENT_RUNS // 2]
    wbemcli_median = sorted(wbemcli_times)[CLIENT_RUNS // 2]
    ratio = swu_median / wbemcli_median
    rows.append(("5 swu list available --json, %d updates" % count,
                 "median %.0f ms, wbemcli ei %.0f ms" % (swu_median * 1e3, wbemcli_median * 1e3),
                 "ratio %.2f" % ratio, verdict(ratio, SWU_OVER_WBEMCLI_LIMIT)))


def run_fleet(build_dir, rows):
    """Facts of sixteen daemons (the demo's provider copy and tool, each its own state) in one
    ansible-playbook run with sixteen forks, against one daemon's facts run times sixteen."""
    sys.path.insert(0, os.path.join(ROOT, "ansible", "tests"))
    import fleet_test  # noqa: E402  pylint: disable=import-outside-toplevel
    if not shutil.which("ansible-playbook"):
        rows.append(("6 facts of %d servers, Ansible forks" % FLEET_SERVERS,
                     "ansible-playbook not found", "", ""))
        return
    paths = fleet_test.load_paths(os.path.join(build_dir, "examples", "demo",
                                               "demo_paths.json"))
    with tempfile.TemporaryDirectory(prefix="swu-bench-fleet-") as directory:
        fleet = fleet_test.Fleet(paths, directory, FLEET_SERVERS)
        try:
            fleet.start()

            def wall(*extra):
                started = time.monotonic()
                rc, report = fleet.playbook("facts.yml", *extra, forks=FLEET_SERVERS)
                if rc != 0:
                    raise RuntimeError("facts playbook failed: %s" % str(report)[-2000:])
                return time.monotonic() - started
            one, all_servers = [], []
            for _ in range(FLEET_RUNS):
                one.append(wall("--limit", "fleet1"))
                all_servers.append(wall())
        finally:
            fleet.stop()
    one_median = sorted(one)[FLEET_RUNS // 2]
    all_median = sorted(all_servers)[FLEET_RUNS // 2]
    speedup = one_median * FLEET_SERVERS / all_median
    rows.append(("6 facts of %d servers, %d forks" % (FLEET_SERVERS, FLEET_SERVERS),
                 "median %.1f s, one server %.2f s" % (all_median, one_median),
                 "speed-up %.1f" % speedup,
                 verdict(speedup, FLEET_SPEEDUP_MIN, higher_is_better=True)))


def with_daemon(build_dir, action, rows):
    with tempfile.TemporaryDirectory(prefix="swu-bench-") as directory:
        daemon = BenchDaemon(build_dir, directory)
        try:
            daemon.start()
            action(daemon, rows)
        finally:
            daemon.daemon.stop()


def print_table(rows):
    widths = [max(len(row[i]) for row in rows) for i in range(4)]
    for row in rows:
        print("  ".join(cell.ljust(width) for cell, width in zip(row, widths)).rstrip())


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build-dir", required=True)
    args = parser.parse_args()
    build_dir = os.path.abspath(args.build_dir)
    rows = [("figure", "measured", "ratio", "goal")]
    load_before = os.getloadavg()[0]
    run_parse(build_dir, rows)
    with_daemon(build_dir, run_latency, rows)
    with_daemon(build_dir, run_throughput, rows)
    # A fresh daemon, so its peak is that of the one large request.
    with_daemon(build_dir, run_memory, rows)
    with_daemon(build_dir, run_clients, rows)
    run_fleet(build_dir, rows)
    print_table(rows)
    # Other work on the machine stretches every process start; the ratios hide part of that.
    print("load average (1 min) at start %.2f, at end %.2f, on %d cores"
          % (load_before, os.getloadavg()[0], os.cpu_count()))


if __name__ == "__main__":
    main()
