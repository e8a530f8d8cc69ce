// The movie list: movies held in memory under a name, served to the player through
// the "<list>" pseudo-URLs of the bind service.
#pragma once

#include "Persistent.h"
#include "Stream.h"

#include <memory>
#include <string>
#include <vector>

class TsfFlashList;

class TsfFlashStream : public TPersistent {
public:
    std::string ClassName() const override { return "TsfFlashStream"; }

    TMemoryStream& Stream() { return m_stream; }
    std::string StoreName = "(empty)";
    int Tag = 0;
    // "(empty)" while the stream holds nothing, else StoreName.
    std::string FlashStore();
    std::string DisplayName() const { return StoreName; }

    // The stored "FlashStream" record: marker 0 (empty) or 3, name, size, bytes.
    void WriteRecord(TStream& out);
    void ReadRecord(TStream& in);

    void Assign(const TPersistent* source) override;

private:
    TMemoryStream m_stream;
};

class TsfFlashCollection {
public:
    explicit TsfFlashCollection(TsfFlashList& owner) : m_owner(owner) {}
    TsfFlashStream& Add();
    int Count() const { return static_cast<int>(m_items.size()); }
    TsfFlashStream* Items(int i) { return i >= 0 && i < Count() ? m_items[i].get() : nullptr; }
    TsfFlashList& Owner() { return m_owner; }

private:
    TsfFlashList& m_owner;
    std::vector<std::unique_ptr<TsfFlashStream>> m_items;
};

class TsfFlashList {
public:
    TsfFlashList() : m_flashs(*this) {}
    TsfFlashCollection& Flashs() { return m_flashs; }
    // The first item whose FlashStore equals name, ignoring letter case.
    TsfFlashStream* FindFlash(const std::string& name);

private:
    TsfFlashCollection m_flashs;
};
