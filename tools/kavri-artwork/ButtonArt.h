#pragma once

#include <QImage>
#include <QString>

// One bitmap of a library button: 159 x 30 pixels, 24 bits, on RGB(224, 223, 228), a small
// light-blue round bullet with a white arrow-head, then the caption. The resting look has a
// black caption; the hover look an orange one, with bullet and caption 6 pixels further left
// and 2 pixels lower.
enum class ButtonLook
{
    Resting,
    Hover
};

QImage PaintLibraryButton(const QString& caption, ButtonLook look);
