// Event handlers run guarded: an exception that ends a handler is reported in the
// error box with its text, and the program goes on with whatever state the completed
// steps left, as the toolkit's application object does with unhandled exceptions.
#pragma once

#include <functional>

class QAbstractButton;

void RunGuarded(const std::function<void()>& handler);

// Connects a button's click to a guarded handler.
void OnClick(QAbstractButton& button, std::function<void()> handler);
