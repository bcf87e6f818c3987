"""The pieces the demo and the road test share: a private workspace with users and a daemon
configuration, the daemon itself on a free loopback port, a loopback web server that offers the
sample updates, and the WBEM client (wbemcli) with readers for its answers.

Everything runs as the calling user and writes only into the workspace directory. Each child
process gets a session of its own, so a Ctrl-C in the terminal reaches only the caller, which
then stops its children in order."""

import os
import re
import secrets
import shlex
import signal
import socket
import subprocess
import sys
import time

NAMESPACE = "root/cimv2"
DAEMON_START_LIMIT_SECONDS = 15
DAEMON_STOP_LIMIT_SECONDS = 5
SERVER_START_LIMIT_SECONDS = 10
CLIENT_LIMIT_SECONDS = 30
POLL_INTERVAL_SECONDS = 0.05


def free_port():
    with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait_for_port(port, process, limit_seconds):
    """True once something accepts connections on the port; False if the process ended first
    or the limit passed."""
    deadline = time.monotonic() + limit_seconds
    while time.monotonic() < deadline:
        if process.poll() is not None:
            return False
        try:
            socket.create_connection(("127.0.0.1", port), timeout=0.5).close()
            return True
        except OSError:
            time.sleep(POLL_INTERVAL_SECONDS)
    return False


def stop_process_group(process, limit_seconds):
    """SIGTERM to the child, then SIGKILL to whatever is left of its process group. The daemon
    blocks its stop signals in every thread, and the tool runs it started inherit that mask,
    so only SIGKILL ends a tool run that outlives the daemon."""
    if process is None:
        return
    if process.poll() is None:
        process.send_signal(signal.SIGTERM)
        try:
            process.wait(timeout=limit_seconds)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()
    try:
        os.killpg(process.pid, signal.SIGKILL)
    except (ProcessLookupError, PermissionError):
        pass


class Workspace:
    """A directory with the users file, the daemon's configuration and logs, and the tool's state
    directory. The caller owns the directory and removes it."""

    def __init__(self, paths, directory, tool_settings):
        self.paths = paths
        self.directory = directory
        self.state_dir = os.path.join(directory, "state")
        self.users_file = os.path.join(directory, "users")
        self.config_file = os.path.join(directory, "cimomd.conf")
        self.log_file = os.path.join(directory, "cimomd.log")
        self.audit_file = os.path.join(directory, "cimomd-audit.log")
        self.pid_file = os.path.join(directory, "cimomd.pid")
        # What the daemon and its provider print outside the log: provider diagnostics, and the
        # reports of a sanitizer build.
        self.output_file = os.path.join(directory, "cimomd.out")
        self.tool_settings = dict(tool_settings)
        self.user = "admin"
        self.password = secrets.token_urlsafe(12)
        self.reader = "reader"
        self.reader_password = secrets.token_urlsafe(12)

    def prepare(self, port):
        os.makedirs(self.state_dir, exist_ok=True)
        for name, role, password in ((self.user, "admin", self.password),
                                     (self.reader, "readonly", self.reader_password)):
            subprocess.run([self.paths["passwd"], "-f", self.users_file, "add", name, role],
                           input=password + "\n", text=True, check=True,
                           stdout=subprocess.DEVNULL)
        items = {
            "http_server.http_port": str(port),
            "http_server.listen_addresses": "127.0.0.1",
            "cimomd.users_file": self.users_file,
            "cimomd.mof_files": self.paths["mof"],
            "cimomd.audit_log": self.audit_file,
            "cppprovifc.prov_location": self.paths["provider_dir"],
            "owcimomd.log_location": self.log_file,
            "owcimomd.log_level": "info",
        }
        with open(self.config_file, "w") as f:
            f.write("# Written for one run of the demo; removed with its directory.\n")
            for key, value in items.items():
                f.write("%s = %s\n" % (key, value))

    def tool_environment(self):
        """The tool runs as a child of the daemon, so its settings travel in the daemon's
        environment."""
        env = dict(os.environ)
        env["SOFTINV_STATE_DIR"] = self.state_dir
        for key, value in self.tool_settings.items():
            env["SOFTINV_" + key.upper()] = str(value)
        return env

    def run_tool(self, *args):
        """Runs the stand-in tool on the same state as the daemon does (for checks)."""
        result = subprocess.run([self.paths["softinv"]] + list(args), capture_output=True,
                                text=True, env=self.tool_environment(),
                                timeout=CLIENT_LIMIT_SECONDS)
        return result.returncode, result.stdout


class Daemon:
    def __init__(self, workspace):
        self.workspace = workspace
        self.port = free_port()
        self.process = None

    @property
    def url(self):
        return "http://127.0.0.1:%d/%s" % (self.port, NAMESPACE)

    def start(self):
        self.workspace.prepare(self.port)
        with open(self.workspace.output_file, "w") as output:
            self.process = subprocess.Popen(
                [self.workspace.paths["cimomd"], "--config", self.workspace.config_file,
                 "--pid-file", self.workspace.pid_file],
                stdin=subprocess.DEVNULL, stdout=output, stderr=subprocess.STDOUT,
                env=self.workspace.tool_environment(), start_new_session=True)
        return wait_for_port(self.port, self.process, DAEMON_START_LIMIT_SECONDS)

    def running(self):
        return self.process is not None and self.process.poll() is None

    def log_tail(self, lines=20, output=False):
        """The last lines of the daemon's log, or of what it printed outside the log."""
        path = self.workspace.output_file if output else self.workspace.log_file
        try:
            with open(path, errors="replace") as f:
                return "".join(f.readlines()[-lines:])
        except OSError:
            return ""

    def stop(self):
        stop_process_group(self.process, DAEMON_STOP_LIMIT_SECONDS)


class UpdateServer:
    """A loopback web server offering a directory; the sample repository is one of its
    subdirectories, as it would be on a real update server."""

    def __init__(self, root, log_file):
        self.root = root
        self.log_file = log_file
        self.port = free_port()
        self.process = None

    def start(self):
        self.log = open(self.log_file, "w")
        self.process = subprocess.Popen(
            [sys.executable, "-m", "http.server", "--bind", "127.0.0.1", "--directory",
             self.root, str(self.port)],
            stdin=subprocess.DEVNULL, stdout=self.log, stderr=subprocess.STDOUT,
            start_new_session=True)
        return wait_for_port(self.port, self.process, SERVER_START_LIMIT_SECONDS)

    def stop(self):
        stop_process_group(self.process, DAEMON_STOP_LIMIT_SECONDS)
        if self.process is not None:
            self.log.close()


class Answer:
    """One run of wbemcli: the command as shown (password masked), exit status and output."""

    def __init__(self, shown, rc, output):
        self.shown = shown
        self.rc = rc
        self.output = output

    @property
    def ok(self):
        return self.rc == 0 and not self.error()

    def error(self):
        """(code, text) of a CIM error in the output, or None."""
        match = re.search(r"\((\d+)\) (CIM_ERR_\w+)(?:: ?(.*))?", self.output)
        return (int(match.group(1)), match.group(0)) if match else None

    def records(self):
        return split_records(self.output)

    def instances(self):
        """[(path, {property: value})] of an ei, ai, ri or gi answer."""
        return [split_instance(record) for record in self.records()]

    def paths(self):
        """Object paths of an ein, ain or rin answer, without the host part."""
        return [strip_host(record.strip()) for record in self.records()]

    def method_result(self, method):
        """(return value, rest) of a cm answer: the text after "<Method>: " up to the first
        out-parameter, and the out-parameter text; None when the answer has no result."""
        marker = " %s: " % method
        start = self.output.find(marker)
        if start < 0:
            return None
        text = self.output[start + len(marker):]
        # Out-parameters follow as ", <Name> (<type>): <value>".
        match = re.search(r", (\w+) \((\w+)\): ", text)
        if match:
            return text[:match.start()], text[match.start() + 2:]
        return text.rstrip("\n"), ""


def split_records(text):
    """wbemcli prints one record per line, but a string value may hold newlines of its own:
    a record ends at a newline outside double quotes."""
    records, current, quoted = [], [], False
    for ch in text:
        if ch == '"':
            quoted = not quoted
        if ch == "\n" and not quoted:
            line = "".join(current)
            if line.strip() and not line.startswith("*"):
                records.append(line)
            current = []
            continue
        current.append(ch)
    line = "".join(current)
    if line.strip() and not line.startswith("*"):
        records.append(line)
    return records


def strip_host(path):
    """"127.0.0.1:5988/root/cimv2:Class.Key=..." or "root/cimv2:Class..." -> "Class..."."""
    marker = NAMESPACE + ":"
    at = path.find(marker)
    return path[at + len(marker):] if at >= 0 else path


def split_outside_quotes(text, separator):
    parts, current, quoted = [], [], False
    for ch in text:
        if ch == '"':
            quoted = not quoted
        if ch == separator and not quoted:
            parts.append("".join(current))
            current = []
            continue
        current.append(ch)
    parts.append("".join(current))
    return parts


def split_instance(record):
    """"<path> Name="x",Flag=true,..." -> (path without host, {"Name": "x", "Flag": "true"})."""
    # The path's own key values may hold blanks: it ends at the first blank outside quotes.
    pieces = split_outside_quotes(record, " ")
    head, body = pieces[0], " ".join(pieces[1:])
    properties = {}
    for item in split_outside_quotes(body, ","):
        name, sep, value = item.partition("=")
        if not sep:
            continue
        if len(value) >= 2 and value[0] == '"' and value[-1] == '"' and value.count('"') == 2:
            value = value[1:-1]
        properties[name.strip()] = value
    return strip_host(head), properties


class Client:
    """Runs wbemcli against the daemon as one user. Commands are shown with the password masked,
    quoted so that they can be pasted into a shell."""

    def __init__(self, daemon, user, password):
        self.daemon = daemon
        self.user = user
        self.password = password
        self.calls = 0

    def object_path(self, cls, keys=None):
        path = cls
        if keys:
            path += "." + ",".join('%s="%s"' % (k, v) for k, v in keys.items())
        return path

    def _argv(self, verb, object_path, extra, flags, password):
        url = "http://%s:%s@127.0.0.1:%d/%s:%s" % (self.user, password, self.daemon.port,
                                                   NAMESPACE, object_path)
        return ["wbemcli", verb] + list(flags) + [url] + list(extra)

    def shown(self, verb, object_path, *extra, flags=()):
        """The command as the transcript shows it: the password masked."""
        return " ".join(shlex.quote(a) for a in
                        self._argv(verb, object_path, extra, flags, "****"))

    def run(self, verb, object_path, *extra, flags=()):
        shown = self.shown(verb, object_path, *extra, flags=flags)
        self.calls += 1
        try:
            result = subprocess.run(self._argv(verb, object_path, extra, flags, self.password),
                                    capture_output=True, text=True,
                                    timeout=CLIENT_LIMIT_SECONDS)
            return Answer(shown, result.returncode, result.stdout + result.stderr)
        except subprocess.TimeoutExpired:
            return Answer(shown, -1, "(wbemcli gave no answer within %d s)"
                          % CLIENT_LIMIT_SECONDS)
