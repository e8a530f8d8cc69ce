#include "SaveFile.h"

#include "Exceptions.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string createError(const std::string& target, const std::string& why)
{
    return FormatMessage(toolkit_messages::CreateError, {target}) + ": " + why;
}

// The temporary files of the saves under way, kept where a signal handler may read
// them: fixed slots of plain characters.
constexpr size_t kSlots = 16;
struct Slot {
    std::atomic<bool> used{false};
    char path[PATH_MAX + 1] = {};
};
std::array<Slot, kSlots> g_slots;

int remember(const std::string& path)
{
    if (path.size() > PATH_MAX)
        return -1;
    for (size_t i = 0; i < kSlots; ++i) {
        bool expected = false;
        if (g_slots[i].used.compare_exchange_strong(expected, true)) {
            std::memcpy(g_slots[i].path, path.c_str(), path.size() + 1);
            return int(i);
        }
    }
    return -1;  // more saves at once than slots: that one is not cleaned on a signal
}

void forget(int slot)
{
    if (slot >= 0)
        g_slots[size_t(slot)].used.store(false);
}

extern "C" void removeAndExit(int signal)
{
    for (Slot& slot : g_slots)
        if (slot.used.load())
            ::unlink(slot.path);
    ::_exit(128 + signal);
}

// The file a save ends in: a symbolic link is followed to the file it names (which may
// not exist yet), so that the link itself stays.
std::string resolvedTarget(const std::string& target)
{
    fs::path path(target);
    std::error_code ec;
    for (int hops = 0; hops < 40 && fs::is_symlink(fs::symlink_status(path, ec)); ++hops) {
        const fs::path next = fs::read_symlink(path, ec);
        if (ec)
            break;
        path = (next.is_absolute() ? next : path.parent_path() / next).lexically_normal();
    }
    return path.string();
}

// "DIR/.NAME.XXXXXX", the name shortened so that the whole fits the folder's limit.
std::string temporaryPattern(const std::string& target)
{
    const fs::path path(target);
    const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
    long limit = ::pathconf(folder.c_str(), _PC_NAME_MAX);
    if (limit <= 0)
        limit = NAME_MAX;
    std::string name = path.filename().string();
    const size_t room = size_t(limit) - std::strlen(".") - std::strlen(".XXXXXX");
    if (name.size() > room) {
        name.resize(room);
        while (!name.empty() && (static_cast<unsigned char>(name.back()) & 0xC0) == 0x80)
            name.pop_back();  // never cut a UTF-8 character in two
        if (!name.empty() && static_cast<unsigned char>(name.back()) >= 0xC0)
            name.pop_back();
    }
    return (path.has_parent_path() ? path.parent_path() / ("." + name) : fs::path("." + name)).string() + ".XXXXXX";
}

} // namespace

SaveFile::SaveFile(std::string target) : m_target(resolvedTarget(target))
{
    struct stat st {};
    // A folder fails where the file would replace it, as any name the folder refuses.
    if (::stat(m_target.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)) {
        if (!S_ISCHR(st.st_mode))
            throw EFCreateError(createError(target, "it is not a regular file"));
        // A device takes the bytes where it is; it cannot be replaced by a file.
        m_stream = std::make_unique<TFileStream>(m_target, TFileMode::fmOpenReadWrite);
        return;
    }
    std::string pattern = temporaryPattern(m_target);
    int fd = mkstemp(pattern.data());
    if (fd < 0)
        throw EFCreateError(createError(target, std::strerror(errno)));
    // mkstemp makes the file private; give it the permissions a plain create would,
    // or those of the file it replaces.
    mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, ::stat(m_target.c_str(), &st) == 0 ? (st.st_mode & 07777) : (0666 & ~mask));
    close(fd);
    m_tempName = pattern;
    m_slot = remember(m_tempName);
    try {
        m_stream = std::make_unique<TFileStream>(m_tempName, TFileMode::fmCreate);
    } catch (...) {
        std::remove(m_tempName.c_str());
        forget(m_slot);
        throw;
    }
}

SaveFile::~SaveFile()
{
    if (!m_committed) {
        m_stream.reset();
        if (!m_tempName.empty())
            std::remove(m_tempName.c_str());
    }
    forget(m_slot);
}

void SaveFile::Commit()
{
    m_stream->Flush();
    m_stream.reset();
    if (!m_tempName.empty() && std::rename(m_tempName.c_str(), m_target.c_str()) != 0)
        throw EWriteError(createError(m_target, std::strerror(errno)));
    m_committed = true;
}

void WriteFileSafely(const std::string& target, const std::function<void(TStream&)>& write)
{
    SaveFile file(target);
    write(file.Stream());
    file.Commit();
}

void RemoveTemporaryFilesOnSignals()
{
    struct sigaction action {};
    action.sa_handler = removeAndExit;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);
    std::signal(SIGXFSZ, SIG_IGN);
}
