#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "explore/Gallery.h"
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

TEST(Gallery, SameForAnyThreadCountAndEachEntryIsTheQuiltRenderSaves)
{
    std::optional<std::vector<GalleryEntry>> one = MakeGallery(SmallGallery(1));
    std::optional<std::vector<GalleryEntry>> two = MakeGallery(SmallGallery(2));
    ASSERT_TRUE(one && two);
    ASSERT_EQ(one->size(), 6u);
    ASSERT_EQ(two->size(), 6u);
    for (std::size_t i = 0; i < one->size(); ++i) {
        const GalleryEntry &a = (*one)[i], &b = (*two)[i];
        EXPECT_EQ(a.quilt.index, b.quilt.index);
        EXPECT_EQ(a.quilt.session, b.quilt.session) << a.quilt.name;
        EXPECT_EQ(a.thumbnail.pixels, b.thumbnail.pixels) << a.quilt.name;
        EXPECT_EQ(a.score, b.score);
        if (i > 0) {
            EXPECT_GE((*one)[i - 1].score, a.score);
        }
    }

    // Every kind once: the same bytes as the command line's saved session.
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / ("gallery_test-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    std::vector<std::string> kinds;
    for (const GalleryEntry& e : *one) {
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

}  // namespace
}  // namespace tilvex
