"""How the demo speaks: numbered steps with a line on why, the client command, the answer (as
wbemcli printed it, or as a table of the properties that matter), progress as it changes, and
one line per check. Colours only on a terminal, and never with NO_COLOR set."""

import os
import shutil
import sys
import textwrap

WIDTH_LIMIT_COLUMNS = 120
INDENT = "    "


class Transcript:
    def __init__(self, stream=None, color=None, raw=False):
        self.stream = stream or sys.stdout
        if color is None:
            color = self.stream.isatty() and "NO_COLOR" not in os.environ
        self.color = color
        self.raw = raw
        encoding = (getattr(self.stream, "encoding", None) or "").lower()
        fancy = encoding.startswith("utf") or not hasattr(self.stream, "encoding")
        self.tick, self.cross, self.rule = ("\u2714", "\u2718", "\u2500") if fancy else (
            "ok", "!!", "-")
        self.ellipsis = "\u2026" if fancy else "..."
        columns = shutil.get_terminal_size((100, 24)).columns if self.stream.isatty() else 100
        self.width = max(60, min(columns, WIDTH_LIMIT_COLUMNS))

    def _paint(self, code, text):
        return "\033[%sm%s\033[0m" % (code, text) if self.color else text

    def _write(self, text=""):
        self.stream.write(text + "\n")
        self.stream.flush()

    def clip(self, line, width=None):
        width = width or self.width - len(INDENT)
        return line if len(line) <= width else line[:width - 1] + self.ellipsis

    def title(self, text):
        self._write(self._paint("1", text))

    def field(self, name, value):
        self._write("  %-10s %s" % (name, value))

    def step(self, number, total, title, why):
        self._write()
        head = " %d/%d  %s " % (number, total, title)
        self._write(self._paint("1;34", self.rule * 2 + head +
                                self.rule * max(2, self.width - len(head) - 2)))
        for line in textwrap.wrap(why, self.width - 2):
            self._write("  " + line)

    def note(self, text):
        for line in textwrap.wrap(text, self.width - 2):
            self._write("  " + self._paint("3", line))

    def command(self, shown):
        self._write(self._paint("36", "  $ " + shown))

    def answer_lines(self, lines):
        # Asked for wbemcli's own lines, the reader gets them whole; otherwise one screen line.
        for line in lines:
            self._write(self._paint("2", INDENT + (line if self.raw else self.clip(line))))

    def answer_text(self, text, max_lines=None):
        """A method's text answer, which may run over several lines: shown as it is, indented."""
        lines = text.rstrip("\n").split("\n") if text.strip() else ["(empty)"]
        shown = lines if max_lines is None else lines[:max_lines]
        for line in shown:
            self._write(INDENT + "| " + self.clip(line, self.width - len(INDENT) - 2))
        if len(shown) < len(lines):
            self._write(INDENT + "| " + self.ellipsis + " (%d more lines)" % (len(lines) -
                                                                             len(shown)))

    def answer_wrapped(self, text):
        for line in textwrap.wrap(text, self.width - len(INDENT), break_on_hyphens=False):
            self._write(self._paint("2", INDENT + line))

    def table(self, headers, rows):
        if not rows:
            self._write(INDENT + "(no instances)")
            return
        widths = [max(len(str(h)), *(len(str(r[i])) for r in rows)) for i, h in
                  enumerate(headers)]
        self._write(self._paint("1", INDENT + "  ".join(
            str(h).ljust(w) for h, w in zip(headers, widths)).rstrip()))
        for row in rows:
            line = "  ".join(str(c).ljust(w) for c, w in zip(row, widths)).rstrip()
            self._write(INDENT + self.clip(line))

    def progress(self, code, text):
        label = {0: "done", 1: "running", 2: "failed"}.get(code, "unreadable")
        colour = {0: "32", 1: "33", 2: "31"}.get(code, "31")
        self._write(INDENT + self._paint(colour, "GetProgress %2d %-8s" % (code, label)) + " " +
                    self.clip(text, self.width - len(INDENT) - 22))

    def check(self, ok, what, detail=""):
        mark = self._paint("32", self.tick) if ok else self._paint("1;31", self.cross)
        self._write("  %s %s" % (mark, what))
        if not ok and detail:
            for line in detail.rstrip().split("\n")[:20]:
                self._write(INDENT + "  " + self.clip(line))
