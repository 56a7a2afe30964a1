#pragma once

#include <QString>
#include <QStringList>

class QLabel;
class QPlainTextEdit;

// Under a template's text box: one line that says, as the text is typed, which of the four
// items a certificate must state (合同期限, 离职日期, 工作岗位, 工作年限) the template leaves
// out, and the words of the template that the office's phrase list marks as stating fault or
// dispute (措辞提示). A hint only: saving is never refused for it.
namespace TemplateCompletenessLine {

// Keeps `line` up to date with `textBox` from now on.
void attach(QPlainTextEdit* textBox, QLabel* line);

// The line's text for a template text, checked against `phrases`.
void update(QLabel* line, const QString& templateText, const QStringList& phrases = {});

} // namespace TemplateCompletenessLine
