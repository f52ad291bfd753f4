#!/usr/bin/env python3
"""A strict reader of channel plans in the common channel-plan layout, written from the layout's
conventions alone, as another programming tool reads a plan: the header names the columns, Power
must read as watts, Duplex, Tone, CrossMode, Mode, TStep and Skip must be one of their spellings,
tones must be standard tones and codes standard codes. Lines starting with '#' are comments.

    plan_reader.py check PLAN.csv                 every line read strictly; exit 1 naming the first refusal
    plan_reader.py compare PLAN.csv EXPORT.csv MODEL
        the channels EXPORT.csv holds are those PLAN.csv asks for, field by field (Power as the
        nearest level of MODEL: LMR, PMR, KPMR or D446); exit 1 listing every difference
"""
import csv
import math
import re
import sys

TONES = [67.0, 69.3, 71.9, 74.4, 77.0, 79.7, 82.5, 85.4, 88.5, 91.5, 94.8, 97.4, 100.0, 103.5, 107.2,
         110.9, 114.8, 118.8, 123.0, 127.3, 131.8, 136.5, 141.3, 146.2, 151.4, 156.7, 159.8, 162.2, 165.5,
         167.9, 171.3, 173.8, 177.3, 179.9, 183.5, 186.2, 189.9, 192.8, 196.6, 199.5, 203.5, 206.5, 210.7,
         218.1, 225.7, 229.1, 233.6, 241.8, 250.3, 254.1]
CODES = """023 025 026 031 032 036 043 047 051 053 054 065 071 072 073 074 114 115 116 122 125 131 132 134
143 145 152 155 156 162 165 172 174 205 212 223 225 226 243 244 245 246 251 252 255 261 263 265 266 271
274 306 311 315 325 331 332 343 346 351 356 364 365 371 411 412 413 423 431 432 445 446 452 454 455 462
464 465 466 503 506 516 523 526 532 546 565 606 612 624 627 631 632 654 662 664 703 712 723 731 732 734
743 754""".split()
DUPLEX = ["", "+", "-", "split", "off"]
TONE_MODES = ["", "Tone", "TSQL", "DTCS", "Cross", "TSQL-R", "DTCS-R"]
CROSS = ["Tone->Tone", "DTCS->", "Tone->DTCS", "DTCS->Tone", "->Tone", "->DTCS", "DTCS->DTCS"]
MODES = ["FM", "NFM", "AM", "WFM", "USB", "LSB", "CW", "DV"]
STEPS = [2.5, 3.125, 5.0, 6.25, 8.33, 9.0, 10.0, 12.5, 15.0, 20.0, 25.0, 50.0, 100.0]
SKIPS = ["", "S", "P"]
POLARITIES = ["NN", "NR", "RN", "RR"]
LEVELS = {"LMR": [5.0, 2.5, 1.0, 0.5], "PMR": [0.5, 0.2, 0.1, 0.05], "KPMR": [0.5, 0.2, 0.1, 0.05],
          "D446": [0.5, 0.2, 0.1, 0.05]}


class Refused(Exception):
    pass


def watts(text):
    m = re.fullmatch(r"\s*(\d+(?:\.\d+)?)\s*W?\s*", text)
    if not m:
        raise Refused("Power %r is not in watts" % text)
    return float(m.group(1))


def rows(path):
    with open(path, newline="", encoding="utf-8-sig") as f:
        lines = [line for line in f if not line.startswith("#")]
    reader = csv.DictReader(lines)
    if not reader.fieldnames or "Location" not in reader.fieldnames or "Frequency" not in reader.fieldnames:
        raise Refused("No channels found")
    return list(reader)


def strict(row, lenient=False):
    """Reads a line as a strict reader does, refusing any value it does not know. Lenient (for the
    hand-written plans given to the import): empty tone fields and Power as a level name are read."""
    def get(name, default=""):
        value = row.get(name)
        if lenient and value == "" and name in ("rToneFreq", "cToneFreq", "DtcsCode", "RxDtcsCode", "DtcsPolarity"):
            value = None
        return default if value is None else value
    ch = {"location": int(get("Location")), "name": get("Name").rstrip(), "rx": float(get("Frequency")),
          "columns": set(row)}
    for name, allowed in (("Duplex", DUPLEX), ("Tone", TONE_MODES), ("Mode", MODES), ("Skip", SKIPS)):
        if get(name) not in allowed:
            raise Refused("%s %r" % (name, get(name)))
    if "CrossMode" in row and get("CrossMode") not in CROSS:
        raise Refused("CrossMode %r" % get("CrossMode"))
    if "DtcsPolarity" in row and get("DtcsPolarity", "NN") not in POLARITIES:
        raise Refused("DtcsPolarity %r" % get("DtcsPolarity"))
    for name in ("rToneFreq", "cToneFreq"):
        if name in row and float(get(name, "88.5")) not in TONES:
            raise Refused("%s %r" % (name, get(name)))
    for name in ("DtcsCode", "RxDtcsCode"):
        if name in row and get(name, "023") not in CODES:
            raise Refused("%s %r" % (name, get(name)))
    if "TStep" in row and float(get("TStep")) not in STEPS:
        raise Refused("TStep %r" % get("TStep"))
    if "Power" in row:
        names = ["high", "middle", "low", "very low"]
        if lenient and get("Power").lower() in names:
            ch["level"] = names.index(get("Power").lower())
        else:
            ch["watts"] = watts(get("Power"))
    duplex, offset = get("Duplex"), float(get("Offset", "0") or 0)
    tx = {"": ch["rx"], "+": ch["rx"] + offset, "-": ch["rx"] - offset, "split": offset, "off": None}[duplex]
    ch["tx"] = None if tx is None else round(tx, 6)
    rtone = get("rToneFreq", "88.5")
    ctone = get("cToneFreq", rtone)  # one tone column: the same tone both ways
    pol = get("DtcsPolarity", "NN") or "NN"
    code, rxcode = get("DtcsCode", "023"), get("RxDtcsCode", get("DtcsCode", "023"))
    mode = get("Tone")
    tx = rx = None
    if mode == "Tone":
        tx = ("tone", float(rtone))
    elif mode == "TSQL":
        tx = rx = ("tone", float(ctone))
    elif mode == "DTCS":
        tx, rx = ("code", code, pol[0]), ("code", code, pol[1])
    elif mode == "Cross":
        a, b = get("CrossMode").split("->")
        tx = ("tone", float(rtone)) if a == "Tone" else ("code", code, pol[0]) if a == "DTCS" else None
        rx = ("tone", float(ctone)) if b == "Tone" else ("code", rxcode, pol[1]) if b == "DTCS" else None
    ch["txtone"], ch["rxtone"] = tx, rx
    ch["mode"] = get("Mode")
    ch["skip"] = get("Skip") == "S"
    return ch


def nearest(levels, w):
    return min(levels, key=lambda level: abs(math.log(w / level)))


def main():
    try:
        if sys.argv[1] == "check":
            channels = [strict(r) for r in rows(sys.argv[2])]
            if not channels:
                raise Refused("No channels found")
            print("%d channels" % len(channels))
            return 0
        plan, export, model = sys.argv[2], sys.argv[3], sys.argv[4]
        want = [strict(r, lenient=True) for r in rows(plan)]
        got = {c["location"]: c for c in (strict(r) for r in rows(export))}
        first = min(c["location"] for c in want)
        first = 0 if first == 0 else 1
        problems = []
        for w in want:
            g = got.get(w["location"] - first + 1)
            if g is None:
                problems.append("Location %d: not exported" % w["location"])
                continue
            # A column the plan lacks leaves that setting as the channel had it.
            column = {"name": "Name", "rx": "Frequency", "tx": "Duplex", "txtone": "Tone", "rxtone": "Tone",
                      "mode": "Mode", "skip": "Skip"}
            for field in column:
                wanted = w[field]
                if column[field] not in w["columns"]:
                    continue
                if field == "mode" and wanted == "":
                    continue
                if g[field] != wanted:
                    problems.append("Location %d: %s %r exported as %r" % (w["location"], field, wanted, g[field]))
            if "watts" in w and g["watts"] != nearest(LEVELS[model], w["watts"]):
                problems.append("Location %d: power %sW exported as %sW" % (w["location"], w["watts"], g["watts"]))
            if "level" in w and g["watts"] != LEVELS[model][w["level"]]:
                problems.append("Location %d: level %d exported as %sW" % (w["location"], w["level"], g["watts"]))
        if len(got) != len(want):
            problems.append("%d channels exported for %d lines" % (len(got), len(want)))
        for p in problems:
            print(p)
        return 1 if problems else 0
    except (Refused, ValueError, KeyError) as e:
        print("refused: %s" % e)
        return 1


if __name__ == "__main__":
    sys.exit(main())
