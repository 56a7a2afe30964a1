#pragma once

#include <QStringList>

// kavri-cli register list|show|export|verify: the certificate register from scripts, through the
// same code as the register window.
namespace RegisterCommand {

// Exit status of verify when the register holds the number but the text differs, and when it
// does not hold the certificate at all.
inline constexpr int kTextDiffers = 1;
inline constexpr int kNotHeld = 3;
// Exit status of audit when the register was changed.
inline constexpr int kTampered = 1;

QString synopsis();
int run(const QStringList& args);

} // namespace RegisterCommand
