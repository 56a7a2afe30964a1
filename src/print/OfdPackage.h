#pragma once

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QPair>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>

// A fixed-layout document in the form GB/T 33190-2016 (OFD) gives it, as far as a certificate
// needs: pages of text objects in embedded fonts. Every length is in millimetres, the page's
// origin at its top-left corner, y growing downwards.
namespace Ofd {

inline const QString kNamespace = QStringLiteral("http://www.ofdspec.org/2016");

// One run of text in one font: one line of a page, or the part of it that one font draws.
struct TextObject
{
    int font = 0;      // index into Document::fonts
    QRectF boundary;   // on the page
    double size = 0;   // the em of the font
    int weight = 400;  // 700: drawn bold
    QPointF origin;    // the first character's baseline origin, relative to the boundary
    QString text;
    QList<double> deltaX; // from each character's origin to the next one's (one fewer than characters)
};

struct Page
{
    QList<TextObject> texts;
    // Black rectangles on the page (the modules of the certificate's QR code), written as one
    // filled path object after the texts.
    QList<QRectF> fills;
};

// An embedded font file and the names a viewer knows it by.
struct Font
{
    QString name;
    QString family;
    bool serif = false;
    bool bold = false;
    QString fileName; // within the document's resource folder, e.g. "font_1.ttf"
    QByteArray data;
};

struct DocInfo
{
    QString title;
    QString author;
    QDate creationDate;
    QString creator;
    QString creatorVersion;
    QList<QPair<QString, QString>> customData; // name, value
};

struct Document
{
    DocInfo info;
    QSizeF pageSize{210, 297};
    QList<Font> fonts;
    QList<Page> pages;
};

// The package as zip bytes: OFD.xml, Doc_0/Document.xml, Doc_0/PublicRes.xml with the fonts in
// Doc_0/Res, and Doc_0/Pages/Page_N/Content.xml for every page, N from 0. Empty with a reason in
// `error` when it cannot be built.
QByteArray PackageBytes(const Document& document, QString* error = nullptr);

// A length as the document writes it: millimetres to three places, without trailing zeros.
QString FormatLength(double mm);
// The DeltaX list, runs of equal steps written as "g <count> <step>".
QString FormatDeltaX(const QList<double>& deltaX);

} // namespace Ofd
