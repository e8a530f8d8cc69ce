#include "AviWriter.h"

#include "AviMessages.h"
#include "AviSave.h"
#include "Exceptions.h"

#include <algorithm>

void TBitmapList::Pack()
{
    m_items.erase(std::remove(m_items.begin(), m_items.end(), nullptr), m_items.end());
}

TAviWriter::TAviWriter(int screenWidth, int screenHeight) : m_height(screenHeight / 10), m_width(screenWidth / 10) {}

namespace {

bool equalIgnoringAsciiCase(const std::string& a, const std::string& b)
{
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

// From the last '.' after the last path separator, dot included; empty without one.
std::string extensionOf(const std::string& name)
{
    size_t dot = name.find_last_of('.');
    size_t separator = name.find_last_of("/\\:");
    if (dot == std::string::npos || (separator != std::string::npos && separator > dot))
        return {};
    return name.substr(dot);
}

} // namespace

void TAviWriter::SetWavFileName(const std::string& value)
{
    if (equalIgnoringAsciiCase(value, m_wavFileName))
        return;
    if (!equalIgnoringAsciiCase(extensionOf(value), ".wav"))
        throw Exception(avi_messages::WavExtension);
    m_wavFileName = value;
}

void TAviWriter::WriteAvi()
{
    // The list is checked before any file is touched.
    if (m_bitmaps.Count() < 1)
        throw Exception(avi_messages::NoBitmaps);
    for (int i = 0; i < m_bitmaps.Count(); ++i) {
        if (m_bitmaps[i] == nullptr)
            throw Exception(std::string(avi_messages::NotABitmapBefore) + std::to_string(i) + avi_messages::NotABitmapAfter);
    }
    AviSaveJob job{m_fileName, m_width, m_height, m_frameTime, m_stretch, m_depth, m_bitmaps.Items(), m_wavFileName,
                   m_muxLimits, &m_movieSound};
    SaveAvi(job);
}
