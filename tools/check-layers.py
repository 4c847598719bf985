#!/usr/bin/python3
"""Reads every #include of the tree and fails when one breaks the layering.

The rules and the layer table are in tools/layers.txt. Each fault is printed
as "path:line: [rule] message"; the exit status is 1 when there is one.

    tools/check-layers.py [--root DIR] [--table FILE]

A folder below the root that holds a layers.txt of its own is a separate tree
(the check's own test fixture) and is left out.
"""

import argparse
import fnmatch
import os
import re
import sys

# .inc files are pasted into sources: their includes count like any other.
SOURCE_SUFFIXES = (".h", ".hpp", ".cpp", ".cc", ".inc")
# Folders that may include any layer.
FREE_FOLDERS = ("tests", "bench", "tools")
SKIPPED_FOLDERS = {"build", ".git"}

INCLUDE = re.compile(r'^\s*#\s*include\s*(?:([<"])([^>"]+)[>"]|([A-Za-z_]\w*))')

# Headers of the libraries and the system that only platform/ may include.
PLATFORM_ONLY = [
    ("Qt", re.compile(r"^(Qt\w*/|Q[A-Z]\w*$|q\w+\.h$)")),
    ("Cairo", re.compile(r"^cairo")),
    ("FreeType", re.compile(r"^(ft2build\.h$|freetype2?/|FT_\w+_H$)")),
    ("HarfBuzz", re.compile(r"^(harfbuzz/|hb\.h$|hb-)")),
    ("fontconfig", re.compile(r"^fontconfig/")),
    ("CUPS", re.compile(r"^cups/")),
    ("X11", re.compile(r"^(X11/|xcb/)")),
    ("GTK", re.compile(r"^(gtk|gdk|glib|gio)(-[\d.]+)?/")),
    ("compiler ABI", re.compile(r"^cxxabi\.h$")),
    ("POSIX", re.compile(
        r"^(sys/|arpa/|net/|netinet/|linux/|asm/|bits/|"
        r"(aio|cpio|dirent|dlfcn|fcntl|fmtmsg|fnmatch|ftw|glob|grp|iconv|langinfo|libgen|"
        r"monetary|mqueue|ndbm|netdb|nl_types|poll|pthread|pwd|regex|sched|search|semaphore|"
        r"spawn|strings|stropts|syslog|tar|termios|trace|ulimit|unistd|utime|utmpx|wordexp|"
        r"pty|utmp|execinfo|err|malloc|alloca|endian|byteswap|features|ifaddrs|"
        r"shadow|paths|sysexits)\.h$)")),
]


class Table:
    """The layer table: folders in build order, the folders each may use
    (the arrows of the architecture, followed transitively), their GUI
    companion globs, and which folders must stay headless.

    A line: folder [uses: folder...] [gui: glob...] [headless]"""

    def __init__(self, path):
        self.folders = []
        self.uses = {}
        self.companions = {}
        self.headless = set()
        self.known_gui = []
        self.errors = []
        with open(path, encoding="utf-8") as f:
            for line in f:
                words = line.split("#", 1)[0].split()
                if not words:
                    continue
                if words[0] == "known-gui":
                    self.known_gui.extend(words[1:])
                    continue
                folder = words[0]
                self.folders.append(folder)
                self.uses[folder], self.companions[folder] = [], []
                section = None
                for word in words[1:]:
                    if word == "headless":
                        self.headless.add(folder)
                    elif word in ("uses:", "gui:"):
                        section = word
                    elif section == "uses:":
                        if word not in self.folders[:-1]:
                            self.errors.append("%s uses %s, which is not a folder listed before it" % (folder, word))
                        self.uses[folder].append(word)
                    elif section == "gui:":
                        self.companions[folder].append(word)
                    else:
                        self.errors.append("%s: unknown word %s" % (folder, word))
        self.reach = {}
        for folder in self.folders:  # earlier folders first, so their reach is known
            reach = {folder}
            for used in self.uses[folder]:
                reach |= self.reach.get(used, {used})
            self.reach[folder] = reach

    def may_use(self, folder, target_folder):
        return target_folder in self.reach[folder]

    def folder_of(self, path):
        """The table folder a file belongs to (the longest that holds it)."""
        best = None
        for folder in self.folders:
            if path.startswith(folder + "/") and (best is None or len(folder) > len(best)):
                best = folder
        return best

    def is_companion(self, path):
        folder = self.folder_of(path)
        if folder is None:
            return False
        name = path[len(folder) + 1:]
        if "/" in name:
            return False
        if re.search(r"_gui\.(h|hpp|cpp|cc)$", name):
            return True
        return any(fnmatch.fnmatchcase(name, glob) for glob in self.companions[folder])


def tree_files(root):
    """Every C++ source below root, as paths relative to it with '/', and
    the sources inside folders named build* below the top (build outputs
    belong in the top-level build folders; a build* folder inside the tree
    would hide its sources from every check)."""
    files, hidden = [], []
    for dirpath, dirnames, filenames in os.walk(root):
        rel = os.path.relpath(dirpath, root)
        if rel != "." and os.path.exists(os.path.join(dirpath, "layers.txt")):
            dirnames[:] = []
            continue
        kept = []
        for d in sorted(dirnames):
            if d in SKIPPED_FOLDERS and rel == ".":
                continue
            if d.startswith("build") or d == ".git":
                if rel != ".":
                    for sub_path, _, sub_names in os.walk(os.path.join(dirpath, d)):
                        sub_rel = os.path.relpath(sub_path, root).replace(os.sep, "/")
                        hidden.extend(sub_rel + "/" + n for n in sorted(sub_names) if n.endswith(SOURCE_SUFFIXES))
                continue
            kept.append(d)
        dirnames[:] = kept
        for name in sorted(filenames):
            if name.endswith(SOURCE_SUFFIXES):
                files.append(name if rel == "." else rel.replace(os.sep, "/") + "/" + name)
    return files, hidden


def read_includes(root, path):
    """(line number, bracket, name) of every include; bracket is '<', '"' or '' for a macro."""
    result = []
    with open(os.path.join(root, path), encoding="utf-8", errors="replace") as f:
        for number, line in enumerate(f, 1):
            m = INCLUDE.match(line)
            if m:
                if m.group(3):
                    result.append((number, "", m.group(3)))
                else:
                    result.append((number, m.group(1), m.group(2)))
    return result


def resolve(root, known, path, bracket, name):
    """The tree file a quoted include names (beside the file, from the root,
    then from tests/ as the test programs' include path), or None."""
    if bracket != '"':
        return None
    here = os.path.dirname(path)
    for base in (here, "", "tests"):
        candidate = os.path.normpath(os.path.join(base, name)).replace(os.sep, "/")
        if candidate in known:
            return candidate
    return None


def is_internal(path):
    return re.search(r"_p\.(h|hpp)$", path) is not None


def names_tree_file(known, path, name):
    """The tree file an angle-bracket include names from the root, or None
    (a system header that shares a name with a file beside it is not one)."""
    candidate = os.path.normpath(name).replace(os.sep, "/")
    return candidate if candidate in known else None


def check(root, table):
    files, hidden = tree_files(root)
    known = set(files)
    includes = {path: read_includes(root, path) for path in files}
    resolved = {
        path: [(n, b, name, resolve(root, known, path, b, name)) for (n, b, name) in incs]
        for path, incs in includes.items()
    }

    def in_gui_layer(path):
        return path.startswith("platform/gui/")

    # A header reaches the GUI when it is a GUI header or a companion, or
    # includes one, however indirectly.
    reaches = {}

    def gui_path(path, seen):
        """The chain of includes from path to a GUI header, or None."""
        if path in reaches:
            return reaches[path]
        if path in seen:
            return None
        seen.add(path)
        found = None
        for (_, _, _, target) in resolved.get(path, []):
            if target is None:
                continue
            if in_gui_layer(target) or table.is_companion(target):
                found = [target]
                break
            deeper = gui_path(target, seen)
            if deeper:
                found = [target] + deeper
                break
        reaches[path] = found
        return found

    faults = []

    def fault(path, line, rule, message):
        faults.append("%s:%d: [%s] %s" % (path, line, rule, message))

    for message in table.errors:
        fault("layers.txt", 1, "table", message)
    for path in hidden:
        fault(path, 1, "build-folder", "a folder named build* inside the tree hides this source from the checks")

    for path in files:
        folder = table.folder_of(path)
        top = path.split("/", 1)[0]
        free = top in FREE_FOLDERS or "/" not in path
        if folder is None and not free:
            fault(path, 1, "table", "folder is not in the layer table (tools/layers.txt)")
            continue
        # Only the libraries outside platform/ are kept from the system's and
        # the toolkits' headers; tests, benchmarks and tools may use them.
        platform_side = folder is None or folder.startswith("platform/")
        companion = folder is not None and table.is_companion(path)
        if companion and folder in table.headless:
            fault(path, 1, "headless", "%s must stay headless: no GUI companion lives there" % folder)
        for (line, bracket, name, target) in resolved[path]:
            if bracket == "<" and names_tree_file(known, path, name):
                fault(path, line, "angle", 'a header of the tree is included as "%s", not <%s>' % (name, name))
                continue
            if target is None:
                if not platform_side:
                    for library, pattern in PLATFORM_ONLY:
                        if pattern.search(name):
                            fault(path, line, "platform-only",
                                  "%s header %s belongs in platform/" % (library, name))
                            break
                continue
            target_folder = table.folder_of(target)
            # Layers: a library includes its own folder and those its arrows
            # reach; its GUI companions may also use the GUI layer (a model
            # unit reaching the GUI is the gui rule's to report).
            if folder is not None and not in_gui_layer(target):
                if target_folder is None:
                    fault(path, line, "layer", "%s includes %s, which is outside the libraries" % (folder, target))
                elif not table.may_use(folder, target_folder) and not (
                        companion and "platform/gui" in table.reach and table.may_use("platform/gui", target_folder)):
                    fault(path, line, "layer", "%s may not use %s (no arrow in tools/layers.txt): %s" %
                          (folder, target_folder, target))
            # Internal headers stay in their folder and its tests.
            if is_internal(target):
                home, here = os.path.dirname(target), os.path.dirname(path)
                if not (here == home or here == "tests/" + home or here.startswith("tests/" + home + "/")):
                    fault(path, line, "internal", "%s is internal to %s/" % (target, home))
                elif folder is not None and path.endswith((".h", ".hpp")) and not is_internal(path):
                    fault(path, line, "internal", "public header includes the internal %s" % target)
            # Model units stay free of the GUI.
            if folder is not None and not companion and not in_gui_layer(path):
                if in_gui_layer(target) or table.is_companion(target):
                    chain = [target]
                else:
                    chain = gui_path(target, set())
                    chain = [target] + chain if chain else None
                if chain and path not in table.known_gui:
                    fault(path, line, "gui",
                          "a model unit reaches the GUI (%s); move the GUI calls into a companion "
                          "(*_gui.cpp) or list it in tools/layers.txt" % " -> ".join(chain))
    notes = []
    for path in table.known_gui:
        still = path in known and any(
            t is not None and (in_gui_layer(t) or table.is_companion(t) or gui_path(t, set()))
            for (_, _, _, t) in resolved[path])
        notes.append("note: %s still includes the GUI (known-gui)" % path if still else
                     "note: %s no longer includes the GUI: its known-gui line can go" % path)
    return faults, notes


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--root", default=os.path.dirname(here))
    parser.add_argument("--table", default=None, help="default: <root>/tools/layers.txt, else <root>/layers.txt")
    args = parser.parse_args()
    table_path = args.table
    if table_path is None:
        table_path = os.path.join(args.root, "tools", "layers.txt")
        if not os.path.exists(table_path):
            table_path = os.path.join(args.root, "layers.txt")
    faults, notes = check(args.root, Table(table_path))
    for line in notes:
        print(line)
    for line in faults:
        print(line)
    if faults:
        print("%d include(s) break the layering (rules: tools/layers.txt)" % len(faults))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
