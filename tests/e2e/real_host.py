#!/usr/bin/env python3
"""OpenWBEM's own daemon (owcimomd) as the host of the provider, for the tests that run against
both hosts and for trying the provider there by hand: a private data directory with the
classes compiled in by owmofc, a simple-authentication password file, a configuration that
listens on loopback only, and the daemon in the foreground (-d).

    real_host.py --prefix /tmp/owreal/inst --provider-dir build/real/examples/demo/providers
                 [--workdir DIR] [--port N]    starts it and serves until Ctrl-C

The tests use RealDaemon in place of wbem_session.Daemon: same start, stop and log calls."""

import argparse
import os
import subprocess
import sys
import tempfile
import time

sys.dont_write_bytecode = True
HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "examples", "demo"))

from wbem_session import (DAEMON_START_LIMIT_SECONDS, DAEMON_STOP_LIMIT_SECONDS,  # noqa: E402
                          NAMESPACE, free_port, stop_process_group, wait_for_port)

MOF = os.path.join(HERE, "..", "..", "provider", "mof", "SoftwareUpdate.mof")


def config_items(prefix, data_dir, log_file, password_file, provider_dir, port):
    """What the daemon needs: where its own parts are, where our provider is, who may log in,
    and where it listens. Everything else keeps the installed defaults."""
    lib = os.path.join(prefix, "lib")
    return {
        "owcimomd.datadir": data_dir,
        "owcimomd.log_location": log_file,
        "owcimomd.log_level": "info",
        "owcimomd.owlibdir": os.path.join(lib, "openwbem"),
        "owcimomd.libexecdir": os.path.join(prefix, "libexec", "openwbem"),
        "owcimomd.services_path": os.path.join(lib, "openwbem", "services"),
        "owcimomd.request_handler_path": os.path.join(lib, "openwbem", "requesthandlers"),
        "owcimomd.provider_ifc_libs": os.path.join(lib, "openwbem", "provifcs"),
        "owcimomd.wql_lib": os.path.join(lib, "libowwql.so"),
        "owcimomd.authentication_module":
            os.path.join(lib, "openwbem", "authentication", "libsimpleauthentication.so"),
        "simple_auth.password_file": password_file,
        # No authorizer: every user who logs in may do everything (the host has no roles).
        "owcimomd.authorization_lib": "",
        "owcimomd.disable_indications": "true",
        "cppprovifc.prov_location": provider_dir,
        "http_server.http_port": str(port),
        # The build has no TLS; -1 turns the HTTPS port off.
        "http_server.https_port": "-1",
        "http_server.listen_addresses": "127.0.0.1",
        "http_server.use_digest": "false",
        "http_server.use_UDS": "false",
        "slp.enable_advertisement": "false",
    }


def prepare(prefix, directory, provider_dir, port, users, mof=MOF):
    """Writes the data directory, password file and configuration; returns the configuration
    file's path. users: (name, password) pairs."""
    data_dir = os.path.join(directory, "owdata")
    os.makedirs(data_dir, exist_ok=True)
    env = dict(os.environ, LD_LIBRARY_PATH=os.path.join(prefix, "lib"))
    compiled = subprocess.run(
        [os.path.join(prefix, "bin", "owmofc"), "--create-namespaces", "--namespace", NAMESPACE,
         "--direct", data_dir, os.path.abspath(mof)],
        capture_output=True, text=True, env=env, timeout=120)
    if compiled.returncode != 0 or "0 errors occurred" not in compiled.stdout:
        raise RuntimeError("owmofc did not compile %s:\n%s%s"
                           % (mof, compiled.stdout[-3000:], compiled.stderr[-2000:]))
    password_file = os.path.join(directory, "simple_auth.passwd")
    with open(os.open(password_file, os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o600), "w") as f:
        for name, password in users:
            f.write("%s:%s\n" % (name, password))
    config = os.path.join(directory, "owcimomd.conf")
    items = config_items(prefix, data_dir, os.path.join(directory, "owcimomd.log"),
                         password_file, os.path.abspath(provider_dir), port)
    with open(config, "w") as f:
        f.write("# Written for one run; removed with its directory.\n")
        for key, value in items.items():
            f.write("%s = %s\n" % (key, value))
    return config


class RealDaemon:
    """owcimomd on a free loopback port, in a workspace (wbem_session.Workspace) whose users
    and tool settings it takes over."""

    name = "owcimomd"

    def __init__(self, workspace, prefix, provider_dir):
        self.workspace = workspace
        self.prefix = prefix
        self.provider_dir = provider_dir
        self.port = free_port()
        self.process = None
        self.output_file = os.path.join(workspace.directory, "owcimomd.out")
        self.log_file = os.path.join(workspace.directory, "owcimomd.log")

    @property
    def url(self):
        return "http://127.0.0.1:%d/%s" % (self.port, NAMESPACE)

    def start(self):
        ws = self.workspace
        os.makedirs(ws.state_dir, exist_ok=True)
        config = prepare(self.prefix, ws.directory, self.provider_dir, self.port,
                         [(ws.user, ws.password), (ws.reader, ws.reader_password)])
        env = ws.tool_environment()
        env["LD_LIBRARY_PATH"] = os.path.join(self.prefix, "lib")
        with open(self.output_file, "w") as output:
            self.process = subprocess.Popen(
                [os.path.join(self.prefix, "sbin", "owcimomd"), "-d", "-c", config],
                stdin=subprocess.DEVNULL, stdout=output, stderr=subprocess.STDOUT, env=env,
                start_new_session=True)
        return wait_for_port(self.port, self.process, DAEMON_START_LIMIT_SECONDS * 2)

    def running(self):
        return self.process is not None and self.process.poll() is None

    def log_tail(self, lines=20, output=False):
        path = self.output_file if output else self.log_file
        try:
            with open(path, errors="replace") as f:
                return "".join(f.readlines()[-lines:])
        except OSError:
            return ""

    def stop(self):
        stop_process_group(self.process, DAEMON_STOP_LIMIT_SECONDS * 2)


def main():
    from wbem_session import Workspace  # noqa: E402

    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--prefix", required=True, help="where OpenWBEM is installed")
    parser.add_argument("--provider-dir", required=True,
                        help="directory of a libSoftwareUpdateProvider.so built against it")
    parser.add_argument("--workdir", help="an empty directory (default: a new temporary one)")
    args = parser.parse_args()
    workdir = args.workdir or tempfile.mkdtemp(prefix="owcimomd-")
    workspace = Workspace({}, workdir, {})
    daemon = RealDaemon(workspace, args.prefix, args.provider_dir)
    if not daemon.start():
        print("owcimomd did not start:\n" + daemon.log_tail(output=True), file=sys.stderr)
        return 1
    print("owcimomd at %s, user %s, password %s; tool state in %s; Ctrl-C stops it"
          % (daemon.url, workspace.user, workspace.password, workspace.state_dir))
    try:
        while daemon.running():
            time.sleep(0.5)
        print(daemon.log_tail(output=True), file=sys.stderr)
        return 1
    except KeyboardInterrupt:
        return 0
    finally:
        daemon.stop()


if __name__ == "__main__":
    sys.exit(main())
