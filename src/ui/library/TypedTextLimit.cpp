#include "ui/library/TypedTextLimit.h"

#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>

TypedTextLimit::TypedTextLimit(QPlainTextEdit* edit, qsizetype limit)
    : QObject(edit), m_pEdit(edit), m_nLimit(limit)
{
    connect(edit->document(), &QTextDocument::contentsChange, this,
            &TypedTextLimit::onContentsChange);
}

qsizetype TypedTextLimit::length() const
{
    const QTextDocument* document = m_pEdit->document();
    // characterCount() includes the separator after the last block.
    const qsizetype characters = document->characterCount() - 1;
    const qsizetype lineBreaks = document->blockCount() - 1;
    return characters + lineBreaks;
}

void TypedTextLimit::setProgramText(const QString& text)
{
    m_bUnlimited = true;
    m_pEdit->setPlainText(text);
    m_bUnlimited = false;
}

void TypedTextLimit::onContentsChange(int position, int, int charsAdded)
{
    if (m_bUnlimited || charsAdded <= 0) {
        return;
    }
    const qsizetype excess = length() - m_nLimit;
    if (excess <= 0) {
        return;
    }
    // Cut the end of what was just inserted. A line break counts two, so cut character by
    // character from the end until the text fits or nothing of the insertion is left.
    QTextDocument* document = m_pEdit->document();
    int end = position + charsAdded;
    int start = end;
    qsizetype removed = 0;
    while (start > position && removed < excess) {
        --start;
        const QChar c = document->characterAt(start);
        removed += (c == QChar::ParagraphSeparator) ? 2 : 1;
    }
    m_bUnlimited = true;
    QTextCursor cursor(document);
    cursor.setPosition(start);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    m_bUnlimited = false;
}
