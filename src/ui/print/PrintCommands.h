#pragma once

#include <QString>

class CMyFrame;
class QWidget;

// The main window's printing commands, kept apart from the window so that they can be driven
// with any dialog, text and application state.
namespace PrintCommands {

inline const QString kNoPrinterMessage =
    QStringLiteral("没有默认打印机，或者没有安装打印机！无法执行打印相关操作");
inline const QString kExportCaption = QStringLiteral("导出PDF");

// "打印预览": without a default printer, the notice and nothing else (nullptr). Otherwise stores
// the body in `certText` and opens the preview frame, which owns itself.
CMyFrame* OpenPrintPreview(QWidget* dialog, const QString& resultText, QString* certText);

// "离职证明-<name>.pdf" in the user's documents folder; "离职证明.pdf" without a name.
QString SuggestedPdfPath(const QString& name);

// "导出PDF": asks for a file name and writes the page there as an A4 PDF. No printer needed. A
// file that cannot be written gets a notice naming it. True when a file was written.
bool ExportPdf(QWidget* parent, const QString& resultText, const QString& name);

} // namespace PrintCommands
