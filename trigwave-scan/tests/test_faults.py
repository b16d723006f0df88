"""Faults edited into trigwave's own files: one tooth taken away or one added, away from the
gap, is found at its revolution and tooth and nothing else is; a file cut short is scanned as
far as it goes, with a warning."""
import numpy as np

import scan_run as s
import test_own_files as own
import trigwave_rules as rules

RPM, SECONDS = 1200, 3


class FaultCase(own.OwnFilesCase):
    def edited(self, typ, slots, slot, rev, edit):
        """The file with frames of one slot of one revolution changed by edit(frames, lo, hi)."""
        path = self.make(typ, RPM, SECONDS, rules.quiet_cam(typ))
        raw = bytearray(path.read_bytes())
        frames = np.frombuffer(raw, dtype="<i2", offset=44).reshape(-1, 2).copy()
        ang = rules.angles(str(RPM), SECONDS)
        width = rules.REV // slots
        start = rev * rules.REV + slot * width
        lo, hi = np.searchsorted(ang, start), np.searchsorted(ang, start + width)
        edit(frames, lo, hi)
        raw[44:] = frames.astype("<i2").tobytes()
        path.write_bytes(bytes(raw))
        # the revolution (1-based row) whose first tooth precedes the edit
        expected = rules.periods(typ, str(RPM), SECONDS, str(rules.quiet_cam(typ)))
        return path, next(a for a, b, _ in expected if a <= lo < b)

    def assertOnlyAnomaly(self, result, start_frame, kind, tooth):
        rows = [r for r in result.rows if r["anomaly"]]
        self.assertEqual(len(rows), 1, result.stdout)
        row = rows[0]
        self.assertEqual(row["anomaly"], kind)
        self.assertLessEqual(abs(float(row["time_s"]) * rules.RATE - start_frame), 1.5, row)
        lines = [line for line in result.stdout.splitlines() if line.startswith("revolution ")]
        self.assertEqual(lines, [f"revolution {row['revolution']}, tooth {tooth}, " + lines[0].split(", ")[2]]
                         if lines else ["one line"])
        self.assertTrue(lines[0].endswith(f"{kind} tooth"), lines)
        self.assertEqual(result.status, 1)


class ToothTest(FaultCase):
    def test_a_tooth_removed_or_added_is_found_where_it_is(self):
        # (type, slots per revolution, slot edited, its tooth number counted from 1 after the gap)
        for typ, slots, slot, tooth in (("m582", 60, 30, 31), ("M351", 36, 12, 13), ("e324", 36, 20, 18)):
            high = 32767 if typ[0].islower() else -32767
            low = -high

            def remove(frames, lo, hi):
                frames[lo:hi, 0] = int(low * 0.9)

            def add(frames, lo, hi):
                # a narrow tooth in the slot's low first half
                width = hi - lo
                frames[lo + width // 8: lo + 3 * width // 8, 0] = int(high * 0.9)

            # an extra tooth is numbered by the tooth before it: it comes ahead of the slot's own
            for kind, edit, number in (("missing", remove, tooth), ("extra", add, tooth - 1)):
                with self.subTest(type=typ, fault=kind):
                    path, start = self.edited(typ, slots, slot, 5, edit)
                    self.assertOnlyAnomaly(s.scan(path), start, kind, number)


class CutShortTest(own.OwnFilesCase):
    def test_a_file_cut_short_is_scanned_as_far_as_it_goes(self):
        path = self.make("m582", RPM, SECONDS, 40)
        data = path.read_bytes()
        path.write_bytes(data[: 44 + 4 * (len(data) - 44) // 8])  # half the frames; the header keeps the sizes
        result = s.scan(path)
        self.assertIn("truncated", result.stderr)
        self.assertIn(path.name, result.stderr)
        self.assertEqual(result.status, 0, result.stdout)
        # revolutions up to half the length, all whole
        self.assertLess(float(result.rows[-1]["time_s"]), SECONDS / 2)
        self.assertGreater(float(result.rows[-1]["time_s"]), SECONDS / 2 - 3 * 60 / RPM)
if __name__ == "__main__":
    import unittest
    unittest.main()
