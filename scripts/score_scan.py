"""Scores a trigwave-scan report against the truth trigwave wrote for the same recording.

`scripts/score-scan` is the command; a benchmark imports this module and calls score() on the
two documents to skip a process per case. The rules are on docs/scoring.md.
"""
import argparse
import bisect
import json
import math
import sys

RPM_TOLERANCE_PCT = 0.5
CAM_TOLERANCE_DEG = 1.0
NOSYNC_SLACK_S = 0.010


class DocumentError(ValueError):
    """A document that is not a report of revolutions."""


def _number(value):
    if isinstance(value, bool) or not isinstance(value, (int, float)) or not math.isfinite(value):
        return None
    return float(value)


def _anomalies(entries, where, row_time):
    if entries is None:
        return []
    if not isinstance(entries, list):
        raise DocumentError(f"{where}: anomalies is not a list")
    out = []
    for entry in entries:
        if not isinstance(entry, dict) or not isinstance(entry.get("kind"), str):
            raise DocumentError(f"{where}: an anomaly without a kind")
        time_s = _number(entry.get("time_s"))
        out.append({"kind": entry["kind"], "tooth": entry.get("tooth"),
                    "time_s": row_time if time_s is None else time_s,
                    "fault": entry.get("fault"), "optional": entry.get("optional") is True,
                    "row": None, "used": False})
    return out


def read_document(doc):
    """The rows (in time order) and the anomalies after the last row, or DocumentError."""
    if not isinstance(doc, dict) or not isinstance(doc.get("revolutions"), list):
        raise DocumentError("no \"revolutions\" list")
    rows = []
    for i, raw in enumerate(doc["revolutions"]):
        where = f"revolutions[{i}]"
        if not isinstance(raw, dict) or _number(raw.get("time_s")) is None:
            raise DocumentError(f"{where}: no time_s")
        number = raw.get("revolution")
        row = {"revolution": number if isinstance(number, int) and not isinstance(number, bool) else i + 1,
               "time_s": float(raw["time_s"]), "rpm": _number(raw.get("rpm")),
               "cam_deg": _number(raw.get("cam_deg"))}
        row["anomalies"] = _anomalies(raw.get("anomalies"), where, row["time_s"])
        for a in row["anomalies"]:
            a["row"] = row
        row["kinds"] = {a["kind"] for a in row["anomalies"]}
        rows.append(row)
    rows.sort(key=lambda r: r["time_s"])
    unfinished = _anomalies(doc.get("unfinished_revolution_anomalies"), "unfinished_revolution_anomalies",
                            rows[-1]["time_s"] if rows else 0.0)
    return rows, unfinished


def _lengths(rows, per_cycle):
    """Each truth row's length: to the next row, the last one's as the one before's."""
    times = [r["time_s"] for r in rows]
    lengths = [b - a for a, b in zip(times, times[1:])]
    if lengths:
        lengths.append(lengths[-1])
    elif rows:
        rpm = rows[0]["rpm"]
        lengths.append((120.0 if per_cycle else 60.0) / rpm if rpm else math.inf)
    return lengths


def _match(scan_rows, truth_rows, lengths):
    """Each scan row to the nearest truth row within a quarter of its length, one scan row each."""
    times = [r["time_s"] for r in truth_rows]
    best = {}
    for s in scan_rows:
        i = bisect.bisect_left(times, s["time_s"])
        near = [j for j in (i - 1, i) if 0 <= j < len(times)]
        if not near:
            continue
        j = min(near, key=lambda k: (abs(times[k] - s["time_s"]), k))
        gap = abs(times[j] - s["time_s"])
        if gap <= lengths[j] / 4 and (j not in best or gap < best[j][0]):
            best[j] = (gap, s)
    for j, (_, s) in best.items():
        truth_rows[j]["match"] = s
        s["match"] = truth_rows[j]


def _not_scanned(truth_rows, lengths, scan_rows, scan_nosyncs):
    """Why each unmatched truth row went unscanned: before, after, nosync or missed."""
    first = scan_rows[0]["time_s"] if scan_rows else math.inf
    last = scan_rows[-1]["time_s"] if scan_rows else math.inf
    scan_times = [r["time_s"] for r in scan_rows]
    # the stretches from each scan nosync to the next scan row
    quiet = []
    for t in scan_nosyncs:
        k = bisect.bisect_right(scan_times, t)
        quiet.append((t, scan_times[k] if k < len(scan_times) else math.inf))
    for row, length in zip(truth_rows, lengths):
        if row.get("match"):
            row["state"] = "matched"
        elif row["time_s"] < first:
            row["state"] = "before_sync"
        elif row["time_s"] > last and row is truth_rows[-1]:
            # the scanner decides a few edges late: the last whole row may go unreported
            row["state"] = "after_end"
        elif any(row["time_s"] + length > a and row["time_s"] < b for a, b in quiet):
            row["state"] = "after_nosync"
        else:
            row["state"] = "missed"


def _find(truth, row, length, scan_all, scan_unfinished):
    """The unused scan anomaly that reports this truth anomaly, or None."""
    kind = truth["kind"]
    if kind == "nosync":
        # an edge is timed between two frames: the loss may be stamped a frame before the fault
        pool = [a for a in scan_all
                if truth["time_s"] - NOSYNC_SLACK_S <= a["time_s"] <= truth["time_s"] + length + NOSYNC_SLACK_S]
    else:
        if row is None or row["state"] == "after_end":
            pool = list(scan_unfinished)
        elif row.get("match"):
            pool = list(row["match"]["anomalies"])
        else:
            pool = []
        if kind == "nocam":
            near = [a for a in scan_all if abs(a["time_s"] - truth["time_s"]) <= length]
            pool += [a for a in near if all(a is not b for b in pool)]
        elif truth["tooth"] == 0:
            # an odd tooth a fault may make somewhere near its time (a flip, a spike)
            near = [a for a in scan_all if abs(a["time_s"] - truth["time_s"]) <= length]
            pool += [a for a in near if all(a is not b for b in pool)]
        else:
            pool = [a for a in pool if a["tooth"] == truth["tooth"]]
    pool = [a for a in pool if a["kind"] == kind and not a["used"]]
    return min(pool, key=lambda a: abs(a["time_s"] - truth["time_s"]), default=None)


def _circle(a, b, period):
    d = abs(a - b) % period
    return min(d, period - d)


def _label(truth_row):
    return f"revolution {truth_row['revolution']}"


def _scan_place(anomaly):
    row = anomaly["row"]
    if row is None:
        return "the unfinished revolution"
    if row.get("match"):
        return _label(row["match"])
    return f"scan revolution {row['revolution']} (invented)"


def score(scan_doc, truth_doc, rpm_tol=RPM_TOLERANCE_PCT, cam_tol=CAM_TOLERANCE_DEG):
    """The figures and the verdict for one case, as a dict (DocumentError on a bad document)."""
    try:
        scan_rows, scan_unfinished = read_document(scan_doc)
    except DocumentError as e:
        raise DocumentError(f"scan: {e}") from None
    try:
        truth_rows, truth_unfinished = read_document(truth_doc)
    except DocumentError as e:
        raise DocumentError(f"truth: {e}") from None
    wheel = truth_doc.get("wheel")
    per_cycle = isinstance(wheel, dict) and wheel.get("per_cycle") is True
    period = 720.0 if per_cycle else 360.0
    lengths = _lengths(truth_rows, per_cycle)

    _match(scan_rows, truth_rows, lengths)
    scan_all = [a for r in scan_rows for a in r["anomalies"]] + scan_unfinished
    _not_scanned(truth_rows, lengths, scan_rows, sorted(a["time_s"] for a in scan_all if a["kind"] == "nosync"))
    reasons = []
    counts = {s: sum(r["state"] == s for r in truth_rows)
              for s in ("matched", "before_sync", "after_end", "after_nosync", "missed")}
    invented = [r for r in scan_rows if not r.get("match")]
    if not counts["matched"]:
        reasons.append("no revolution matched")
    reasons += [f"missed revolution {r['revolution']} at {r['time_s']:.6f} s"
                for r in truth_rows if r["state"] == "missed"]
    reasons += [f"invented revolution (scan's {r['revolution']}) at {r['time_s']:.6f} s" for r in invented]

    # Required faults take their scan anomalies before optional ones may.
    faults = [(a, row, length) for row, length in zip(truth_rows, lengths) for a in row["anomalies"]]
    faults += [(a, None, lengths[-1] if lengths else math.inf) for a in truth_unfinished]
    faults.sort(key=lambda f: (f[0]["optional"], f[0]["time_s"]))
    found = unscanned = optional = optional_reported = required = 0
    for truth, row, length in faults:
        hit = _find(truth, row, length, scan_all, scan_unfinished)
        if hit:
            hit["used"] = True
        if truth["optional"]:
            optional += 1
            optional_reported += hit is not None
        elif hit:
            required += 1
            found += 1
        elif row is not None and row["state"] in ("before_sync", "after_end", "after_nosync"):
            unscanned += 1
        else:
            required += 1
            where = _label(row) if row else "the unfinished revolution"
            reasons.append(f"fault not found: {truth['fault'] or truth['kind']} ({where}, tooth {truth['tooth']})")
    false = [a for a in scan_all if not a["used"]]
    reasons += [f"false anomaly: {a['kind']} at {_scan_place(a)} tooth {a['tooth']}, {a['time_s']:.6f} s"
                for a in false]

    worst_rpm = worst_cam = None
    cam_missed = 0
    for t in truth_rows:
        s = t.get("match")
        if not s or "nosync" in t["kinds"] | s["kinds"]:
            continue
        if t["rpm"] and s["rpm"] is not None:
            err = abs(s["rpm"] - t["rpm"]) / t["rpm"] * 100.0
            if worst_rpm is None or err > worst_rpm[0]:
                worst_rpm = (err, t["revolution"])
        if t["cam_deg"] is not None and s["cam_deg"] is not None:
            err = _circle(s["cam_deg"], t["cam_deg"], period)
            if worst_cam is None or err > worst_cam[0]:
                worst_cam = (err, t["revolution"])
        elif (t["cam_deg"] is None) != (s["cam_deg"] is None) and "nocam" not in t["kinds"] | s["kinds"]:
            cam_missed += 1
            shown = [f"{d:.3f} deg" if d is not None else "none" for d in (t["cam_deg"], s["cam_deg"])]
            reasons.append(f"cam missed at {_label(t)} (truth {shown[0]}, scan {shown[1]})")
    if worst_rpm and worst_rpm[0] > rpm_tol:
        reasons.append(f"rpm error {worst_rpm[0]:.3f} % at revolution {worst_rpm[1]}")
    if worst_cam and worst_cam[0] > cam_tol:
        reasons.append(f"cam error {worst_cam[0]:.3f} deg at revolution {worst_cam[1]}")

    return {"matched": counts["matched"], "truth_rows": len(truth_rows),
            "before_sync": counts["before_sync"], "after_end": counts["after_end"],
            "after_nosync": counts["after_nosync"], "missed": counts["missed"], "invented": len(invented),
            "faults": required, "found": found, "optional": optional, "optional_reported": optional_reported,
            "unscanned_faults": unscanned, "false_anomalies": len(false),
            "worst_rpm_error_pct": worst_rpm and worst_rpm[0], "worst_rpm_revolution": worst_rpm and worst_rpm[1],
            "worst_cam_error_deg": worst_cam and worst_cam[0], "worst_cam_revolution": worst_cam and worst_cam[1],
            "cam_missed": cam_missed, "passed": not reasons, "reasons": reasons}


def report(result):
    """The plain-text score: the figures, each reason for a failure, then pass or fail."""
    r = result
    faults = (f"faults: {r['found']} of {r['faults']} found at their revolution and tooth "
              f"({r['optional']} optional, {r['optional_reported']} reported)")
    if r["unscanned_faults"]:
        faults += f", {r['unscanned_faults']} in revolutions not scanned"
    lines = [f"revolutions: {r['matched']} of {r['truth_rows']} matched ({r['before_sync']} before sync, "
             f"{r['after_end']} after the end, {r['after_nosync']} after a nosync, {r['missed']} missed), "
             f"{r['invented']} invented", faults, f"false anomalies: {r['false_anomalies']}"]
    for name, unit, key in (("rpm", "%", "rpm_error_pct"), ("cam", "deg", "cam_error_deg")):
        worst = r[f"worst_{key}"]
        lines.append(f"worst {name} error: " + (f"{worst:.3f} {unit} (revolution {r[f'worst_{name}_revolution']})"
                                                 if worst is not None else "none compared"))
    lines.append(f"cam missed: {r['cam_missed']}")
    lines += r["reasons"]
    lines.append("pass" if r["passed"] else "fail")
    return "\n".join(lines)


def _load(path):
    try:
        with open(path, encoding="utf-8") as f:
            doc = json.load(f)
        read_document(doc)
        return doc
    except (OSError, UnicodeDecodeError) as e:
        raise DocumentError(f"{path}: cannot read: {getattr(e, 'strerror', None) or e}") from None
    except json.JSONDecodeError as e:
        raise DocumentError(f"{path}: not JSON ({e})") from None
    except DocumentError as e:
        raise DocumentError(f"{path}: {e}") from None


def main(argv=None):
    parser = argparse.ArgumentParser(prog="score-scan",
                                     description="Score a trigwave-scan report against trigwave's truth.")
    parser.add_argument("--rpm-tolerance", type=float, default=RPM_TOLERANCE_PCT, metavar="PCT")
    parser.add_argument("--cam-tolerance", type=float, default=CAM_TOLERANCE_DEG, metavar="DEG")
    parser.add_argument("--json", action="store_true", help="print the figures as one JSON object")
    parser.add_argument("scan", metavar="SCAN.json")
    parser.add_argument("truth", metavar="TRUTH.json")
    args = parser.parse_args(argv)
    try:
        result = score(_load(args.scan), _load(args.truth), args.rpm_tolerance, args.cam_tolerance)
    except DocumentError as e:
        print(f"score-scan: {e}", file=sys.stderr)
        return 2
    print(json.dumps(result) if args.json else report(result))
    return 0 if result["passed"] else 1
