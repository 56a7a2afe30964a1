#pragma once

#include <QCoreApplication>
#include <QGuiApplication>
#include <memory>

// The Qt application object a command needs before it touches files, fonts or painting. Both
// carry kavri's name, so that the library's default place (and the register beside it) is the
// one the program opens: the per-user copy of an installed kavri lies in kavri's data folder,
// not kavri-cli's.
namespace CliApplication {

std::unique_ptr<QCoreApplication> core();

// Fonts and painting need a GUI application; the offscreen platform gives one without a
// display, whatever the environment says. Qt's notes about the session it runs in (no runtime
// folder, no font cache) are not the command's business: stderr holds only what the command
// itself has to say, and Qt's own errors.
std::unique_ptr<QGuiApplication> offscreen();

} // namespace CliApplication
