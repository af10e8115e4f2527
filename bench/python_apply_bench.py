#!/usr/bin/env python3
"""Applying a 33-point look table to a 4K float32 frame: the Python module
against the C++ batch path, and two Python threads against one.

Run from the repository root after building (the module and the reference
program are in build/python):

    PYTHONPATH=build/python/module python3 bench/python_apply_bench.py

The C++ time comes from the reference program, which applies the same table
to the same frame with Lut3D::transformBatch. --smoke shrinks the frame so
that a run only checks that the benchmark works.
"""
import argparse
import os
import subprocess
import threading
import time

import numpy as np

import kalvora

SIZE = 33


def best_time(work, repeats):
    best = float("inf")
    for _ in range(repeats):
        start = time.perf_counter()
        work()
        best = min(best, time.perf_counter() - start)
    return best


def cpp_time(reference, table, frame, repeats):
    codes = np.round(table * 65535).astype(np.uint16)
    result = subprocess.run([reference, "time-apply", str(SIZE), str(repeats)],
                            input=codes.tobytes() + frame.tobytes(), capture_output=True,
                            check=True)
    return float(result.stdout)


def in_threads(table, frames, outs):
    threads = [threading.Thread(target=kalvora.apply_lut, args=(table, frame),
                                kwargs={"out": out}) for frame, out in zip(frames, outs)]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--reference", default=os.path.join("build", "python",
                                                            "kvrPythonReference"))
    parser.add_argument("--repeats", type=int, default=7)
    parser.add_argument("--smoke", action="store_true")
    args = parser.parse_args()
    height, width = (144, 256) if args.smoke else (2160, 3840)
    repeats = 1 if args.smoke else args.repeats

    rng = np.random.default_rng(1)
    frames = [rng.random((height, width, 3), dtype=np.float32) for _ in range(2)]
    outs = [np.empty_like(frame) for frame in frames]
    table = kalvora.LutGenerator().lut(SIZE)
    pixels = height * width

    # The measurements take turns, round after round, so that a busy moment
    # of the machine does not favour one of them; each keeps its best.
    cpp = python_new = python_out = one_thread = two_threads = float("inf")
    for _ in range(repeats):
        cpp = min(cpp, cpp_time(args.reference, table, frames[0], 2))
        python_new = min(python_new, best_time(lambda: kalvora.apply_lut(table, frames[0]), 2))
        python_out = min(python_out,
                         best_time(lambda: kalvora.apply_lut(table, frames[0], out=outs[0]), 2))
        one_thread = min(one_thread, best_time(
            lambda: [kalvora.apply_lut(table, f, out=o) for f, o in zip(frames, outs)], 1))
        two_threads = min(two_threads, best_time(lambda: in_threads(table, frames, outs), 1))

    print(f"{SIZE}-point table, {width}x{height} float32 frame, best of {repeats} rounds")
    print(f"  C++ Lut3D::transformBatch       {cpp * 1e3:8.2f} ms  {pixels / cpp / 1e6:7.1f} Mpx/s")
    for label, took in (("Python apply_lut (new array)", python_new),
                        ("Python apply_lut (out=)", python_out)):
        print(f"  {label:31s} {took * 1e3:8.2f} ms  {pixels / took / 1e6:7.1f} Mpx/s"
              f"  {took / cpp:5.2f}x C++")
    print(f"  two frames, one thread          {one_thread * 1e3:8.2f} ms")
    print(f"  two frames, two threads         {two_threads * 1e3:8.2f} ms"
          f"  speed-up {one_thread / two_threads:4.2f} (cores: {os.cpu_count()})")


if __name__ == "__main__":
    main()
