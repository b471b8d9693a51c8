#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "cli/QuiltOptions.h"
#include "core/UserInteraction.h"
#include "engine/QuiltCoefficients.h"
#include "engine/TilvexApp.h"
#include "render/QuiltPixels.h"

namespace tilvex::python {

// Python's user: accepts every dialog, keeps the last message for an error.
class QuietInteraction : public AcceptingInteraction {
public:
    void ShowMessage(const std::string& text, MessageIcon) override { last = text; }
    void ShowConvergedMessage() override {}
    std::string last;
};

// Thrown for what the caller asked wrongly; the text is the command line's.
struct BadArgument {
    std::string message;
};
// Thrown when a session file cannot be read or written.
struct FileProblem {
    int error = 0;  // errno when the system gave one
    std::string message;
    std::string path;
    bool contents = false;  // the file was read but refused
};

// One quilt of the module: an application state that only this object
// touches, through the engine's operations. Every member takes the lock, so
// Python threads may share a quilt; none may be called with the GIL held.
class Quilt {
public:
    // The quilt `tilvex-cli render` sets up with these options (validated)
    // and --param values; without a seed, one from the clock.
    Quilt(cli::QuiltOptions options, const std::vector<ParameterAssignment>& parameters);
    // A session file continued as `tilvex-cli render --load path` does.
    Quilt(const std::string& path, std::optional<double> seed);
    // A session in memory (the gallery's).
    Quilt(const std::vector<std::uint8_t>& session, double seed);

    // Called every interval steps and at the end; false stops the run.
    using Progress = std::function<bool(long long iterationCount)>;
    // Steps n times, or to the limit when n is empty. The steps taken.
    long long Run(std::optional<long long> n, std::stop_token stop, const Progress& progress);
    void Save(const std::string& path);
    RgbPicture Image(int period);
    std::shared_ptr<const QuiltSnapshot> Snapshot() const;

    std::string Kind() const;
    std::string Name() const;
    long long IterationCount() const;
    int Restarts() const;
    int MaxIterations() const;
    void SetMaxIterations(long long limit);
    // The current form's parameters by the table's names, and the table itself.
    std::vector<ParameterAssignment> Parameters() const;
    std::string ParameterTableJson() const;
    // Sets the named parameters as one edit, which starts the quilt anew.
    void SetParameters(const std::vector<ParameterAssignment>& assignments);
    // The grid's counts, cell (x, y) at x * width + y; they live as long as this object.
    const std::uint16_t* Counts(int& width) const;

    double Seed() const { return seed_; }
    std::optional<double> score;  // set by the gallery

private:
    void Start();

    mutable std::mutex mutex_;
    double seed_;
    std::unique_ptr<CTilvexApp> app_;
    QuietInteraction user_;
};

}  // namespace tilvex::python
