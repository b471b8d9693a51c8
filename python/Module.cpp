// The Python module `tilvex`: quilts as NumPy arrays.

#include <algorithm>
#include <climits>
#include <exception>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>

#include "TilvexVersion.h"
#include "cli/GalleryCommand.h"
#include "explore/Gallery.h"
#include "maps/QuiltKindNames.h"
#include "python/Interrupt.h"
#include "python/Quilt.h"
#include "python/Studio.h"

namespace py = pybind11;
using namespace py::literals;
using tilvex::python::BadArgument;
using tilvex::python::FileProblem;
using tilvex::python::Quilt;
using tilvex::python::RunInterruptibly;
using tilvex::python::StudioRequest;

namespace {

int ClampToInt(long long v) { return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX)); }
std::optional<int> ClampToInt(std::optional<long long> v)
{
    return v ? std::optional<int>(ClampToInt(*v)) : std::nullopt;
}

// Runs a quick member without the GIL: each member takes the quilt's lock,
// which a run on another thread holds while it waits for the GIL.
template <class F>
auto Unlocked(F&& f)
{
    py::gil_scoped_release released;
    return f();
}

// A NumPy array that owns data.
template <class T>
py::array_t<T> OwningArray(std::vector<T>&& data, std::vector<py::ssize_t> shape)
{
    auto* owned = new std::vector<T>(std::move(data));
    py::capsule release(owned, [](void* p) { delete static_cast<std::vector<T>*>(p); });
    return py::array_t<T>(shape, owned->data(), release);
}

py::object Seed(double seed) { return py::int_(static_cast<long long>(seed)); }

// {name: number, ...} as the table's assignments, in the mapping's order.
std::vector<tilvex::ParameterAssignment> Assignments(const py::handle& mapping)
{
    if (!py::hasattr(mapping, "items")) throw py::type_error("parameters must be a dict of names to numbers");
    std::vector<tilvex::ParameterAssignment> list;
    for (const py::handle item : mapping.attr("items")()) {
        const py::tuple pair = py::reinterpret_borrow<py::object>(item);
        const double value = PyFloat_AsDouble(pair[1].ptr());
        if (value == -1.0 && PyErr_Occurred()) throw py::error_already_set();
        list.push_back({py::str(pair[0]), value});
    }
    return list;
}

Quilt* NewQuilt(const std::string& kind, std::optional<double> seed, std::optional<long long> grid, bool detailed,
                std::optional<long long> depth, bool knot, std::optional<long long> corner, const py::object& parameters,
                std::optional<long long> maxIterations)
{
    const std::vector<tilvex::ParameterAssignment> assignments =
        parameters.is_none() ? std::vector<tilvex::ParameterAssignment>{} : Assignments(parameters);
    tilvex::cli::QuiltOptions options;
    options.kind = kind;
    options.seed = seed;
    options.grid = ClampToInt(grid);
    options.detailed = detailed;
    options.depth = ClampToInt(depth);
    options.knot = knot;
    options.corner = ClampToInt(corner);
    options.maxIterations = ClampToInt(maxIterations);
    py::gil_scoped_release released;
    return new Quilt(options, assignments);
}

// Runs up to this long take the calling thread: one progress interval.
constexpr long long kShortRun = 65536;

long long Run(Quilt& quilt, std::optional<long long> iterations, const py::object& progress)
{
    if (iterations && *iterations < 0) throw BadArgument{"iterations must be 0 or more"};
    if (!progress.is_none() && !PyCallable_Check(progress.ptr())) throw py::type_error("progress must be callable");
    std::exception_ptr failure;
    Quilt::Progress report;
    if (!progress.is_none()) {
        report = [&progress, &failure](long long count) {
            py::gil_scoped_acquire held;
            try {
                py::object answer = progress(count);
                if (answer.is_none()) return true;
                const int go = PyObject_IsTrue(answer.ptr());
                if (go < 0) throw py::error_already_set();
                return go == 1;
            } catch (...) {
                failure = std::current_exception();
                return false;
            }
        };
    }
    long long steps = 0;
    if (iterations && *iterations <= kShortRun) {
        // Over in a few milliseconds: not worth a thread of its own.
        py::gil_scoped_release released;
        steps = quilt.Run(iterations, {}, report);
    } else {
        steps = RunInterruptibly([&](std::stop_token stop) { return quilt.Run(iterations, stop, report); });
    }
    if (failure) std::rethrow_exception(failure);
    return steps;
}

py::array_t<std::uint8_t> Image(Quilt& quilt, long long period)
{
    tilvex::RgbPicture picture = Unlocked([&] { return quilt.Image(ClampToInt(period)); });
    return OwningArray(std::move(picture.rgb), {picture.height, picture.width, 3});
}

StudioRequest MakeStudioRequest(long long size, double spp, unsigned long long studioSeed, const std::string& simd,
                                const std::string& colormap, const std::optional<std::string>& gradient,
                                const std::optional<std::string>& background, double gamma, bool equalize,
                                long long period, std::optional<long long> threads, long long bitDepth)
{
    StudioRequest request;
    request.sampling.size = ClampToInt(size);
    request.sampling.spp = spp;
    request.sampling.studioSeed = studioSeed;
    request.sampling.simd = simd;
    request.look.colormap = colormap;
    request.look.gradient = gradient.value_or("");
    request.look.background = background.value_or("");
    request.look.gamma = gamma;
    request.look.equalize = equalize;
    request.period = ClampToInt(period);
    request.run.threads = ClampToInt(threads.value_or(0));
    request.bitDepth = ClampToInt(bitDepth);
    return request;
}

// The developed tile, or an exception: the request refused, or stopped by Ctrl+C.
tilvex::studio::FloatImage Develop(Quilt& quilt, const StudioRequest& request)
{
    std::shared_ptr<const tilvex::QuiltSnapshot> snapshot = Unlocked([&] { return quilt.Snapshot(); });
    if (std::string problem = request.Validate(*snapshot); !problem.empty()) throw BadArgument{problem};
    std::optional<tilvex::studio::FloatImage> tile =
        RunInterruptibly([&](std::stop_token stop) { return tilvex::python::DevelopStudio(snapshot, request, stop); });
    if (!tile) throw std::runtime_error("the studio picture was stopped");
    return std::move(*tile);
}

py::array Studio(Quilt& quilt, long long size, double spp, const std::string& colormap,
                 const std::optional<std::string>& gradient, const std::optional<std::string>& background, double gamma,
                 bool equalize, long long period, unsigned long long studioSeed, const std::string& simd,
                 std::optional<long long> threads, long long bitDepth)
{
    const StudioRequest request = MakeStudioRequest(size, spp, studioSeed, simd, colormap, gradient, background, gamma,
                                                    equalize, period, threads, bitDepth);
    const tilvex::studio::FloatImage tile = Develop(quilt, request);
    const py::ssize_t height = static_cast<py::ssize_t>(tile.Height()) * request.period;
    const py::ssize_t width = static_cast<py::ssize_t>(tile.Width()) * request.period;
    if (request.bitDepth == 16) {
        std::vector<std::uint16_t> rgb = Unlocked([&] { return tilvex::python::TiledRgb16(tile, request.period); });
        return OwningArray(std::move(rgb), {height, width, 3});
    }
    std::vector<std::uint8_t> rgb = Unlocked([&] { return tilvex::python::TiledRgb8(tile, request.period); });
    return OwningArray(std::move(rgb), {height, width, 3});
}

py::array_t<float> StudioDensity(Quilt& quilt, long long size, double spp, unsigned long long studioSeed,
                                 const std::string& simd, std::optional<long long> threads)
{
    const StudioRequest request =
        MakeStudioRequest(size, spp, studioSeed, simd, "viridis", {}, {}, 2.2, false, 1, threads, 8);
    const tilvex::studio::FloatImage tile = Develop(quilt, request);
    std::vector<float> densities = tile.Densities();
    return OwningArray(std::move(densities), {tile.Height(), tile.Width()});
}

// A read-only view of the grid's counts, [y, x] as the session file lists them.
py::array Density(const py::object& self)
{
    const Quilt& quilt = self.cast<const Quilt&>();
    int width = 0;
    const std::uint16_t* counts = Unlocked([&] { return quilt.Counts(width); });
    if (!counts) return py::array_t<std::uint16_t>(std::vector<py::ssize_t>{0, 0});
    constexpr py::ssize_t cell = sizeof(std::uint16_t);
    py::array_t<std::uint16_t> view({width, width}, {cell, cell * width}, counts, self);
    view.attr("setflags")("write"_a = false);
    return view;
}

py::list Gallery(long long count, const std::string& kind, std::optional<double> seed, std::optional<long long> threads,
                 std::optional<long long> maxIterations)
{
    tilvex::cli::GalleryCommand options;
    options.count = ClampToInt(count);
    options.kind = kind;
    options.seed = seed;
    options.maxIterations = ClampToInt(maxIterations);
    options.run.threads = ClampToInt(threads.value_or(0));
    if (std::string problem = options.Validate(); !problem.empty()) throw BadArgument{problem};
    const tilvex::GalleryRequest request = options.Request();
    std::optional<std::vector<std::unique_ptr<Quilt>>> made =
        RunInterruptibly([&](std::stop_token stop) -> std::optional<std::vector<std::unique_ptr<Quilt>>> {
            // Entries come from the gallery's threads in any order; each becomes a quilt at its index.
            std::vector<std::unique_ptr<Quilt>> byIndex(static_cast<std::size_t>(request.count));
            std::mutex lock;
            const auto keep = [&](const tilvex::GalleryEntry& entry) {
                auto quilt = std::make_unique<Quilt>(entry.quilt.session, entry.quilt.seed);
                quilt->score = entry.score;
                std::lock_guard hold(lock);
                byIndex[static_cast<std::size_t>(entry.quilt.index)] = std::move(quilt);
            };
            std::optional<std::vector<tilvex::GalleryRecord>> records = tilvex::MakeGallery(request, keep, stop);
            if (!records) return std::nullopt;
            std::vector<std::unique_ptr<Quilt>> quilts;
            for (const tilvex::GalleryRecord& record : *records)
                quilts.push_back(std::move(byIndex[static_cast<std::size_t>(record.index)]));
            return quilts;
        });
    if (!made) throw std::runtime_error("not enough memory to start a quilt");
    py::list list;
    for (std::unique_ptr<Quilt>& quilt : *made) list.append(py::cast(std::move(quilt)));
    return list;
}

void RaiseFileProblem(const FileProblem& problem)
{
    if (problem.contents) {
        PyErr_SetString(PyExc_ValueError, problem.message.c_str());
    } else if (problem.error != 0) {
        py::object error = py::reinterpret_borrow<py::object>(PyExc_OSError)(problem.error, problem.message);
        error.attr("filename") = problem.path;
        PyErr_SetObject(reinterpret_cast<PyObject*>(Py_TYPE(error.ptr())), error.ptr());
    } else {
        PyErr_SetString(PyExc_OSError, problem.message.c_str());
    }
}

const char* kModuleDoc = R"(Tilvex quilts: symmetric patterns grown by chaotic maps of the plane, as NumPy arrays.

A quilt is made exactly as ``tilvex-cli render`` makes it with the same options,
grown with ``run()``, and read as arrays: ``density`` (the grid's hit counts),
``image()`` (the 8-bit picture the BMP export holds) and ``studio()`` (the smooth
true-colour picture ``tilvex-cli studio`` writes)::

    import tilvex
    q = tilvex.Quilt("hex", seed=7)
    q.run()                        # to the iteration limit
    counts = q.density             # uint16 [y, x]
    rgb = q.studio(size=512)       # uint8 H x W x 3

``load()`` opens a saved session, ``gallery()`` makes many random quilts at once,
best first. Long calls release the GIL, so quilts on several Python threads run
on several cores; Ctrl+C stops a call. Bad arguments raise ValueError worded as
the command line words them.)";

}  // namespace

PYBIND11_MODULE(tilvex, m)
{
    m.doc() = kModuleDoc;
    m.attr("__version__") = TILVEX_VERSION;
    m.attr("KINDS") = py::tuple(py::cast(tilvex::KindNames()));

    py::register_exception_translator([](std::exception_ptr thrown) {
        try {
            if (thrown) std::rethrow_exception(thrown);
        } catch (const BadArgument& bad) {
            PyErr_SetString(PyExc_ValueError, bad.message.c_str());
        } catch (const FileProblem& problem) {
            RaiseFileProblem(problem);
        }
    });

    py::class_<Quilt>(m, "Quilt", R"(One quilt: its map, its density grid and its palette.

Quilt(kind="square", seed=7, grid=None, detailed=False, depth=None, knot=False,
      corner=None, parameters=None, max_iterations=None)

makes the quilt ``tilvex-cli render --kind KIND --seed SEED ...`` makes with the
same options, before it is generated: call ``run()`` to grow it.

kind: one of tilvex.KINDS ("square", "hex", "4-6-12", "4-8-8", "3-12-12", "wild-corner").
seed: a whole number from 0 to 4294967295 (the same seed gives the same quilt);
    None seeds from the clock as the command line does without --seed.
grid: grid width in cells (20 to 600). detailed, depth: the detailed square
    (depth 3-6) or hex (4-11) map. knot: hex only. corner: Wild Corner's N (3-42).
max_iterations: the iteration limit (default 3,500,000).
parameters: {name: value} set once the quilt is set up, as --param NAME=VALUE
    does; see ``parameters`` and ``parameter_table``.)")
        .def(py::init(&NewQuilt), "kind"_a = "square", "seed"_a = 7, "grid"_a = py::none(), "detailed"_a = false,
             "depth"_a = py::none(), "knot"_a = false, "corner"_a = py::none(), "parameters"_a = py::none(),
             "max_iterations"_a = py::none())
        .def("run", &Run, "iterations"_a = py::none(), "progress"_a = py::none(),
             R"(Grows the quilt and returns the steps taken.

With iterations None, steps until the iteration limit (at least one step, so a
quilt at its limit goes on once ``max_iterations`` is raised); else steps that
many times. progress, when given, is called with ``iteration_count`` every
65,536 steps and at the end; returning False stops the run there. Ctrl+C stops
it too (KeyboardInterrupt). Other Python threads run meanwhile.)")
        .def("save", [](Quilt& q, const std::filesystem::path& path) { Unlocked([&] { q.Save(path.string()); }); },
             "path"_a,
             R"(Saves the session as a .qlt file, which tilvex.load(), tilvex-cli render --load and
the desktop program continue. The file is replaced only once the new one is
complete; OSError names the file on failure.)")
        .def("image", &Image, "period"_a = 1,
             R"(The quilt's exact picture as an H x W x 3 uint8 array, top row first: the very
pixels ``tilvex-cli render --period PERIOD --bmp F`` writes, period x period
tiles (1 to 32). Like that export it removes the grid's floor first.)")
        .def("studio", &Studio, "size"_a = 1024, "spp"_a = 16.0, "colormap"_a = "viridis", "gradient"_a = py::none(),
             "background"_a = py::none(), "gamma"_a = 2.2, "equalize"_a = false, "period"_a = 1,
             "studio_seed"_a = 0, "simd"_a = "auto", "threads"_a = py::none(), "bit_depth"_a = 8,
             R"(The studio picture of the quilt as it stands, as an H x W x 3 array: uint8, or
uint16 with bit_depth=16. With bit_depth 8 it holds the pixels
``tilvex-cli studio --png F`` writes with the same options: size (tile width in
pixels), spp (samples per pixel), colormap (viridis, magma, inferno, plasma,
cividis, twilight, gray or quilt) or gradient ("#RRGGBB,#RRGGBB,..."),
background ("#RRGGBB"), gamma, equalize, period, studio_seed, simd (auto,
avx512, avx2, scalar), threads (None: every core). The result is the same for
any thread count.)")
        .def("studio_density", &StudioDensity, "size"_a = 1024, "spp"_a = 16.0, "studio_seed"_a = 0,
             "simd"_a = "auto", "threads"_a = py::none(),
             R"(The studio's density of one tile as an H x W float32 array, in visits per pixel,
folded through the kind's symmetry, before tone and colour mapping. The
arguments are those of studio().)")
        .def_property_readonly("kind", [](const Quilt& q) { return Unlocked([&] { return q.Kind(); }); },
                               "The kind's name: one of tilvex.KINDS.")
        .def_property_readonly("name", [](const Quilt& q) { return Unlocked([&] { return q.Name(); }); },
                               "The quilt's name, as its files are named.")
        .def_property_readonly("iteration_count",
                               [](const Quilt& q) { return Unlocked([&] { return q.IterationCount(); }); },
                               "Steps taken so far.")
        .def_property_readonly("restarts", [](const Quilt& q) { return Unlocked([&] { return q.Restarts(); }); },
                               R"(How often the quilt converged and started over. Each restart draws a new
random quilt of the kind, as the program always has: the parameters change.)")
        .def_property(
            "max_iterations", [](const Quilt& q) { return Unlocked([&] { return q.MaxIterations(); }); },
            [](Quilt& q, long long limit) { Unlocked([&] { q.SetMaxIterations(limit); }); },
            "The iteration limit (1 to 1,000,000,000); run() stops there. Raise it to grow on.")
        .def_property(
            "parameters",
            [](const Quilt& q) {
                py::dict values;
                for (const auto& [name, value] : Unlocked([&] { return q.Parameters(); })) values[py::str(name)] = value;
                return values;
            },
            [](Quilt& q, const py::object& mapping) {
                const std::vector<tilvex::ParameterAssignment> assignments = Assignments(mapping);
                Unlocked([&] { q.SetParameters(assignments); });
            },
            R"(The map's coefficients as a dict by the parameter table's names (as
``tilvex-cli params`` lists them for the quilt's form), in the units its dialogs
show. A fresh dict on every read. Assigning a dict of some or all names sets
them as one edit and starts the quilt anew, as ``tilvex-cli render --param
NAME=VALUE`` does; a name or value the table refuses raises ValueError and
changes nothing::

    q.parameters = {"lambda": -0.59, "alpha": 0.2}
    q.run())")
        .def_property_readonly(
            "parameter_table",
            [](const Quilt& q) {
                const std::string text = Unlocked([&] { return q.ParameterTableJson(); });
                return py::module_::import("json").attr("loads")(text);
            },
            R"(The quilt's form and its table: {"form": ..., "parameters": [{"name", "group",
"meaning", "min", "max", "integer"}, ...]}, as ``tilvex-cli params --json`` prints it.)")
        .def_property_readonly("density", &Density,
                               R"(The density grid's hit counts as a read-only width x width uint16 array,
[y, x] in the order the session file lists them. A view, not a copy: it
follows the quilt as it grows and keeps it alive.)")
        .def_property_readonly("seed", [](const Quilt& q) { return Seed(q.Seed()); },
                               "The seed the quilt's random source started from.")
        .def_readonly("score", &Quilt::score,
                      "For a gallery's quilts, the score from 0 to 1 (fill x spread); else None.")
        .def("__repr__", [](const Quilt& q) {
            const std::string kind = Unlocked([&] { return q.Kind(); });
            const std::string name = Unlocked([&] { return q.Name(); });
            const long long count = Unlocked([&] { return q.IterationCount(); });
            const int limit = Unlocked([&] { return q.MaxIterations(); });
            return "<tilvex.Quilt " + kind + " '" + name + "' " + std::to_string(count) + "/" +
                   std::to_string(limit) + " iterations>";
        });

    m.def(
        "load",
        [](const std::filesystem::path& path, std::optional<double> seed) {
            py::gil_scoped_release released;
            return new Quilt(path.string(), seed);
        },
        "path"_a, "seed"_a = py::none(), py::return_value_policy::take_ownership,
        R"(Opens a saved session (.qlt) as a Quilt, as ``tilvex-cli render --load PATH`` does;
seed seeds its random source (None: the clock). OSError when the file cannot
be read, ValueError when its contents are refused; both name the file.)");

    m.def("gallery", &Gallery, "count"_a = 24, "kind"_a = "any", "seed"_a = 0, "threads"_a = py::none(),
          "max_iterations"_a = py::none(),
          R"(Makes count random quilts on every core (or threads) and returns them as a list,
best score first. Quilt i is the one ``tilvex-cli render --seed SEED+i --kind K
--max-iterations I`` makes, with kind "any" taking the six kinds in turn;
max_iterations defaults to 1,000,000. Each quilt carries its ``score`` and
``seed``. The result is the same for any thread count.)");
}
