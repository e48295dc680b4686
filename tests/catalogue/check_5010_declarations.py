#!/usr/bin/env python3
"""Checks the facts of the 005010X222A1 catalogue's declarations against
pyx12's map of the guide: the names are frozen in the .def files, the facts
must still be the map's. Fails, naming the class and element, when

  - the classes, in slot order, are not the map's segment positions in the
    guide's document order (the claim loop after the patient level, SE before
    GE and IEA, no TA1), each named L<loop>_<ID>_<nn> with nn counting the
    loop's positions of that ID from 00;
  - a class's fields are not the map's element positions: every element, a
    composite the guide uses split into its components up to the last one
    used, a composite it does not use as one field;
  - a field is named m<NN>_not_used_in_context anywhere but where the map's
    usage is N, or a used element lacks a name of its own;
  - a code field's codes are not the map's codes for that element, or an
    element with codes is declared as text without one of the reasons listed
    in TEXT_WITH_CODES.

The map's facts corrected by the guide importer are corrected here too
(BHT06 also offers 31). Prints SKIPPED when the map is not there.

usage: check_5010_declarations.py CATALOGUE_DIR MAP_FILE
"""
import glob
import os
import re
import sys
import xml.etree.ElementTree as ET


def text_with_codes(sid, loop, element, component, data_element, codes, external):
    """Why an element the map gives codes may be declared as text, or None."""
    if external:
        return "codes from an external set"
    if any(len(c) > 4 for c in codes):
        return "a code longer than a Code value holds (version identifiers)"
    if data_element in ("127", "1328"):
        return "a reference value or a diagnosis pointer, not a qualifier"
    if sid == "CRC" and element >= 4:
        return "a further condition code, as in the 4010 catalogue"
    return None


def read_declarations(folder):
    lists = {}
    classes = {}
    current = None
    for path in sorted(glob.glob(os.path.join(folder, "*", "*.def"))):
        if os.path.basename(path) in ("slots.def", "guide.def"):
            continue
        for line in open(path, encoding="utf-8"):
            m = re.match(r'VIREO_MEMBER\((\w+), \w+, "([^"]*)"\)', line)
            if m:
                lists.setdefault(m.group(1), []).append(m.group(2))
                continue
            m = re.match(r'VIREO_SEGMENT\((\w+), "(\w+)", "(\w+)"', line)
            if m:
                current = {"id": m.group(2), "loop": m.group(3), "fields": []}
                classes[m.group(1)] = current
                continue
            m = re.match(r'VIREO_REPETITION_SEPARATOR_FIELD\((\w+), (\d+)\)', line)
            if m:
                line = "VIREO_FIXED_FIELD(%s, %s, 1)" % m.groups()
            m = re.match(r'VIREO_(TEXT|CODE|FIXED|UNWRITTEN)_FIELD\((\w+), (\d+), (\d+)(?:, (\w+))?\)', line)
            if m:
                kind, name, element, third, codelist = m.groups()
                component = 0 if kind == "FIXED" else int(third)
                current["fields"].append({"kind": kind, "name": name, "key": (int(element), component),
                                          "list": codelist})
    slots = [re.match(r"VIREO_SLOT\((\w+),", line).group(1)
             for line in open(os.path.join(folder, "slots.def"), encoding="utf-8")
             if line.startswith("VIREO_SLOT(")]
    return classes, lists, slots


def map_positions(path):
    """(loop, ID, segment node) in the guide's document order."""
    root = ET.parse(path).getroot()
    out = []
    seen = set()
    loop_of = {"ISA_LOOP": "0", "GS_LOOP": "0", "ST_LOOP": "1"}

    def walk(node, loop, parent):
        for ch in node:
            if ch.tag == "loop":
                xid = ch.get("xid")
                if xid in ("HEADER", "DETAIL", "FOOTER"):
                    walk(ch, loop, parent)
                elif not (xid == "2300" and parent == "2000B") and xid not in seen:
                    seen.add(xid)
                    walk(ch, loop_of.get(xid, xid), xid)
            elif ch.tag == "segment" and ch.get("xid") != "TA1":
                sid = ch.get("xid")
                out.append(("2440" if sid == "SE" else loop, sid, ch))

    walk(root, "0", None)
    return out


def expected_fields(seg):
    """[(key, usage, data element, codes, external)] for every field position."""
    out = []
    for ch in seg:
        if ch.tag == "element":
            out.append(element_fact(ch, int(ch.findtext("seq")), 0))
        elif ch.tag == "composite":
            seq = int(ch.findtext("seq"))
            comps = ch.findall("element")
            used = [int(c.findtext("seq")) for c in comps if c.findtext("usage") != "N"]
            if ch.findtext("usage") == "N" or not used:
                out.append(((seq, 0), "N", ch.findtext("data_ele"), [], None))
                continue
            for c in comps:
                if int(c.findtext("seq")) <= max(used):
                    out.append(element_fact(c, seq, int(c.findtext("seq"))))
    return out


def element_fact(node, element, component):
    vc = node.find("valid_codes")
    codes = [c.text for c in vc.findall("code")] if vc is not None else []
    if node.get("xid") == "BHT06" and "31" not in codes:
        codes.insert(0, "31")  # the guide's subrogation demand, which the map may lack
    external = vc.get("external") if vc is not None else None
    key = (element, component)
    return (key, node.findtext("usage"), node.findtext("data_ele"), codes, external)


def main():
    folder, map_file = sys.argv[1], sys.argv[2]
    if not os.path.isfile(map_file):
        print("SKIPPED: no %s" % map_file)
        return 0
    classes, lists, slots = read_declarations(folder)
    positions = map_positions(map_file)
    errors = []
    if sorted(slots) != sorted(classes):
        errors.append("slots.def and the families declare different classes")
    if len(slots) != len(positions):
        errors.append("%d slots for %d map positions" % (len(slots), len(positions)))
    ordinal = {}
    for name, (loop, sid, seg) in zip(slots, positions):
        nn = ordinal.get((loop, sid), 0)
        ordinal[(loop, sid)] = nn + 1
        where = "%s (map %s %s %s)" % (name, loop, sid, seg.findtext("name").strip())
        if name != "L%s_%s_%02d" % (loop, sid, nn):
            errors.append("%s: the slot is not the map's next position" % where)
            continue
        cls = classes[name]
        if (cls["loop"], cls["id"]) != (loop, sid):
            errors.append("%s: declared with loop %s, ID %s" % (where, cls["loop"], cls["id"]))
        facts = expected_fields(seg)
        keys = [f["key"] for f in cls["fields"]]
        if keys != [f[0] for f in facts]:
            errors.append("%s: fields at %s, the map's elements at %s" % (where, keys, [f[0] for f in facts]))
            continue
        for field, (key, usage, de, codes, external) in zip(cls["fields"], facts):
            at = "%s.%s" % (name, field["name"])
            prefix = "m%02d" % key[0] + ("%02d" % key[1] if key[1] else "")
            if not field["name"].startswith(prefix + "_"):
                errors.append("%s: the name does not start with %s" % (at, prefix))
            unused = field["name"] == prefix + "_not_used_in_context"
            if unused != (usage == "N"):
                errors.append("%s: the map's usage is %s" % (at, usage))
            if usage == "N":
                continue
            if sid == "ISA" and key == (11, 0):
                # the repetition separator: the map's code list for ISA11 is the 4010 one
                if field["kind"] != "FIXED":
                    errors.append("%s: the repetition separator is a fixed-width field" % at)
                continue
            if field["kind"] == "CODE":
                declared = lists.get(field["list"], [])
                if sorted(declared) != sorted(codes):
                    errors.append("%s: codes %s, the map's %s" % (at, " ".join(sorted(declared)),
                                                                   " ".join(sorted(codes)) or "none"))
            elif codes and not text_with_codes(sid, loop, key[0], key[1], de, codes, external):
                errors.append("%s: text, but the map gives the codes %s" % (at, " ".join(codes)))
    for e in errors:
        print(e)
    print("%d classes checked against %s: %d findings" % (len(slots), os.path.basename(map_file), len(errors)))
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main())
