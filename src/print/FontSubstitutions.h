#pragma once

// Maps the Windows face names that the dialog templates and the printed page ask for onto the
// CJK faces a Debian desktop has: "宋体" onto a Song (Ming) face, "MS Shell Dlg" onto the
// desktop's CJK sans-serif. Call once, after the QGuiApplication exists and before any window
// or page is laid out.
void InstallFontSubstitutions();
