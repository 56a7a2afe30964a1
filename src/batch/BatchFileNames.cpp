#include "batch/BatchFileNames.h"

#include <QDir>

const QString BatchFileNames::kDefaultPattern = QStringLiteral("{姓名}-{离职日期}.pdf");

namespace {

constexpr qsizetype kMaxStemLength = 80; // characters; well inside 255 bytes of UTF-8

QString safeStem(QString name)
{
    for (QChar& c : name) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u == 0x7F || u == u'/' || u == u'\\' || u == u':' || u == u'*' ||
            u == u'?' || u == u'"' || u == u'<' || u == u'>' || u == u'|') {
            c = u'_';
        }
    }
    name = name.trimmed();
    // A leading dot hides the file; trailing dots and spaces confuse other systems.
    while (name.startsWith(u'.')) {
        name.remove(0, 1);
    }
    while (name.endsWith(u'.') || name.endsWith(u' ')) {
        name.chop(1);
    }
    if (name.size() > kMaxStemLength) {
        name.truncate(kMaxStemLength);
        if (name.back().isHighSurrogate()) {
            name.chop(1);
        }
    }
    return name.isEmpty() ? QStringLiteral("离职证明") : name;
}

} // namespace

BatchFileNames::BatchFileNames(QString pattern, QSet<QString> taken, QString extension)
    : m_pattern(pattern.trimmed().isEmpty() ? kDefaultPattern : std::move(pattern)),
      m_taken(std::move(taken)), m_extension(std::move(extension))
{
}

QString BatchFileNames::nameFor(const BatchRecord& record) const
{
    QString name = m_pattern;
    for (BatchField field : kBatchFields) {
        name.replace(QStringLiteral("{%1}").arg(batchFieldHeader(field)), record.value(field));
    }
    name.replace(QStringLiteral("{行号}"), QString::number(record.line));
    for (const QString& extension : {QStringLiteral(".pdf"), m_extension}) {
        if (name.endsWith(extension, Qt::CaseInsensitive)) {
            name.chop(extension.size());
        }
    }
    return safeStem(name) + m_extension;
}

QString BatchFileNames::takeNameFor(const BatchRecord& record)
{
    const QString name = nameFor(record);
    QString candidate = name;
    const QString stem = name.chopped(m_extension.size());
    for (int n = 2; m_taken.contains(candidate); ++n) {
        candidate = QStringLiteral("%1-%2").arg(stem).arg(n) + m_extension;
    }
    m_taken.insert(candidate);
    return candidate;
}

QSet<QString> BatchFileNames::namesIn(const QString& folder)
{
    const QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
    return QSet<QString>(names.begin(), names.end());
}
