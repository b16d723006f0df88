"""The same files through a sound card's path, made with sox: resampled to 48 kHz, a
one-pole high-pass at 20 Hz (AC coupling), -12 dB, white noise at -50 dBFS, stored as 24-bit
FLAC. Every revolution's RPM within 0.5 % or one sample, sync on every revolution, no anomaly."""
import subprocess
import unittest

import scan_run as s
import test_own_files as own
import trigwave_rules as rules

CARD_RATE = 48000


def through_card(wav, out):
    """sox's chain for a sound card's output and line-in; the gain first, so the resampler's
    ringing never clips."""
    seconds = subprocess.run(["soxi", "-D", str(wav)], capture_output=True, text=True, check=True).stdout.strip()
    shaped, noise = out.with_suffix(".shaped.wav"), out.with_suffix(".noise.wav")
    subprocess.run(["sox", str(wav), "-b", "32", "-e", "float", str(shaped), "vol", "-12dB",
                    "rate", str(CARD_RATE), "highpass", "-1", "20"], check=True, capture_output=True)
    subprocess.run(["sox", "-R", "-n", "-r", str(CARD_RATE), "-c", "2", "-b", "32", "-e", "float", str(noise),
                    "synth", seconds, "whitenoise", "vol", "-50dB"], check=True, capture_output=True)
    subprocess.run(["sox", "-m", "-v", "1", str(shaped), "-v", "1", str(noise), "-b", "24", str(out)],
                   check=True, capture_output=True)
    return out


class SoundCardTest(own.OwnFilesCase):
    def test_every_type_and_polarity_through_a_sound_card(self):
        for base in own.TYPES:
            cam = rules.quiet_cam(base)
            for typ in own.both(base):
                for rpm, seconds in ((100, 8), (own.TOP_RPM[base], 2), ("300-2400-900", 12)):
                    with self.subTest(type=typ, rpm=rpm):
                        wav = self.make(typ, rpm, seconds, cam)
                        result = s.scan(through_card(wav, wav.with_suffix(".flac")))
                        self.assertEqual(result.status, 0, result.stdout + result.stderr)
                        wheel = result.summary("wheel")
                        name = typ if typ[0] not in "cC" else typ.lower()
                        self.assertTrue(wheel.startswith(name + " "), wheel)
                        expected = rules.periods(typ, str(rpm), seconds, str(cam), crank_angles=True)
                        matched = s.check_periods(self, result.rows, expected, CARD_RATE,
                                                  scale=CARD_RATE / rules.RATE, rpm_share=0.005, cam=False,
                                                  per_cycle=typ.lower() in own.PER_CYCLE)
                        # one row for every period from the first to the last whole one
                        numbers = [int(r["revolution"]) for r in result.rows]
                        self.assertEqual(numbers, list(range(1, len(numbers) + 1)))
                        self.assertGreaterEqual(matched, len(expected) - 3)
                        self.assertEqual(result.anomalies(), [])


if __name__ == "__main__":
    unittest.main()
