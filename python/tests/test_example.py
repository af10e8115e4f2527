"""The look preview example runs and writes its picture."""
import os
import subprocess
import sys

import pytest

PIL = pytest.importorskip("PIL.Image")


def test_look_preview_writes_a_png(examples, tmp_path):
    output = tmp_path / "preview.png"
    subprocess.run([sys.executable, os.path.join(examples, "look_preview.py"), str(output)],
                   check=True)
    with PIL.open(output) as picture:
        assert picture.format == "PNG" and picture.size == (1280, 360)
