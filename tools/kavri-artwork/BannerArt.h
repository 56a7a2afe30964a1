#pragma once

#include <QImage>
#include <QSize>
#include <QString>

// The banner over one of the main window's three steps: a numbered badge and the step's
// instruction on a band that fades from teal into the window.
QImage PaintStepBanner(int step, const QString& instruction, QSize size);
