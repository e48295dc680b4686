#!/usr/bin/env python3
"""Differential test of `vireo check` against the external validator.

Makes mutations of valid 837 files (delete, duplicate, move and swap segments;
change codes, lengths, types, counts, control numbers, HL and LX numbers;
insert delimiters), checks each with both, and compares the verdicts (valid,
invalid, not validated) and the segment numbers they name.

The valid files are written first, into OUT/seeds: the shipped examples
through `vireo run`, and the file that uses every segment class.

    mutate.py --vireo BIN --every-class BIN --examples DIR [--count N] [--seed S] [--out DIR]
              [--version 00401|00501]

--version mutates only the seeds of that interchange version (ISA12).

The external validator is ../shared/tools/validate-837 (VIREO_VALIDATOR
overrides it); it runs in this process, once per file, through its own driver.
Results go to OUT/results.tsv (the last full runs are kept in docs/differential/) and OUT/disagreements.txt. Every disagreement
must be listed, with its reason, in tests/differential/disagreements.tsv
(seed file, mutation, reason). Exit status 0 when every disagreement is listed
and the verdicts agree on at least 99% of the mutations, 1 otherwise, 77 when
the validator is absent. The full run (2,000 mutations) is run by hand; CTest
runs the first 100.
"""
import argparse
import contextlib
import io
import os
import random
import re
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))


def load_validator(path):
    folder = os.path.join(os.path.dirname(os.path.realpath(path)), "x12-validator")
    sys.path.insert(0, folder)
    import pyx12_check  # noqa: E402  (the validator's own driver)

    def check(file):
        out = io.StringIO()
        with contextlib.redirect_stdout(out), contextlib.redirect_stderr(out):
            try:
                status = pyx12_check.main(["-q", file])
            except SystemExit as e:  # argparse
                status = int(e.code or 0)
        return status, out.getvalue()
    return check


def read_segments(path):
    text = open(path, encoding="latin-1").read()
    term = text[105]
    sep = text[3]
    comp = text[104]
    segments = [s.strip("\r\n") for s in text.split(term)]
    return [s for s in segments if s], sep, comp, term


def write_segments(path, segments, term):
    with open(path, "w", encoding="latin-1", newline="") as f:
        f.write(term.join(segments) + term + "\n")


# ---- mutations: each returns (description, new segments) or None ----

CODES = ["00", "01", "1", "18", "19", "20", "22", "23", "85", "87", "IL", "PR", "XX", "MI", "PI", "D8", "RD8",
         "472", "431", "BK", "BF", "HC", "UN", "MJ", "CI", "MB", "P", "S", "T", "Y", "N", "A", "C", "ZZ", "99",
         "EI", "G1", "6R", "EA", "QC", "82", "DN", "CO", "PR", "D", "F2", "ZZZ", "Q9", "7"]


def fields(seg, sep):
    return seg.split(sep)


def join(parts, sep):
    return sep.join(parts)


def mut_delete(rng, segs, sep, comp, term):
    i = rng.randrange(1, len(segs))
    return "delete %d %s" % (i + 1, segs[i][:3]), segs[:i] + segs[i + 1:]


def mut_duplicate(rng, segs, sep, comp, term):
    i = rng.randrange(1, len(segs))
    return "duplicate %d %s" % (i + 1, segs[i][:3]), segs[:i + 1] + [segs[i]] + segs[i + 1:]


def mut_move(rng, segs, sep, comp, term):
    i = rng.randrange(1, len(segs))
    j = rng.randrange(1, len(segs))
    if i == j:
        return None
    s = list(segs)
    seg = s.pop(i)
    s.insert(j, seg)
    return "move %d %s to %d" % (i + 1, seg[:3], j + 1), s


def mut_swap(rng, segs, sep, comp, term):
    i = rng.randrange(1, len(segs) - 1)
    if segs[i] == segs[i + 1]:
        return None
    s = list(segs)
    s[i], s[i + 1] = s[i + 1], s[i]
    return "swap %d %s and %d %s" % (i + 1, segs[i][:3], i + 2, segs[i + 1][:3]), s


def pick_element(rng, segs, sep, want=None):
    for _ in range(50):
        i = rng.randrange(1, len(segs))
        parts = fields(segs[i], sep)
        if parts[0] in ("ISA",) or len(parts) < 2:
            continue
        k = rng.randrange(1, len(parts))
        if want and not want(parts[k]):
            continue
        return i, parts, k
    return None


def mut_code(rng, segs, sep, comp, term):
    got = pick_element(rng, segs, sep, lambda v: 0 < len(v) <= 3 and v.isalnum())
    if not got:
        return None
    i, parts, k = got
    new = rng.choice(CODES)
    if new == parts[k]:
        return None
    old = parts[k]
    parts[k] = new
    return "code %d %s%02d %s->%s" % (i + 1, parts[0], k, old, new), segs[:i] + [join(parts, sep)] + segs[i + 1:]


def mut_length(rng, segs, sep, comp, term):
    got = pick_element(rng, segs, sep, lambda v: len(v) > 0 and comp not in v)
    if not got:
        return None
    i, parts, k = got
    old = parts[k]
    choice = rng.randrange(4)
    if choice == 0:
        parts[k] = old[:-1]
    elif choice == 1:
        parts[k] = old + old[-1] * rng.choice([1, 5, 40, 80])
    elif choice == 2:
        parts[k] = old[:1]
    else:
        parts[k] = ""
    if parts[k] == old:
        return None
    what = "length %d %s%02d %r->%r" % (i + 1, parts[0], k, old, parts[k])
    while len(parts) > 1 and parts[-1] == "":
        parts.pop()
    return what, segs[:i] + [join(parts, sep)] + segs[i + 1:]


def mut_type(rng, segs, sep, comp, term):
    got = pick_element(rng, segs, sep, lambda v: len(v) > 0 and comp not in v)
    if not got:
        return None
    i, parts, k = got
    old = parts[k]
    if re.fullmatch(r"-?[0-9.]+", old):
        new = rng.choice([old.replace("0", "O"), old + "A", "1E2", old + ".", "+" + old, old.replace(".", ","),
                          "-" + old, old + ".123", "20151399", "2599", "0229"])
    else:
        new = rng.choice(["12.5", "-1", "19990231", "ABC`", old.lower(), old + " ", " " + old, old + "^"])
    if new == old:
        return None
    parts[k] = new
    return "type %d %s%02d %r->%r" % (i + 1, parts[0], k, old, new), segs[:i] + [join(parts, sep)] + segs[i + 1:]


def find_all(segs, sep, sid):
    return [i for i, s in enumerate(segs) if s.split(sep)[0] == sid]


def mut_count(rng, segs, sep, comp, term):
    sid, k = rng.choice([("SE", 1), ("GE", 1), ("IEA", 1)])
    idx = find_all(segs, sep, sid)
    if not idx:
        return None
    i = rng.choice(idx)
    parts = fields(segs[i], sep)
    if len(parts) <= k or not parts[k].isdigit():
        return None
    old = parts[k]
    parts[k] = str(max(0, int(old) + rng.choice([-2, -1, 1, 2, 10])))
    return "count %d %s%02d %s->%s" % (i + 1, sid, k, old, parts[k]), segs[:i] + [join(parts, sep)] + segs[i + 1:]


def mut_control(rng, segs, sep, comp, term):
    sid, k = rng.choice([("ST", 2), ("SE", 2), ("GS", 6), ("GE", 2), ("IEA", 2), ("ISA", 13)])
    idx = find_all(segs, sep, sid)
    if not idx:
        return None
    i = rng.choice(idx)
    parts = fields(segs[i], sep)
    old = parts[k]
    if sid == "ISA":
        new = str((int(old) + 1) % 10 ** 9).zfill(9) if old.isdigit() else "000000009"
    else:
        new = rng.choice([old + "1", old[:-1] + ("9" if old[-1:] != "9" else "8"), "0000", "X1"])
    parts[k] = new
    return "control %d %s%02d %s->%s" % (i + 1, sid, k, old, new), segs[:i] + [join(parts, sep)] + segs[i + 1:]


def mut_hl(rng, segs, sep, comp, term):
    # HL numbers: HL01 (this level's number) or HL02 (its parent's).
    idx = find_all(segs, sep, "HL")
    if not idx:
        return None
    i = rng.choice(idx)
    parts = fields(segs[i], sep)
    k = rng.choice([1, 2])
    old = parts[k]
    number = int(old) if old.isdigit() else 1
    new = rng.choice([str(number + 1), str(max(0, number - 1)), "1", ""])
    if new == old:
        return None
    parts[k] = new
    return "hl %d HL%02d %r->%r" % (i + 1, k, old, new), segs[:i] + [join(parts, sep)] + segs[i + 1:]


def mut_lx(rng, segs, sep, comp, term):
    idx = find_all(segs, sep, "LX")
    if not idx:
        return None
    i = rng.choice(idx)
    parts = fields(segs[i], sep)
    old = parts[1]
    new = rng.choice([str(int(old) + 1), str(max(0, int(old) - 1)), "1", "0"])
    if new == old:
        return None
    parts[1] = new
    return "lx %d LX01 %s->%s" % (i + 1, old, new), segs[:i] + [join(parts, sep)] + segs[i + 1:]


def mut_delimiter(rng, segs, sep, comp, term):
    got = pick_element(rng, segs, sep, lambda v: len(v) > 2 and v.isalnum() is False or len(v) > 3)
    if not got:
        return None
    i, parts, k = got
    old = parts[k]
    d = rng.choice([sep, comp, term])
    at = rng.randrange(1, len(old))
    parts[k] = old[:at] + d + old[at:]
    new = join(parts, sep)
    if d == term:
        s = segs[:i] + new.split(term) + segs[i + 1:]
    else:
        s = segs[:i] + [new] + segs[i + 1:]
    return "delimiter %d %s%02d %r->%r" % (i + 1, parts[0], k, old, parts[k]), s


MUTATIONS = [mut_delete, mut_duplicate, mut_move, mut_swap, mut_code, mut_length, mut_type, mut_count,
             mut_control, mut_hl, mut_lx, mut_delimiter]


def vireo_verdict(vireo, path):
    r = subprocess.run([vireo, "check", "--json", path], capture_output=True, text=True)
    segments = set()
    for line in r.stdout.splitlines():
        m = re.search(r'"segment": (\d+).*"severity": "error", "rule": "(\w[\w-]*)"', line)
        if m and m.group(2) != "envelope":
            segments.add(int(m.group(1)))
    return r.returncode, segments, r.stdout


ENVELOPE = re.compile(r"SE count|GE count|IEA count|does not match (ST|GS|ISA) id|Unterminated|IEA=|not unique")


def validator_segments(text):
    """Segment numbers of the validator's errors, leaving out the envelope's
    counts and control numbers, which it reports at the header and we at the
    trailer."""
    return {int(m.group(1)) for line in text.splitlines() for m in [re.search(r"Line:(\d+)", line)]
            if m and not ENVELOPE.search(line)}


def load_known(path):
    """Listed disagreements: (seed file, mutation) -> reason."""
    known = {}
    if os.path.exists(path):
        for line in open(path, encoding="utf-8"):
            if line.startswith("#") or not line.strip():
                continue
            parts = line.rstrip("\n").split("\t")
            known[(parts[0], parts[1])] = parts[2] if len(parts) > 2 else ""
    return known


def make_seeds(args, folder):
    os.makedirs(folder, exist_ok=True)
    for name in sorted(os.listdir(args.examples)):
        if name.endswith(".json"):
            out = os.path.join(folder, name[:-5] + ".837")
            subprocess.run([args.vireo, "run", os.path.join(args.examples, name), "-o", out], check=True,
                           capture_output=True)
    subprocess.run([args.every_class, os.path.join(folder, "every-class.837")], check=True, capture_output=True)
    subprocess.run([args.every_class, os.path.join(folder, "every-class-5010.837"), "005010X222A1"], check=True,
                   capture_output=True)


def version_of(path):
    """ISA12 of a seed file."""
    with open(path, encoding="latin-1") as f:
        header = f.read(106)
    return header.split(header[3])[12]


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--vireo", required=True)
    ap.add_argument("--every-class", required=True, help="the program that writes the file of every class")
    ap.add_argument("--examples", required=True, help="the folder of the example scripts")
    ap.add_argument("--validator", default=os.environ.get("VIREO_VALIDATOR",
                                                           os.path.join(HERE, "..", "..", "..", "shared", "tools",
                                                                        "validate-837")))
    ap.add_argument("--count", type=int, default=2000)
    ap.add_argument("--seed", type=int, default=837)
    ap.add_argument("--out", default="differential-out")
    ap.add_argument("--known", default=os.path.join(HERE, "disagreements.tsv"))
    ap.add_argument("--version", help="mutate only the seeds of this ISA12 version (00401, 00501)")
    args = ap.parse_args()
    if not os.path.exists(args.validator):
        print("no external validator at %s: skipped" % args.validator)
        return 77
    check = load_validator(args.validator)
    os.makedirs(args.out, exist_ok=True)
    seed_folder = os.path.join(args.out, "seeds")
    make_seeds(args, seed_folder)
    seeds = sorted(os.path.join(seed_folder, f) for f in os.listdir(seed_folder) if f.endswith(".837"))
    if args.version:
        seeds = [s for s in seeds if version_of(s) == args.version]
        if not seeds:
            print("no seed file of version %s" % args.version)
            return 1
    rng = random.Random(args.seed)
    known = load_known(args.known)
    rows = []
    n = 0
    attempts = 0
    while n < args.count and attempts < args.count * 20:
        attempts += 1
        seed_path = seeds[n % len(seeds)]
        segs, sep, comp, term = read_segments(seed_path)
        mutation = MUTATIONS[rng.randrange(len(MUTATIONS))]
        got = mutation(rng, segs, sep, comp, term)
        if not got:
            continue
        what, mutated = got
        n += 1
        name = "m%04d" % n
        path = os.path.join(args.out, name + ".837")
        write_segments(path, mutated, term)
        ours, our_segments, our_text = vireo_verdict(args.vireo, path)
        theirs, their_text = check(path)
        their_segments = validator_segments(their_text)
        rows.append((name, os.path.basename(seed_path), what, ours, theirs, our_segments, their_segments,
                     our_text, their_text))
    verdict = {0: "valid", 1: "invalid", 2: "not-validated"}
    compared = [r for r in rows if r[4] != 2]
    agree = [r for r in compared if (r[3] == 0) == (r[4] == 0)]
    both_invalid = [r for r in compared if r[3] == 1 and r[4] == 1]
    common = [r for r in both_invalid if r[5] & r[6] or not (r[5] or r[6])]
    unknown = []
    with open(os.path.join(args.out, "results.tsv"), "w") as out:
        out.write("#name\tseed\tmutation\tvireo\tvalidator\tvireo segments\tvalidator segments\n")
        for r in rows:
            out.write("%s\t%s\t%s\t%s\t%s\t%s\t%s\n" % (r[0], r[1], r[2], verdict.get(r[3], r[3]),
                                                     verdict.get(r[4], r[4]), ",".join(map(str, sorted(r[5]))),
                                                     ",".join(map(str, sorted(r[6])))))
            if r[4] != 2 and (r[3] == 0) != (r[4] == 0) and (r[1], r[2]) not in known:
                unknown.append(r)
    with open(os.path.join(args.out, "disagreements.txt"), "w") as out:
        for r in rows:
            if r[4] != 2 and (r[3] == 0) != (r[4] == 0):
                out.write("==== %s %s %s: vireo %s, validator %s\n%s%s\n" % (
                    r[0], r[1], r[2], verdict[r[3]], verdict[r[4]], r[7], r[8]))
    rate = len(agree) / len(compared) if compared else 1.0
    print("%d mutations, %d validated by both, %d not validated by the external validator" % (
        len(rows), len(compared), len(rows) - len(compared)))
    print("same verdict: %d of %d (%.2f%%)" % (len(agree), len(compared), 100 * rate))
    print("both invalid: %d; naming a common segment number: %d (%.1f%%)" % (
        len(both_invalid), len(common), 100 * len(common) / max(1, len(both_invalid))))
    for r in rows:
        if r[4] != 2 and (r[3] == 0) != (r[4] == 0) and (r[1], r[2]) in known:
            print("listed %s (%s, %s): %s" % (r[0], r[1], r[2], known[(r[1], r[2])]))
    for r in unknown:
        print("UNLISTED %s (%s, %s): vireo %s, validator %s" % (r[0], r[1], r[2], verdict[r[3]], verdict[r[4]]))
    return 0 if not unknown and rate >= 0.99 else 1


if __name__ == "__main__":
    sys.exit(main())
