"""Reads a generated file by hand: the 44-byte header fields and the frames."""
import struct

import numpy as np

HEADER = struct.Struct("<4sI4s4sIHHIIHH4sI")
FIELDS = ("riff_id", "riff_size", "wave_id", "fmt_id", "fmt_size", "audio_format", "num_channels",
          "sample_rate", "byte_rate", "block_align", "bits_per_sample", "data_id", "data_size")


def read_header(path):
    with open(path, "rb") as f:
        raw = f.read(HEADER.size)
    return dict(zip(FIELDS, HEADER.unpack(raw)))


def read_frames(path):
    """The frames as an (n, 2) int16 array: column 0 crank, column 1 cam."""
    data = np.fromfile(path, dtype="<i2", offset=HEADER.size)
    return data.reshape(-1, 2)
