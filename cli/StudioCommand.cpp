#include "cli/StudioCommand.h"

#include <chrono>
#include <iostream>

#include <nlohmann/json.hpp>

#include "cli/CliInteraction.h"
#include "cli/ProgressPrinter.h"
#include "cli/StateJson.h"
#include "core/OutputPath.h"
#include "engine/RenderJob.h"
#include "engine/SessionFile.h"
#include "studio/PicturePng.h"
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
    studio->add_option("--period", period, "Tiles per image side, 1-32 (default 1)");
    run.AddThreads(studio);
    studio->add_option("--png", png, "Output PNG file");
    studio->add_option("--exr", exr, "Output OpenEXR file: linear half floats of the colours before quantisation");
    studio->add_option("--dpi", dpi, "Physical resolution written into the PNG (pHYs), 1-100000");
    studio->add_option("--save", save, "Save the quilt's session (.qlt) as render --save does");
    return studio;
}

std::string StudioCommand::Validate() const
{
    for (const std::string& problem :
         {quilt.Validate(), sampling.Validate(), look.Validate(), ValidatePeriod(period), run.Validate()})
        if (!problem.empty()) return problem;
    if (dpi < 0 || dpi > studio::kMaxDpi) return "--dpi must be between 1 and 100000";
    if (png.empty() && exr.empty() && look.saveLook.empty()) return "give --png, --exr or --save-look";
    if (png.empty() && exr.empty() && !save.empty()) return "--save needs a picture: give --png or --exr";
    return {};
}

int StudioCommand::Run()
{
    if (std::string problem = Validate(); !problem.empty()) {
        std::cerr << "tilvex-cli studio: " << problem << "\n";
        return 2;
    }
    if (std::string error = look.SaveLook(); !error.empty()) {
        std::cerr << "tilvex-cli studio: " << error << "\n";
        return 1;
    }
    if (png.empty() && exr.empty()) return 0;
    // Before any work: a render of hours must not end on a name that cannot be written.
    const std::pair<const std::string*, OutputKind> outputs[] = {
        {&png, OutputKind::FileOrDevice}, {&exr, OutputKind::WholeFile}, {&save, OutputKind::WholeFile}};
    for (const auto& [path, kind] : outputs) {
        if (path->empty()) continue;
        if (std::string error = CheckOutputFile(*path, kind); !error.empty()) {
            std::cerr << "tilvex-cli studio: " << error << "\n";
            return 1;
        }
    }
    const double seed = quilt.DrawSeed();
    CTilvexApp app(seed);
    CliInteraction user;
    ScopedInteraction atTheTerminal(app, user);
    if (int status = SetUpQuilt(app, quilt, "tilvex-cli studio"); status != 0) return status;
    // The picture's size is known once the quilt is set up: refused before it is generated.
    if (std::string problem = studio::CheckPictureSize(*app.TakeSnapshot(), sampling.size, period); !problem.empty()) {
        std::cerr << "tilvex-cli studio: " << problem << "\n";
        return 2;
    }
    {
        ProgressPrinter quiltProgress(run.progress);
        GenerateToLimit(app, quiltProgress);
    }

    RenderJob::Outputs files;
    files.png = png;
    files.exr = exr;
    files.period = period;
    files.dpi = dpi;
    files.session = EncodeSession(app);
    RenderJob job(app.TakeSnapshot(), sampling.ToRenderSettings(), look.Look(), run.threads);
    // Saved before the picture (saving takes the grid's floor off, after the snapshot): a stopped render keeps it.
    if (!save.empty() && !app.SaveSession(save)) return 1;
    auto start = std::chrono::steady_clock::now();
    ProgressPrinter progress(run.progress, "studio");
    const std::string error = job.Write(files, {}, [&progress](RenderStage stage, double done) {
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
    j["seed"] = SeedJson(seed);
    j["width"] = job.Width() * period;
    j["height"] = job.Height() * period;
    j["samples"] = job.Samples();
    j["threads"] = job.Threads();
    j["simd"] = studio::SimdPathName(job.Path());
    j["precision"] = studio::PrecisionName(job.Sampling().precision);
    j["seconds"] = seconds;
    j["samplesPerSecond"] = seconds > 0 ? static_cast<double>(job.Samples()) / seconds : 0.0;
    j["colormap"] = job.Look().gradient.empty() ? job.Look().colormap : "gradient";
    j["colorBy"] = studio::ColorByName(job.Look().colorBy);
    std::cout << JsonText(j) << "\n";
    return 0;
}

}  // namespace tilvex::cli
