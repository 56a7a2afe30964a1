#include "ui/common/OpenFileDialog.h"
#include "ui/common/Seam.h"

#include <QFileDialog>

namespace {

class QtOpenFileDialog : public OpenFileDialog::Backend
{
public:
    QString getOpenFileName(QWidget* parent, const QString& caption, const QString& folder,
                            const QString& filter) override
    {
        return QFileDialog::getOpenFileName(parent, caption, folder, filter);
    }
};

QtOpenFileDialog g_qtOpenDialog;
constinit Seam<OpenFileDialog::Backend> g_openDialogBackend(g_qtOpenDialog);

} // namespace

QString OpenFileDialog::getOpenFileName(QWidget* parent, const QString& caption,
                                        const QString& folder, const QString& filter)
{
    return g_openDialogBackend->getOpenFileName(parent, caption, folder, filter);
}

void OpenFileDialog::setBackend(Backend* backend)
{
    g_openDialogBackend.replace(backend);
}
