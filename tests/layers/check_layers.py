"""Fails when a folder of the project includes a folder above it or beside it
(so that no folders can include each other in a cycle either).

The order is read from docs/development.md, section "Layout": the line that starts with
"Layers, bottom to top:" lists the folders, lowest first, separated by "<";
folders of one level are separated by ",". A file may include headers of its
own folder and of the levels below its own, nothing else. Both `#include
"vireo/<folder>/..."` lines and `#define NAME "vireo/<folder>/..."` lines (a
file later included through the macro) count.

A catalogue folder (catalogues/<name>/) holds everything of one transaction
version, so its files sit at the level of what they are: catalogue.* and
control.* at control's, guide.* at guide's, rules.* at checker's; the rest at
the level of catalogues itself.

usage: check_layers.py SOURCE_DIR
"""
import os
import re
import sys

SOURCE_EXTENSIONS = (".h", ".cpp", ".def", ".inc")
REFERENCE = re.compile(r'^\s*#\s*(?:include|define\s+\w+)\s+"vireo/([A-Za-z0-9_]+)/')


def read_levels(readme):
    with open(readme, encoding="utf-8") as f:
        for line in f:
            if line.startswith("Layers, bottom to top:"):
                order = line.split(":", 1)[1].replace("`", "").strip().rstrip(".")
                return [[name.strip().rstrip("/") for name in level.split(",")] for level in order.split("<")]
    sys.exit(f"{readme}: no line starting with 'Layers, bottom to top:' in section Layout")


CATALOGUE_FILE_LEVELS = {"catalogue": "control", "control": "control", "guide": "guide", "rules": "checker"}


def level_folder(folder, path):
    """The folder whose level a file has: its own, or for a catalogue's file, what it is."""
    if folder == "catalogues":
        stem = os.path.splitext(os.path.basename(path))[0]
        return CATALOGUE_FILE_LEVELS.get(stem, folder)
    return folder


def references(root, folders):
    """(folder, file, line number, included folder) for every reference out of its own folder."""
    for folder in folders:
        for dirpath, dirnames, filenames in os.walk(os.path.join(root, folder)):
            dirnames.sort()
            for name in sorted(filenames):
                if not name.endswith(SOURCE_EXTENSIONS):
                    continue
                path = os.path.join(dirpath, name)
                with open(path, encoding="utf-8", errors="replace") as f:
                    for number, line in enumerate(f, 1):
                        m = REFERENCE.match(line)
                        if m and m.group(1) != folder:
                            yield folder, os.path.relpath(path, root), number, m.group(1)


def has_sources(folder):
    return any(name.endswith(SOURCE_EXTENSIONS) for _, _, names in os.walk(folder) for name in names)


def main():
    root = sys.argv[1]
    levels = read_levels(os.path.join(root, "docs", "development.md"))
    level_of = {folder: i for i, level in enumerate(levels) for folder in level}
    on_disk = sorted(d for d in os.listdir(root)
                     if os.path.isdir(os.path.join(root, d)) and not d.startswith((".", "build")))
    errors = [f"{d}/: a folder of sources the layer order of docs/development.md (Layout) does not name" for d in on_disk
              if d not in level_of and has_sources(os.path.join(root, d))]
    for folder, path, number, target in references(root, [d for d in on_disk if d in level_of]):
        level = level_folder(folder, path)
        if target not in level_of:
            errors.append(f"{path}:{number}: includes vireo/{target}/, a folder the layer order does not name")
        elif target != level and level_of[target] >= level_of[level]:
            where = "above" if level_of[target] > level_of[level] else "beside"
            errors.append(f"{path}:{number}: {folder}/ includes {target}/, which is {where} it in the layer order")
    for e in errors:
        print(e)
    if errors:
        return 1
    print("layers: " + " < ".join(", ".join(level) for level in levels))
    return 0


if __name__ == "__main__":
    sys.exit(main())
