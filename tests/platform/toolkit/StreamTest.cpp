#include "Exceptions.h"
#include "SaveFile.h"
#include "Stream.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

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

TEST(StreamTest, SavesKeepLinksDevicesAndOtherFilesAsTheyAre)
{
    const fs::path dir = tempDir() / "special";
    fs::create_directories(dir);
    auto write = [](const fs::path& target, const std::string& text) {
        WriteFileSafely(target.string(), [&](TStream& s) { s.WriteBuffer(text.data(), text.size()); });
    };
    auto onlyThese = [&](std::set<std::string> names) {
        std::set<std::string> found;
        for (auto& entry : fs::directory_iterator(dir))
            found.insert(entry.path().filename().string());
        EXPECT_EQ(found, names);
    };

    // A symbolic link stays a link; the file it names gets the content, also when it
    // does not exist yet.
    write(dir / "real.gif", "old");
    fs::create_symlink("real.gif", dir / "link.gif");
    write(dir / "link.gif", "new");
    EXPECT_TRUE(fs::is_symlink(dir / "link.gif"));
    EXPECT_EQ(readAll(dir / "real.gif"), "new");
    fs::create_symlink("later.gif", dir / "dangling.gif");
    write(dir / "dangling.gif", "made");
    EXPECT_TRUE(fs::is_symlink(dir / "dangling.gif"));
    EXPECT_EQ(readAll(dir / "later.gif"), "made");

    // Devices are written where they are: the null device takes everything, the full
    // one refuses with the reason in words, and neither is replaced by a file.
    ASSERT_EQ(::mknod((dir / "null").c_str(), S_IFCHR | 0666, makedev(1, 3)), 0) << std::strerror(errno);
    ASSERT_EQ(::mknod((dir / "full").c_str(), S_IFCHR | 0666, makedev(1, 7)), 0) << std::strerror(errno);
    write(dir / "null", "gone");
    try {
        write(dir / "full", std::string(1 << 16, 'x'));
        ADD_FAILURE() << "a full device took the bytes";
    } catch (const EWriteError& e) {
        EXPECT_NE(std::string(e.what()).find("No space left on device"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find((dir / "full").string()), std::string::npos) << e.what();
    }
    struct stat st {};
    ASSERT_EQ(::stat((dir / "null").c_str(), &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));

    // A FIFO is refused at once, without waiting for a reader; a folder is never
    // replaced.
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0666), 0);
    fs::create_directories(dir / "folder.gif");
    for (const char* name : {"fifo", "folder.gif"}) {
        try {
            write(dir / name, "x");
            ADD_FAILURE() << name << " was written";
        } catch (const EStreamError& e) {
            EXPECT_NE(std::string(e.what()).find(name), std::string::npos) << e.what();
        }
        EXPECT_FALSE(fs::is_regular_file(dir / name));
    }

    // The longest name a folder allows still saves: the temporary name is shortened.
    const std::string longest(255, 'n');
    write(dir / longest, "long");
    EXPECT_EQ(readAll(dir / longest), "long");
    onlyThese({"real.gif", "link.gif", "later.gif", "dangling.gif", "null", "full", "fifo", "folder.gif", longest});
    fs::remove_all(tempDir());
}

TEST(StreamTest, SignalsRemoveTheSaveUnderWayAndSizeLimitsFailTheWrite)
{
    const fs::path dir = tempDir() / "signals";
    fs::create_directories(dir);
    struct Row {
        int signal;
        int exitCode;
    } rows[] = {{SIGINT, 130}, {SIGTERM, 143}, {SIGHUP, 129}};
    for (const Row& row : rows) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            RemoveTemporaryFilesOnSignals();
            SaveFile file((dir / "out.avi").string());
            file.Stream().WriteBuffer("frames", 6);
            file.Stream().Flush();
            std::raise(row.signal);
            std::_Exit(0);  // not reached
        }
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status)) << row.signal;
        EXPECT_EQ(WEXITSTATUS(status), row.exitCode);
        EXPECT_TRUE(fs::is_empty(dir)) << "temporary file left behind after signal " << row.signal;
    }
    // Beyond the file-size limit the write fails with a reason instead of a kill.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        rlimit limit{4096, 4096};
        setrlimit(RLIMIT_FSIZE, &limit);
        RemoveTemporaryFilesOnSignals();
        try {
            WriteFileSafely((dir / "big.avi").string(), [](TStream& s) {
                const std::string block(1 << 14, 'x');
                s.WriteBuffer(block.data(), block.size());
            });
        } catch (const EStreamError& e) {
            std::_Exit(std::string(e.what()).find("File too large") != std::string::npos ? 0 : 3);
        }
        std::_Exit(4);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_TRUE(fs::is_empty(dir));
    fs::remove_all(tempDir());
}

TEST(StreamTest, FileStreamReportsMissingFilesAndFolders)
{
    EXPECT_THROW(TFileStream("/nonexistent-dir/x", TFileMode::fmOpenRead), EFOpenError);
    EXPECT_THROW(TFileStream("/nonexistent-dir/x", TFileMode::fmCreate), EFCreateError);
    EXPECT_THROW(SaveFile("/nonexistent-dir/x"), EFCreateError);
}
