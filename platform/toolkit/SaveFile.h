// Writes a file through a temporary file beside it, renamed over the target only when
// the whole content was written: a failed save never damages or empties the file the
// user already had. A symbolic link keeps being a link (its target gets the content),
// a character device such as /dev/null is written in place, and a FIFO, a socket or a
// block device is refused.
#pragma once

#include "Stream.h"

#include <functional>
#include <memory>
#include <string>

class SaveFile {
public:
    // Creates the temporary file; raises EFCreateError when the folder refuses it or
    // the target is not something a file can be written to.
    explicit SaveFile(std::string target);
    ~SaveFile();  // removes the temporary file unless committed
    SaveFile(const SaveFile&) = delete;
    SaveFile& operator=(const SaveFile&) = delete;

    TFileStream& Stream() { return *m_stream; }
    // Flushes, closes and renames over the target; raises EWriteError on failure.
    void Commit();
    // Empty when the target is written in place.
    const std::string& TemporaryName() const { return m_tempName; }

private:
    std::string m_target;  // the file the content ends up in (a link's target)
    std::string m_tempName;
    std::unique_ptr<TFileStream> m_stream;
    bool m_committed = false;
    int m_slot = -1;  // where a signal finds the temporary file
};

// Runs write on a temporary stream and commits it to target when write returns.
void WriteFileSafely(const std::string& target, const std::function<void(TStream&)>& write);

// For programs that save: SIGINT, SIGTERM and SIGHUP remove the temporary files of the
// saves under way and end the program with 128 + the signal's number; SIGXFSZ is
// ignored, so a file-size limit fails the write with "File too large" instead of
// killing the program.
void RemoveTemporaryFilesOnSignals();
