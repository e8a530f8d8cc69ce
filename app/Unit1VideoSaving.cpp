// Saving page 2's recording as MP4, WebM or MKV and page 1's as animated WebP or APNG,
// encoded from the recorded frames at save time.
#include "Unit1.h"

#include "Bitmap.h"
#include "RxGIF.h"
#include "controls/ColorBox.h"
#include "controls/FileField.h"
#include "controls/SpinEdit.h"

#include <QCheckBox>

void TForm1::saveVideo(int number, VideoFormat format, const std::string& name)
{
    VideoSaveJob job;
    job.fileName = name;
    job.format = format;
    job.settings = VideoOptions;
    job.progress = VideoProgress;
    if (number == 1) {
        // The GIF page's frames, their delay, loop and transparent colour.
        for (int i = 0; i < RecordedGIF->Count(); ++i)
            job.frames.push_back(RecordedGIF->Frames(i)->Bitmap());
        const TBitmap* first = job.frames.empty() ? nullptr : job.frames.front();
        job.width = first ? first->Width() : 0;
        job.height = first ? first->Height() : 0;
        job.stretch = false;
        job.frameTime = FieldInteger(*DelayEditx);
        job.settings.loop = LoopBoxx->isChecked();
        job.transparent = TransColorx->selected();
    } else {
        job.frames = AviWriter1.Bitmaps().Items();
        job.width = AviWriter1.Width();
        job.height = AviWriter1.Height();
        job.stretch = AviWriter1.Stretch();
        job.frameTime = FieldInteger(*DelayEdity);
        job.soundFileName = WavFiley->fileName().toStdString();
    }
    SaveVideo(job);
    PlainBox(std::string(InfoOf(format).label) + " was successfully saved to " + name);
}
