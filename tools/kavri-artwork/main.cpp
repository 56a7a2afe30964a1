// Paints every image of the main window and writes it as <id>.png into the folder named on the
// command line, plus the program icon in the sizes the desktop's icon theme wants into a second
// folder. Usage: kavri-artwork <images-folder> [<icons-folder>]

#include "ArtworkMetrics.h"
#include "BannerArt.h"
#include "ButtonArt.h"
#include "IconArt.h"
#include "PanelArt.h"
#include "SheetArt.h"

#include "print/FontSubstitutions.h"
#include "resources/Bitmaps.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QTextStream>

#include <cstdio>

namespace {
struct LibraryButton
{
    QString caption;
    ButtonBitmapIds ids;
};

bool Save(const QImage& image, const QDir& folder, const QString& name)
{
    const QString path = folder.filePath(name);
    if (!image.save(path, "PNG")) {
        std::fprintf(stderr, "kavri-artwork: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s %dx%d\n", qPrintable(path), image.width(), image.height());
    return true;
}

bool SaveBitmap(const QImage& image, const QDir& folder, int id)
{
    return Save(image, folder, QStringLiteral("%1.png").arg(id));
}
} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    InstallFontSubstitutions();

    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: kavri-artwork <images-folder> [<icons-folder>]\n");
        return 2;
    }
    QDir images(args.at(1));
    if (!images.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "kavri-artwork: cannot make %s\n", qPrintable(args.at(1)));
        return 1;
    }

    const DialogBaseUnits units = MainDialogBaseUnits();
    std::printf("dialog base units: baseX %d, baseY %d\n", units.baseX, units.baseY);

    bool ok = true;
    ok &= SaveBitmap(PaintAppIcon(256), images, 128);
    ok &= SaveBitmap(PaintStepBanner(1, QStringLiteral("选择离职证明模板"), StepBannerSize(units)),
                     images, 129);
    ok &= SaveBitmap(PaintStepBanner(2, QStringLiteral("填写表单"), StepBannerSize(units)), images,
                     130);
    ok &= SaveBitmap(
        PaintStepBanner(3, QStringLiteral("点击“生成离职证明”按钮"), StepBannerSize(units)), images,
        131);
    ok &= SaveBitmap(PaintTemplateSheet(TemplateSheetSize(units)), images, 132);
    ok &= SaveBitmap(PaintInfoPanel(InfoPanelSize(units)), images, 135);
    ok &= SaveBitmap(PaintLibraryCaption(LibraryCaptionSize(units)), images, 157);

    // The captions in the order of the main window's buttons and of kLibraryButtonBitmaps.
    const QString captions[] = {
        QStringLiteral("公司名称库管理"), QStringLiteral("部门库管理"),
        QStringLiteral("职位库管理"),     QStringLiteral("离职原因库管理"),
        QStringLiteral("离职模板库管理"),
    };
    static_assert(std::size(captions) == kLibraryButtonBitmaps.size());
    for (size_t i = 0; i < kLibraryButtonBitmaps.size(); ++i) {
        const LibraryButton button{captions[i], kLibraryButtonBitmaps[i]};
        const QImage resting = PaintLibraryButton(button.caption, ButtonLook::Resting);
        ok &= SaveBitmap(resting, images, button.ids.normal);
        ok &= SaveBitmap(resting, images, button.ids.pressed);
        ok &= SaveBitmap(resting, images, button.ids.disabled);
        ok &= SaveBitmap(PaintLibraryButton(button.caption, ButtonLook::Hover), images,
                         button.ids.hover);
    }

    if (args.size() >= 3) {
        QDir icons(args.at(2));
        if (!icons.mkpath(QStringLiteral("."))) {
            std::fprintf(stderr, "kavri-artwork: cannot make %s\n", qPrintable(args.at(2)));
            return 1;
        }
        for (int size : {48, 128, 256}) {
            ok &= Save(PaintAppIcon(size), icons, QStringLiteral("kavri-%1.png").arg(size));
        }
    }
    return ok ? 0 : 1;
}
