#include "CliRun.h"
#include "OfdPdfLines.h"
#include "OfdReader.h"
#include "VariedCertificates.h"
#include "legal/IdNumberCheck.h"
#include "register/CertificateRegister.h"
#include "register/RegisterFiles.h"

#include <QDir>
#include <QFile>
#include <QRawFont>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>

// kavri-cli batch --format ofd from outside: a sheet of 100 leavers written as PDF and as OFD,
// every OFD page read back and laid beside the PDF page of the same row.
namespace {

constexpr int kRows = 100;

CliRun runOfdBatch(const QStringList& args)
{
    CliSetup setup;
    setup.timeoutMs = 600000;
    return runCli(QStringList{QStringLiteral("batch")} + args, setup);
}

// The sheet: a header, then one row per leaver with an ID number whose birth date and check
// digit are right, so that no row is held back.
QByteArray sheetOf(const QList<CertificateValues>& leavers)
{
    QString csv =
        QStringLiteral("姓名,性别,身份证号,公司名称,部门,职位,入职日期,离职日期,离职原因\r\n");
    for (qsizetype i = 0; i < leavers.size(); ++i) {
        const CertificateValues& v = leavers[i];
        const QString first17 = QStringLiteral("110101") +
                                QDate(1980 + int(i % 10), 1 + int(i % 12), 1 + int(i % 28))
                                    .toString(QStringLiteral("yyyyMMdd")) +
                                QStringLiteral("%1").arg(i, 3, 10, QChar(u'0'));
        csv += QStringList{v.name,     v.gender,     first17 + Legal::idCheckDigit(first17),
                           v.company,  v.department, v.position,
                           v.joinDate, v.leaveDate,  v.reason}
                   .join(u',') +
               QStringLiteral("\r\n");
    }
    return csv.toUtf8();
}

class BatchOfdCli : public ::testing::Test
{
protected:
    void SetUp() override
    {
        templatePath = dir.filePath(QStringLiteral("template.txt"));
        QFile templateFile(templatePath);
        ASSERT_TRUE(templateFile.open(QIODevice::WriteOnly));
        templateFile.write(kVariedTemplate.toUtf8());
        sheetPath = dir.filePath(QStringLiteral("sheet.csv"));
        QFile sheet(sheetPath);
        ASSERT_TRUE(sheet.open(QIODevice::WriteOnly));
        sheet.write(sheetOf(VariedValues(kRows)));
    }

    QStringList batch(const QString& registerName, QStringList more) const
    {
        return QStringList{QStringLiteral("--data"),     sheetPath,
                           QStringLiteral("--template"), templatePath,
                           QStringLiteral("--width"),    QStringLiteral("36"),
                           QStringLiteral("--register"), dir.filePath(registerName)} +
               more;
    }

    QTemporaryDir dir;
    QString templatePath;
    QString sheetPath;
};

} // namespace

TEST_F(BatchOfdCli, HundredCertificatesStandWhereThePdfsStandInSmallFontsThatHoldTheirGlyphs)
{
    const QString pdfFolder = dir.filePath(QStringLiteral("pdf"));
    const QString ofdFolder = dir.filePath(QStringLiteral("ofd"));
    const CliRun pdfRun = runOfdBatch(batch(QStringLiteral("pdf.reg"), {"--out", pdfFolder}));
    ASSERT_EQ(pdfRun.status, 0) << pdfRun.errText().toStdString();
    const CliRun ofdRun =
        runOfdBatch(batch(QStringLiteral("ofd.reg"), {"--out", ofdFolder, "--format", "ofd"}));
    ASSERT_EQ(ofdRun.status, 0) << ofdRun.errText().toStdString();

    const QStringList ofds = QDir(ofdFolder).entryList({QStringLiteral("*.ofd")}, QDir::Files);
    ASSERT_EQ(ofds.size(), kRows);
    EXPECT_EQ(QDir(ofdFolder).entryList(QDir::Files).size(), kRows); // nothing else, no .pdf
    double worst = 0;
    qint64 largestFont = 0;
    qint64 lines = 0;
    for (const QString& name : ofds) {
        const QString pdf = QDir(pdfFolder).filePath(name.chopped(4) + QStringLiteral(".pdf"));
        ASSERT_TRUE(QFile::exists(pdf)) << pdf.toStdString();
        const OfdRead::Archive archive = OfdRead::ReadArchive(QDir(ofdFolder).filePath(name));
        const OfdRead::Document document = OfdRead::ReadDocument(archive);
        ASSERT_TRUE(document.problems.isEmpty())
            << name.toStdString() << document.problems.join(u'\n').toStdString();

        const QList<QList<PageLine>> fromPdf = PdfPageLines(pdf);
        const QList<QList<PageLine>> fromOfd = OfdPageLines(archive, document);
        ASSERT_EQ(fromPdf.size(), 1) << name.toStdString();
        ASSERT_EQ(fromOfd.size(), 1) << name.toStdString();
        ASSERT_EQ(fromOfd[0].size(), fromPdf[0].size()) << name.toStdString();
        for (qsizetype k = 0; k < fromOfd[0].size(); ++k) {
            const PageLine& o = fromOfd[0][k];
            const PageLine& p = fromPdf[0][k];
            EXPECT_EQ(o.text, p.text) << name.toStdString() << " line " << k;
            for (double d : {o.xMin - p.xMin, o.yMin - p.yMin, o.xMax - p.xMax, o.yMax - p.yMax}) {
                EXPECT_LT(std::abs(d), 0.5) << name.toStdString() << " line " << k;
                worst = std::max(worst, std::abs(d));
            }
            ++lines;
        }

        // Every embedded font is a subset under 1 MB with a glyph for every character it draws.
        for (const OfdRead::Page& page : document.pages) {
            for (const OfdRead::Text& text : page.texts) {
                const QByteArray data = archive.files.value(text.fontFile);
                largestFont = std::max<qint64>(largestFont, data.size());
                EXPECT_LT(data.size(), 1024 * 1024) << text.fontFile.toStdString();
                const QRawFont font(data, 20);
                ASSERT_TRUE(font.isValid()) << name.toStdString();
                for (const OfdRead::Glyph& glyph : text.glyphs) {
                    const QList<quint32> index = font.glyphIndexesForString(glyph.character);
                    EXPECT_TRUE(index.size() == 1 && index[0] != 0)
                        << name.toStdString() << " lacks " << glyph.character.toStdString();
                }
            }
        }
    }
    std::printf("%d certificates, %lld lines: largest difference from the PDF %.4f mm; "
                "largest embedded font %lld bytes\n",
                kRows, qlonglong(lines), worst, qlonglong(largestFont));
    EXPECT_GE(lines, kRows * 7);
}

TEST_F(BatchOfdCli, CombinedOfdHasAPagePerRowAndTheRegisterRecordsOfdEvents)
{
    const QString path = dir.filePath(QStringLiteral("全部.ofd"));
    const CliRun run =
        runOfdBatch(batch(QStringLiteral("combined.reg"), {"--combined", path, "--format", "OFD"}));
    ASSERT_EQ(run.status, 0) << run.errText().toStdString();
    const OfdRead::Archive archive = OfdRead::ReadArchive(path);
    const OfdRead::Document document = OfdRead::ReadDocument(archive);
    ASSERT_TRUE(document.problems.isEmpty());
    ASSERT_EQ(document.pages.size(), kRows);
    // One font file (and the fallback, if any) serves every page.
    int fontFiles = 0;
    for (const QString& file : archive.files.keys()) {
        fontFiles += file.startsWith(QStringLiteral("Doc_0/Res/")) ? 1 : 0;
    }
    EXPECT_EQ(fontFiles, 1);
    const QString ofdXml = QString::fromUtf8(archive.files.value(QStringLiteral("OFD.xml")));
    EXPECT_EQ(ofdXml.count(QStringLiteral("Name=\"证明编号\"")), kRows);

    QString error;
    auto reg =
        Register::CertificateRegister::open(dir.filePath(QStringLiteral("combined.reg")), &error);
    ASSERT_TRUE(reg) << error.toStdString();
    const auto entry =
        reg->entryByNumber(QStringLiteral("LZ%1-000042").arg(QDate::currentDate().year()), &error);
    ASSERT_TRUE(entry) << error.toStdString();
    ASSERT_EQ(entry->events.size(), 1);
    EXPECT_EQ(entry->events[0].kind, Register::EventKind::OfdExported);
    EXPECT_TRUE(ofdXml.contains(QStringLiteral(">%1<").arg(entry->summary.number)));
}

TEST_F(BatchOfdCli, AnUnknownFormatIsRefusedWithStatus2)
{
    const CliRun run = runOfdBatch(batch(
        QStringLiteral("x.reg"), {"--out", dir.filePath(QStringLiteral("x")), "--format", "docx"}));
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.errText().contains(QStringLiteral("没有“docx”这种格式（可用 pdf 或 ofd）")))
        << run.errText().toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("x"))));
}
