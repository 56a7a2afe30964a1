#include "ui/common/SaveFileDialog.h"
#include "ui/common/Seam.h"

#include <QFileDialog>
#include <QRegularExpression>

namespace {

class QtSaveFileDialog : public SaveFileDialog::Backend
{
public:
    QString getSaveFileName(QWidget* parent, const QString& caption, const QString& suggestedPath,
                            const QString& filter) override
    {
        QFileDialog dialog(parent, caption, suggestedPath, filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        // A name typed without the filter's extension (".pdf") still gets it, and the overwrite
        // question asks about the file that will really be written.
        const QRegularExpressionMatch suffix =
            QRegularExpression(QStringLiteral("\\*\\.(\\w+)")).match(filter);
        dialog.setDefaultSuffix(suffix.hasMatch() ? suffix.captured(1) : QStringLiteral("pdf"));
        dialog.selectFile(suggestedPath);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
            return QString();
        }
        return dialog.selectedFiles().constFirst();
    }
};

QtSaveFileDialog g_qtDialog;
constinit Seam<SaveFileDialog::Backend> g_backend(g_qtDialog);

} // namespace

QString SaveFileDialog::getSaveFileName(QWidget* parent, const QString& caption,
                                        const QString& suggestedPath, const QString& filter)
{
    return g_backend->getSaveFileName(parent, caption, suggestedPath, filter);
}

void SaveFileDialog::setBackend(Backend* backend)
{
    g_backend.replace(backend);
}
