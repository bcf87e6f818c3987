#!/usr/bin/env python3
"""The whole road of one administrator's work, client to tool: a real WBEM client (wbemcli)
talks CIM-XML to the daemon, the daemon calls the provider library, the provider runs the
stand-in tool on a fresh state directory. Each step prints what it does, the client command,
the answer and what it checked.

    road.py --paths build/demo/examples/demo/demo_paths.json            walk the road
    road.py --paths ... --serve                                          keep the daemon up

scripts/demo.sh builds what this needs and runs it; tests/e2e/run_road.py walks the same road as
a test."""

import argparse
import json
import os
import shutil
import signal
import sys
import tempfile
import time

# Nothing is written into the source tree, compiled modules included.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from road_base import RoadFailure  # noqa: E402
from road_steps import Road  # noqa: E402
from transcript import Transcript  # noqa: E402
from wbem_session import Client, Daemon, UpdateServer, Workspace  # noqa: E402

# Long enough to watch progress move, short enough for the road to take well under a minute.
DEMO_TOOL_SETTINGS = {"fetch_ms": 1500, "apply_ms": 2400, "rollback_ms": 1500}
# Interactive use: the tool's own, slower defaults suit a person typing commands.
SERVE_TOOL_SETTINGS = {}


def load_paths(path):
    with open(path) as f:
        paths = json.load(f)
    missing = [k for k in ("cimomd", "passwd", "softinv", "provider_dir", "mof", "updates")
               if not os.path.exists(paths.get(k, ""))]
    if missing:
        raise SystemExit("demo: not built yet (%s missing); run scripts/demo.sh"
                         % ", ".join(missing))
    return paths


def interrupt_on_signal(_signum, _frame):
    # SIGTERM and SIGHUP end the run as Ctrl-C does, so the daemon is always stopped in order.
    raise KeyboardInterrupt()


class Session:
    """The daemon, the web server with the sample updates, and their workspace, started and
    stopped together."""

    def __init__(self, paths, workdir, tool_settings, daemon_class=None):
        self.paths = paths
        self.workspace = Workspace(paths, workdir, tool_settings)
        # Our daemon unless the caller brings another host with the same start and stop.
        self.daemon = (daemon_class or Daemon)(self.workspace)
        updates = os.path.normpath(paths["updates"])
        self.http_directory = os.path.basename(updates)
        self.server = UpdateServer(os.path.dirname(updates),
                                   os.path.join(workdir, "update-server.log"))
        self.server_pid_file = os.path.join(workdir, "update-server.pid")

    def start(self):
        if not self.server.start():
            raise RoadFailure("the loopback web server with the sample updates did not start")
        with open(self.server_pid_file, "w") as f:
            f.write("%d\n" % self.server.process.pid)
        # The provider passes the tool a bare address; the tool takes the port from its settings.
        self.workspace.tool_settings["http_port"] = self.server.port
        if not self.daemon.start():
            raise RoadFailure("the daemon did not start:\n" + self.daemon.log_tail())

    def stop(self):
        self.server.stop()
        self.daemon.stop()
        if os.path.exists(self.server_pid_file):
            os.remove(self.server_pid_file)


def describe(session, transcript, password_shown):
    ws = session.workspace
    transcript.field("daemon", "%s at %s, user %s, password %s"
                     % (getattr(session.daemon, "name", "cimomd"), session.daemon.url, ws.user,
                        password_shown))
    transcript.field("provider", os.path.join(session.paths["provider_dir"],
                                              "libSoftwareUpdateProvider.so"))
    transcript.field("tool", "%s, state in %s" % (session.paths["softinv"], ws.state_dir))
    transcript.field("updates", "%s, also served at http://127.0.0.1:%d/%s/"
                     % (session.paths["updates"], session.server.port, session.http_directory))


def walk(paths, workdir, transcript, stop_on_failure, tool_settings=None, daemon_class=None,
         after=None):
    """Starts everything, walks the road, stops everything. Returns the Road (its checks and
    failures) and the Session (for checks after the stop). after(session, transcript), when
    given, runs on the same daemon once the road is done and answers whether it went well."""
    session = Session(paths, workdir, tool_settings or DEMO_TOOL_SETTINGS, daemon_class)
    road = None
    try:
        session.start()
        transcript.title("The software-update provider, client to tool, in one run")
        describe(session, transcript, "****")
        settings = session.workspace.tool_settings
        transcript.field("durations", "fetch %.1f s, apply %.1f s, roll-back %.1f s (kept short)"
                         % (settings["fetch_ms"] / 1000.0, settings["apply_ms"] / 1000.0,
                            settings["rollback_ms"] / 1000.0))
        transcript.note("Each step below is one or more requests of wbemcli, the WBEM client of "
                        "Debian's sblim-wbemcli package, to the daemon; the daemon hands them to "
                        "the provider library, which runs the stand-in tool and reads its output.")
        client = Client(session.daemon, session.workspace.user, session.workspace.password)
        road = Road(client, session, transcript, stop_on_failure)
        road.walk()
        if after is not None and not after(session, transcript):
            road.failures.append("the part after the road")
    except RoadFailure as failure:
        if road is not None:
            road.failures.append(str(failure))
        transcript.check(False, "the road stopped: %s" % failure,
                         "daemon log (last lines):\n" + session.daemon.log_tail())
    finally:
        session.stop()
    return road, session


def serve(paths, workdir, transcript):
    session = Session(paths, workdir, SERVE_TOOL_SETTINGS)
    try:
        session.start()
        ws = session.workspace
        transcript.title("The daemon is running with the provider and the stand-in tool")
        describe(session, transcript, ws.password)
        transcript.field("reader", "user %s, password %s (read-only: may list, not change)"
                         % (ws.reader, ws.reader_password))
        base = "http://%s:%s@127.0.0.1:%d/root/cimv2" % (ws.user, ws.password,
                                                        session.daemon.port)
        transcript.note("Point any WBEM client (CIM-XML over HTTP, Basic authentication) at the "
                        "URL above. With wbemcli, for example:")
        for line in [
                "wbemcli ecn '%s'" % base,
                "wbemcli cm '%s:ZVQ_AvailableSoftwareUpdate' GetViaHardDrive.Path=%s"
                % (base, paths["updates"]),
                "wbemcli cm '%s:ZVQ_AvailableSoftwareUpdate' GetViaHttp.Address=127.0.0.1,"
                "Secure=false,User=,Password=,Directory=%s" % (base, session.http_directory),
                "wbemcli cm '%s:ZVQ_AvailableSoftwareUpdate' GetProgress" % base,
                "wbemcli ei '%s:ZVQ_AvailableSoftwareUpdate'" % base,
                "wbemcli cm '%s:ZVQ_AvailableSoftwareUpdate.InstanceID=\"4\"' Apply" % base,
                "wbemcli ei '%s:ZVQ_HistorySoftwareUpdate'" % base]:
            transcript.command(line)
        transcript.note("The web server above serves the sample updates for GetViaHttp (the "
                        "tool is told its port). Daemon log: %s. Press Ctrl-C to stop; the "
                        "daemon, the web server and %s are then removed."
                        % (ws.log_file, workdir))
        while session.daemon.running():
            time.sleep(0.5)
        transcript.check(False, "the daemon stopped by itself", session.daemon.log_tail())
        return 1
    except KeyboardInterrupt:
        print()
        return 0
    finally:
        session.stop()
        transcript.note("Stopped the daemon and the web server.")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--paths", required=True, help="demo_paths.json from the build")
    parser.add_argument("--workdir", help="an empty directory to work in (default: a new "
                        "temporary one, removed at the end)")
    parser.add_argument("--serve", action="store_true",
                        help="start the daemon and keep it running until Ctrl-C")
    parser.add_argument("--raw", action="store_true",
                        help="show wbemcli's own answer lines too, not only tables")
    parser.add_argument("--keep", action="store_true",
                        help="keep the work directory (logs, tool state) at the end")
    args = parser.parse_args()
    if shutil.which("wbemcli") is None:
        print("demo: wbemcli is not installed (Debian package sblim-wbemcli)", file=sys.stderr)
        return 1
    paths = load_paths(args.paths)
    for sig in (signal.SIGTERM, signal.SIGHUP):
        signal.signal(sig, interrupt_on_signal)

    owned = args.workdir is None
    workdir = tempfile.mkdtemp(prefix="swu-demo-") if owned else args.workdir
    transcript = Transcript(raw=args.raw)
    try:
        if args.serve:
            return serve(paths, workdir, transcript)
        started = time.monotonic()
        after = None
        if os.path.exists(paths.get("swu", "")):
            import swu_part  # noqa: E402

            def after(session, t):
                t.title("The same server with swu, the administrator's client")
                return swu_part.walk(session, t, paths["swu"])
        road, _ = walk(paths, workdir, transcript, stop_on_failure=True, after=after)
        elapsed = time.monotonic() - started
        print()
        if road is None or road.failures:
            transcript.title("The road did not reach its end (see the mark above).")
            return 1
        transcript.title("The whole road in %.1f s: %d client calls, %d checks passed. The "
                         "daemon is stopped; nothing is left running."
                         % (elapsed, road.client.calls, road.passed))
        transcript.note("Next: scripts/demo.sh --serve keeps the daemon up for your own client.")
        return 0
    except KeyboardInterrupt:
        print("\ninterrupted; the daemon is stopped.")
        return 130
    finally:
        if owned and not args.keep:
            shutil.rmtree(workdir, ignore_errors=True)
        elif args.keep:
            print("work directory kept: %s" % workdir)


if __name__ == "__main__":
    sys.exit(main())
