"""Shared fixtures: the C++ reference program and the calibration file."""
import os
import subprocess

import numpy as np
import pytest


def _need_env(name):
    value = os.environ.get(name)
    if not value:
        pytest.skip(f"{name} is not set (ctest sets it)")
    return value


@pytest.fixture(scope="session")
def reference():
    """Runs the C++ reference program: reference(*args, data=b"") -> stdout bytes."""
    program = _need_env("KALVORA_REFERENCE")

    def run(*args, data=b""):
        result = subprocess.run([program, *map(str, args)], input=data, capture_output=True,
                                check=True)
        return result.stdout

    return run


@pytest.fixture(scope="session")
def calibration():
    return _need_env("KALVORA_CALIBRATION")


@pytest.fixture(scope="session")
def examples():
    return _need_env("KALVORA_EXAMPLES")


@pytest.fixture
def rng():
    return np.random.default_rng(18)
