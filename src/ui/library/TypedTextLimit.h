#pragma once

#include <QObject>
#include <QString>

class QPlainTextEdit;

// Limits what the user can type into a text box, as a Windows edit control does with its text
// limit: typing or pasting beyond the limit is cut off, while text that the program sets may
// be longer. Lengths are counted as the Windows control counts them (a line break is two).
class TypedTextLimit : public QObject
{
    Q_OBJECT
public:
    TypedTextLimit(QPlainTextEdit* edit, qsizetype limit);

    qsizetype limit() const { return m_nLimit; }
    // The length of the box's text, counted against the limit.
    qsizetype length() const;
    // Sets the box's text without applying the limit.
    void setProgramText(const QString& text);

private:
    void onContentsChange(int position, int charsRemoved, int charsAdded);

    QPlainTextEdit* m_pEdit;
    qsizetype m_nLimit;
    bool m_bUnlimited = false; // while the program sets the text, or while cutting
};
