"""The module's arrays and bytes against what the C++ library computes."""
import numpy as np
import pytest

import kalvora

# (size, node, half_grid, target, settings by id)
LUT_CASES = [
    (17, 10, False, "rec1886", {}),
    (33, 14, False, "p3-d65", {3011: 1.05, 3040: 0.8, 5040: 1.2, 1001: 1600}),
    (17, 10, True, "pq", {5078: 2000, 4002: 0.3}),
    (9, 12, False, "hlg", {3022: 1.3}),
    (5, 15, False, "acesproxy", {}),
]


@pytest.mark.parametrize("size, node, half_grid, target, settings", LUT_CASES)
def test_lut_equals_cpp(reference, size, node, half_grid, target, settings):
    core = kalvora.LutGenerator()
    core.target = target
    for param, value in settings.items():
        core.set_param(param, value)
    args = [f"{param}={value!r}" for param, value in settings.items()]
    expected = np.frombuffer(
        reference("lut", size, node, int(half_grid), kalvora.TARGETS.index(target), *args),
        dtype=np.uint16).reshape(size, size, size, 3)
    codes = core.lut(size, node, half_grid, codes=True)
    np.testing.assert_array_equal(codes, expected)
    table = core.lut(size, node, half_grid)
    assert table.dtype == np.float64
    np.testing.assert_array_equal(table, expected / 65535.0)


def test_camera_equals_cpp(reference, calibration):
    size = 9
    data = reference("camera", calibration, 5600, 2, size)
    doubles = np.frombuffer(data[:(3 + 9 + 1024) * 8], dtype=np.float64)
    codes = np.frombuffer(data[(3 + 9 + 1024) * 8:], dtype=np.uint16)

    core = kalvora.CameraCore(calibration)
    core.set_white_balance(5600, tint=2)
    gain, offset = core.gain_offset("white-balance")
    np.testing.assert_array_equal(gain, doubles[:3])
    np.testing.assert_array_equal(core.matrix(3), doubles[3:12].reshape(3, 3))
    np.testing.assert_array_equal(core.curve("log", 1024), doubles[12:])
    np.testing.assert_array_equal(core.lut(size), codes.reshape(size, size, size, 3) / 65535.0)
    balance = core.white_balance()
    assert (balance["temperature"], balance["tint"]) == (5600, 2)
    assert (balance["gain_red"], balance["gain_blue"]) == (gain[0], gain[2])


ELVEX_INPUTS = np.array([-0.1, -0.0, 0.0, 5e-324, 1e-6, 0.004, 0.01, 0.18, 0.5, 0.8, 0.95,
                         1.0, 2.0, np.inf, np.nan])


@pytest.mark.parametrize("ei, camera", [(800, "kesta"), (160, "kesta"), (3200, "pendro"),
                                        (1.0, "kesta"), (12345.5, "pendro")])
def test_elvex_equals_cpp(reference, ei, camera):
    data = np.frombuffer(reference("elvex", repr(float(ei)), camera, data=ELVEX_INPUTS.tobytes()))
    encoded, decoded = data[:ELVEX_INPUTS.size], data[ELVEX_INPUTS.size:]
    np.testing.assert_array_equal(kalvora.elvex_encode(ELVEX_INPUTS, ei, camera), encoded)
    np.testing.assert_array_equal(kalvora.elvex_decode(ELVEX_INPUTS, ei, camera), decoded)


def test_elvex_keeps_the_shape():
    grid = np.linspace(0, 1, 24, dtype=np.float32).reshape(2, 3, 4)
    encoded = kalvora.elvex_encode(grid)
    assert encoded.shape == (2, 3, 4) and encoded.dtype == np.float64
    assert isinstance(kalvora.elvex_encode(0.18), float)
    assert kalvora.elvex_encode([0.18]).tolist() == [kalvora.elvex_encode(0.18)]


@pytest.fixture(scope="module")
def look_table():
    core = kalvora.LutGenerator()
    core.set_param("video-saturation", 1.4)
    core.set_param("knee", 0.2)
    return core.lut(33)


def _image(rng, dtype):
    # Inside, at and beyond the table's edges, and exact grid points.
    pixels = rng.uniform(-0.1, 1.1, size=(64, 37, 3))
    pixels[0, :9] = np.array([[0, 0, 0], [1, 1, 1], [0.5, 0.25, 1 / 32], [1, 0, 0],
                              [-1, 2, 0.5], [np.nan, 0, 0], [np.inf, 0, 0],
                              [1e-40, 0, 0], [0.999999, 1e-7, 0.5]])
    return pixels.astype(dtype)


@pytest.mark.parametrize("dtype, name", [(np.float32, "float"), (np.float64, "double")])
def test_apply_equals_cpp_batch(reference, rng, look_table, dtype, name):
    image = _image(rng, dtype)
    codes = np.round(look_table * 65535).astype(np.uint16)
    expected = np.frombuffer(reference("apply", 33, name, data=codes.tobytes() + image.tobytes()),
                             dtype=dtype).reshape(image.shape)
    result = kalvora.apply_lut(look_table, image)
    assert result.dtype == dtype
    np.testing.assert_array_equal(result, expected)
    # Any layout gives the same answer; out may be the image itself.
    np.testing.assert_array_equal(kalvora.apply_lut(look_table, image.transpose(1, 0, 2)),
                                  expected.transpose(1, 0, 2))
    np.testing.assert_array_equal(kalvora.apply_lut(look_table, image[::3, ::2]),
                                  expected[::3, ::2])
    np.testing.assert_array_equal(kalvora.apply_lut(look_table, image.reshape(-1, 3)),
                                  expected.reshape(-1, 3))
    assert kalvora.apply_lut(look_table, image, out=image) is image
    np.testing.assert_array_equal(image, expected)


def test_apply_from_threads_equals_one_thread(rng, look_table):
    from concurrent.futures import ThreadPoolExecutor

    frames = [_image(rng, np.float32) for _ in range(6)]
    alone = [kalvora.apply_lut(look_table, frame) for frame in frames]
    with ThreadPoolExecutor(4) as pool:
        together = list(pool.map(lambda frame: kalvora.apply_lut(look_table, frame), frames))
    for a, b in zip(alone, together):
        np.testing.assert_array_equal(a, b)


# Settings of a look, by id, as the reference program takes them.
LOOK_SETTINGS = {3011: 1.25, 3002: -0.125, 3023: 0.75, 3040: 1.5, 4001: 0.25, 5040: 1.375,
                 5061: 0.5, 5073: 0.0625}


def _parse_params(text):
    return {int(id_): float(value) for id_, value in
            (line.split() for line in text.decode().splitlines())}


def _look_core():
    core = kalvora.LutGenerator()
    for param, value in LOOK_SETTINGS.items():
        core.set_param(param, value)
    return core


SETTINGS_ARGS = [f"{param}={value!r}" for param, value in LOOK_SETTINGS.items()]


@pytest.mark.parametrize("key", [None, "look_video_param", "asc_cdl_param",
                                 "look_video_param_v2", "lut3d_with_cdl"])
def test_look_and_atom_bytes_round_trip_with_cpp(reference, key):
    """Bytes written by Python equal those of C++, and each side reads the other's."""
    python_core = _look_core()
    if key is None:
        written_here = python_core.save_look()
        written_there = reference("save-look", *SETTINGS_ARGS)
        read_there = _parse_params(reference("load-look", data=written_here))
    else:
        atom = kalvora.ATOM_KEYS[key]
        written_here = python_core.get_metadata(atom)
        written_there = reference("get-atom", atom, *SETTINGS_ARGS)
        read_there = _parse_params(reference("set-atom", atom, data=written_here))
    assert written_here == written_there

    read_here = kalvora.LutGenerator()
    if key is None:
        read_here.load_look(written_there)
    else:
        read_here.set_metadata(kalvora.ATOM_KEYS[key], written_there)
    assert {id_: read_here.get_param(id_) for id_ in read_there} == read_there
