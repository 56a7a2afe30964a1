#include "OfdReader.h"

#include <QBuffer>
#include <QXmlStreamReader>

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>

namespace OfdRead {

const Element* Element::child(const QString& local) const
{
    for (const Element& c : children) {
        if (c.name == local) {
            return &c;
        }
    }
    return nullptr;
}

QList<const Element*> Element::childrenNamed(const QString& local) const
{
    QList<const Element*> found;
    for (const Element& c : children) {
        if (c.name == local) {
            found << &c;
        }
    }
    return found;
}

QList<const Element*> Element::all() const
{
    QList<const Element*> list{this};
    for (const Element& c : children) {
        list << c.all();
    }
    return list;
}

Archive ReadArchive(const QString& path)
{
    Archive archive;
    QuaZip zip(path);
    if (!zip.open(QuaZip::mdUnzip)) {
        archive.error = QStringLiteral("not a zip file");
        return archive;
    }
    for (bool more = zip.goToFirstFile(); more; more = zip.goToNextFile()) {
        QuaZipFile file(&zip);
        if (!file.open(QIODevice::ReadOnly)) {
            archive.error = QStringLiteral("cannot open ") + zip.getCurrentFileName();
            return archive;
        }
        archive.files.insert(zip.getCurrentFileName(), file.readAll());
    }
    return archive;
}

namespace {

Element readElement(QXmlStreamReader& xml)
{
    Element element;
    element.name = xml.name().toString();
    element.ns = xml.namespaceUri().toString();
    for (const QXmlStreamAttribute& attribute : xml.attributes()) {
        element.attributes.insert(attribute.qualifiedName().toString(),
                                  attribute.value().toString());
    }
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            element.children.append(readElement(xml));
        } else if (xml.isCharacters()) {
            element.text += xml.text();
        } else if (xml.isEndElement()) {
            break;
        }
    }
    if (!element.children.isEmpty()) {
        element.text = element.text.trimmed();
    }
    return element;
}

} // namespace

Element ParseXml(const QByteArray& bytes, QString* error)
{
    QXmlStreamReader xml(bytes);
    Element root;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            root = readElement(xml);
        }
    }
    if (xml.hasError()) {
        if (error) {
            *error = xml.errorString();
        }
        return Element{};
    }
    return root;
}

QString Resolve(const QString& base, const QString& loc)
{
    if (loc.startsWith(u'/')) {
        return loc.mid(1);
    }
    const qsizetype slash = base.lastIndexOf(u'/');
    return slash < 0 ? loc : base.left(slash + 1) + loc;
}

QList<double> ExpandDeltaX(const QString& deltaX, bool* ok)
{
    QList<double> steps;
    const QStringList parts = deltaX.split(u' ', Qt::SkipEmptyParts);
    bool good = true;
    for (qsizetype i = 0; i < parts.size() && good; ++i) {
        if (parts.at(i) == QLatin1String("g")) {
            bool countOk = false;
            bool stepOk = false;
            const int count = i + 2 < parts.size() ? parts.at(i + 1).toInt(&countOk) : 0;
            const double step = i + 2 < parts.size() ? parts.at(i + 2).toDouble(&stepOk) : 0;
            good = countOk && stepOk && count > 0;
            for (int k = 0; good && k < count; ++k) {
                steps << step;
            }
            i += 2;
        } else {
            bool stepOk = false;
            steps << parts.at(i).toDouble(&stepOk);
            good = stepOk;
        }
    }
    if (ok) {
        *ok = good;
    }
    return steps;
}

namespace {

QList<double> numbers(const QString& text, bool* ok)
{
    QList<double> values;
    *ok = true;
    for (const QString& part : text.split(u' ', Qt::SkipEmptyParts)) {
        bool good = false;
        values << part.toDouble(&good);
        *ok = *ok && good;
    }
    return values;
}

QRectF rectOf(const QString& text, bool* ok)
{
    const QList<double> v = numbers(text, ok);
    if (!*ok || v.size() != 4) {
        *ok = false;
        return {};
    }
    return QRectF(v[0], v[1], v[2], v[3]);
}

QStringList codePoints(const QString& text)
{
    QStringList points;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i).isHighSurrogate() && i + 1 < text.size()) {
            points << text.mid(i, 2);
            ++i;
        } else {
            points << text.mid(i, 1);
        }
    }
    return points;
}

} // namespace

namespace {

// A filled path of straight lines (M, L and C of AbbreviatedData): its closed sub-paths moved
// onto the page by its boundary. Curves and a path that is not filled are reported.
void readPath(const Element& element, Page* page, QStringList* problems)
{
    const QString id = element.attributes.value(QStringLiteral("ID"));
    if (element.attributes.value(QStringLiteral("Fill")) != QLatin1String("true")) {
        *problems << QStringLiteral("path object %1 is not filled").arg(id);
        return;
    }
    bool boxOk = false;
    const QRectF boundary = rectOf(element.attributes.value(QStringLiteral("Boundary")), &boxOk);
    const Element* data = element.child(QStringLiteral("AbbreviatedData"));
    if (!boxOk || data == nullptr) {
        *problems << QStringLiteral("path object %1 has no Boundary or no data").arg(id);
        return;
    }
    const QStringList words = data->text.split(u' ', Qt::SkipEmptyParts);
    QPolygonF current;
    for (qsizetype i = 0; i < words.size();) {
        const QString op = words.at(i++);
        if (op == QLatin1String("C")) {
            if (!current.isEmpty()) {
                page->filled << current;
            }
            current.clear();
            continue;
        }
        bool xOk = false;
        bool yOk = false;
        const double x = i < words.size() ? words.at(i).toDouble(&xOk) : 0;
        const double y = i + 1 < words.size() ? words.at(i + 1).toDouble(&yOk) : 0;
        i += 2;
        if ((op != QLatin1String("M") && op != QLatin1String("L")) || !xOk || !yOk) {
            *problems << QStringLiteral("path object %1: cannot follow \"%2\"").arg(id, op);
            return;
        }
        if (op == QLatin1String("M") && !current.isEmpty()) {
            *problems << QStringLiteral("path object %1: a sub-path left open").arg(id);
            current.clear();
        }
        current << boundary.topLeft() + QPointF(x, y);
    }
    if (!current.isEmpty()) {
        *problems << QStringLiteral("path object %1: a sub-path left open").arg(id);
    }
}

} // namespace

Document ReadDocument(const Archive& archive)
{
    Document doc;
    auto parse = [&](const QString& path, Element* into) {
        if (!archive.files.contains(path)) {
            doc.problems << QStringLiteral("missing file ") + path;
            return false;
        }
        QString error;
        *into = ParseXml(archive.files.value(path), &error);
        if (!error.isEmpty()) {
            doc.problems << path + QStringLiteral(": ") + error;
            return false;
        }
        return true;
    };
    if (!parse(QStringLiteral("OFD.xml"), &doc.ofd)) {
        return doc;
    }
    const Element* body = doc.ofd.child(QStringLiteral("DocBody"));
    const Element* root = body ? body->child(QStringLiteral("DocRoot")) : nullptr;
    if (!root) {
        doc.problems << QStringLiteral("no DocBody/DocRoot");
        return doc;
    }
    doc.docRoot = Resolve(QStringLiteral("OFD.xml"), root->text);
    if (!parse(doc.docRoot, &doc.document)) {
        return doc;
    }
    const Element* common = doc.document.child(QStringLiteral("CommonData"));
    if (!common) {
        doc.problems << QStringLiteral("no CommonData");
        return doc;
    }
    bool ok = false;
    if (const Element* max = common->child(QStringLiteral("MaxUnitID"))) {
        doc.maxUnitId = max->text.toInt(&ok);
    }
    if (!ok) {
        doc.problems << QStringLiteral("MaxUnitID missing or not a number");
    }
    const Element* area = common->child(QStringLiteral("PageArea"));
    const Element* physical = area ? area->child(QStringLiteral("PhysicalBox")) : nullptr;
    if (physical) {
        doc.physicalBox = rectOf(physical->text, &ok).size();
    }
    if (!physical || !ok) {
        doc.problems << QStringLiteral("PageArea/PhysicalBox missing or malformed");
    }

    // Fonts by ID, each with the path of its file.
    QMap<QString, QString> fontFiles;
    for (const Element* res : common->childrenNamed(QStringLiteral("PublicRes"))) {
        const QString resPath = Resolve(doc.docRoot, res->text);
        if (!parse(resPath, &doc.publicRes)) {
            continue;
        }
        const QString baseLoc = doc.publicRes.attributes.value(QStringLiteral("BaseLoc"));
        const QString base = baseLoc.isEmpty() ? resPath : Resolve(resPath, baseLoc + u'/');
        for (const Element* fonts : doc.publicRes.childrenNamed(QStringLiteral("Fonts"))) {
            for (const Element* font : fonts->childrenNamed(QStringLiteral("Font"))) {
                const Element* file = font->child(QStringLiteral("FontFile"));
                if (!file) {
                    continue;
                }
                const QString path = Resolve(base, file->text);
                if (!archive.files.contains(path)) {
                    doc.problems << QStringLiteral("missing font file ") + path;
                }
                fontFiles.insert(font->attributes.value(QStringLiteral("ID")), path);
            }
        }
    }

    const Element* pages = doc.document.child(QStringLiteral("Pages"));
    if (!pages) {
        doc.problems << QStringLiteral("no Pages");
        return doc;
    }
    for (const Element* pageRef : pages->childrenNamed(QStringLiteral("Page"))) {
        Page page;
        page.loc = Resolve(doc.docRoot, pageRef->attributes.value(QStringLiteral("BaseLoc")));
        Element content;
        if (!parse(page.loc, &content)) {
            doc.pages << page;
            continue;
        }
        for (const Element* element : content.all()) {
            if (element->name == QLatin1String("PathObject")) {
                readPath(*element, &page, &doc.problems);
                continue;
            }
            if (element->name != QLatin1String("TextObject")) {
                continue;
            }
            Text text;
            text.id = element->attributes.value(QStringLiteral("ID")).toInt();
            bool boxOk = false;
            text.boundary = rectOf(element->attributes.value(QStringLiteral("Boundary")), &boxOk);
            const QString fontId = element->attributes.value(QStringLiteral("Font"));
            text.fontFile = fontFiles.value(fontId);
            if (text.fontFile.isEmpty()) {
                doc.problems << QStringLiteral("text object %1 names no known font").arg(text.id);
            }
            text.size = element->attributes.value(QStringLiteral("Size")).toDouble();
            text.weight =
                element->attributes.value(QStringLiteral("Weight"), QStringLiteral("400")).toInt();
            if (!boxOk) {
                doc.problems << QStringLiteral("text object %1 has a bad Boundary").arg(text.id);
            }
            QPointF pen;
            for (const Element* code : element->childrenNamed(QStringLiteral("TextCode"))) {
                if (code->attributes.contains(QStringLiteral("X"))) {
                    pen.setX(code->attributes.value(QStringLiteral("X")).toDouble());
                }
                if (code->attributes.contains(QStringLiteral("Y"))) {
                    pen.setY(code->attributes.value(QStringLiteral("Y")).toDouble());
                }
                bool deltaOk = true;
                const QList<double> deltaX =
                    ExpandDeltaX(code->attributes.value(QStringLiteral("DeltaX")), &deltaOk);
                const QStringList characters = codePoints(code->text);
                if (!deltaOk || (!deltaX.isEmpty() && deltaX.size() != characters.size() - 1)) {
                    doc.problems << QStringLiteral("text object %1: DeltaX does not fit its text")
                                        .arg(text.id);
                }
                for (qsizetype k = 0; k < characters.size(); ++k) {
                    if (k > 0) {
                        pen.rx() += k - 1 < deltaX.size() ? deltaX.at(k - 1) : 0;
                    }
                    text.glyphs.append({characters.at(k), text.boundary.topLeft() + pen});
                }
                text.text += code->text;
            }
            page.texts << text;
        }
        doc.pages << page;
    }
    return doc;
}

} // namespace OfdRead
