#pragma once

#include <QString>
#include <QStringView>

// Plain-text search and replace for the short, fixed markers of a template. Each call reads the
// text once from left to right; what is inserted is never searched again, so the cost is linear
// in the sizes of the text and of the result.
namespace Compose {

// Position of the first `needle` in `text` at or after `from`, or -1. An empty needle is never
// found.
qsizetype findText(QStringView text, QStringView needle, qsizetype from = 0);

// Appends `text` to `out` with every occurrence of `before` replaced by `after`.
void appendReplaced(QString& out, QStringView text, QStringView before, QStringView after);

// `text` with every occurrence of `before` replaced by `after`.
QString replaceAll(const QString& text, QStringView before, QStringView after);

} // namespace Compose
