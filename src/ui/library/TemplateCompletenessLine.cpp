#include "ui/library/TemplateCompletenessLine.h"

#include "legal/TemplateCompleteness.h"
#include "legal/WordingCheck.h"

#include <QLabel>
#include <QPalette>
#include <QPlainTextEdit>

namespace TemplateCompletenessLine {

void update(QLabel* line, const QString& templateText, const QStringList& phrases)
{
    const QList<Legal::RequiredItem> missing = Legal::missingItems(templateText);
    QString text = missing.isEmpty()
                       ? QStringLiteral("已写明合同期限、离职日期、工作岗位、工作年限")
                       : Legal::missingItemsHint(missing);
    // The template's own words that a new employer may read as fault or dispute, each once.
    QStringList found;
    for (const Legal::WordingHit& hit : Legal::checkWording(templateText, phrases)) {
        const QString quoted = QStringLiteral("“%1”").arg(hit.phrase);
        if (!found.contains(quoted)) {
            found.append(quoted);
        }
    }
    if (!found.isEmpty()) {
        text += QStringLiteral("；措辞提示：%1").arg(found.join(QString()));
    }
    QPalette palette = line->palette();
    palette.setColor(QPalette::WindowText, missing.isEmpty() && found.isEmpty()
                                               ? QColor(0, 112, 0)
                                               : QColor(192, 0, 0));
    line->setText(text);
    line->setPalette(palette);
    line->setToolTip(found.isEmpty() ? QString()
                                     : Legal::describeWordingHits(
                                           Legal::checkWording(templateText, phrases)));
    line->setAccessibleDescription(line->text());
}

void attach(QPlainTextEdit* textBox, QLabel* line)
{
    line->setAccessibleName(QStringLiteral("模板法定事项提示"));
    // The office's phrase list, read once for the editor (the delivered one when it has none).
    const QStringList phrases = Legal::loadWordingList(Legal::wordingListPath(), nullptr);
    QObject::connect(textBox, &QPlainTextEdit::textChanged, line, [textBox, line, phrases] {
        update(line, textBox->toPlainText(), phrases);
    });
    update(line, textBox->toPlainText(), phrases);
}

} // namespace TemplateCompletenessLine
