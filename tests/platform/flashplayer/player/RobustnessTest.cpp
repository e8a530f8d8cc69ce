// Hostile input: every SWF of the corpus, and a few thousand damaged copies
// (truncations and byte flips of the inflated body), is read and its first frames
// played and drawn. The test passes when nothing crashes, hangs or trips the
// sanitizers; readers may refuse what they cannot read.
#include "Player.h"

#include "Scheduler.h"
#include "swf/Reader.h"

#include <QImage>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

namespace flash {
namespace {

std::vector<uint8_t> readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::vector<std::filesystem::path> corpusMovies()
{
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(TOVRANE_CORPUS_DIR))
        if (entry.is_regular_file() && entry.path().extension() == ".swf")
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

// Reads, plays `frames` frames and draws each into a small view (the whole stage is
// still drawn, scaled down). Returns whether the reader accepted the bytes.
bool playBriefly(const std::vector<uint8_t>& bytes, int frames, int viewSide)
{
    VirtualClock clock;
    PlayerLimits limits;
    limits.maxActionsPerFrame = 20000;
    Player player(&clock, limits);
    if (!player.load(bytes))
        return false;
    player.setViewSize(viewSide, viewSide);
    QImage image(viewSide, viewSide, QImage::Format_ARGB32_Premultiplied);
    for (int f = 0; f < frames; ++f) {
        if (f)
            player.advanceFrame();
        player.render({image.bits(), viewSide, viewSide, int(image.bytesPerLine())});
    }
    player.mouseMove(viewSide / 2, viewSide / 2);
    player.mouseDown(viewSide / 2, viewSide / 2);
    player.mouseUp(viewSide / 2, viewSide / 2);
    return true;
}

// An uncompressed file with the same body, so that damage reaches the tags rather
// than the zlib or LZMA stream.
std::vector<uint8_t> uncompressed(const std::vector<uint8_t>& file)
{
    swf::Result<std::vector<uint8_t>> body = swf::decompressBody(file);
    if (!body.ok() || file.size() < 8)
        return file;
    std::vector<uint8_t> out{'F', 'W', 'S', file[3], 0, 0, 0, 0};
    const uint32_t length = static_cast<uint32_t>(body->size() + 8);
    for (int i = 0; i < 4; ++i)
        out[4 + i] = uint8_t(length >> (8 * i));
    out.insert(out.end(), body->begin(), body->end());
    return out;
}

TEST(Robustness, EveryCorpusMovieReadsAndDraws)
{
    const auto files = corpusMovies();
    ASSERT_GT(files.size(), 100u);
    int accepted = 0;
    for (const auto& path : files)
        accepted += playBriefly(readFile(path), 3, 160);
    std::printf("%d of %zu corpus movies accepted\n", accepted, files.size());
    EXPECT_GT(accepted, int(files.size()) * 3 / 4);
}

TEST(Robustness, DamagedMoviesNeverCrash)
{
    std::vector<std::vector<uint8_t>> seeds;
    for (const auto& path : corpusMovies()) {
        if (std::filesystem::file_size(path) > 60000)
            continue;   // keep the run short: small movies cover the tag readers as well
        seeds.push_back(uncompressed(readFile(path)));
    }
    ASSERT_FALSE(seeds.empty());
    std::mt19937 random(20261210);
    constexpr int kMutants = 3000;
    int accepted = 0;
    for (int i = 0; i < kMutants; ++i) {
        std::vector<uint8_t> bytes = seeds[random() % seeds.size()];
        if (bytes.size() < 16)
            continue;
        if (i % 3 == 0) {
            bytes.resize(8 + random() % (bytes.size() - 8));   // truncated
        } else {
            const int flips = 1 + random() % 8;
            for (int k = 0; k < flips; ++k) {
                const size_t at = 8 + random() % (bytes.size() - 8);
                bytes[at] = (i % 3 == 1) ? uint8_t(random()) : uint8_t(bytes[at] ^ (1u << (random() % 8)));
            }
        }
        accepted += playBriefly(bytes, 2, 48);
    }
    std::printf("%d of %d damaged movies still read\n", accepted, kMutants);
    SUCCEED();
}

}  // namespace
}  // namespace flash
