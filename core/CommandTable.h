#pragma once

#include <span>
#include <string_view>

namespace tilvex {

// Command identifiers of the menus, toolbar and accelerators.
namespace cmd {
constexpr int RandomNewQuilt = 0x8000;
constexpr int IterationStatus = 0x8001;
constexpr int ChooseQuiltFractal = 0x8002;
constexpr int RebuildView = 0x8003;
constexpr int SaveImagePcx = 0x8005;
constexpr int RandomResetPalette = 0x8007;
constexpr int SaveImageBmp = 0x8009;
constexpr int SetViewPeriod = 0x800A;
constexpr int SelectPaletteColors = 0x800C;
constexpr int UseDetail = 0x800F;
constexpr int CycleDensityPalette = 0x8010;
constexpr int RandomDensityPalette = 0x8012;
constexpr int UseTransformation = 0x8014;
constexpr int SetMapping = 0x8015;
constexpr int SaveImagePng = 0x8016;
// Toggle: rebuild the view about once a second while generating (off by default).
constexpr int AutoRebuild = 0x8020;
// A large true-colour PNG rendered on every core, in the background.
constexpr int ExportStudioImage = 0x8021;
// Toggle: the view paints the grid with the studio's colouring (off by default, remembered).
constexpr int StudioPreview = 0x8022;
// Opens the gallery window: random quilts made in the background, one to pick.
constexpr int ExploreGallery = 0x8023;
// Steps back and forth through the changes of the quilt's definition. The
// specified EditUndo keeps its entry, handled by nobody.
constexpr int QuiltUndo = 0x8024;
constexpr int QuiltRedo = 0x8025;
// Toggle: the dock of every coefficient as a slider, with a progressive preview.
constexpr int ShowParameters = 0x8026;
// Opens the window of eight variations around the current quilt.
constexpr int QuiltVariations = 0x8027;
// A clip from the current quilt to another, rendered and encoded in the background.
constexpr int ExportAnimation = 0x8028;

constexpr int FileNew = 0xE100;
constexpr int FileOpen = 0xE101;
constexpr int FileSave = 0xE103;
constexpr int FileSaveAs = 0xE104;
constexpr int FilePrint = 0xE107;
constexpr int FileMru1 = 0xE110;
constexpr int FileMru4 = 0xE113;
constexpr int EditCopy = 0xE122;
constexpr int EditCut = 0xE123;
constexpr int EditPaste = 0xE125;
constexpr int EditUndo = 0xE12B;
constexpr int AppAbout = 0xE140;
constexpr int AppExit = 0xE141;
constexpr int NextPane = 0xE150;
constexpr int PrevPane = 0xE151;
constexpr int ViewToolbar = 0xE800;
constexpr int ViewStatusBar = 0xE801;

constexpr int Separator = 0;
constexpr int RecentFileCount = 4;
}  // namespace cmd

// Who carries out a command. Routing offers a command to the view, the
// document, the frame and the application, in that order.
enum class CommandHandler { None, View, Document, Frame, Application };

struct CommandInfo {
    int id;
    std::string_view name;      // plain name, used for tool tips
    std::string_view menuText;  // with & mnemonic and \t accelerator text; empty if not in a menu
    std::string_view prompt;    // status-bar prompt; empty: none
    CommandHandler handler;
};

struct MenuInfo {
    std::string_view title;
    std::span<const int> items;  // cmd::Separator between groups
};

struct AcceleratorInfo {
    std::string_view keys;  // portable key text, "Ctrl+N", "Shift+Del"
    int id;
};

namespace ui_text {
constexpr std::string_view IdlePrompt = "Ready";
constexpr std::string_view AppTitle = "TILVEX Windows Application";
constexpr std::string_view WindowTitle = "TILVEX";
constexpr std::string_view DocumentName = "Tilvex";
constexpr std::string_view SessionFilter = "Session (*.qlt)";
constexpr std::string_view SessionExtension = ".qlt";
constexpr std::string_view RecentFilePlaceholder = "Recent File";
constexpr std::string_view RecentFileSection = "Recent File List";
constexpr std::string_view RecentFileKey = "File%d";
constexpr std::string_view KeyIndicators[3] = {"CAP", "NUM", "SCRL"};
}  // namespace ui_text

std::span<const CommandInfo> Commands();
// nullptr for an unknown id. The four recent-file ids share one entry's text.
const CommandInfo* FindCommand(int id);
std::span<const MenuInfo> Menus();
std::span<const int> ToolbarButtons();
std::span<const AcceleratorInfo> Accelerators();

}  // namespace tilvex
