#!/usr/bin/env python3
"""Fails when a library of the tree includes or links upward.

Rules:
  - platform/ knows no application: it includes and links nothing of teskautils/, velomar/,
    todayvelomar/, cumulor/ or tools/.
  - teskautils/ knows neither suite; the two suites (velomar/ with todayvelomar/, and cumulor/)
    never meet.
  - The Cumulor engine is window-free: cumulor/nav/ and cumulor/data/, outside their dialogs/
    folders, include no header of the window-side platform areas, of cumulor/map/ or of
    cumulor/app/ (its base/ excepted), and their libraries link none of those, not even through
    another library. The engine's part of the application record is cumulor/nav/engine/.
  - cumulor/map/ includes and links nothing of the application above it (cumulor/app/core/,
    cumulor/app/program/).

The links come from the list CMake writes at configure time (one library a line:
name|source folder|linked libraries separated by ';').
"""
import argparse
import os
import re
import sys

WINDOW_AREAS = ("window", "gdi", "dialogs", "controls", "menus")
WINDOW_HEADERS = tuple(f"platform/{a}/" for a in WINDOW_AREAS)
WINDOW_LIBRARIES = {f"platform_{a}" for a in WINDOW_AREAS}
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.M)
SOURCE_EXT = (".h", ".hpp", ".cpp", ".cc", ".c")


def engine_folder(rel):
    """Whether a path lies in the window-free engine (cumulor/nav, cumulor/data, no dialogs/)."""
    parts = rel.split("/")
    return rel.startswith(("cumulor/nav/", "cumulor/data/")) and "dialogs" not in parts[2:]


def include_faults(rel, header):
    top = rel.split("/", 1)[0]
    if top == "platform" and header.startswith(("teskautils/", "velomar/", "todayvelomar/", "cumulor/", "tools/")):
        return "platform includes an application header"
    if top == "teskautils" and header.startswith(("velomar/", "todayvelomar/", "cumulor/")):
        return "teskautils includes a suite's header"
    if top in ("velomar", "todayvelomar") and header.startswith("cumulor/"):
        return "Velomar includes Cumulor"
    if top == "cumulor" and header.startswith(("velomar/", "todayvelomar/")):
        return "Cumulor includes Velomar"
    if engine_folder(rel):
        if header.startswith(WINDOW_HEADERS):
            return "window-free engine includes a window-side platform header"
        if header.startswith("cumulor/map/"):
            return "window-free engine includes a map header"
        if header.startswith("cumulor/app/") and not header.startswith("cumulor/app/base/"):
            return "window-free engine includes an application header"
    if rel.startswith("cumulor/map/") and header.startswith(("cumulor/app/core/", "cumulor/app/program/")):
        return "map includes the application core"
    return None


def scan_includes(source):
    faults = []
    for top in ("platform", "teskautils", "velomar", "todayvelomar", "cumulor"):
        for folder, _, files in os.walk(os.path.join(source, top)):
            for name in files:
                if not name.endswith(SOURCE_EXT):
                    continue
                path = os.path.join(folder, name)
                rel = os.path.relpath(path, source).replace(os.sep, "/")
                with open(path, encoding="utf-8", errors="replace") as f:
                    text = f.read()
                for header in INCLUDE.findall(text):
                    why = include_faults(rel, header)
                    if why:
                        faults.append(f"{rel}: includes {header}: {why}")
    return faults


def read_links(path):
    folders, links = {}, {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.rstrip("\n")
            if not line:
                continue
            name, folder, libs = line.split("|", 2)
            folders[name] = folder
            links[name] = [l for l in libs.split(";") if l]
    return folders, links


def closure(name, links):
    seen, todo = set(), list(links.get(name, []))
    while todo:
        lib = todo.pop()
        if lib in seen:
            continue
        seen.add(lib)
        todo.extend(links.get(lib, []))
    return seen


def link_faults(folders, links):
    faults = []
    for name, folder in sorted(folders.items()):
        top = folder.split("/", 1)[0]
        direct = links[name]
        reached = closure(name, links)
        inner = [l for l in direct if l in folders]
        if top == "platform":
            for lib in inner:
                if not folders[lib].startswith("platform"):
                    faults.append(f"{name} ({folder}) links {lib}: platform links an application library")
        if top in ("velomar", "todayvelomar", "teskautils"):
            for lib in inner:
                if folders[lib].startswith("cumulor"):
                    faults.append(f"{name} ({folder}) links {lib}: the suites meet")
        if top == "cumulor":
            for lib in inner:
                if folders[lib].startswith(("velomar", "todayvelomar")):
                    faults.append(f"{name} ({folder}) links {lib}: the suites meet")
        if engine_folder(folder + "/"):
            for lib in sorted(reached):
                lib_folder = folders.get(lib, "")
                up = (lib in WINDOW_LIBRARIES or lib_folder.startswith("cumulor/map")
                      or (lib_folder.startswith("cumulor/app") and lib_folder != "cumulor/app/base"))
                if up:
                    faults.append(f"{name} ({folder}) links {lib}: the window-free engine reaches the window side")
        if folder.startswith("cumulor/map"):
            for lib in sorted(reached):
                if folders.get(lib, "").startswith(("cumulor/app/core", "cumulor/app/program")):
                    faults.append(f"{name} ({folder}) links {lib}: map reaches the application core")
    return faults


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--source", required=True, help="top of the tree")
    parser.add_argument("--links", required=True, help="the link list CMake wrote")
    args = parser.parse_args()
    folders, links = read_links(args.links)
    if not folders:
        print(f"no libraries listed in {args.links}", file=sys.stderr)
        return 2
    faults = scan_includes(args.source) + link_faults(folders, links)
    for fault in faults:
        print(fault)
    print(f"{len(faults)} layering fault(s) in {len(folders)} libraries")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
