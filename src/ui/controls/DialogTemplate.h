#pragma once

#include <QList>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

// A dialog described as data: what a Windows dialog resource holds (caption, size in dialog
// units, font, and the controls in tab order with their ids, kinds, rectangles, captions and
// styles). Templates live in resources/dialogs/<id>.json; DialogBuilder turns one into widgets.
//
// The JSON form, one control per line:
//   {"id": 158, "caption": "添加", "size": [220, 120], "font": {"face": "宋体", "size": 10},
//    "style": ["sysmenu"],
//    "controls": [
//      {"id": 1001, "kind": "edit", "rect": [10, 10, 200, 13], "style": ["border"]},
//      {"id": 1, "kind": "defbutton", "rect": [100, 100, 50, 14], "caption": "确定"}]}
// Control fields: id (-1 for controls nobody addresses), kind, rect [x, y, w, h] in dialog
// units, and optionally caption, style, bitmap (picture and icon), items (combo strings).
// Unknown fields are refused, so that a misspelt one does not go unnoticed.
// Kinds: "static", "picture", "icon", "edit", "multiline edit", "combo", "date", "listview",
// "treeview", "button", "defbutton", "hover button", "scrollbar", "etched line", "groupbox".
// Styles for every control: "hidden", "disabled", "notab" (reached by click, not by Tab).
// By kind: static "centre"/"right", "vcentre", "nowrap"; picture "notify" (reports clicks);
// edit "border", "centre"/"right", "readonly"; multiline edit "border", "wrap", "vscroll",
// "hscroll", "readonly"; combo "droplist" (not editable), "sort" (kept in Chinese order);
// listview "border", "singlesel", "noheader", "showselalways"; treeview "border",
// "linesatroot"; scrollbar "horizontal". Dialog styles: "sysmenu", "minimizebox",
// "maximizebox", "resizable", "appwindow" (a window of its own in the taskbar).
struct ControlTemplate
{
    enum class Kind
    {
        Static,        // text label
        Picture,       // bitmap; takes the size of its bitmap
        Icon,          // the application icon
        Edit,          // single-line edit
        MultilineEdit, // multi-line edit
        Combo,         // drop-down combo (editable) or drop-down list
        Date,          // date picker
        ListView,      // report-style list
        TreeView,      // tree with root items
        Button,        // push button
        DefButton,     // default push button (Enter presses it)
        HoverButton,   // owner-drawn bitmap button
        ScrollBar,     // stand-alone scroll bar
        EtchedLine,    // etched separator line
        GroupBox,      // frame with a caption
    };

    int id = 0;
    Kind kind = Kind::Static;
    QRect rect; // dialog units
    QString caption;
    QStringList styles; // e.g. "hidden", "border", "wrap", "centre", "readonly", "sort"
    int bitmap = 0;     // picture / icon resource id, 0 when none
    QStringList items;  // initial strings of a combo

    bool hasStyle(const QString& style) const { return styles.contains(style); }
};

struct DialogTemplate
{
    int id = 0;
    QString caption;
    QSize size; // dialog units
    QString fontFace;
    int fontPointSize = 8;
    QStringList styles;              // "sysmenu", "minimizebox", "maximizebox", "appwindow"
    QList<ControlTemplate> controls; // in tab order

    bool hasStyle(const QString& style) const { return styles.contains(style); }
    const ControlTemplate* control(int controlId) const;

    // Parses a template from its JSON text. On failure returns false and says why in *error
    // (which control, which field).
    static bool parse(const QByteArray& json, DialogTemplate* out, QString* error);
    // Loads resources/dialogs/<id>.json from the program's resources.
    static bool load(int dialogId, DialogTemplate* out, QString* error);

    static bool kindFromName(const QString& name, ControlTemplate::Kind* kind);
};
