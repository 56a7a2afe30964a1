#include "print/OfdPackage.h"

#include <QBuffer>
#include <QUuid>
#include <QXmlStreamWriter>

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipnewinfo.h>

#include <cmath>

namespace Ofd {

namespace {

const QString kDocRoot = QStringLiteral("Doc_0");
const QString kResFolder = QStringLiteral("Res");

QString pageLoc(qsizetype index)
{
    return QStringLiteral("Pages/Page_%1/Content.xml").arg(index);
}

QString box(const QRectF& r)
{
    return FormatLength(r.x()) + u' ' + FormatLength(r.y()) + u' ' + FormatLength(r.width()) +
           u' ' + FormatLength(r.height());
}

// IDs in document order: the fonts, then per page the page, its layer and its objects. The
// largest is the document's MaxUnitID.
struct Ids
{
    explicit Ids(const Document& document)
    {
        int next = 1;
        for (qsizetype i = 0; i < document.fonts.size(); ++i) {
            fonts << next++;
        }
        for (const Page& page : document.pages) {
            pages << next++;
            layers << next++;
            firstText << next;
            next += int(page.texts.size()) + (page.fills.isEmpty() ? 0 : 1);
        }
        max = next - 1;
    }
    QList<int> fonts;
    QList<int> pages;
    QList<int> layers;
    QList<int> firstText;
    int max = 0;
};

class Xml
{
public:
    Xml() : m_writer(&m_bytes)
    {
        m_writer.setAutoFormatting(true);
        m_writer.setAutoFormattingIndent(1);
        m_writer.writeStartDocument();
        m_writer.writeNamespace(kNamespace, QStringLiteral("ofd"));
    }
    QXmlStreamWriter& operator*() { return m_writer; }
    QXmlStreamWriter* operator->() { return &m_writer; }
    void start(const char* name) { m_writer.writeStartElement(kNamespace, QLatin1String(name)); }
    void end() { m_writer.writeEndElement(); }
    void element(const char* name, const QString& text)
    {
        m_writer.writeTextElement(kNamespace, QLatin1String(name), text);
    }
    QByteArray finish()
    {
        m_writer.writeEndDocument();
        return m_bytes;
    }

private:
    QByteArray m_bytes;
    QXmlStreamWriter m_writer;
};

QByteArray ofdXml(const Document& document)
{
    const DocInfo& info = document.info;
    Xml xml;
    xml.start("OFD");
    xml->writeAttribute(QStringLiteral("Version"), QStringLiteral("1.0"));
    xml->writeAttribute(QStringLiteral("DocType"), QStringLiteral("OFD"));
    xml.start("DocBody");
    xml.start("DocInfo");
    xml.element("DocID", QUuid::createUuid().toString(QUuid::Id128));
    if (!info.title.isEmpty()) {
        xml.element("Title", info.title);
    }
    if (!info.author.isEmpty()) {
        xml.element("Author", info.author);
    }
    if (info.creationDate.isValid()) {
        xml.element("CreationDate", info.creationDate.toString(Qt::ISODate));
    }
    if (!info.creator.isEmpty()) {
        xml.element("Creator", info.creator);
    }
    if (!info.creatorVersion.isEmpty()) {
        xml.element("CreatorVersion", info.creatorVersion);
    }
    if (!info.customData.isEmpty()) {
        xml.start("CustomDatas");
        for (const auto& [name, value] : info.customData) {
            xml.start("CustomData");
            xml->writeAttribute(QStringLiteral("Name"), name);
            xml->writeCharacters(value);
            xml.end();
        }
        xml.end();
    }
    xml.end(); // DocInfo
    xml.element("DocRoot", kDocRoot + QStringLiteral("/Document.xml"));
    xml.end(); // DocBody
    xml.end(); // OFD
    return xml.finish();
}

QByteArray documentXml(const Document& document, const Ids& ids)
{
    Xml xml;
    xml.start("Document");
    xml.start("CommonData");
    xml.element("MaxUnitID", QString::number(ids.max));
    xml.start("PageArea");
    xml.element("PhysicalBox", box(QRectF(QPointF(0, 0), document.pageSize)));
    xml.end();
    xml.element("PublicRes", QStringLiteral("PublicRes.xml"));
    xml.end(); // CommonData
    xml.start("Pages");
    for (qsizetype i = 0; i < document.pages.size(); ++i) {
        xml.start("Page");
        xml->writeAttribute(QStringLiteral("ID"), QString::number(ids.pages.at(i)));
        xml->writeAttribute(QStringLiteral("BaseLoc"), pageLoc(i));
        xml.end();
    }
    xml.end(); // Pages
    xml.end(); // Document
    return xml.finish();
}

QByteArray publicResXml(const Document& document, const Ids& ids)
{
    Xml xml;
    xml.start("Res");
    xml->writeAttribute(QStringLiteral("BaseLoc"), kResFolder);
    if (!document.fonts.isEmpty()) {
        xml.start("Fonts");
        for (qsizetype i = 0; i < document.fonts.size(); ++i) {
            const Font& font = document.fonts.at(i);
            xml.start("Font");
            xml->writeAttribute(QStringLiteral("ID"), QString::number(ids.fonts.at(i)));
            xml->writeAttribute(QStringLiteral("FontName"), font.name);
            xml->writeAttribute(QStringLiteral("FamilyName"), font.family);
            if (font.bold) {
                xml->writeAttribute(QStringLiteral("Bold"), QStringLiteral("true"));
            }
            if (font.serif) {
                xml->writeAttribute(QStringLiteral("Serif"), QStringLiteral("true"));
            }
            xml.element("FontFile", font.fileName);
            xml.end();
        }
        xml.end();
    }
    xml.end(); // Res
    return xml.finish();
}

QByteArray contentXml(const Page& page, qsizetype index, const Ids& ids)
{
    Xml xml;
    xml.start("Page");
    xml.start("Content");
    xml.start("Layer");
    xml->writeAttribute(QStringLiteral("ID"), QString::number(ids.layers.at(index)));
    xml->writeAttribute(QStringLiteral("Type"), QStringLiteral("Body"));
    int id = ids.firstText.at(index);
    for (const TextObject& text : page.texts) {
        xml.start("TextObject");
        xml->writeAttribute(QStringLiteral("ID"), QString::number(id++));
        xml->writeAttribute(QStringLiteral("Boundary"), box(text.boundary));
        xml->writeAttribute(QStringLiteral("Font"), QString::number(ids.fonts.at(text.font)));
        xml->writeAttribute(QStringLiteral("Size"), FormatLength(text.size));
        if (text.weight != 400) {
            xml->writeAttribute(QStringLiteral("Weight"), QString::number(text.weight));
        }
        xml.start("FillColor");
        xml->writeAttribute(QStringLiteral("Value"), QStringLiteral("0 0 0"));
        xml.end();
        xml.start("TextCode");
        xml->writeAttribute(QStringLiteral("X"), FormatLength(text.origin.x()));
        xml->writeAttribute(QStringLiteral("Y"), FormatLength(text.origin.y()));
        if (!text.deltaX.isEmpty()) {
            xml->writeAttribute(QStringLiteral("DeltaX"), FormatDeltaX(text.deltaX));
        }
        xml->writeCharacters(text.text);
        xml.end(); // TextCode
        xml.end(); // TextObject
    }
    if (!page.fills.isEmpty()) {
        // One path of closed rectangles, filled, in the coordinates of its boundary.
        QRectF bounds;
        for (const QRectF& r : page.fills) {
            bounds = bounds.united(r);
        }
        QString data;
        data.reserve(page.fills.size() * 64);
        const auto point = [&data, &bounds](const char* op, double x, double y) {
            if (!data.isEmpty()) {
                data += u' ';
            }
            data += QLatin1String(op) + u' ' + FormatLength(x - bounds.x()) + u' ' +
                    FormatLength(y - bounds.y());
        };
        for (const QRectF& r : page.fills) {
            point("M", r.left(), r.top());
            point("L", r.right(), r.top());
            point("L", r.right(), r.bottom());
            point("L", r.left(), r.bottom());
            data += QLatin1String(" C");
        }
        xml.start("PathObject");
        xml->writeAttribute(QStringLiteral("ID"), QString::number(id++));
        xml->writeAttribute(QStringLiteral("Boundary"), box(bounds));
        xml->writeAttribute(QStringLiteral("Stroke"), QStringLiteral("false"));
        xml->writeAttribute(QStringLiteral("Fill"), QStringLiteral("true"));
        xml.start("FillColor");
        xml->writeAttribute(QStringLiteral("Value"), QStringLiteral("0 0 0"));
        xml.end();
        xml.element("AbbreviatedData", data);
        xml.end(); // PathObject
    }
    xml.end(); // Layer
    xml.end(); // Content
    xml.end(); // Page
    return xml.finish();
}

bool addFile(QuaZip& zip, const QString& name, const QByteArray& bytes)
{
    QuaZipFile file(&zip);
    if (!file.open(QIODevice::WriteOnly, QuaZipNewInfo(name))) {
        return false;
    }
    const bool written = file.write(bytes) == bytes.size();
    file.close();
    return written && file.getZipError() == 0;
}

} // namespace

QString FormatLength(double mm)
{
    QString text = QString::number(mm, 'f', 3);
    while (text.endsWith(u'0')) {
        text.chop(1);
    }
    if (text.endsWith(u'.')) {
        text.chop(1);
    }
    if (text == QLatin1String("-0")) {
        text = QStringLiteral("0");
    }
    return text;
}

QString FormatDeltaX(const QList<double>& deltaX)
{
    QStringList parts;
    for (qsizetype i = 0; i < deltaX.size();) {
        const QString step = FormatLength(deltaX.at(i));
        qsizetype run = 1;
        while (i + run < deltaX.size() && FormatLength(deltaX.at(i + run)) == step) {
            ++run;
        }
        if (run >= 3) {
            parts << QStringLiteral("g") << QString::number(run) << step;
        } else {
            for (qsizetype k = 0; k < run; ++k) {
                parts << step;
            }
        }
        i += run;
    }
    return parts.join(u' ');
}

QByteArray PackageBytes(const Document& document, QString* error)
{
    const Ids ids(document);
    QBuffer buffer;
    buffer.open(QIODevice::ReadWrite);
    {
        QuaZip zip(&buffer);
        if (!zip.open(QuaZip::mdCreate)) {
            if (error) {
                *error = QStringLiteral("无法建立 OFD 压缩包");
            }
            return {};
        }
        const QString doc = kDocRoot + u'/';
        bool ok = addFile(zip, QStringLiteral("OFD.xml"), ofdXml(document)) &&
                  addFile(zip, doc + QStringLiteral("Document.xml"), documentXml(document, ids)) &&
                  addFile(zip, doc + QStringLiteral("PublicRes.xml"), publicResXml(document, ids));
        for (qsizetype i = 0; ok && i < document.fonts.size(); ++i) {
            const Font& font = document.fonts.at(i);
            ok = addFile(zip, doc + kResFolder + u'/' + font.fileName, font.data);
        }
        for (qsizetype i = 0; ok && i < document.pages.size(); ++i) {
            ok = addFile(zip, doc + pageLoc(i), contentXml(document.pages.at(i), i, ids));
        }
        zip.close();
        if (!ok || zip.getZipError() != 0) {
            if (error) {
                *error = QStringLiteral("无法写入 OFD 压缩包");
            }
            return {};
        }
    }
    return buffer.data();
}

} // namespace Ofd
