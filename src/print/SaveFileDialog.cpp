#include "print/SaveFileDialog.h"

#include <QFileDialog>

namespace {

class QtSaveFileDialog : public SaveFileDialog::Backend
{
public:
    QString getSaveFileName(QWidget* parent, const QString& caption, const QString& suggestedPath,
                            const QString& filter) override
    {
        return QFileDialog::getSaveFileName(parent, caption, suggestedPath, filter);
    }
};

QtSaveFileDialog g_qtDialog;
SaveFileDialog::Backend* g_backend = &g_qtDialog;

} // namespace

QString SaveFileDialog::getSaveFileName(QWidget* parent, const QString& caption,
                                        const QString& suggestedPath, const QString& filter)
{
    return g_backend->getSaveFileName(parent, caption, suggestedPath, filter);
}

void SaveFileDialog::setBackend(Backend* backend)
{
    g_backend = backend ? backend : &g_qtDialog;
}
