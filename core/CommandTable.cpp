#include "core/CommandTable.h"

#include <algorithm>
#include <array>

namespace tilvex {

namespace {

using H = CommandHandler;

constexpr CommandInfo kCommands[] = {
    {cmd::FileNew, "New", "&New\tCtrl+N", "Start a New Session", H::Document},
    {cmd::FileOpen, "Open", "&Open...\tCtrl+O", "Open an existing session", H::Application},
    {cmd::FileSave, "Save", "&Save\tCtrl+S", "Save the active session", H::Document},
    {cmd::FileSaveAs, "Save As", "Save &As...", "Save the active session with a new name", H::Document},
    {cmd::ExportStudioImage, "Export Studio Image", "Export &Studio Image...",
     "Render a large, smooth true-colour image of the Quilt as a PNG file", H::Frame},
    {cmd::ExportAnimation, "Export Animation", "Export &Animation...",
     "Render a video of the Quilt melting into another one", H::Frame},
    {cmd::FileMru1, "Recent File 1", "Recent File", "Open this document", H::Application},
    {cmd::FileMru1 + 1, "Recent File 2", "", "Open this document", H::Application},
    {cmd::FileMru1 + 2, "Recent File 3", "", "Open this document", H::Application},
    {cmd::FileMru4, "Recent File 4", "", "Open this document", H::Application},
    {cmd::AppExit, "Exit", "E&xit", "Quit the application; prompts to save documents", H::Frame},

    {cmd::RandomNewQuilt, "Random New Quilt", "&Random New Quilt",
     "Set random new Quilt Fractal for the current Quilt", H::Application},
    {cmd::ChooseQuiltFractal, "Choose Quilt Fractal", "Choose Quilt &Fractal", "To Reset and start over",
     H::Application},
    {cmd::ExploreGallery, "Explore Gallery", "E&xplore Gallery...",
     "Make random quilts in the background and pick one by its thumbnail", H::Frame},
    {cmd::QuiltVariations, "Variations", "&Variations...",
     "Eight variations around the current Quilt; click one to make it current", H::Frame},
    {cmd::UseDetail, "Use Detailed Generation", "Use Detailed &Generation", "", H::Application},
    {cmd::SetMapping, "Set Quilt Mapping", "Set Quilt &Mapping", "", H::Application},
    {cmd::UseTransformation, "Use Transformation", "Use &Transformation", "", H::Application},
    {cmd::RebuildView, "Rebuild and View Quilt", "Rebuild and View &Quilt", "Display Quilt being Built", H::View},
    {cmd::SetViewPeriod, "Set Quilt View Period", "Set Quilt &View Period", "How many periods are shown of quilt",
     H::Application},
    {cmd::RandomResetPalette, "Random Reset Palette", "Random Reset &Palette", "", H::View},
    {cmd::RandomDensityPalette, "Random Density Palette", "Random &Density Palette",
     "Create a new Palette for Quilt being built using density data", H::View},
    {cmd::CycleDensityPalette, "Cycle Palette using Density", "&Cycle Palette using Density",
     "Palette will cycle between two chosen colors using the frequency in the Quilt", H::View},
    {cmd::SelectPaletteColors, "Select Palette Colors", "&Select Palette Colors", "Choose Colors for current Palette",
     H::View},
    {cmd::SaveImagePcx, "Save Image as PCX", "Save Image as PCX", "Write Quilt as PCX file", H::Application},
    {cmd::SaveImageBmp, "Save Image as BMP", "Save Image as BMP", "Write Quilt as BMP file", H::Application},
    {cmd::SaveImagePng, "Save Image as PNG", "Save Image as PNG", "Write Quilt as PNG file", H::Application},
    {cmd::IterationStatus, "Iteration Status", "&Iteration Status",
     "Shows Iteration Status, allows maximum iterations to be changed.", H::Application},

    {cmd::ViewToolbar, "Toolbar", "&Toolbar", "Show or hide the toolbar", H::Frame},
    {cmd::ViewStatusBar, "Status Bar", "&Status Bar", "Show or hide the status bar", H::Frame},
    {cmd::AutoRebuild, "Auto Rebuild", "&Auto Rebuild",
     "Rebuild and view the Quilt about once a second while it is being built", H::Frame},
    {cmd::StudioPreview, "Studio Preview", "Studio &Preview",
     "Show the Quilt being built with the studio's smooth colouring", H::Frame},
    {cmd::ShowParameters, "Parameters", "&Parameters",
     "Show every coefficient of the Quilt as a slider, with a preview that sharpens", H::Frame},
    {cmd::QuiltUndo, "Undo", "&Undo\tCtrl+Z", "Undo the last change of the Quilt", H::Frame},
    {cmd::QuiltRedo, "Redo", "&Redo\tCtrl+Shift+Z", "Redo the change undone last", H::Frame},
    {cmd::AppAbout, "About", "&About TILVEX...", "Display program information, version number and copyright",
     H::Application},

    // Toolbar and accelerator commands nobody handles: shown disabled, do nothing.
    {cmd::EditCut, "Cut", "", "Cut the selection and put it on the Clipboard", H::None},
    {cmd::EditCopy, "Copy", "", "Copy the selection and put it on the Clipboard", H::None},
    {cmd::EditPaste, "Paste", "", "Insert Clipboard contents", H::None},
    {cmd::FilePrint, "Print", "", "Print the active document", H::None},
    {cmd::EditUndo, "Undo", "", "Undo the last action", H::None},
    {cmd::NextPane, "Next Pane", "", "Switch to the next window pane", H::None},
    {cmd::PrevPane, "Previous Pane", "", "Switch back to the previous window pane", H::None},
};

constexpr int kFileMenu[] = {cmd::FileNew,           cmd::FileOpen,        cmd::FileSave,  cmd::FileSaveAs,
                             cmd::ExportStudioImage, cmd::ExportAnimation, cmd::Separator, cmd::FileMru1,
                             cmd::Separator,         cmd::AppExit};
constexpr int kQuiltMenu[] = {
    cmd::RandomNewQuilt,      cmd::ChooseQuiltFractal,  cmd::ExploreGallery,       cmd::QuiltVariations,
    cmd::Separator,
    cmd::UseDetail,           cmd::SetMapping,          cmd::UseTransformation,    cmd::Separator,
    cmd::RebuildView,         cmd::SetViewPeriod,       cmd::Separator,            cmd::RandomResetPalette,
    cmd::RandomDensityPalette, cmd::CycleDensityPalette, cmd::SelectPaletteColors, cmd::Separator,
    cmd::SaveImagePcx,        cmd::SaveImageBmp,        cmd::SaveImagePng,         cmd::Separator,
    cmd::IterationStatus};
// Auto Rebuild, Studio Preview and Parameters go last so the usual items keep their places.
constexpr int kViewMenu[] = {cmd::ViewToolbar, cmd::ViewStatusBar, cmd::Separator, cmd::AutoRebuild,
                             cmd::StudioPreview, cmd::ShowParameters};
// After the usual menus, so each keeps its place.
constexpr int kEditMenu[] = {cmd::QuiltUndo, cmd::QuiltRedo};
constexpr int kHelpMenu[] = {cmd::AppAbout};

constexpr MenuInfo kMenus[] = {
    {"&File", kFileMenu},
    {"&Quilt", kQuiltMenu},
    {"&View", kViewMenu},
    {"&Edit", kEditMenu},
    {"&Help", kHelpMenu},
};

// The PNG button follows the BMP one; the other buttons keep their order.
constexpr int kToolbar[] = {
    cmd::FileNew,        cmd::FileOpen,          cmd::FileSave,     cmd::Separator,    cmd::EditCut,
    cmd::EditCopy,       cmd::EditPaste,         cmd::Separator,    cmd::FilePrint,    cmd::Separator,
    cmd::AppAbout,       cmd::Separator,         cmd::SetMapping,   cmd::SaveImagePcx, cmd::SaveImageBmp,
    cmd::SaveImagePng,   cmd::RebuildView,       cmd::IterationStatus, cmd::SetViewPeriod, cmd::Separator,
    cmd::RandomDensityPalette, cmd::CycleDensityPalette};
static_assert(std::size(kToolbar) == 22);

constexpr AcceleratorInfo kAccelerators[] = {
    {"Ctrl+N", cmd::FileNew},       {"Ctrl+O", cmd::FileOpen},        {"Ctrl+S", cmd::FileSave},
    {"Ctrl+Z", cmd::EditUndo},      {"Alt+Backspace", cmd::EditUndo}, {"Ctrl+X", cmd::EditCut},
    {"Shift+Del", cmd::EditCut},    {"Ctrl+C", cmd::EditCopy},        {"Ctrl+Ins", cmd::EditCopy},
    {"Ctrl+V", cmd::EditPaste},     {"Shift+Ins", cmd::EditPaste},    {"F6", cmd::NextPane},
    {"Shift+F6", cmd::PrevPane},
    // The specified Undo entry is never enabled, so its keys reach these.
    {"Ctrl+Z", cmd::QuiltUndo},     {"Alt+Backspace", cmd::QuiltUndo}, {"Ctrl+Shift+Z", cmd::QuiltRedo},
};

}  // namespace

std::span<const CommandInfo> Commands() { return kCommands; }

const CommandInfo* FindCommand(int id)
{
    auto it = std::find_if(std::begin(kCommands), std::end(kCommands), [id](const CommandInfo& c) { return c.id == id; });
    return it == std::end(kCommands) ? nullptr : &*it;
}

std::span<const MenuInfo> Menus() { return kMenus; }
std::span<const int> ToolbarButtons() { return kToolbar; }
std::span<const AcceleratorInfo> Accelerators() { return kAccelerators; }

}  // namespace tilvex
