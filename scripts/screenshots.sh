#!/usr/bin/env bash
# Remakes the README's pictures of a generated certificate, its PDF page and the batch dialog:
# runs the end-to-end session under Xvfb with the desktop's real fonts, which leaves the main
# window after Generate and the exported PDF in docs/screenshots, renders the PDF's page, and
# drives the batch dialog through a small sheet to its summary.
# Usage: scripts/screenshots.sh [build-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}
out=docs/screenshots
mkdir -p "$out"
scripts/build.sh "$dir"
xvfb-run -a -s "-screen 0 1440x1000x24" \
    env QT_QPA_PLATFORM=xcb KAVRI_SCREENSHOT_DIR="$PWD/$out" "$dir/tests/e2e_test"
xvfb-run -a -s "-screen 0 1440x1000x24" \
    env QT_QPA_PLATFORM=xcb KAVRI_SCREENSHOT_DIR="$PWD/$out" "$dir/tests/batch_tests" \
    --gtest_filter='*FromTheSheet*'
xvfb-run -a -s "-screen 0 1440x1000x24" \
    env QT_QPA_PLATFORM=xcb KAVRI_SCREENSHOT_DIR="$PWD/$out" "$dir/tests/register_window_tests" \
    --gtest_filter='ReadmePicturesTest.*'
xvfb-run -a -s "-screen 0 1366x900x24" \
    env QT_QPA_PLATFORM=xcb KAVRI_SCREENSHOT_DIR="$PWD/$out" "$dir/tests/mainwin_test" \
    --gtest_filter='LegalFormTest.ADeliveredCompleteTemplateShowsEveryNewInput'
pdftoppm -r 60 -png -singlefile "$out/certificate.pdf" "$out/pdf-page"
rm -f "$out/certificate.pdf"
# One certificate as OFD and as PDF, the OFD page drawn by the test renderer beside poppler's.
scratch=$(mktemp -d)
values=(--template src/resources/samples/general.txt --name 张三 --gender 男
        --id 110101199003071234 --company 北京星辰科技有限公司 --department 研发部
        --position 软件工程师 --joined 2019年3月1日 --left 2024年5月31日 --reason 个人原因)
QT_QPA_PLATFORM=offscreen "$dir/bin/kavri-cli" pdf "${values[@]}" --out "$scratch/c.ofd"
QT_QPA_PLATFORM=offscreen "$dir/bin/kavri-cli" pdf "${values[@]}" --out "$scratch/c.pdf"
QT_QPA_PLATFORM=offscreen "$dir/bin/ofd-render" "$scratch/c.ofd" "$scratch/ofd.png" 60
pdftoppm -r 60 -png -singlefile "$scratch/c.pdf" "$scratch/pdf"
convert "$scratch/ofd.png" -bordercolor '#888' -border 1 "$scratch/o.png"
convert "$scratch/pdf.png" -bordercolor '#888' -border 1 "$scratch/p.png"
convert "$scratch/o.png" "$scratch/p.png" -background white +smush 24 "$out/ofd-beside-pdf.png"
rm -rf "$scratch"
echo "Wrote $out/certificate.png, $out/pdf-page.png, $out/ofd-beside-pdf.png, $out/batch-dialog.png, $out/legal-form.png and $out/register-*.png"
