// tilvex-cli: the headless quilt generator.
#include <CLI/CLI.hpp>

#include "TilvexVersion.h"
#include "cli/GalleryCommand.h"
#include "cli/RenderCommand.h"
#include "cli/StudioCommand.h"

int main(int argc, char** argv)
{
    CLI::App cli{"tilvex-cli: generate quilts without the desktop program"};
    cli.set_version_flag("--version", "tilvex-cli " TILVEX_VERSION, "Print the version and exit");
    cli.require_subcommand(1);
    tilvex::cli::RenderOptions render;
    tilvex::cli::AddRenderCommand(cli, render);
    tilvex::cli::InfoOptions info;
    tilvex::cli::AddInfoCommand(cli, info);
    tilvex::cli::StudioOptions studio;
    CLI::App* studioCommand = tilvex::cli::AddStudioCommand(cli, studio);
    tilvex::cli::GalleryOptions gallery;
    CLI::App* galleryCommand = tilvex::cli::AddGalleryCommand(cli, gallery);
    try {
        cli.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        int code = cli.exit(e);
        return code == 0 ? 0 : 2;
    }
    if (studioCommand->parsed()) return tilvex::cli::RunStudio(studio);
    if (galleryCommand->parsed()) return tilvex::cli::RunGallery(gallery);
    return tilvex::cli::RunSelected(cli, render, info);
}
