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
    env QT_QPA_PLATFORM=xcb KAVRI_SCREENSHOT_DIR="$PWD/$out" "$dir/tests/batch_dialog_test" \
    --gtest_filter='*FromTheSheet*'
xvfb-run -a -s "-screen 0 1440x1000x24" \
    env QT_QPA_PLATFORM=xcb KAVRI_SCREENSHOT_DIR="$PWD/$out" "$dir/tests/register_window_tests" \
    --gtest_filter='ReadmePicturesTest.*'
xvfb-run -a -s "-screen 0 1366x900x24" \
    env QT_QPA_PLATFORM=xcb KAVRI_SCREENSHOT_DIR="$PWD/$out" "$dir/tests/mainwin_test" \
    --gtest_filter='LegalFormTest.ADeliveredCompleteTemplateShowsEveryNewInput'
pdftoppm -r 60 -png -singlefile "$out/certificate.pdf" "$out/pdf-page"
rm -f "$out/certificate.pdf"
echo "Wrote $out/certificate.png, $out/pdf-page.png, $out/batch-dialog.png, $out/legal-form.png and $out/register-*.png"
