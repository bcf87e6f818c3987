"""The steps of the road, in the order an administrator takes them: fetch updates, follow the
fetch, look at what arrived, read about an update, choose its components, apply it, cancel
another, see a failure, schedule, look at the history and roll back, then the inventory, the
cartridge version and the files of an update. Every step checks the answers it gets against
the sample repository (examples/updates), so the same road serves as demo and as test."""

from road_base import (ACTIVE, AVAILABLE, CARTRIDGE, CLASSIFICATION, COMPONENT, FILE_LIST,
                       FILE_NAME, HISTORY, INVENTORY, SCHEDULED, UPDATE_STATUS, RoadBase,
                       cim_datetime, key_of, key_text, parse_cim_datetime, shown_date,
                       tomorrow_at)
from wbem_session import strip_host

DESCRIPTION_SHOWN_LINES = 9

# The sample repository, as the road expects to find it.
SAMPLE_COUNT = 7
WEBAPP = ("mgmt-webapp", "4.2.0")
WEBAPP_OLD = ("mgmt-webapp", "4.1.3")
KERNEL_FIX = ("kernel-security-fix", "5.10.209-1")
CARTRIDGE_UPDATE = ("em-cartridge", "3.2.0")
RAID = ("raid-driver", "7.3.1")
FIRMWARE = ("bmc-firmware", "2.14.0")
TZDATA = ("tz-data", "2024a")
WEBAPP_COMPONENTS = ["reports", "ldap-auth", "snmp-agent"]
CHOSEN_COMPONENTS = ["reports", "snmp-agent"]
WEBAPP_FILES = ["mgmt-webapp-4.2.0.noarch.pkg", "mgmt-webapp-reports-4.2.0.noarch.pkg",
                "mgmt-webapp-ldap-4.2.0.noarch.pkg", "mgmt-webapp-snmp-4.2.0.noarch.pkg"]
SAMPLE_FILE_COUNT = 12
CARTRIDGE_BEFORE, CARTRIDGE_AFTER = "3.1.0", "3.2.0"


class Road(RoadBase):
    def walk(self):
        steps = [self.cartridge_before, self.fetch_from_disk, self.fetch_over_http,
                 self.list_available, self.read_description, self.read_warnings,
                 self.check_components, self.choose_components, self.apply_with_components,
                 self.cancel_an_apply, self.apply_cartridge, self.failed_apply,
                 self.put_on_schedule, self.change_schedule, self.apply_small_update,
                 self.history_and_rollback, self.inventory, self.cartridge_after,
                 self.available_after, self.files_of_update]
        self.total = len(steps)
        for step in steps:
            step()

    def start_apply(self, update, components_expected=False):
        """A client checks each update for optional components before applying it: the check
        also makes it the update whose component choices Apply uses."""
        path = self.update_path(update)
        _, has = self.method(path, "HasOptionalComponents")
        self.expect(has == ("true" if components_expected else "false"),
                    "HasOptionalComponents is %s" % str(components_expected).lower())
        answer, result = self.method(path, "Apply")
        self.expect(answer.ok and result == "", "the apply started (empty answer)",
                    answer.output)

    # --- the road ----------------------------------------------------------------------------

    def cartridge_before(self):
        self.begin("The element-manager cartridge before we start",
                   "The cartridge is one of the installed packages; the class %s reports its "
                   "version, which is also its one key." % CARTRIDGE)
        answer = self.call("ein", CARTRIDGE)
        self.expect(answer.paths() == ['%s.Version="%s"' % (CARTRIDGE, CARTRIDGE_BEFORE)],
                    "cartridge version %s" % CARTRIDGE_BEFORE, answer.output)
        code, text = self.progress()
        self.t.note("Nothing has run in the background yet; GetProgress says: %d, %s"
                    % (code, text))

    def fetch_from_disk(self):
        updates = self.session.paths["updates"]
        self.begin("Fetch updates from a directory on the hard drive",
                   "GetViaHardDrive is a static method: it hands the fetch to a background task "
                   "and answers at once with an empty string. GetProgress reports the tool's "
                   "progress: 1 while it runs, then 0 (done) or 2 (failed), with a text.")
        answer, result = self.method(AVAILABLE, "GetViaHardDrive", "Path=" + updates)
        self.expect(answer.ok and result == "", "the fetch started (empty answer)",
                    answer.output)
        code, text = self.follow()
        self.expect(code == 0 and text == "Fetched %d of %d updates from hd:%s"
                    % (SAMPLE_COUNT, SAMPLE_COUNT, updates),
                    "all %d sample updates fetched" % SAMPLE_COUNT, text)

    def fetch_over_http(self):
        server, directory = self.session.server, self.session.http_directory
        self.begin("Fetch the same updates over HTTP",
                   "A loopback web server (python3 -m http.server on port %d) offers the sample "
                   "repository. The tool reads the INDEX file of the directory, then each "
                   "bundle it names; Secure=true would use HTTPS. Fetching an update that is "
                   "already cached refreshes it." % server.port)
        answer, result = self.method(
            AVAILABLE, "GetViaHttp",
            "Address=127.0.0.1,Secure=false,User=,Password=,Directory=" + directory)
        self.expect(answer.ok and result == "", "the fetch started (empty answer)",
                    answer.output)
        code, text = self.follow()
        self.expect(code == 0 and text == "Fetched %d of %d updates from http://127.0.0.1:%d/%s/"
                    % (SAMPLE_COUNT, SAMPLE_COUNT, server.port, directory),
                    "all %d fetched over HTTP" % SAMPLE_COUNT, text)

    def list_available(self):
        self.begin("List the available updates",
                   "Enumerating %s reads the tool's cache. InstanceID is the position in this "
                   "listing: later requests that name an update are answered from it." % AVAILABLE)
        _, instances = self.list_instances(
            AVAILABLE, ["InstanceID", "Name", "Version", "Size", "Reboot", "Status"],
            lambda p: [p.get("InstanceID"), p.get("Name"), p.get("VersionString"), p.get("Size"),
                       "yes" if p.get("RebootRequired") == "true" else "no",
                       "%s %s" % (p.get("Status"), UPDATE_STATUS.get(p.get("Status"), "?"))])
        self.available = {key_of(p): p.get("InstanceID") for p in instances}
        self.expect(len(instances) == SAMPLE_COUNT, "%d updates available" % SAMPLE_COUNT)
        status = {key_of(p): p.get("Status") for p in instances}
        self.expect(status.get(WEBAPP_OLD) == "0",
                    "%s %s is Obsolete: 4.2.0 supersedes it" % WEBAPP_OLD)
        self.expect(all(s == "3" for k, s in status.items() if k != WEBAPP_OLD),
                    "every other update is Available")

    def read_description(self):
        self.begin("Read the long description of %s %s" % WEBAPP,
                   "UpdateDescription costs one run of the tool per update, so the provider "
                   "fills it only when the request's property list names it (the last argument "
                   "of wbemcli gi).")
        answer = self.call("gi", self.update_path(WEBAPP), "UpdateDescription", raw=False)
        instances = answer.instances() if answer.ok else []
        text = instances[0][1].get("UpdateDescription", "") if instances else ""
        self.t.answer_text(text, DESCRIPTION_SHOWN_LINES)
        self.expect(text.startswith("Management web application 4.2.0"),
                    "the description of the bundle", answer.output)

    def read_warnings(self):
        self.begin("Read its warnings",
                   "Warnings returns the tool's warnings text for the update (empty when it has "
                   "none): what an administrator should know before applying it.")
        answer, text = self.method(self.update_path(WEBAPP), "Warnings", raw=False)
        self.t.answer_text(text or "")
        self.expect(answer.ok and "restarts while the update is applied" in (text or ""),
                    "the warnings of %s %s" % WEBAPP, answer.output)

    def check_components(self):
        self.begin("Does it have optional components?",
                   "HasOptionalComponents answers, and makes this update the one whose "
                   "components %s lists." % COMPONENT)
        _, has = self.method(self.update_path(WEBAPP), "HasOptionalComponents")
        self.expect(has == "true", "it has optional components")
        _, components = self.list_instances(
            COMPONENT, ["InstanceID", "Name", "Install"],
            lambda p: [p.get("InstanceID"), p.get("Name"), p.get("Install")])
        self.components = {p.get("Name"): p.get("InstanceID") for p in components}
        self.expect([p.get("Name") for p in components] == WEBAPP_COMPONENTS,
                    "components: " + ", ".join(WEBAPP_COMPONENTS))
        self.expect(all(p.get("Install") == "false" for p in components),
                    "none chosen yet")

    def choose_components(self):
        self.begin("Choose components: %s" % " and ".join(CHOSEN_COMPONENTS),
                   "Install is the class's one writable property: ModifyInstance (wbemcli mi) "
                   "sets it on each component to install with the update. Enumerating the "
                   "components again would list them afresh and forget the choice, so each is "
                   "read back with GetInstance.")
        for name in WEBAPP_COMPONENTS:
            path = '%s.InstanceID="%s"' % (COMPONENT, self.components.get(name))
            wanted = name in CHOSEN_COMPONENTS
            if wanted:
                answer = self.call("mi", path, "Install=true")
                self.expect(answer.ok, "%s marked for installation" % name, answer.output)
            answer = self.call("gi", path, raw=False)
            found = answer.instances()
            self.show_properties(found, ["InstanceID", "Name", "Install"])
            self.expect(len(found) == 1 and found[0][1].get("Name") == name and
                        found[0][1].get("Install") == str(wanted).lower(),
                        "%s: Install=%s" % (name, str(wanted).lower()), answer.output)

    def apply_with_components(self):
        self.begin("Apply %s %s with the chosen components" % WEBAPP,
                   "Apply starts the tool's apply in the background. While it runs, %s lists "
                   "it with the step the tool is at." % ACTIVE)
        answer, result = self.method(self.update_path(WEBAPP), "Apply")
        self.expect(answer.ok and result == "", "the apply started (empty answer)",
                    answer.output)

        def list_active():
            _, active = self.list_instances(
                ACTIVE, ["InstanceID", "Status", "Started", "Reboot"],
                lambda p: [p.get("InstanceID"), p.get("Status"), shown_date(p.get("ApplyDate")),
                           "yes" if p.get("RebootRequired") == "true" else "no"])
            self.expect([p.get("InstanceID") for p in active] == ["%s %s" % WEBAPP] and
                        active[0].get("Status", "").startswith("Applying"),
                        "%s %s is being applied" % WEBAPP)

        code, text = self.follow(on_started=list_active)
        self.expect(code == 0 and text.startswith("Applied %s %s" % WEBAPP) and
                    all(c in text for c in CHOSEN_COMPONENTS),
                    "applied with %s" % " and ".join(CHOSEN_COMPONENTS), text)

    def cancel_an_apply(self):
        self.begin("Apply %s %s, then cancel it" % KERNEL_FIX,
                   "Cancel on a %s instance stops the apply and restores the packages it had "
                   "changed; GetProgress then reports the cancellation." % ACTIVE)
        self.start_apply(KERNEL_FIX)
        active_id = "%s %s" % KERNEL_FIX

        def cancel():
            _, active = self.list_instances(
                ACTIVE, ["InstanceID", "Status"],
                lambda p: [p.get("InstanceID"), p.get("Status")])
            self.expect([p.get("InstanceID") for p in active] == [active_id],
                        "%s is being applied" % active_id)
            answer, result = self.method('%s.InstanceID="%s"' % (ACTIVE, active_id), "Cancel")
            self.expect(answer.ok and result == "", "cancelled (empty answer)", answer.output)

        code, text = self.follow(on_started=cancel)
        self.expect(code == 2 and "cancelled" in text and "packages restored" in text,
                    "the tool reports the cancellation", text)
        _, active = self.list_instances(ACTIVE, ["InstanceID"], lambda p: [p.get("InstanceID")])
        self.expect(not active, "nothing is being applied any more")

    def apply_cartridge(self):
        self.begin("Apply the element-manager cartridge %s %s" % CARTRIDGE_UPDATE,
                   "It sets the cartridge package to %s; its version class will show it."
                   % CARTRIDGE_AFTER)
        self.start_apply(CARTRIDGE_UPDATE)
        code, text = self.follow()
        self.expect(code == 0 and text.startswith("Applied %s %s" % CARTRIDGE_UPDATE),
                    "applied", text)

    def failed_apply(self):
        self.begin("An update that fails: %s %s" % RAID,
                   "Its second package does not install on this server. The tool restores what "
                   "it had changed, and GetProgress reports 2 with the reason.")
        self.start_apply(RAID)
        code, text = self.follow()
        self.expect(code == 2 and "failed" in text and "packages restored" in text,
                    "the failure and its reason are reported", text)

    def put_on_schedule(self):
        start, end = tomorrow_at(2), tomorrow_at(4)
        self.begin("Schedule %s %s for tomorrow's maintenance window" % FIRMWARE,
                   "Firmware needs a reboot, so it waits for a window: AddToSchedule takes its "
                   "start and end as CIM datetimes (here %s to %s local time); the tool applies "
                   "the update once the window opens." % (start.strftime("%H:%M"),
                                                          end.strftime("%H:%M")))
        answer, text = self.method(self.update_path(FIRMWARE), "AddToSchedule",
                                   "StartTime=%s,EndTime=%s" % (cim_datetime(start),
                                                                cim_datetime(end)), raw=False)
        self.t.answer_text(text or "")
        self.expect(answer.ok and (text or "").startswith("Scheduled %s %s between" % FIRMWARE),
                    "the tool confirms the schedule", answer.output)
        self.expect_scheduled(start)

    def expect_scheduled(self, start):
        _, scheduled = self.list_instances(
            SCHEDULED, ["InstanceID", "Status", "ApplyDate", "Reboot", "Location"],
            lambda p: [p.get("InstanceID"), p.get("Status"), shown_date(p.get("ApplyDate")),
                       "yes" if p.get("RebootRequired") == "true" else "no", p.get("Location")])
        if start is None:
            return self.expect(not scheduled, "nothing is scheduled")
        self.expect([p.get("InstanceID") for p in scheduled] == ["%s %s" % FIRMWARE] and
                    scheduled[0].get("Status") == "Scheduled" and
                    parse_cim_datetime(scheduled[0].get("ApplyDate")) == start,
                    "scheduled for %s" % start.strftime("%Y-%m-%d %H:%M"))

    def change_schedule(self):
        start, end = tomorrow_at(3), tomorrow_at(5)
        self.begin("Move the window, then take the update off the schedule",
                   "Modify on a %s instance sets a new window; Remove takes the update off the "
                   "schedule (DeleteInstance does the same)." % SCHEDULED)
        path = '%s.InstanceID="%s %s"' % ((SCHEDULED,) + FIRMWARE)
        answer, result = self.method(path, "Modify", "StartTime=%s,EndTime=%s"
                                     % (cim_datetime(start), cim_datetime(end)))
        self.expect(answer.ok and result == "", "window moved (empty answer)", answer.output)
        self.expect_scheduled(start)
        answer, result = self.method(path, "Remove")
        self.expect(answer.ok and result == "", "taken off the schedule (empty answer)",
                    answer.output)
        self.expect_scheduled(None)

    def apply_small_update(self):
        self.begin("Apply %s %s" % TZDATA, "A small update, to roll back in the next step.")
        self.start_apply(TZDATA)
        code, text = self.follow()
        self.expect(code == 0 and text.startswith("Applied %s %s" % TZDATA), "applied", text)

    def list_history(self):
        _, history = self.list_instances(
            HISTORY, ["InstanceID", "Name", "Version", "Category", "Applied", "Removeable"],
            lambda p: [p.get("InstanceID"), p.get("Name"), p.get("VersionString"),
                       p.get("Category"), shown_date(p.get("Date")), p.get("Removeable")])
        return history

    def history_and_rollback(self):
        self.begin("History, and rolling an update back",
                   "%s lists the applied updates, oldest first; the cancelled and the failed "
                   "apply left no entry. Remove rolls one back in the background and answers "
                   "true when it started." % HISTORY)
        history = self.list_history()
        self.expect([key_of(p) for p in history] == [WEBAPP, CARTRIDGE_UPDATE, TZDATA],
                    "three applied updates, in the order applied")
        self.expect(all(p.get("Removeable") == "true" for p in history),
                    "each can be rolled back")
        position = {key_of(p): p.get("InstanceID") for p in history}
        answer, result = self.method('%s.InstanceID="%s"' % (HISTORY, position.get(TZDATA)),
                                     "Remove")
        self.expect(answer.ok and result == "true", "the roll-back started (true)",
                    answer.output)
        code, text = self.follow()
        self.expect(code == 0 and text == "Rolled back %s %s" % TZDATA, "rolled back", text)
        history = self.list_history()
        self.expect([key_of(p) for p in history] == [WEBAPP, CARTRIDGE_UPDATE],
                    "%s %s has left the history" % TZDATA)

    def inventory(self):
        self.begin("The installed software now",
                   "%s lists the installed packages: the road's changes show here." % INVENTORY)
        _, packages = self.list_instances(
            INVENTORY, ["InstanceID", "Name", "Version", "Classification", "Installed"],
            lambda p: [p.get("InstanceID"), p.get("Name"), p.get("PackageVersion"),
                       CLASSIFICATION.get(p.get("Classifications"), p.get("Classifications")),
                       shown_date(p.get("InstalledDate"))])
        version = {p.get("Name"): p.get("PackageVersion") for p in packages}
        expected = [("mgmt-webapp", "4.2.0", "the applied update"),
                    ("mgmt-webapp-reports", "4.2.0", "a chosen component"),
                    ("mgmt-webapp-snmp", "4.2.0", "a chosen component"),
                    ("mgmt-webapp-ldap", None, "not chosen, not installed"),
                    ("zvq77EMcartridge", CARTRIDGE_AFTER, "the new cartridge"),
                    ("os-kernel", "5.10.205-1", "unchanged: its update was cancelled"),
                    ("raid-driver", "7.2.0", "unchanged: its update failed"),
                    ("tz-data", "2023c", "back to the old version: rolled back")]
        for name, wanted, why in expected:
            self.expect(version.get(name) == wanted,
                        "%s %s (%s)" % (name, wanted or "absent", why))

    def cartridge_after(self):
        self.begin("The cartridge version now", "The same request as in the first step.")
        answer = self.call("ein", CARTRIDGE)
        self.expect(answer.paths() == ['%s.Version="%s"' % (CARTRIDGE, CARTRIDGE_AFTER)],
                    "cartridge version %s" % CARTRIDGE_AFTER, answer.output)

    def available_after(self):
        self.begin("The available updates now",
                   "The cache keeps every update; its status tells what happened to it. This "
                   "listing is also the one the next step's requests refer to.")
        _, instances = self.list_instances(
            AVAILABLE, ["InstanceID", "Name", "Version", "Status"],
            lambda p: [p.get("InstanceID"), p.get("Name"), p.get("VersionString"),
                       "%s %s" % (p.get("Status"), UPDATE_STATUS.get(p.get("Status"), "?"))])
        self.available = {key_of(p): p.get("InstanceID") for p in instances}
        status = {key_of(p): UPDATE_STATUS.get(p.get("Status")) for p in instances}
        self.expect(status.get(WEBAPP) == "Applied" and status.get(CARTRIDGE_UPDATE) == "Applied",
                    "the two applied updates show Applied")
        self.expect(all(status.get(u) == "Available" for u in (KERNEL_FIX, RAID, TZDATA,
                                                               FIRMWARE)),
                    "the cancelled, failed, rolled-back and unscheduled ones are Available again")

    def files_of_update(self):
        self.begin("The files of an update, and the association between them",
                   "%s lists every file of every cached update. The association %s links an "
                   "update (Antecedent) to each of its files (Dependent): associators from the "
                   "update give its files, or the update itself with the result class %s; "
                   "references give the links with both ends." % (FILE_NAME, FILE_LIST,
                                                                  AVAILABLE))
        answer = self.call("ein", FILE_NAME, raw=False)
        files = [p.split('FileName="', 1)[-1].rstrip('"') for p in answer.paths()]
        self.t.answer_wrapped("%d file names: %s" % (len(files), ", ".join(files)))
        self.expect(len(files) == SAMPLE_FILE_COUNT and set(WEBAPP_FILES) <= set(files),
                    "%d files in the cache" % SAMPLE_FILE_COUNT, answer.output)
        update = self.update_path(WEBAPP)
        answer = self.call("ain", update, flags=("-ac", FILE_LIST, "-arc", FILE_NAME))
        self.expect(answer.paths() == ['%s.FileName="%s"' % (FILE_NAME, f) for f in WEBAPP_FILES],
                    "update to files: the %d files of %s %s" % ((len(WEBAPP_FILES),) + WEBAPP),
                    answer.output)
        answer = self.call("ai", update, flags=("-ac", FILE_LIST, "-arc", AVAILABLE), raw=False)
        self.show_properties(answer.instances(), ["InstanceID", "Name", "VersionString",
                                                  "Status"])
        found = [props for _, props in answer.instances()]
        self.expect(len(found) == 1 and key_of(found[0]) == WEBAPP,
                    "the update end: %s %s itself" % WEBAPP, answer.output)
        answer = self.call("ri", update, flags=("-arc", FILE_LIST), raw=False)
        links = [props for _, props in answer.instances()]
        self.t.table(["Antecedent (%s)" % AVAILABLE, "Dependent (%s)" % FILE_NAME],
                     [[key_text(p.get("Antecedent")), key_text(p.get("Dependent"))]
                      for p in links])
        self.expect(len(links) == len(WEBAPP_FILES) and
                    all(strip_host(p.get("Antecedent", "")) == update for p in links) and
                    [strip_host(p.get("Dependent", "")) for p in links] ==
                    ['%s.FileName="%s"' % (FILE_NAME, f) for f in WEBAPP_FILES],
                    "links: each names the update and one of its files", answer.output)
