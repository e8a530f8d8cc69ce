// The three windows of the program, and pictures of them for documentation and checks.
#pragma once

#include "CommandLine.h"

#include <QImage>
#include <functional>
#include <memory>

class TForm1;
class TForm2;
class TForm4;
class QWidget;

struct Windows {
    std::unique_ptr<TForm1> main;
    // Owned by the main window, as they live exactly as long.
    TForm2* preview = nullptr;
    TForm4* imagePreview = nullptr;
};

// Font, skin and application title: what every start does once Qt is up.
void PrepareApplication();

// The main window, then the result preview, then the image-series preview.
Windows CreateWindows();

// Lays window out as if shown, without showing it on a screen, runs whileShown (if
// any) and renders it.
QImage RenderWindow(QWidget& window, const std::function<void()>& whileShown = {});

// Renders the window the command line names into its PNG file; 0 on success, 1 with
// a message on stderr otherwise.
int WriteScreenshot(const CommandLine& line);
