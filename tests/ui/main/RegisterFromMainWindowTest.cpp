// The register as the main window uses it: every Generate an entry with its number, every copy,
// PDF and print an event, and a register that cannot be opened never in the way.
#include "FakePrinterServices.h"
#include "FakeSaveFileDialog.h"
#include "LibraryEditor.h"
#include "MainWindowFixture.h"
#include "OfdReader.h"
#include "OfficeWordingList.h"
#include "TempLibrary.h"

#include "register/CertificateRegister.h"
#include "register/LeavingNote.h"
#include "register/RegisterFiles.h"
#include "scan/CodeScanner.h"
#include "seal/SealCheck.h"
#include "seal/SealFiles.h"
#include "ui/common/CtrlText.h"
#include "ui/main/MainDialogIds.h"
#include "ui/print/CMyFrame.h"
#include "ui/register/CRegisterDlg.h"
#include "ui/register/RegisterSession.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

using namespace MainIds;

namespace {

QString firstNumber()
{
    return QStringLiteral("LZ%1-000001").arg(QDate::currentDate().year());
}

class RegisterFromMainWindowTest : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_library.isValid());
        LibraryEditor editor(m_library.path());
        ASSERT_TRUE(editor.run(QStringLiteral("update moban_item_table set item1=''")));
        ASSERT_TRUE(editor.run(QStringLiteral(
            "insert into moban_item_table (item1, item3, item8) values ('默认', '编号模板', "
            "'编号【证明编号】|【姓名】')")));
    }

    CkavriDlg* generate(const QString& name)
    {
        CkavriDlg* window = m_window ? m_window.get() : openWindow(m_library.path());
        window->control<QLineEdit>(kName)->setText(name);
        QTest::mouseClick(window->control(kGenerate), Qt::LeftButton);
        return window;
    }

    Register::Entry lastEntry(CkavriDlg* window)
    {
        QString error;
        Register::CertificateRegister* reg = window->registerSession().reg(window);
        EXPECT_TRUE(reg);
        const auto e =
            reg ? reg->entry(window->registerSession().currentEntry(), &error) : std::nullopt;
        EXPECT_TRUE(e) << error.toStdString();
        return e.value_or(Register::Entry{});
    }

    QString registerPath() const { return Register::registerPathBeside(m_library.path()); }

    TempLibrary m_library;
};

} // namespace

TEST_F(RegisterFromMainWindowTest, GenerateMakesANumberedDraftBesideTheLibrary)
{
    CkavriDlg* window = generate(QStringLiteral("张三"));
    const QString text = GetCtrlText(window, kResult);
    EXPECT_TRUE(text.endsWith(QStringLiteral("编号") + firstNumber() + QStringLiteral("|张三")))
        << text.toStdString();
    EXPECT_TRUE(QFile::exists(registerPath()));
    const Register::Entry e = lastEntry(window);
    EXPECT_EQ(e.summary.number, firstNumber());
    EXPECT_FALSE(e.summary.issued);
    EXPECT_EQ(e.templateName, QStringLiteral("编号模板"));
    EXPECT_EQ(e.versions.value(0).text, text);
    ASSERT_EQ(e.values.size(), 9);
    EXPECT_EQ(e.values[0], (Register::FormValue{QStringLiteral("姓名"), QStringLiteral("张三")}));
    EXPECT_TRUE(m_notifier.notices().isEmpty()) << m_notifier.texts().join('\n').toStdString();

    generate(QStringLiteral("李四"));
    EXPECT_TRUE(GetCtrlText(window, kResult)
                    .contains(QStringLiteral("LZ%1-000002").arg(QDate::currentDate().year())));
}

TEST_F(RegisterFromMainWindowTest, AnOfdExportIsItsOwnEventAndTheDocumentCarriesTheNumber)
{
    CkavriDlg* window = generate(QStringLiteral("张三"));
    FakeSaveFileDialog save;
    save.answer = QDir(m_library.dirPath()).filePath(QStringLiteral("证明.ofd"));
    QTest::mouseClick(window->control(kExportPdf), Qt::LeftButton);
    ASSERT_TRUE(QFile::exists(save.answer));
    EXPECT_TRUE(m_notifier.notices().isEmpty()) << m_notifier.texts().join('\n').toStdString();

    const Register::Entry e = lastEntry(window);
    ASSERT_EQ(e.events.size(), 1);
    EXPECT_EQ(e.events[0].kind, Register::EventKind::OfdExported);
    EXPECT_TRUE(e.summary.issued);
    // The document names the company typed into the form and the entry's number.
    const OfdRead::Archive archive = OfdRead::ReadArchive(save.answer);
    const QString ofd = QString::fromUtf8(archive.files.value(QStringLiteral("OFD.xml")));
    EXPECT_TRUE(ofd.contains(QStringLiteral(">%1</ofd:Author>").arg(e.summary.company)))
        << ofd.toStdString();
    EXPECT_FALSE(e.summary.company.isEmpty());
    EXPECT_TRUE(ofd.contains(QStringLiteral(">%1</ofd:CustomData>").arg(e.summary.number)))
        << ofd.toStdString();
}

TEST_F(RegisterFromMainWindowTest, AControlCharacterInAFieldIsRefusedAndNothingIsNumbered)
{
    CkavriDlg* window = generate(QStringLiteral("张\u202E三fdp.exe"));
    EXPECT_EQ(m_notifier.texts(),
              QStringList{QStringLiteral("姓名中有不可见的文字方向控制符（U+202E），请删去后再试")});
    EXPECT_EQ(GetCtrlText(window, kResult), QString());
    EXPECT_FALSE(QFile::exists(registerPath()));

    // Markup and placeholders in a field are text: the register and the box show them as typed.
    generate(QStringLiteral("<br>【证明编号】"));
    EXPECT_TRUE(GetCtrlText(window, kResult)
                    .endsWith(QStringLiteral("编号") + firstNumber() +
                              QStringLiteral("|<br>【证明编号】")))
        << GetCtrlText(window, kResult).toStdString();
}

TEST_F(RegisterFromMainWindowTest, CopyPdfAndPrintAreEventsWithTheTextAsItLeft)
{
    CkavriDlg* window = generate(QStringLiteral("张三"));
    const QString generated = GetCtrlText(window, kResult);
    QTest::mouseClick(window->control(kCopyText), Qt::LeftButton);

    // Edited in the result box, then exported: a second version.
    SetCtrlText(window, kResult, generated + QStringLiteral("\r\n特此证明。"));
    const QString edited = GetCtrlText(window, kResult);
    FakeSaveFileDialog save;
    save.answer = QDir(m_library.dirPath()).filePath(QStringLiteral("证明.pdf"));
    QTest::mouseClick(window->control(kExportPdf), Qt::LeftButton);
    ASSERT_TRUE(QFile::exists(save.answer));

    FakePrinterServices printer;
    printer.nextOutputFile = QDir(m_library.dirPath()).filePath(QStringLiteral("printed.pdf"));
    CMyFrame* frame = nullptr;
    QObject::connect(window, &CkavriDlg::previewOpened, [&frame](CMyFrame* f) { frame = f; });
    QTest::mouseClick(window->control(kPrintPreview), Qt::LeftButton);
    ASSERT_TRUE(frame);
    frame->printAction()->trigger();
    EXPECT_GT(QFile(printer.nextOutputFile).size(), 0);
    CMyFrame::ClosePreviewProc(frame);

    const Register::Entry e = lastEntry(window);
    ASSERT_EQ(e.events.size(), 3);
    EXPECT_EQ(e.events[0].kind, Register::EventKind::Copied);
    EXPECT_EQ(e.events[0].versionNo, 1);
    EXPECT_EQ(e.events[1].kind, Register::EventKind::PdfExported);
    EXPECT_EQ(e.events[1].versionNo, 2);
    EXPECT_EQ(e.events[2].kind, Register::EventKind::Printed);
    EXPECT_EQ(e.events[2].versionNo, 2);
    ASSERT_EQ(e.versions.size(), 2);
    EXPECT_EQ(e.versions[1].text, edited);
    EXPECT_TRUE(e.summary.issued);
    // The template has no 【查验码】: nothing signed, nothing noted, no key made.
    for (const Register::Event& event : e.events) {
        EXPECT_TRUE(event.detail.isEmpty()) << event.detail.toStdString();
    }
    EXPECT_FALSE(QFile::exists(Seal::sealKeyPathBeside(registerPath())));
}

TEST_F(RegisterFromMainWindowTest, APdfAndAPrintCarryTheSignedCodeTheirEventsRecord)
{
    LibraryEditor editor(m_library.path());
    ASSERT_TRUE(editor.run(QStringLiteral(
        "update moban_item_table set item8='编号【证明编号】|【姓名】<br>【查验码】' "
        "where item3='编号模板'")));
    CkavriDlg* window = generate(QStringLiteral("张三"));
    FakeSaveFileDialog save;
    save.answer = QDir(m_library.dirPath()).filePath(QStringLiteral("证明.pdf"));
    QTest::mouseClick(window->control(kExportPdf), Qt::LeftButton);
    ASSERT_TRUE(QFile::exists(save.answer));

    FakePrinterServices printer;
    printer.nextOutputFile = QDir(m_library.dirPath()).filePath(QStringLiteral("printed.pdf"));
    CMyFrame* frame = nullptr;
    QObject::connect(window, &CkavriDlg::previewOpened, [&frame](CMyFrame* f) { frame = f; });
    QTest::mouseClick(window->control(kPrintPreview), Qt::LeftButton);
    ASSERT_TRUE(frame);
    frame->printAction()->trigger();
    CMyFrame::ClosePreviewProc(frame);
    EXPECT_TRUE(m_notifier.notices().isEmpty()) << m_notifier.texts().join('\n').toStdString();

    const Register::Entry e = lastEntry(window);
    ASSERT_EQ(e.events.size(), 2);
    const auto sealOf = [&](int event) {
        const std::optional<Register::LeavingNote> note =
            Register::leavingNoteFromDetail(e.events[event].detail);
        EXPECT_TRUE(note) << e.events[event].detail.toStdString();
        return QByteArray::fromBase64(note.value_or(Register::LeavingNote{}).seal.toLatin1());
    };
    const auto codesIn = [](const QString& path) {
        QString error;
        const auto codes = Scan::readCodes(path, &error);
        EXPECT_TRUE(codes) << error.toStdString();
        return codes.value_or(QList<QByteArray>());
    };
    const QByteArray exported = sealOf(0);
    const QByteArray printed = sealOf(1);
    EXPECT_FALSE(exported.isEmpty());
    EXPECT_EQ(codesIn(save.answer), QList<QByteArray>{exported});
    EXPECT_EQ(codesIn(printer.nextOutputFile), QList<QByteArray>{printed});
    // Each leaving signed on its own, by the desk's key beside the register.
    EXPECT_NE(exported, printed);
    QString error;
    const auto key =
        Seal::loadOrCreateSealKey(Seal::sealKeyPathBeside(registerPath()), false, &error);
    ASSERT_TRUE(key) << error.toStdString();
    const QList<Seal::TrustedKey> none;
    const Seal::SealChecker checker(&*key, &none);
    EXPECT_EQ(checker.check(exported).verdict, Seal::Verdict::Genuine);
    EXPECT_EQ(checker.check(exported).facts.number, e.summary.number);
    EXPECT_EQ(checker.check(printed).verdict, Seal::Verdict::Genuine);
}

TEST_F(RegisterFromMainWindowTest, ADamagedRegisterRefusesANumberedTemplateAndAPlainOneIsMade)
{
    {
        QString error;
        ASSERT_TRUE(Register::CertificateRegister::open(registerPath(), &error));
    }
    QFile damaged(registerPath());
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
    damaged.write(QByteArray(4096, 'x'));
    damaged.close();

    // The template prints the number: no certificate without it, each time said why.
    CkavriDlg* window = generate(QStringLiteral("张三"));
    EXPECT_TRUE(GetCtrlText(window, kResult).isEmpty())
        << GetCtrlText(window, kResult).toStdString() << m_notifier.texts().join(u'|').toStdString();
    generate(QStringLiteral("李四"));
    EXPECT_TRUE(GetCtrlText(window, kResult).isEmpty());
    // A template without the number is made as ever, without another notice.
    window->m_strTemplateText = QStringLiteral("【姓名】");
    generate(QStringLiteral("王五"));
    EXPECT_TRUE(GetCtrlText(window, kResult).endsWith(QStringLiteral("王五")));
    QTest::mouseClick(window->control(kCopyText), Qt::LeftButton);
    const QStringList texts = m_notifier.texts();
    ASSERT_EQ(texts.size(), 3) << texts.join('\n').toStdString();
    for (int i = 0; i < 2; ++i) {
        EXPECT_TRUE(texts[i].startsWith(QStringLiteral("无法打开出具登记簿"))) << i;
        EXPECT_TRUE(texts[i].endsWith(
            QStringLiteral("\n模板中有【证明编号】，登记簿无法使用时不能生成离职证明。")))
            << texts[i].toStdString();
    }
    EXPECT_EQ(texts[2], QStringLiteral("已将生成的离职证明复制到剪切板上！"));
    EXPECT_EQ(QFile(registerPath()).size(), 4096);
}

TEST_F(RegisterFromMainWindowTest, TheContextMenuOpensTheRegisterWindow)
{
    CkavriDlg* window = generate(QStringLiteral("张三"));
    QAction* action = window->registerAction();
    ASSERT_TRUE(action);
    EXPECT_EQ(action->text(), QStringLiteral("登记簿(&R)…"));
    int rows = -1;
    QTimer::singleShot(0, [&rows] {
        if (auto* dlg = qobject_cast<CRegisterDlg*>(QApplication::activeModalWidget())) {
            rows = dlg->list()->rowCount();
            dlg->reject();
        }
    });
    action->trigger();
    EXPECT_EQ(rows, 1);
}

namespace {

// The ways a certificate leaves the main window, each driven as the clerk drives it. `send`
// returns whether anything left: the clipboard holds the text, the file is there, the page
// was printed.
struct WayOut
{
    const char* name;
    Register::EventKind kind;
    bool (*send)(CkavriDlg* window, const QString& folder);
};

bool copyOut(CkavriDlg* window, const QString&)
{
    QGuiApplication::clipboard()->setText(QStringLiteral("剪贴板上原有的文字"));
    QTest::mouseClick(window->control(kCopyText), Qt::LeftButton);
    return QGuiApplication::clipboard()->text() == GetCtrlText(window, kResult);
}

bool exportOut(CkavriDlg* window, const QString& folder)
{
    FakeSaveFileDialog save;
    save.answer = QDir(folder).filePath(QStringLiteral("证明.pdf"));
    QTest::mouseClick(window->control(kExportPdf), Qt::LeftButton);
    // Stopped at the question, no file name is even asked for.
    EXPECT_EQ(save.suggested.size(), QFile::exists(save.answer) ? 1 : 0);
    return QFile::exists(save.answer);
}

bool printOut(CkavriDlg* window, const QString& folder)
{
    FakePrinterServices printer;
    printer.nextOutputFile = QDir(folder).filePath(QStringLiteral("printed.pdf"));
    CMyFrame* frame = nullptr;
    const QMetaObject::Connection opened =
        QObject::connect(window, &CkavriDlg::previewOpened, [&frame](CMyFrame* f) { frame = f; });
    QTest::mouseClick(window->control(kPrintPreview), Qt::LeftButton);
    QObject::disconnect(opened);
    EXPECT_TRUE(frame);
    if (!frame) {
        return false;
    }
    frame->printAction()->trigger();
    CMyFrame::ClosePreviewProc(frame);
    // Stopped at the question, the printer dialog never opens.
    EXPECT_EQ(printer.dialogsShown, QFile::exists(printer.nextOutputFile) ? 1 : 0);
    return QFile(printer.nextOutputFile).size() > 0;
}

const WayOut kWaysOut[] = {
    {"copy", Register::EventKind::Copied, copyOut},
    {"export", Register::EventKind::PdfExported, exportOut},
    {"print", Register::EventKind::Printed, printOut},
};

} // namespace

// A certificate whose wording a new employer may read as fault is checked as it leaves: the
// clerk sees each phrase in its context; No sends nothing out and records nothing, Yes sends it
// and the register keeps the phrases with the leaving.
TEST_F(RegisterFromMainWindowTest, WordingThatSuggestsFaultIsAskedAboutAsTheCertificateLeaves)
{
    OfficeWordingList kavrisOwnList;
    const QStringList expectedNote = {QStringLiteral("“违纪”：……张三因严重违纪，公司予以辞退。"),
                                      QStringLiteral("“辞退”：……因严重违纪，公司予以辞退。")};
    for (const WayOut& way : kWaysOut) {
        for (const bool goOn : {false, true}) {
            SCOPED_TRACE(std::string(way.name) + (goOn ? " yes" : " no"));
            const QString folder =
                QDir(m_library.dirPath()).filePath(QStringLiteral("%1-%2").arg(way.name).arg(goOn));
            ASSERT_TRUE(QDir().mkpath(folder));
            CkavriDlg* window = m_window ? m_window.get() : openWindow(m_library.path());
            window->m_strTemplateText = QStringLiteral("【姓名】因严重违纪，公司予以辞退。");
            generate(QStringLiteral("张三"));
            ASSERT_TRUE(GetCtrlText(window, kResult)
                            .endsWith(QStringLiteral("\r\n张三因严重违纪，公司予以辞退。")));
            m_notifier.clear();
            m_notifier.queueAnswer(goOn ? Notifier::Answer::Yes : Notifier::Answer::No);

            EXPECT_EQ(way.send(window, folder), goOn);

            const QList<Notifier::Notice> asked = m_notifier.notices();
            ASSERT_GE(asked.size(), 1);
            EXPECT_EQ(asked[0].buttons, Notifier::Buttons::YesNo);
            EXPECT_TRUE(asked[0].text.contains(expectedNote.join(u'\n')))
                << asked[0].text.toStdString();
            const Register::Entry e = lastEntry(window);
            if (!goOn) {
                EXPECT_TRUE(e.events.isEmpty());
                EXPECT_FALSE(e.summary.issued);
                continue;
            }
            ASSERT_EQ(e.events.size(), 1);
            EXPECT_EQ(e.events[0].kind, way.kind);
            const std::optional<Register::LeavingNote> note =
                Register::leavingNoteFromDetail(e.events[0].detail);
            ASSERT_TRUE(note) << e.events[0].detail.toStdString();
            EXPECT_EQ(note->wording, expectedNote);
        }
    }
}

// Plain wording leaves without a question, and nothing is noted with the leaving.
TEST_F(RegisterFromMainWindowTest, PlainWordingLeavesWithoutAQuestionOrANote)
{
    OfficeWordingList kavrisOwnList;
    for (const WayOut& way : kWaysOut) {
        SCOPED_TRACE(way.name);
        const QString folder = QDir(m_library.dirPath()).filePath(QString::fromLatin1(way.name));
        ASSERT_TRUE(QDir().mkpath(folder));
        CkavriDlg* window = m_window ? m_window.get() : openWindow(m_library.path());
        window->m_strTemplateText =
            QStringLiteral("【姓名】因个人原因离职，与我公司无未了结的劳动争议。");
        generate(QStringLiteral("李四"));
        m_notifier.clear();
        m_notifier.queueAnswer(Notifier::Answer::No); // a question would stop it
        EXPECT_TRUE(way.send(window, folder));
        for (const Notifier::Notice& n : m_notifier.notices()) {
            EXPECT_NE(n.buttons, Notifier::Buttons::YesNo) << n.text.toStdString();
        }
        const Register::Entry e = lastEntry(window);
        ASSERT_EQ(e.events.size(), 1);
        const std::optional<Register::LeavingNote> note =
            Register::leavingNoteFromDetail(e.events[0].detail);
        EXPECT_TRUE(!note || note->wording.isEmpty()) << e.events[0].detail.toStdString();
    }
}

// The office's own list is the one checked against: its phrase is asked about, one kavri lists
// but the office took out is not.
TEST_F(RegisterFromMainWindowTest, TheOfficesListDecidesWhatIsAskedAbout)
{
    OfficeWordingList office;
    office.write(QStringLiteral("# 本公司的词表\n试用期不合格\n"));
    CkavriDlg* window = openWindow(m_library.path());
    window->m_strTemplateText = QStringLiteral("【姓名】试用期不合格，公司予以辞退。");
    generate(QStringLiteral("王五"));
    m_notifier.clear();
    m_notifier.queueAnswer(Notifier::Answer::Yes);
    EXPECT_TRUE(copyOut(window, m_library.dirPath()));
    const Register::Entry e = lastEntry(window);
    ASSERT_EQ(e.events.size(), 1);
    const std::optional<Register::LeavingNote> note =
        Register::leavingNoteFromDetail(e.events[0].detail);
    ASSERT_TRUE(note);
    EXPECT_EQ(note->wording, QStringList{QStringLiteral(
                                 "“试用期不合格”：……证明 王五试用期不合格，公司予以辞退。")});
}
