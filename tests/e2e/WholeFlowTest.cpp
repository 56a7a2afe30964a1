// One user session from start to restart, on a private copy of the delivered library, through
// the real windows: choose a template, fill the form, generate, copy, export the PDF, add a
// company in the library browser, then start again on the same file.
#include "CertificateExpectation.h"
#include "EditorDriving.h"
#include "FakeSaveFileDialog.h"
#include "ModalDriver.h"
#include "PdfText.h"
#include "RecordingNotifier.h"
#include "TempLibrary.h"
#include "Typing.h"

#include "store/CDbVisit.h"
#include "store/RecordSet.h"
#include "ui/common/CtrlText.h"
#include "ui/controls/LineWidth.h"
#include "ui/controls/ListViewCtrl.h"
#include "ui/library/CAddXxxDlg.h"
#include "ui/library/CBasicdatasetDlg.h"
#include "ui/main/CkavriDlg.h"
#include "ui/main/MainDialogIds.h"

#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <algorithm>
#include <gtest/gtest.h>
#include <memory>

using namespace MainIds;

namespace {

struct Row
{
    qint32 itemId = 0;
    qint32 upId = 0;
    QString item1, item3, item8;
};

// One input of the form: its id, its placeholder and what the test types into it.
struct Field
{
    int id;
    QString placeholder;
    QString typed;
};

const QString kTypedCompany = QStringLiteral("杭州端点测试科技有限公司");
const QString kTypedDepartment = QStringLiteral("流程验证部");
const QString kTypedPosition = QStringLiteral("端到端测试工程师");
const QString kReasonTyped = QStringLiteral("合同期满（双方不再续签）");
const QString kReasonShown = QStringLiteral("合同期满");
const QDate kJoinDay(2021, 3, 15);
const QDate kLeaveDay(2025, 11, 30);
const QString kJoinText = QStringLiteral("2021年3月15日");
const QString kLeaveText = QStringLiteral("2025年11月30日");
const QString kTypedName = QStringLiteral("王小明");
const QString kBrowserCompany = QStringLiteral("苏州浏览器新增实业有限公司");

// The text inputs and combos in form order; the two dates are set on their pickers.
const QList<Field> kTypedFields = {
    {kName, QStringLiteral("【姓名】"), kTypedName},
    {kGender, QStringLiteral("【性别】"), QStringLiteral("女")},
    {kIdNumber, QStringLiteral("【身份证号】"), QStringLiteral("11010519900307123X")},
    {kCompany, QStringLiteral("【公司名称】"), kTypedCompany},
    {kDepartment, QStringLiteral("【部门】"), kTypedDepartment},
    {kPosition, QStringLiteral("【职位】"), kTypedPosition},
    {kReason, QStringLiteral("【离职原因】"), kReasonTyped},
};

// When KAVRI_SCREENSHOT_DIR names a folder, the session leaves pictures of its windows and
// a copy of its PDF there (scripts/screenshots.sh runs it so under Xvfb for the README).
void saveForReadme(QWidget* widget, const QString& fileName, const QRect& part = QRect())
{
    const QString dir = qEnvironmentVariable("KAVRI_SCREENSHOT_DIR");
    if (!dir.isEmpty()) {
        const QPixmap shot = widget->grab(part.isNull() ? QRect(QPoint(), QSize(-1, -1)) : part);
        EXPECT_TRUE(shot.save(QDir(dir).filePath(fileName))) << fileName.toStdString();
    }
}

void copyForReadme(const QString& path, const QString& fileName)
{
    const QString dir = qEnvironmentVariable("KAVRI_SCREENSHOT_DIR");
    if (!dir.isEmpty()) {
        const QString target = QDir(dir).filePath(fileName);
        QFile::remove(target);
        EXPECT_TRUE(QFile::copy(path, target)) << target.toStdString();
    }
}

class WholeFlowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_FALSE(QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            << "pdftotext is not on PATH: install poppler-utils (scripts/install-deps.sh)";
        ASSERT_TRUE(m_library.isValid()) << TempLibrary::deliveredFile().toStdString();
        ASSERT_TRUE(m_out.isValid());
        // A connection of the test's own, to read back what the windows wrote.
        m_db.m_pConnection = m_db.ConnectAccessDb(m_library.path(), CDbVisit::kPassword);
        ASSERT_TRUE(m_db.m_pConnection);
    }

    void TearDown() override
    {
        closeWindow();
        m_db.CloseConnection(m_db.m_pConnection);
    }

    void startWindow()
    {
        closeWindow();
        m_window = std::make_unique<CkavriDlg>(m_windowDb, m_certText, m_library.path());
        m_window->OnInitDialog();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
        ASSERT_TRUE(m_notifier.notices().isEmpty()) << m_notifier.texts().join('\n').toStdString();
    }

    void closeWindow()
    {
        if (m_window) {
            m_window->close();
            m_window.reset();
        }
    }

    template <class T = QWidget> T* control(int id) const
    {
        T* widget = m_window->control<T>(id);
        EXPECT_NE(widget, nullptr) << "no control " << id;
        return widget;
    }

    void click(int id) { QTest::mouseClick(control(id), Qt::LeftButton); }

    QStringList comboItems(int id) const
    {
        QStringList items;
        auto* combo = control<QComboBox>(id);
        for (int i = 0; combo && i < combo->count(); ++i) {
            items.append(combo->itemText(i));
        }
        return items;
    }

    QString resultText() const { return GetCtrlText(m_window.get(), kResult); }

    QList<Row> rows(const QString& table)
    {
        QList<Row> result;
        auto records =
            m_db.ExecuteSql(QStringLiteral("select * from %1 order by itemid").arg(table));
        for (; records && !records->isEof(); records->moveNext()) {
            result.append({records->collectInt(QStringLiteral("itemid")),
                           records->collectInt(QStringLiteral("upid")),
                           records->collect(QStringLiteral("item1")),
                           records->collect(QStringLiteral("item3")),
                           records->collect(QStringLiteral("item8"))});
        }
        return result;
    }

    QStringList defaults(const QString& table)
    {
        QStringList names;
        for (const Row& row : rows(table)) {
            if (row.item1 == QStringLiteral("默认")) {
                names.append(row.item3);
            }
        }
        return names;
    }

    // Steps of the session, in the order the user takes them.
    void chooseSecondTemplate();
    void fillTheForm();
    void generate();
    void checkLibrariesAfterGenerate();
    void copy();
    void exportPdf();
    void addCompanyInTheLibrary();
    void lookUpTheTemplateInTheLibrary();
    void restartAndCheckDefaults();

    RecordingNotifier m_notifier;
    FakeSaveFileDialog m_files;
    TempLibrary m_library;
    QTemporaryDir m_out;
    CDbVisit m_db;
    // What the program's application object would give the window.
    CDbVisit m_windowDb;
    QString m_certText;
    std::unique_ptr<CkavriDlg> m_window;

    QString m_templateName;
    QString m_templateText;
    QString m_certificate;
    QString m_oldCompanyDefault;
};

void WholeFlowTest::chooseSecondTemplate()
{
    ListViewCtrl* list = m_window->m_listTemplates;
    ASSERT_GE(list->rowCount(), 2);
    m_templateName = list->item(1, 0)->text();
    for (const Row& row : rows(QStringLiteral("moban_item_table"))) {
        if (row.item3 == m_templateName) {
            m_templateText = row.item8;
        }
    }
    ASSERT_FALSE(m_templateText.isEmpty()) << m_templateName.toStdString();
    ASSERT_NE(m_window->m_strTemplateText, m_templateText) << "the second row is the default";

    const QRect rect = list->visualItemRect(list->item(1, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());

    EXPECT_EQ(m_window->m_nShownTemplate, 1);
    EXPECT_EQ(m_window->m_strTemplateText, m_templateText);
    EXPECT_EQ(GetCtrlText(m_window.get(), kTemplateName), m_templateName);
    const QString preview = GetCtrlText(m_window.get(), kPreview);
    EXPECT_TRUE(preview.contains(QStringLiteral("＿＿＿"))) << preview.toStdString();
    EXPECT_FALSE(preview.contains(QStringLiteral("【"))) << preview.toStdString();
    EXPECT_FALSE(preview.contains(QStringLiteral("<br>"))) << preview.toStdString();

    // Only the inputs whose placeholder the template holds are offered.
    for (const Field& field : kTypedFields) {
        EXPECT_EQ(control(field.id)->isVisible(), m_templateText.contains(field.placeholder))
            << field.id;
    }
}

void WholeFlowTest::fillTheForm()
{
    // All nine inputs get a value, also those this template hides: Generate reads every
    // input, and the hidden ones still feed the libraries.
    for (const Field& field : kTypedFields) {
        typeOver(control(field.id), field.typed);
        EXPECT_EQ(GetCtrlText(m_window.get(), field.id), field.typed) << field.id;
    }
    control<QDateEdit>(kJoinDate)->setDate(kJoinDay);
    control<QDateEdit>(kLeaveDate)->setDate(kLeaveDay);
    EXPECT_EQ(GetCtrlText(m_window.get(), kJoinDate), kJoinText);
    EXPECT_EQ(GetCtrlText(m_window.get(), kLeaveDate), kLeaveText);
}

void WholeFlowTest::generate()
{
    // The width the box reports before Generate is the one the certificate is fitted to.
    auto* box = control<QPlainTextEdit>(kResult);
    const int width = MeasureLineWidth(box);
    ASSERT_GT(width, 20);
    m_oldCompanyDefault = defaults(QStringLiteral("company_item_table")).value(0);
    ASSERT_FALSE(m_oldCompanyDefault.isEmpty());

    click(kGenerate);
    m_certificate = resultText();
    EXPECT_TRUE(m_notifier.notices().isEmpty()) << m_notifier.texts().join('\n').toStdString();

    CertificateExpectation::Values values;
    for (const Field& field : kTypedFields) {
        values.append({field.placeholder, field.typed});
    }
    values.last().second = kReasonShown; // the note in parentheses stays out
    values.append({QStringLiteral("【入职日期】"), kJoinText});
    values.append({QStringLiteral("【离职日期】"), kLeaveText});
    const auto expected = CertificateExpectation::build(m_templateText, values, width);
    EXPECT_EQ(m_certificate, expected.text);

    const QStringList lines = m_certificate.split(QStringLiteral("\r\n"));
    ASSERT_GT(lines.size(), 4);
    EXPECT_EQ(lines[0], expected.titleLine);
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral("离职证明")));
    // Three line breaks after the title: two empty lines, then the text.
    EXPECT_EQ(lines.mid(1, 2), QStringList(2, QString()));
    EXPECT_FALSE(lines[3].isEmpty());
    for (const Field& field : kTypedFields) {
        if (m_templateText.contains(field.placeholder) && field.id != kReason) {
            EXPECT_TRUE(m_certificate.contains(field.typed)) << field.typed.toStdString();
        } else if (!m_templateText.contains(field.placeholder)) {
            EXPECT_FALSE(m_certificate.contains(field.typed)) << field.typed.toStdString();
        }
    }
    EXPECT_TRUE(m_certificate.contains(kJoinText));
    EXPECT_TRUE(m_certificate.contains(kLeaveText));
    for (const QString& markup : {QStringLiteral("<br>"), QStringLiteral("<div"),
                                  QStringLiteral("</div>"), QStringLiteral("【")}) {
        EXPECT_FALSE(m_certificate.contains(markup)) << markup.toStdString();
    }

    // The signature block: company over date, its longest line ending at the box's edge.
    ASSERT_EQ(expected.blockLines.size(), 2);
    ASSERT_GE(lines.size(), 2);
    const QStringList block = lines.mid(lines.size() - 2);
    EXPECT_EQ(block[0].trimmed(), kTypedCompany);
    EXPECT_EQ(block[1].trimmed(), kLeaveText);
    EXPECT_EQ(std::max(block[0].size(), block[1].size()), width);
    const auto pad = [](const QString& line) {
        return line.size() - QString(line).remove(QChar(0x3000)).size();
    };
    EXPECT_EQ(pad(block[0]), pad(block[1]));
    EXPECT_EQ(pad(block[0]), width - kTypedCompany.size());
    // The whole form and the result sheet, down to a little below the certificate.
    QWidget* content = m_window->content();
    const int bottom = box->mapTo(content, QPoint(0, box->height())).y() + 24;
    saveForReadme(content, QStringLiteral("certificate.png"),
                  QRect(0, 0, content->width(), std::min(bottom, content->height())));
}

void WholeFlowTest::checkLibrariesAfterGenerate()
{
    struct Remembered
    {
        QString table;
        QString value;
    };
    const QList<Remembered> remembered = {
        {QStringLiteral("company_item_table"), kTypedCompany},
        {QStringLiteral("department_item_table"), kTypedDepartment},
        {QStringLiteral("position_item_table"), kTypedPosition},
        {QStringLiteral("reason_item_bable"), kReasonTyped},
    };
    for (const Remembered& r : remembered) {
        const QList<Row> all = rows(r.table);
        ASSERT_FALSE(all.isEmpty()) << r.table.toStdString();
        // A new value is added last, outside the browser's listing, as the one default.
        EXPECT_EQ(all.last().item3, r.value) << r.table.toStdString();
        EXPECT_EQ(all.last().upId, -1) << r.table.toStdString();
        EXPECT_EQ(defaults(r.table), QStringList{r.value}) << r.table.toStdString();
    }
    for (const Row& row : rows(QStringLiteral("company_item_table"))) {
        if (row.item3 == m_oldCompanyDefault) {
            EXPECT_TRUE(row.item1.isEmpty());
            EXPECT_EQ(row.upId, 0);
        }
    }
    // Gender and the template are not libraries Generate keeps.
    EXPECT_EQ(defaults(QStringLiteral("moban_item_table")).size(), 1);
    EXPECT_NE(defaults(QStringLiteral("moban_item_table")).value(0), m_templateName);
}

void WholeFlowTest::copy()
{
    QGuiApplication::clipboard()->setText(QStringLiteral("before the copy"));
    click(kCopyText);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), m_certificate);
    ASSERT_EQ(m_notifier.notices().size(), 1);
    EXPECT_EQ(m_notifier.notices()[0].text, QStringLiteral("已将生成的离职证明复制到剪切板上！"));
    EXPECT_EQ(m_notifier.notices()[0].caption, QStringLiteral("提示"));
    m_notifier.clear();
}

void WholeFlowTest::exportPdf()
{
    m_files.answer = m_out.filePath(QStringLiteral("离职证明-王小明.pdf"));
    click(kExportPdf);
    EXPECT_TRUE(m_notifier.notices().isEmpty()) << m_notifier.texts().join('\n').toStdString();
    ASSERT_EQ(m_files.suggested.size(), 1);
    EXPECT_TRUE(m_files.suggested[0].endsWith(QStringLiteral("/离职证明-") + kTypedName +
                                              QStringLiteral(".pdf")))
        << m_files.suggested[0].toStdString();
    ASSERT_TRUE(QFile::exists(m_files.answer));
    EXPECT_EQ(PdfPageCount(m_files.answer), 1);

    const QString pdf = PdfText(m_files.answer);
    ASSERT_FALSE(pdf.isEmpty()) << "pdftotext read nothing from " << m_files.answer.toStdString();
    // The page prints its own title, then the body: everything after the title, line by line.
    const QString body = m_certificate.mid(m_certificate.indexOf(QStringLiteral("离职证明")) + 4);
    const QString flat = WithoutSpaces(pdf);
    EXPECT_TRUE(flat.startsWith(QStringLiteral("离职证明"))) << pdf.toStdString();
    QString missing;
    EXPECT_TRUE(HoldsLinesInOrder(pdf, body, &missing)) << missing.toStdString();
    for (const QString& value :
         {kTypedName, kTypedCompany, kTypedPosition, kJoinText, kLeaveText}) {
        EXPECT_TRUE(flat.contains(value)) << value.toStdString();
    }
    EXPECT_TRUE(m_window->isVisible());
    copyForReadme(m_files.answer, QStringLiteral("certificate.pdf"));
}

void WholeFlowTest::addCompanyInTheLibrary()
{
    const QStringList offeredBefore = comboItems(kCompany);
    bool browserRan = false;
    QStringList listed;
    QString editorTitle;
    whenModal<CBasicdatasetDlg>([&](CBasicdatasetDlg* browser) {
        browserRan = true;
        EXPECT_EQ(browser->windowTitle(), QStringLiteral("公司名称库"));
        auto* tree = child<QTreeWidget>(browser, 527);
        // The companies Generate recorded are not the browser's to list.
        for (int i = 0; i < tree->topLevelItemCount(); ++i) {
            EXPECT_NE(tree->topLevelItem(i)->text(0), kTypedCompany);
        }
        EXPECT_TRUE(clickTreeRow(tree, m_oldCompanyDefault));
        EXPECT_EQ(child<QPlainTextEdit>(browser, 529)->toPlainText(),
                  QStringLiteral("   \n\n") + m_oldCompanyDefault);

        whenModal<CAddXxxDlg>([&](CAddXxxDlg* editor) {
            editorTitle = editor->windowTitle();
            fillAndConfirm(editor, kBrowserCompany);
        });
        QTest::mouseClick(child<QPushButton>(browser, 1070), Qt::LeftButton);
        for (int i = 0; i < tree->topLevelItemCount(); ++i) {
            listed.append(tree->topLevelItem(i)->text(0));
        }
        browser->reject();
    });
    click(kCompanyLibrary);

    ASSERT_TRUE(browserRan);
    EXPECT_EQ(editorTitle, QStringLiteral("添加公司名称"));
    EXPECT_EQ(m_notifier.texts(), QStringList{QStringLiteral("添加成功！")});
    m_notifier.clear();
    ASSERT_FALSE(listed.isEmpty());
    EXPECT_EQ(listed.last(), kBrowserCompany);

    const QList<Row> companies = rows(QStringLiteral("company_item_table"));
    ASSERT_FALSE(companies.isEmpty());
    EXPECT_EQ(companies.last().item3, kBrowserCompany);
    EXPECT_EQ(companies.last().upId, 0);
    EXPECT_TRUE(companies.last().item1.isEmpty());
    EXPECT_EQ(defaults(QStringLiteral("company_item_table")), QStringList{kTypedCompany});
    // The open window reloads nothing.
    EXPECT_EQ(comboItems(kCompany), offeredBefore);
}

void WholeFlowTest::lookUpTheTemplateInTheLibrary()
{
    bool browserRan = false;
    whenModal<CBasicdatasetDlg>([&](CBasicdatasetDlg* browser) {
        browserRan = true;
        EXPECT_EQ(browser->windowTitle(), QStringLiteral("离职模板库"));
        auto* tree = child<QTreeWidget>(browser, 527);
        // The template's text, not its name, fills the preview, as stored: markup and all.
        EXPECT_TRUE(clickTreeRow(tree, m_templateName));
        const QString preview = child<QPlainTextEdit>(browser, 529)->toPlainText();
        EXPECT_EQ(preview, QStringLiteral("   \n\n") + m_templateText);
        browser->reject();
    });
    click(kTemplateLibrary);
    ASSERT_TRUE(browserRan);
    EXPECT_TRUE(m_notifier.notices().isEmpty()) << m_notifier.texts().join('\n').toStdString();
}

void WholeFlowTest::restartAndCheckDefaults()
{
    ASSERT_NO_FATAL_FAILURE(startWindow());
    EXPECT_EQ(control<QComboBox>(kCompany)->currentText(), kTypedCompany);
    EXPECT_EQ(control<QComboBox>(kDepartment)->currentText(), kTypedDepartment);
    EXPECT_EQ(control<QComboBox>(kPosition)->currentText(), kTypedPosition);
    EXPECT_EQ(control<QComboBox>(kReason)->currentText(), kReasonTyped);
    // What no library keeps starts afresh.
    EXPECT_EQ(GetCtrlText(m_window.get(), kGender), QStringLiteral("男"));
    EXPECT_TRUE(GetCtrlText(m_window.get(), kName).isEmpty());
    EXPECT_TRUE(resultText().isEmpty());
    // The default template is shown again, not the one chosen last time.
    const QStringList defaultTemplate = defaults(QStringLiteral("moban_item_table"));
    ASSERT_EQ(defaultTemplate.size(), 1);
    EXPECT_EQ(GetCtrlText(m_window.get(), kTemplateName), defaultTemplate[0]);
    EXPECT_NE(defaultTemplate[0], m_templateName);
    // The old default is still offered, next to the one Generate and the one the browser added.
    const QStringList companies = comboItems(kCompany);
    EXPECT_TRUE(companies.contains(m_oldCompanyDefault));
    EXPECT_TRUE(companies.contains(kBrowserCompany));
    EXPECT_EQ(companies.count(kTypedCompany), 1);
}

TEST_F(WholeFlowTest, ASessionFromStartToRestart)
{
    ASSERT_NO_FATAL_FAILURE(startWindow());
    ASSERT_NO_FATAL_FAILURE(chooseSecondTemplate());
    ASSERT_NO_FATAL_FAILURE(fillTheForm());
    ASSERT_NO_FATAL_FAILURE(generate());
    ASSERT_NO_FATAL_FAILURE(checkLibrariesAfterGenerate());
    ASSERT_NO_FATAL_FAILURE(copy());
    ASSERT_NO_FATAL_FAILURE(exportPdf());
    ASSERT_NO_FATAL_FAILURE(addCompanyInTheLibrary());
    ASSERT_NO_FATAL_FAILURE(lookUpTheTemplateInTheLibrary());
    closeWindow();
    ASSERT_NO_FATAL_FAILURE(restartAndCheckDefaults());
}

} // namespace
