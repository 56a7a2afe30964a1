#include "ui/batch/BatchFileChooser.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QUrl>

namespace {

class QtFileChooser : public BatchFileChooser::Backend
{
public:
    QString getOpenFileName(QWidget* parent, const QString& caption, const QString& folder,
                            const QString& filter) override
    {
        return QFileDialog::getOpenFileName(parent, caption, folder, filter);
    }
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
BatchFileChooser::Backend* g_backend = &g_qtChooser;

} // namespace

QString BatchFileChooser::getOpenFileName(QWidget* parent, const QString& caption,
                                          const QString& folder, const QString& filter)
{
    return g_backend->getOpenFileName(parent, caption, folder, filter);
}

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
    g_backend = backend ? backend : &g_qtChooser;
}
