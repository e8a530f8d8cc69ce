// The dialog service of the windowed program: Qt's file dialogs and message boxes.
// Their modal loops run Qt's event loop, so the program's timers keep firing.
#pragma once

#include "Dialogs.h"

#include <QString>

class QtDialogService : public DialogService {
public:
    bool RunFileDialog(TOpenDialog& dialog) override;
    bool RunSelectDirectory(const std::string& caption, const std::string& root, std::string& directory) override;
    void RunMessageBox(MessageKind kind, const std::string& caption, const std::string& text) override;
    bool RunQuestion(const std::string& caption, const std::string& text) override;
};

// "Desc|*.a;*.b|Other|*.c" as Qt writes it: "Desc (*.a *.b);;Other (*.c)". Each
// pattern is offered in its own spelling and in lower and upper case, because the
// program's filters name extensions in capitals and Linux names are case-sensitive.
QString QtFilterFromToolkit(const std::string& filter);

// The extension of the index-th filter (counting from 1), without the dot: what a
// save dialog adds to a name typed without one. Empty when the filter has none.
QString FilterExtension(const std::string& filter, int index);

// Message boxes show line breaks written "\r\n" as one break.
QString MessageText(const std::string& text);
