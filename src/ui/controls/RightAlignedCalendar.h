#pragma once

class QDateEdit;

// Makes the picker's drop-down calendar open with its right edge on the picker's right edge
// (Qt opens it left-aligned). The calendar stays below or above the picker as Qt placed it,
// and stays on the screen. Call after setCalendarPopup(true).
void AlignCalendarPopupRight(QDateEdit* picker);
