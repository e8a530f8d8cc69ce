#include "SaveFile.h"

#include "Exceptions.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

SaveFile::SaveFile(std::string target) : m_target(std::move(target))
{
    std::vector<char> pattern(m_target.begin(), m_target.end());
    const char suffix[] = ".XXXXXX";
    pattern.insert(pattern.end(), suffix, suffix + sizeof suffix);
    int fd = mkstemp(pattern.data());
    if (fd < 0)
        throw EFCreateError(FormatMessage(toolkit_messages::CreateError, {m_target}) + ": " + std::strerror(errno));
    // mkstemp makes the file private; give it the permissions a plain create would.
    mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    close(fd);
    m_tempName = pattern.data();
    m_stream = std::make_unique<TFileStream>(m_tempName, TFileMode::fmCreate);
}

SaveFile::~SaveFile()
{
    if (!m_committed) {
        m_stream.reset();
        std::remove(m_tempName.c_str());
    }
}

void SaveFile::Commit()
{
    m_stream->Flush();
    m_stream.reset();
    if (std::rename(m_tempName.c_str(), m_target.c_str()) != 0)
        throw EWriteError(FormatMessage(toolkit_messages::CreateError, {m_target}) + ": " + std::strerror(errno));
    m_committed = true;
}

void WriteFileSafely(const std::string& target, const std::function<void(TStream&)>& write)
{
    SaveFile file(target);
    write(file.Stream());
    file.Commit();
}
