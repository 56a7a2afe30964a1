#pragma once

#include <QProcess>
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
