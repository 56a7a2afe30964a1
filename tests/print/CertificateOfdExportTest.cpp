#include "print/CertificateOfdExport.h"
#include "OfdReader.h"
#include "SampleCertificate.h"
#include "print/OfdPackage.h"
#include "print/FontSubstitutions.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRawFont>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>

namespace {

const QString kNs = QStringLiteral("http://www.ofdspec.org/2016");

// A body whose lines are short enough that the page keeps them as they are.
const QString kShortBody =
    QStringLiteral("\r\n\r\n\r\n兹证明张三同志于2024年6月30日离职。\r\n\r\n特此证明。");

CertificateOfdInfo sampleInfo()
{
    return CertificateOfdInfo{
        QStringLiteral("示例公司"), {QStringLiteral("LZ2026-000042")}, QDate(2026, 12, 8)};
}

struct Written
{
    QString path;
    OfdRead::Archive archive;
    OfdRead::Document document;
};

class OfdExport : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { InstallFontSubstitutions(); }

    Written write(const QStringList& bodies, const CertificateOfdInfo& info = sampleInfo())
    {
        Written w;
        w.path = dir.filePath(QStringLiteral("c%1.ofd").arg(++m_files));
        CertificateOfd ofd;
        for (const QString& body : bodies) {
            ofd.addPage(body);
        }
        QString error;
        EXPECT_TRUE(ofd.write(w.path, info, &error)) << error.toStdString();
        w.archive = OfdRead::ReadArchive(w.path);
        EXPECT_TRUE(w.archive.error.isEmpty()) << w.archive.error.toStdString();
        w.document = OfdRead::ReadDocument(w.archive);
        EXPECT_TRUE(w.document.problems.isEmpty()) << w.document.problems.join(u'\n').toStdString();
        return w;
    }

    // Every XML file of the package, parsed.
    static QMap<QString, OfdRead::Element> xmlFiles(const OfdRead::Archive& archive)
    {
        QMap<QString, OfdRead::Element> files;
        for (auto it = archive.files.cbegin(); it != archive.files.cend(); ++it) {
            if (it.key().endsWith(QStringLiteral(".xml"))) {
                QString error;
                files.insert(it.key(), OfdRead::ParseXml(it.value(), &error));
                EXPECT_TRUE(error.isEmpty())
                    << it.key().toStdString() << ": " << error.toStdString();
            }
        }
        return files;
    }

    QTemporaryDir dir;

private:
    int m_files = 0;
};

QStringList pageTexts(const OfdRead::Page& page)
{
    QStringList texts;
    for (const OfdRead::Text& text : page.texts) {
        texts << text.text;
    }
    return texts;
}

// What an element of one kind must carry, as the standard's schema has it.
struct Required
{
    const char* file; // "OFD.xml", "Document.xml", "PublicRes.xml" or "Content.xml"
    const char* element;
    QStringList attributes;
    QStringList children;
};

const QList<Required> kRequired = {
    {"OFD.xml", "OFD", {"Version", "DocType"}, {"DocBody"}},
    {"OFD.xml", "DocBody", {}, {"DocInfo", "DocRoot"}},
    {"OFD.xml", "DocInfo", {}, {"DocID", "Title", "Author", "CreationDate", "CustomDatas"}},
    {"OFD.xml", "CustomData", {"Name"}, {}},
    {"Document.xml", "Document", {}, {"CommonData", "Pages"}},
    {"Document.xml", "CommonData", {}, {"MaxUnitID", "PageArea", "PublicRes"}},
    {"Document.xml", "PageArea", {}, {"PhysicalBox"}},
    {"Document.xml", "Page", {"ID", "BaseLoc"}, {}},
    {"PublicRes.xml", "Res", {"BaseLoc"}, {"Fonts"}},
    {"PublicRes.xml", "Font", {"ID", "FontName"}, {"FontFile"}},
    {"Content.xml", "Page", {}, {"Content"}},
    {"Content.xml", "Content", {}, {"Layer"}},
    {"Content.xml", "Layer", {"ID"}, {"TextObject"}},
    {"Content.xml", "TextObject", {"ID", "Boundary", "Font", "Size"}, {"TextCode"}},
    {"Content.xml", "TextCode", {"X", "Y"}, {}},
};

} // namespace

TEST_F(OfdExport, EveryRequiredElementAndAttributeIsPresent)
{
    const Written w = write({SampleBody(), kShortBody});
    const QMap<QString, OfdRead::Element> files = xmlFiles(w.archive);
    ASSERT_TRUE(files.contains(QStringLiteral("OFD.xml")));
    for (const Required& rule : kRequired) {
        int seen = 0;
        for (auto it = files.cbegin(); it != files.cend(); ++it) {
            if (!it.key().endsWith(QLatin1String(rule.file))) {
                continue;
            }
            for (const OfdRead::Element* e : it.value().all()) {
                if (e->name != QLatin1String(rule.element)) {
                    continue;
                }
                ++seen;
                for (const QString& attribute : rule.attributes) {
                    EXPECT_TRUE(e->attributes.contains(attribute))
                        << rule.element << " in " << it.key().toStdString() << " lacks "
                        << attribute.toStdString();
                }
                for (const QString& child : rule.children) {
                    EXPECT_NE(e->child(child), nullptr)
                        << rule.element << " in " << it.key().toStdString() << " lacks "
                        << child.toStdString();
                }
            }
        }
        EXPECT_GT(seen, 0) << "no " << rule.element << " in any " << rule.file;
    }
    // Every element of every file is in the standard's namespace.
    for (auto it = files.cbegin(); it != files.cend(); ++it) {
        for (const OfdRead::Element* e : it.value().all()) {
            EXPECT_EQ(e->ns, kNs) << e->name.toStdString() << " in " << it.key().toStdString();
        }
    }
    // The roots the standard gives each file.
    EXPECT_EQ(files.value(QStringLiteral("OFD.xml")).name, QStringLiteral("OFD"));
    EXPECT_EQ(files.value(QStringLiteral("Doc_0/Document.xml")).name, QStringLiteral("Document"));
    EXPECT_EQ(files.value(QStringLiteral("Doc_0/PublicRes.xml")).name, QStringLiteral("Res"));
    EXPECT_EQ(files.value(QStringLiteral("Doc_0/Pages/Page_1/Content.xml")).name,
              QStringLiteral("Page"));
    const OfdRead::Element& ofd = files.value(QStringLiteral("OFD.xml"));
    EXPECT_EQ(ofd.attributes.value(QStringLiteral("Version")), QStringLiteral("1.0"));
    EXPECT_EQ(ofd.attributes.value(QStringLiteral("DocType")), QStringLiteral("OFD"));
}

TEST_F(OfdExport, IdsAreUniqueAndWithinMaxUnitId)
{
    const Written w = write({SampleBody(), kShortBody, SampleBody()});
    ASSERT_GT(w.document.maxUnitId, 0);
    QSet<int> ids;
    QSet<QString> fontIds;
    QStringList fontRefs;
    for (const auto& [path, root] : xmlFiles(w.archive).asKeyValueRange()) {
        for (const OfdRead::Element* e : root.all()) {
            if (e->attributes.contains(QStringLiteral("ID"))) {
                bool ok = false;
                const int id = e->attributes.value(QStringLiteral("ID")).toInt(&ok);
                EXPECT_TRUE(ok) << path.toStdString();
                EXPECT_GE(id, 1);
                EXPECT_LE(id, w.document.maxUnitId) << e->name.toStdString();
                EXPECT_FALSE(ids.contains(id)) << "ID " << id << " twice";
                ids.insert(id);
                if (e->name == QLatin1String("Font")) {
                    fontIds.insert(e->attributes.value(QStringLiteral("ID")));
                }
            }
            if (e->name == QLatin1String("TextObject")) {
                fontRefs << e->attributes.value(QStringLiteral("Font"));
            }
        }
    }
    // 3 pages, each with a page and a layer ID, besides the font and the text objects.
    EXPECT_GE(ids.size(), 1 + 3 * 2 + 3);
    EXPECT_TRUE(ids.contains(w.document.maxUnitId));
    ASSERT_FALSE(fontRefs.isEmpty());
    for (const QString& ref : fontRefs) {
        EXPECT_TRUE(fontIds.contains(ref)) << "text names font " << ref.toStdString();
    }
}

TEST_F(OfdExport, EveryReferencedFileIsInThePackageAndNothingElse)
{
    const Written w = write({SampleBody(), kShortBody});
    const OfdRead::Element& ofd = w.document.ofd;
    QStringList referenced{QStringLiteral("OFD.xml")};
    referenced << OfdRead::Resolve(
        QStringLiteral("OFD.xml"),
        ofd.child(QStringLiteral("DocBody"))->child(QStringLiteral("DocRoot"))->text);
    const OfdRead::Element* common = w.document.document.child(QStringLiteral("CommonData"));
    ASSERT_NE(common, nullptr);
    const QString publicRes =
        OfdRead::Resolve(w.document.docRoot, common->child(QStringLiteral("PublicRes"))->text);
    referenced << publicRes;
    for (const OfdRead::Element* page : w.document.document.child(QStringLiteral("Pages"))
                                            ->childrenNamed(QStringLiteral("Page"))) {
        referenced << OfdRead::Resolve(w.document.docRoot,
                                       page->attributes.value(QStringLiteral("BaseLoc")));
    }
    const QString resBase = OfdRead::Resolve(
        publicRes, w.document.publicRes.attributes.value(QStringLiteral("BaseLoc")) + u'/');
    for (const OfdRead::Element* e : w.document.publicRes.all()) {
        if (e->name == QLatin1String("FontFile")) {
            referenced << OfdRead::Resolve(resBase, e->text);
        }
    }
    for (const QString& path : referenced) {
        EXPECT_TRUE(w.archive.files.contains(path)) << path.toStdString();
    }
    QStringList inZip = w.archive.files.keys();
    std::sort(referenced.begin(), referenced.end());
    std::sort(inZip.begin(), inZip.end());
    EXPECT_EQ(inZip, referenced);
    EXPECT_EQ(referenced.size(), 1 + 1 + 1 + 2 + 1); // OFD, Document, PublicRes, 2 pages, 1 font
}

TEST_F(OfdExport, PageTextIsTheCertificatesLines)
{
    const Written w = write({kShortBody});
    ASSERT_EQ(w.document.pages.size(), 1);
    EXPECT_EQ(pageTexts(w.document.pages.first()),
              (QStringList{QStringLiteral("离职证明"),
                           QStringLiteral("兹证明张三同志于2024年6月30日离职。"),
                           QStringLiteral("特此证明。")}));
}

TEST_F(OfdExport, WrappedBodyKeepsEveryCharacterInOrderInsideTheColumn)
{
    const QString body = SampleBody();
    const Written w = write({body});
    ASSERT_EQ(w.document.pages.size(), 1);
    const QStringList texts = pageTexts(w.document.pages.first());
    ASSERT_GT(texts.size(), 4);
    EXPECT_EQ(texts.first(), QStringLiteral("离职证明"));
    QString expected = body;
    expected.remove(QStringLiteral("\r\n"));
    EXPECT_EQ(texts.mid(1).join(QString()), expected);
    // The column starts at 54 of 581 units across the 4958 units of the page, 460 units or
    // 19.473 mm, and is 4036 units wide: it ends at 190.331 mm.
    for (const OfdRead::Text& text : w.document.pages.first().texts.mid(1)) {
        ASSERT_FALSE(text.glyphs.isEmpty());
        EXPECT_NEAR(text.glyphs.first().origin.x(), 19.473, 0.002) << text.text.toStdString();
        EXPECT_LT(text.boundary.right() - 1.0, 190.331 + 0.002) << text.text.toStdString();
    }
}

TEST_F(OfdExport, LinesStandWhereThePageGridPutsThem)
{
    const Written w = write({kShortBody});
    const QList<OfdRead::Text>& texts = w.document.pages.first().texts;
    ASSERT_EQ(texts.size(), 3);
    EXPECT_EQ(w.document.physicalBox, QSizeF(210, 297));
    // The page is laid out over the PDF's A4 page, 595 x 842 points or 4958 x 7017 units at
    // 600 dpi, cut into the 581 x 815 grid. The title's cell starts at (228, 101) of the grid:
    // units (1945, 869), (82.338 mm, 36.788 mm); it is drawn bold.
    EXPECT_NEAR(texts[0].glyphs.first().origin.x(), 82.338, 0.002);
    EXPECT_NEAR(texts[0].boundary.top() + 1.0, 36.788, 0.002);
    EXPECT_EQ(texts[0].weight, 700);
    EXPECT_EQ(texts[1].weight, 400);
    // The first body line's cell starts at (54, 176): units (460, 1515), (19.473 mm, 64.135 mm).
    EXPECT_NEAR(texts[1].glyphs.first().origin.x(), 19.473, 0.002);
    EXPECT_NEAR(texts[1].boundary.top() + 1.0, 64.135, 0.002);
    // The body font's cell is 125 units high (5.29 mm); the baseline lies inside it, below its
    // top by most of it.
    const double baseline = texts[1].glyphs.first().origin.y();
    EXPECT_GT(baseline, 64.135 + 0.6 * 5.29);
    EXPECT_LT(baseline, 64.135 + 5.29 + 0.05);
    // An empty line in between: the third line stands two line advances below the second; one
    // advance is 29 units of the grid (about 10.57 mm).
    const double advance = (texts[2].boundary.top() - texts[1].boundary.top()) / 2;
    EXPECT_NEAR(advance, 29 * 297.0 / 815, 0.05);
}

TEST_F(OfdExport, FullWidthCharactersAdvanceByOneEm)
{
    const Written w = write({QStringLiteral("证明证明证明证明")});
    const OfdRead::Text& line = w.document.pages.first().texts.at(1);
    ASSERT_EQ(line.glyphs.size(), 8);
    for (qsizetype i = 1; i < line.glyphs.size(); ++i) {
        EXPECT_NEAR(line.glyphs[i].origin.x() - line.glyphs[i - 1].origin.x(), line.size, 0.01);
        EXPECT_DOUBLE_EQ(line.glyphs[i].origin.y(), line.glyphs[0].origin.y());
    }
    // The body font: a cell of 125 px at 600 dpi, the em a little under it.
    EXPECT_GT(line.size, 4.0);
    EXPECT_LT(line.size, 5.3);
    // The package writes equal steps as one "g" run.
    const OfdRead::Element content =
        OfdRead::ParseXml(w.archive.files.value(QStringLiteral("Doc_0/Pages/Page_0/Content.xml")));
    QStringList deltas;
    for (const OfdRead::Element* e : content.all()) {
        if (e->name == QLatin1String("TextCode")) {
            deltas << e->attributes.value(QStringLiteral("DeltaX"));
        }
    }
    ASSERT_EQ(deltas.size(), 2);
    EXPECT_TRUE(deltas[1].startsWith(QStringLiteral("g 7 "))) << deltas[1].toStdString();
}

TEST_F(OfdExport, DocumentInformationNamesTitleCompanyDateAndNumber)
{
    const Written w = write({kShortBody});
    const OfdRead::Element* info =
        w.document.ofd.child(QStringLiteral("DocBody"))->child(QStringLiteral("DocInfo"));
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->child(QStringLiteral("Title"))->text, QStringLiteral("离职证明"));
    EXPECT_EQ(info->child(QStringLiteral("Author"))->text, QStringLiteral("示例公司"));
    EXPECT_EQ(info->child(QStringLiteral("CreationDate"))->text, QStringLiteral("2026-12-08"));
    EXPECT_EQ(info->child(QStringLiteral("Creator"))->text, QStringLiteral("kavri"));
    EXPECT_EQ(info->child(QStringLiteral("DocID"))->text.size(), 32);
    const QList<const OfdRead::Element*> data =
        info->child(QStringLiteral("CustomDatas"))->childrenNamed(QStringLiteral("CustomData"));
    ASSERT_EQ(data.size(), 1);
    EXPECT_EQ(data[0]->attributes.value(QStringLiteral("Name")), QStringLiteral("证明编号"));
    EXPECT_EQ(data[0]->text, QStringLiteral("LZ2026-000042"));
}

TEST_F(OfdExport, WithoutCompanyOrNumberThoseAreLeftOut)
{
    const Written w = write({kShortBody}, CertificateOfdInfo{});
    const OfdRead::Element* info =
        w.document.ofd.child(QStringLiteral("DocBody"))->child(QStringLiteral("DocInfo"));
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->child(QStringLiteral("Author")), nullptr);
    EXPECT_EQ(info->child(QStringLiteral("CustomDatas")), nullptr);
    // The date defaults to today.
    EXPECT_EQ(info->child(QStringLiteral("CreationDate"))->text,
              QDate::currentDate().toString(Qt::ISODate));
}

TEST_F(OfdExport, EmbeddedFontIsASmallSubsetHoldingEveryCharacterUsed)
{
    const Written w = write({SampleBody()});
    QStringList fontFiles;
    for (const QString& path : w.archive.files.keys()) {
        if (path.startsWith(QStringLiteral("Doc_0/Res/"))) {
            fontFiles << path;
        }
    }
    ASSERT_EQ(fontFiles.size(), 1);
    const QByteArray data = w.archive.files.value(fontFiles.first());
    EXPECT_LT(data.size(), 1024 * 1024);
    EXPECT_LT(data.size(), 200 * 1024); // about a hundred distinct characters
    EXPECT_LT(QFileInfo(w.path).size(), 1024 * 1024);
    const QRawFont font(data, 50);
    ASSERT_TRUE(font.isValid());
    EXPECT_EQ(font.familyName(), QStringLiteral("AR PL UMing CN"));
    for (const OfdRead::Text& text : w.document.pages.first().texts) {
        for (const OfdRead::Glyph& glyph : text.glyphs) {
            EXPECT_TRUE(font.supportsCharacter(glyph.character.toUcs4().value(0)))
                << glyph.character.toStdString();
        }
    }
    // Characters the page does not use are not carried along.
    for (const QString& absent :
         {QStringLiteral("龍"), QStringLiteral("鑫"), QStringLiteral("Q")}) {
        EXPECT_FALSE(font.supportsCharacter(absent.at(0))) << absent.toStdString();
    }
}

TEST_F(OfdExport, CharacterTheSongFaceLacksComesFromAFallbackFaceEmbeddedBeside)
{
    // 𠮷 (U+20BB7) is not in AR PL UMing; Qt draws it from a Noto CJK face.
    const QString line = QStringLiteral("兹证明𠮷磊同志已离职。");
    const Written w = write({line});
    const QList<OfdRead::Text>& texts = w.document.pages.first().texts;
    ASSERT_EQ(texts.size(), 4); // the title, then the line in three runs: song, fallback, song
    EXPECT_EQ(texts[1].text + texts[2].text + texts[3].text, line);
    EXPECT_EQ(texts[2].text, QStringLiteral("𠮷"));
    EXPECT_NE(texts[2].fontFile, texts[1].fontFile);
    EXPECT_EQ(texts[3].fontFile, texts[1].fontFile);
    // The runs follow each other without a gap: each starts where the one before it ends.
    EXPECT_NEAR(texts[2].glyphs.first().origin.x() - texts[1].glyphs.last().origin.x(),
                texts[1].size, 0.01);
    EXPECT_NEAR(texts[3].glyphs.first().origin.x() - texts[2].glyphs.first().origin.x(),
                texts[1].size, 0.01);
    const QRawFont fallback(w.archive.files.value(texts[2].fontFile), 50);
    ASSERT_TRUE(fallback.isValid());
    EXPECT_TRUE(fallback.familyName().startsWith(QStringLiteral("Noto")))
        << fallback.familyName().toStdString();
    EXPECT_TRUE(fallback.supportsCharacter(char32_t(0x20BB7)));
    EXPECT_LT(w.archive.files.value(texts[2].fontFile).size(), 100 * 1024);
}

TEST_F(OfdExport, SeveralPagesShareOneFontAndKeepTheirOwnTexts)
{
    const Written w = write({kShortBody, SampleBody(), QStringLiteral("第三页")});
    ASSERT_EQ(w.document.pages.size(), 3);
    EXPECT_EQ(pageTexts(w.document.pages[0]).value(1),
              QStringLiteral("兹证明张三同志于2024年6月30日离职。"));
    EXPECT_EQ(pageTexts(w.document.pages[2]),
              (QStringList{QStringLiteral("离职证明"), QStringLiteral("第三页")}));
    QSet<QString> fonts;
    for (const OfdRead::Page& page : w.document.pages) {
        for (const OfdRead::Text& text : page.texts) {
            fonts.insert(text.fontFile);
        }
    }
    EXPECT_EQ(fonts.size(), 1);
    EXPECT_EQ(w.document.pages[2].loc, QStringLiteral("Doc_0/Pages/Page_2/Content.xml"));
}

TEST_F(OfdExport, UnwritablePathFailsAndLeavesNothing)
{
    const QString path = dir.filePath(QStringLiteral("missing/sub/out.ofd"));
    QString error;
    EXPECT_FALSE(ExportCertificateOfd(path, SampleBody(), sampleInfo(), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(OfdExport, FailedRenameLeavesNoTemporaryFileBehind)
{
    const QString path = dir.filePath(QStringLiteral("taken.ofd"));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("taken.ofd")));
    QString error;
    EXPECT_FALSE(ExportCertificateOfd(path, SampleBody(), sampleInfo(), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList{QStringLiteral("taken.ofd")});
}

TEST_F(OfdExport, ReplacesAnEarlierExport)
{
    const QString path = dir.filePath(QStringLiteral("again.ofd"));
    ASSERT_TRUE(ExportCertificateOfd(path, QStringLiteral("第一份"), sampleInfo()));
    ASSERT_TRUE(ExportCertificateOfd(path, QStringLiteral("第二份"), sampleInfo()));
    const OfdRead::Document doc = OfdRead::ReadDocument(OfdRead::ReadArchive(path));
    ASSERT_EQ(doc.pages.size(), 1);
    EXPECT_EQ(pageTexts(doc.pages.first()).value(1), QStringLiteral("第二份"));
}

TEST(OfdNumbers, LengthsAreMillimetresToThreePlaces)
{
    const QList<QPair<double, QString>> cases = {
        {0, "0"},       {10, "10"},       {3.5, "3.5"}, {19.518072, "19.518"}, {0.0004, "0"},
        {-0.0004, "0"}, {-2.25, "-2.25"}, {297, "297"}, {4.2333, "4.233"},     {4.2336, "4.234"},
    };
    for (const auto& [mm, text] : cases) {
        EXPECT_EQ(Ofd::FormatLength(mm), text) << mm;
    }
}

TEST(OfdNumbers, EqualStepsAreWrittenAsOneRun)
{
    const QList<QPair<QList<double>, QString>> cases = {
        {{}, ""},
        {{4.233}, "4.233"},
        {{1, 2}, "1 2"},
        {{3.5, 3.5}, "3.5 3.5"},
        {{3.5, 3.5, 3.5}, "g 3 3.5"},
        {{2, 3.5, 3.5, 3.5, 3.5, 1}, "2 g 4 3.5 1"},
        {{1, 1, 1, 2, 2, 2}, "g 3 1 g 3 2"},
        // Steps equal once written count as equal.
        {{4.2331, 4.2332, 4.2329}, "g 3 4.233"},
    };
    for (const auto& [steps, text] : cases) {
        EXPECT_EQ(Ofd::FormatDeltaX(steps), text) << text.toStdString();
        bool ok = false;
        const QList<double> back = OfdRead::ExpandDeltaX(text, &ok);
        EXPECT_TRUE(ok);
        EXPECT_EQ(back.size(), steps.size());
    }
}
