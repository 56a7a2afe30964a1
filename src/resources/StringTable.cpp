#include "resources/StringTable.h"

#include <QFile>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

QHash<int, QString> readTable()
{
    QHash<int, QString> table;
    QFile file(QStringLiteral(":/strings/strings.json"));
    if (!file.open(QIODevice::ReadOnly)) {
        return table;
    }
    const QJsonObject root = QJsonDocument::fromJson(file.readAll()).object();
    for (auto it = root.begin(); it != root.end(); ++it) {
        bool ok = false;
        const int id = it.key().toInt(&ok);
        if (ok && it.value().isString()) {
            table.insert(id, it.value().toString());
        }
    }
    return table;
}

} // namespace

QString LoadStringResource(int id)
{
    static const QHash<int, QString> table = readTable();
    return table.value(id);
}
