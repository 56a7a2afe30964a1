#pragma once

#include <QByteArray>
#include <QList>
#include <QRawFont>
#include <QString>

// One face of a font file as Qt draws with it, cut down to a few characters: an OpenType file
// (TrueType outlines or CFF, as the face has them) that holds the glyphs of `codepoints` and
// the extra glyph ids in `glyphs`, with a character map for those characters, the metrics, the
// names and nothing else: no hinting, no layout tables, no embedded bitmaps. The face is read
// table by table from Qt's own font engine, so a face inside a TrueType collection is the very
// face Qt chose, whatever its index in the collection. Returns an empty array with a reason in
// `error` when the face cannot be read or cut. May be called from any thread.
QByteArray SubsetFont(const QRawFont& font, const QList<char32_t>& codepoints,
                      const QList<quint32>& glyphs, QString* error = nullptr);

// A name that tells faces apart: two raw fonts with the same key come from the same face of the
// same font file, whatever their size or weight.
QString FontFaceKey(const QRawFont& font);
