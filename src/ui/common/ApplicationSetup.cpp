#include "ui/common/ApplicationSetup.h"

#include "ui/common/FontSubstitutions.h"
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
