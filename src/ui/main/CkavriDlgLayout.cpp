// Placing the sheet, the form fields and the library buttons. Every rectangle is in the
// coordinates of the content widget that holds the controls; percentages are integer
// products divided by 100, truncated toward zero.
#include "ui/main/CkavriDlg.h"

#include "compose/FormFields.h"
#include "resources/Bitmaps.h"
#include "ui/controls/CButtonXp.h"
#include "ui/controls/LineWidth.h"
#include "ui/controls/ListViewCtrl.h"
#include "ui/main/FormControls.h"
#include "ui/main/LegalFormFields.h"
#include "ui/main/MainDialogIds.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QPalette>
#include <QPlainTextEdit>

#include <algorithm>

using namespace MainIds;

namespace {

const QColor kSheetColour(223, 241, 234);

// An ID number as wide as one can be in a proportional face: the widest digits and the X.
const QString kWidestIdNumber = QStringLiteral("88888888888888888X");

} // namespace

void CkavriDlg::PlaceSheet()
{
    const QRect list = m_listTemplates->geometry();
    QWidget* sheet = control(kSheet);
    sheet->move(list.x() + list.width() + list.width() * 15 / 100, list.y());
    const QRect p = sheet->geometry();
    const int w = p.width();
    const int h = p.height();
    control(kTemplateName)
        ->setGeometry(p.x() + w * 15 / 100, p.y() + h * 3 / 100, w * 70 / 100, h * 8 / 100);
    control(kPreview)->setGeometry(p.x() + w * 2 / 100, p.y() + h * 18 / 100, w * 96 / 100,
                                   h * 79 / 100);
}

void CkavriDlg::ApplySheetColours()
{
    // The name and the preview sit on the sheet picture and take its colour.
    for (int id : {kTemplateName, kPreview}) {
        QWidget* box = control(id);
        QPalette palette = box->palette();
        for (QPalette::ColorGroup group :
             {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
            palette.setColor(group, QPalette::Base, kSheetColour);
            palette.setColor(group, QPalette::Window, kSheetColour);
            palette.setColor(group, QPalette::Text, Qt::black);
        }
        box->setPalette(palette);
        box->setAutoFillBackground(true);
    }
}

void CkavriDlg::LayoutFormFields(const QString& templateText)
{
    const QRect b = control(kBannerStep2)->geometry();
    const int bw = b.width();
    const int bh = b.height();
    const int bottom = b.y() + b.height();
    const int rowHeight = control(kDepartment)->height();
    const QSize labelSize(bw * 14 / 100, rowHeight);
    const QSize inputSize(bw * 21 / 100, rowHeight);

    // The nine pairs, then the inputs for the placeholders added since, in one flow.
    QList<LegalFormFields::Pair> pairs;
    for (size_t i = 0; i < kFormControls.size(); ++i) {
        pairs.append({control(kFormControls[i].label), control(kFormControls[i].input),
                      Compose::kFormFields[i].marker});
    }
    pairs.append(m_pLegalFields->pairs());

    int column = 0;
    int row = 0;
    int x = b.x() + bw * 7 / 100;
    int y = bottom + bh / 3;
    for (const LegalFormFields::Pair& pair : pairs) {
        QWidget* label = pair.label;
        QWidget* input = pair.input;
        if (!templateText.contains(pair.placeholder)) {
            label->hide();
            input->hide();
            continue;
        }
        label->setGeometry(QRect(QPoint(x, y), labelSize));
        input->setGeometry(QRect(QPoint(x + labelSize.width(), y), inputSize));
        label->show();
        input->show();
        ++column;
        if (column > 1) {
            column = 0;
            ++row;
        }
        x = b.x() + column * bw * 51 / 100 + bw * 7 / 100;
        y = bottom + bh / 3 + row * rowHeight * 4 / 3;
    }
    // An ID number of 18 characters is seen whole: where the font needs more than an input's
    // width for the widest such number, its box grows into the gap right of it (up to the next
    // column, or the banner's edge), and the ID hint beside it gives up what the box took.
    auto* idNumber = control<QLineEdit>(kIdNumber);
    int idGrowth = 0;
    if (idNumber->isVisibleTo(idNumber->parentWidget())) {
        const QRect box = idNumber->geometry();
        const int secondColumn = b.x() + bw * 51 / 100 + bw * 7 / 100;
        const int limit = box.x() < secondColumn ? secondColumn - labelSize.height() / 2
                                                 : b.x() + bw;
        const int wanted = LineEditWidthFor(idNumber, kWidestIdNumber);
        const int width = std::clamp(wanted, box.width(), std::max(box.width(), limit - box.x()));
        idGrowth = width - box.width();
        idNumber->resize(width, box.height());
    }
    // The ID hint and 无固定期限 fill the gap between the two columns (or the room right of the
    // second).
    m_pLegalFields->placeBesideInputs(bw * 15 / 100, idGrowth);
    // The reason and company lists are wider than their boxes: their entries are long.
    for (int id : {kReason, kCompany}) {
        control<QComboBox>(id)->view()->setMinimumWidth(3 * inputSize.width());
    }
}

void CkavriDlg::PlaceLibraryButtons()
{
    CButtonXp* const buttons[] = {m_btnCompanyLibrary, m_btnDepartmentLibrary, m_btnPositionLibrary,
                                  m_btnReasonLibrary, m_btnTemplateLibrary};
    for (int i = 0; i < 5; ++i) {
        const ButtonBitmapIds& ids = kLibraryButtonBitmaps[i];
        buttons[i]->LoadBitmaps(ids.normal, ids.pressed, ids.hover, ids.disabled);
    }
    // All button bitmaps share the company button's size.
    const QSize size = m_btnCompanyLibrary->bitmapSize();
    const QPoint first = m_btnCompanyLibrary->pos();
    for (int i = 0; i < 5; ++i) {
        buttons[i]->setGeometry(
            QRect(QPoint(first.x(), first.y() + i * (size.height() * 5 / 3)), size));
    }
}
