#include "print/FontSubset.h"

#include <QCryptographicHash>
#include <QHash>
#include <QMutex>
#include <QMutexLocker>

#include <hb-subset.h>
#include <hb.h>

#include <array>
#include <memory>

namespace {

// The tables a document's font needs to draw and measure its glyphs. Layout tables, hinting and
// embedded bitmaps stay behind: the document places every glyph itself and viewers scale it.
constexpr std::array<const char*, 14> kKeptTables = {
    "cmap", "head", "hhea", "hmtx", "maxp", "name", "OS/2",
    "post", "glyf", "loca", "vhea", "vmtx", "CFF ", "VORG",
};

hb_tag_t tagOf(const char* name)
{
    return hb_tag_from_string(name, 4);
}

struct FaceDeleter
{
    void operator()(hb_face_t* face) const { hb_face_destroy(face); }
};
using FacePtr = std::unique_ptr<hb_face_t, FaceDeleter>;

struct BlobDeleter
{
    void operator()(hb_blob_t* blob) const { hb_blob_destroy(blob); }
};
using BlobPtr = std::unique_ptr<hb_blob_t, BlobDeleter>;

struct InputDeleter
{
    void operator()(hb_subset_input_t* input) const { hb_subset_input_destroy(input); }
};

// The face rebuilt as one font file from its tables. Reading the glyph table of a CJK face
// copies megabytes, so every face is read once per process and kept; HarfBuzz faces may be read
// from several threads at once.
FacePtr buildSourceFace(const QRawFont& font)
{
    FacePtr builder(hb_face_builder_create());
    for (const char* name : kKeptTables) {
        const QByteArray table = font.fontTable(name);
        if (table.isEmpty()) {
            continue;
        }
        // HarfBuzz copies nothing here: the blob keeps its own reference to the bytes.
        auto* kept = new QByteArray(table);
        BlobPtr blob(hb_blob_create(kept->constData(), uint(kept->size()), HB_MEMORY_MODE_READONLY,
                                    kept,
                                    [](void* data) { delete static_cast<QByteArray*>(data); }));
        hb_face_builder_add_table(builder.get(), tagOf(name), blob.get());
    }
    BlobPtr file(hb_face_reference_blob(builder.get()));
    if (hb_blob_get_length(file.get()) == 0) {
        return nullptr;
    }
    FacePtr face(hb_face_create(file.get(), 0));
    // Loads nothing: the subsetter reads the tables it needs on demand.
    if (hb_face_get_glyph_count(face.get()) == 0) {
        return nullptr;
    }
    return face;
}

class SourceFaces
{
public:
    hb_face_t* faceFor(const QRawFont& font)
    {
        const QString key = FontFaceKey(font);
        QMutexLocker lock(&m_mutex);
        auto it = m_faces.find(key);
        if (it == m_faces.end()) {
            it = m_faces.insert(
                key, std::shared_ptr<hb_face_t>(buildSourceFace(font).release(), FaceDeleter()));
        }
        return it->get();
    }

private:
    QMutex m_mutex;
    QHash<QString, std::shared_ptr<hb_face_t>> m_faces;
};

SourceFaces& sourceFaces()
{
    static SourceFaces faces;
    return faces;
}

} // namespace

QString FontFaceKey(const QRawFont& font)
{
    // The head table holds the face's revision, check sum and dates; with the names it tells
    // one face of one file from any other.
    const QByteArray head = font.fontTable("head");
    return font.familyName() + u'|' + font.styleName() + u'|' +
           QString::fromLatin1(QCryptographicHash::hash(head, QCryptographicHash::Sha1).toHex());
}

QByteArray SubsetFont(const QRawFont& font, const QList<char32_t>& codepoints,
                      const QList<quint32>& glyphs, QString* error)
{
    const auto fail = [error](const QString& why) {
        if (error) {
            *error = why;
        }
        return QByteArray();
    };
    if (!font.isValid()) {
        return fail(QStringLiteral("字体无效"));
    }
    hb_face_t* source = sourceFaces().faceFor(font);
    if (!source) {
        return fail(QStringLiteral("无法读取字体“%1”").arg(font.familyName()));
    }

    std::unique_ptr<hb_subset_input_t, InputDeleter> input(hb_subset_input_create_or_fail());
    if (!input) {
        return fail(QStringLiteral("内存不足，无法裁剪字体"));
    }
    hb_set_t* unicodes = hb_subset_input_unicode_set(input.get());
    for (char32_t codepoint : codepoints) {
        hb_set_add(unicodes, hb_codepoint_t(codepoint));
    }
    hb_set_t* glyphIds = hb_subset_input_glyph_set(input.get());
    for (quint32 glyph : glyphs) {
        hb_set_add(glyphIds, glyph);
    }
    hb_subset_input_set_flags(input.get(), HB_SUBSET_FLAGS_NO_HINTING);

    FacePtr subset(hb_subset_or_fail(source, input.get()));
    if (!subset) {
        return fail(QStringLiteral("无法裁剪字体“%1”").arg(font.familyName()));
    }
    BlobPtr blob(hb_face_reference_blob(subset.get()));
    unsigned int length = 0;
    const char* data = hb_blob_get_data(blob.get(), &length);
    if (!data || length == 0) {
        return fail(QStringLiteral("无法裁剪字体“%1”").arg(font.familyName()));
    }
    return QByteArray(data, qsizetype(length));
}
