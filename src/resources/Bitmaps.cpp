#include "resources/Bitmaps.h"

#include <QString>

namespace {
constexpr int kAppIconId = 128;

QString BitmapPath(int id)
{
    return QStringLiteral(":/images/%1.png").arg(id);
}
} // namespace

QPixmap LoadBitmapResource(int id)
{
    // A negative id would still make a path; refuse it so it cannot name some other file.
    if (id < 0) {
        return QPixmap();
    }
    return QPixmap(BitmapPath(id));
}

QIcon LoadAppIcon()
{
    QIcon icon;
    const QPixmap pixmap = LoadBitmapResource(kAppIconId);
    if (!pixmap.isNull()) {
        icon.addPixmap(pixmap);
    }
    return icon;
}
