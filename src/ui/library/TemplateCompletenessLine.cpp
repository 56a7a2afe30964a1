#include "ui/library/TemplateCompletenessLine.h"

#include "legal/TemplateCompleteness.h"

#include <QLabel>
#include <QPalette>
#include <QPlainTextEdit>

namespace TemplateCompletenessLine {

void update(QLabel* line, const QString& templateText)
{
    const QList<Legal::RequiredItem> missing = Legal::missingItems(templateText);
    QPalette palette = line->palette();
    if (missing.isEmpty()) {
        line->setText(QStringLiteral("已写明合同期限、离职日期、工作岗位、工作年限"));
        palette.setColor(QPalette::WindowText, QColor(0, 112, 0));
    } else {
        line->setText(Legal::missingItemsHint(missing));
        palette.setColor(QPalette::WindowText, QColor(192, 0, 0));
    }
    line->setPalette(palette);
    line->setAccessibleDescription(line->text());
}

void attach(QPlainTextEdit* textBox, QLabel* line)
{
    line->setAccessibleName(QStringLiteral("模板法定事项提示"));
    QObject::connect(textBox, &QPlainTextEdit::textChanged, line,
                     [textBox, line] { update(line, textBox->toPlainText()); });
    update(line, textBox->toPlainText());
}

} // namespace TemplateCompletenessLine
