#include "ui/main/CAboutDlg.h"

#include "resources/Bitmaps.h"
#include "ui/controls/DialogBuilder.h"

#include <QPushButton>

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent)
{
    DialogTemplate dialogTemplate;
    QString error;
    if (!DialogTemplate::load(100, &dialogTemplate, &error)) {
        qFatal("about box template: %s", qPrintable(error));
    }
    DialogBuilder(dialogTemplate).buildDialog(this);
    setWindowIcon(LoadAppIcon());
    if (auto* ok = findChild<QPushButton*>(QStringLiteral("1"))) {
        connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    }
}
