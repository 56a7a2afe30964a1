#pragma once

class QApplication;

// What every kavri process with windows sets up on its application object before the first
// window: the name that captions message boxes, the version, the Song and CJK sans faces for the
// Windows face names, Qt's own texts in Chinese, and that closing the last window does not end
// the program (the main dialog's close does; while the print preview replaces it there is a
// moment without any visible window).
void SetUpApplication(QApplication& app);
