#include "cli/RenderCommand.h"

#include <iostream>

#include "cli/CliInteraction.h"
#include "cli/PaletteOption.h"
#include "cli/ProgressPrinter.h"
#include "cli/StateJson.h"
#include "core/OutputPath.h"
#include "engine/QuiltExport.h"
#include "engine/TilvexApp.h"

namespace tilvex::cli {

CLI::App* RenderCommand::Add(CLI::App& program)
{
    CLI::App* render = program.add_subcommand("render", "Generate a quilt up to its iteration limit and report its state");
    quilt.Add(render);
    run.AddProgress(render);
    render->add_option("--period", period, "Tiles per image side for exported images, 1-32 (default 1)");
    render->add_option("--bmp", bmp, "Write the quilt as an 8-bit BMP file");
    render->add_option("--pcx", pcx, "Write the quilt as a 256-colour PCX file");
    render->add_option("--png", png, "Write the quilt as a PNG file");
    render->add_option("--save", save, "Save the session (.qlt) when done");
    render->add_option("--palette", palette,
                       "Palette after generating: start, random, density or cycle:R,G,B:R,G,B:CYCLES");
    return render;
}

int RenderCommand::Run()
{
    std::string problem = quilt.Validate();
    if (problem.empty()) problem = ValidatePeriod(period);
    std::string paletteError;
    const std::optional<PaletteChoice> paletteChoice = ParsePaletteChoice(palette, paletteError);
    if (problem.empty() && !paletteChoice) problem = paletteError;
    if (!problem.empty()) {
        std::cerr << "tilvex-cli render: " << problem << "\n";
        return 2;
    }
    // Before any work: a run of hours must not end on a name that cannot be written.
    const std::pair<const std::string*, OutputKind> outputs[] = {{&bmp, OutputKind::FileOrDevice},
                                                                 {&pcx, OutputKind::FileOrDevice},
                                                                 {&png, OutputKind::FileOrDevice},
                                                                 {&save, OutputKind::WholeFile}};
    for (const auto& [path, kind] : outputs) {
        if (path->empty()) continue;
        if (std::string error = CheckOutputFile(*path, kind); !error.empty()) {
            std::cerr << "tilvex-cli render: " << error << "\n";
            return 1;
        }
    }
    const double seed = quilt.DrawSeed();
    CTilvexApp app(seed);
    CliInteraction user;
    ScopedInteraction atTheTerminal(app, user);
    if (int status = SetUpQuilt(app, quilt, "tilvex-cli render"); status != 0) return status;
    ProgressPrinter progress(run.progress);
    const RunFigures figures = GenerateToLimit(app, progress);

    ApplyPaletteChoice(app, *paletteChoice);
    const std::pair<const std::string*, ImageFormat> exports[] = {
        {&bmp, ImageFormat::Bmp}, {&pcx, ImageFormat::Pcx}, {&png, ImageFormat::Png}};
    for (const auto& [path, format] : exports) {
        if (path->empty()) continue;
        if (std::string error = ExportQuiltImage(app, format, *path, period); !error.empty()) {
            std::cerr << "tilvex-cli render: " << error << "\n";
            return 1;
        }
    }
    if (!save.empty() && !app.SaveSession(save)) return 1;

    nlohmann::ordered_json j = StateJson(app);
    j["seed"] = SeedJson(seed);
    j["restarts"] = figures.restarts;
    j["seconds"] = figures.seconds;
    j["stepsPerSecond"] = figures.seconds > 0 ? static_cast<double>(figures.steps) / figures.seconds : 0.0;
    std::cout << JsonText(j) << "\n";
    return 0;
}

}  // namespace tilvex::cli
