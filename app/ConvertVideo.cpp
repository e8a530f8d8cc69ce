#include "ConvertVideo.h"

#include "Dialogs.h"
#include "Guarded.h"
#include "QtClock.h"
#include "RxGIF.h"
#include "Scheduler.h"
#include "Unit1.h"
#include "VideoSource.h"
#include "controls/ColorBox.h"
#include "controls/SpinEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

bool IsVideoInput(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::array<char, 3> magic{};
    in.read(magic.data(), 3);
    if (in.gcount() == 3) {
        const std::string head(magic.data(), 3);
        if (head == "FWS" || head == "CWS" || head == "ZWS" || head == "FLV")
            return false;  // the Flash pages' movies
    }
    if (media::VideoSource::LooksLikeVideo(path))
        return true;
    std::string extension = fs::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    static const char* const videos[] = {".avi", ".mp4", ".m4v", ".mkv", ".webm", ".mov", ".mpg", ".mpeg", ".wmv", ".ogv"};
    return std::any_of(std::begin(videos), std::end(videos), [&](const char* e) { return extension == e; });
}

namespace {

// The message's line breaks as the terminal's.
std::string OneLine(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n'))
            out += text[i];
    return out;
}

class VideoJob {
public:
    VideoJob(const ConvertRequest& request, const ConvertJob& job, Scheduler& clock, std::ostream& err)
        : m_request(request), m_job(job), m_clock(clock), m_err(err)
    {
        m_dialogs.OnBox = [this](const ScriptedDialogService::Shown& box) { report(box); };
    }

    bool Run();

private:
    void report(const ScriptedDialogService::Shown& box);
    void fail(const std::string& message);
    bool refusedOptions();
    bool open(TForm1& form);
    void applySettings(TForm1& form);
    void record(TForm1& form);
    void progress(TForm1& form, int64_t startedMs);
    bool runUntil(const std::function<bool()>& done, int64_t chunkMs);

    const ConvertRequest& m_request;
    const ConvertJob& m_job;
    Scheduler& m_clock;
    std::ostream& m_err;
    ScriptedDialogService m_dialogs;
    bool m_saved = false;
    bool m_failed = false;
};

void VideoJob::report(const ScriptedDialogService::Shown& box)
{
    // The error box carries the application title; warnings the toolkit's caption.
    const std::string text = OneLine(box.text);
    if (box.kind == MessageKind::Plain) {
        m_saved = true;
        m_err << text << "\n";
    } else if (box.caption == ApplicationTitle()) {
        m_failed = true;
        m_err << "error: " << text << "\n";
    } else {
        m_err << "warning: " << text << "\n";
    }
}

void VideoJob::fail(const std::string& message)
{
    m_failed = true;
    m_err << "error: " << message << "\n";
}

bool VideoJob::refusedOptions()
{
    const ConvertRequest& r = m_request;
    if (r.target != ConvertTarget::Gif)
        fail(m_job.input + " is a video: videos convert to GIF only");
    else if (r.background)
        fail("--background goes with Flash movies, not with the video " + m_job.input);
    else if (r.renderQuality)
        fail("a drawing --quality goes with Flash movies, not with the video " + m_job.input);
    return m_failed;
}

bool VideoJob::open(TForm1& form)
{
    std::error_code ec;
    if (!fs::is_regular_file(m_job.input, ec)) {
        fail("cannot open " + m_job.input + ": no such file");
        return false;
    }
    // The settings hint is for people at the window; the options are the settings here.
    form.SettingsHintShown = true;
    m_dialogs.AnswerFile(fs::absolute(m_job.input).string());
    RunGuarded([&] { form.OpenVideo(); });
    return !m_failed && form.MediaPlayer1.IsOpen();
}

void VideoJob::applySettings(TForm1& form)
{
    const ConvertRequest& r = m_request;
    if (r.delayMs)
        form.DelayEdit->setValue(*r.delayMs);
    if (r.size) {
        form.WidthEdit->setValue(r.size->first);
        form.HeightEdit->setValue(r.size->second);
    }
    if (r.loop)
        form.LoopBox->setChecked(*r.loop);
    if (r.transparent)
        form.TransColor->setSelected(*r.transparent);
    static const std::pair<const char*, const char*> depths[] = {
        {"8", "8 bit(位)(256 色)"}, {"4", "4 bit(位)(16 色)"}, {"1", "黑色/白色"}, {"grey", "灰階"}, {"source", "如源檔案"}};
    for (const auto& [name, entry] : depths)
        if (r.depth == name)
            form.DepthBox->setCurrentText(QString::fromUtf8(entry));
}

bool VideoJob::runUntil(const std::function<bool()>& done, int64_t chunkMs)
{
    if (auto* virtualClock = dynamic_cast<VirtualClock*>(&m_clock))
        return virtualClock->RunUntil(done, chunkMs);
    const int64_t until = m_clock.NowMs() + chunkMs;
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done() || m_clock.NowMs() >= until)
            loop.quit();
    });
    poll.start(5);
    loop.exec();
    return done();
}

void VideoJob::progress(TForm1& form, int64_t startedMs)
{
    if (m_request.quiet)
        return;
    const int frames = form.RecordedGIF ? form.RecordedGIF->Count() : 0;
    const double seconds = double(m_clock.NowMs() - startedMs) / 1000.0;
    const TMediaPlayer& player = form.MediaPlayer1;
    m_err << "captured " << frames << " pictures, video frame " << std::min(player.Position() + 1, player.Length())
          << "/" << player.Length() << ", " << std::fixed;
    m_err.precision(1);
    m_err << seconds << " s of video time\n";
}

void VideoJob::record(TForm1& form)
{
    form.StartVideoRecording(true);
    if (!form.Recording(4))
        return;
    const int64_t started = m_clock.NowMs();
    // The device stops at the video's end; a little beyond it, something is wrong.
    const TMediaPlayer& player = form.MediaPlayer1;
    const int64_t videoMs = int64_t(double(player.Length()) * 1000.0 / std::max(player.FrameRate(), 0.1));
    const int64_t length = m_request.durationMs ? int64_t(*m_request.durationMs) : videoMs + 5000;
    auto finished = [&] { return !form.Recording(4) || m_clock.NowMs() - started >= length; };
    auto* virtualClock = dynamic_cast<VirtualClock*>(&m_clock);
    if (virtualClock && m_request.durationMs) {
        // Whole steps, so that a capture falling due at the very end is taken.
        while (!finished()) {
            virtualClock->AdvanceBy(std::min<int64_t>(1000, length - (m_clock.NowMs() - started)));
            if (!finished())
                progress(form, started);
        }
    } else {
        while (!runUntil(finished, 1000))
            progress(form, started);
    }
    progress(form, started);
    if (form.Recording(4)) {
        if (!m_request.durationMs)
            m_err << "warning: the video was still playing " << length << " ms after its start; stopped there\n";
        form.StopVideoRecording();
    }
}

bool VideoJob::Run()
{
    if (refusedOptions())
        return false;
    ScopedDialogService dialogs(m_dialogs);
    TForm1 form;  // after the clock: its timers take the current scheduler
    if (!open(form)) {
        if (!m_failed)
            fail("cannot open " + m_job.input);
        return false;
    }
    RunGuarded([&] { applySettings(form); });
    if (!m_failed)
        RunGuarded([&] { record(form); });
    if (!m_failed) {
        m_dialogs.AnswerFile(m_job.output);
        RunGuarded([&] { form.SaveVideoGIF(); });
    }
    if (!m_saved && !m_failed)
        fail("nothing was recorded from " + m_job.input);
    return m_saved && !m_failed;
}

} // namespace

bool ConvertVideo(const ConvertRequest& request, const ConvertJob& job, std::ostream& err)
{
    if (request.realTime) {
        RealTimeClock clock;
        ScopedScheduler scheduler(clock);
        return VideoJob(request, job, clock, err).Run();
    }
    VirtualClock clock;
    ScopedScheduler scheduler(clock);
    return VideoJob(request, job, clock, err).Run();
}
