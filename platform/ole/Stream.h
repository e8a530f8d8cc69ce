// IStream and the memory blocks and memory streams the embedding code passes around:
// persisted control state is saved into a growable block and loaded from one, and
// fetched movie bytes reach the control as a stream over a copy of them.
#pragma once

#include "Unknown.h"

#include <cstddef>
#include <vector>

using ULARGE_INTEGER = uint64_t;
using LARGE_INTEGER = int64_t;

enum STREAM_SEEK : DWORD { STREAM_SEEK_SET = 0, STREAM_SEEK_CUR = 1, STREAM_SEEK_END = 2 };
enum STATFLAG : DWORD { STATFLAG_DEFAULT = 0, STATFLAG_NONAME = 1 };
enum STGTY : DWORD { STGTY_STREAM = 2 };

struct STATSTG {
    DWORD type = 0;
    ULARGE_INTEGER cbSize = 0;
    DWORD grfMode = 0;
};

struct ISequentialStream : IUnknown {
    static constexpr IID kIid = MakeGuid("0C733A30-2A1C-11CE-ADE5-00AA0044773D");
    using Base = IUnknown;
    // Reads up to cb bytes; S_FALSE when fewer than cb were available.
    virtual HRESULT Read(void* pv, ULONG cb, ULONG* pcbRead) = 0;
    virtual HRESULT Write(const void* pv, ULONG cb, ULONG* pcbWritten) = 0;
};

struct IStream : ISequentialStream {
    static constexpr IID kIid = MakeGuid("0000000C-0000-0000-C000-000000000046");
    using Base = ISequentialStream;
    virtual HRESULT Seek(LARGE_INTEGER dlibMove, DWORD dwOrigin, ULARGE_INTEGER* plibNewPosition) = 0;
    virtual HRESULT SetSize(ULARGE_INTEGER libNewSize) = 0;
    virtual HRESULT CopyTo(IStream* pstm, ULARGE_INTEGER cb, ULARGE_INTEGER* pcbRead, ULARGE_INTEGER* pcbWritten) = 0;
    virtual HRESULT Commit(DWORD grfCommitFlags) = 0;
    virtual HRESULT Revert() = 0;
    virtual HRESULT LockRegion(ULARGE_INTEGER libOffset, ULARGE_INTEGER cb, DWORD dwLockType) = 0;
    virtual HRESULT UnlockRegion(ULARGE_INTEGER libOffset, ULARGE_INTEGER cb, DWORD dwLockType) = 0;
    virtual HRESULT Stat(STATSTG* pstatstg, DWORD grfStatFlag) = 0;
    virtual HRESULT Clone(IStream** ppstm) = 0;
};
inline constexpr const IID& IID_IStream = IStream::kIid;

// A movable memory block: the stand-in for a global memory handle. Blocks are plain
// heap objects; GlobalFree frees one.
struct GlobalBlock {
    std::vector<uint8_t> bytes;
};
using HGLOBAL = GlobalBlock*;

// Memory streams refuse to grow beyond this, so a hostile size cannot exhaust memory.
constexpr uint64_t kMaxMemoryStreamSize = uint64_t(1) << 30;

HGLOBAL GlobalAlloc(size_t size);
HGLOBAL GlobalFree(HGLOBAL block);  // returns null, as the platform's does on success
size_t GlobalSize(HGLOBAL block);
void* GlobalLock(HGLOBAL block);
bool GlobalUnlock(HGLOBAL block);

// A stream over a block. With a null block a new empty one is made (and freed with the
// stream); otherwise deleteOnRelease says whether the last Release frees the block. The
// stream reads and writes the block in place and grows it as written.
HRESULT CreateStreamOnHGlobal(HGLOBAL block, bool deleteOnRelease, IStream** stream);
// The block behind a stream made by CreateStreamOnHGlobal.
HRESULT GetHGlobalFromStream(IStream* stream, HGLOBAL* block);
// A stream that owns a copy of the bytes, positioned at its start, freed with its last
// reference: what a fetch hands to a bind-status callback.
ComPtr<IStream> SHCreateMemStream(const BYTE* data, size_t size);

// Reads a whole stream from its current position (at most limit bytes); false when the
// stream fails or is longer than the limit.
bool ReadAllFromStream(IStream* stream, std::vector<uint8_t>& out, uint64_t limit = kMaxMemoryStreamSize);
