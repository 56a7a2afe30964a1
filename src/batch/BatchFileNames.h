#pragma once

#include "batch/BatchRecords.h"

#include <QSet>
#include <QString>

// File names for one PDF per row, from a pattern such as "{姓名}-{离职日期}.pdf". Every
// field's header in braces stands for the row's value, {行号} for the row's number in the
// sheet. The result is one plain file name: characters that file systems or other programs
// refuse are replaced, and it always ends in the extension of the files written (".pdf", or
// ".ofd" for OFD documents; a pattern's own ".pdf" gives way to it).
class BatchFileNames
{
public:
    static const QString kDefaultPattern; // "{姓名}-{离职日期}.pdf"

    // Names already in use (files in the folder) are passed so that nothing is overwritten.
    explicit BatchFileNames(QString pattern, QSet<QString> taken = {},
                            QString extension = QStringLiteral(".pdf"));

    // The pattern's name for the row, made safe.
    QString nameFor(const BatchRecord& record) const;

    // nameFor(), made unique against the taken names and every name handed out before it:
    // "张三-2024年5月31日.pdf", then "张三-2024年5月31日-2.pdf", ...
    QString takeNameFor(const BatchRecord& record);

    // Names in `folder` now, for the constructor.
    static QSet<QString> namesIn(const QString& folder);

private:
    QString m_pattern;
    QSet<QString> m_taken;
    QString m_extension;
};
