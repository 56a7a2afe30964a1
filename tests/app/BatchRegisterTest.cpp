// A batch run into a real register file: every certificate written is an issued entry with its
// own number in the text and the file, what was reserved but not written stays a draft, and a
// register that cannot be used stops the batch with nothing written unrecorded.
#include "BatchFixtures.h"
#include "PdfText.h"
#include "RecordingNotifier.h"
#include "RegisterLock.h"
#include "TempLibrary.h"
#include "app/CkavriApp.h"
#include "issue/CertificateIssuer.h"
#include "batch/BatchWriter.h"
#include "register/CertificateRegister.h"
#include "register/RegisterFiles.h"
#include "ui/main/CkavriDlg.h"
#include "ui/main/LegalFormIds.h"
#include "ui/main/MainDialogIds.h"
#include "ui/register/RegisterSession.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QEventLoop>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

using namespace Register;

namespace {

// The template with the number under the title's place, so that it shows in every text.
QString NumberedTemplate()
{
    return QStringLiteral("编号：【证明编号】<br>") + EveryFieldTemplate();
}

class BatchRegisterTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        reopen();
    }

    void reopen()
    {
        m_register.reset();
        QString error;
        m_register = CertificateRegister::open(registerPath(), &error);
        ASSERT_TRUE(m_register) << error.toStdString();
        m_register->setClock([] { return QDateTime(QDate(2025, 6, 2), QTime(9, 0)); });
        m_register->setOperatorName(QStringLiteral("hr"));
    }

    QString registerPath() const { return m_dir.filePath(kRegisterFileName); }
    QString outFolder() const { return m_dir.filePath(QStringLiteral("out")); }

    // Every entry, oldest first.
    QList<Entry> entries()
    {
        QString error;
        SearchQuery all;
        all.limit = 0;
        const std::optional<QList<EntrySummary>> list = m_register->search(all, &error);
        EXPECT_TRUE(list) << error.toStdString();
        QList<Entry> result;
        for (const EntrySummary& s : list.value_or(QList<EntrySummary>())) {
            const std::optional<Entry> e = m_register->entry(s.id, &error);
            EXPECT_TRUE(e) << error.toStdString();
            if (e) {
                result.prepend(*e);
            }
        }
        return result;
    }

    // An issuer that numbers every certificate in the test's register.
    std::unique_ptr<Issue::CertificateIssuer> makeIssuer()
    {
        auto issuer = std::make_unique<Issue::CertificateIssuer>();
        issuer->useRegister(m_register.get());
        issuer->setRegisterUse(Issue::RegisterUse::Required);
        return issuer;
    }

    // The files of the output folder, temporary ones included.
    QStringList filesOut() const
    {
        return QDir(outFolder()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

    QTemporaryDir m_dir;
    std::unique_ptr<CertificateRegister> m_register;
};

QString valueOf(const Entry& entry, const QString& key)
{
    for (const FormValue& v : entry.values) {
        if (v.key == key) {
            return v.value;
        }
    }
    return QStringLiteral("<none>");
}

TEST_F(BatchRegisterTest, EveryWrittenCertificateIsAnIssuedEntryWithTheNumberInItsFile)
{
    const auto issuer = makeIssuer();
    BatchWriter writer(NumberedTemplate(), 32);
    writer.setIssuer(issuer.get());
    writer.setTemplateName(QStringLiteral("标准模板"));
    writer.setThreadCount(2);
    QList<BatchRecord> records = RecordsNamed({"张三", "李四", "王五", "赵六"});
    records[2].problems << QStringLiteral("缺少部门"); // 王五 is not written, nor entered
    const BatchReport report = writer.run(records, BatchOutput::perRow(outFolder()));
    ASSERT_EQ(report.written.size(), 3);

    const QList<Entry> list = entries();
    ASSERT_EQ(list.size(), 3);
    const QStringList names = {"张三", "李四", "赵六"};
    const QStringList numbers = {"LZ2025-000001", "LZ2025-000002", "LZ2025-000003"};
    for (int i = 0; i < 3; ++i) {
        const Entry& e = list[i];
        EXPECT_EQ(e.summary.name, names[i]);
        EXPECT_EQ(e.summary.number, numbers[i]);
        EXPECT_TRUE(e.summary.issued);
        EXPECT_EQ(e.templateName, QStringLiteral("标准模板"));
        EXPECT_EQ(e.templateText, NumberedTemplate());
        EXPECT_EQ(valueOf(e, QStringLiteral("公司名称")), QStringLiteral("北京星辰科技有限公司"));
        EXPECT_EQ(valueOf(e, QStringLiteral("离职日期")), QStringLiteral("2024年5月31日"));
        // Contract fields the row leaves empty are not stored.
        EXPECT_EQ(valueOf(e, QStringLiteral("合同起始日期")), QStringLiteral("<none>"));
        ASSERT_EQ(e.versions.size(), 1);
        EXPECT_TRUE(e.versions[0].text.contains(QStringLiteral("编号：") + numbers[i]));
        ASSERT_EQ(e.events.size(), 1);
        EXPECT_EQ(e.events[0].kind, EventKind::PdfExported);
        EXPECT_EQ(e.events[0].versionNo, 1);
        // The file carries the same number.
        EXPECT_TRUE(PdfText(report.written[i].file).contains(numbers[i]))
            << report.written[i].file.toStdString();
        EXPECT_EQ(report.written[i].number, numbers[i]);
    }
    EXPECT_EQ(report.numberedCount(), 3);
    EXPECT_TRUE(report.registerStop.isEmpty());
    EXPECT_EQ(filesOut().size(), 3);
}

TEST_F(BatchRegisterTest, ARowWhoseFileCannotBePutInPlaceStaysADraftWithoutAFile)
{
    // A folder that holds a file stands where 李四's file would go: the PDF is written under its
    // temporary name, but the rename onto the folder is refused.
    const QString blocked = outFolder() + QStringLiteral("/李四-2024年5月31日.pdf");
    ASSERT_TRUE(QDir().mkpath(blocked));
    QFile inside(blocked + QStringLiteral("/keep"));
    ASSERT_TRUE(inside.open(QIODevice::WriteOnly));
    inside.close();
    const auto issuer = makeIssuer();
    BatchWriter writer(NumberedTemplate(), 32);
    writer.setIssuer(issuer.get());
    const BatchReport report =
        writer.run(RecordsNamed({"张三", "李四", "王五"}), BatchOutput::perRow(outFolder()));
    ASSERT_EQ(report.failed.size(), 1);
    EXPECT_EQ(report.failed[0].name, QStringLiteral("李四"));
    EXPECT_TRUE(report.registerStop.isEmpty());
    EXPECT_EQ(report.written.size(), 2);
    // Two PDFs and nothing half written beside them.
    EXPECT_EQ(filesOut(), (QStringList{QStringLiteral("张三-2024年5月31日.pdf"),
                                       QStringLiteral("王五-2024年5月31日.pdf")}));

    // The next batch goes on after the draft's number.
    BatchWriter again(NumberedTemplate(), 32);
    again.setIssuer(issuer.get());
    again.run(RecordsNamed({"钱七"}),
              BatchOutput::combined(m_dir.filePath(QStringLiteral("钱七.pdf"))));

    const QList<Entry> list = entries();
    ASSERT_EQ(list.size(), 4);
    EXPECT_EQ(list[1].summary.name, QStringLiteral("李四"));
    EXPECT_EQ(list[1].summary.number, QStringLiteral("LZ2025-000002"));
    EXPECT_FALSE(list[1].summary.issued);
    EXPECT_TRUE(list[1].events.isEmpty());
    EXPECT_TRUE(list[0].summary.issued);
    EXPECT_TRUE(list[2].summary.issued);
    EXPECT_EQ(list[3].summary.name, QStringLiteral("钱七"));
    EXPECT_EQ(list[3].summary.number, QStringLiteral("LZ2025-000004"));
    EXPECT_TRUE(list[3].summary.issued);
}

TEST_F(BatchRegisterTest, ACancelledCombinedFileLeavesOnlyDrafts)
{
    const auto issuer = makeIssuer();
    BatchWriter writer(NumberedTemplate(), 32);
    writer.setIssuer(issuer.get());
    writer.setProgress([&](int done, int) {
        if (done == 2) {
            writer.cancel();
        }
    });
    const BatchReport report = writer.run(RecordsNamed({"张三", "李四", "王五"}),
                                          BatchOutput::combined(m_dir.filePath("全部.pdf")));
    EXPECT_TRUE(report.cancelled);

    const QList<Entry> list = entries();
    ASSERT_EQ(list.size(), 2); // the third was never reserved
    for (const Entry& e : list) {
        EXPECT_FALSE(e.summary.issued) << e.summary.name.toStdString();
    }
    EXPECT_EQ(QDir(m_dir.path()).entryList({QStringLiteral("全部.pdf*")}, QDir::Files | QDir::Hidden),
              QStringList());
}

TEST_F(BatchRegisterTest, OnAWorkerThreadTheEntriesAreMadeThereWithoutTheCallersLoop)
{
    const auto issuer = makeIssuer();
    BatchWriter writer(NumberedTemplate(), 32);
    writer.setIssuer(issuer.get());
    const QList<BatchRecord> records = RecordsNamed({"张三", "李四", "王五", "赵六", "孙八"});
    const QString combined = m_dir.filePath(QStringLiteral("全部.pdf"));
    BatchReport report;
    // As the batch dialog runs it: the writer on a worker, this thread's event loop running.
    QThread* worker =
        QThread::create([&] { report = writer.run(records, BatchOutput::combined(combined)); });
    // No event loop runs here: nothing waits for this thread.
    worker->start();
    worker->wait();
    delete worker;

    ASSERT_EQ(report.written.size(), 5);
    const QList<Entry> list = entries();
    ASSERT_EQ(list.size(), 5);
    EXPECT_EQ(list[4].summary.number, QStringLiteral("LZ2025-000005"));
    EXPECT_TRUE(list[4].summary.issued);
    const QString text = PdfText(combined);
    EXPECT_TRUE(text.contains(QStringLiteral("LZ2025-000001")));
    EXPECT_TRUE(text.contains(QStringLiteral("LZ2025-000005")));
}

TEST_F(BatchRegisterTest, ARegisterLockedHalfWayStopsTheBatchAndEveryFileWrittenIsIssued)
{
    const auto issuer = makeIssuer();
    BatchWriter writer(NumberedTemplate(), 32);
    writer.setIssuer(issuer.get());
    writer.setThreadCount(1);
    RegisterLock lock(registerPath());
    bool locked = false;
    writer.setProgress([&](int done, int) {
        if (done == 2 && !locked) {
            locked = lock.take();
        }
    });
    const QList<BatchRecord> records =
        RecordsNamed({"张一", "张二", "张三", "张四", "张五", "张六", "张七", "张八"});
    const BatchReport report = writer.run(records, BatchOutput::perRow(outFolder()));
    lock.release();
    ASSERT_TRUE(locked);

    EXPECT_FALSE(report.registerStop.isEmpty());
    EXPECT_FALSE(report.allWritten());
    EXPECT_GE(report.written.size(), 2);
    EXPECT_LT(report.written.size(), records.size());
    EXPECT_TRUE(report.failed.isEmpty());
    EXPECT_EQ(report.written.size() + report.notWritten.size(), records.size());
    for (const BatchOutcome& o : report.notWritten) {
        EXPECT_EQ(o.reason, QStringLiteral("登记簿无法使用，未写入"));
    }

    // Every file written is an issued entry with its number, and every issued entry has its
    // file; what was numbered but not written stays a draft, and no half-written file is left.
    QStringList issuedFiles;
    for (const Entry& e : entries()) {
        if (!e.summary.issued) {
            EXPECT_TRUE(e.events.isEmpty()) << e.summary.name.toStdString();
            continue;
        }
        const QString file = e.summary.name + QStringLiteral("-2024年5月31日.pdf");
        issuedFiles << file;
        EXPECT_TRUE(PdfText(QDir(outFolder()).filePath(file)).contains(e.summary.number))
            << file.toStdString();
    }
    issuedFiles.sort();
    EXPECT_EQ(filesOut(), issuedFiles);
    EXPECT_EQ(issuedFiles.size(), report.written.size());
}

TEST_F(BatchRegisterTest, ARegisterLockedBeforeACombinedFileIsWrittenLeavesNoFile)
{
    const auto issuer = makeIssuer();
    BatchWriter writer(NumberedTemplate(), 32);
    writer.setIssuer(issuer.get());
    RegisterLock lock(registerPath());
    bool locked = false;
    // The last page is drawn: the lock comes before the pages are recorded and the file is put
    // in place.
    writer.setProgress([&](int done, int total) {
        if (done == total && !locked) {
            locked = lock.take();
        }
    });
    const QString combined = m_dir.filePath(QStringLiteral("全部.pdf"));
    const BatchReport report =
        writer.run(RecordsNamed({"张三", "李四", "王五"}), BatchOutput::combined(combined));
    lock.release();
    ASSERT_TRUE(locked);
    EXPECT_TRUE(report.written.isEmpty());
    EXPECT_EQ(report.notWritten.size(), 3);
    EXPECT_FALSE(report.registerStop.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(combined));
    EXPECT_EQ(QDir(m_dir.path()).entryList({QStringLiteral("全部.pdf*")}, QDir::Files | QDir::Hidden),
              QStringList());
    for (const Entry& e : entries()) {
        EXPECT_FALSE(e.summary.issued) << e.summary.name.toStdString();
    }
}

TEST_F(BatchRegisterTest, ARegisterThatCannotBeOpenedStopsTheBatchBeforeAnyFile)
{
    // A folder where the register file should be.
    const QString blocked = m_dir.filePath(QStringLiteral("blocked.db"));
    ASSERT_TRUE(QDir().mkpath(blocked));
    Issue::CertificateIssuer issuer;
    issuer.useRegisterFile(blocked);
    issuer.setRegisterUse(Issue::RegisterUse::Required);
    BatchWriter writer(EveryFieldTemplate(), 32);
    writer.setIssuer(&issuer);
    const BatchReport report =
        writer.run(RecordsNamed({"张三", "李四"}), BatchOutput::perRow(outFolder()));
    EXPECT_TRUE(report.written.isEmpty());
    ASSERT_EQ(report.notWritten.size(), 2);
    EXPECT_EQ(report.notWritten[0].reason, QStringLiteral("登记簿无法使用，未写入"));
    EXPECT_TRUE(report.registerStop.startsWith(QStringLiteral("无法打开出具登记簿")))
        << report.registerStop.toStdString();
    EXPECT_FALSE(report.allWritten());
    EXPECT_TRUE(filesOut().isEmpty());
}

TEST_F(BatchRegisterTest, AnUnregisteredRunWritesWithoutNumbersAndRecordsNothing)
{
    Issue::CertificateIssuer issuer;
    issuer.useRegister(m_register.get());
    issuer.setRegisterUse(Issue::RegisterUse::None);
    BatchWriter writer(EveryFieldTemplate(), 32);
    writer.setIssuer(&issuer);
    const QString combined = m_dir.filePath(QStringLiteral("全部.pdf"));
    const BatchReport report =
        writer.run(RecordsNamed({"张三", "李四"}), BatchOutput::combined(combined));
    EXPECT_EQ(report.written.size(), 2);
    EXPECT_TRUE(report.unregistered);
    EXPECT_EQ(report.numberedCount(), 0);
    EXPECT_TRUE(PdfText(combined).contains(QStringLiteral("张三")));
    EXPECT_TRUE(entries().isEmpty());

    // A template that prints the number is not written without one.
    BatchWriter numbered(NumberedTemplate(), 32);
    numbered.setIssuer(&issuer);
    const QString second = m_dir.filePath(QStringLiteral("编号.pdf"));
    const BatchReport refused =
        numbered.run(RecordsNamed({"王五"}), BatchOutput::combined(second));
    EXPECT_TRUE(refused.written.isEmpty());
    EXPECT_EQ(refused.notWritten.size(), 1);
    EXPECT_TRUE(refused.registerStop.contains(QStringLiteral("【证明编号】")));
    EXPECT_FALSE(QFileInfo::exists(second));
}

// A storage that refuses every entry, as a full disk or a locked file would.
class RefusingStorage : public RegisterStorage
{
public:
    std::optional<IssuedEntry> addEntry(const EntryRecord&, const Composer&,
                                        QString* error) override
    {
        ++attempts;
        *error = QStringLiteral("登记簿写入失败：磁盘已满");
        return std::nullopt;
    }
    std::optional<QList<int>> recordEvents(const QList<Leaving>&, const QDateTime&,
                                           const BeforeCommit&, QString*) override
    {
        return std::nullopt;
    }
    std::optional<int> recordDuty(qint64, const DutyRecord&, const QDateTime&, QString*) override
    {
        return std::nullopt;
    }
    std::optional<QList<EntrySummary>> search(const SearchQuery&, QString*) override
    {
        return std::nullopt;
    }
    std::optional<qint64> count(const SearchQuery&, QString*) override { return std::nullopt; }
    std::optional<Entry> entry(qint64, QString*) override { return std::nullopt; }
    std::optional<qint64> findByNumber(const QString&, QString*) override { return std::nullopt; }
    std::optional<std::pair<qint64, int>> findByNormalizedHash(const QString&, QString*) override
    {
        return std::nullopt;
    }
    std::optional<qint64> countExpired(const QDate&, QString*) override { return std::nullopt; }
    std::optional<qint64> deleteExpired(const QDate&, qint64, QString*) override
    {
        return std::nullopt;
    }
    int attempts = 0;
};

TEST_F(BatchRegisterTest, ARegisterThatRefusesAnEntryStopsTheBatchAndTheRestIsNotWritten)
{
    auto storage = std::make_unique<RefusingStorage>();
    RefusingStorage* refusing = storage.get();
    CertificateRegister failing(std::move(storage));
    Issue::CertificateIssuer issuer;
    issuer.useRegister(&failing);
    issuer.setRegisterUse(Issue::RegisterUse::Required);
    BatchWriter writer(NumberedTemplate(), 32);
    writer.setIssuer(&issuer);
    const BatchReport report =
        writer.run(RecordsNamed({"张三", "李四", "王五"}), BatchOutput::perRow(outFolder()));

    EXPECT_TRUE(report.written.isEmpty());
    EXPECT_EQ(report.notWritten.size(), 3);
    EXPECT_EQ(refusing->attempts, 1);
    EXPECT_TRUE(report.registerStop.contains(QStringLiteral("磁盘已满")));
    EXPECT_TRUE(filesOut().isEmpty());

    // A new run asks the register again.
    writer.run(RecordsNamed({"赵六"}), BatchOutput::perRow(outFolder()));
    EXPECT_EQ(refusing->attempts, 2);
}

TEST(BatchRegisterWiring, TheMainWindowsBatchRecordsInTheRegisterItsGenerateUses)
{
    RecordingNotifier notifier;
    TempLibrary library;
    ASSERT_TRUE(library.isValid());
    CkavriApp* app = CkavriApp::instance();
    QString certText;
    CkavriDlg window(app->m_dbVisit, certText, library.path());
    app->ConnectMainWindow(window);
    window.OnInitDialog();

    const CBatchDlg::Setup setup = window.BatchSetup();
    EXPECT_EQ(setup.registerPath, registerPathBeside(library.path()));
    EXPECT_TRUE(setup.registerServer.isEmpty());
    Issue::CertificateIssuer issuer;
    issuer.useRegisterFile(setup.registerPath);
    issuer.setRegisterUse(Issue::RegisterUse::Required);
    BatchWriter writer(NumberedTemplate(), 32);
    writer.setIssuer(&issuer);
    writer.setTemplateName(setup.templateName);
    QTemporaryDir out;
    const BatchReport report =
        writer.run(RecordsNamed({"张三", "李四"}), BatchOutput::perRow(out.path()));
    EXPECT_EQ(report.written.size(), 2);

    CertificateRegister* reg = window.registerSession().reg(&window);
    ASSERT_NE(reg, nullptr);
    EXPECT_EQ(window.registerSession().path(), registerPathBeside(library.path()));
    QString error;
    SearchQuery all;
    all.limit = 0;
    const auto list = reg->search(all, &error);
    ASSERT_TRUE(list) << error.toStdString();
    ASSERT_EQ(list->size(), 2);
    EXPECT_EQ(list->at(0).name, QStringLiteral("李四"));
    EXPECT_TRUE(list->at(0).issued);
    const auto entry = reg->entry(list->at(0).id, &error);
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->templateName, setup.templateName);
    EXPECT_FALSE(setup.templateName.isEmpty());
    EXPECT_TRUE(notifier.notices().isEmpty()) << notifier.texts().join(u'\n').toStdString();
    window.close();
}

// The contract term, the years of service and the date of issue go into a batch entry as
// Generate puts them into the entry of the same certificate.
TEST_F(BatchRegisterTest, ARowIsEnteredWithTheValuesGenerateEntersForTheSameInputs)
{
    const QString legalTemplate = QStringLiteral("【姓名】【合同期限】【工作年限】【出具日期】");
    const auto issuer = makeIssuer();
    BatchWriter writer(legalTemplate, 32);
    writer.setIssuer(issuer.get());
    writer.setIssueDate(QDate(2025, 6, 2));
    QList<BatchRecord> records = RecordsNamed({"张三", "李四"});
    records[0].values[BatchField::ContractStart.index()] = QStringLiteral("2019年3月1日");
    records[0].values[BatchField::ContractEnd.index()] = QStringLiteral("2024年5月31日");
    records[1].values[BatchField::ContractStart.index()] = QStringLiteral("2019年3月1日");
    records[1].values[BatchField::OpenEnded.index()] = QStringLiteral("是");
    ASSERT_EQ(writer.run(records, BatchOutput::perRow(outFolder())).written.size(), 2);

    const QList<Entry> list = entries();
    ASSERT_EQ(list.size(), 2);
    EXPECT_EQ(list[0].values.mid(9),
              (FormValues{
                  {QStringLiteral("合同起始日期"), QStringLiteral("2019年3月1日")},
                  {QStringLiteral("合同终止日期"), QStringLiteral("2024年5月31日")},
                  {QStringLiteral("无固定期限"), QStringLiteral("否")},
                  {QStringLiteral("工作年限"), QStringLiteral("5年3个月")},
                  {QStringLiteral("出具日期"), QStringLiteral("2025年6月2日")},
              }));
    EXPECT_EQ(list[1].values.mid(9),
              (FormValues{
                  {QStringLiteral("合同起始日期"), QStringLiteral("2019年3月1日")},
                  {QStringLiteral("合同终止日期"), QString()},
                  {QStringLiteral("无固定期限"), QStringLiteral("是")},
                  {QStringLiteral("工作年限"), QStringLiteral("5年3个月")},
                  {QStringLiteral("出具日期"), QStringLiteral("2025年6月2日")},
              }));
    // The certificate states the date its entry keeps.
    ASSERT_EQ(list[0].versions.size(), 1);
    EXPECT_TRUE(list[0].versions[0].text.endsWith(
        QStringLiteral("张三2019年3月1日至2024年5月31日5年3个月2025年6月2日")))
        << list[0].versions[0].text.toStdString();

    // The same inputs typed into the main window, generated today, and a batch of today.
    TempLibrary library;
    ASSERT_TRUE(library.isValid());
    RecordingNotifier notifier;
    QString certText;
    CkavriDlg window(CkavriApp::instance()->m_dbVisit, certText, library.path());
    window.OnInitDialog();
    window.m_strTemplateText = legalTemplate;
    for (const auto& [id, field] : {std::pair{MainIds::kName, Compose::FieldIndex::Name},
                                    std::pair{MainIds::kGender, Compose::FieldIndex::Gender},
                                    std::pair{MainIds::kIdNumber, Compose::FieldIndex::IdNumber},
                                    std::pair{MainIds::kCompany, Compose::FieldIndex::Company},
                                    std::pair{MainIds::kDepartment, Compose::FieldIndex::Department},
                                    std::pair{MainIds::kPosition, Compose::FieldIndex::Position},
                                    std::pair{MainIds::kReason, Compose::FieldIndex::Reason}}) {
        if (auto* combo = window.control<QComboBox>(id)) {
            combo->setEditText(records[0].value(field));
        } else {
            window.control<QLineEdit>(id)->setText(records[0].value(field));
        }
    }
    window.control<QDateEdit>(MainIds::kJoinDate)->setDate(QDate(2019, 3, 1));
    window.control<QDateEdit>(MainIds::kLeaveDate)->setDate(QDate(2024, 5, 31));
    window.control<QDateEdit>(LegalIds::kContractStart)->setDate(QDate(2019, 3, 1));
    window.control<QDateEdit>(LegalIds::kContractEnd)->setDate(QDate(2024, 5, 31));
    window.OnGenerate();
    ASSERT_TRUE(notifier.notices().isEmpty()) << notifier.texts().join(u'\n').toStdString();
    QString error;
    CertificateRegister* formRegister = window.registerSession().reg(&window);
    ASSERT_NE(formRegister, nullptr);
    const auto generated = formRegister->entry(window.registerSession().currentEntry(), &error);
    ASSERT_TRUE(generated) << error.toStdString();

    BatchWriter today(legalTemplate, 32);
    today.setIssuer(issuer.get());
    ASSERT_EQ(today.run({records[0]}, BatchOutput::perRow(outFolder())).written.size(), 1);
    const QList<Entry> after = entries();
    ASSERT_EQ(after.size(), 3);
    EXPECT_EQ(after[2].values, generated->values);
    window.close();
}

} // namespace
