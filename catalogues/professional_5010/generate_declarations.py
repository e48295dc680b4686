#!/usr/bin/env python3
"""Wrote the first version of the 005010X222A1 catalogue's declarations (the
family .def files and slots.def of this folder) from pyx12's 5010 map and the
4010 catalogue. It was run once; its output was then reviewed by hand, names
were corrected where the rules gave an ugly or ambiguous one, and the
declarations are hand-maintained from then on. Do not run it again to
"refresh" them: the names are public (a host compiles against them), and a
later map correction must never rename a class, field, list or member.
tests/catalogue/check_5010_declarations.py checks the facts (positions,
elements, codes, usage) of the committed declarations against the map.

    generate_declarations.py MAP_FILE OUT_DIR

Inputs: MAP_FILE (pyx12's 837.5010.X222.A1.xml); the 4010 catalogue
(segments/*/*.def, core/transaction.def, segments/slots.def) and its guide
(guide/837p_4010.def), which links every 4010 position to its class.

Naming (a 4010 user can predict the 5010 names):
  class      L<loop>_<SEG>_<nn>_<ShortName>: nn counts the loop's positions of
             that segment from 00; ShortName is the 4010 one when the position
             maps one to one onto a 4010 class whose guide name is unchanged,
             else the 5010 name through the 4010 word table (WORDS)
  field      m<NN>[<CC>]_<ShortName>: the 4010 field's name when the position is
             mapped and the element was named there, else generated the same
             way; an element the guide does not use is m<NN>_not_used_in_context
  code list  L<loop>_<SEG>_<NN>_<de>_<seq>_<Name>: seq is the guide-order count
             of segment, element, composite, component and code nodes from ST
             (= 1) to the list's first code; the envelope's lists use 001_001
  member     val_<code>_<Desc>_<de>_<seq>: Desc is the 4010 catalogue's most
             common spelling for the same data element and code, else the
             description written for this catalogue (DESCRIPTIONS)
"""
import collections
import glob
import os
import re
import sys
import xml.etree.ElementTree as ET

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))

# 5010 loop -> the 4010 loop at the same place (new loops are absent).
LOOPS_4010 = {
    "1000A": "1000A", "1000B": "1000B", "2000A": "2000A", "2010AA": "2010AA", "2010AB": "2010AB",
    "2000B": "2000B", "2010BA": "2010BA", "2010BB": "2010BB", "2000C": "2000C", "2010CA": "2010CA",
    "2300": "2300", "2310A": "2310A", "2310B": "2310B", "2310C": "2310D", "2310D": "2310E",
    "2320": "2320", "2330A": "2330A", "2330B": "2330B", "2330C": "2330D", "2330D": "2330E",
    "2330E": "2330G", "2330F": "2330H", "2400": "2400", "2410": "2410", "2420A": "2420A",
    "2420B": "2420B", "2420C": "2420C", "2420D": "2420D", "2420E": "2420E", "2420F": "2420F",
    "2430": "2430", "2440": "2440", "0": "0", "1": "1",
}

# Phrases replaced before a name is split into words.
PHRASES = [
    (r"Coordination of Benefits \(COB\)", "COB"),
    (r"Durable Medical Equipment", "DME"),
    (r"X-ray", "Xray"),
    (r"Pay-to", "Payto"),
    (r"ZIP Code", "Zip"),
    (r"Property and Casualty", "PropertyCasualty"),
]

# The 4010 word table: a word of a guide name -> its short form ("" drops it).
WORDS = {
    "provider": "PROV", "information": "Info", "identification": "ID", "identifier": "Ident",
    "number": "Num", "qualifier": "Qul", "service": "Svc", "secondary": "2nd", "billing": "Bill",
    "claim": "CLM", "other": "Oth", "patient": "Pat", "purchased": "Prch", "referring": "Ref",
    "referral": "Refl", "supervising": "Super", "rendering": "Render", "facility": "Fac",
    "location": "Loc", "hierarchical": "HI", "certification": "Cert", "authorization": "Auth",
    "adjustment": "Adj", "adjustments": "Adjs", "adjudication": "Adjud", "demographic": "Dmo",
    "medicare": "Mcare", "organizational": "Orgal", "organization": "Org", "transaction": "Trans",
    "interchange": "Int", "functional": "Funct", "submitter": "Sub", "receiver": "Recv",
    "beginning": "Beg", "specialty": "Spec", "prescription": "Script", "hearing": "Hear",
    "relinquished": "Relinq", "standards": "Stands", "application": "App", "clinical": "Clin",
    "laboratory": "Lab", "improvement": "Improv", "amendment": "Amend", "investigational": "Invest",
    "exemption": "Exempt", "demonstration": "Demo", "mandatory": "Mand", "section": "Sec",
    "crossover": "Cross", "signature": "Sig", "manipulation": "Man", "structure": "Struct",
    "industry": "Ind", "reference": "Ref", "zip": "Zip", "claimed": "CLMed",
    "acknowledgement": "Acknowledgment", "manifestation": "Manifestation",
    # words the 4010 names never needed
    "anesthesia": "Anesthesia", "drug": "Drug", "obstetric": "Obstetric", "repricer": "Repricer",
    "upin": "UPIN", "license": "License", "casualty": "Casualty", "property": "Property",
    "pick": "Pick", "up": "Up", "drop": "Drop", "off": "Off", "plan": "Plan", "oversight": "Oversight",
    "symptom": "Symptom", "current": "Current", "remittance": "Remittance", "check": "Check",
    "remaining": "Remaining", "liability": "Liability", "non": "Non", "covered": "Covered",
    "outpatient": "OutPat", "intermediaries": "Intermediaries", "transmission": "Tran",
    "association": "Association", "compound": "Compound", "necessity": "Necessity",
    "certificate": "Certificate", "recertification": "Recert", "revision": "Revision",
    "third": "Third", "party": "Party", "notes": "Notes", "supplemental": "Supplemental",
    "received": "Received", "quantity": "Quantity", "units": "Units", "additional": "Additional",
    "count": "Count", "tax": "Tax", "taxonomy": "Taxonomy", "subdivision": "Subdivision",
    "implementation": "Impl", "convention": "Convention", "repetition": "Repetition",
    "separator": "Separator", "contact": "Contact", "payer": "Payer", "address": "Address",
    "responsibility": "Resp", "date": "Date", "sequence": "Seq", "description": "Desc",
}
# Words a class name leaves out (a field name keeps them, in lower case).
CLASS_DROPPED = {"of", "and", "the", "for", "a"}
CLASS_LOWER = {"or"}
FIELD_LOWER = {"of", "or", "and", "for", "to", "the"}

SEGMENT_FAMILY = {}
for family, ids in {
    "envelope": "ISA GS GE IEA ST SE BHT",
    "names": "NM1",
    "address": "N3 N4 PER",
    "reference": "REF",
    "hierarchy": "HL PRV CUR SBR PAT DMG",
    "claim": "CLM PWK CN1 K3 NTE HI HCP",
    "dates": "DTP AMT",
    "certification": "CR1 CR2 CR3 CRC MEA QTY",
    "service_line": "LX SV1 SV5 PS1 LIN CTP",
    "adjustment": "OI MOA CAS SVD LQ FRM",
}.items():
    for sid in ids.split():
        SEGMENT_FAMILY[sid] = family
FAMILIES = ["envelope", "names", "address", "reference", "hierarchy", "claim", "dates", "certification",
            "service_line", "adjustment"]

# Descriptions of codes the 4010 catalogue has no member for, by (data
# element, code): this catalogue's own short descriptions.
DESCRIPTIONS = {
    ("1032", "17"): "DentalMaintOrg", ("1032", "FI"): "FedEmployeesPgm", ("1032", "MA"): "McarePartA",
    ("1136", "ZZ"): "MutuallyDefined",
    ("1138", "A"): "FourthPayer", ("1138", "B"): "FifthPayer", ("1138", "C"): "SixthPayer",
    ("1138", "D"): "SeventhPayer", ("1138", "E"): "EighthPayer", ("1138", "F"): "NinthPayer",
    ("1138", "G"): "TenthPayer", ("1138", "H"): "EleventhPayer", ("1138", "U"): "Unknown",
    ("1270", "ABF"): "ICD10CMDiagnosis", ("1270", "ABK"): "ICD10CMPrincipalDiagnosis",
    ("1270", "BG"): "ConditionCodes", ("1270", "BO"): "HCPCSProcedure", ("1270", "BP"): "HCPCSPrincipalProcedure",
    ("128", "PXC"): "ProviderTaxonomy", ("128", "VY"): "LinkSeqNum", ("128", "XZ"): "PharmacyScriptNum",
    ("1321", "12"): "BedOrChairConfined", ("1321", "AV"): "AvailableNotUsed", ("1321", "NU"): "NotUsed",
    ("1321", "S2"): "UnderTreatment", ("1321", "ST"): "NewSvcsRequested",
    ("1332", "B"): "PlaceofSvcCodes",
    ("1514", "15"): "NaturalDisaster",
    ("235", "EN"): "EAN13", ("235", "EO"): "EAN8", ("235", "ER"): "JurisdictionSpecificCodes",
    ("235", "HI"): "HIBCSupplierLabel", ("235", "ON"): "CustomerOrderNum", ("235", "UK"): "GTIN14",
    ("235", "UP"): "UCC12", ("235", "WK"): "ABCCodes",
    ("355", "01"): "ActualPounds", ("355", "ME"): "Milligram", ("355", "ML"): "Milliliter",
    ("374", "050"): "Received", ("374", "314"): "Disability", ("374", "444"): "FirstVisitorConsult",
    ("522", "A8"): "NonCoveredActual", ("522", "EAF"): "AmountOwed",
    ("594", "1"): "Weekly", ("594", "4"): "Monthly", ("594", "6"): "Daily",
    ("640", "31"): "SubrogationDemand",
    ("66", "II"): "UniqueHealthIdent",
    ("673", "FL"): "Units", ("673", "PT"): "Patients",
    ("755", "03"): "TreatmentBeyondGuidelines", ("755", "04"): "DrugsAdministered",
    ("755", "05"): "TreatmentDiagnosis", ("755", "06"): "InitialAssessment", ("755", "07"): "FunctionalGoals",
    ("755", "08"): "PlanofTreatment", ("755", "09"): "ProgressRpt", ("755", "10"): "ContinuedTreatment",
    ("755", "11"): "ChemicalAnalysis", ("755", "13"): "CertifiedTestRpt", ("755", "15"): "AdmissionJustification",
    ("755", "21"): "RecoveryPlan", ("755", "A3"): "AllergiesDoc", ("755", "A4"): "AutopsyRpt",
    ("755", "AM"): "AmbulanceCert", ("755", "BR"): "BenchmarkTestResults", ("755", "BS"): "Baseline",
    ("755", "BT"): "BlanketTestResults", ("755", "CB"): "ChiropracticJustification", ("755", "CK"): "ConsentForms",
    ("755", "D2"): "DrugProfileDoc", ("755", "DB"): "DMEScript", ("755", "DJ"): "DischargeMonitoringRpt",
    ("755", "HC"): "HealthCertificate", ("755", "HR"): "HealthClinicRecords", ("755", "I5"): "ImmunizationRecord",
    ("755", "IR"): "SchoolImmunizationRecords", ("755", "LA"): "LabResults",
    ("755", "M1"): "MedicalRecordAttachment", ("755", "OC"): "OxygenContentAvgRpt",
    ("755", "OD"): "OrdersTreatmentsDoc", ("755", "OE"): "PhysicalExamDoc", ("755", "OX"): "OxygenTherapyCert",
    ("755", "P4"): "PathologyRpt", ("755", "P5"): "PatMedicalHistoryDoc", ("755", "PE"): "ParenteralEnteralCert",
    ("755", "PQ"): "ParamedicalResults", ("755", "PY"): "PhysicianRpt", ("755", "RX"): "RenewableOxygenAvgRpt",
    ("755", "SG"): "SymptomsDoc", ("755", "V5"): "DeathNotification", ("755", "XP"): "Photographs",
    ("756", "FT"): "FileTransfer",
    ("98", "45"): "DropOffLoc", ("98", "PE"): "Payee", ("98", "PW"): "PickUpAddress",
}


def words_of(name):
    for pattern, repl in PHRASES:
        name = re.sub(pattern, repl, name, flags=re.IGNORECASE)
    return [w for w in re.split(r"[^A-Za-z0-9]+", name) if w]


def short_name(name, for_class):
    out = []
    for w in words_of(name):
        low = w.lower()
        if for_class and low in CLASS_DROPPED:
            continue
        if for_class and low in CLASS_LOWER:
            out.append(low)
            continue
        if not for_class and low in FIELD_LOWER:
            out.append(low)
            continue
        if low in WORDS:
            out.append(WORDS[low])
        elif w.isupper() or w.isdigit():
            out.append(w)
        else:
            out.append(w[0].upper() + w[1:])
    return "".join(out)


def normalised(name):
    return re.sub(r"[^a-z0-9]", "", name.lower())


# ---- the 4010 catalogue ----

def read_4010():
    classes = {}   # class -> {"fields": {(el, comp): (name, kind, list, width)}}
    lists = {}     # list -> [(member, code)]
    files = sorted(glob.glob(os.path.join(ROOT, "segments", "*", "*.def"))) + [
        os.path.join(ROOT, "core", "transaction.def")]
    current = None
    for path in files:
        for line in open(path, encoding="utf-8"):
            m = re.match(r'VIREO_MEMBER\((\w+), (\w+), "([^"]*)"\)', line)
            if m:
                lists.setdefault(m.group(1), []).append((m.group(2), m.group(3)))
                continue
            m = re.match(r'VIREO_SEGMENT\((\w+), "(\w+)", "(\w+)", "(\w+)", (\w+), (\w+)\)', line)
            if m:
                current = {"fields": {}, "assembly": m.group(5), "counting": m.group(6)}
                classes[m.group(1)] = current
                continue
            m = re.match(r'VIREO_(TEXT|CODE|FIXED|UNWRITTEN)_FIELD\((\w+), (\d+), (\d+)(?:, (\w+))?\)', line)
            if m:
                kind, name, el, third, lst = m.groups()
                if kind == "FIXED":
                    current["fields"][(int(el), 0)] = (name, kind, None, int(third))
                else:
                    current["fields"][(int(el), int(third))] = (name, kind, lst, 0)
    slots = {}
    for line in open(os.path.join(ROOT, "segments", "slots.def"), encoding="utf-8"):
        m = re.match(r"VIREO_SLOT\((\w+), (\w+),", line)
        if m:
            slots[m.group(1)] = m.group(2)
    return classes, lists, slots


def read_guide_4010():
    """4010 positions: [(loop, id, name, class, {(el, comp): (de, codes)})]."""
    positions = []
    loops = []
    current = None
    composite = None
    for line in open(os.path.join(ROOT, "guide", "837p_4010.def"), encoding="utf-8"):
        s = line.strip()
        m = re.match(r'VIREO_GUIDE_LOOP\((\w+), "(\w+)"', s)
        if m:
            loops.append(m.group(2))
            continue
        if s.startswith("VIREO_GUIDE_LOOP_END"):
            loops.pop()
            continue
        m = re.match(r'VIREO_GUIDE_SEGMENT\((\w+), \d+, \w, \w+, \d, (\w+), "(.*)"\)', s)
        if m:
            loop = loops[-1]
            current = {"loop": loop, "id": m.group(1), "class": m.group(2), "name": m.group(3), "elements": {}}
            positions.append(current)
            continue
        m = re.match(r'VIREO_GUIDE_(ELEMENT|COMPONENT)\((\d+), (\w+), (\w), "(.*)", "(.*)"\)', s)
        if m:
            kind, pos, de, usage, name, codes = m.groups()
            key = (composite, int(pos)) if kind == "COMPONENT" else (int(pos), 0)
            current["elements"][key] = (de, usage, codes)
            continue
        m = re.match(r'VIREO_GUIDE_COMPOSITE\((\d+),', s)
        if m:
            composite = int(m.group(1))
    return positions


# ---- the 5010 map ----

def read_map(path):
    """Positions in document order (the claim loop once, where the guide prints
    it: after the patient level), each with its elements, and the code seq."""
    root = ET.parse(path).getroot()
    positions = []
    counter = [0]
    counting = [False]
    seen = set()

    def loop_id(xid):
        return {"ISA_LOOP": "0", "GS_LOOP": "0", "ST_LOOP": "1"}.get(xid, xid)

    def element(node, seq_comp, out, composite_seq):
        counter[0] += 1 if counting[0] else 0
        vc = node.find("valid_codes")
        codes = []
        first_code_node = None
        external = None
        if vc is not None:
            if vc.get("external"):
                external = vc.get("external")
            for c in vc.findall("code"):
                if counting[0]:
                    counter[0] += 1
                if first_code_node is None:
                    first_code_node = counter[0]
                codes.append(c.text)
        seq = int(node.findtext("seq"))
        key = (composite_seq, seq) if composite_seq else (seq, 0)
        out.append({"key": key, "de": node.findtext("data_ele"), "usage": node.findtext("usage"),
                    "name": node.findtext("name").strip(), "codes": codes, "external": external,
                    "seq": first_code_node})

    def segment(node, loop):
        sid = node.get("xid")
        if sid == "ST":
            counting[0] = True
        if counting[0]:
            counter[0] += 1
        elements = []
        composites = {}
        for ch in node:
            if ch.tag == "element":
                element(ch, None, elements, None)
            elif ch.tag == "composite":
                if counting[0]:
                    counter[0] += 1
                cseq = int(ch.findtext("seq"))
                composites[cseq] = {"de": ch.findtext("data_ele"), "usage": ch.findtext("usage"),
                                    "name": ch.findtext("name").strip()}
                comps = ch.findall("element")
                if not comps:
                    elements.append({"key": (cseq, 0), "de": ch.findtext("data_ele"), "usage": ch.findtext("usage"),
                                     "name": ch.findtext("name").strip(), "codes": [], "external": None,
                                     "seq": None, "composite": True})
                for comp in comps:
                    element(comp, None, elements, cseq)
        if sid in ("SE",):
            loop = "2440"
        positions.append({"loop": loop, "id": sid, "name": node.findtext("name").strip(),
                          "usage": node.findtext("usage"), "max_use": node.findtext("max_use"),
                          "elements": elements, "composites": composites})

    def walk(node, loop, parent_xid):
        for ch in node:
            if ch.tag == "loop":
                xid = ch.get("xid")
                if xid in ("HEADER", "DETAIL", "FOOTER"):
                    walk(ch, loop, parent_xid)
                    continue
                if xid == "2300" and parent_xid == "2000B":
                    continue  # printed once, after the patient level
                if xid in seen:
                    continue
                seen.add(xid)
                walk(ch, loop_id(xid), xid)
            elif ch.tag == "segment":
                if ch.get("xid") == "TA1":
                    continue
                segment(ch, loop)

    walk(root, "0", None)
    # Document order: the envelope's trailers follow SE.
    return positions


# ---- matching 5010 positions onto 4010 classes ----

def first_codes(elements, sid):
    key = (3, 0) if sid == "HL" else None
    for e in elements:
        if (key and e["key"] == key) or (not key and e["key"] in ((1, 0), (1, 1))):
            return set(e["codes"])
    return set()


def match(positions, guide4010):
    by_loop = collections.defaultdict(list)
    for p in guide4010:
        loop = {"Interchange": "0", "FunctionalGroup": "0", "TransactionSet": "1"}.get(p["loop"], p["loop"])
        by_loop[(loop, p["id"])].append(p)
    # the 4010 guide's envelope loops are shown as ISA / GS / ST
    fixed = collections.defaultdict(list)
    for (loop, sid), ps in by_loop.items():
        loop = {"ISA": "0", "GS": "0", "ST": "1"}.get(loop, loop)
        if sid == "SE":
            loop = "2440"
        fixed[(loop, sid)].extend(ps)
    pairs = []
    for i, p in enumerate(positions):
        old_loop = LOOPS_4010.get(p["loop"])
        if old_loop is None:
            continue
        codes = first_codes(p["elements"], p["id"])
        for j, q in enumerate(fixed.get((old_loop, p["id"]), [])):
            if q["class"] == "none":
                continue
            old_codes = set()
            key = (3, 0) if p["id"] == "HL" else None
            for k, v in q["elements"].items():
                if (key and k == key) or (not key and k in ((1, 0), (1, 1))):
                    old_codes = set(v[2].split()) if not v[2].startswith("@") else set()
            if codes or old_codes:
                score = len(codes & old_codes) / max(1, len(codes | old_codes))
            else:
                score = 0.5
            if normalised(p["name"]) == normalised(q["name"]):
                score += 0.25
            if score > 0:
                pairs.append((score, i, q["class"], q))
    pairs.sort(key=lambda t: (-t[0], t[1]))
    out = {}
    used = set()
    for score, i, cls, q in pairs:
        if i in out or cls in used:
            continue
        out[i] = q
        used.add(cls)
    return out


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: generate_declarations.py MAP_FILE OUT_DIR")
    positions = read_map(sys.argv[1])
    out_dir = sys.argv[2]
    classes4010, lists4010, slots4010 = read_4010()
    guide4010 = read_guide_4010()
    matched = match(positions, guide4010)

    # The 4010 descriptions by (data element, code), most common spelling first.
    de_of_list = {}
    for q in guide4010:
        cls = classes4010.get(q["class"])
        if not cls:
            continue
        for key, (name, kind, lst, _) in cls["fields"].items():
            if lst and key in q["elements"]:
                de_of_list[lst] = q["elements"][key][0]
    spellings = collections.defaultdict(collections.Counter)
    for lst, members in lists4010.items():
        de = de_of_list.get(lst)
        if de is None:
            continue
        for member, code in members:
            desc = member[len("val_" + code + "_"):]
            desc = re.sub(r"_\d+_\d+$", "", desc) if not lst.startswith("L0_") else desc
            spellings[(de, code)][desc] += 1

    ordinal = collections.Counter()
    classes = []
    stats = collections.Counter()
    missing = set()
    for i, p in enumerate(positions):
        loop, sid = p["loop"], p["id"]
        nn = ordinal[(loop, sid)]
        ordinal[(loop, sid)] += 1
        cls = "L%s_%s_%02d" % (loop, sid, nn)
        q = matched.get(i)
        old = classes4010.get(q["class"]) if q else None
        if q and normalised(q["name"]) == normalised(p["name"]):
            desc = slots4010[q["class"]]
            stats["class names reused"] += 1
        else:
            desc = short_name(p["name"], True)
            stats["class names generated"] += 1
        assembly, counting = "Common", "Counted"
        if sid == "ISA":
            assembly = "Interchange"
        elif sid == "GS":
            assembly = "AllElements"
        elif sid in ("GE", "IEA"):
            assembly, counting = "AllElements", "NotCounted"
        elif sid == "SE":
            assembly = "Trailer"
        elif sid == "HI":
            assembly = "PackedComposites"
        fields = []
        codelists = []
        # a used composite is split up to its last used component
        last_used = {}
        for e in p["elements"]:
            el, comp = e["key"]
            if comp and e["usage"] != "N":
                last_used[el] = max(last_used.get(el, 0), comp)
        done_composites = set()
        for e in p["elements"]:
            el, comp = e["key"]
            if comp:
                if el not in last_used:
                    if el in done_composites:
                        continue
                    done_composites.add(el)
                    if p["composites"][el]["usage"] == "N" or True:
                        fields.append(("TEXT", "m%02d_not_used_in_context" % el, el, 0, None))
                    continue
                if comp > last_used[el]:
                    continue
            prefix = "m%02d%s" % (el, "%02d" % comp if comp else "")
            if e["usage"] == "N" or e.get("composite"):
                fields.append(("TEXT", prefix + "_not_used_in_context", el, comp, None))
                continue
            old_field = None
            if old:
                f = old["fields"].get((el, comp))
                old_el = q["elements"].get((el, comp))
                if f and "not_used" not in f[0] and old_el and old_el[0] == e["de"]:
                    old_field = f
            if old_field:
                name = old_field[0]
                stats["field names reused"] += 1
            else:
                name = prefix + "_" + short_name(e["name"], False)
                stats["field names generated"] += 1
            # the kind: a fixed ISA width, a code list, or text
            if sid == "ISA" and el == 11:
                fields.append(("FIXED", "m11_RepetitionSeparator", el, 1, None))
                continue
            if old_field and old_field[1] == "FIXED":
                fields.append(("FIXED", name, el, old_field[3], None))
                continue
            is_code = bool(e["codes"]) and not e["external"] and all(len(c) <= 4 for c in e["codes"])
            if old_field:
                is_code = is_code and old_field[1] == "CODE"
            elif e["de"] in ("127", "1328") or (sid == "CRC" and el >= 4):
                is_code = False
            if not is_code:
                fields.append(("TEXT", name, el, comp, None))
                continue
            envelope = loop == "0"
            de = "001" if envelope else e["de"]
            seq = "001" if envelope else str(e["seq"])
            list_name = "L%s_%s_%02d_%s_%s_%s" % (loop, sid, el, de, seq, name.split("_", 1)[1])
            if sid == "ISA" and el == 7:
                list_name = [l for l in codelists if "_ISA_05_" in l[0]][0][0]
                fields.append(("CODE", name, el, comp, list_name))
                continue
            members = []
            for code in e["codes"]:
                c = spellings.get((e["de"], code))
                if c:
                    d = c.most_common(1)[0][0]
                    stats["member descriptions reused"] += 1
                elif (e["de"], code) in DESCRIPTIONS:
                    d = DESCRIPTIONS[(e["de"], code)]
                    stats["member descriptions written"] += 1
                else:
                    missing.add((e["de"], code, e["name"]))
                    d = "TODO"
                member = "val_%s_%s" % (code, d) + ("" if envelope else "_%s_%s" % (e["de"], seq))
                members.append((member, code))
            codelists.append((list_name, members))
            fields.append(("CODE", name, el, comp, list_name))
        classes.append({"class": cls, "desc": desc, "id": sid, "loop": loop, "assembly": assembly,
                        "counting": counting, "fields": fields, "codelists": codelists,
                        "from": q["class"] if q else ""})

    if missing:
        for de, code, name in sorted(missing):
            sys.stderr.write("no description: (%r, %r): %s\n" % (de, code, name))

    os.makedirs(out_dir, exist_ok=True)
    by_family = collections.defaultdict(list)
    for c in classes:
        by_family[SEGMENT_FAMILY[c["id"]]].append(c)
    for family in FAMILIES:
        lines = [FAMILY_HEADER % family.replace("_", " ")]
        for c in by_family[family]:
            for list_name, members in c["codelists"]:
                lines.append("VIREO_CODELIST(%s)" % list_name)
                for member, code in members:
                    lines.append('VIREO_MEMBER(%s, %s, "%s")' % (list_name, member, code))
                lines.append("VIREO_CODELIST_END(%s)" % list_name)
                lines.append("")
            lines.append('VIREO_SEGMENT(%s, "%s", "%s", "L_%s_%s_%s", %s, %s)' % (
                c["class"], c["id"], c["loop"], c["loop"], c["id"], c["desc"], c["assembly"], c["counting"]))
            for kind, name, el, third, lst in c["fields"]:
                if kind == "CODE":
                    lines.append("VIREO_CODE_FIELD(%s, %d, %d, %s)" % (name, el, third, lst))
                else:
                    lines.append("VIREO_%s_FIELD(%s, %d, %d)" % (kind, name, el, third))
            lines.append("VIREO_SEGMENT_END(%s)" % c["class"])
            lines.append("")
        with open(os.path.join(out_dir, family + ".def"), "w", encoding="utf-8") as f:
            f.write("\n".join(lines).rstrip("\n") + "\n")
    slot_lines = [SLOTS_HEADER]
    for k, c in enumerate(classes):
        slot_lines.append("VIREO_SLOT(%s, %s, Trapped, 0x%08X)" % (c["class"], c["desc"], 0x680500E1 - k))
    with open(os.path.join(out_dir, "slots.def"), "w", encoding="utf-8") as f:
        f.write("\n".join(slot_lines) + "\n")
    for k, v in sorted(stats.items()):
        sys.stderr.write("%s: %d\n" % (k, v))
    sys.stderr.write("classes: %d\n" % len(classes))


FAMILY_HEADER = """\
// The 005010X222A1 catalogue: %s segment classes. Same format as
// segments/envelope/envelope.def. First written by generate_declarations.py,
// now maintained by hand: the names are public and never change."""

SLOTS_HEADER = """\
// The 005010X222A1 catalogue's slot list: the control's segment members and
// their object properties, in the guide's document order. Same format as
// segments/slots.def; the ids count down from 0x680500E1 in slot order and,
// once published, never change."""

if __name__ == "__main__":
    main()
