#include "python/Quilt.h"

#include <algorithm>
#include <climits>
#include <stdexcept>

#include "cli/StateJson.h"
#include "cli/StudioOptions.h"
#include "core/RandomSource.h"
#include "engine/QuiltControl.h"
#include "engine/QuiltExport.h"
#include "engine/SessionFile.h"
#include "maps/QuiltKindNames.h"

namespace tilvex::python {

namespace {

void Check(const std::string& problem)
{
    if (!problem.empty()) throw BadArgument{problem};
}

int ClampToInt(long long v) { return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX)); }

}  // namespace

void Quilt::Start()
{
    app_ = std::make_unique<CTilvexApp>(seed_);
    app_->ui = &user_;
    if (!app_->InitInstance(AvailablePhysicalMemory())) throw std::runtime_error(user_.last);
}

Quilt::Quilt(cli::QuiltOptions options, const std::vector<ParameterAssignment>& parameters)
{
    Check(options.Validate());
    seed_ = options.seed.value_or(ClockSeed());
    options.seed = seed_;
    app_ = std::make_unique<CTilvexApp>(seed_);
    app_->ui = &user_;
    // In the command line's order: set up, the parameters, then the limit.
    const std::optional<int> limit = options.maxIterations;
    options.maxIterations.reset();
    if (cli::SetUpQuilt(*app_, options, "tilvex") != 0) throw std::runtime_error(user_.last);
    if (!parameters.empty()) Check(ApplyParameters(*app_, parameters));
    if (limit) SetIterationLimit(*app_, *limit);
}

Quilt::Quilt(const std::string& path, std::optional<double> seed)
{
    cli::QuiltOptions options;
    options.seed = seed;
    options.load = path;
    Check(options.Validate());
    seed_ = seed.value_or(ClockSeed());
    Start();
    if (std::optional<SessionLoadFailure> failure = LoadSessionFile(*app_, path)) {
        using Cause = SessionLoadFailure::Cause;
        // The desktop's capacity message does not name the file; an exception must.
        if (failure->cause == Cause::Capacity)
            failure->message = "Cannot load the session file \"" + path + "\": " + failure->message + ".";
        throw FileProblem{failure->error, failure->message, path, failure->cause != Cause::File};
    }
}

Quilt::Quilt(const std::vector<std::uint8_t>& session, double seed) : seed_(seed)
{
    Start();
    if (std::optional<std::string> refusal = DecodeSession(*app_, session.data(), session.size()))
        throw std::runtime_error("a gallery session was refused: " + *refusal);
}

long long Quilt::Run(std::optional<long long> n, std::stop_token stop, const Progress& progress)
{
    std::lock_guard lock(mutex_);
    // The caller's stop, or the progress function's answer, ends the run.
    std::stop_source ends;
    std::stop_callback forward(stop, [&ends] { ends.request_stop(); });
    auto report = [&](const CTilvexApp& app) {
        if (progress && !progress(app.counters.iterationCount)) ends.request_stop();
    };
    return n ? RunSteps(*app_, *n, ends.get_token(), report) : RunToLimit(*app_, ends.get_token(), report);
}

void Quilt::Save(const std::string& path)
{
    std::lock_guard lock(mutex_);
    if (std::optional<std::string> message = SaveSessionFile(*app_, path)) throw FileProblem{0, *message, path};
}

RgbPicture Quilt::Image(int period)
{
    Check(cli::ValidatePeriod(period));
    std::lock_guard lock(mutex_);
    return ExportQuiltPixels(*app_, period);
}

std::shared_ptr<const QuiltSnapshot> Quilt::Snapshot() const
{
    std::lock_guard lock(mutex_);
    return app_->TakeSnapshot();
}

std::string Quilt::Kind() const
{
    std::lock_guard lock(mutex_);
    return KindName(app_->Kind());
}

std::string Quilt::Name() const
{
    std::lock_guard lock(mutex_);
    return app_->QuiltName();
}

long long Quilt::IterationCount() const
{
    std::lock_guard lock(mutex_);
    return app_->counters.iterationCount;
}

int Quilt::Restarts() const
{
    std::lock_guard lock(mutex_);
    return app_->counters.restarts;
}

int Quilt::MaxIterations() const
{
    std::lock_guard lock(mutex_);
    return app_->counters.maxIterations;
}

void Quilt::SetMaxIterations(long long limit)
{
    cli::QuiltOptions options;
    options.maxIterations = ClampToInt(limit);
    Check(options.Validate());
    std::lock_guard lock(mutex_);
    SetIterationLimit(*app_, *options.maxIterations);
}

std::vector<ParameterAssignment> Quilt::Parameters() const
{
    std::lock_guard lock(mutex_);
    const ParameterTable& table = ParametersFor(FormOf(*app_));
    std::vector<ParameterAssignment> values;
    for (std::size_t i = 0; i < table.Size(); ++i) values.push_back({table.Parameters()[i].name, table.Get(app_->maps, i)});
    return values;
}

std::string Quilt::ParameterTableJson() const
{
    std::lock_guard lock(mutex_);
    return cli::ParameterTableJson(FormOf(*app_)).dump();
}

void Quilt::SetParameters(const std::vector<ParameterAssignment>& assignments)
{
    if (assignments.empty()) return;
    std::lock_guard lock(mutex_);
    Check(ApplyParameters(*app_, assignments));
}

const std::uint16_t* Quilt::Counts(int& width) const
{
    std::lock_guard lock(mutex_);
    width = app_->grid.width;
    return app_->grid.Cells();
}

}  // namespace tilvex::python
