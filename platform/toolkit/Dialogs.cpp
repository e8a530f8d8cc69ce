#include "Dialogs.h"

#include "Scheduler.h"

namespace {

DialogService* g_service = nullptr;
std::string g_title = "Tovrane";

// Without any service installed (a library used on its own) dialogs are cancelled
// and boxes only recorded.
ScriptedDialogService& fallbackService()
{
    static ScriptedDialogService service;
    return service;
}

} // namespace

DialogService& DialogService::Current() { return g_service ? *g_service : fallbackService(); }

void DialogService::SetCurrent(DialogService* service) { g_service = service; }

ScopedDialogService::ScopedDialogService(DialogService& service) : m_previous(g_service) { DialogService::SetCurrent(&service); }

ScopedDialogService::~ScopedDialogService() { DialogService::SetCurrent(m_previous); }

bool TOpenDialog::Execute() { return DialogService::Current().RunFileDialog(*this); }

bool TSaveDialog::Execute() { return DialogService::Current().RunFileDialog(*this); }

bool SelectDirectoryDialog(const std::string& caption, const std::string& root, std::string& directory)
{
    return DialogService::Current().RunSelectDirectory(caption, root, directory);
}

const std::string& ApplicationTitle() { return g_title; }

void SetApplicationTitle(const std::string& title) { g_title = title; }

void WarningBox(const std::string& text) { DialogService::Current().RunMessageBox(MessageKind::Warning, WarningCaption, text); }

void PlainBox(const std::string& text) { DialogService::Current().RunMessageBox(MessageKind::Plain, ApplicationTitle(), text); }

void ErrorBox(const std::string& text) { DialogService::Current().RunMessageBox(MessageKind::Warning, ApplicationTitle(), text); }

bool WarningQuestion(const std::string& text) { return DialogService::Current().RunQuestion(WarningCaption, text); }

bool ScriptedDialogService::RunFileDialog(TOpenDialog& dialog)
{
    DialogTitles.push_back(dialog.Title);
    DialogFilters.push_back(dialog.Filter);
    // A modal dialog runs its own loop: timers keep firing while it is open.
    if (WhileOpen)
        WhileOpen();
    Scheduler::Current().ProcessMessages();
    if (m_files.empty())
        return false;
    FileAnswer answer = m_files.front();
    m_files.erase(m_files.begin());
    if (answer.accept)
        dialog.FileName = answer.fileName;
    if (answer.accept && answer.filterIndex > 0)
        dialog.FilterIndex = answer.filterIndex;
    return answer.accept;
}

bool ScriptedDialogService::RunSelectDirectory(const std::string& caption, const std::string&, std::string& directory)
{
    DialogTitles.push_back(caption);
    if (WhileOpen)
        WhileOpen();
    Scheduler::Current().ProcessMessages();
    if (m_dirs.empty())
        return false;
    FileAnswer answer = m_dirs.front();
    m_dirs.erase(m_dirs.begin());
    if (answer.accept)
        directory = answer.fileName;
    return answer.accept;
}

void ScriptedDialogService::RunMessageBox(MessageKind kind, const std::string& caption, const std::string& text)
{
    Boxes.push_back(Shown{kind, caption, text});
    if (OnBox)
        OnBox(Boxes.back());
    if (WhileOpen)
        WhileOpen();
    Scheduler::Current().ProcessMessages();
}

bool ScriptedDialogService::RunQuestion(const std::string& caption, const std::string& text)
{
    RunMessageBox(MessageKind::Warning, caption, text);
    if (m_questions.empty())
        return true;
    const bool ok = m_questions.front();
    m_questions.erase(m_questions.begin());
    return ok;
}
