#pragma once

#include <QList>
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

// The text of a PDF file as poppler's pdftotext reads it back, in reading order.
inline QString PdfText(const QString& path)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"),
                  {QStringLiteral("-enc"), QStringLiteral("UTF-8"), path, QStringLiteral("-")});
    if (!process.waitForFinished(30000) || process.exitCode() != 0) {
        return QString();
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

// Number of pages pdfinfo reports, -1 when it cannot read the file.
inline int PdfPageCount(const QString& path)
{
    QProcess process;
    process.start(QStringLiteral("pdfinfo"), {path});
    if (!process.waitForFinished(30000) || process.exitCode() != 0) {
        return -1;
    }
    for (const QString& line : QString::fromUtf8(process.readAllStandardOutput()).split(u'\n')) {
        if (line.startsWith(QStringLiteral("Pages:"))) {
            return line.mid(6).trimmed().toInt();
        }
    }
    return -1;
}

// Text with every kind of white space removed (U+3000 included), so that a body line can be
// found in the PDF text however the page wrapped it.
inline QString WithoutSpaces(const QString& text)
{
    QString result;
    for (QChar c : text) {
        if (!c.isSpace() && c != QChar(0x3000)) {
            result += c;
        }
    }
    return result;
}

// True when every non-blank line of `body` occurs in `pdfText`, in the same order.
inline bool HoldsLinesInOrder(const QString& pdfText, const QString& body, QString* missing)
{
    const QString haystack = WithoutSpaces(pdfText);
    qsizetype from = 0;
    for (const QString& line : body.split(QStringLiteral("\r\n"))) {
        const QString needle = WithoutSpaces(line);
        if (needle.isEmpty()) {
            continue;
        }
        const qsizetype at = haystack.indexOf(needle, from);
        if (at < 0) {
            if (missing) {
                *missing = line;
            }
            return false;
        }
        from = at + needle.size();
    }
    return true;
}

// The words of a PDF's first page with their boxes in points, as pdftotext -bbox reads them.
struct PdfWord
{
    QString text;
    double xMin = 0, yMin = 0, xMax = 0, yMax = 0;
};

inline QList<PdfWord> PdfWords(const QString& path)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"),
                  {QStringLiteral("-bbox"), QStringLiteral("-enc"), QStringLiteral("UTF-8"), path,
                   QStringLiteral("-")});
    QList<PdfWord> words;
    if (!process.waitForFinished(30000) || process.exitCode() != 0) {
        return words;
    }
    // Lines such as <word xMin="56.0" yMin="40.1" xMax="80.2" yMax="52.3">离职证明</word>
    const QString html = QString::fromUtf8(process.readAllStandardOutput());
    static const QRegularExpression word(QStringLiteral(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"));
    for (auto it = word.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        words.append({m.captured(5), m.captured(1).toDouble(), m.captured(2).toDouble(),
                      m.captured(3).toDouble(), m.captured(4).toDouble()});
    }
    return words;
}
