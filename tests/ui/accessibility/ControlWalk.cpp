#include "ControlWalk.h"

#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QHash>
#include <QLabel>
#include <QTextDocument>
#include <QRadioButton>
#include <QSet>
#include <QTest>
#include <QWidget>

#include <algorithm>

namespace ControlWalk {

namespace {

// The viewport of a list or text box takes focus for the box, which speaks for it.
bool isViewport(QWidget* w)
{
    auto* area = qobject_cast<QAbstractScrollArea*>(w->parentWidget());
    return area && area->viewport() == w;
}

// A radio button that Tab skips because another of its group holds the check; the arrow
// keys reach it.
bool isSkippedRadio(QWidget* w)
{
    auto* radio = qobject_cast<QRadioButton*>(w);
    if (!radio || radio->isChecked() || !radio->autoExclusive() || !w->parentWidget()) {
        return false;
    }
    for (QRadioButton* other :
         w->parentWidget()->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly)) {
        if (other->isChecked()) {
            return true;
        }
    }
    return false;
}

bool insideSpinBox(QWidget* w, QWidget* window)
{
    for (QWidget* p = w->parentWidget(); p && p != window; p = p->parentWidget()) {
        if (qobject_cast<QAbstractSpinBox*>(p)) {
            return true;
        }
    }
    return false;
}

QString describe(QWidget* w)
{
    QString text = QString::fromLatin1(w->metaObject()->className()) + u' ' + w->objectName();
    if (w->objectName().isEmpty() && w->parentWidget()) {
        text += QStringLiteral("in ") + describe(w->parentWidget());
    }
    return text;
}

// The control of the list that `focus` is, or lies inside.
QWidget* controlOf(QWidget* focus, const QList<QWidget*>& controls)
{
    for (QWidget* w = focus; w; w = w->parentWidget()) {
        if (controls.contains(w)) {
            return w;
        }
    }
    return nullptr;
}

} // namespace

QList<QWidget*> focusableControls(QWidget* window)
{
    QList<QWidget*> result;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (w->window() == window && w->isVisibleTo(window) && (w->focusPolicy() & Qt::TabFocus) &&
            !w->focusProxy() && !isViewport(w) && !insideSpinBox(w, window)) {
            result.append(w);
        }
    }
    return result;
}

QString spokenName(QWidget* control)
{
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(control);
    return iface ? iface->text(QAccessible::Name) : QString();
}

QStringList unnamed(QWidget* window)
{
    QStringList result;
    for (QWidget* w : focusableControls(window)) {
        if (spokenName(w).trimmed().isEmpty()) {
            result.append(describe(w));
        }
    }
    return result;
}

QStringList sharedNames(QWidget* window)
{
    QHash<QString, int> count;
    for (QWidget* w : focusableControls(window)) {
        if (qobject_cast<QComboBox*>(w->parentWidget())) {
            continue;
        }
        const QString name = spokenName(w);
        if (!name.isEmpty()) {
            ++count[name];
        }
    }
    QStringList result;
    for (auto it = count.cbegin(); it != count.cend(); ++it) {
        if (it.value() > 1) {
            result.append(it.key());
        }
    }
    result.sort();
    return result;
}

QStringList unreachedByTab(QWidget* window)
{
    QList<QWidget*> enabled;
    for (QWidget* w : focusableControls(window)) {
        if (w->isEnabled() && !isSkippedRadio(w)) {
            enabled.append(w);
        }
    }
    if (enabled.isEmpty()) {
        return {};
    }
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window)) {
        return {QStringLiteral("window never became active")};
    }
    enabled.first()->setFocus(Qt::TabFocusReason);
    QSet<QWidget*> reached;
    QStringList result;
    // A date box takes Tab from its year to its month and its day before letting go.
    constexpr int kSectionPresses = 2;
    int samePresses = 0;
    for (int i = 0; i < (kSectionPresses + 1) * enabled.size() + 2; ++i) {
        QWidget* before = QApplication::focusWidget();
        if (QWidget* control = controlOf(before, enabled)) {
            reached.insert(control);
        }
        if (reached.size() == enabled.size()) {
            break;
        }
        QTest::keyClick(before ? before : window, Qt::Key_Tab);
        samePresses = QApplication::focusWidget() == before ? samePresses + 1 : 0;
        if (samePresses > kSectionPresses) {
            result.append(QStringLiteral("stuck at ") + (before ? describe(before) : QString()));
            break;
        }
    }
    for (QWidget* w : enabled) {
        if (!reached.contains(w)) {
            result.append(describe(w));
        }
    }
    return result;
}

QStringList unspokenLabels(QWidget* window)
{
    QStringList result;
    for (QLabel* label : window->findChildren<QLabel*>()) {
        if (label->window() != window || !label->isVisibleTo(window)) {
            continue;
        }
        QString shown = label->text();
        if (label->textFormat() == Qt::RichText ||
            (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(shown))) {
            QTextDocument document;
            document.setHtml(shown);
            shown = document.toPlainText();
        }
        shown = shown.remove(u'&').trimmed();
        // A mark (！) says nothing in words; its name says what it means.
        if (std::none_of(shown.cbegin(), shown.cend(),
                         [](QChar c) { return c.isLetterOrNumber(); })) {
            continue;
        }
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(label);
        const QString name = iface ? iface->text(QAccessible::Name) : QString();
        const QString description = iface ? iface->text(QAccessible::Description) : QString();
        if (!name.contains(shown) && !description.contains(shown)) {
            result.append(label->objectName() + QStringLiteral(": ") + shown);
        }
    }
    return result;
}

QStringList unlabelledDropDowns(QWidget* window)
{
    QStringList result;
    for (QComboBox* box : window->findChildren<QComboBox*>()) {
        if (box->window() != window || !box->isVisibleTo(window)) {
            continue;
        }
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(box);
        if (!iface || iface->relations(QAccessible::Label).isEmpty()) {
            result.append(describe(box));
        }
    }
    return result;
}

} // namespace ControlWalk
