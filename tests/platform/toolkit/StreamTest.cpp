#include "Exceptions.h"
#include "SaveFile.h"
#include "Stream.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

fs::path tempDir()
{
    fs::path dir = fs::temp_directory_path() / ("tovrane-stream-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    return dir;
}

std::string readAll(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace

TEST(StreamTest, MemoryStreamReadsWritesAndSeeks)
{
    TMemoryStream s;
    s.WriteDWord(0x04030201);
    s.WriteWord(0x0605);
    EXPECT_EQ(s.Size(), 6);
    s.SetPosition(1);
    uint8_t b[8] = {};
    EXPECT_EQ(s.Read(b, 8), 5u);
    EXPECT_EQ(b[0], 2);
    EXPECT_EQ(b[4], 6);
    s.SetPosition(4);
    EXPECT_THROW(s.ReadBuffer(b, 3), EReadError);
}

TEST(StreamTest, SaveFileReplacesTargetOnlyOnCommit)
{
    fs::path target = tempDir() / "out.bin";
    { std::ofstream(target) << "old"; }

    EXPECT_THROW(WriteFileSafely(target.string(), [](TStream& s) {
        s.WriteBuffer("partial", 7);
        throw EWriteError("disk full");
    }), EWriteError);
    EXPECT_EQ(readAll(target), "old");
    for (auto& entry : fs::directory_iterator(target.parent_path()))
        EXPECT_EQ(entry.path(), target) << "temporary file left behind";

    WriteFileSafely(target.string(), [](TStream& s) { s.WriteBuffer("new", 3); });
    EXPECT_EQ(readAll(target), "new");
    fs::remove_all(target.parent_path());
}

TEST(StreamTest, FileStreamReportsMissingFilesAndFolders)
{
    EXPECT_THROW(TFileStream("/nonexistent-dir/x", TFileMode::fmOpenRead), EFOpenError);
    EXPECT_THROW(TFileStream("/nonexistent-dir/x", TFileMode::fmCreate), EFCreateError);
    EXPECT_THROW(SaveFile("/nonexistent-dir/x"), EFCreateError);
}
