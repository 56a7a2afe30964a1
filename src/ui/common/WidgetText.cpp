#include "ui/common/WidgetText.h"

#include "compose/LineBreaks.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

// The text widgets keep line breaks as "\n"; the rest of the program works with CR LF.
using LineBreaks::toCrLf;

void SetWidgetText(QWidget* widget, const QString& text)
{
    if (!widget) {
        return;
    }
    if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        if (combo->isEditable()) {
            combo->setEditText(text);
        } else {
            // A drop-down list shows only its own strings; an unknown text clears the choice.
            combo->setCurrentIndex(combo->findText(text, Qt::MatchExactly));
        }
    } else if (auto* dateEdit = qobject_cast<QDateTimeEdit*>(widget)) {
        const QDateTime parsed = QDateTime::fromString(text, dateEdit->displayFormat());
        if (parsed.isValid()) {
            dateEdit->setDateTime(parsed);
        }
    } else if (auto* line = qobject_cast<QLineEdit*>(widget)) {
        line->setText(text);
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(widget)) {
        plain->setPlainText(text);
    } else if (auto* rich = qobject_cast<QTextEdit*>(widget)) {
        rich->setPlainText(text);
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setText(text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->setText(text);
    } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
        group->setTitle(text);
    } else {
        widget->setWindowTitle(text);
    }
}

QString WidgetText(const QWidget* widget)
{
    if (!widget) {
        return QString();
    }
    if (auto* combo = qobject_cast<const QComboBox*>(widget)) {
        return combo->currentText();
    }
    if (auto* dateEdit = qobject_cast<const QDateTimeEdit*>(widget)) {
        return dateEdit->text();
    }
    if (auto* line = qobject_cast<const QLineEdit*>(widget)) {
        return line->text();
    }
    if (auto* plain = qobject_cast<const QPlainTextEdit*>(widget)) {
        return toCrLf(plain->toPlainText());
    }
    if (auto* rich = qobject_cast<const QTextEdit*>(widget)) {
        return toCrLf(rich->toPlainText());
    }
    if (auto* label = qobject_cast<const QLabel*>(widget)) {
        return label->text();
    }
    if (auto* button = qobject_cast<const QAbstractButton*>(widget)) {
        return button->text();
    }
    if (auto* group = qobject_cast<const QGroupBox*>(widget)) {
        return group->title();
    }
    return widget->windowTitle();
}

void SetButtonCaption(QAbstractButton* button, const QString& caption)
{
    button->setText(caption);
    button->setAccessibleName(QString(caption).remove(QStringLiteral("…")));
}
