// Writes a file through a temporary file beside it, renamed over the target only when
// the whole content was written: a failed save never damages or empties the file the
// user already had.
#pragma once

#include "Stream.h"

#include <functional>
#include <memory>
#include <string>

class SaveFile {
public:
    // Creates the temporary file; raises EFCreateError when the folder refuses it.
    explicit SaveFile(std::string target);
    ~SaveFile();  // removes the temporary file unless committed
    SaveFile(const SaveFile&) = delete;
    SaveFile& operator=(const SaveFile&) = delete;

    TFileStream& Stream() { return *m_stream; }
    // Flushes, closes and renames over the target; raises EWriteError on failure.
    void Commit();
    const std::string& TemporaryName() const { return m_tempName; }

private:
    std::string m_target;
    std::string m_tempName;
    std::unique_ptr<TFileStream> m_stream;
    bool m_committed = false;
};

// Runs write on a temporary stream and commits it to target when write returns.
void WriteFileSafely(const std::string& target, const std::function<void(TStream&)>& write);
