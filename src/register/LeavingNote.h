#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace Register {

// What the register keeps with a leaving besides its text: the signed code the page carried and
// the phrases of the wording check the user chose to go on with. Stored as the event's detail.
struct LeavingNote
{
    // The content of the page's QR code as it left (base64 of the signed facts); empty when the
    // template carries no code.
    QString seal;
    // Each phrase the wording check found, in its context, that the user let go.
    QStringList wording;

    bool isEmpty() const { return seal.isEmpty() && wording.isEmpty(); }
    friend bool operator==(const LeavingNote&, const LeavingNote&) = default;
};

// One line of JSON with its keys in a fixed order and empty parts left out
// ({"seal":"...","wording":["..."]}); empty for an empty note, so that a leaving without one
// stores what it always did.
QString leavingDetail(const LeavingNote& note);
// Back from an event's detail; nothing when the detail is no leaving note (a delivery record, a
// transfer day, text that is not JSON). An empty detail is an empty note.
std::optional<LeavingNote> leavingNoteFromDetail(const QString& detail);

} // namespace Register
