#pragma once

#include <QIcon>
#include <QPixmap>
#include <array>

// The program's images are Qt resources named by their numeric bitmap id
// (":/images/<id>.png"), so windows ask for them by the ids their dialog templates carry.

// The bitmap with the given id; a null pixmap when the program has no such image.
QPixmap LoadBitmapResource(int id);

// The program icon (bitmap 128) for window captions and the taskbar.
QIcon LoadAppIcon();

// The four bitmaps of one library button of the main window.
struct ButtonBitmapIds
{
    quint16 normal;
    quint16 pressed;
    quint16 hover;
    quint16 disabled;
};

// The library buttons' bitmaps in the order of the buttons: company, department, position,
// reason, template. The main window loads them, kavri-artwork paints them.
inline constexpr std::array<ButtonBitmapIds, 5> kLibraryButtonBitmaps = {{
    {146, 144, 145, 147},
    {142, 140, 141, 143},
    {138, 136, 137, 139},
    {154, 152, 153, 155},
    {150, 148, 149, 151},
}};
