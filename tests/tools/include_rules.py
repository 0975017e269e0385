#!/usr/bin/env python3
"""Checks the direction of every #include in src/: each folder may include itself and the folders below it, never
one above; only app/ and cli/ include app/; portable files (no _win in the name) include no Windows header.
With TESTS_DIR, the unit tests' folders too: each is named after the module it tests (or is one of the shared
folders), a portable test includes no Windows header, and a Windows adapter's test sits beside its module: its first
include, the adapter's header, comes from the src/ folder of the same name.

Usage: include_rules.py SRC_DIR [TESTS_DIR]   (exit 1 with one line per broken rule)
"""
import os
import re
import sys

# Lower numbers sit lower: a folder includes only folders of a lower rank, or itself.
RANKS = {
    "base": 0,
    "recorder": 1,
    "player": 2,
    "shortcuts": 3,
    "settings": 4,
    "ui": 5,
    "panel": 6,
    "app": 7,
    "cli": 8,
}
WINDOWS_HEADERS = re.compile(r"^(windows|windowsx|commctrl|commdlg|mmsystem|shellapi|shlobj|ole2|objbase|mfapi|"
                             r"mfidl|mfreadwrite|wrl|webview2)\.h$", re.IGNORECASE)
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def check(src):
    problems = []
    for folder in sorted(os.listdir(src)):
        path = os.path.join(src, folder)
        if not os.path.isdir(path) or folder == "resources":
            continue
        if folder not in RANKS:
            problems.append(f"{folder}/: a folder without a rank; add it to include_rules.py")
            continue
        for name in sorted(os.listdir(path)):
            if not name.endswith((".h", ".cpp", ".c")):
                continue
            portable = "_win" not in name
            with open(os.path.join(path, name), encoding="utf-8") as f:
                for number, line in enumerate(f, 1):
                    m = INCLUDE.match(line)
                    if not m:
                        continue
                    where = f"{folder}/{name}:{number}"
                    target = m.group(2)
                    if m.group(1) == "<":
                        if portable and WINDOWS_HEADERS.match(os.path.basename(target)):
                            problems.append(f"{where}: a portable file includes <{target}>")
                        continue
                    if "/" not in target:
                        continue
                    other = target.split("/", 1)[0]
                    if other not in RANKS:
                        continue
                    if other == "app" and folder not in ("app", "cli"):
                        problems.append(f"{where}: only app/ and cli/ include app/ (\"{target}\")")
                    elif other != folder and RANKS[other] > RANKS[folder]:
                        problems.append(f"{where}: {folder}/ includes {other}/, which sits above it (\"{target}\")")
    return problems


# Test folders that belong to no module: shared helpers, tools, and the script-driven tests of the whole program.
SHARED_TEST_FOLDERS = {"support", "tools", "e2e", "crash", "wine", "scripts"}


def check_tests(tests):
    problems = []
    for folder in sorted(os.listdir(tests)):
        path = os.path.join(tests, folder)
        if not os.path.isdir(path) or folder in SHARED_TEST_FOLDERS:
            continue
        if folder not in RANKS:
            problems.append(f"tests/{folder}/: tests belong beside their module, in a folder named like one in src/")
            continue
        for name in sorted(os.listdir(path)):
            if not name.endswith((".h", ".cpp", ".c")):
                continue
            portable = "_win" not in name
            subject = None
            with open(os.path.join(path, name), encoding="utf-8") as f:
                for number, line in enumerate(f, 1):
                    m = INCLUDE.match(line)
                    if not m:
                        continue
                    if m.group(1) == "<":
                        if portable and WINDOWS_HEADERS.match(os.path.basename(m.group(2))):
                            problems.append(f"tests/{folder}/{name}:{number}: a portable test includes <{m.group(2)}>")
                    elif subject is None:
                        subject = m.group(2)
            if name.endswith("_win_test.cpp") and (subject is None or subject.split("/", 1)[0] != folder):
                problems.append(f"tests/{folder}/{name}: an adapter's test sits beside its module (it tests "
                                f"\"{subject}\")")
    return problems


def write_tree(root, files):
    for name, text in files.items():
        os.makedirs(os.path.join(root, os.path.dirname(name)), exist_ok=True)
        with open(os.path.join(root, name), "w", encoding="utf-8") as f:
            f.write(text)


def self_test():
    """The checker on a small tree with one of each fault, so a checker that finds nothing cannot pass."""
    import tempfile
    with tempfile.TemporaryDirectory() as root:
        files = {
            "base/ok.h": '#include "base/other.h"\n',
            "recorder/up.cpp": '#include "settings/settings_values.h"\n',
            "ui/app_user.cpp": '#include "app/controller.h"\n',
            "player/portable.cpp": "#include <windows.h>\n",
            "player/output_win.cpp": "#include <windows.h>\n",
            "app/fine.cpp": '#include "app/controller.h"\n#include "base/ok.h"\n',
        }
        write_tree(root, files)
        found = check(root)
    with tempfile.TemporaryDirectory() as root:
        files = {
            "win/store_win_test.cpp": '#include "settings/settings_store_win.h"\n',
            "settings/store_win_test.cpp": '#include "settings/settings_store_win.h"\n#include <windows.h>\n',
            "shortcuts/names_win_test.cpp": '#include "settings/settings_store_win.h"\n',
            "ui/layout_test.cpp": '#include "ui/layout.h"\n#include <windows.h>\n',
            "support/host.cpp": "#include <windows.h>\n",
        }
        write_tree(root, files)
        found += check_tests(root)
    expected = ["player/portable.cpp:1", "recorder/up.cpp:1", "tests/shortcuts/names_win_test.cpp",
                "tests/ui/layout_test.cpp:2", "tests/win/", "ui/app_user.cpp:1"]
    got = sorted(p.split(": ", 1)[0] for p in found)
    if got != expected:
        print(f"self-test: expected faults at {expected}, found {found}")
        return 1
    print("self-test: every planted fault found")
    return 0


def main():
    if sys.argv[1:] == ["--self-test"]:
        return self_test()
    if len(sys.argv) not in (2, 3):
        print(__doc__.strip(), file=sys.stderr)
        return 2
    problems = check(sys.argv[1])
    if len(sys.argv) == 3:
        problems += check_tests(sys.argv[2])
    for p in problems:
        print(p)
    print(f"include rules: {len(problems)} broken")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
