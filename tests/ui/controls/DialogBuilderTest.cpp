#include "ui/controls/DialogBuilder.h"
#include "ui/controls/CButtonXp.h"
#include "ui/controls/ListViewCtrl.h"
#include "ui/controls/PictureLabel.h"
#include "ui/controls/SortedComboBox.h"

#include <QCalendarWidget>
#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTreeWidget>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

DialogTemplate parsed(const QByteArray& json)
{
    DialogTemplate t;
    QString error;
    EXPECT_TRUE(DialogTemplate::parse(json, &t, &error)) << error.toStdString();
    return t;
}

const QByteArray kSample = R"({
  "id": 7, "caption": "示例", "size": [200, 100], "font": {"face": "宋体", "size": 10},
  "style": ["sysmenu"],
  "controls": [
    {"id": 10, "kind": "static", "rect": [5, 5, 40, 8], "caption": "名称："},
    {"id": 11, "kind": "edit", "rect": [50, 4, 81, 13], "style": ["border"]},
    {"id": 12, "kind": "combo", "rect": [50, 20, 80, 100], "items": ["男", "女"]},
    {"id": 13, "kind": "combo", "rect": [50, 36, 80, 100], "style": ["sort", "hidden"]},
    {"id": 14, "kind": "date", "rect": [50, 52, 80, 13]},
    {"id": 15, "kind": "multiline edit", "rect": [5, 20, 40, 40], "style": ["wrap", "vscroll"]},
    {"id": 16, "kind": "listview", "rect": [140, 5, 55, 60], "style": ["border"]},
    {"id": 17, "kind": "treeview", "rect": [140, 66, 55, 20]},
    {"id": 18, "kind": "etched line", "rect": [136, 5, 1, 80]},
    {"id": 19, "kind": "picture", "rect": [1, 90, 30, 9], "bitmap": 9999},
    {"id": 20, "kind": "hover button", "rect": [40, 86, 30, 10]},
    {"id": 21, "kind": "scrollbar", "rect": [190, 0, 9, 100]},
    {"id": 1, "kind": "defbutton", "rect": [90, 80, 50, 14], "caption": "确定"},
    {"id": 2, "kind": "button", "rect": [145, 80, 50, 14], "caption": "取消", "style": ["disabled"]}
  ]
})";

template <class T> T* child(QWidget* host, int id)
{
    return host->findChild<T*>(QString::number(id), Qt::FindDirectChildrenOnly);
}

TEST(DialogUnits, ConvertsWithTruncatingIntegerArithmetic)
{
    DialogUnits units;
    units.baseX = 9;
    units.baseY = 19;
    EXPECT_EQ(units.toPixelsX(305), 686);  // 2745 / 4 = 686.25
    EXPECT_EQ(units.toPixelsY(16), 38);    // 304 / 8
    EXPECT_EQ(units.toPixelsY(547), 1299); // 10393 / 8 = 1299.125
    EXPECT_EQ(units.toPixels(QRect(16, 30, 101, 140)), QRect(36, 71, 227, 332));
    EXPECT_EQ(units.toPixelsX(0), 0);
}

TEST(DialogUnits, BaseUnitsComeFromTheLettersAndHeightOfTheFont)
{
    const QFont font = DialogBuilder::dialogFont(QStringLiteral("宋体"), 14);
    const QFontMetrics metrics(font);
    const DialogUnits units = DialogUnits::fromFont(font);
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    // The rounded average: never more than half a pixel from the exact one.
    EXPECT_LE(std::abs(units.baseX * 52 - letters), 26) << letters;
    EXPECT_EQ(units.baseY, metrics.height());
    EXPECT_GT(units.baseX, 0);
}

TEST(DialogBuilder, TheFontHasAWholePixelSizeFromItsPoints)
{
    const QFont font = DialogBuilder::dialogFont(QStringLiteral("宋体"), 14);
    EXPECT_EQ(font.family(), QStringLiteral("宋体"));
    // 14 pt at 96 dpi is 18.67 pixels; Windows rounds it to 19.
    EXPECT_EQ(font.pixelSize(), 19);
}

TEST(DialogBuilder, NamesPlacesAndKindsEveryControl)
{
    const DialogTemplate t = parsed(kSample);
    const DialogBuilder builder(t);
    QWidget host;
    const QList<QWidget*> created = builder.buildControls(&host);
    ASSERT_EQ(created.size(), t.controls.size());
    const DialogUnits u = builder.units();
    for (int i = 0; i < created.size(); ++i) {
        EXPECT_EQ(created[i]->objectName(), QString::number(t.controls[i].id));
        EXPECT_EQ(created[i]->parentWidget(), &host);
    }
    EXPECT_EQ(host.font(), builder.font());

    EXPECT_NE(qobject_cast<QLabel*>(child<QWidget>(&host, 10)), nullptr);
    EXPECT_EQ(child<QLabel>(&host, 10)->text(), QStringLiteral("名称："));
    EXPECT_NE(child<QLineEdit>(&host, 11), nullptr);
    EXPECT_NE(child<QComboBox>(&host, 12), nullptr);
    EXPECT_NE(child<SortedComboBox>(&host, 13), nullptr);
    EXPECT_EQ(child<SortedComboBox>(&host, 12), nullptr);
    EXPECT_NE(child<QDateEdit>(&host, 14), nullptr);
    EXPECT_NE(child<QPlainTextEdit>(&host, 15), nullptr);
    EXPECT_NE(child<ListViewCtrl>(&host, 16), nullptr);
    EXPECT_NE(child<QTreeWidget>(&host, 17), nullptr);
    EXPECT_NE(child<QFrame>(&host, 18), nullptr);
    EXPECT_EQ(child<QFrame>(&host, 18)->frameShape(), QFrame::VLine);
    EXPECT_NE(child<PictureLabel>(&host, 19), nullptr);
    EXPECT_NE(child<CButtonXp>(&host, 20), nullptr);
    EXPECT_NE(child<QScrollBar>(&host, 21), nullptr);
    EXPECT_EQ(child<QScrollBar>(&host, 21)->orientation(), Qt::Vertical);

    // Rectangles in dialog units become pixels with the base units of the dialog font.
    EXPECT_EQ(child<QWidget>(&host, 10)->geometry(), u.toPixels(QRect(5, 5, 40, 8)));
    EXPECT_EQ(child<QWidget>(&host, 11)->geometry(), u.toPixels(QRect(50, 4, 81, 13)));
    EXPECT_EQ(child<QWidget>(&host, 16)->geometry(), u.toPixels(QRect(140, 5, 55, 60)));
    EXPECT_EQ(builder.pixelSize(), QSize(u.toPixelsX(200), u.toPixelsY(100)));
}

TEST(DialogBuilder, CombosAreAsHighAsClosedAndHoldTheirItems)
{
    const DialogTemplate t = parsed(kSample);
    QWidget host;
    DialogBuilder(t).buildControls(&host);
    auto* gender = child<QComboBox>(&host, 12);
    EXPECT_EQ(gender->height(), gender->sizeHint().height());
    EXPECT_EQ(gender->width(), DialogBuilder(t).units().toPixelsX(80));
    ASSERT_EQ(gender->count(), 2);
    EXPECT_EQ(gender->itemText(0), QStringLiteral("男"));
    EXPECT_EQ(gender->itemText(1), QStringLiteral("女"));
    EXPECT_TRUE(gender->isEditable());
    EXPECT_TRUE(gender->currentText().isEmpty());
    EXPECT_EQ(gender->insertPolicy(), QComboBox::NoInsert);
}

TEST(DialogBuilder, StylesBecomeWidgetSettings)
{
    const DialogTemplate t = parsed(kSample);
    QWidget host;
    DialogBuilder(t).buildControls(&host);
    host.show();
    EXPECT_TRUE(child<QWidget>(&host, 13)->isHidden());
    EXPECT_FALSE(child<QWidget>(&host, 12)->isHidden());
    EXPECT_FALSE(child<QWidget>(&host, 2)->isEnabled());
    EXPECT_TRUE(child<QLineEdit>(&host, 11)->hasFrame());
    auto* multi = child<QPlainTextEdit>(&host, 15);
    EXPECT_EQ(multi->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    EXPECT_EQ(multi->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(multi->frameShape(), QFrame::NoFrame);
    EXPECT_TRUE(child<QPushButton>(&host, 1)->isDefault());
    EXPECT_FALSE(child<QPushButton>(&host, 2)->isDefault());
    auto* date = child<QDateEdit>(&host, 14);
    EXPECT_EQ(date->date(), QDate::currentDate());
    EXPECT_EQ(date->displayFormat(), QStringLiteral("yyyy年M月d日"));
    EXPECT_TRUE(date->calendarPopup());
    auto* list = child<ListViewCtrl>(&host, 16);
    EXPECT_EQ(list->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(list->selectionMode(), QAbstractItemView::ExtendedSelection);
}

TEST(DialogBuilder, TheDatePickersCalendarDropsDownAlignedToTheRight)
{
    const DialogTemplate t = parsed(kSample);
    QWidget host;
    DialogBuilder(t).buildControls(&host);
    host.move(300, 200);
    host.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
    auto* date = child<QDateEdit>(&host, 14);
    QWidget* popup = date->calendarWidget()->window();
    ASSERT_NE(popup, &host);
    // The drop-down arrow sits at the picker's right end.
    QTest::mouseClick(date, Qt::LeftButton, Qt::NoModifier,
                      QPoint(date->width() - 4, date->height() / 2));
    QTRY_VERIFY(popup->isVisible());
    const QRect picker(date->mapToGlobal(QPoint(0, 0)), date->size());
    ASSERT_GT(popup->width(), picker.width()) << "the alignment shows only on a wider calendar";
    EXPECT_EQ(popup->geometry().right(), picker.right());
    EXPECT_LT(popup->geometry().left(), picker.left());
    EXPECT_GE(popup->geometry().top(), picker.bottom()) << "still below the picker";
    popup->hide();
}

TEST(DialogBuilder, APictureWithoutItsBitmapKeepsTheTemplateSize)
{
    const DialogTemplate t = parsed(kSample);
    const DialogBuilder builder(t);
    QWidget host;
    builder.buildControls(&host);
    EXPECT_EQ(child<QWidget>(&host, 19)->geometry(), builder.units().toPixels(QRect(1, 90, 30, 9)));
}

TEST(DialogBuilder, TabOrderFollowsTheTemplateAndSkipsLabels)
{
    const DialogTemplate t = parsed(kSample);
    QWidget host;
    DialogBuilder(t).buildControls(&host);
    // Walk the focus chain once round from the first edit, noting the controls themselves
    // (combos and date pickers have inner widgets in the chain too).
    QWidget* first = child<QWidget>(&host, 11);
    QStringList order{first->objectName()};
    for (QWidget* w = first->nextInFocusChain(); w != first && order.size() < 50;
         w = w->nextInFocusChain()) {
        if (w->parentWidget() == &host && w->focusPolicy() != Qt::NoFocus) {
            order.append(w->objectName());
        }
    }
    // The label (10), the line (18), the picture (19) and the scroll bar take no focus;
    // the hidden combo (13) keeps its place in the order.
    const QStringList expected = {QStringLiteral("11"), QStringLiteral("12"), QStringLiteral("13"),
                                  QStringLiteral("14"), QStringLiteral("15"), QStringLiteral("16"),
                                  QStringLiteral("17"), QStringLiteral("20"), QStringLiteral("1"),
                                  QStringLiteral("2")};
    EXPECT_EQ(order, expected);
}

TEST(DialogBuilder, BuildsAFixedSizeDialogWithItsCaption)
{
    const DialogTemplate t = parsed(kSample);
    const DialogBuilder builder(t);
    QDialog dialog;
    builder.buildDialog(&dialog);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("示例"));
    EXPECT_EQ(dialog.size(), builder.pixelSize());
    EXPECT_EQ(dialog.minimumSize(), builder.pixelSize());
    EXPECT_EQ(dialog.maximumSize(), builder.pixelSize());
    EXPECT_TRUE(dialog.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_NE(dialog.findChild<QPushButton*>(QStringLiteral("1")), nullptr);
}

} // namespace
