"""Every error path raises kalvora.Error with the library's code, and the
library's reports stay off the terminal unless asked for."""
import numpy as np
import pytest

import kalvora

Error, Illegal = kalvora.Error, kalvora.IllegalValueError


def _generator(**settings):
    core = kalvora.LutGenerator()
    for name, value in settings.items():
        core.set_param(name.replace("_", "-"), value)
    return core


def _set_target(core, name):
    core.target = name


def _uncalibrated_gains():
    core = kalvora.CameraCore()
    core.set_white_balance_gains(2, 2)
    return core


def _hlg(**settings):
    core = _generator(**settings)
    core.target = "hlg"
    return core


def _corrupt(look):
    data = bytearray(look)
    data[-1] ^= 0xFF
    return bytes(data)


TABLE = np.zeros((3, 3, 3, 3))
IMAGE = np.zeros((4, 3), np.float32)

# (what, exception class, code, fragment of the message or None)
CASES = [
    (lambda: _generator().set_param("knee", 1.5), Illegal, 3, "out of range"),
    (lambda: _generator().set_param("knee", float("nan")), Illegal, 3, None),
    (lambda: _generator().set_param("no-such-param", 1), Error, 4, "no-such-param"),
    (lambda: _generator().set_param(-1, 1), Error, 4, None),
    (lambda: _generator().set_param(9999, 1), Error, 4, None),
    (lambda: _generator().set_param("normalization-gain", 1), Error, 7, None),
    (lambda: _generator().set_param("peak-white", 3000), Illegal, 3, None),
    (lambda: _generator().get_param("nope"), Error, 4, None),
    (lambda: _generator().lut(2), Illegal, 3, "illegal size for 3DLUT"),
    (lambda: _generator().lut(66), Illegal, 3, "illegal size"),
    (lambda: _generator().lut(17, node=99), Error, 4, None),
    (lambda: _generator().lut(17, node="nope"), Error, 4, "nope"),
    (lambda: _generator().lut(17, node=14, half_grid=True), Illegal, 3, "half_grid"),
    (lambda: _hlg(peak_white=2000).lut(5), Illegal, 3, "HLG"),
    (lambda: _hlg(peak_white=2000).lut(5, node="cdl-look"), Illegal, 3, "HLG"),
    (lambda: _set_target(_generator(), "sRGB"), Error, 15, "rec1886"),
    (lambda: _generator().curve(5, 255), Illegal, 3, "illegal size"),
    (lambda: _generator().matrix(5), Error, 4, None),
    (lambda: _generator().load_look(b"not a look"), Illegal, 3, None),
    (lambda: _generator().load_look(_corrupt(_generator().save_look())), Error, 10, None),
    (lambda: _generator().get_metadata("com.example.nope"), Error, 13, None),
    (lambda: _generator().get_metadata(kalvora.ATOM_KEYS["lut3d_master"]), Illegal, 3, None),
    (lambda: _generator().set_metadata(kalvora.ATOM_KEYS["asc_cdl_param"], b"\0" * 3),
     Illegal, 3, None),
    (lambda: kalvora.CameraCore("/no/such/calibration.txt"), Error, 999, "calibration.txt"),
    (lambda: kalvora.CameraCore(__file__), Error, 999, None),
    (lambda: kalvora.CameraCore(pipeline="triple"), Illegal, 3, "single, multi"),
    (lambda: _uncalibrated_gains().white_balance(), Error, 6, None),
    (lambda: kalvora.CameraCore().set_white_balance(1000), Illegal, 3, None),
    (lambda: kalvora.CameraCore().set_mode("night", True), Error, 4, None),
    (lambda: kalvora.apply_lut(np.zeros((3, 3, 3)), IMAGE), Illegal, 3, "(n, n, n, 3)"),
    (lambda: kalvora.apply_lut(np.zeros((1, 1, 1, 3)), IMAGE), Illegal, 3, "2 to 256"),
    (lambda: kalvora.apply_lut(np.full((3, 3, 3, 3), np.nan), IMAGE), Illegal, 3, "NaN"),
    (lambda: kalvora.apply_lut(TABLE, np.zeros((4, 4), np.float32)), Illegal, 3, "last axis"),
    (lambda: kalvora.apply_lut(TABLE, IMAGE, out=np.zeros((4, 3))), Illegal, 3, "out"),
    (lambda: kalvora.apply_lut(TABLE, IMAGE, out=np.zeros((5, 3), np.float32)), Illegal, 3,
     "shape"),
    (lambda: kalvora.elvex_encode(0.1, ei=0), Illegal, 3, "exposure index"),
    (lambda: kalvora.elvex_decode(0.1, ei=float("nan")), Illegal, 3, None),
    (lambda: kalvora.elvex_encode(0.1, camera="other"), Illegal, 3, "kesta"),
]


@pytest.mark.parametrize("what, cls, code, fragment", CASES)
def test_error_raises(capfd, what, cls, code, fragment):
    with pytest.raises(cls) as caught:
        what()
    if code is not None:
        assert caught.value.code == code
    assert caught.value.message == str(caught.value) and caught.value.message
    if fragment is not None:
        assert fragment in caught.value.message
    assert capfd.readouterr().err == ""


def test_illegal_value_is_a_value_error():
    assert issubclass(Illegal, Error) and issubclass(Illegal, ValueError)
    assert not issubclass(Error, ValueError)


def test_integer_image_is_a_type_error():
    with pytest.raises(TypeError):
        kalvora.apply_lut(TABLE, np.zeros((2, 3), np.int32))


def test_verbose_writes_the_reports(capfd):
    kalvora.set_verbose(True)
    try:
        with pytest.raises(Illegal):
            _generator().set_param("knee", 1.5)
    finally:
        kalvora.set_verbose(False)
    err = capfd.readouterr().err
    assert "out of range" in err and "ERROR" in err
