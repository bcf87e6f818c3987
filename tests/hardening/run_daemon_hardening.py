#!/usr/bin/env python3
"""Hostile HTTP clients against the daemon: bursts of missing, wrong and malformed
credentials, a read-only user calling every method, entity declarations, unknown operations,
slow and truncated requests and clients that hang up in the middle of a large answer. Each
gets its refusal, no refused call reaches the tool, and the daemon answers the next request."""

import base64
import os
import select
import socket
import sys
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from cimxml_client import DateTime  # noqa: E402
from harness import TIME_SCALE, check, finish, parse_args, start  # noqa: E402

BURST_THREADS = 16
BURST_REQUESTS_PER_THREAD = 25
HANGUPS = 20
# Large enough that an answer is still being written when its client hangs up; under the
# sanitizers a tenth of it does that and spares a minute of building instances nobody reads.
LARGE_LISTING_LINES = 20000 if TIME_SCALE == 1 else 2000
SLOW_CLIENTS = 2  # fewer than the worker threads configured below
WORKER_THREADS = 4
SLOW_BYTE_INTERVAL_SECONDS = 0.5
ANSWER_LIMIT_SECONDS = 5 * TIME_SCALE
# The daemon's limit for a request line and headers (kHeaderTimeLimitSeconds), and how much
# later than that a connection may be cut or a waiting request answered.
HEADER_LIMIT_SECONDS = 15
HEADER_LIMIT_MARGIN_SECONDS = 3 * TIME_SCALE
CIM_ERR_ACCESS_DENIED = 2
CIM_ERR_NOT_SUPPORTED = 7

METHODS = {  # class: [(method, in-parameters)]
    "ZVQ_AvailableSoftwareUpdate": [
        ("GetViaFtp", {"Address": "10.0.0.1", "User": "u", "Password": "p", "Directory": "d"}),
        ("GetViaHttp", {"Address": "10.0.0.1", "Secure": False, "User": "u", "Password": "p",
                        "Directory": "d"}),
        ("GetViaSamba", {"Address": "10.0.0.1", "User": "u", "Password": "p",
                         "Directory": "d"}),
        ("GetViaUsb", {"Path": "/media"}), ("GetViaHardDrive", {"Path": "/srv"}),
        ("GetViaElementManager", {}), ("GetProgress", {}), ("Apply", {}), ("Warnings", {}),
        ("HasOptionalComponents", {}),
        ("AddToSchedule", {"StartTime": DateTime("20300306020000.000000+000"),
                           "EndTime": DateTime("20300306040000.000000+000")})],
    "ZVQ_ScheduledSoftwareUpdate": [
        ("Modify", {"StartTime": DateTime("20300306020000.000000+000"),
                    "EndTime": DateTime("20300306040000.000000+000")}), ("Remove", {})],
    "ZVQ_ActiveSoftwareUpdate": [("Cancel", {})],
    "ZVQ_HistorySoftwareUpdate": [("Remove", {})],
}


def raw(port, data, wait=ANSWER_LIMIT_SECONDS):
    with socket.create_connection(("127.0.0.1", port), timeout=wait) as s:
        s.sendall(data)
        received = b""
        try:
            while True:
                chunk = s.recv(65536)
                if not chunk:
                    break
                received += chunk
        except OSError:
            pass
    return received


def post(body, method="EnumerateClassNames", auth="admin:adminpw", operation="MethodCall"):
    headers = ["POST /cimom HTTP/1.1", "Host: x", "CIMOperation: " + operation,
               "CIMMethod: " + method, "CIMObject: root%2Fcimv2", "Connection: close",
               "Content-Type: application/xml", "Content-Length: %d" % len(body)]
    if auth is not None:
        headers.append("Authorization: Basic " + base64.b64encode(auth.encode()).decode())
    return ("\r\n".join(headers) + "\r\n\r\n").encode() + body


def status(response):
    parts = response.split(b" ", 2)
    return int(parts[1]) if len(parts) > 1 and parts[1].isdigit() else None


def intrinsic_body(name, params=""):
    return ('<?xml version="1.0"?><CIM CIMVERSION="2.0" DTDVERSION="2.0"><MESSAGE ID="1" '
            'PROTOCOLVERSION="1.0"><SIMPLEREQ><IMETHODCALL NAME="%s"><LOCALNAMESPACEPATH>'
            '<NAMESPACE NAME="root"/><NAMESPACE NAME="cimv2"/></LOCALNAMESPACEPATH>%s'
            '</IMETHODCALL></SIMPLEREQ></MESSAGE></CIM>' % (name, params)).encode()


def answers(daemon, label):
    started = time.monotonic()
    answer = daemon.admin.enumerate_names("ZVQ_SoftwareIdentity")
    took = time.monotonic() - started
    return check(daemon.alive() and answer.ok and took < ANSWER_LIMIT_SECONDS,
                 "%s: the daemon answers the next request (%.2f s)" % (label, took),
                 answer.body[:300])


def credential_burst(daemon):
    bad = [None, "admin:wrong", "nobody:adminpw", "admin:", ":", "admin", "reader:adminpw",
           "admin:adminpw\x00", "a" * 4000 + ":b"]
    outcomes = {}
    lock = threading.Lock()

    def client(seed):
        for i in range(BURST_REQUESTS_PER_THREAD):
            auth = bad[(seed + i) % len(bad)]
            try:
                code = status(raw(daemon.port, post(intrinsic_body("EnumerateClassNames"),
                                                    auth=auth)))
            except OSError as e:
                code = repr(e)
            with lock:
                outcomes[code] = outcomes.get(code, 0) + 1

    threads = [threading.Thread(target=client, args=(n,)) for n in range(BURST_THREADS)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    check(set(outcomes) == {401}, "a burst of %d bad credentials: every one 401 (%r)"
          % (BURST_THREADS * BURST_REQUESTS_PER_THREAD, outcomes))
    # Malformed Authorization headers, byte for byte.
    for header in (b"Basic", b"Basic !!!!", b"Bearer abc", b"Basic " + b"A" * 9000, b"Digest x"):
        request = post(intrinsic_body("EnumerateClassNames"), auth=None).replace(
            b"\r\n\r\n", b"\r\nAuthorization: " + header + b"\r\n\r\n", 1)
        code = status(raw(daemon.port, request))
        check(code in (400, 401, 431), "Authorization %r...: refused (%s)" % (header[:20], code))
    answers(daemon, "credential burst")


def reader_calls(daemon, tool):
    tool.take_calls()
    for cls, methods in METHODS.items():
        for method, params in methods:
            answer = daemon.reader.invoke(cls, method, {"InstanceID": "0"}, params)
            check(answer.code() == CIM_ERR_ACCESS_DENIED,
                  "read-only user: %s.%s denied" % (cls, method), answer.body[:300])
            static = daemon.reader.invoke(cls, method, None, params)
            check(static.code() == CIM_ERR_ACCESS_DENIED,
                  "read-only user: %s.%s on the class denied" % (cls, method),
                  static.body[:300])
    answer = daemon.reader.modify("ZVQ_SoftwareUpdateComponent", {"InstanceID": "0"},
                                  {"Install": True})
    check(answer.code() == CIM_ERR_ACCESS_DENIED, "read-only user: ModifyInstance denied",
          answer.body[:300])
    time.sleep(0.3)  # a background call would show up by now
    calls = tool.take_calls()
    check(not calls, "no refused call reached the tool", "%r" % calls)


def bad_documents(daemon):
    laughs = ('<?xml version="1.0"?><!DOCTYPE CIM [<!ENTITY a "aaaaaaaaaaaaaaaa">'
              '<!ENTITY b "&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;">'
              '<!ENTITY c "&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;">'
              '<!ENTITY d "&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;">]>'
              '<CIM CIMVERSION="2.0" DTDVERSION="2.0"><MESSAGE ID="&d;" PROTOCOLVERSION="1.0">'
              '<SIMPLEREQ><IMETHODCALL NAME="EnumerateClassNames"><LOCALNAMESPACEPATH>'
              '<NAMESPACE NAME="root"/><NAMESPACE NAME="cimv2"/></LOCALNAMESPACEPATH>'
              '</IMETHODCALL></SIMPLEREQ></MESSAGE></CIM>').encode()
    external = intrinsic_body("EnumerateClassNames").replace(
        b"<CIM ", b'<!DOCTYPE CIM SYSTEM "file:///etc/passwd"><CIM ', 1)
    cases = [
        ("entity expansion", post(laughs), {400}),
        ("external entity", post(external), {400}),
        ("malformed XML", post(b"<CIM><MESSAGE"), {400}),
        ("not XML", post(b"\x00\xff\xfe garbage"), {400}),
        ("wrong root", post(b'<?xml version="1.0"?><HTML/>'), {400}),
        ("unknown CIMOperation", post(intrinsic_body("EnumerateClassNames"),
                                      operation="Frobnicate"), {400}),
    ]
    for label, request, allowed in cases:
        response = raw(daemon.port, request)
        check(status(response) in allowed, "%s: %s" % (label, sorted(allowed)),
              repr(response[:300]))
        check(b"aaaaaaaaaaaaaaaa" not in response and b"root:" not in response,
              label + ": nothing expanded into the answer")
    # An unknown intrinsic operation is a CIM error, the connection otherwise sound.
    response = raw(daemon.port, post(intrinsic_body("FrobnicateInstances"),
                                     method="FrobnicateInstances"))
    check(status(response) == 200 and b'CODE="%d"' % CIM_ERR_NOT_SUPPORTED in response,
          "unknown operation: CIM_ERR_NOT_SUPPORTED", repr(response[:300]))
    answers(daemon, "bad documents")


def hang_ups(daemon, tool):
    tool.answer("inventory", out="".join("p%d\t1.%d\tOther\tTue Feb 10 22:00:00 2004\n" % (i, i)
                                         for i in range(LARGE_LISTING_LINES)))
    request = post(intrinsic_body("EnumerateInstances",
                                  '<IPARAMVALUE NAME="ClassName"><CLASSNAME '
                                  'NAME="ZVQ_SoftwareIdentity"/></IPARAMVALUE>'),
                   method="EnumerateInstances")
    for i in range(HANGUPS):
        with socket.create_connection(("127.0.0.1", daemon.port)) as s:
            s.sendall(request)
            if i % 2:
                s.recv(100)  # the first bytes of the answer, then gone
            s.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, b"\x01\x00\x00\x00\x00\x00\x00\x00")
    time.sleep(0.5)
    tool.answer("inventory", out="kernel\t2.6\tOther\tTue Feb 10 22:00:00 2004\n")
    answers(daemon, "%d clients gone mid-answer" % HANGUPS)


def trickle(port, request, stop, cut_after, index):
    """Sends the request a byte at a time until stopped; cut_after[index] becomes the seconds
    from the start until the daemon closed the connection, or stays None."""
    started = time.monotonic()
    try:
        with socket.create_connection(("127.0.0.1", port), timeout=30) as s:
            for byte in request:
                if stop.is_set():
                    return
                s.sendall(bytes([byte]))
                readable, _, _ = select.select([s], [], [], SLOW_BYTE_INTERVAL_SECONDS)
                if readable and not s.recv(4096):
                    cut_after[index] = time.monotonic() - started
                    return
    except OSError:
        cut_after[index] = time.monotonic() - started


def trickling(daemon, count):
    """Starts count clients trickling a request; returns their stop event, threads and the
    list where they note when they were cut off."""
    request = post(intrinsic_body("EnumerateClassNames"))
    stop = threading.Event()
    cut_after = [None] * count
    threads = [threading.Thread(target=trickle, args=(daemon.port, request, stop, cut_after, n))
               for n in range(count)]
    for t in threads:
        t.start()
    return stop, threads, cut_after


def slow_and_truncated(daemon):
    stop, slow, _ = trickling(daemon, SLOW_CLIENTS)
    time.sleep(1 * TIME_SCALE)
    answers(daemon, "%d slow clients sending" % SLOW_CLIENTS)
    stop.set()
    for t in slow:
        t.join()

    # As many as there are workers: each is cut off once the head limit has passed, and the
    # request waiting behind them is answered then.
    stop, slow, cut_after = trickling(daemon, WORKER_THREADS)
    time.sleep(1 * TIME_SCALE)
    started = time.monotonic()
    try:
        answer = daemon.admin.enumerate_names("ZVQ_SoftwareIdentity")
        answered, detail = answer.ok, answer.body[:300]
    except OSError as e:
        answered, detail = False, repr(e)
    took = time.monotonic() - started
    limit = HEADER_LIMIT_SECONDS + HEADER_LIMIT_MARGIN_SECONDS
    check(daemon.alive() and answered and took < limit,
          "%d slow clients, one per worker: the next request is answered (%.2f s)"
          % (WORKER_THREADS, took), detail)
    for t in slow:
        t.join(limit)
    stop.set()
    for t in slow:
        t.join()
    check(all(cut is not None and HEADER_LIMIT_SECONDS <= cut < limit for cut in cut_after),
          "slow clients cut off after the head limit of %d s" % HEADER_LIMIT_SECONDS,
          "%r" % cut_after)
    warnings = daemon.output().count("no complete request head within %d s"
                                     % HEADER_LIMIT_SECONDS)
    check(warnings == WORKER_THREADS, "one warning for each slow client (%d)" % warnings)

    # Truncated: fewer body bytes than announced, then the client is gone.
    full = post(intrinsic_body("EnumerateClassNames"))
    for cut in (len(full) // 3, len(full) - 10, full.index(b"\r\n\r\n") + 2):
        with socket.create_connection(("127.0.0.1", daemon.port)) as s:
            s.sendall(full[:cut])
    answers(daemon, "truncated requests")


def main():
    args = parse_args()
    workdir, tool, daemon = start(args, "hardening_daemon_",
                                  items={"cimomd.worker_threads": str(WORKER_THREADS)})
    try:
        tool.answer("inventory", out="kernel\t2.6\tOther\tTue Feb 10 22:00:00 2004\n")
        answers(daemon, "start")
        credential_burst(daemon)
        reader_calls(daemon, tool)
        bad_documents(daemon)
        hang_ups(daemon, tool)
        slow_and_truncated(daemon)
    finally:
        result = finish(workdir, daemon, "")
    return result


if __name__ == "__main__":
    sys.exit(main())
