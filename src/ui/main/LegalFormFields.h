#pragma once

#include "legal/RecordedValues.h"

#include <QDate>
#include <QList>
#include <QRect>
#include <QString>
#include <QStringView>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QWidget;

// The form's inputs for the placeholders beyond the nine (contract term, years of service) and
// the hint beside the ID-card number. They are built into the main window's content widget
// with ids of their own, flow after the nine pairs of the form, and are remembered in no
// library. A template that uses none of the new placeholders never shows them.
class LegalFormFields
{
public:
    // One label/input pair of the form and the placeholder that makes it show.
    struct Pair
    {
        QWidget* label;
        QWidget* input;
        QStringView placeholder;
    };

    // Builds the hidden controls into `content`; the four widgets are the form's own inputs,
    // which the years of service and the ID hint follow as they change.
    LegalFormFields(QWidget* content, QDateEdit* joinDate, QDateEdit* leaveDate,
                    QLineEdit* idNumber, QComboBox* gender);

    // In the order they flow after the nine.
    const QList<Pair>& pairs() const { return m_pairs; }

    // Places the ID hint to the right of the ID input and the 无固定期限 box to the right of the
    // contract's end date (both just laid out), `width` pixels wide; each hides with its input.
    // The hint is `idGrowth` narrower: what the ID input grew by beyond an input's width.
    void placeBesideInputs(int width, int idGrowth = 0);

    // The dates the placeholders beyond the nine are made from, as the pickers hold them, with
    // `issued` as the date of issue.
    Legal::LegalDates dates(QDate issued) const;

    // The inputs that take the focus, in tab order.
    QList<QWidget*> focusChain() const;

    QLabel* idHint() const { return m_idHint; }
    QLineEdit* serviceYears() const { return m_serviceYears; }

private:
    void updateServiceYears();
    void updateIdHint();
    void updateContractEnd();

    QDateEdit* m_joinDate;
    QDateEdit* m_leaveDate;
    QLineEdit* m_idNumber;
    QComboBox* m_gender;
    QDateEdit* m_contractStart = nullptr;
    QDateEdit* m_contractEnd = nullptr;
    QCheckBox* m_openEnded = nullptr;
    QLineEdit* m_serviceYears = nullptr;
    QLabel* m_idHint = nullptr;
    QList<Pair> m_pairs;
};
