// The layer list: which chunk kinds may be added when, and where each one goes.
#include "sf_pngimage.h"

namespace {

std::unique_ptr<TsfPngLayer> createLayer(const std::string& name, TsfPngImage* owner)
{
    if (name == TsfPngLayerIHDR::kName)
        return std::make_unique<TsfPngLayerIHDR>(owner);
    if (name == TsfPngLayerIDAT::kName)
        return std::make_unique<TsfPngLayerIDAT>(owner);
    if (name == TsfPngLayerPLTE::kName)
        return std::make_unique<TsfPngLayerPLTE>(owner);
    if (name == TsfPngLayertRNS::kName)
        return std::make_unique<TsfPngLayertRNS>(owner);
    if (name == TsfPngLayergAMA::kName)
        return std::make_unique<TsfPngLayergAMA>(owner);
    if (name == TsfPngLayerpHYs::kName)
        return std::make_unique<TsfPngLayerpHYs>(owner);
    if (name == TsfPngLayertIME::kName)
        return std::make_unique<TsfPngLayertIME>(owner);
    if (name == TsfPngLayertEXt::kName)
        return std::make_unique<TsfPngLayertEXt>(owner);
    if (name == TsfPngLayerzTXt::kName)
        return std::make_unique<TsfPngLayerzTXt>(owner);
    if (name == TsfPngLayerIEND::kName)
        return std::make_unique<TsfPngLayerIEND>(owner);
    return std::make_unique<TsfPngLayer>(owner, name);
}

bool isCritical(const std::string& name)
{
    return name == "IHDR" || name == "IDAT" || name == "PLTE" || name == "IEND";
}

bool mustFollowPalette(const std::string& name)
{
    return name == "IDAT" || name == "IEND" || name == "tRNS" || name == "bKGD" || name == "hIST";
}

bool isSingle(const std::string& name)
{
    return name == "gAMA" || name == "tRNS" || name == "pHYs";
}

} // namespace

int TsfPngList::indexOf(const std::string& name) const
{
    for (size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i]->LayerName == name)
            return int(i);
    return -1;
}

TsfPngLayer* TsfPngList::FindLayer(const std::string& name) const
{
    int i = indexOf(name);
    return i < 0 ? nullptr : m_items[size_t(i)].get();
}

int TsfPngList::placeFor(const std::string& name) const
{
    const int count = Count();
    const int header = indexOf("IHDR");
    const int afterHeader = header < 0 ? 0 : header + 1;
    if (name == "IHDR")
        return 0;
    if (name == "IEND")
        return count;
    if (name == "gAMA" || name == "pHYs")
        return afterHeader;
    if (name == "PLTE") {
        // The palette follows everything a file must hold before it (gAMA, sRGB, iCCP,
        // sBIT, ...) and precedes what must follow it and the image data.
        int place = afterHeader;
        while (place < count && !mustFollowPalette(m_items[size_t(place)]->LayerName))
            ++place;
        return place;
    }
    if (name == "tRNS") {
        int palette = indexOf("PLTE");
        if (palette >= 0)
            return palette + 1;
        int data = indexOf("IDAT");
        return data >= 0 ? data : afterHeader;
    }
    const int end = indexOf("IEND");
    return end >= 0 ? end : count;
}

TsfPngLayer* TsfPngList::AddLayer(const std::string& name)
{
    if (name.size() != 4)
        return nullptr;
    if (isCritical(name) ? !m_owner.Building : !m_owner.Building && (indexOf("IHDR") < 0 || indexOf("IEND") < 0))
        return nullptr;
    if (isSingle(name) && indexOf(name) >= 0)
        return nullptr;
    const int place = placeFor(name);
    auto layer = createLayer(name, &m_owner);
    TsfPngLayer* result = layer.get();
    m_items.insert(m_items.begin() + place, std::move(layer));
    return result;
}

void TsfPngList::AppendCopy(const TsfPngLayer& source)
{
    auto layer = createLayer(source.LayerName, &m_owner);
    layer->AssignLayer(source);
    m_items.push_back(std::move(layer));
}
