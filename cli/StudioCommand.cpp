#include "cli/StudioCommand.h"

#include <chrono>
#include <iostream>

#include <nlohmann/json.hpp>

#include "cli/CliInteraction.h"
#include "cli/ProgressPrinter.h"
#include "cli/StateJson.h"
#include "engine/RenderJob.h"
#include "engine/TilvexApp.h"
#include "studio/TileGeometry.h"

namespace tilvex::cli {

CLI::App* StudioCommand::Add(CLI::App& program)
{
    CLI::App* studio =
        program.add_subcommand("studio", "Render a large, smooth, true-colour tile of a quilt on every core (PNG)");
    quilt.Add(studio);
    run.AddProgress(studio);
    sampling.Add(studio);
    look.Add(studio);
    studio->add_option("--period", period, "Tiles per image side (default 1)");
    run.AddThreads(studio);
    studio->add_option("--png", png, "Output PNG file")->required();
    return studio;
}

std::string StudioCommand::Validate() const
{
    for (const std::string& problem :
         {quilt.Validate(), sampling.Validate(), look.Validate(), ValidatePeriod(period), run.Validate()})
        if (!problem.empty()) return problem;
    return {};
}

int StudioCommand::Run()
{
    if (std::string problem = Validate(); !problem.empty()) {
        std::cerr << "tilvex-cli studio: " << problem << "\n";
        return 2;
    }
    CTilvexApp app(quilt.seed);
    CliInteraction user;
    ScopedInteraction atTheTerminal(app, user);
    if (!SetUpQuilt(app, quilt)) return 1;
    // The picture's size is known once the quilt is set up: refused before it is generated.
    if (std::string problem = studio::CheckPictureSize(*app.TakeSnapshot(), sampling.size, period); !problem.empty()) {
        std::cerr << "tilvex-cli studio: " << problem << "\n";
        return 2;
    }
    {
        ProgressPrinter quiltProgress(run.progress);
        GenerateToLimit(app, quiltProgress);
    }

    RenderJob job(app.TakeSnapshot(), sampling.ToRenderSpec(), look.Look(), run.threads);
    auto start = std::chrono::steady_clock::now();
    ProgressPrinter progress(run.progress, "studio");
    const std::string error = job.WritePng(png, period, {}, [&progress](RenderStage stage, double done) {
        if (stage == RenderStage::Sampling) progress.Show(done);
    });
    progress.Finish();
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!error.empty()) {
        std::cerr << "tilvex-cli studio: " << error << "\n";
        return 1;
    }

    nlohmann::ordered_json j;
    j["kind"] = KindName(job.Quilt().kind);
    j["quiltName"] = job.Quilt().quiltName;
    j["width"] = job.Width() * period;
    j["height"] = job.Height() * period;
    j["samples"] = job.Samples();
    j["threads"] = job.Threads();
    j["simd"] = studio::SimdPathName(job.Path());
    j["precision"] = studio::PrecisionName(job.Sampling().precision);
    j["seconds"] = seconds;
    j["samplesPerSecond"] = seconds > 0 ? static_cast<double>(job.Samples()) / seconds : 0.0;
    j["colormap"] = look.gradient.empty() ? look.colormap : "gradient";
    std::cout << JsonText(j) << "\n";
    return 0;
}

}  // namespace tilvex::cli
