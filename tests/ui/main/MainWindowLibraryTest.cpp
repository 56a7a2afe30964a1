// The main window on a private copy of the delivered library: what start-up fills in, which
// template the preview shows, how a click changes it, and how the form follows the template.
#include "LibraryEditor.h"
#include "MainWindowFixture.h"
#include "TempLibrary.h"

#include "compose/CertificateComposer.h"
#include "ui/controls/DialogBuilder.h"
#include "ui/controls/LineWidth.h"
#include "ui/controls/ListViewCtrl.h"
#include "ui/main/MainDialogIds.h"

#include <QAbstractItemView>
#include <QCollator>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>

using namespace MainIds;

namespace {

struct FormPair
{
    int label;
    int input;
    QString placeholder;
};

const QList<FormPair> kPairs = {
    {kNameLabel, kName, QStringLiteral("【姓名】")},
    {kGenderLabel, kGender, QStringLiteral("【性别】")},
    {kIdNumberLabel, kIdNumber, QStringLiteral("【身份证号】")},
    {kCompanyLabel, kCompany, QStringLiteral("【公司名称】")},
    {kDepartmentLabel, kDepartment, QStringLiteral("【部门】")},
    {kPositionLabel, kPosition, QStringLiteral("【职位】")},
    {kJoinDateLabel, kJoinDate, QStringLiteral("【入职日期】")},
    {kLeaveDateLabel, kLeaveDate, QStringLiteral("【离职日期】")},
    {kReasonLabel, kReason, QStringLiteral("【离职原因】")},
};

class MainWindowLibraryTest : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_library.isValid()) << TempLibrary::deliveredFile().toStdString();
        m_editor = std::make_unique<LibraryEditor>(m_library.path());
        ASSERT_TRUE(m_editor->isOpen()) << m_editor->lastError().toStdString();
    }

    void TearDown() override
    {
        MainWindowFixture::TearDown();
        m_editor.reset();
    }

    CkavriDlg* open()
    {
        CkavriDlg* window = openWindow(m_library.path());
        EXPECT_TRUE(m_notifier.notices().isEmpty()) << m_notifier.texts().join('\n').toStdString();
        return window;
    }

    QString templateText(const QString& name)
    {
        const QStringList texts = m_editor->column(
            QStringLiteral("select item8 from moban_item_table where item3='%1'").arg(name),
            QStringLiteral("item8"));
        return texts.value(0);
    }

    QString defaultName(const QString& table)
    {
        return m_editor
            ->column(QStringLiteral("select item3 from %1 where item1='默认'").arg(table),
                     QStringLiteral("item3"))
            .value(0);
    }

    static QList<int> selectedRows(CkavriDlg* window)
    {
        QList<int> rows;
        for (int row = 0; row < window->m_listTemplates->rowCount(); ++row) {
            if (window->m_listTemplates->selectionModel()->isRowSelected(row, QModelIndex())) {
                rows.append(row);
            }
        }
        return rows;
    }

    static void clickRow(CkavriDlg* window, int row)
    {
        ListViewCtrl* list = window->m_listTemplates;
        const QRect r = list->visualItemRect(list->item(row, 0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
    }

    // The placeholders of the text decide which pairs are visible.
    static void expectFieldsFor(CkavriDlg* window, const QString& text)
    {
        for (const FormPair& pair : kPairs) {
            const bool used = text.contains(pair.placeholder);
            EXPECT_EQ(window->control(pair.label)->isVisible(), used) << pair.label;
            EXPECT_EQ(window->control(pair.input)->isVisible(), used) << pair.input;
        }
    }

    // The preview the window should show for text, measured on the preview box itself, as
    // the box holds it: one line break for each CR LF.
    static QString expectedPreview(CkavriDlg* window, const QString& text)
    {
        auto* preview = window->control<QPlainTextEdit>(kPreview);
        const QString shown = preview->toPlainText();
        const int width = MeasureLineWidth(preview);
        preview->setPlainText(shown);
        return Compose::RenderTemplatePreview(text, width)
            .replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    }

    // A row whose template text differs from the one shown.
    int otherRow(CkavriDlg* window)
    {
        for (int row = 0; row < window->m_listTemplates->rowCount(); ++row) {
            const QString name = window->m_listTemplates->item(row, 0)->text();
            if (row != window->m_nShownTemplate &&
                templateText(name) != window->m_strTemplateText) {
                return row;
            }
        }
        return -1;
    }

    TempLibrary m_library;
    std::unique_ptr<LibraryEditor> m_editor;
};

TEST_F(MainWindowLibraryTest, StartUpFillsTheListAndTheCombosAndSelectsTheDefaults)
{
    CkavriDlg* window = open();
    const QStringList names = m_editor->column(QStringLiteral("select item3 from moban_item_table"),
                                               QStringLiteral("item3"));
    ASSERT_GE(names.size(), 3);
    ASSERT_EQ(window->m_listTemplates->rowCount(), names.size());
    for (int row = 0; row < names.size(); ++row) {
        EXPECT_EQ(window->m_listTemplates->item(row, 0)->text(), names[row]);
    }
    EXPECT_EQ(window->m_listTemplates->columnCount(), 1);
    EXPECT_EQ(window->m_listTemplates->horizontalHeaderItem(0)->text(),
              QStringLiteral("离职证明模板"));
    EXPECT_EQ(window->m_listTemplates->columnWidth(0),
              window->m_listTemplates->contentsRect().width() * 90 / 100);

    const int defaultRow = names.indexOf(defaultName(QStringLiteral("moban_item_table")));
    ASSERT_GE(defaultRow, 0);
    EXPECT_EQ(selectedRows(window), QList<int>{defaultRow});
    EXPECT_EQ(window->m_nShownTemplate, defaultRow);

    const std::pair<int, const char*> choices[] = {{kCompany, "company_item_table"},
                                                   {kDepartment, "department_item_table"},
                                                   {kPosition, "position_item_table"},
                                                   {kReason, "reason_item_bable"}};
    QCollator collator(QLocale(QLocale::Chinese, QLocale::China));
    for (const auto& [id, table] : choices) {
        auto* combo = window->control<QComboBox>(id);
        const QStringList entries =
            m_editor->column(QStringLiteral("select item3 from %1 where item3 <> ''").arg(table),
                             QStringLiteral("item3"));
        ASSERT_EQ(combo->count(), entries.size()) << table;
        QStringList items;
        for (int i = 0; i < combo->count(); ++i) {
            items.append(combo->itemText(i));
            if (i > 0) {
                EXPECT_LE(collator.compare(items[i - 1], items[i]), 0) << table << " is sorted";
            }
        }
        QStringList sortedEntries = entries;
        std::sort(sortedEntries.begin(), sortedEntries.end());
        std::sort(items.begin(), items.end());
        EXPECT_EQ(items, sortedEntries) << table;
        EXPECT_FALSE(defaultName(QString::fromLatin1(table)).isEmpty()) << table;
        EXPECT_EQ(combo->currentText(), defaultName(QString::fromLatin1(table))) << table;
        EXPECT_TRUE(combo->isEditable()) << table;
    }

    auto* gender = window->control<QComboBox>(kGender);
    EXPECT_EQ(gender->currentText(), QStringLiteral("男"));
    ASSERT_EQ(gender->count(), 2);
    EXPECT_EQ(gender->itemText(1), QStringLiteral("女"));
    for (int id : {kJoinDate, kLeaveDate}) {
        auto* date = window->control<QDateEdit>(id);
        EXPECT_EQ(date->date(), QDate::currentDate());
        EXPECT_EQ(date->text(), QDate::currentDate().toString(QStringLiteral("yyyy年M月d日")));
    }
}

TEST_F(MainWindowLibraryTest, ThePreviewShowsTheDefaultTemplateWithBlanks)
{
    CkavriDlg* window = open();
    const QString name = defaultName(QStringLiteral("moban_item_table"));
    const QString text = templateText(name);
    ASSERT_TRUE(text.contains(QStringLiteral("【")));
    EXPECT_EQ(window->m_strTemplateText, text);
    EXPECT_EQ(window->control<QLineEdit>(kTemplateName)->text(), name);
    const QString preview = window->control<QPlainTextEdit>(kPreview)->toPlainText();
    EXPECT_FALSE(preview.contains(QStringLiteral("【")));
    EXPECT_FALSE(preview.contains(QStringLiteral("<br>")));
    EXPECT_TRUE(preview.contains(QChar(0xFF3F)));
    EXPECT_EQ(preview, expectedPreview(window, text));
    expectFieldsFor(window, text);
}

TEST_F(MainWindowLibraryTest, AClickOnAnotherRowShowsItsTemplateAndLaysTheFormOutForIt)
{
    CkavriDlg* window = open();
    const int row = otherRow(window);
    ASSERT_GE(row, 0) << "the delivered library needs two different templates";
    const QString name = window->m_listTemplates->item(row, 0)->text();
    const QString text = templateText(name);

    clickRow(window, row);
    EXPECT_EQ(window->m_nShownTemplate, row);
    EXPECT_EQ(window->m_strTemplateText, text);
    EXPECT_EQ(window->control<QLineEdit>(kTemplateName)->text(), name);
    EXPECT_EQ(window->control<QPlainTextEdit>(kPreview)->toPlainText(),
              expectedPreview(window, text));
    expectFieldsFor(window, text);
}

TEST_F(MainWindowLibraryTest, TheShownRowEmptySpaceAndTheKeyboardChangeNothing)
{
    CkavriDlg* window = open();
    const int shown = window->m_nShownTemplate;
    ASSERT_GE(shown, 0);
    auto* preview = window->control<QPlainTextEdit>(kPreview);
    auto* nameBox = window->control<QLineEdit>(kTemplateName);
    const QString text = window->m_strTemplateText;
    preview->setPlainText(QStringLiteral("unchanged"));
    nameBox->setText(QStringLiteral("unchanged"));

    clickRow(window, shown);
    EXPECT_EQ(preview->toPlainText(), QStringLiteral("unchanged"));

    ListViewCtrl* list = window->m_listTemplates;
    const QRect last = list->visualItemRect(list->item(list->rowCount() - 1, 0));
    ASSERT_LT(last.bottom() + 10, list->viewport()->height()) << "the list has empty space";
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(last.center().x(), last.bottom() + 8));
    EXPECT_EQ(preview->toPlainText(), QStringLiteral("unchanged"));

    list->setFocus();
    list->setCurrentCell(shown, 0);
    QTest::keyClick(list, shown == 0 ? Qt::Key_Down : Qt::Key_Up);
    EXPECT_NE(list->currentRow(), shown);
    EXPECT_TRUE(list->selectionModel()->isRowSelected(list->currentRow(), QModelIndex()));
    EXPECT_EQ(preview->toPlainText(), QStringLiteral("unchanged"));
    EXPECT_EQ(nameBox->text(), QStringLiteral("unchanged"));
    EXPECT_EQ(window->m_nShownTemplate, shown);
    EXPECT_EQ(window->m_strTemplateText, text);

    // The next click shows the row the keyboard selected.
    const int moved = list->currentRow();
    clickRow(window, moved);
    EXPECT_EQ(window->m_nShownTemplate, moved);
    EXPECT_EQ(nameBox->text(), list->item(moved, 0)->text());
}

TEST_F(MainWindowLibraryTest, NameGenderAndLeavingDateFillRowZeroAndRowOne)
{
    ASSERT_TRUE(m_editor->run(
        QStringLiteral("insert into moban_item_table (item1, item3, item8) values "
                       "('', '三项证明', '兹证明【姓名】（【性别】）已于【离职日期】离职。')")));
    CkavriDlg* window = open();
    const int row = window->m_listTemplates->rowCount() - 1;
    ASSERT_EQ(window->m_listTemplates->item(row, 0)->text(), QStringLiteral("三项证明"));
    clickRow(window, row);
    ASSERT_EQ(window->m_nShownTemplate, row);

    const QRect b = window->control(kBannerStep2)->geometry();
    const int bw = b.width();
    const int h = window->control(kDepartment)->height();
    const QSize label(bw * 14 / 100, h);
    const QSize input(bw * 21 / 100, h);
    const int x0 = b.x() + bw * 7 / 100;
    const int x1 = b.x() + bw * 51 / 100 + bw * 7 / 100;
    const int y0 = b.y() + b.height() + b.height() / 3;
    const int y1 = y0 + h * 4 / 3;
    EXPECT_EQ(window->control(kNameLabel)->geometry(), QRect(QPoint(x0, y0), label));
    EXPECT_EQ(window->control(kName)->geometry(), QRect(QPoint(x0 + label.width(), y0), input));
    EXPECT_EQ(window->control(kGenderLabel)->geometry(), QRect(QPoint(x1, y0), label));
    EXPECT_EQ(window->control(kGender)->geometry(), QRect(QPoint(x1 + label.width(), y0), input));
    EXPECT_EQ(window->control(kLeaveDateLabel)->geometry(), QRect(QPoint(x0, y1), label));
    EXPECT_EQ(window->control(kLeaveDate)->geometry(),
              QRect(QPoint(x0 + label.width(), y1), input));
    expectFieldsFor(window, window->m_strTemplateText);
    EXPECT_FALSE(window->control(kIdNumber)->isVisible());
    EXPECT_FALSE(window->control(kJoinDateLabel)->isVisible());

    for (int id : {kReason, kCompany}) {
        EXPECT_EQ(window->control<QComboBox>(id)->view()->minimumWidth(), 3 * input.width());
    }
}

TEST_F(MainWindowLibraryTest, WithoutADefaultTemplateThePreviewStaysEmpty)
{
    ASSERT_TRUE(m_editor->run(QStringLiteral("update moban_item_table set item1=''")));
    CkavriDlg* window = open();
    EXPECT_GT(window->m_listTemplates->rowCount(), 0);
    EXPECT_TRUE(selectedRows(window).isEmpty());
    EXPECT_EQ(window->m_nShownTemplate, -1);
    EXPECT_TRUE(window->m_strTemplateText.isEmpty());
    EXPECT_TRUE(window->control<QLineEdit>(kTemplateName)->text().isEmpty());
    EXPECT_TRUE(window->control<QPlainTextEdit>(kPreview)->toPlainText().isEmpty());

    // The form keeps the places of the dialog template.
    DialogTemplate dialogTemplate;
    ASSERT_TRUE(DialogTemplate::load(kDialog, &dialogTemplate, nullptr));
    const DialogBuilder builder(dialogTemplate);
    for (const FormPair& pair : kPairs) {
        EXPECT_TRUE(window->control(pair.label)->isVisible()) << pair.label;
        EXPECT_EQ(window->control(pair.label)->geometry(),
                  builder.units().toPixels(dialogTemplate.control(pair.label)->rect))
            << pair.label;
    }
}

TEST_F(MainWindowLibraryTest, ATemplateDeletedSinceStartUpShowsAnEmptyPreviewAndNoFields)
{
    CkavriDlg* window = open();
    const int row = otherRow(window);
    ASSERT_GE(row, 0);
    const QString name = window->m_listTemplates->item(row, 0)->text();
    ASSERT_TRUE(
        m_editor->run(QStringLiteral("delete from moban_item_table where item3='%1'").arg(name)));
    clickRow(window, row);
    EXPECT_EQ(window->m_nShownTemplate, row);
    EXPECT_EQ(window->control<QLineEdit>(kTemplateName)->text(), name);
    EXPECT_TRUE(window->control<QPlainTextEdit>(kPreview)->toPlainText().isEmpty());
    for (const FormPair& pair : kPairs) {
        EXPECT_FALSE(window->control(pair.input)->isVisible()) << pair.input;
    }
}

TEST_F(MainWindowLibraryTest, TheSheetStandsRightOfTheListWithTheBoxesInItsBands)
{
    CkavriDlg* window = open();
    const QRect list = window->m_listTemplates->geometry();
    const QRect p = window->control(kSheet)->geometry();
    EXPECT_EQ(p.topLeft(), QPoint(list.x() + list.width() + list.width() * 15 / 100, list.y()));
    EXPECT_FALSE(p.isEmpty());
    const int w = p.width();
    const int h = p.height();
    EXPECT_EQ(window->control(kTemplateName)->geometry(),
              QRect(p.x() + w * 15 / 100, p.y() + h * 3 / 100, w * 70 / 100, h * 8 / 100));
    EXPECT_EQ(window->control(kPreview)->geometry(),
              QRect(p.x() + w * 2 / 100, p.y() + h * 18 / 100, w * 96 / 100, h * 79 / 100));

    // Name and preview take the sheet's colour, with black text.
    const QColor sheet(223, 241, 234);
    for (int id : {kTemplateName, kPreview}) {
        QWidget* box = window->control(id);
        EXPECT_EQ(box->palette().color(QPalette::Base), sheet) << id;
        EXPECT_EQ(box->palette().color(QPalette::Text), QColor(Qt::black)) << id;
    }
    const QImage shot = window->control(kPreview)->grab().toImage();
    EXPECT_EQ(QColor(shot.pixel(1, shot.height() - 2)), sheet);
}

TEST_F(MainWindowLibraryTest, ClosingTheWindowClosesTheConnection)
{
    CkavriDlg* window = open();
    CDbVisit& db = m_dbVisit;
    EXPECT_NE(db.m_pConnection, nullptr);
    window->close();
    EXPECT_EQ(db.m_pConnection, nullptr);
    EXPECT_FALSE(window->isVisible());
}

} // namespace
