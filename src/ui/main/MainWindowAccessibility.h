#pragma once

class QWidget;

// Keyboard order and spoken names of the main window's controls. `content` is the widget
// that holds the controls built from the main dialog template.
// - Tab follows the screen: 生成离职证明, 导出PDF, 复制文本, 打印预览; the two empty margin
//   boxes beside the result box take no focus.
// - Each control a person uses has an accessible name: an input by its label (without the
//   colon; the text box inside an editable combo box too), a library button by its caption,
//   the banners and the information panel by the text their pictures show.
void SetUpMainWindowAccessibility(QWidget* content);
