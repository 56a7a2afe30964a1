// Issues register entries from a process of its own, for the test of two programs issuing at the
// same time: register_issue_helper <register file> <count>. Prints each number on a line.
#include "register/CertificateRegister.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        return 2;
    }
    QString error;
    auto reg = Register::CertificateRegister::open(args[1], &error);
    QTextStream out(stdout);
    QTextStream err(stderr);
    if (!reg) {
        err << error << Qt::endl;
        return 1;
    }
    const int count = args[2].toInt();
    for (int i = 0; i < count; ++i) {
        Register::NewEntry e;
        e.templateName = QStringLiteral("模板");
        e.values = {{QStringLiteral("姓名"), QStringLiteral("进程%1").arg(app.applicationPid())}};
        const auto made = reg->addEntry(
            e, [](const QString& number) { return number; }, &error);
        if (!made) {
            err << error << Qt::endl;
            return 1;
        }
        out << made->number << Qt::endl;
    }
    return 0;
}
