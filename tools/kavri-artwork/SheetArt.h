#pragma once

#include <QImage>
#include <QSize>

// The pale green sheet of paper, RGB(223, 241, 234), behind the template's name and preview:
// a soft shadow, a fine edge, and a dog-eared top-right corner. The name sits in the top 3-11 %
// and the preview in the 18-97 % band; those bands stay plain sheet colour so the boxes laid
// over them blend in.
QImage PaintTemplateSheet(QSize size);
