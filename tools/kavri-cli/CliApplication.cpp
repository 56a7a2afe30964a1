#include "CliApplication.h"

#include "CliInput.h"
#include "print/FontSubstitutions.h"

namespace CliApplication {

namespace {

int g_argc = 1;
char g_name[] = "kavri-cli";
char* g_argv[] = {g_name, nullptr};

void dropQtNotes(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg) {
        CliInput::say(message);
    }
}

} // namespace

std::unique_ptr<QCoreApplication> core()
{
    auto app = std::make_unique<QCoreApplication>(g_argc, g_argv);
    QCoreApplication::setApplicationName(QStringLiteral("kavri"));
    return app;
}

std::unique_ptr<QGuiApplication> offscreen()
{
    qInstallMessageHandler(dropQtNotes);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    auto app = std::make_unique<QGuiApplication>(g_argc, g_argv);
    QCoreApplication::setApplicationName(QStringLiteral("kavri"));
    InstallFontSubstitutions();
    return app;
}

} // namespace CliApplication
