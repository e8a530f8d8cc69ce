// Open, save and folder dialogs and the two kinds of message box. Their user
// interface comes from a DialogService: Qt dialogs in the GUI, a scripted service in
// tests and in the headless converter. A modal dialog keeps the timers running.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

class TOpenDialog {
public:
    virtual ~TOpenDialog() = default;
    std::string Title;
    // The toolkit's filter syntax: "Description|*.ext;*.ext2|Other|*.x".
    std::string Filter;
    int FilterIndex = 1;
    std::string FileName;
    std::string InitialDir;
    std::string DefaultExt;
    // Shows the dialog modally; true with FileName set when the user chose a file.
    virtual bool Execute();
    virtual bool IsSave() const { return false; }
};

class TSaveDialog : public TOpenDialog {
public:
    bool Execute() override;
    bool IsSave() const override { return true; }
};

// Asks for a folder; true with directory set when the user chose one.
bool SelectDirectoryDialog(const std::string& caption, const std::string& root, std::string& directory);

enum class MessageKind { Warning, Plain };

// The toolkit's caption of warning boxes.
inline constexpr const char* WarningCaption = "Warning";

const std::string& ApplicationTitle();
void SetApplicationTitle(const std::string& title);

// A modal warning box with one OK button (refusals, hints, warnings).
void WarningBox(const std::string& text);
// A modal plain box with the application title as caption (success messages).
void PlainBox(const std::string& text);
// The error box for an exception that ended an event handler.
void ErrorBox(const std::string& text);
// A modal warning box with OK and Cancel, for a step that would lose work: true for OK.
bool WarningQuestion(const std::string& text);

class DialogService {
public:
    virtual ~DialogService() = default;
    virtual bool RunFileDialog(TOpenDialog& dialog) = 0;
    virtual bool RunSelectDirectory(const std::string& caption, const std::string& root, std::string& directory) = 0;
    virtual void RunMessageBox(MessageKind kind, const std::string& caption, const std::string& text) = 0;
    // A warning box with OK and Cancel; true when OK was chosen.
    virtual bool RunQuestion(const std::string& caption, const std::string& text) = 0;

    static DialogService& Current();
    static void SetCurrent(DialogService* service);
};

// Answers dialogs from a script and records every box shown. While a dialog or box
// is "open", WhileOpen runs (tests advance the virtual clock there, as a person
// would take time to answer).
class ScriptedDialogService : public DialogService {
public:
    struct Shown {
        MessageKind kind;
        std::string caption;
        std::string text;
    };
    struct FileAnswer {
        bool accept = true;
        std::string fileName;
        int filterIndex = 0;  // the filter the person picked; 0 leaves the dialog's
    };

    bool RunFileDialog(TOpenDialog& dialog) override;
    bool RunSelectDirectory(const std::string& caption, const std::string& root, std::string& directory) override;
    void RunMessageBox(MessageKind kind, const std::string& caption, const std::string& text) override;
    // Recorded in Boxes as a warning; answered from the queue, OK when it is empty.
    bool RunQuestion(const std::string& caption, const std::string& text) override;

    // Queue the answers of the next file and folder dialogs (an empty queue cancels).
    void AnswerFile(std::string fileName, int filterIndex = 0) { m_files.push_back({true, std::move(fileName), filterIndex}); }
    void CancelFile() { m_files.push_back({false, {}}); }
    void AnswerDirectory(std::string dir) { m_dirs.push_back({true, std::move(dir)}); }
    void CancelDirectory() { m_dirs.push_back({false, {}}); }
    void AnswerQuestion(bool ok) { m_questions.push_back(ok); }

    std::vector<Shown> Boxes;               // every message box, in order
    std::vector<std::string> DialogTitles;  // every file or folder dialog's title
    std::vector<std::string> DialogFilters;
    std::function<void()> WhileOpen;
    std::function<void(const Shown&)> OnBox;  // e.g. the converter prints each message

private:
    std::vector<FileAnswer> m_files;
    std::vector<FileAnswer> m_dirs;
    std::vector<bool> m_questions;
};

// Installs a dialog service for the life of the object.
class ScopedDialogService {
public:
    explicit ScopedDialogService(DialogService& service);
    ~ScopedDialogService();

private:
    DialogService* m_previous;
};
