#include "ui/controls/DialogTemplate.h"

#include <gtest/gtest.h>

namespace {

QByteArray withControls(const QByteArray& controls)
{
    return R"({"id": 7, "caption": "标题", "size": [100, 50],
               "font": {"face": "宋体", "size": 10}, "style": ["sysmenu"],
               "controls": [)" +
           controls + "]}";
}

TEST(DialogTemplate, ParsesDialogAndControlsInOrder)
{
    DialogTemplate t;
    QString error;
    ASSERT_TRUE(DialogTemplate::parse(
        withControls(R"({"id": 5, "kind": "static", "rect": [1, 2, 30, 8], "caption": "姓名："},
                        {"id": 6, "kind": "combo", "rect": [40, 2, 50, 60],
                         "style": ["sort", "hidden"], "items": ["男", "女"]},
                        {"id": 9, "kind": "picture", "rect": [0, 0, 10, 10], "bitmap": 129})"),
        &t, &error))
        << error.toStdString();
    EXPECT_EQ(t.id, 7);
    EXPECT_EQ(t.caption, QStringLiteral("标题"));
    EXPECT_EQ(t.size, QSize(100, 50));
    EXPECT_EQ(t.fontFace, QStringLiteral("宋体"));
    EXPECT_EQ(t.fontPointSize, 10);
    EXPECT_TRUE(t.hasStyle(QStringLiteral("sysmenu")));
    ASSERT_EQ(t.controls.size(), 3);
    EXPECT_EQ(t.controls[0].id, 5);
    EXPECT_EQ(t.controls[0].kind, ControlTemplate::Kind::Static);
    EXPECT_EQ(t.controls[0].rect, QRect(1, 2, 30, 8));
    EXPECT_EQ(t.controls[0].caption, QStringLiteral("姓名："));
    EXPECT_EQ(t.controls[1].kind, ControlTemplate::Kind::Combo);
    EXPECT_TRUE(t.controls[1].hasStyle(QStringLiteral("hidden")));
    EXPECT_EQ(t.controls[1].items, (QStringList{QStringLiteral("男"), QStringLiteral("女")}));
    EXPECT_EQ(t.controls[2].bitmap, 129);
    ASSERT_NE(t.control(6), nullptr);
    EXPECT_EQ(t.control(6)->rect.height(), 60);
    EXPECT_EQ(t.control(8), nullptr);
}

TEST(DialogTemplate, KnowsEveryKindByName)
{
    const std::pair<const char*, ControlTemplate::Kind> kinds[] = {
        {"static", ControlTemplate::Kind::Static},
        {"picture", ControlTemplate::Kind::Picture},
        {"icon", ControlTemplate::Kind::Icon},
        {"edit", ControlTemplate::Kind::Edit},
        {"multiline edit", ControlTemplate::Kind::MultilineEdit},
        {"combo", ControlTemplate::Kind::Combo},
        {"date", ControlTemplate::Kind::Date},
        {"listview", ControlTemplate::Kind::ListView},
        {"treeview", ControlTemplate::Kind::TreeView},
        {"button", ControlTemplate::Kind::Button},
        {"defbutton", ControlTemplate::Kind::DefButton},
        {"hover button", ControlTemplate::Kind::HoverButton},
        {"scrollbar", ControlTemplate::Kind::ScrollBar},
        {"etched line", ControlTemplate::Kind::EtchedLine},
        {"groupbox", ControlTemplate::Kind::GroupBox},
    };
    for (const auto& [name, kind] : kinds) {
        ControlTemplate::Kind parsed = ControlTemplate::Kind::Static;
        EXPECT_TRUE(DialogTemplate::kindFromName(QString::fromLatin1(name), &parsed)) << name;
        EXPECT_EQ(parsed, kind) << name;
    }
    ControlTemplate::Kind parsed;
    EXPECT_FALSE(DialogTemplate::kindFromName(QStringLiteral("Static"), &parsed));
    EXPECT_FALSE(DialogTemplate::kindFromName(QString(), &parsed));
}

struct BadTemplate
{
    const char* what;
    QByteArray json;
    const char* errorPart;
};

TEST(DialogTemplate, RejectsBrokenTemplatesAndSaysWhere)
{
    const BadTemplate cases[] = {
        {"not JSON", "{\"id\": 7,", "not JSON"},
        {"array", "[1, 2]", "JSON object"},
        {"no id", R"({"size": [1, 1], "font": {"face": "x", "size": 8}, "controls": []})",
         "\"id\""},
        {"zero size",
         R"({"id": 1, "size": [0, 5], "font": {"face": "x", "size": 8}, "controls": []})",
         "\"size\""},
        {"no font", R"({"id": 1, "size": [5, 5], "controls": []})", "\"font\""},
        {"no controls", R"({"id": 1, "size": [5, 5], "font": {"face": "x", "size": 8}})",
         "\"controls\""},
        {"unknown kind", withControls(R"({"id": 3, "kind": "slider", "rect": [0, 0, 1, 1]})"),
         "unknown kind \"slider\""},
        {"short rect", withControls(R"({"id": 3, "kind": "edit", "rect": [0, 0, 1]})"), "\"rect\""},
        {"negative width", withControls(R"({"id": 3, "kind": "edit", "rect": [0, 0, -1, 4]})"),
         "\"rect\""},
        {"fractional id", withControls(R"({"id": 3.5, "kind": "edit", "rect": [0, 0, 1, 1]})"),
         "\"id\""},
        {"duplicate id", withControls(R"({"id": 3, "kind": "edit", "rect": [0, 0, 1, 1]},
                                         {"id": 3, "kind": "static", "rect": [0, 0, 1, 1]})"),
         "id 3 is used twice"},
        {"misspelt field",
         withControls(R"({"id": 3, "kind": "edit", "rect": [0, 0, 1, 1], "styles": ["border"]})"),
         "unknown field \"styles\""},
        {"picture without bitmap",
         withControls(R"({"id": 3, "kind": "picture", "rect": [0, 0, 1, 1]})"), "bitmap"},
        {"style not a list",
         withControls(R"({"id": 3, "kind": "edit", "rect": [0, 0, 1, 1], "style": "border"})"),
         "\"style\""},
    };
    for (const BadTemplate& c : cases) {
        DialogTemplate t;
        t.id = 99;
        QString error;
        EXPECT_FALSE(DialogTemplate::parse(c.json, &t, &error)) << c.what;
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.errorPart)))
            << c.what << ": " << error.toStdString();
        EXPECT_EQ(t.id, 99) << c.what << ": a failed parse leaves the target alone";
    }
}

TEST(DialogTemplate, ControlsWithoutIdMayRepeatTheStaticId)
{
    DialogTemplate t;
    QString error;
    EXPECT_TRUE(
        DialogTemplate::parse(withControls(R"({"id": -1, "kind": "static", "rect": [0, 0, 1, 1]},
                        {"id": -1, "kind": "static", "rect": [0, 2, 1, 1]})"),
                              &t, &error))
        << error.toStdString();
    EXPECT_EQ(t.controls.size(), 2);
}

TEST(DialogTemplate, TheProgramsTemplatesLoad)
{
    for (int id : {100, 102}) {
        DialogTemplate t;
        QString error;
        EXPECT_TRUE(DialogTemplate::load(id, &t, &error)) << id << ": " << error.toStdString();
        EXPECT_EQ(t.id, id);
    }
    DialogTemplate t;
    QString error;
    EXPECT_FALSE(DialogTemplate::load(4711, &t, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("4711")));
}

} // namespace
