#pragma once

#include "batch/BatchRecords.h"

#include <QString>

inline QString FixturePath(const char* name)
{
    return QStringLiteral(KAVRI_BATCH_FIXTURES "/") + QString::fromUtf8(name);
}

// A template that uses every field of the form.
inline QString EveryFieldTemplate()
{
    return QStringLiteral(
        "兹证明【姓名】，【性别】，身份证号【身份证号】，于【入职日期】入职【公司名称】【部门】，"
        "任【职位】，于【离职日期】因【离职原因】离职。<br><div style=\"float: right;\">"
        "【公司名称】<br>【离职日期】</div>");
}

inline BatchRecord MakeRecord(int line, const QString& name, const QString& leaveDate)
{
    BatchRecord record;
    record.line = line;
    record.values[int(Compose::FieldIndex::Name)] = name;
    record.values[int(Compose::FieldIndex::Gender)] = QStringLiteral("男");
    record.values[int(Compose::FieldIndex::IdNumber)] = QStringLiteral("110101199003071234");
    record.values[int(Compose::FieldIndex::Company)] = QStringLiteral("北京星辰科技有限公司");
    record.values[int(Compose::FieldIndex::Department)] = QStringLiteral("研发部");
    record.values[int(Compose::FieldIndex::Position)] = QStringLiteral("工程师");
    record.values[int(Compose::FieldIndex::JoinDate)] = QStringLiteral("2019年3月1日");
    record.values[int(Compose::FieldIndex::LeaveDate)] = leaveDate;
    record.values[int(Compose::FieldIndex::Reason)] = QStringLiteral("个人原因");
    return record;
}

// Records from line 2 on, one a name, each with MakeRecord's values and the same leave date.
inline QList<BatchRecord> RecordsNamed(const QStringList& names)
{
    QList<BatchRecord> records;
    int line = 1;
    for (const QString& name : names) {
        records << MakeRecord(++line, name, QStringLiteral("2024年5月31日"));
    }
    return records;
}

// A sheet as a reader hands it over: the header, then rows of text cells from line 2 on.
inline SheetTable SheetOf(const QStringList& header, const QList<QStringList>& rows)
{
    SheetTable table;
    table.header = header;
    int line = 1;
    for (const QStringList& values : rows) {
        SheetRow row;
        row.line = ++line;
        int column = 0;
        for (const QString& value : values) {
            row.set(column++, SheetCell::fromText(value));
        }
        table.rows << row;
    }
    return table;
}
