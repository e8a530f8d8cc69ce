#include "ConvertBatch.h"

#include <QEventLoop>
#include <QProcess>
#include <QStringList>
#include <algorithm>
#include <deque>
#include <filesystem>
#include <memory>
#include <sched.h>
#include <thread>

namespace fs = std::filesystem;

namespace {

bool isFolder(const fs::path& path)
{
    std::error_code ec;
    return fs::is_directory(path, ec);
}

QStringList childArguments(const ConvertRequest& request, const ConvertJob& job)
{
    QStringList args{QStringLiteral("convert"), QStringLiteral("-o"), QString::fromStdString(request.outputFolder)};
    for (const std::string& option : request.sharedOptions)
        args << QString::fromStdString(option);
    args << QStringLiteral("--") << QString::fromStdString(job.input);
    return args;
}

// The processes of a batch and the jobs still waiting for one.
class Batch {
public:
    Batch(const ConvertRequest& request, const std::string& program, std::ostream& err)
        : m_request(request), m_program(QString::fromStdString(program)), m_err(err)
    {
        for (size_t i = 0; i < request.jobs.size(); ++i)
            m_waiting.push_back(i);
    }

    int Run(int processes)
    {
        for (int i = 0; i < processes && !m_waiting.empty(); ++i)
            startNext();
        if (m_running > 0)
            m_loop.exec();
        return m_failed == 0 ? 0 : 1;
    }

private:
    void startNext()
    {
        const size_t index = m_waiting.front();
        m_waiting.pop_front();
        auto* process = new QProcess(&m_loop);
        process->setProcessChannelMode(QProcess::MergedChannels);
        process->setStandardInputFile(QProcess::nullDevice());
        QObject::connect(process, &QProcess::finished, &m_loop, [this, process, index] { finished(*process, index); });
        QObject::connect(process, &QProcess::errorOccurred, &m_loop, [this, process, index](QProcess::ProcessError e) {
            if (e == QProcess::FailedToStart)
                finished(*process, index);
        });
        ++m_running;
        process->start(m_program, childArguments(m_request, m_request.jobs[index]));
    }

    void finished(QProcess& process, size_t index)
    {
        const ConvertJob& job = m_request.jobs[index];
        const QByteArray output = process.readAll();
        const bool ok = process.error() != QProcess::FailedToStart && process.exitStatus() == QProcess::NormalExit &&
                        process.exitCode() == 0;
        ++m_done;
        if (!ok)
            ++m_failed;
        if (!m_request.quiet)
            m_err << "[" << m_done << "/" << m_request.jobs.size() << "] " << job.input << " -> " << job.output << "\n";
        m_err << output.toStdString();
        if (process.error() == QProcess::FailedToStart)
            m_err << "error: cannot start " << m_program.toStdString() << " for " << job.input << "\n";
        else if (process.exitStatus() != QProcess::NormalExit)
            m_err << "error: the conversion of " << job.input << " ended abnormally\n";
        m_err.flush();
        process.deleteLater();
        --m_running;
        if (!m_waiting.empty())
            startNext();
        else if (m_running == 0)
            m_loop.quit();
    }

    const ConvertRequest& m_request;
    const QString m_program;
    std::ostream& m_err;
    QEventLoop m_loop;
    std::deque<size_t> m_waiting;
    int m_running = 0;
    size_t m_done = 0, m_failed = 0;
};

} // namespace

std::string MissingOutputFolder(const ConvertRequest& request)
{
    if (!request.outputFolder.empty())
        return isFolder(request.outputFolder) ? std::string() : request.outputFolder;
    for (const ConvertJob& job : request.jobs) {
        // A file's folder, or the folder an image series' own folder is made in.
        const fs::path parent = fs::path(job.output).parent_path();
        if (!parent.empty() && !isFolder(parent))
            return parent.string();
    }
    return {};
}

int BatchProcesses(const ConvertRequest& request)
{
    if (request.processes > 0)
        return request.processes;
    cpu_set_t set;
    if (sched_getaffinity(0, sizeof set, &set) == 0 && CPU_COUNT(&set) > 0)
        return CPU_COUNT(&set);
    return int(std::max(1u, std::thread::hardware_concurrency()));
}

int RunConvertBatch(const ConvertRequest& request, const std::string& program, std::ostream& err)
{
    Batch batch(request, program, err);
    return batch.Run(std::min<int>(BatchProcesses(request), int(request.jobs.size())));
}
