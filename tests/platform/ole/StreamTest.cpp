#include "Stream.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {
ComPtr<IStream> newStream(HGLOBAL block = nullptr, bool deleteOnRelease = true)
{
    ComPtr<IStream> s;
    EXPECT_EQ(CreateStreamOnHGlobal(block, deleteOnRelease, s.put()), S_OK);
    return s;
}

uint64_t seek(IStream* s, int64_t move, DWORD origin)
{
    ULARGE_INTEGER pos = 0;
    EXPECT_EQ(s->Seek(move, origin, &pos), S_OK);
    return pos;
}
}

TEST(MemoryStream, WritesReadsAndSeeksLikeAFile)
{
    auto s = newStream();
    ULONG n = 0;
    ASSERT_EQ(s->Write("abcdef", 6, &n), S_OK);
    EXPECT_EQ(n, 6u);
    EXPECT_EQ(seek(s.get(), 0, STREAM_SEEK_CUR), 6u);
    EXPECT_EQ(seek(s.get(), -4, STREAM_SEEK_END), 2u);
    char buf[8] = {};
    ASSERT_EQ(s->Read(buf, 3, &n), S_OK);
    EXPECT_EQ(std::string(buf, n), "cde");
    // A short read answers S_FALSE and says how much it gave.
    EXPECT_EQ(s->Read(buf, 8, &n), S_FALSE);
    EXPECT_EQ(n, 1u);
    EXPECT_EQ(buf[0], 'f');
    EXPECT_EQ(s->Read(buf, 8, &n), S_FALSE);
    EXPECT_EQ(n, 0u);
    // Writing past the end fills the gap with zeros.
    EXPECT_EQ(seek(s.get(), 8, STREAM_SEEK_SET), 8u);
    ASSERT_EQ(s->Write("z", 1, nullptr), S_OK);
    STATSTG stat;
    ASSERT_EQ(s->Stat(&stat, STATFLAG_NONAME), S_OK);
    EXPECT_EQ(stat.cbSize, 9u);
    seek(s.get(), 6, STREAM_SEEK_SET);
    ASSERT_EQ(s->Read(buf, 3, &n), S_OK);
    EXPECT_EQ(std::memcmp(buf, "\0\0z", 3), 0);
}

TEST(MemoryStream, RefusesPositionsBeforeTheStartAndBeyondTheLimit)
{
    auto s = newStream();
    s->Write("ab", 2, nullptr);
    ULARGE_INTEGER pos = 77;
    EXPECT_EQ(s->Seek(-3, STREAM_SEEK_END, &pos), STG_E_INVALIDFUNCTION);
    EXPECT_EQ(pos, 77u);
    EXPECT_EQ(s->Seek(INT64_MIN, STREAM_SEEK_CUR, nullptr), STG_E_INVALIDFUNCTION);
    EXPECT_EQ(s->Seek(0, 7, nullptr), STG_E_INVALIDFUNCTION);
    EXPECT_EQ(s->SetSize(kMaxMemoryStreamSize + 1), STG_E_MEDIUMFULL);
    EXPECT_EQ(s->Seek(int64_t(kMaxMemoryStreamSize), STREAM_SEEK_SET, nullptr), S_OK);
    ULONG n = 5;
    EXPECT_EQ(s->Write("x", 1, &n), STG_E_MEDIUMFULL);
    EXPECT_EQ(n, 0u);
}

TEST(MemoryStream, StreamOverACallersBlockLeavesItAlive)
{
    HGLOBAL block = GlobalAlloc(4);
    std::memcpy(GlobalLock(block), "DATA", 4);
    {
        auto s = newStream(block, false);
        char buf[4];
        ULONG n = 0;
        ASSERT_EQ(s->Read(buf, 4, &n), S_OK);
        EXPECT_EQ(std::string(buf, 4), "DATA");
        s->Write("++", 2, nullptr);
        HGLOBAL behind = nullptr;
        ASSERT_EQ(GetHGlobalFromStream(s.get(), &behind), S_OK);
        EXPECT_EQ(behind, block);
    }
    // The block outlived the stream and holds what was written through it.
    ASSERT_EQ(GlobalSize(block), 6u);
    EXPECT_EQ(std::memcmp(GlobalLock(block), "DATA++", 6), 0);
    EXPECT_EQ(GlobalFree(block), nullptr);
}

TEST(MemoryStream, CloneSharesBytesButNotPosition)
{
    auto s = newStream();
    s->Write("0123", 4, nullptr);
    seek(s.get(), 1, STREAM_SEEK_SET);
    ComPtr<IStream> clone;
    ASSERT_EQ(s->Clone(clone.put()), S_OK);
    char c = 0;
    clone->Read(&c, 1, nullptr);
    EXPECT_EQ(c, '1');
    seek(s.get(), 3, STREAM_SEEK_SET);
    s->Write("X", 1, nullptr);
    seek(clone.get(), 3, STREAM_SEEK_SET);
    clone->Read(&c, 1, nullptr);
    EXPECT_EQ(c, 'X');
    s.reset();
    // The clone keeps the bytes alive after the original stream is gone.
    seek(clone.get(), 0, STREAM_SEEK_SET);
    clone->Read(&c, 1, nullptr);
    EXPECT_EQ(c, '0');
}

TEST(MemoryStream, OwnedCopyAndCopyToAndReadAll)
{
    std::vector<uint8_t> source{1, 2, 3, 4, 5};
    auto s = SHCreateMemStream(source.data(), source.size());
    ASSERT_TRUE(s);
    source[0] = 9;  // the stream holds a copy
    auto target = newStream();
    ULARGE_INTEGER read = 0, written = 0;
    ASSERT_EQ(s->CopyTo(target.get(), 3, &read, &written), S_OK);
    EXPECT_EQ(read, 3u);
    EXPECT_EQ(written, 3u);
    std::vector<uint8_t> rest;
    ASSERT_TRUE(ReadAllFromStream(s.get(), rest));
    EXPECT_EQ(rest, (std::vector<uint8_t>{4, 5}));
    seek(target.get(), 0, STREAM_SEEK_SET);
    std::vector<uint8_t> copied;
    ASSERT_TRUE(ReadAllFromStream(target.get(), copied));
    EXPECT_EQ(copied, (std::vector<uint8_t>{1, 2, 3}));
    seek(target.get(), 0, STREAM_SEEK_SET);
    EXPECT_FALSE(ReadAllFromStream(target.get(), copied, 2));  // longer than the limit
    EXPECT_FALSE(SHCreateMemStream(nullptr, 4));
}
