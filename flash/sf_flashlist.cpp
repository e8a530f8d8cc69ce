#include "sf_flashlist.h"

#include "Exceptions.h"
#include "sf_utils.h"

namespace {

// A record's sizes come from stored data: refuse what cannot be a movie of ours.
constexpr uint32_t kMaxNameLength = 1 << 16;
constexpr uint32_t kMaxMovieBytes = 1u << 30;

uint32_t readLength(TStream& in)
{
    uint8_t b[4];
    in.ReadBuffer(b, 4);
    return b[0] | (b[1] << 8) | (b[2] << 16) | (uint32_t(b[3]) << 24);
}

} // namespace

std::string TsfFlashStream::FlashStore() { return m_stream.Size() == 0 ? "(empty)" : StoreName; }

void TsfFlashStream::WriteRecord(TStream& out)
{
    if (m_stream.Size() == 0) {
        out.WriteByte(0);
        return;
    }
    out.WriteByte(3);
    out.WriteDWord(static_cast<uint32_t>(StoreName.size()));
    out.WriteBuffer(StoreName.data(), StoreName.size());
    out.WriteDWord(static_cast<uint32_t>(m_stream.Size()));
    out.WriteBuffer(m_stream.Memory(), static_cast<size_t>(m_stream.Size()));
}

void TsfFlashStream::ReadRecord(TStream& in)
{
    uint8_t marker = 0;
    in.ReadBuffer(&marker, 1);
    if (marker != 2 && marker != 3)
        return;
    uint32_t nameLength = readLength(in);
    if (nameLength > kMaxNameLength || nameLength > in.Size() - in.Position())
        throw EReadError(toolkit_messages::ReadError);
    std::string name(nameLength, '\0');
    in.ReadBuffer(name.data(), nameLength);
    uint32_t size = readLength(in);
    if (size > kMaxMovieBytes || size > in.Size() - in.Position())
        throw EReadError(toolkit_messages::ReadError);
    std::vector<uint8_t> bytes(size);
    in.ReadBuffer(bytes.data(), size);
    StoreName = name;
    m_stream = TMemoryStream(std::move(bytes));
}

void TsfFlashStream::Assign(const TPersistent* source) { AssignError(source); }

TsfFlashStream& TsfFlashCollection::Add()
{
    m_items.push_back(std::make_unique<TsfFlashStream>());
    return *m_items.back();
}

TsfFlashStream* TsfFlashList::FindFlash(const std::string& name)
{
    std::string wanted = sf_utils::Lower(name);
    for (int i = 0; i < m_flashs.Count(); ++i)
        if (sf_utils::Lower(m_flashs.Items(i)->FlashStore()) == wanted)
            return m_flashs.Items(i);
    return nullptr;
}
