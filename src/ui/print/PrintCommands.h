#pragma once

#include "print/CertificateOfdExport.h"
#include "seal/QrMatrix.h"

#include <QString>
#include <functional>
#include <optional>

class CMyFrame;
class StagedFile;
class QWidget;

// The main window's printing commands, kept apart from the window so that they can be driven
// with any dialog, text and application state.
namespace PrintCommands {

inline const QString kNoPrinterMessage =
    QStringLiteral("没有默认打印机，或者没有安装打印机！无法执行打印相关操作");
inline const QString kExportCaption = QStringLiteral("导出PDF");
// The kinds of file 导出PDF offers, PDF first.
inline const QString kExportFilters = QStringLiteral("PDF 文件 (*.pdf);;OFD 文件 (*.ofd)");

enum class ExportFormat
{
    Pdf,
    Ofd
};
// OFD for a path ending in ".ofd" (any case), PDF for every other.
ExportFormat ExportFormatOf(const QString& path);

// "打印预览": without a default printer, the notice and nothing else (nullptr). Otherwise stores
// the body in `certText` and opens the preview frame, which owns itself; with a code, the page
// carries the certificate's QR code.
CMyFrame* OpenPrintPreview(QWidget* dialog, const QString& resultText, QString* certText,
                           const Seal::QrMatrix& code = {});

// "离职证明-<name>.pdf" in the user's documents folder; "离职证明.pdf" without a name.
QString SuggestedPdfPath(const QString& name);

// Puts a written file in place; false (after its own notice) when it did not.
using PlaceExport = std::function<bool(StagedFile* file, ExportFormat format)>;

// "导出PDF": asks for a file name and writes the page there as an A4 PDF, or as an OFD document
// when the name ends in ".ofd" (the dialog offers both); `info` is what an OFD document says
// about itself. No printer needed. The page is written under a temporary name and put in place
// by `place` (the register records it and renames it in one step), by a plain rename without
// one. A file that cannot be written gets a notice naming it. With a code, the page carries the
// certificate's QR code. Returns what was put in place, nothing when no file was.
std::optional<ExportFormat> ExportPdf(QWidget* parent, const QString& resultText,
                                      const QString& name, const CertificateOfdInfo& info = {},
                                      const PlaceExport& place = {},
                                      const Seal::QrMatrix& code = {});

} // namespace PrintCommands
