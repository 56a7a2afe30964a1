#include "ui/controls/DialogTemplate.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <array>
#include <utility>

namespace {

using Kind = ControlTemplate::Kind;

constexpr std::array<std::pair<const char16_t*, Kind>, 15> kKindNames = {{
    {u"static", Kind::Static},
    {u"picture", Kind::Picture},
    {u"icon", Kind::Icon},
    {u"edit", Kind::Edit},
    {u"multiline edit", Kind::MultilineEdit},
    {u"combo", Kind::Combo},
    {u"date", Kind::Date},
    {u"listview", Kind::ListView},
    {u"treeview", Kind::TreeView},
    {u"button", Kind::Button},
    {u"defbutton", Kind::DefButton},
    {u"hover button", Kind::HoverButton},
    {u"scrollbar", Kind::ScrollBar},
    {u"etched line", Kind::EtchedLine},
    {u"groupbox", Kind::GroupBox},
}};

bool readInt(const QJsonValue& v, int* out)
{
    if (!v.isDouble()) {
        return false;
    }
    const double d = v.toDouble();
    if (d != static_cast<double>(static_cast<int>(d))) {
        return false;
    }
    *out = static_cast<int>(d);
    return true;
}

bool readStrings(const QJsonValue& v, QStringList* out)
{
    if (v.isUndefined()) {
        return true;
    }
    if (!v.isArray()) {
        return false;
    }
    for (const QJsonValue& s : v.toArray()) {
        if (!s.isString()) {
            return false;
        }
        out->append(s.toString());
    }
    return true;
}

// [a, b, ...] of exactly `count` whole numbers.
bool readInts(const QJsonValue& v, int count, int* out)
{
    const QJsonArray a = v.toArray();
    if (!v.isArray() || a.size() != count) {
        return false;
    }
    for (int i = 0; i < count; ++i) {
        if (!readInt(a.at(i), &out[i])) {
            return false;
        }
    }
    return true;
}

bool parseControl(const QJsonObject& o, ControlTemplate* c, QString* why)
{
    static const QSet<QString> known = {QStringLiteral("id"),    QStringLiteral("kind"),
                                        QStringLiteral("rect"),  QStringLiteral("caption"),
                                        QStringLiteral("style"), QStringLiteral("bitmap"),
                                        QStringLiteral("items")};
    for (auto it = o.begin(); it != o.end(); ++it) {
        if (!known.contains(it.key())) {
            *why = QStringLiteral("unknown field \"%1\"").arg(it.key());
            return false;
        }
    }
    if (!readInt(o.value(QStringLiteral("id")), &c->id)) {
        *why = QStringLiteral("\"id\" must be a whole number");
        return false;
    }
    if (!DialogTemplate::kindFromName(o.value(QStringLiteral("kind")).toString(), &c->kind)) {
        *why =
            QStringLiteral("unknown kind \"%1\"").arg(o.value(QStringLiteral("kind")).toString());
        return false;
    }
    int r[4];
    if (!readInts(o.value(QStringLiteral("rect")), 4, r) || r[2] < 0 || r[3] < 0) {
        *why = QStringLiteral("\"rect\" must be [x, y, width, height] with width, height >= 0");
        return false;
    }
    c->rect = QRect(r[0], r[1], r[2], r[3]);
    const QJsonValue caption = o.value(QStringLiteral("caption"));
    if (!caption.isUndefined() && !caption.isString()) {
        *why = QStringLiteral("\"caption\" must be text");
        return false;
    }
    c->caption = caption.toString();
    if (!readStrings(o.value(QStringLiteral("style")), &c->styles)) {
        *why = QStringLiteral("\"style\" must be a list of texts");
        return false;
    }
    if (!readStrings(o.value(QStringLiteral("items")), &c->items)) {
        *why = QStringLiteral("\"items\" must be a list of texts");
        return false;
    }
    const QJsonValue bitmap = o.value(QStringLiteral("bitmap"));
    if (!bitmap.isUndefined() && (!readInt(bitmap, &c->bitmap) || c->bitmap <= 0)) {
        *why = QStringLiteral("\"bitmap\" must be a positive resource id");
        return false;
    }
    if ((c->kind == Kind::Picture || c->kind == Kind::Icon) && c->bitmap == 0) {
        *why = QStringLiteral("a picture needs a \"bitmap\"");
        return false;
    }
    return true;
}

} // namespace

const ControlTemplate* DialogTemplate::control(int controlId) const
{
    for (const ControlTemplate& c : controls) {
        if (c.id == controlId) {
            return &c;
        }
    }
    return nullptr;
}

bool DialogTemplate::kindFromName(const QString& name, ControlTemplate::Kind* kind)
{
    for (const auto& [text, k] : kKindNames) {
        if (name == QStringView(text)) {
            *kind = k;
            return true;
        }
    }
    return false;
}

bool DialogTemplate::parse(const QByteArray& json, DialogTemplate* out, QString* error)
{
    auto fail = [error](const QString& why) {
        if (error) {
            *error = why;
        }
        return false;
    };

    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parseError);
    if (doc.isNull()) {
        return fail(QStringLiteral("not JSON: %1 at offset %2")
                        .arg(parseError.errorString())
                        .arg(parseError.offset));
    }
    if (!doc.isObject()) {
        return fail(QStringLiteral("a dialog template is a JSON object"));
    }
    const QJsonObject root = doc.object();

    DialogTemplate t;
    if (!readInt(root.value(QStringLiteral("id")), &t.id) || t.id <= 0) {
        return fail(QStringLiteral("dialog \"id\" must be a positive whole number"));
    }
    t.caption = root.value(QStringLiteral("caption")).toString();
    int size[2];
    if (!readInts(root.value(QStringLiteral("size")), 2, size) || size[0] <= 0 || size[1] <= 0) {
        return fail(QStringLiteral("dialog \"size\" must be [width, height] in dialog units"));
    }
    t.size = QSize(size[0], size[1]);
    const QJsonObject font = root.value(QStringLiteral("font")).toObject();
    t.fontFace = font.value(QStringLiteral("face")).toString();
    if (t.fontFace.isEmpty() || !readInt(font.value(QStringLiteral("size")), &t.fontPointSize) ||
        t.fontPointSize <= 0) {
        return fail(QStringLiteral("dialog \"font\" must be {\"face\": text, \"size\": points}"));
    }
    if (!readStrings(root.value(QStringLiteral("style")), &t.styles)) {
        return fail(QStringLiteral("dialog \"style\" must be a list of texts"));
    }

    const QJsonValue controls = root.value(QStringLiteral("controls"));
    if (!controls.isArray()) {
        return fail(QStringLiteral("dialog \"controls\" must be a list"));
    }
    QSet<int> ids;
    int index = 0;
    for (const QJsonValue& v : controls.toArray()) {
        ControlTemplate c;
        QString why;
        if (!v.isObject()) {
            why = QStringLiteral("not an object");
        } else if (parseControl(v.toObject(), &c, &why) && c.id != -1 && ids.contains(c.id)) {
            why = QStringLiteral("id %1 is used twice").arg(c.id);
        }
        if (!why.isEmpty()) {
            return fail(QStringLiteral("control #%1 (id %2): %3")
                            .arg(index)
                            .arg(v.toObject().value(QStringLiteral("id")).toInt())
                            .arg(why));
        }
        ids.insert(c.id);
        t.controls.append(c);
        ++index;
    }
    *out = std::move(t);
    return true;
}

bool DialogTemplate::load(int dialogId, DialogTemplate* out, QString* error)
{
    QFile file(QStringLiteral(":/dialogs/%1.json").arg(dialogId));
    if (!file.open(QIODevice::ReadOnly)) {
        if (error) {
            *error = QStringLiteral("no dialog template %1").arg(dialogId);
        }
        return false;
    }
    return parse(file.readAll(), out, error);
}
