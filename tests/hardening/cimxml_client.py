"""A small CIM-XML client over plain HTTP for the daemon's hardening tests: builds the requests
of the intrinsic and extrinsic operations the tests need and reads the answers back, so texts
holding newlines, quotes or shell characters reach the daemon exactly as written."""

import base64
import http.client
import os
import socket
import subprocess
import tempfile
import time
import xml.etree.ElementTree as ET
from xml.sax.saxutils import escape, quoteattr

NAMESPACE = "root/cimv2"
# The sanitizers the daemon was built with ("" for none), as the build tells the tests. Under
# them everything runs several times slower, so waits are stretched by TIME_SCALE, and the
# memory the process holds says nothing about leaks (freed blocks stay quarantined, shadow
# memory grows with use): the leak checker at the daemon's exit takes that job.
SANITIZERS = os.environ.get("SWU_SANITIZE", "")
TIME_SCALE = 1 if not SANITIZERS else 8 if "thread" in SANITIZERS else 4
REQUEST_LIMIT_SECONDS = 30 * TIME_SCALE
STARTUP_LIMIT_SECONDS = 15 * TIME_SCALE
STOP_LIMIT_SECONDS = 5 * TIME_SCALE
# What a sanitizer's report starts with, in the daemon's output.
SANITIZER_MARKERS = ("ERROR: AddressSanitizer", "ERROR: LeakSanitizer", "runtime error:",
                     "WARNING: ThreadSanitizer", "ERROR: ThreadSanitizer")


def free_port():
    with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def _namespace_path():
    return "<LOCALNAMESPACEPATH>%s</LOCALNAMESPACEPATH>" % "".join(
        '<NAMESPACE NAME="%s"/>' % part for part in NAMESPACE.split("/"))


def _instance_name(cls, keys):
    bindings = "".join(
        '<KEYBINDING NAME=%s>%s</KEYBINDING>' % (quoteattr(name), _key_value(value))
        for name, value in sorted(keys.items()))
    return '<INSTANCENAME CLASSNAME=%s>%s</INSTANCENAME>' % (quoteattr(cls), bindings)


def _key_value(value):
    """A string key, or a reference key as an answer gave it."""
    if isinstance(value, ET.Element):
        return ET.tostring(value, encoding="unicode")
    return '<KEYVALUE VALUETYPE="string">%s</KEYVALUE>' % escape(value)


def _value(value):
    """A Python value as a typed PARAMVALUE body and its CIM type."""
    if isinstance(value, bool):
        return "<VALUE>%s</VALUE>" % ("true" if value else "false"), "boolean"
    if isinstance(value, DateTime):
        return "<VALUE>%s</VALUE>" % escape(value.text), "datetime"
    return "<VALUE>%s</VALUE>" % escape(value), "string"


class DateTime:
    def __init__(self, text):
        self.text = text


class Answer:
    """One CIM-XML answer: the HTTP status, the CIM error (code, text) if any, and the parsed
    IMETHODRESPONSE or METHODRESPONSE element."""

    def __init__(self, status, body, headers):
        self.status = status
        self.body = body
        self.headers = headers
        self.error = None
        self.response = None
        self.parse_error = None
        if status != 200:
            return
        try:
            root = ET.fromstring(body)
        except ET.ParseError as e:
            self.parse_error = str(e)
            return
        self.response = root.find("./MESSAGE/SIMPLERSP/*")
        if self.response is None:
            self.parse_error = "no SIMPLERSP"
            return
        error = self.response.find("ERROR")
        if error is not None:
            self.error = (int(error.get("CODE")), error.get("DESCRIPTION") or "")

    @property
    def ok(self):
        return self.status == 200 and self.response is not None and self.error is None

    def code(self):
        return self.error[0] if self.error else (0 if self.ok else None)

    def instances(self):
        """(keys, {property: (type, value or None)}) of each instance in the answer."""
        found = []
        for named in self.response.iter("VALUE.NAMEDINSTANCE"):
            keys = _keys(named.find("INSTANCENAME"))
            found.append((keys, _properties(named.find("INSTANCE"))))
        if not found:
            for inst in self.response.iter("INSTANCE"):
                found.append(({}, _properties(inst)))
        return found

    def names(self):
        nested = set(map(id, self._nested_names()))
        return [_keys(name) for name in self.response.iter("INSTANCENAME")
                if id(name) not in nested]

    def _nested_names(self):
        """Instance names inside references, which are not names of the answer's objects."""
        return [name for ref in self.response.iter("VALUE.REFERENCE")
                for name in ref.iter("INSTANCENAME")]

    def return_value(self):
        node = self.response.find("RETURNVALUE")
        return None if node is None else node.findtext("VALUE")

    def out_params(self):
        return {p.get("NAME"): p.findtext("VALUE") for p in self.response.findall("PARAMVALUE")}


def _keys(instance_name):
    """Own key bindings only; a reference key's nested bindings belong to the referenced one."""
    if instance_name is None:
        return {}
    keys = {}
    for binding in instance_name.findall("KEYBINDING"):
        reference = binding.find("VALUE.REFERENCE")
        keys[binding.get("NAME")] = (reference if reference is not None
                                     else binding.findtext("KEYVALUE") or "")
    return keys


def _properties(instance):
    props = {}
    if instance is None:
        return props
    for prop in instance.findall("PROPERTY"):
        props[prop.get("NAME")] = (prop.get("TYPE"), prop.findtext("VALUE"))
    return props


class Client:
    def __init__(self, port, user, password):
        self.port = port
        self.auth = "Basic " + base64.b64encode(
            ("%s:%s" % (user, password)).encode()).decode()

    def _post(self, method_header, object_header, body):
        xml = ('<?xml version="1.0" encoding="utf-8"?><CIM CIMVERSION="2.0" DTDVERSION="2.0">'
               '<MESSAGE ID="1" PROTOCOLVERSION="1.0"><SIMPLEREQ>%s</SIMPLEREQ></MESSAGE></CIM>'
               % body).encode("utf-8")
        connection = http.client.HTTPConnection("127.0.0.1", self.port,
                                                timeout=REQUEST_LIMIT_SECONDS)
        try:
            connection.request("POST", "/cimom", xml, {
                "Content-Type": 'application/xml; charset="utf-8"',
                "CIMOperation": "MethodCall",
                "CIMMethod": method_header,
                "CIMObject": object_header,
                "Authorization": self.auth,
            })
            response = connection.getresponse()
            data = response.read()
            return Answer(response.status, data, dict(response.getheaders()))
        finally:
            connection.close()

    def intrinsic(self, name, params_xml):
        body = ('<IMETHODCALL NAME="%s">%s%s</IMETHODCALL>'
                % (name, _namespace_path(), params_xml))
        return self._post(name, NAMESPACE.replace("/", "%2F"), body)

    def enumerate_names(self, cls):
        return self.intrinsic("EnumerateInstanceNames",
                              '<IPARAMVALUE NAME="ClassName"><CLASSNAME NAME="%s"/></IPARAMVALUE>'
                              % cls)

    def enumerate(self, cls, properties=None):
        extra = ""
        if properties is not None:
            extra = ('<IPARAMVALUE NAME="PropertyList"><VALUE.ARRAY>%s</VALUE.ARRAY>'
                     '</IPARAMVALUE>' % "".join("<VALUE>%s</VALUE>" % p for p in properties))
        return self.intrinsic("EnumerateInstances",
                              '<IPARAMVALUE NAME="ClassName"><CLASSNAME NAME="%s"/></IPARAMVALUE>'
                              '<IPARAMVALUE NAME="DeepInheritance"><VALUE>true</VALUE>'
                              '</IPARAMVALUE>%s' % (cls, extra))

    def get(self, cls, keys, properties=None):
        extra = ""
        if properties is not None:
            extra = ('<IPARAMVALUE NAME="PropertyList"><VALUE.ARRAY>%s</VALUE.ARRAY>'
                     '</IPARAMVALUE>' % "".join("<VALUE>%s</VALUE>" % p for p in properties))
        return self.intrinsic("GetInstance", '<IPARAMVALUE NAME="InstanceName">%s</IPARAMVALUE>%s'
                              % (_instance_name(cls, keys), extra))

    def modify(self, cls, keys, properties):
        props = "".join('<PROPERTY NAME=%s TYPE="%s">%s</PROPERTY>'
                        % (quoteattr(n), _value(v)[1], _value(v)[0])
                        for n, v in properties.items())
        keyprops = "".join('<PROPERTY NAME=%s TYPE="string"><VALUE>%s</VALUE></PROPERTY>'
                           % (quoteattr(n), escape(v)) for n, v in keys.items())
        body = ('<IPARAMVALUE NAME="ModifiedInstance"><VALUE.NAMEDINSTANCE>%s'
                '<INSTANCE CLASSNAME="%s">%s%s</INSTANCE></VALUE.NAMEDINSTANCE></IPARAMVALUE>'
                '<IPARAMVALUE NAME="PropertyList"><VALUE.ARRAY>%s</VALUE.ARRAY></IPARAMVALUE>'
                % (_instance_name(cls, keys), cls, keyprops, props,
                   "".join("<VALUE>%s</VALUE>" % n for n in properties)))
        return self.intrinsic("ModifyInstance", body)

    def associators(self, cls, keys, result_class):
        return self.intrinsic("Associators", '<IPARAMVALUE NAME="ObjectName">%s</IPARAMVALUE>'
                              '<IPARAMVALUE NAME="ResultClass"><CLASSNAME NAME="%s"/>'
                              '</IPARAMVALUE>' % (_instance_name(cls, keys), result_class))

    def invoke(self, cls, method, keys=None, params=None):
        if keys is None:
            target = "<LOCALCLASSPATH>%s<CLASSNAME NAME=\"%s\"/></LOCALCLASSPATH>" % (
                _namespace_path(), cls)
            header = "%s:%s" % (NAMESPACE.replace("/", "%2F"), cls)
        else:
            target = "<LOCALINSTANCEPATH>%s%s</LOCALINSTANCEPATH>" % (
                _namespace_path(), _instance_name(cls, keys))
            header = "%s:%s.%s" % (NAMESPACE.replace("/", "%2F"), cls, ",".join(
                '%s="%s"' % (k, v.replace("\\", "\\\\").replace('"', '\\"'))
                for k, v in sorted(keys.items())))
            header = "".join(c if 32 < ord(c) < 127 else "%%%02X" % ord(c) for c in header)
        parts = []
        for name, value in (params or {}).items():
            body, cim_type = _value(value)
            parts.append('<PARAMVALUE NAME="%s" PARAMTYPE="%s">%s</PARAMVALUE>'
                         % (name, cim_type, body))
        body = '<METHODCALL NAME="%s">%s%s</METHODCALL>' % (method, target, "".join(parts))
        return self._post(method, header, body)


class Daemon:
    """cimomd on a free loopback port with users admin/adminpw and reader/readerpw."""

    def __init__(self, cimomd, passwd, provider_dir, mof, workdir, env=None, items=None):
        self.workdir = workdir
        self.port = free_port()
        self.log_file = os.path.join(workdir, "cimomd.log")
        users = os.path.join(workdir, "users")
        for user, role, password in (("admin", "admin", "adminpw"),
                                     ("reader", "readonly", "readerpw")):
            subprocess.run([passwd, "-f", users, "add", user, role],
                           input=password + "\n", text=True, check=True,
                           capture_output=True)
        config = {
            "http_server.http_port": str(self.port),
            "http_server.listen_addresses": "127.0.0.1",
            "cimomd.users_file": users,
            "cimomd.mof_files": mof,
            "cimomd.audit_log": os.path.join(workdir, "audit.log"),
            "cppprovifc.prov_location": provider_dir,
            "owcimomd.log_level": "error",
        }
        config.update(items or {})
        self.config = os.path.join(workdir, "cimomd.conf")
        with open(self.config, "w") as f:
            for key, value in config.items():
                f.write("%s = %s\n" % (key, value))
        environment = dict(os.environ)
        environment.update(env or {})
        self.log = open(self.log_file, "w")
        self.process = subprocess.Popen(
            [cimomd, "--config", self.config, "--pid-file", os.path.join(workdir, "pid")],
            stdout=self.log, stderr=subprocess.STDOUT, env=environment)
        self.admin = Client(self.port, "admin", "adminpw")
        self.reader = Client(self.port, "reader", "readerpw")

    def wait_ready(self):
        deadline = time.monotonic() + STARTUP_LIMIT_SECONDS
        while time.monotonic() < deadline:
            if self.process.poll() is not None:
                return False
            try:
                socket.create_connection(("127.0.0.1", self.port), timeout=0.5).close()
                return True
            except OSError:
                time.sleep(0.05)
        return False

    def alive(self):
        return self.process.poll() is None

    def rss_kib(self):
        with open("/proc/%d/status" % self.process.pid) as f:
            for line in f:
                if line.startswith("VmRSS:"):
                    return int(line.split()[1])
        return None

    def output(self):
        if not self.log.closed:
            self.log.flush()
        with open(self.log_file, errors="replace") as f:
            return f.read()

    def stop(self):
        """Stops the daemon; returns a list of what went wrong on the way out: no clean exit,
        or a sanitizer report anywhere in its output."""
        problems = []
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(timeout=STOP_LIMIT_SECONDS)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
                problems.append("the daemon did not stop within %d s of SIGTERM"
                                % STOP_LIMIT_SECONDS)
        else:
            problems.append("the daemon had ended (exit status %d)" % self.process.returncode)
        if not problems and self.process.returncode != 0:
            problems.append("the daemon exited with status %d" % self.process.returncode)
        self.log.close()
        text = self.output()
        for marker in SANITIZER_MARKERS:
            at = text.find(marker)
            if at >= 0:
                problems.append("sanitizer report in the daemon's output:\n"
                                + text[max(0, at - 200):at + 3000])
                break
        return problems


def make_workdir(prefix):
    return tempfile.mkdtemp(prefix=prefix)
