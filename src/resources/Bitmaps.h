#pragma once

#include <QIcon>
#include <QPixmap>

// The program's images are Qt resources named by their numeric bitmap id
// (":/images/<id>.png"), so windows ask for them by the ids their dialog templates carry.

// The bitmap with the given id; a null pixmap when the program has no such image.
QPixmap LoadBitmapResource(int id);

// The program icon (bitmap 128) for window captions and the taskbar.
QIcon LoadAppIcon();
