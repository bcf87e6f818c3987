"""The plumbing of the road: how a step shows a client command and its answer, checks what it
got, follows a background operation with GetProgress, and turns CIM datetimes into text and
back. The steps themselves are in road_steps.py."""

import datetime
import re
import time

from wbem_session import strip_host

AVAILABLE = "ZVQ_AvailableSoftwareUpdate"
COMPONENT = "ZVQ_SoftwareUpdateComponent"
ACTIVE = "ZVQ_ActiveSoftwareUpdate"
SCHEDULED = "ZVQ_ScheduledSoftwareUpdate"
HISTORY = "ZVQ_HistorySoftwareUpdate"
INVENTORY = "ZVQ_SoftwareIdentity"
CARTRIDGE = "ZVQ_ElementManagerCartridgeVersionInfo"
FILE_NAME = "ZVQ_AvailableSoftwareFileName"
FILE_LIST = "ZVQ_AvailableSoftwareFileList"

PROGRESS_POLL_SECONDS = 0.2
PROGRESS_LIMIT_SECONDS = 30

# ValueMaps of the classes, for readable tables.
UPDATE_STATUS = {"0": "Obsolete", "1": "Applied", "2": "Scheduled", "3": "Available",
                 "4": "Invalid", "154": "Unknown"}
CLASSIFICATION = {"0": "Unknown", "1": "Other", "2": "Driver", "3": "Configuration Software",
                  "4": "Application Software", "5": "Instrumentation", "6": "Firmware/BIOS",
                  "7": "Diagnostic Software", "8": "Operating System", "9": "Middleware",
                  "10": "Firmware", "11": "BIOS/FCode"}


class RoadFailure(Exception):
    pass


def cim_datetime(moment):
    """An aware datetime as CIM text: yyyymmddhhmmss.uuuuuu and the UTC offset in minutes."""
    offset = int(moment.utcoffset().total_seconds() // 60)
    return "%s%s%03d" % (moment.strftime("%Y%m%d%H%M%S.000000"), "+" if offset >= 0 else "-",
                         abs(offset))


def parse_cim_datetime(text):
    match = re.fullmatch(r"(\d{14})\.\d{6}([+-])(\d{3})", text or "")
    if not match:
        return None
    minutes = int(match.group(3)) * (1 if match.group(2) == "+" else -1)
    zone = datetime.timezone(datetime.timedelta(minutes=minutes))
    return datetime.datetime.strptime(match.group(1), "%Y%m%d%H%M%S").replace(tzinfo=zone)


def shown_date(text):
    moment = parse_cim_datetime(text)
    return moment.astimezone().strftime("%Y-%m-%d %H:%M:%S") if moment else text


def tomorrow_at(hour):
    now = datetime.datetime.now().astimezone()
    day = (now + datetime.timedelta(days=1)).replace(hour=hour, minute=0, second=0,
                                                     microsecond=0, tzinfo=None)
    return day.astimezone()


def key_text(reference):
    """The key part of a reference value: 'root/cimv2:C.K="v"' -> 'K="v"'."""
    return strip_host(reference or "").partition(".")[2]


def key_of(props):
    return (props.get("Name"), props.get("VersionString"))


class RoadBase:
    """What every step uses; the step list and the steps are in road_steps.Road."""

    def __init__(self, client, session, transcript, stop_on_failure):
        self.client = client
        self.session = session
        self.t = transcript
        self.stop_on_failure = stop_on_failure
        self.failures = []
        self.passed = 0
        self.number = 0
        self.total = 0
        self.available = {}  # (name, version) -> InstanceID in the last listing

    def begin(self, title, why):
        self.number += 1
        self.t.step(self.number, self.total, title, why)

    def expect(self, ok, what, detail=""):
        self.t.check(ok, what, detail)
        if ok:
            self.passed += 1
            return True
        self.failures.append(what)
        if self.stop_on_failure:
            raise RoadFailure(what)
        return False

    def call(self, verb, path, *extra, flags=(), raw=True):
        """Runs one client command and shows it; the answer is shown as wbemcli printed it
        when raw is set, when the transcript asks for raw answers, or when it is an error."""
        answer = self.client.run(verb, path, *extra, flags=flags)
        self.t.command(answer.shown)
        if raw or self.t.raw or not answer.ok:
            records = answer.records()
            lines = [strip_host(r).replace("\n", "\\n") for r in records] if records else \
                [line for line in answer.output.split("\n") if line.strip()] or ["(empty answer)"]
            self.t.answer_lines(lines)
        return answer

    def show_properties(self, instances, names):
        """One line per instance with only the properties that matter to the step."""
        self.t.answer_lines([", ".join("%s=%s" % (n, props.get(n)) for n in names if n in props)
                             for _, props in instances] or ["(no instances)"])

    def method(self, path, name, params="", raw=True):
        """Invokes a method; returns the answer and the method's return value as text."""
        answer = self.call("cm", path, name + ("." + params if params else ""), raw=raw)
        result = answer.method_result(name)
        return answer, (result[0] if result else None)

    def update_path(self, update):
        if update not in self.available:
            raise RoadFailure("%s %s is not in the list of available updates" % update)
        return '%s.InstanceID="%s"' % (AVAILABLE, self.available[update])

    def list_instances(self, cls, headers, row):
        answer = self.call("ei", cls, raw=False)
        instances = [props for _, props in answer.instances()] if answer.ok else []
        if answer.ok:
            self.t.table(headers, [row(p) for p in instances])
        return answer, instances

    def progress(self):
        answer = self.client.run("cm", AVAILABLE, "GetProgress")
        match = re.search(r"GetProgress: (-?\d+), Status \(string\): (.*)", answer.output)
        if not answer.ok or not match:
            raise RoadFailure("GetProgress gave no readable answer: " + answer.output.strip())
        return int(match.group(1)), match.group(2).rstrip("\n")

    def follow(self, on_started=None):
        """Polls GetProgress and shows every new report until the code leaves 1 (running).
        on_started runs once, as soon as the tool reports real work (not the announcement)."""
        self.t.command(self.client.shown("cm", AVAILABLE, "GetProgress") +
                       "    # every %.1f s" % PROGRESS_POLL_SECONDS)
        deadline = time.monotonic() + PROGRESS_LIMIT_SECONDS
        last = None
        while True:
            code, text = self.progress()
            if (code, text) != last:
                self.t.progress(code, text)
                last = (code, text)
            if code != 1:
                return code, text
            if on_started and re.match(r"(Applying|Downloading|Rolling back) ", text):
                started, on_started = on_started, None
                started()
            if time.monotonic() > deadline:
                raise RoadFailure("the background operation did not end within %d s"
                                  % PROGRESS_LIMIT_SECONDS)
            time.sleep(PROGRESS_POLL_SECONDS)
