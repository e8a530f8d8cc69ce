#include "Guarded.h"

#include "Dialogs.h"

#include <QAbstractButton>
#include <exception>

void RunGuarded(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const std::exception& error) {
        ErrorBox(error.what());
    } catch (...) {
        // Not one of ours or the standard library's: still no reason to end the program.
        ErrorBox("Unexpected error");
    }
}

void OnClick(QAbstractButton& button, std::function<void()> handler)
{
    QObject::connect(&button, &QAbstractButton::clicked, &button, [handler = std::move(handler)] { RunGuarded(handler); });
}
