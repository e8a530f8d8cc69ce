#include "Graphic.h"

#include "Exceptions.h"
#include "SaveFile.h"
#include "Stream.h"

void TGraphic::SetWidth(int)
{
    throw EInvalidGraphicOperation("size of " + ClassName() + " cannot be changed");
}

void TGraphic::SetHeight(int)
{
    throw EInvalidGraphicOperation("size of " + ClassName() + " cannot be changed");
}

void TGraphic::LoadFromFile(const std::string& fileName)
{
    TFileStream stream(fileName, TFileMode::fmOpenRead);
    LoadFromStream(stream);
}

void TGraphic::SaveToFile(const std::string& fileName)
{
    WriteFileSafely(fileName, [this](TStream& stream) { SaveToStream(stream); });
}

void TGraphic::Changed()
{
    m_modified = true;
    if (OnChange)
        OnChange(this);
}

void TGraphic::Progress(TProgressStage stage, uint8_t percentDone, bool redrawNow, const TRect& rect, const std::string& message)
{
    if (OnProgress)
        OnProgress(this, stage, percentDone, redrawNow, rect, message);
}
