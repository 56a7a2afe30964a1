#include "batch/BatchWriter.h"
#include "BatchFixtures.h"
#include "OfdReader.h"
#include "PdfText.h"
#include "issue/CertificateIssuer.h"
#include "print/CertificateBody.h"
#include "print/CertificatePdfExport.h"
#include "register/CertificateRegister.h"
#include "register/LeavingNote.h"

#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

// A register of the test's own and an issuer that numbers every certificate in it.
struct TestRegister
{
    TestRegister()
    {
        QString error;
        reg = Register::CertificateRegister::open(dir.filePath(QStringLiteral("register.db")),
                                                  &error);
        issuer.useRegister(reg.get());
        issuer.setRegisterUse(Issue::RegisterUse::Required);
    }
    // Name -> issued, oldest first.
    QList<std::pair<QString, bool>> entries()
    {
        QString error;
        Register::SearchQuery all;
        all.limit = 0;
        QList<std::pair<QString, bool>> out;
        for (const Register::EntrySummary& s : reg->search(all, &error).value_or(
                 QList<Register::EntrySummary>())) {
            out.prepend({s.name, s.issued});
        }
        return out;
    }
    QTemporaryDir dir;
    std::unique_ptr<Register::CertificateRegister> reg;
    Issue::CertificateIssuer issuer;
};

TEST(BatchWriterCombined, OnePagePerAcceptedRowWithEveryName)
{
    QTemporaryDir dir;
    QList<BatchRecord> records = RecordsNamed({"张三", "李四", "王五", "赵六"});
    records[1].problems << QStringLiteral("缺少部门");
    const QString path = dir.filePath(QStringLiteral("全部.pdf"));
    BatchWriter writer(EveryFieldTemplate(), 32);
    const BatchReport report = writer.run(records, BatchOutput::combined(path));

    EXPECT_EQ(report.written.size(), 3);
    ASSERT_EQ(report.rejected.size(), 1);
    EXPECT_EQ(report.rejected[0].line, 3);
    EXPECT_EQ(report.rejected[0].reason, QStringLiteral("缺少部门"));
    EXPECT_EQ(PdfPageCount(path), 3);
    const QString text = PdfText(path);
    EXPECT_TRUE(text.contains(QStringLiteral("张三")));
    EXPECT_TRUE(text.contains(QStringLiteral("王五")));
    EXPECT_TRUE(text.contains(QStringLiteral("赵六")));
    EXPECT_FALSE(text.contains(QStringLiteral("李四")));
    EXPECT_EQ(filesIn(dir.path()), QStringList{"全部.pdf"});
}

TEST(BatchWriterPerRow, FilesFromWorkerThreadsMatchTheSingleCertificateExport)
{
    QTemporaryDir dir;
    QStringList names;
    for (int i = 0; i < 12; ++i) {
        names << QStringLiteral("员工%1").arg(i);
    }
    names << QStringLiteral("员工0"); // the same name and date again
    const QList<BatchRecord> records = RecordsNamed(names);
    BatchWriter writer(EveryFieldTemplate(), 32);
    writer.setThreadCount(2);
    QList<int> progress;
    writer.setProgress([&](int done, int total) { progress << done * 100 + total; });
    const BatchReport report = writer.run(records, BatchOutput::perRow(dir.path()));

    ASSERT_TRUE(report.allWritten());
    EXPECT_EQ(report.written.size(), 13);
    EXPECT_EQ(progress.size(), 13);
    EXPECT_EQ(progress.back(), 1313);
    EXPECT_EQ(filesIn(dir.path()).size(), 13);
    EXPECT_TRUE(QFileInfo::exists(dir.filePath(QStringLiteral("员工0-2024年5月31日-2.pdf"))));

    // The page of a certificate written on a worker thread is the page the one-certificate
    // export draws on the main thread.
    const QString single = dir.filePath(QStringLiteral("single.pdf.ref"));
    ASSERT_TRUE(ExportCertificatePdf(
        single, CertificateBody(writer.certificateFor(records[5]))));
    const QString fromWorker = report.written[5].file;
    EXPECT_EQ(QFileInfo(fromWorker).fileName(), QStringLiteral("员工5-2024年5月31日.pdf"));
    EXPECT_EQ(PdfPageCount(fromWorker), 1);
    EXPECT_EQ(PdfText(fromWorker), PdfText(single));
    EXPECT_TRUE(PdfText(fromWorker).contains(QStringLiteral("员工5")));
}

TEST(BatchWriterPerRow, ARowThatCannotBeWrittenDoesNotStopTheOthers)
{
    QTemporaryDir dir;
    // A folder stands where the second certificate's file would go.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("李四-2024年5月31日.pdf")));
    TestRegister numbering;
    BatchWriter writer(QStringLiteral("编号【证明编号】") + EveryFieldTemplate(), 32);
    writer.setIssuer(&numbering.issuer);
    writer.setThreadCount(2);
    const BatchReport report =
        writer.run(RecordsNamed({"张三", "李四", "王五"}), BatchOutput::perRow(dir.path()));

    EXPECT_EQ(report.written.size(), 2);
    ASSERT_EQ(report.failed.size(), 1);
    EXPECT_EQ(report.failed[0].name, QStringLiteral("李四"));
    EXPECT_FALSE(report.failed[0].reason.isEmpty());
    // The failed row keeps its number as a draft; the others are issued, each file with its own
    // number.
    EXPECT_EQ(numbering.entries(), (QList<std::pair<QString, bool>>{{QStringLiteral("张三"), true},
                                                                     {QStringLiteral("李四"), false},
                                                                     {QStringLiteral("王五"), true}}));
    EXPECT_TRUE(PdfText(report.written[1].file).contains(QStringLiteral("-000003")));
    EXPECT_EQ(filesIn(dir.path()), (QStringList{QStringLiteral("张三-2024年5月31日.pdf"),
                                                 QStringLiteral("王五-2024年5月31日.pdf")}));
}

TEST(BatchWriterCancel, HalfWayLeavesOnlyWholeFilesAndListsTheRest)
{
    QTemporaryDir dir;
    QStringList names;
    for (int i = 0; i < 20; ++i) {
        names << QStringLiteral("员工%1").arg(i);
    }
    BatchWriter writer(EveryFieldTemplate(), 32);
    writer.setThreadCount(2);
    writer.setProgress([&](int done, int) {
        if (done == 10) {
            writer.cancel();
        }
    });
    const BatchReport report = writer.run(RecordsNamed(names), BatchOutput::perRow(dir.path()));

    EXPECT_TRUE(report.cancelled);
    EXPECT_GE(report.written.size(), 10);
    EXPECT_LT(report.written.size(), 20);
    EXPECT_EQ(report.written.size() + report.notWritten.size(), 20);
    EXPECT_EQ(report.notWritten.back().line, 21);
    EXPECT_EQ(report.notWritten.back().reason, QStringLiteral("已取消，未写入"));
    // Nothing but the finished certificates, each a whole one-page PDF.
    const QStringList files = filesIn(dir.path());
    EXPECT_EQ(files.size(), report.written.size());
    for (const QString& file : files) {
        EXPECT_EQ(PdfPageCount(dir.filePath(file)), 1) << file.toStdString();
    }
}

TEST(BatchWriterCancel, ACancelledCombinedFileIsNotWrittenAtAll)
{
    QTemporaryDir dir;
    TestRegister numbering;
    BatchWriter writer(EveryFieldTemplate(), 32);
    writer.setIssuer(&numbering.issuer);
    writer.setProgress([&](int done, int) {
        if (done == 2) {
            writer.cancel();
        }
    });
    const QString path = dir.filePath(QStringLiteral("全部.pdf"));
    const BatchReport report =
        writer.run(RecordsNamed({"张三", "李四", "王五", "赵六"}), BatchOutput::combined(path));

    EXPECT_TRUE(report.cancelled);
    EXPECT_TRUE(report.written.isEmpty());
    EXPECT_EQ(report.notWritten.size(), 4);
    EXPECT_TRUE(filesIn(dir.path()).isEmpty());
    // Two were numbered before 取消; both stay drafts.
    EXPECT_EQ(numbering.entries(), (QList<std::pair<QString, bool>>{{QStringLiteral("张三"), false},
                                                                     {QStringLiteral("李四"), false}}));
}

TEST(BatchWriterCombined, AnUnwritableFileFailsEveryRowWithTheReason)
{
    QTemporaryDir dir;
    BatchWriter writer(EveryFieldTemplate(), 32);
    const BatchReport report =
        writer.run(RecordsNamed({"张三"}),
                   BatchOutput::combined(dir.filePath(QStringLiteral("没有/这个/文件夹.pdf"))));
    ASSERT_EQ(report.failed.size(), 1);
    EXPECT_TRUE(report.failed[0].reason.startsWith(QStringLiteral("无法写入")));
}

} // namespace

namespace {

struct OfdFile
{
    OfdRead::Archive archive;
    OfdRead::Document document;

    explicit OfdFile(const QString& path)
        : archive(OfdRead::ReadArchive(path)), document(OfdRead::ReadDocument(archive))
    {
    }
    const OfdRead::Element* info() const
    {
        return document.ofd.child(QStringLiteral("DocBody"))->child(QStringLiteral("DocInfo"));
    }
    QStringList numbers() const
    {
        QStringList found;
        if (const OfdRead::Element* data = info()->child(QStringLiteral("CustomDatas"))) {
            for (const OfdRead::Element* datum :
                 data->childrenNamed(QStringLiteral("CustomData"))) {
                found << datum->text;
            }
        }
        return found;
    }
    QString pageText(int page) const
    {
        QString text;
        for (const OfdRead::Text& t : document.pages.value(page).texts) {
            text += t.text;
        }
        return text;
    }
};

// The kinds of event the register holds for a number, oldest first.
QList<Register::EventKind> eventsOf(TestRegister& numbering, const QString& number)
{
    QString error;
    QList<Register::EventKind> kinds;
    if (const auto entry = numbering.reg->entryByNumber(number, &error)) {
        for (const Register::Event& event : entry->events) {
            kinds << event.kind;
        }
    }
    return kinds;
}

} // namespace

TEST(BatchWriterOfd, OneDocumentPerRowNamedOfdWithCompanyAndNumber)
{
    QTemporaryDir dir;
    const QList<BatchRecord> records = RecordsNamed({"张三", "李四", "张三"});
    BatchWriter writer(EveryFieldTemplate(), 32);
    writer.setIssueDate(QDate(2026, 12, 8));
    TestRegister numbering;
    writer.setIssuer(&numbering.issuer);
    const BatchReport report =
        writer.run(records, BatchOutput::perRow(dir.path(), {}, BatchOutput::Format::Ofd));

    ASSERT_TRUE(report.allWritten());
    // The default pattern's ".pdf" gives way to ".ofd"; a second 张三 gets "-2".
    EXPECT_EQ(filesIn(dir.path()),
              (QStringList{"张三-2024年5月31日-2.ofd", "张三-2024年5月31日.ofd",
                           "李四-2024年5月31日.ofd"}));
    const OfdFile li(dir.filePath(QStringLiteral("李四-2024年5月31日.ofd")));
    ASSERT_TRUE(li.document.problems.isEmpty()) << li.document.problems.join(u'\n').toStdString();
    ASSERT_EQ(li.document.pages.size(), 1);
    EXPECT_TRUE(li.pageText(0).contains(QStringLiteral("兹证明李四")));
    EXPECT_EQ(li.info()->child(QStringLiteral("Author"))->text,
              QStringLiteral("北京星辰科技有限公司"));
    EXPECT_EQ(li.info()->child(QStringLiteral("CreationDate"))->text, QStringLiteral("2026-12-08"));
    // The document keeps the number its row was given, and the register holds it as an OFD.
    ASSERT_EQ(report.written.size(), 3);
    const BatchOutcome& second = report.written[1];
    EXPECT_EQ(QFileInfo(second.file).fileName(), QStringLiteral("李四-2024年5月31日.ofd"));
    ASSERT_FALSE(second.number.isEmpty());
    EXPECT_EQ(li.numbers(), QStringList{second.number});
    EXPECT_EQ(eventsOf(numbering, second.number),
              QList<Register::EventKind>{Register::EventKind::OfdExported});
}

TEST(BatchWriterOfd, CombinedDocumentHasAPagePerRowAndEveryNumber)
{
    QTemporaryDir dir;
    QList<BatchRecord> records = RecordsNamed({"张三", "李四", "王五"});
    records[2].values[int(Compose::FieldIndex::Company)] = QStringLiteral("另一公司");
    const QString path = dir.filePath(QStringLiteral("全部.ofd"));
    BatchWriter writer(EveryFieldTemplate(), 32);
    TestRegister numbering;
    writer.setIssuer(&numbering.issuer);
    const BatchReport report =
        writer.run(records, BatchOutput::combined(path, BatchOutput::Format::Ofd));

    ASSERT_TRUE(report.allWritten());
    EXPECT_EQ(filesIn(dir.path()), QStringList{"全部.ofd"});
    const OfdFile all(path);
    ASSERT_TRUE(all.document.problems.isEmpty());
    ASSERT_EQ(all.document.pages.size(), 3);
    EXPECT_TRUE(all.pageText(0).contains(QStringLiteral("兹证明张三")));
    EXPECT_TRUE(all.pageText(2).contains(QStringLiteral("兹证明王五")));
    EXPECT_TRUE(all.pageText(2).contains(QStringLiteral("另一公司")));
    ASSERT_EQ(report.written.size(), 3);
    QStringList numbers;
    for (const BatchOutcome& written : report.written) {
        numbers << written.number;
        EXPECT_EQ(eventsOf(numbering, written.number),
                  QList<Register::EventKind>{Register::EventKind::OfdExported});
    }
    EXPECT_EQ(numbers.size(), 3);
    EXPECT_EQ(all.numbers(), numbers);
    EXPECT_EQ(all.info()->child(QStringLiteral("Author"))->text,
              QStringLiteral("北京星辰科技有限公司、另一公司"));
}

TEST(BatchWriterOfd, AnUnwritableCombinedDocumentFailsEveryRowBeforeAnyIsNumbered)
{
    QTemporaryDir dir;
    TestRegister numbering;
    BatchWriter writer(EveryFieldTemplate(), 32);
    writer.setIssuer(&numbering.issuer);
    const BatchReport report =
        writer.run(RecordsNamed({"张三", "李四"}),
                   BatchOutput::combined(dir.filePath(QStringLiteral("没有/这里.ofd")),
                                         BatchOutput::Format::Ofd));
    EXPECT_EQ(report.failed.size(), 2);
    EXPECT_TRUE(report.written.isEmpty());
    EXPECT_TRUE(numbering.entries().isEmpty());
    EXPECT_TRUE(filesIn(dir.path()).isEmpty());
}

namespace {

struct WordingOutput
{
    const char* name;
    bool combined;
};

} // namespace

// Every certificate of a batch passes the wording check without a question: each one's hits
// go with its own leaving into the register and into the report, in the sheet's order whatever
// order the workers finished in.
TEST(BatchWriterWording, EachCertificatesHitsAreRecordedWithItsLeavingAndReported)
{
    for (const WordingOutput& out :
         {WordingOutput{"per-row", false}, WordingOutput{"combined", true}}) {
        SCOPED_TRACE(out.name);
        QTemporaryDir dir;
        TestRegister numbering;
        QList<BatchRecord> records = RecordsNamed({"张三", "李四", "王五", "赵六"});
        records[1].values[int(Compose::FieldIndex::Reason)] = QStringLiteral("旷工被开除");
        records[2].values[int(Compose::FieldIndex::Reason)] = QStringLiteral("不胜任");
        records[3].values[int(Compose::FieldIndex::Reason)] = QStringLiteral("合同到期，没有纠纷");
        BatchWriter writer(QStringLiteral("【姓名】因【离职原因】离职。"), 32);
        writer.setIssuer(&numbering.issuer);
        writer.setThreadCount(3);
        const BatchReport report =
            writer.run(records, out.combined ? BatchOutput::combined(dir.filePath("all.pdf"))
                                             : BatchOutput::perRow(dir.path()));
        ASSERT_EQ(report.written.size(), 4);
        EXPECT_EQ(report.wordingCount(), 2);
        EXPECT_EQ(
            batchWordingRows(report),
            (QStringList{QStringLiteral("第 3 行（李四）：“旷工”：……明 李四因旷工被开除离职。；"
                                        "“开除”：……李四因旷工被开除离职。"),
                         QStringLiteral("第 4 行（王五）：“不胜任”：……明 王五因不胜任离职。")}));

        // The register holds each note with that certificate's leaving and no other.
        QString error;
        Register::SearchQuery all;
        all.limit = 0;
        QMap<QString, QStringList> noted;
        const auto entries = numbering.reg->search(all, &error);
        ASSERT_TRUE(entries) << error.toStdString();
        ASSERT_EQ(entries->size(), 4);
        for (const Register::EntrySummary& s : *entries) {
            const auto e = numbering.reg->entry(s.id, &error);
            ASSERT_TRUE(e) << error.toStdString();
            ASSERT_EQ(e->events.size(), 1) << s.name.toStdString();
            const auto note = Register::leavingNoteFromDetail(e->events[0].detail);
            noted[s.name] = note ? note->wording : QStringList();
        }
        EXPECT_EQ(noted.value(QStringLiteral("张三")), QStringList());
        EXPECT_EQ(noted.value(QStringLiteral("李四")),
                  (QStringList{QStringLiteral("“旷工”：……明 李四因旷工被开除离职。"),
                               QStringLiteral("“开除”：……李四因旷工被开除离职。")}));
        EXPECT_EQ(noted.value(QStringLiteral("王五")),
                  QStringList{QStringLiteral("“不胜任”：……明 王五因不胜任离职。")});
        EXPECT_EQ(noted.value(QStringLiteral("赵六")), QStringList());
    }
}

// The office's list replaces kavri's: only its phrases are hits.
TEST(BatchWriterWording, TheListSetIsTheOneChecked)
{
    QTemporaryDir dir;
    QList<BatchRecord> records = RecordsNamed({"张三", "李四"});
    records[0].values[int(Compose::FieldIndex::Reason)] = QStringLiteral("试用期不合格");
    records[1].values[int(Compose::FieldIndex::Reason)] = QStringLiteral("被开除");
    BatchWriter writer(QStringLiteral("【姓名】因【离职原因】离职。"), 32);
    writer.setWordingPhrases({QStringLiteral("试用期不合格")});
    const BatchReport report = writer.run(records, BatchOutput::combined(dir.filePath("all.pdf")));
    EXPECT_EQ(batchWordingRows(report),
              QStringList{QStringLiteral(
                  "第 2 行（张三）：“试用期不合格”：……明 张三因试用期不合格离职。")});
}
