#pragma once

class QCoreApplication;

// Qt's own texts (message box buttons, the file, print and preview dialogs) in Chinese, and the
// default locale Chinese for dates and the calendar, whatever the user's locale: the program's
// own texts are Chinese throughout. Loads qtbase_zh_CN.qm from Qt's translations folder
// (Debian: qt6-translations-l10n); without it Qt's texts stay English and the program runs on.
// Returns whether the translation was loaded.
bool InstallQtChineseTexts(QCoreApplication& app);
