#include "ui/main/LegalFormFields.h"

#include "compose/CertificateValues.h"
#include "legal/ContractTerm.h"
#include "legal/IdNumberCheck.h"
#include "legal/LegalPlaceholders.h"
#include "legal/LongDate.h"
#include "legal/RecordedValues.h"
#include "legal/ServiceYears.h"
#include "ui/controls/DialogBuilder.h"
#include "ui/main/LegalFormIds.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>

#include <algorithm>

using namespace LegalIds;

namespace {

ControlTemplate controlTemplate(int id, ControlTemplate::Kind kind, const QString& caption,
                                QStringList styles)
{
    ControlTemplate c;
    c.id = id;
    c.kind = kind;
    c.rect = QRect(0, 0, 80, 13); // the form layout places them
    c.caption = caption;
    c.styles = std::move(styles);
    c.styles << QStringLiteral("hidden");
    return c;
}

// The new controls as the dialog manager would build them, so that they look and behave like
// the form's own labels, pickers and boxes.
DialogTemplate legalControls()
{
    using Kind = ControlTemplate::Kind;
    const QStringList label = {QStringLiteral("vcentre"), QStringLiteral("nowrap")};
    DialogTemplate t;
    t.fontFace = QStringLiteral("宋体");
    t.fontPointSize = 14;
    t.controls = {
        controlTemplate(kContractStartLabel, Kind::Static, QStringLiteral("合同起始："), label),
        controlTemplate(kContractStart, Kind::Date, QString(), {}),
        controlTemplate(kContractEndLabel, Kind::Static, QStringLiteral("合同终止："), label),
        controlTemplate(kContractEnd, Kind::Date, QString(), {}),
        controlTemplate(kServiceYearsLabel, Kind::Static, QStringLiteral("工作年限："), label),
        controlTemplate(kServiceYears, Kind::Edit, QString(),
                        {QStringLiteral("border"), QStringLiteral("readonly")}),
    };
    return t;
}

template <class T> T* child(QWidget* content, int id)
{
    return content->findChild<T*>(QString::number(id), Qt::FindDirectChildrenOnly);
}

} // namespace

LegalFormFields::LegalFormFields(QWidget* content, QDateEdit* joinDate, QDateEdit* leaveDate,
                                 QLineEdit* idNumber, QComboBox* gender)
    : m_joinDate(joinDate), m_leaveDate(leaveDate), m_idNumber(idNumber), m_gender(gender)
{
    const QFont contentFont = content->font();
    DialogBuilder(legalControls()).buildControls(content);
    content->setFont(contentFont);

    m_contractStart = child<QDateEdit>(content, kContractStart);
    m_contractEnd = child<QDateEdit>(content, kContractEnd);
    m_serviceYears = child<QLineEdit>(content, kServiceYears);
    m_serviceYears->setFocusPolicy(Qt::NoFocus);

    m_openEnded = new QCheckBox(QStringLiteral("无固定期限"), content);
    m_openEnded->setObjectName(QString::number(kOpenEnded));
    m_openEnded->hide();

    m_idHint = new QLabel(content);
    m_idHint->setObjectName(QString::number(kIdHint));
    m_idHint->setWordWrap(true);
    m_idHint->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    QFont hintFont = contentFont;
    hintFont.setPixelSize(qMax(9, contentFont.pixelSize() * 2 / 3));
    m_idHint->setFont(hintFont);
    // Small enough to fit the gap between the two columns beside the end date.
    m_openEnded->setFont(hintFont);
    QPalette palette = m_idHint->palette();
    palette.setColor(QPalette::WindowText, QColor(192, 0, 0));
    m_idHint->setPalette(palette);
    m_idHint->hide();

    m_contractStart->setAccessibleName(QStringLiteral("合同起始日期"));
    m_contractEnd->setAccessibleName(QStringLiteral("合同终止日期"));
    m_openEnded->setAccessibleName(QStringLiteral("无固定期限"));
    m_serviceYears->setAccessibleName(QStringLiteral("工作年限"));
    // The hint's text is what a screen reader speaks (its name follows the text).
    m_idHint->setAccessibleDescription(QStringLiteral("身份证号提示"));
    for (QWidget* w :
         {static_cast<QWidget*>(m_contractStart), static_cast<QWidget*>(m_contractEnd)}) {
        w->setToolTip(w->accessibleName());
    }

    const auto marker = Legal::kContractTermMarker;
    m_pairs = {
        {child<QWidget>(content, kContractStartLabel), m_contractStart, marker},
        {child<QWidget>(content, kContractEndLabel), m_contractEnd, marker},
        {child<QWidget>(content, kServiceYearsLabel), m_serviceYears, Legal::kServiceYearsMarker},
    };

    QObject::connect(m_joinDate, &QDateEdit::dateChanged, m_serviceYears,
                     [this] { updateServiceYears(); });
    QObject::connect(m_leaveDate, &QDateEdit::dateChanged, m_serviceYears,
                     [this] { updateServiceYears(); });
    QObject::connect(m_idNumber, &QLineEdit::textChanged, m_idHint, [this] { updateIdHint(); });
    QObject::connect(m_gender, &QComboBox::currentTextChanged, m_idHint,
                     [this] { updateIdHint(); });
    QObject::connect(m_openEnded, &QCheckBox::toggled, m_contractEnd,
                     [this] { updateContractEnd(); });
    updateServiceYears();
}

void LegalFormFields::updateServiceYears()
{
    const Legal::ServiceYears years = Legal::serviceYears(m_joinDate->date(), m_leaveDate->date());
    m_serviceYears->setText(years.text);
    // Without a value the box stays empty and says why in grey.
    m_serviceYears->setPlaceholderText(years.hint);
    m_serviceYears->setToolTip(years.hint.isEmpty() ? QStringLiteral("由入职日期和离职日期算出")
                                                    : years.hint);
}

void LegalFormFields::updateContractEnd()
{
    // An open-ended contract has no end to pick.
    m_contractEnd->setEnabled(!m_openEnded->isChecked());
}

void LegalFormFields::updateIdHint()
{
    const Legal::IdCheck check = Legal::checkIdNumber(m_idNumber->text());
    QString hint = Legal::idVerdictText(check.verdict);
    if (hint.isEmpty()) {
        hint = Legal::sexMismatchHint(check, m_gender->currentText());
    }
    m_idHint->setText(hint);
    m_idHint->setToolTip(hint);
    m_idHint->setVisible(!hint.isEmpty() && m_idNumber->isVisibleTo(m_idHint->parentWidget()));
}

void LegalFormFields::placeBesideInputs(int width, int idGrowth)
{
    const QRect input = m_idNumber->geometry();
    m_idHint->setGeometry(input.right() + 1 + input.height() / 4, input.y(),
                          std::max(0, width - idGrowth), input.height());
    updateIdHint();

    // 无固定期限 goes with the end date it replaces, right of its box, so that the two contract
    // dates and the years of service add no more than two rows to the form.
    const QRect end = m_contractEnd->geometry();
    m_openEnded->setGeometry(end.right() + 1 + end.height() / 4, end.y(), width, end.height());
    m_openEnded->setVisible(m_contractEnd->isVisibleTo(m_openEnded->parentWidget()));
}

Legal::LegalDates LegalFormFields::dates(QDate issued) const
{
    return {m_contractStart->date(), m_contractEnd->date(), m_openEnded->isChecked(),
            m_joinDate->date(),      m_leaveDate->date(),   issued};
}

QList<QWidget*> LegalFormFields::focusChain() const
{
    return {m_contractStart, m_contractEnd, m_openEnded};
}
