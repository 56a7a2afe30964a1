#pragma once

#include <QString>
#include <QStringList>

// The five item tables of the library file and the columns the program reads by name. Every
// room that names a table or a column takes it from here.
namespace LibraryTables {

inline const QString kCompany = QStringLiteral("company_item_table");
inline const QString kDepartment = QStringLiteral("department_item_table");
inline const QString kPosition = QStringLiteral("position_item_table");
// The table's name is spelt "bable" in the delivered file.
inline const QString kReason = QStringLiteral("reason_item_bable");
inline const QString kTemplate = QStringLiteral("moban_item_table");

// All five, the templates first as the library file lists them.
inline const QStringList kAll{kTemplate, kCompany, kDepartment, kPosition, kReason};

// item1 holds the default marker, item3 an entry's name, item8 a template's text.
inline const QString kDefaultColumn = QStringLiteral("item1");
inline const QString kNameColumn = QStringLiteral("item3");
inline const QString kContentColumn = QStringLiteral("item8");

// The value of the default column that makes an entry its library's default.
inline const QString kDefaultMarker = QStringLiteral("默认");

} // namespace LibraryTables
