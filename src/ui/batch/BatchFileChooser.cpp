#include "ui/batch/BatchFileChooser.h"
#include "ui/common/Seam.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QUrl>

namespace {

class QtFileChooser : public BatchFileChooser::Backend
{
public:
    QString getExistingDirectory(QWidget* parent, const QString& caption,
                                 const QString& folder) override
    {
        return QFileDialog::getExistingDirectory(parent, caption, folder);
    }
    void openFolder(const QString& folder) override
    {
        QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
    }
};

QtFileChooser g_qtChooser;
constinit Seam<BatchFileChooser::Backend> g_backend(g_qtChooser);

} // namespace

QString BatchFileChooser::getExistingDirectory(QWidget* parent, const QString& caption,
                                               const QString& folder)
{
    return g_backend->getExistingDirectory(parent, caption, folder);
}

void BatchFileChooser::openFolder(const QString& folder)
{
    g_backend->openFolder(folder);
}

void BatchFileChooser::setBackend(Backend* backend)
{
    g_backend.replace(backend);
}
