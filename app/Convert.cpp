#include "Convert.h"
#include "ConvertVideo.h"

#include "Dialogs.h"
#include "Guarded.h"
#include "MovieFile.h"
#include "RxGIF.h"
#include "QtClock.h"
#include "swf/Reader.h"
#include "Scheduler.h"
#include "Unit1.h"
#include "WideString.h"
#include "controls/ColorBox.h"
#include "controls/FileField.h"
#include "controls/SpinEdit.h"
#include "sf_flash.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace {

// The stage size a movie declares, read from the start of the file only.
std::optional<std::pair<int, int>> StageSize(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<std::uint8_t> head(64 * 1024);
    in.read(reinterpret_cast<char*>(head.data()), std::streamsize(head.size()));
    head.resize(size_t(in.gcount()));
    auto header = swf::readHeader(head);
    if (!header.ok())
        return std::nullopt;
    const int w = header.value().stageWidth(), h = header.value().stageHeight();
    if (w < 2 || h < 2)
        return std::nullopt;
    return std::make_pair(std::min(w, 10000), std::min(h, 10000));
}

std::string OneLine(std::string text)
{
    for (size_t at; (at = text.find("\r\n")) != std::string::npos;)
        text.replace(at, 2, "\n");
    return text;
}

// What one job's dialogs and boxes did.
struct Outcome {
    bool saved = false;
    bool failed = false;
    std::string error;
};

class Job {
public:
    Job(const ConvertRequest& request, const ConvertJob& job, Scheduler& clock, std::ostream& err)
        : m_request(request), m_job(job), m_clock(clock), m_err(err)
    {
        m_dialogs.OnBox = [this](const ScriptedDialogService::Shown& box) { report(box); };
    }

    Outcome Run();

private:
    int page() const
    {
        switch (m_request.target) {
        case ConvertTarget::Gif: return 1;
        case ConvertTarget::Avi:
        case ConvertTarget::Sound: return 2;
        case ConvertTarget::Images: return 3;
        case ConvertTarget::Video: return InfoOf(m_request.videoFormat).animation ? 1 : 2;
        }
        return 1;
    }
    void applyVideoSettings(TForm1& form);
    void report(const ScriptedDialogService::Shown& box);
    bool open(TForm1& form);
    void applySettings(TForm1& form);
    void record(TForm1& form);
    void save(TForm1& form);
    void progress(TForm1& form, int64_t startedMs);
    bool runUntil(const std::function<bool()>& done, int64_t chunkMs);

    const ConvertRequest& m_request;
    const ConvertJob& m_job;
    Scheduler& m_clock;
    std::ostream& m_err;
    ScriptedDialogService m_dialogs;
    Outcome m_outcome;
};

void Job::report(const ScriptedDialogService::Shown& box)
{
    // The error box carries the application title; warnings the toolkit's caption.
    const std::string text = OneLine(box.text);
    if (box.kind == MessageKind::Plain) {
        m_outcome.saved = true;
        if (!m_request.quiet)
            m_err << text << "\n";
    } else if (box.caption == ApplicationTitle()) {
        m_outcome.failed = true;
        m_outcome.error = text;
        m_err << "error: " << text << "\n";
    } else if (!m_request.quiet) {
        m_err << "warning: " << text << "\n";
    }
}

bool Job::open(TForm1& form)
{
    std::error_code ec;
    if (!fs::is_regular_file(m_job.input, ec)) {
        m_outcome = {false, true, "cannot open " + m_job.input};
        m_err << "error: cannot open " << m_job.input << "\n";
        return false;
    }
    if (std::optional<std::string> why = WhyNotAFlashMovie(m_job.input)) {
        m_outcome = {false, true, NotAFlashMovieMessage(m_job.input, *why)};
        m_err << "error: " << m_outcome.error << "\n";
        return false;
    }
    // The settings hint is for people at the window; the options are the settings here.
    form.SettingsHintShown = true;
    m_dialogs.AnswerFile(fs::absolute(m_job.input).string());
    RunGuarded([&] { form.OpenFlash(page()); });
    if (m_outcome.failed)
        return false;
    if (form.Flash(page()).player->TotalFrames() <= 0) {
        m_outcome = {false, true, "not a Flash movie that plays: " + m_job.input};
        m_err << "error: " << m_outcome.error << "\n";
        return false;
    }
    return true;
}

void Job::applySettings(TForm1& form)
{
    const ConvertRequest& r = m_request;
    FlashPage& p = form.Flash(page());
    if (r.delayMs)
        p.delay->setValue(*r.delayMs);
    std::optional<std::pair<int, int>> size = r.size ? r.size : StageSize(m_job.input);
    if (size) {
        p.width->setValue(size->first);
        p.height->setValue(size->second);
    }
    if (r.background && p.background)
        p.background->setSelected(*r.background);
    if (r.background && !p.background) {
        // The images page has no picker: its player takes the colour as the pickers
        // give it, and its PNG pictures become opaque.
        p.player->SetColor(*r.background);
        p.player->SetBackgroundColor(int(*r.background));
        p.player->TransparentSnapshots = false;
    }
    if (r.renderQuality) {
        std::u16string q = Utf8ToWide(*r.renderQuality);
        q[0] = char16_t(std::toupper(q[0]));
        p.player->SetProperty(flashdispid::Quality2, q);
    }
    if (page() == 1) {
        if (r.loop)
            form.LoopBoxx->setChecked(*r.loop);
        if (r.transparent)
            form.TransColorx->setSelected(*r.transparent);
        static const std::pair<const char*, const char*> depths[] = {
            {"8", "8 bit(位)"}, {"4", "4 bit(位)"}, {"1", "黑色/白色"}, {"grey", "灰階"}, {"source", "如源檔案"}};
        for (const auto& [name, entry] : depths)
            if (r.depth == name)
                form.DepthBoxx->setCurrentText(QString::fromUtf8(entry));
    } else if (page() == 2) {
        static const std::pair<const char*, const char*> depths[] = {
            {"24", "24 bit(位)"}, {"8", "8 bit(位)"}, {"4", "4 bit(位)"}, {"1", "黑色/白色"}};
        for (const auto& [name, entry] : depths)
            if (r.depth == name)
                form.DepthBoxy->setCurrentText(QString::fromUtf8(entry));
        if (!r.wav.empty())
            form.WavFiley->setFileName(QString::fromStdString(fs::absolute(r.wav).string()));
        form.RecordSoundy->setChecked(!r.noSound);
    } else {
        form.FormatBoxz->setCurrentText(QString::fromStdString(r.imageFormat));
        if (r.quality)
            form.QualityEditz->setValue(*r.quality);
        if (r.stopAfter) {
            form.StopAtBoxz->setChecked(true);
            form.stopafter->setValue(*r.stopAfter);
        }
    }
    if (r.target == ConvertTarget::Video)
        applyVideoSettings(form);
}

void Job::applyVideoSettings(TForm1& form)
{
    const ConvertRequest& r = m_request;
    // Compressed outputs record every colour the movie shows.
    if (page() == 1)
        form.DepthBoxx->setCurrentText(QString::fromUtf8("如源檔案"));
    else
        form.DepthBoxy->setCurrentText(QString::fromUtf8("24 bit(位)"));
    form.VideoOptions.crf = r.crf;
    form.VideoOptions.preset = r.preset.value_or("");
    if (r.videoFormat == VideoFormat::WebP)
        form.VideoOptions.webpQuality = r.quality;
    if (m_request.quiet)
        return;
    // A line every tenth of the frames (and at the end) while a long encode runs.
    form.VideoProgress = [this](size_t done, size_t total) {
        if (done == total || done * 10 / total != (done - 1) * 10 / total)
            m_err << "encoded " << done << "/" << total << " frames\n";
    };
}

bool Job::runUntil(const std::function<bool()>& done, int64_t chunkMs)
{
    if (auto* virtualClock = dynamic_cast<VirtualClock*>(&m_clock))
        return virtualClock->RunUntil(done, chunkMs);
    // The wall clock: Qt's loop delivers the timers; look now and then.
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

void Job::progress(TForm1& form, int64_t startedMs)
{
    if (m_request.quiet)
        return;
    const int n = page();
    size_t frames = 0;
    if (n == 3)
        frames = form.JpgImages.size() + form.PngImages.size() + form.BmpImages.size();
    else if (form.RecordedGIF)
        frames = size_t(form.RecordedGIF->Count());
    TsfFlashPlayer& player = *form.Flash(n).player;
    const double seconds = double(m_clock.NowMs() - startedMs) / 1000.0;
    m_err << "captured " << frames << " pictures, movie frame " << player.CurrentFrame() + 1 << "/"
          << player.TotalFrames() << ", " << std::fixed;
    m_err.precision(1);
    m_err << seconds << " s of movie time\n";
}

void Job::record(TForm1& form)
{
    const int n = page();
    const bool automatic = !m_request.durationMs;
    if (n == 1)
        form.StartGIFRecording(automatic);
    else if (n == 2)
        form.StartAVIRecording(automatic);
    else
        form.StartImagesRecording(automatic);
    if (!form.Recording(n))
        return;
    const int64_t started = m_clock.NowMs();
    const int64_t length = m_request.durationMs ? *m_request.durationMs : m_request.limitMs;
    auto finished = [&] { return !form.Recording(n) || m_clock.NowMs() - started >= length; };
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
    if (form.Recording(n)) {
        if (!m_request.durationMs && !m_request.quiet)
            m_err << "warning: the movie was still playing after " << length << " ms; stopped there\n";
        form.StopRecording(n);
    }
}

void Job::save(TForm1& form)
{
    const int n = page();
    if (n == 3) {
        std::error_code ec;
        fs::create_directories(m_job.output, ec);
        m_dialogs.AnswerDirectory(m_job.output);
    } else {
        m_dialogs.AnswerFile(m_job.output);
    }
    // Through the guard, as a click: an exception reaches the error box.
    RunGuarded([&] {
        if (n == 1)
            form.SaveGIF();
        else if (m_request.target == ConvertTarget::Sound)
            form.SaveAVISound();
        else if (n == 2)
            form.SaveAVI();
        else
            form.SaveImages();
    });
}

Outcome Job::Run()
{
    ScopedDialogService dialogs(m_dialogs);
    TForm1 form;  // after the clock: its timers take the current scheduler
    if (!open(form))
        return m_outcome;
    RunGuarded([&] { applySettings(form); });
    if (!m_outcome.failed)
        RunGuarded([&] { record(form); });
    if (!m_outcome.failed)
        save(form);
    if (!m_outcome.saved && !m_outcome.failed) {
        m_outcome.failed = true;
        m_outcome.error = "nothing was saved";
        m_err << "error: nothing was recorded from " << m_job.input << "\n";
    }
    return m_outcome;
}

} // namespace

int RunConvert(const ConvertRequest& request, std::ostream& err)
{
    bool allSaved = true;
    for (const std::string& warning : request.warnings)
        err << "warning: " << warning << "\n";
    for (const ConvertJob& job : request.jobs) {
        if (request.jobs.size() > 1 && !request.quiet)
            err << job.input << " -> " << job.output << "\n";
        if (IsVideoInput(job.input)) {
            allSaved = ConvertVideo(request, job, err) && allSaved;
            continue;
        }
        Outcome outcome;
        if (request.realTime) {
            RealTimeClock clock;
            ScopedScheduler scheduler(clock);
            outcome = Job(request, job, clock, err).Run();
        } else {
            VirtualClock clock;
            ScopedScheduler scheduler(clock);
            outcome = Job(request, job, clock, err).Run();
        }
        allSaved = allSaved && outcome.saved && !outcome.failed;
    }
    return allSaved ? 0 : 1;
}
