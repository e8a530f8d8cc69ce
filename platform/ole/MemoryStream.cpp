#include "Stream.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace {
// The bytes may belong to the stream (owned), to a block the caller keeps, or be
// shared by a clone; a shared_ptr with the right deleter covers all three.
class MemoryStream final : public ComObject<IStream> {
public:
    MemoryStream(std::shared_ptr<GlobalBlock> block, uint64_t position = 0)
        : m_block(std::move(block)), m_position(position) {}

    GlobalBlock* block() const { return m_block.get(); }

    HRESULT Read(void* pv, ULONG cb, ULONG* pcbRead) override
    {
        if (!pv && cb)
            return STG_E_INVALIDPOINTER;
        const auto& bytes = m_block->bytes;
        uint64_t available = m_position < bytes.size() ? bytes.size() - m_position : 0;
        ULONG n = ULONG(std::min<uint64_t>(cb, available));
        if (n)
            std::memcpy(pv, bytes.data() + m_position, n);
        m_position += n;
        if (pcbRead)
            *pcbRead = n;
        return n == cb ? S_OK : S_FALSE;
    }

    HRESULT Write(const void* pv, ULONG cb, ULONG* pcbWritten) override
    {
        if (pcbWritten)
            *pcbWritten = 0;
        if (!pv && cb)
            return STG_E_INVALIDPOINTER;
        uint64_t end = m_position + cb;
        if (end > kMaxMemoryStreamSize)
            return STG_E_MEDIUMFULL;
        auto& bytes = m_block->bytes;
        if (end > bytes.size())
            bytes.resize(size_t(end));
        if (cb)
            std::memcpy(bytes.data() + m_position, pv, cb);
        m_position = end;
        if (pcbWritten)
            *pcbWritten = cb;
        return S_OK;
    }

    HRESULT Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* newPosition) override
    {
        int64_t base;
        switch (origin) {
        case STREAM_SEEK_SET: base = 0; break;
        case STREAM_SEEK_CUR: base = int64_t(m_position); break;
        case STREAM_SEEK_END: base = int64_t(m_block->bytes.size()); break;
        default: return STG_E_INVALIDFUNCTION;
        }
        // Positions before the start are refused; beyond the end is allowed (a later
        // write fills the gap with zeros), up to the size limit.
        if ((move < 0 && (move < -base)) || (move > 0 && uint64_t(base) + uint64_t(move) > kMaxMemoryStreamSize))
            return STG_E_INVALIDFUNCTION;
        m_position = uint64_t(base + move);
        if (newPosition)
            *newPosition = m_position;
        return S_OK;
    }

    HRESULT SetSize(ULARGE_INTEGER size) override
    {
        if (size > kMaxMemoryStreamSize)
            return STG_E_MEDIUMFULL;
        m_block->bytes.resize(size_t(size));
        return S_OK;
    }

    HRESULT CopyTo(IStream* target, ULARGE_INTEGER cb, ULARGE_INTEGER* pcbRead, ULARGE_INTEGER* pcbWritten) override
    {
        if (!target)
            return STG_E_INVALIDPOINTER;
        const auto& bytes = m_block->bytes;
        uint64_t available = m_position < bytes.size() ? bytes.size() - m_position : 0;
        uint64_t n = std::min<uint64_t>(cb, available);
        // Copy out first: the target may be this very stream.
        std::vector<uint8_t> chunk(bytes.begin() + ptrdiff_t(m_position), bytes.begin() + ptrdiff_t(m_position + n));
        m_position += n;
        ULONG written = 0;
        HRESULT hr = target->Write(chunk.data(), ULONG(chunk.size()), &written);
        if (pcbRead)
            *pcbRead = n;
        if (pcbWritten)
            *pcbWritten = written;
        return hr;
    }

    HRESULT Commit(DWORD) override { return S_OK; }
    HRESULT Revert() override { return S_OK; }
    HRESULT LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return STG_E_INVALIDFUNCTION; }
    HRESULT UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return STG_E_INVALIDFUNCTION; }

    HRESULT Stat(STATSTG* stat, DWORD) override
    {
        if (!stat)
            return STG_E_INVALIDPOINTER;
        stat->type = STGTY_STREAM;
        stat->cbSize = m_block->bytes.size();
        stat->grfMode = 0;
        return S_OK;
    }

    HRESULT Clone(IStream** out) override
    {
        if (!out)
            return STG_E_INVALIDPOINTER;
        return MakeCom<MemoryStream>(m_block, m_position).copyTo(out);
    }

private:
    std::shared_ptr<GlobalBlock> m_block;
    uint64_t m_position = 0;
};
}

HGLOBAL GlobalAlloc(size_t size)
{
    if (size > kMaxMemoryStreamSize)
        return nullptr;
    auto* block = new GlobalBlock;
    block->bytes.resize(size);
    return block;
}

HGLOBAL GlobalFree(HGLOBAL block)
{
    delete block;
    return nullptr;
}

size_t GlobalSize(HGLOBAL block)
{
    return block ? block->bytes.size() : 0;
}

void* GlobalLock(HGLOBAL block)
{
    return block ? block->bytes.data() : nullptr;
}

bool GlobalUnlock(HGLOBAL)
{
    return false;  // no lock count is kept; the platform answers false when unlocked
}

HRESULT CreateStreamOnHGlobal(HGLOBAL block, bool deleteOnRelease, IStream** stream)
{
    if (!stream)
        return E_INVALIDARG;
    std::shared_ptr<GlobalBlock> owner;
    if (!block)
        owner = std::make_shared<GlobalBlock>();
    else if (deleteOnRelease)
        owner = std::shared_ptr<GlobalBlock>(block);
    else
        owner = std::shared_ptr<GlobalBlock>(block, [](GlobalBlock*) {});
    return MakeCom<MemoryStream>(std::move(owner)).copyTo(stream);
}

HRESULT GetHGlobalFromStream(IStream* stream, HGLOBAL* block)
{
    if (!stream || !block)
        return E_INVALIDARG;
    // Only our own memory streams have a block; recognise them by their type.
    auto* memory = dynamic_cast<MemoryStream*>(stream);
    if (!memory)
        return E_INVALIDARG;
    *block = memory->block();
    return S_OK;
}

ComPtr<IStream> SHCreateMemStream(const BYTE* data, size_t size)
{
    if (size > kMaxMemoryStreamSize || (!data && size))
        return nullptr;
    auto block = std::make_shared<GlobalBlock>();
    block->bytes.assign(data, data + size);
    return MakeCom<MemoryStream>(std::move(block));
}

bool ReadAllFromStream(IStream* stream, std::vector<uint8_t>& out, uint64_t limit)
{
    out.clear();
    if (!stream)
        return false;
    uint8_t chunk[64 * 1024];
    for (;;) {
        ULONG got = 0;
        HRESULT hr = stream->Read(chunk, sizeof chunk, &got);
        if (FAILED(hr))
            return false;
        if (out.size() + got > limit)
            return false;
        out.insert(out.end(), chunk, chunk + got);
        if (got < sizeof chunk)
            return true;
    }
}
