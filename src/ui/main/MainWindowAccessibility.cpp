#include "ui/main/MainWindowAccessibility.h"

#include "ui/main/FormControls.h"
#include "ui/main/MainDialogIds.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QString>
#include <QWidget>

using namespace MainIds;

namespace {

QWidget* child(QWidget* content, int id)
{
    return content->findChild<QWidget*>(QString::number(id), Qt::FindDirectChildrenOnly);
}

struct Named
{
    int id;
    const char16_t* name;
};

// Controls whose text is painted into a picture or that carry no label of their own.
constexpr Named kNames[] = {
    {1000, u"选择离职证明模板"},
    {kBannerStep2, u"填写表单"},
    {1002, u"点击“生成离职证明”按钮"},
    {kInfoPanel, u"kavri 版本 1.0 使用说明 · README"},
    {kTemplateList, u"离职证明模板"},
    {kTemplateName, u"模板名称"},
    {kPreview, u"模板预览"},
    {kResult, u"离职证明"},
    // The library buttons paint their captions as bitmaps.
    {kCompanyLibrary, u"公司名称库管理"},
    {kDepartmentLibrary, u"部门库管理"},
    {kPositionLibrary, u"职位库管理"},
    {kReasonLibrary, u"离职原因库管理"},
    {kTemplateLibrary, u"离职模板库管理"},
};

constexpr int kMarginLeft = 1010;
constexpr int kMarginRight = 1032;

} // namespace

void SetUpMainWindowAccessibility(QWidget* content)
{
    for (const Named& n : kNames) {
        if (QWidget* w = child(content, n.id)) {
            w->setAccessibleName(QString::fromUtf16(n.name));
        }
    }
    for (const FormControl& pair : kFormControls) {
        auto* label = qobject_cast<QLabel*>(child(content, pair.label));
        QWidget* input = child(content, pair.input);
        if (!label || !input) {
            continue;
        }
        QString name = label->text();
        if (name.endsWith(u'：')) {
            name.chop(1);
        }
        // The buddy is the label relation a screen reader on Linux speaks for a combo box,
        // whose name there is its current text; the other inputs speak their name.
        label->setBuddy(input);
        input->setAccessibleName(name);
        // Focus lands in the text box of an editable combo box, which speaks its own name.
        if (auto* combo = qobject_cast<QComboBox*>(input); combo && combo->lineEdit()) {
            combo->lineEdit()->setAccessibleName(name);
        }
    }
    for (int id : {kMarginLeft, kMarginRight}) {
        if (QWidget* margin = child(content, id)) {
            margin->setFocusPolicy(Qt::NoFocus);
        }
    }
    QWidget* generate = child(content, kGenerate);
    QWidget* exportPdf = child(content, kExportPdf);
    QWidget* copyText = child(content, kCopyText);
    QWidget* preview = child(content, kPrintPreview);
    if (generate && exportPdf && copyText && preview) {
        QWidget::setTabOrder(generate, exportPdf);
        QWidget::setTabOrder(exportPdf, copyText);
        QWidget::setTabOrder(copyText, preview);
    }
}
