#pragma once

#include <QString>

class QLabel;
class QPlainTextEdit;

// Under a template's text box: one line that says, as the text is typed, which of the four
// items a certificate must state (合同期限, 离职日期, 工作岗位, 工作年限) the template leaves
// out. A hint only: saving is never refused for it.
namespace TemplateCompletenessLine {

// Keeps `line` up to date with `textBox` from now on.
void attach(QPlainTextEdit* textBox, QLabel* line);

// The line's text for a template text.
void update(QLabel* line, const QString& templateText);

} // namespace TemplateCompletenessLine
