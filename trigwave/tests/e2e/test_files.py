"""Output files: names, sizes, header fields, and what independent readers make of them."""
import subprocess
import unittest
import wave

import harness as h
from wavfile import read_frames, read_header


def soxi(path, flag):
    return subprocess.run(["soxi", flag, str(path)], capture_output=True, text=True,
                          check=True).stdout.strip()


class FileTest(h.TrigwaveCase):
    CASES = [
        # (arguments, frames, file size); the sizes are the documented ones where given
        (["m582", "180-1740", "60", "15-30", "100-1000", "1000-900"], 2646000, 10584044),
        (["m582", "140-200-200-3000", "60", "15-25-20", "1000", "1000"], 3 * 882000, None),
        (["c040", "40-80-85-70", "1", "15", "1000", "1000"], 3 * 14700, None),
        # eleven segments do not divide 44100 frames: one frame is dropped
        (["c080", "-".join(str(1000 + 100 * i) for i in range(12)), "1", "15", "1000", "1000"],
         11 * 4009, None),
        (["M351", "1000", "0", "15", "1000", "1000"], 0, 44),
        (["e324", "1000-2000-3000-4000", "0", "15", "1000", "1000"], 0, 44),
        (["s060", "1000", "1", "15", "1000", "1000", "8th", "9th"], 44100, None),
    ]

    def test_names_sizes_and_headers(self):
        for args, frames, size in self.CASES:
            with self.subTest(args=args[:2]):
                work = self.fresh_dir()
                run = self.run_trigwave(*args, cwd=work)
                self.assertEqual(run.status, 0, run.stderr[-500:])
                name = h.file_name(args)
                self.assertEqual(run.files(), [name])
                self.assertEqual(run.lines, h.run_lines(args))
                path = work / name
                self.assertEqual(frames, h.expected_frames(int(args[2]), args[1]))
                self.assertEqual(path.stat().st_size, 44 + 4 * frames)
                if size is not None:
                    self.assertEqual(path.stat().st_size, size)
                self.assertEqual(read_header(path), {
                    "riff_id": b"RIFF", "riff_size": 4 * frames + 36, "wave_id": b"WAVE",
                    "fmt_id": b"fmt ", "fmt_size": 16, "audio_format": 1, "num_channels": 2,
                    "sample_rate": 44100, "byte_rate": 176400, "block_align": 4,
                    "bits_per_sample": 16, "data_id": b"data", "data_size": 4 * frames})
                self.check_readers(path, frames)

    def check_readers(self, path, frames):
        with wave.open(str(path), "rb") as w:
            self.assertEqual((w.getnchannels(), w.getsampwidth(), w.getframerate(), w.getnframes()),
                             (2, 2, 44100, frames))
            data = w.readframes(frames + 1)
        self.assertEqual(data, path.read_bytes()[44:])
        self.assertEqual(soxi(path, "-t"), "wav")
        self.assertEqual(soxi(path, "-c"), "2")
        self.assertEqual(soxi(path, "-r"), "44100")
        self.assertEqual(soxi(path, "-b"), "16")
        self.assertEqual(soxi(path, "-e"), "Signed Integer PCM")
        self.assertEqual(soxi(path, "-s"), str(frames))

    def test_existing_file_is_overwritten(self):
        args = ["m582", "1000", "1", "15", "1000", "1000"]
        path = self.tmp / h.file_name(args)
        path.write_bytes(b"\x55" * 1000000)
        run = self.run_trigwave(*args)
        self.assertEqual(run.status, 0)
        self.assertEqual(path.stat().st_size, 44 + 4 * 44100)
        self.assertEqual(read_header(path)["data_size"], 4 * 44100)

    def test_type_byte_above_127_keeps_normal_polarity(self):
        """A non-ASCII type letter is no capital: the unknown-letter level keeps its normal sign."""
        run = self.run_trigwave("\u00e9582", "1000", "1", "15", "1000", "1000")
        self.assertEqual(run.status, 0, run.stderr)
        (name,) = run.files()
        crank = read_frames(self.tmp / name)[:, 0]
        self.assertEqual(set(crank.tolist()), {-8531})


if __name__ == "__main__":
    unittest.main()
