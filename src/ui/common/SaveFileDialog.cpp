#include "ui/common/SaveFileDialog.h"
#include "ui/common/Seam.h"

#include <QFileDialog>
#include <QFileInfo>
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
        // A name typed without the chosen filter's extension (".pdf") still gets it, and the
        // overwrite question asks about the file that will really be written.
        const auto suffixOf = [](const QString& chosen) {
            const QRegularExpressionMatch suffix =
                QRegularExpression(QStringLiteral("\\*\\.(\\w+)")).match(chosen);
            return suffix.hasMatch() ? suffix.captured(1) : QStringLiteral("pdf");
        };
        dialog.setDefaultSuffix(suffixOf(filter));
        // Choosing another kind of file changes the extension of the name in the box with it.
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                         [&dialog, suffixOf](const QString& chosen) {
                             const QString previous = dialog.defaultSuffix();
                             const QString next = suffixOf(chosen);
                             dialog.setDefaultSuffix(next);
                             const QFileInfo typed(dialog.selectedFiles().value(0));
                             if (!typed.fileName().isEmpty() &&
                                 typed.suffix().compare(previous, Qt::CaseInsensitive) == 0) {
                                 dialog.selectFile(typed.completeBaseName() + u'.' + next);
                             }
                         });
        dialog.selectFile(suggestedPath);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
            return QString();
        }
        return dialog.selectedFiles().constFirst();
    }
};

QtSaveFileDialog g_qtSaveDialog;
constinit Seam<SaveFileDialog::Backend> g_saveDialogBackend(g_qtSaveDialog);

} // namespace

QString SaveFileDialog::getSaveFileName(QWidget* parent, const QString& caption,
                                        const QString& suggestedPath, const QString& filter)
{
    return g_saveDialogBackend->getSaveFileName(parent, caption, suggestedPath, filter);
}

void SaveFileDialog::setBackend(Backend* backend)
{
    g_saveDialogBackend.replace(backend);
}
