#include "store/ConnectionString.h"

QString BuildConnectionString(const QString& path, const QString& password)
{
    // Nothing is quoted or escaped: the path and the password go in as they are.
    return QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + path +
           QStringLiteral(";Jet OLEDB:Database Password=") + password;
}
