#include "ui/controls/DialogBuilder.h"

#include "resources/Bitmaps.h"
#include "ui/controls/CButtonXp.h"
#include "ui/controls/ListViewCtrl.h"
#include "ui/controls/PictureLabel.h"
#include "ui/controls/RightAlignedCalendar.h"
#include "ui/controls/SortedComboBox.h"

#include <QComboBox>
#include <QDate>
#include <QDateEdit>
#include <QDialog>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTreeWidget>

namespace {

using Kind = ControlTemplate::Kind;

// The long date of a Chinese desktop. Qt's own long format adds the weekday.
const QString kDateFormat = QStringLiteral("yyyy年M月d日");

Qt::Alignment horizontalAlignment(const ControlTemplate& c)
{
    if (c.hasStyle(QStringLiteral("centre"))) {
        return Qt::AlignHCenter;
    }
    if (c.hasStyle(QStringLiteral("right"))) {
        return Qt::AlignRight;
    }
    return Qt::AlignLeft;
}

QWidget* createStatic(const ControlTemplate& c, QWidget* parent)
{
    auto* label = new QLabel(c.caption, parent);
    const Qt::Alignment vertical =
        c.hasStyle(QStringLiteral("vcentre")) ? Qt::AlignVCenter : Qt::AlignTop;
    label->setAlignment(horizontalAlignment(c) | vertical);
    label->setWordWrap(!c.hasStyle(QStringLiteral("nowrap")));
    label->setTextFormat(Qt::PlainText);
    return label;
}

QWidget* createPicture(const ControlTemplate& c, QWidget* parent)
{
    auto* picture = new PictureLabel(parent);
    const QPixmap pixmap = LoadBitmapResource(c.bitmap);
    if (!pixmap.isNull()) {
        picture->setPixmap(pixmap);
    }
    if (c.hasStyle(QStringLiteral("notify"))) {
        picture->setCursor(Qt::PointingHandCursor);
    }
    return picture;
}

QWidget* createEdit(const ControlTemplate& c, QWidget* parent)
{
    auto* edit = new QLineEdit(c.caption, parent);
    edit->setFrame(c.hasStyle(QStringLiteral("border")));
    edit->setAlignment(horizontalAlignment(c) | Qt::AlignVCenter);
    edit->setReadOnly(c.hasStyle(QStringLiteral("readonly")));
    return edit;
}

QWidget* createMultilineEdit(const ControlTemplate& c, QWidget* parent)
{
    auto* edit = new QPlainTextEdit(c.caption, parent);
    if (!c.hasStyle(QStringLiteral("border"))) {
        edit->setFrameShape(QFrame::NoFrame);
    }
    edit->setLineWrapMode(c.hasStyle(QStringLiteral("wrap")) ? QPlainTextEdit::WidgetWidth
                                                             : QPlainTextEdit::NoWrap);
    // A Windows edit with a scroll bar style always shows the bar, so the width of its text
    // area does not change with the amount of text.
    edit->setVerticalScrollBarPolicy(
        c.hasStyle(QStringLiteral("vscroll")) ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    edit->setHorizontalScrollBarPolicy(
        c.hasStyle(QStringLiteral("hscroll")) ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    edit->setReadOnly(c.hasStyle(QStringLiteral("readonly")));
    edit->setTabChangesFocus(true);
    return edit;
}

QWidget* createCombo(const ControlTemplate& c, QWidget* parent)
{
    QComboBox* combo =
        c.hasStyle(QStringLiteral("sort")) ? new SortedComboBox(parent) : new QComboBox(parent);
    combo->setEditable(!c.hasStyle(QStringLiteral("droplist")));
    // Enter in the edit field must not add the typed text to the list.
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->addItems(c.items);
    combo->setCurrentIndex(-1);
    if (combo->isEditable()) {
        combo->setEditText(QString());
    }
    return combo;
}

QWidget* createDate(const ControlTemplate&, QWidget* parent)
{
    auto* date = new QDateEdit(QDate::currentDate(), parent);
    date->setDisplayFormat(kDateFormat);
    date->setCalendarPopup(true);
    AlignCalendarPopupRight(date);
    return date;
}

QWidget* createListView(const ControlTemplate& c, QWidget* parent)
{
    auto* list = new ListViewCtrl(parent);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(c.hasStyle(QStringLiteral("singlesel"))
                               ? QAbstractItemView::SingleSelection
                               : QAbstractItemView::ExtendedSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setShowGrid(false);
    list->verticalHeader()->hide();
    list->horizontalHeader()->setVisible(!c.hasStyle(QStringLiteral("noheader")));
    list->horizontalHeader()->setStretchLastSection(false);
    list->setWordWrap(false);
    if (!c.hasStyle(QStringLiteral("border"))) {
        list->setFrameShape(QFrame::NoFrame);
    }
    if (c.hasStyle(QStringLiteral("showselalways"))) {
        // The selection keeps its colour when the list loses the focus.
        QPalette palette = list->palette();
        palette.setColor(QPalette::Inactive, QPalette::Highlight,
                         palette.color(QPalette::Active, QPalette::Highlight));
        palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                         palette.color(QPalette::Active, QPalette::HighlightedText));
        list->setPalette(palette);
    }
    return list;
}

QWidget* createTreeView(const ControlTemplate& c, QWidget* parent)
{
    auto* tree = new QTreeWidget(parent);
    tree->setHeaderHidden(true);
    tree->setColumnCount(1);
    tree->setRootIsDecorated(c.hasStyle(QStringLiteral("linesatroot")));
    tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    if (!c.hasStyle(QStringLiteral("border"))) {
        tree->setFrameShape(QFrame::NoFrame);
    }
    return tree;
}

QWidget* createButton(const ControlTemplate& c, QWidget* parent, bool isDefault)
{
    auto* button = new QPushButton(c.caption, parent);
    button->setAutoDefault(true);
    button->setDefault(isDefault);
    return button;
}

QWidget* createEtchedLine(const ControlTemplate& c, QWidget* parent)
{
    auto* line = new QFrame(parent);
    line->setFrameShape(c.rect.height() >= c.rect.width() ? QFrame::VLine : QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

} // namespace

DialogBuilder::DialogBuilder(const DialogTemplate& dialogTemplate)
    : m_template(dialogTemplate),
      m_font(dialogFont(dialogTemplate.fontFace, dialogTemplate.fontPointSize)),
      m_units(DialogUnits::fromFont(m_font))
{
}

QFont DialogBuilder::dialogFont(const QString& face, int pointSize)
{
    // Windows turns the point size into a whole pixel height at the screen's resolution
    // (rounded); doing the same keeps the base units whole and the layout reproducible.
    qreal dpi = 96;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        dpi = screen->logicalDotsPerInchY();
    }
    QFont font(face);
    font.setPixelSize(qRound(pointSize * dpi / 72.0));
    return font;
}

QSize DialogBuilder::pixelSize() const
{
    return QSize(m_units.toPixelsX(m_template.size.width()),
                 m_units.toPixelsY(m_template.size.height()));
}

QWidget* DialogBuilder::createControl(const ControlTemplate& c, QWidget* parent) const
{
    switch (c.kind) {
    case Kind::Static:
        return createStatic(c, parent);
    case Kind::Picture:
        return createPicture(c, parent);
    case Kind::Icon: {
        auto* icon = new QLabel(parent);
        icon->setPixmap(LoadAppIcon().pixmap(32, 32));
        return icon;
    }
    case Kind::Edit:
        return createEdit(c, parent);
    case Kind::MultilineEdit:
        return createMultilineEdit(c, parent);
    case Kind::Combo:
        return createCombo(c, parent);
    case Kind::Date:
        return createDate(c, parent);
    case Kind::ListView:
        return createListView(c, parent);
    case Kind::TreeView:
        return createTreeView(c, parent);
    case Kind::Button:
        return createButton(c, parent, false);
    case Kind::DefButton:
        return createButton(c, parent, true);
    case Kind::HoverButton:
        return new CButtonXp(parent);
    case Kind::ScrollBar:
        return new QScrollBar(
            c.hasStyle(QStringLiteral("horizontal")) ? Qt::Horizontal : Qt::Vertical, parent);
    case Kind::EtchedLine:
        return createEtchedLine(c, parent);
    case Kind::GroupBox:
        return new QGroupBox(c.caption, parent);
    }
    return new QWidget(parent);
}

QList<QWidget*> DialogBuilder::buildControls(QWidget* host) const
{
    host->setFont(m_font);
    QList<QWidget*> created;
    created.reserve(m_template.controls.size());
    for (const ControlTemplate& c : m_template.controls) {
        QWidget* w = createControl(c, host);
        w->setObjectName(QString::number(c.id));
        QRect r = m_units.toPixels(c.rect);
        if (c.kind == Kind::Picture || c.kind == Kind::Icon) {
            // Like a Windows static bitmap control: as large as its picture.
            const QPixmap pixmap = static_cast<QLabel*>(w)->pixmap();
            if (!pixmap.isNull()) {
                r.setSize(pixmap.deviceIndependentSize().toSize());
            }
        } else if (c.kind == Kind::Combo) {
            // The template gives the height of the dropped list; the closed combo is as high
            // as its font needs.
            auto* combo = static_cast<QComboBox*>(w);
            const int closed = combo->sizeHint().height();
            const int rowHeight = qMax(1, combo->fontMetrics().height());
            combo->setMaxVisibleItems(qMax(1, (r.height() - closed) / rowHeight));
            r.setHeight(closed);
        }
        w->setGeometry(r);
        if (c.hasStyle(QStringLiteral("disabled"))) {
            w->setEnabled(false);
        }
        if (c.hasStyle(QStringLiteral("hidden"))) {
            w->hide();
        }
        if (c.hasStyle(QStringLiteral("notab")) && w->focusPolicy() != Qt::NoFocus) {
            w->setFocusPolicy(Qt::ClickFocus);
        }
        created.append(w);
    }
    QWidget* previous = nullptr;
    for (QWidget* w : created) {
        if (w->focusPolicy() == Qt::NoFocus) {
            continue;
        }
        if (previous) {
            QWidget::setTabOrder(previous, w);
        }
        previous = w;
    }
    return created;
}

QList<QWidget*> DialogBuilder::buildDialog(QDialog* dialog) const
{
    dialog->setWindowTitle(m_template.caption);
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (m_template.hasStyle(QStringLiteral("sysmenu"))) {
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    }
    if (m_template.hasStyle(QStringLiteral("minimizebox"))) {
        flags |= Qt::WindowMinimizeButtonHint;
    }
    if (m_template.hasStyle(QStringLiteral("maximizebox"))) {
        flags |= Qt::WindowMaximizeButtonHint;
    }
    dialog->setWindowFlags(flags);
    QList<QWidget*> created = buildControls(dialog);
    if (m_template.hasStyle(QStringLiteral("resizable"))) {
        dialog->resize(pixelSize());
    } else {
        dialog->setFixedSize(pixelSize());
    }
    return created;
}
