#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>

#include "explore/BitmapFont.h"
#include "explore/ContactSheet.h"
#include "explore/Gallery.h"
#include "explore/GalleryIndex.h"
#include "explore/ThumbnailFile.h"
#include "studio/PicturePng.h"
#include "explore/QuiltScore.h"

namespace tilvex {
namespace {

GalleryRequest SmallGallery(int threads)
{
    GalleryRequest r;
    r.count = 6;
    r.kind = kAnyKind;
    r.baseSeed = 40;
    r.maxIterations = 150000;
    r.thumbWidth = 32;
    r.threads = threads;
    return r;
}

std::vector<std::uint8_t> ReadAll(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A gallery's records, and every entry it handed on, by index.
struct Made {
    std::optional<std::vector<GalleryRecord>> records;
    std::map<int, GalleryEntry> entries;
};

Made MakeAll(const GalleryRequest& request)
{
    Made made;
    std::mutex lock;
    made.records = MakeGallery(request, [&](const GalleryEntry& e) {
        std::lock_guard hold(lock);
        made.entries.emplace(e.quilt.index, e);
    });
    return made;
}

TEST(Gallery, SameForAnyThreadCountAndEachEntryIsTheQuiltRenderSaves)
{
    const Made one = MakeAll(SmallGallery(1)), two = MakeAll(SmallGallery(2));
    ASSERT_TRUE(one.records && two.records);
    ASSERT_EQ(one.records->size(), 6u);
    ASSERT_EQ(two.records->size(), 6u);
    ASSERT_EQ(one.entries.size(), 6u);
    ASSERT_EQ(two.entries.size(), 6u);
    for (std::size_t i = 0; i < one.records->size(); ++i) {
        const GalleryRecord &a = (*one.records)[i], &b = (*two.records)[i];
        EXPECT_EQ(a.index, b.index);
        EXPECT_EQ(a.score, b.score);
        EXPECT_EQ(a.score, one.entries.at(a.index).score);
        EXPECT_EQ(one.entries.at(a.index).quilt.session, two.entries.at(a.index).quilt.session) << a.name;
        EXPECT_EQ(one.entries.at(a.index).thumbnail.pixels, two.entries.at(a.index).thumbnail.pixels) << a.name;
        if (i > 0) {
            EXPECT_GE((*one.records)[i - 1].score, a.score);
        }
    }

    // Every kind once: the same bytes as the command line's saved session.
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / ("gallery_test-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    std::vector<std::string> kinds;
    for (const auto& [index, e] : one.entries) {
        kinds.push_back(e.quilt.kind);
        const std::filesystem::path saved = dir / (e.quilt.name + ".qlt");
        std::string command = std::string(TILVEX_BIN_DIR) + "/tilvex-cli render --seed " +
                              std::to_string(static_cast<long long>(e.quilt.seed)) + " --kind " + e.quilt.kind +
                              " --max-iterations 150000 --save " + saved.string() + " > /dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        EXPECT_EQ(ReadAll(saved), e.quilt.session) << command;
        EXPECT_EQ(e.quilt.seed, 40 + e.quilt.index);
        EXPECT_EQ(e.quilt.kind, GalleryKind(SmallGallery(1), e.quilt.index));
    }
    std::filesystem::remove_all(dir);
    std::sort(kinds.begin(), kinds.end());
    EXPECT_EQ(std::unique(kinds.begin(), kinds.end()), kinds.end()) << "kind any gives each kind once in six";
}

TEST(Gallery, ScorePutsCollapsedAndEvenQuiltsBelowAStructuredOne)
{
    const int width = 100;
    std::vector<std::uint16_t> collapsed(width * width, 0), even(width * width, 40), structured(width * width);
    for (int k = 0; k < 12; ++k) collapsed[static_cast<std::size_t>(k * 37)] = 5000;
    for (int x = 0; x < width; ++x)
        for (int y = 0; y < width; ++y)  // a bright ridge on a dim ground
            structured[static_cast<std::size_t>(x * width + y)] =
                static_cast<std::uint16_t>(1 + 3000 / (1 + std::abs(x - y) * std::abs(x + y - width)));
    const double structuredScore = QuiltScore(structured);
    EXPECT_GT(structuredScore, 0.3);
    EXPECT_LT(QuiltScore(collapsed), 0.01);
    EXPECT_LT(QuiltScore(even), 0.01);
    EXPECT_EQ(QuiltScore(std::vector<std::uint16_t>(width * width, 0)), 0.0);

    // A real quilt that fills its grid beats the collapsed one.
    GalleryRequest r = SmallGallery(1);
    r.kind = "square";
    r.count = 1;
    std::optional<GalleryQuilt> quilt = MakeGalleryQuilt(0, r);
    ASSERT_TRUE(quilt);
    EXPECT_GT(QuiltScore(quilt->counts), QuiltScore(collapsed));
}

TEST(ContactSheet, NamesNeverOverlapAndNoGalleryMakesAnUnwritableSheet)
{
    // Identical names of the same width as the cell's picture: overlapping ones share pixels.
    const auto labelPixels = [](const std::vector<std::string>& labels) {
        const studio::Rgb8Image sheet =
            ContactSheet(labels, kMinThumbSize, [](int) { return std::optional<studio::Rgb8Image>(); });
        return std::count(sheet.pixels.begin(), sheet.pixels.end(), studio::Rgb8{230, 230, 230});
    };
    EXPECT_EQ(labelPixels({"QQQQQQQQ", "QQQQQQQQ"}), 2 * labelPixels({"QQQQQQQQ"}));

    for (int thumb : {kMinThumbSize, kDefaultThumbWidth, kMaxThumbSize}) {
        const int shown = SheetCount(10000, thumb);
        EXPECT_GE(shown, 1);
        const studio::Rgb8Image square{thumb, thumb, std::vector<studio::Rgb8>(static_cast<std::size_t>(thumb) * thumb)};
        const studio::Rgb8Image sheet = ContactSheet(std::vector<std::string>(shown, std::string(19, 'Q')), thumb,
                                                     [&square](int) { return std::optional(square); });
        EXPECT_LE(std::max(sheet.width, sheet.height), kMaxSheetSide) << thumb;
        EXPECT_LE(static_cast<long long>(sheet.width) * sheet.height, kMaxSheetPixels) << thumb;
    }
    EXPECT_EQ(SheetCount(24, kDefaultThumbWidth), 24);
}

TEST(GalleryFiles, ThumbnailsAndIndexReadBackAndStrangersAreRefused)
{
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / ("gallery_files-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    studio::Rgb8Image picture{3, 2, {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}, {10, 11, 12}, {13, 14, 15}, {16, 17, 18}}};
    ASSERT_EQ(studio::WritePicturePng(picture, 1, (dir / "t.png").string()), "");
    std::string error;
    std::optional<studio::Rgb8Image> back = ReadThumbnailFile((dir / "t.png").string(), 3, error);
    ASSERT_TRUE(back) << error;
    EXPECT_EQ(back->pixels, picture.pixels);
    EXPECT_FALSE(ReadThumbnailFile((dir / "t.png").string(), 2, error));
    EXPECT_FALSE(ReadThumbnailFile(dir.string(), 3, error));
    std::filesystem::remove_all(dir);

    const GalleryIndexEntry entry{"Qs1", "square", 7, 0.5, 99, "Qs1.qlt", "Qs1.png", "tilvex-cli render --seed 7"};
    std::optional<std::vector<GalleryIndexEntry>> read = ParseGalleryIndex(GalleryIndexText({entry, entry}), error);
    ASSERT_TRUE(read) << error;
    ASSERT_EQ(read->size(), 2u);
    EXPECT_EQ((*read)[1].session, "Qs1.qlt");
    EXPECT_EQ((*read)[1].seed, 7.0);
    // The files an index names are replaced or removed later: none may lie outside the folder.
    for (const char* session : {"../Qs1.qlt", "/etc/Qs1.qlt", ".qlt", "Qs1.png"}) {
        GalleryIndexEntry stranger = entry;
        stranger.session = session;
        EXPECT_FALSE(ParseGalleryIndex(GalleryIndexText({stranger}), error)) << session;
    }
    for (const char* text : {"", "{}", "[1]", "[{\"name\": \"Qs1\"}]"}) EXPECT_FALSE(ParseGalleryIndex(text, error)) << text;
}

}  // namespace
}  // namespace tilvex
