#include "ui/common/ApplicationSetup.h"

#include "print/FontSubstitutions.h"
#include "ui/common/QtChineseTexts.h"

#include <QApplication>

void SetUpApplication(QApplication& app)
{
    app.setApplicationName(QStringLiteral("kavri"));
    app.setApplicationVersion(QStringLiteral("1.0"));
    app.setQuitOnLastWindowClosed(false);
    InstallFontSubstitutions();
    InstallQtChineseTexts(app);
}
