#pragma once

#include <QImage>
#include <QSize>

// The caption over the library buttons, "基础信息管理".
QImage PaintLibraryCaption(QSize size);

// The information panel: the program icon, "kavri", "版本 1.0" and the line
// "使用说明 · README" styled as a link (a click on the panel opens the README).
QImage PaintInfoPanel(QSize size);
