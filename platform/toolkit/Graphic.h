// The base of the image classes (bitmap, GIF, JPEG, PNG): a size, an empty test,
// drawing onto a canvas, streams and files, change and progress notifications.
#pragma once

#include "Persistent.h"
#include "Types.h"

#include <cstdint>
#include <functional>
#include <string>

class TCanvas;
class TStream;

enum TProgressStage { psStarting, psRunning, psEnding };

class TGraphic;
using TProgressEvent = std::function<void(TGraphic* sender, TProgressStage stage, uint8_t percentDone,
                                          bool redrawNow, const TRect& rect, const std::string& message)>;
using TNotifyEvent = std::function<void(TGraphic* sender)>;

class TGraphic : public TPersistent {
public:
    std::string ClassName() const override { return "TGraphic"; }

    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual void SetWidth(int width);
    virtual void SetHeight(int height);
    virtual bool Empty() const = 0;
    virtual bool Transparent() const { return m_transparent; }
    virtual void SetTransparent(bool value) { m_transparent = value; }

    // Draws the picture stretched onto rect of the canvas.
    virtual void Draw(TCanvas& canvas, const TRect& rect) = 0;

    virtual void LoadFromStream(TStream& stream) = 0;
    virtual void SaveToStream(TStream& stream) = 0;
    virtual void LoadFromFile(const std::string& fileName);
    // Writes through a temporary file beside fileName, renamed only on success.
    virtual void SaveToFile(const std::string& fileName);

    bool Modified() const { return m_modified; }
    void SetModified(bool value) { m_modified = value; }

    TNotifyEvent OnChange;
    TProgressEvent OnProgress;

protected:
    virtual void Changed();
    void Progress(TProgressStage stage, uint8_t percentDone, bool redrawNow, const TRect& rect, const std::string& message);

private:
    bool m_transparent = false;
    bool m_modified = false;
};
