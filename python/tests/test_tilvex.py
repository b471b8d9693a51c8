"""The module against tilvex-cli: the same quilts, pixels and refusals."""

import _thread
import os
import subprocess
import threading

import numpy as np
import pytest
from PIL import Image

import tilvex

CLI = os.path.join(os.environ.get("TILVEX_BIN_DIR", "build/bin"), "tilvex-cli")
QUICK = 200000  # a multiple of the loop's floor interval, as the default limit is


def cli(*args):
    return subprocess.run([CLI, *map(str, args)], capture_output=True, text=True)


def made(kind, seed, limit=QUICK):
    q = tilvex.Quilt(kind, seed=seed, max_iterations=limit)
    q.run()
    return q


@pytest.mark.parametrize("kind", ["hex", "4-8-8", "wild-corner"])
def test_quilt_density_image_and_session_are_the_clis(kind, tmp_path):
    assert cli("render", "--kind", kind, "--seed", 7, "--max-iterations", QUICK,
               "--bmp", tmp_path / "c.bmp", "--save", tmp_path / "c.qlt").returncode == 0
    q = made(kind, 7)
    saved = (tmp_path / "c.qlt").read_bytes()
    # The grid record: its width, then the counts row by row, as density lists them.
    width = q.density.shape[1]
    assert q.density.shape == (width, width) and not q.density.flags.writeable
    assert width.to_bytes(2, "little") + q.density.astype("<u2").tobytes() in saved
    assert np.array_equal(q.image(), np.asarray(Image.open(tmp_path / "c.bmp").convert("RGB")))
    q.save(tmp_path / "p.qlt")
    assert (tmp_path / "p.qlt").read_bytes() == saved
    again = tilvex.load(tmp_path / "c.qlt")
    assert (again.kind, again.name, again.iteration_count) == (kind, q.name, q.iteration_count)
    assert np.array_equal(again.density, q.density)


def test_parameters_are_set_as_param_sets_them(tmp_path):
    edit = {"lambda": 0.1, "alpha": -0.2}
    assert cli("render", "--seed", 7, "--max-iterations", QUICK, "--param", "lambda=0.1", "--param", "alpha=-0.2",
               "--save", tmp_path / "c.qlt").returncode == 0
    given = tilvex.Quilt(seed=7, max_iterations=QUICK, parameters=edit)
    assigned = tilvex.Quilt(seed=7, max_iterations=QUICK)
    assigned.parameters = edit
    for q, name in [(given, "g.qlt"), (assigned, "a.qlt")]:
        assert {k: q.parameters[k] for k in edit} == edit
        q.run()
        q.save(tmp_path / name)
        assert (tmp_path / name).read_bytes() == (tmp_path / "c.qlt").read_bytes()
    before = assigned.parameters
    with pytest.raises(ValueError, match="lambda must be"):
        assigned.parameters = {"alpha": 0.3, "lambda": 99}
    assert assigned.parameters == before
    assert [p["name"] for p in assigned.parameter_table["parameters"]] == list(before)


def test_studio_is_the_clis_png(tmp_path):
    look = dict(colormap="magma", background="#ff00ff", gamma=1.5)
    assert cli("studio", "--kind", "4-6-12", "--seed", 3, "--max-iterations", QUICK, "--size", 96, "--spp", 2,
               "--colormap", "magma", "--background", "#ff00ff", "--gamma", 1.5, "--period", 2, "--threads", 2,
               "--png", tmp_path / "s.png").returncode == 0
    q = made("4-6-12", 3)
    rgb = q.studio(size=96, spp=2, period=2, threads=1, **look)
    assert rgb.dtype == np.uint8
    assert np.array_equal(rgb, np.asarray(Image.open(tmp_path / "s.png").convert("RGB")))
    deep = q.studio(size=96, spp=2, bit_depth=16, **look)
    tile = rgb[: deep.shape[0], : deep.shape[1]]
    assert deep.dtype == np.uint16 and np.all(np.abs(deep / 257.0 - tile) <= 0.5 + 1e-9)
    density = q.studio_density(size=96, spp=2)
    assert density.dtype == np.float32 and density.shape == deep.shape[:2]
    assert np.array_equal(density == 0, np.all(tile == [255, 0, 255], axis=2))


def test_threads_give_the_quilts_made_alone():
    alone = [made("square", 11).density.copy(), made("hex", 12).density.copy()]
    quilts = [tilvex.Quilt("square", seed=11, max_iterations=QUICK), tilvex.Quilt("hex", seed=12, max_iterations=QUICK)]
    threads = [threading.Thread(target=q.run) for q in quilts]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    for q, density in zip(quilts, alone):
        assert np.array_equal(q.density, density)


def test_gallery_quilts_are_the_seeds_quilts_best_first():
    quilts = tilvex.gallery(3, kind="4-8-8", seed=5, max_iterations=100000, threads=2)
    assert [q.score for q in quilts] == sorted((q.score for q in quilts), reverse=True)
    assert sorted(q.seed for q in quilts) == [5, 6, 7]
    for q in quilts:
        assert np.array_equal(q.density, made("4-8-8", q.seed, 100000).density)


def test_runs_stop_when_asked():
    q = tilvex.Quilt(seed=1, max_iterations=10**9)
    seen = []
    q.run(progress=lambda count: seen.append(count) or len(seen) < 3)
    assert len(seen) == 3 and q.iteration_count == seen[-1] < 10**6

    def fails(count):
        raise RuntimeError("from progress")

    with pytest.raises(RuntimeError, match="from progress"):
        q.run(progress=fails)
    threading.Timer(0.3, _thread.interrupt_main).start()
    with pytest.raises(KeyboardInterrupt):
        q.run()
    assert q.iteration_count < 10**9
    assert q.run(1000) == 1000  # and it goes on afterwards


@pytest.mark.parametrize("call, args", [
    (lambda: tilvex.Quilt("octagon"), ["render", "--kind", "octagon"]),
    (lambda: tilvex.Quilt(seed=-1), ["render", "--seed", -1]),
    (lambda: tilvex.Quilt(grid=5), ["render", "--grid", 5]),
    (lambda: tilvex.Quilt(corner=5), ["render", "--corner", 5]),
    (lambda: tilvex.Quilt("hex", depth=2), ["render", "--kind", "hex", "--depth", 2]),
    (lambda: tilvex.Quilt(max_iterations=0), ["render", "--max-iterations", 0]),
    (lambda: tilvex.Quilt().image(period=40), ["render", "--period", 40]),
    (lambda: tilvex.Quilt().studio(colormap="jet"), ["studio", "--colormap", "jet", "--png", "x.png"]),
    (lambda: tilvex.Quilt().studio(gradient="#000000"), ["studio", "--gradient", "#000000", "--png", "x.png"]),
    (lambda: tilvex.Quilt().studio(size=4096, period=17), ["studio", "--size", 4096, "--period", 17, "--png", "x.png"]),
    (lambda: tilvex.gallery(0), ["gallery", "--count", 0, "--out", "x"]),
    (lambda: tilvex.Quilt(parameters={"nope": 1}), ["render", "--param", "nope=1"]),
])
def test_bad_arguments_raise_the_clis_words(call, args):
    refused = cli(*args)
    assert refused.returncode == 2
    with pytest.raises(ValueError) as raised:
        call()
    assert refused.stderr.strip().endswith(str(raised.value))


def test_bad_sessions_name_the_file(tmp_path):
    missing = tmp_path / "missing.qlt"
    with pytest.raises(FileNotFoundError, match="missing.qlt"):
        tilvex.load(missing)
    short = tmp_path / "short.qlt"
    short.write_bytes(b"\x01\x00\x00")
    with pytest.raises(ValueError, match="short.qlt"):
        tilvex.load(short)
    with pytest.raises(OSError, match="nowhere"):
        tilvex.Quilt().save(tmp_path / "nowhere" / "q.qlt")
