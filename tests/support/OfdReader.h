#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QPointF>
#include <QPolygonF>
#include <QRectF>
#include <QString>
#include <QStringList>

// Reads an OFD package back the way a viewer would: the zip's files, every XML file as a small
// element tree, and the pages' text objects with their characters' positions. Tests use it to
// check the package against the structure GB/T 33190 gives, and the test renderer to draw it.
namespace OfdRead {

// One XML element: local name, namespace, attributes, child elements and its own text.
struct Element
{
    QString name;
    QString ns;
    QMap<QString, QString> attributes;
    QList<Element> children;
    QString text;

    const Element* child(const QString& local) const;
    QList<const Element*> childrenNamed(const QString& local) const;
    // Every element of the tree, this one first, depth first.
    QList<const Element*> all() const;
};

struct Archive
{
    QMap<QString, QByteArray> files; // by path inside the zip
    QString error;                   // why it could not be read
};

Archive ReadArchive(const QString& path);
// The root element of an XML file; a name "" with `error` set when it is not well-formed.
Element ParseXml(const QByteArray& bytes, QString* error = nullptr);

// A location inside the package: `loc` relative to the folder of `base` ("Doc_0/Document.xml"),
// or from the package's root when it starts with "/".
QString Resolve(const QString& base, const QString& loc);

// A DeltaX list with every "g <count> <step>" spelled out.
QList<double> ExpandDeltaX(const QString& deltaX, bool* ok = nullptr);

struct Glyph
{
    QString character; // one code point
    QPointF origin;    // on the page, mm
};

struct Text
{
    int id = 0;
    QRectF boundary;
    QString fontFile; // path of the embedded font in the zip
    double size = 0;  // mm
    int weight = 400;
    QString text;        // every TextCode's characters, in order
    QList<Glyph> glyphs; // one per character
};

struct Page
{
    QString loc; // path of its Content.xml in the zip
    QList<Text> texts;
    // The closed sub-paths of every filled path object, each as a polygon on the page (mm).
    QList<QPolygonF> filled;
};

struct Document
{
    Element ofd;       // OFD.xml
    QString docRoot;   // e.g. "Doc_0/Document.xml"
    Element document;  // Document.xml
    Element publicRes; // PublicRes.xml
    QList<Page> pages;
    QSizeF physicalBox; // mm
    int maxUnitId = 0;
    QStringList problems; // what could not be followed: missing files, bad numbers
};

// Follows OFD.xml to the document, its resources and its pages.
Document ReadDocument(const Archive& archive);

} // namespace OfdRead
