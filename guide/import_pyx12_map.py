#!/usr/bin/env python3
"""Writes an 837 Professional implementation guide as data, from the facts of
pyx12's map of that guide (BSD licence, github.com/azoner/pyx12):

  MAP_FILE              loops, segment positions, usage, repeats, element usage,
                        names, code values and syntax notes
  codes.xml             the external code lists the map refers to (states, ...),
                        beside MAP_FILE
  dataele.xml           every data element's type and minimum / maximum length

GUIDE_ID names the guide, and with it the catalogue whose classes write its
positions and the dictionary of its version:

  004010X098A1  catalogues/professional_4010/guide.def, linked to
                catalogues/professional_4010/*/*.def and
                core/transaction.def. The dictionary beside the map has the
                lengths of pyx12's 5010 update, which widened some of them (NM103
                1-60 instead of 1-35, REF02 1-50 instead of 1-30, ...); a 4010
                guide holds 4010 lengths, so the importer reads the 4010
                dictionary, by default the one in the directory map-4010 beside
                the map's directory, and stops if there is none rather than fall
                back to the wider lengths.
  005010X222A1  catalogues/professional_5010/guide.def, linked to
                catalogues/professional_5010/*/*.def; the dictionary beside the map,
                whose lengths are the 5010 ones. Two facts of the map are
                corrected (correct_5010): BHT06 also offers 31 (subrogation
                demand), ST03 (the implementation convention reference) is
                required, and ISA11 is the repetition separator (I65), not the
                4010 standards identifier.

Only facts are taken; the declaration's form is this project's own. The script
also links every guide position to the catalogue class that writes it, by loop,
segment ID and the codes of the class's first element.

    guide/import_pyx12_map.py MAP_FILE GUIDE_ID [DICTIONARY] > DECLARATION

Kept as the record of where the declarations came from; run it again only to
regenerate a declaration from a newer map, and review the difference.
"""
import glob
import os
import re
import sys
import xml.etree.ElementTree as ET

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)

# Loops that only group tables in the map (Table 1, 2, 3) are no loops of the
# guide: their children move up to the enclosing loop.
WRAPPERS = {"HEADER", "DETAIL", "FOOTER"}

# How the envelope loops are named in the declaration and in findings.
LOOP_NAMES = {"ISA_LOOP": ("Interchange", "ISA"), "GS_LOOP": ("FunctionalGroup", "GS"),
              "ST_LOOP": ("TransactionSet", "ST")}

# The catalogue's loop for each guide loop (the envelope's classes use 0 and 1, SE 2440).
CLASS_LOOPS = {"ISA_LOOP": "0", "GS_LOOP": "0", "ST_LOOP": "1"}


def c_string(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


# What each guide is linked to and read with.
GUIDES = {
    "004010X098A1": {
        "catalogue": [os.path.join("catalogues", "professional_4010", "*", "*.def"),
                      os.path.join("core", "transaction.def")],
        "dictionary": os.path.join("..", "map-4010", "dataele.xml"),
        "title": "004010X098A1",
    },
    "005010X222A1": {
        "catalogue": [os.path.join("catalogues", "professional_5010", "*", "*.def")],
        "dictionary": "dataele.xml",
        "title": "005010X222A1",
    },
}


def correct_5010(guide):
    """The facts pyx12's 5010 map gets wrong, set right in the map's tree
    before it is read (each is a no-op on a map that already has it)."""
    for seg in guide.iter("segment"):
        for el in seg.iter("element"):
            xid = el.get("xid")
            if xid == "BHT06":
                # The guide's claim or encounter identifier also offers 31,
                # subrogation demand; without it a subrogation claim is refused.
                vc = el.find("valid_codes")
                if "31" not in [c.text for c in vc.findall("code")]:
                    code = ET.Element("code")
                    code.text = "31"
                    vc.insert(0, code)
            elif xid == "ST03":
                # The implementation convention reference names the guide the
                # transaction follows: the guide requires it.
                el.find("usage").text = "R"
            elif xid == "ISA11":
                # In 5010 ISA11 is the repetition separator (data element I65,
                # as pyx12's own 00501 control file has it), not the 4010
                # standards identifier "U" the map kept.
                el.find("data_ele").text = "I65"
                el.find("name").text = "Repetition Separator"
                vc = el.find("valid_codes")
                if vc is not None:
                    el.remove(vc)


CORRECTIONS = {"005010X222A1": correct_5010}


def read_catalogue(patterns):
    """Classes by (loop, segment ID): [(class, codes of its first element)]."""
    classes = {}
    lists = {}
    files = []
    for pattern in patterns:
        files += sorted(glob.glob(os.path.join(ROOT, pattern)))
    current = None
    for path in files:
        for line in open(path, encoding="utf-8"):
            m = re.match(r'VIREO_MEMBER\((\w+), \w+, "([^"]*)"\)', line)
            if m:
                lists.setdefault(m.group(1), []).append(m.group(2))
                continue
            m = re.match(r'VIREO_SEGMENT\((\w+), "(\w+)", "(\w+)"', line)
            if m:
                current = [m.group(1), None]
                classes.setdefault((m.group(3), m.group(2)), []).append(current)
                continue
            m = re.match(r'VIREO_CODE_FIELD\(\w+, 1, [01], (\w+)\)', line)
            if m and current is not None and current[1] is None:
                current[1] = m.group(1)
    out = {}
    for key, members in classes.items():
        out[key] = [(name, set(lists.get(lst, [])) if lst else set()) for name, lst in members]
    return out


def dictionary_of(map_file, guide_id, path):
    """The guide's data element dictionary, by element number."""
    if path is None:
        path = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(map_file)),
                                             GUIDES[guide_id]["dictionary"]))
    if not os.path.isfile(path) and guide_id.startswith("00401"):
        sys.exit("import_pyx12_map.py: no 4010 data element dictionary at %s; the map's own dataele.xml "
                 "has the widened lengths of pyx12's 5010 update. Give the 4010 dictionary as the second "
                 "argument." % path)
    if not os.path.isfile(path):
        sys.exit("import_pyx12_map.py: no data element dictionary at %s" % path)
    return {d.get("ele_num"): d for d in ET.parse(path).getroot()}


def main():
    if len(sys.argv) not in (3, 4) or sys.argv[2] not in GUIDES:
        sys.exit("usage: import_pyx12_map.py MAP_FILE GUIDE_ID [DICTIONARY] > DECLARATION\n"
                 "GUIDE_ID: " + ", ".join(GUIDES))
    map_file, guide_id = sys.argv[1], sys.argv[2]
    map_dir = os.path.dirname(os.path.abspath(map_file))
    guide = ET.parse(map_file).getroot()
    if guide_id in CORRECTIONS:
        CORRECTIONS[guide_id](guide)
    dictionary = dictionary_of(map_file, guide_id, sys.argv[3] if len(sys.argv) == 4 else None)
    code_sets = {c.findtext("id"): c for c in ET.parse(os.path.join(map_dir, "codes.xml")).getroot()}
    catalogue = read_catalogue(GUIDES[guide_id]["catalogue"])

    used_elements = set()
    used_sets = []
    body = []
    linked = set()
    declared_loops = {}

    def codes_of(node):
        vc = node.find("valid_codes")
        if vc is None:
            return ""
        if vc.get("external"):
            name = vc.get("external")
            if name not in used_sets:
                used_sets.append(name)
            return "@" + name
        return " ".join(c.text for c in vc.findall("code"))

    def explicit_codes(node):
        vc = node.find("valid_codes")
        if vc is None or vc.get("external"):
            return set()
        return {c.text for c in vc.findall("code")}

    def class_for(loop_xid, seg):
        sid = seg.get("xid")
        loop = CLASS_LOOPS.get(loop_xid, loop_xid)
        if sid == "SE":
            loop = "2440"
        candidates = catalogue.get((loop, sid), [])
        first = seg.find("element")
        codes = explicit_codes(first) if first is not None and first.findtext("seq") == "01" else set()
        lead = seg.find("composite")
        if lead is not None and lead.findtext("seq") == "01" and lead.find("element") is not None:
            codes = explicit_codes(lead.find("element"))
        best, best_score = None, 0
        for name, class_codes in candidates:
            if len(candidates) == 1 and not codes:
                score = 1
            elif class_codes and codes:
                score = len(class_codes & codes) / len(class_codes | codes)
            else:
                score = 0.5 if len(candidates) == 1 else 0
            if score > best_score:
                best, best_score = name, score
        return best or "none"

    def qualifier_of(seg):
        # HL levels are told apart by HL03; every other segment by a first
        # element with a code list, when it is required, or by the code list
        # of a required first composite's first component (the 2300 HI
        # positions: diagnoses ABK/BK, anesthesia BP, conditions BG).
        if seg.get("xid") == "HL":
            return 3
        first = next((ch for ch in seg if ch.tag in ("element", "composite")), None)
        if first is None or first.findtext("seq") != "01" or first.findtext("usage") != "R":
            return 0
        if first.tag == "composite":
            first = first.find("element")
            if first is None or first.findtext("usage") != "R":
                return 0
        return 1 if explicit_codes(first) else 0

    def element_line(macro, el, indent):
        num = el.findtext("data_ele")
        used_elements.add(num)
        return "%s%s(%d, %s, %s, %s, %s)" % (
            indent, macro, int(el.findtext("seq")), num, el.findtext("usage"),
            c_string(el.findtext("name").strip()), c_string(codes_of(el)))

    def segment(seg, loop_xid, indent):
        cls = class_for(loop_xid, seg)
        if cls != "none":
            linked.add(cls)
        body.append("%sVIREO_GUIDE_SEGMENT(%s, %d, %s, %s, %d, %s, %s)" % (
            indent, seg.get("xid"), int(seg.findtext("pos")), seg.findtext("usage"),
            seg.findtext("max_use"), qualifier_of(seg), cls, c_string(seg.findtext("name").strip())))
        for ch in seg:
            if ch.tag == "element":
                body.append(element_line("VIREO_GUIDE_ELEMENT", ch, indent + "  "))
            elif ch.tag == "composite":
                body.append("%s  VIREO_GUIDE_COMPOSITE(%d, %s, %s, %s)" % (
                    indent, int(ch.findtext("seq")), ch.findtext("data_ele"), ch.findtext("usage"),
                    c_string(ch.findtext("name").strip())))
                for comp in ch.findall("element"):
                    body.append(element_line("VIREO_GUIDE_COMPONENT", comp, indent + "    "))
                body.append("%s  VIREO_GUIDE_COMPOSITE_END()" % indent)
        for syn in seg.findall("syntax"):
            body.append("%s  VIREO_GUIDE_SYNTAX(%s, %s)" % (indent, syn.text[0], c_string(syn.text[1:])))
        body.append("%sVIREO_GUIDE_SEGMENT_END()" % indent)

    def loop(node, indent, enclosing=None):
        xid = node.get("xid")
        if xid in WRAPPERS:
            for ch in node:
                if ch.tag == "loop":
                    loop(ch, indent, enclosing)
                elif ch.tag == "segment":
                    segment(ch, enclosing, indent)
            return
        ident, shown = LOOP_NAMES.get(xid, ("L" + xid, xid))
        repeat = node.findtext("repeat")
        repeat = 0 if repeat == ">1" else int(repeat)
        text = ET.tostring(node)
        if xid in declared_loops:
            # The same loop again (the claim loop under the patient level): the
            # declaration above is used; the map's copy differs at most in facts
            # the guide states once (kept from the first).
            body.append("%sVIREO_GUIDE_LOOP_AGAIN(%s)" % (indent, ident))
            return
        declared_loops[xid] = text
        body.append("%sVIREO_GUIDE_LOOP(%s, %s, %s, %d, %d, %s)" % (
            indent, ident, c_string(shown), node.findtext("usage"), repeat, int(node.findtext("pos")),
            c_string(node.findtext("name").strip())))
        for ch in node:
            if ch.tag == "loop":
                loop(ch, indent + "  ", xid)
            elif ch.tag == "segment":
                segment(ch, xid, indent + "  ")
        body.append("%sVIREO_GUIDE_LOOP_END(%s)" % (indent, ident))

    for ch in guide:
        if ch.tag == "loop":
            loop(ch, "")

    out = []
    out.append(HEADER % GUIDES[guide_id]["title"])
    out.append("// Data elements: number, type, minimum and maximum length, name.")
    def element_key(n):
        return (0, int(n)) if n.isdigit() else (1, n)
    for num in sorted(used_elements, key=element_key):
        d = dictionary[num]
        name = d.get("name")
        if name == num:
            name = ""
        out.append("VIREO_GUIDE_DATA_ELEMENT(%s, %s, %s, %s, %s)" % (
            num, d.get("data_type"), d.get("min_len"), d.get("max_len"), c_string(name)))
    out.append("")
    out.append("// Code lists kept outside the guide, referred to as \"@name\".")
    for name in used_sets:
        cs = code_sets[name]
        codes = [c.text for c in cs.find("version").findall("code")]
        lines = []
        for i in range(0, len(codes), 24):
            lines.append(c_string(" ".join(codes[i:i + 24]) + (" " if i + 24 < len(codes) else "")))
        out.append("VIREO_GUIDE_CODE_SET(%s, %s,\n    %s)" % (name, c_string(cs.findtext("name").strip()),
                                                          "\n    ".join(lines)))
    out.append("")
    out.append("// The transaction: loops in document order, each with its segment positions.")
    out.extend(body)
    sys.stdout.write("\n".join(out) + "\n")
    unlinked = sorted(name for classes in catalogue.values() for name, _ in classes if name not in linked)
    if unlinked:
        sys.stderr.write("classes linked to no position: %s\n" % ", ".join(unlinked))


HEADER = """\
// The 837 Professional implementation guide %s as data.
//
// Generated by guide/import_pyx12_map.py from the facts of pyx12's map of the
// guide (BSD licence); a test checks that it still is. A fact that the map
// gets wrong is corrected in the importer, with the reason. Included several
// times by guide/define_guide.h (in this catalogue's guide.cpp), each time with
// the VIREO_GUIDE_* macros defined to produce one table. Never include it directly.
//
//   VIREO_GUIDE_DATA_ELEMENT(Number, Type, Min, Max, "Name")
//       the data element dictionary: Type is AN, ID, N0, N2, R, DT or TM
//   VIREO_GUIDE_CODE_SET(Set, "Name", "codes separated by spaces")
//   VIREO_GUIDE_LOOP(Loop, "shown as", Usage, Repeat, Position, "Name")
//       Usage R required, S situational, N not used; Repeat 0 = no limit
//   VIREO_GUIDE_LOOP_AGAIN(Loop)   the loop declared earlier, nested here too
//   VIREO_GUIDE_LOOP_END(Loop)
//   VIREO_GUIDE_SEGMENT(ID, Position, Usage, MaxUse, Qualifier, Class, "Name")
//       Qualifier: the element whose codes tell this position from others of
//       the same segment ID (0: the ID alone); Class: the segment class that
//       writes the position, or none
//   VIREO_GUIDE_ELEMENT(Position, Number, Usage, "Name", "codes")
//       codes separated by spaces, "@Set" for a code set, "" for any value
//   VIREO_GUIDE_COMPOSITE(Position, Number, Usage, "Name")
//   VIREO_GUIDE_COMPONENT(Position, Number, Usage, "Name", "codes")
//   VIREO_GUIDE_COMPOSITE_END()
//   VIREO_GUIDE_SYNTAX(Kind, "positions")
//       X12 syntax note: P paired, R at least one, C conditional (if the first
//       then all the others), L list conditional (if the first then at least
//       one other), E exclusion (at most one); positions two digits each
//   VIREO_GUIDE_SEGMENT_END()
"""

if __name__ == "__main__":
    main()
