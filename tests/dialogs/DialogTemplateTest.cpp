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

TEST(DialogTemplate, MainDialogHasItsControlsAtTheirPlaces)
{
    DialogTemplate t;
    ASSERT_TRUE(DialogTemplate::load(102, &t, nullptr));
    EXPECT_EQ(t.size, QSize(485, 547));
    EXPECT_EQ(t.fontFace, QStringLiteral("宋体"));
    EXPECT_EQ(t.fontPointSize, 14);
    struct Expected
    {
        int id;
        ControlTemplate::Kind kind;
        QPoint topLeft;
    };
    const Expected expected[] = {
        {1000, ControlTemplate::Kind::Picture, {16, 6}},
        {1003, ControlTemplate::Kind::ListView, {16, 30}},
        {1001, ControlTemplate::Kind::Picture, {16, 187}},
        {1012, ControlTemplate::Kind::Edit, {77, 209}},
        {1014, ControlTemplate::Kind::Combo, {238, 209}},
        {1024, ControlTemplate::Kind::Date, {79, 257}},
        {1027, ControlTemplate::Kind::Static, {40, 275}},
        {1029, ControlTemplate::Kind::Button, {25, 316}},
        {1008, ControlTemplate::Kind::MultilineEdit, {45, 336}},
        {220, ControlTemplate::Kind::EtchedLine, {346, 14}},
        {594, ControlTemplate::Kind::Picture, {362, 168}},
        {1153, ControlTemplate::Kind::HoverButton, {366, 38}},
        {1007, ControlTemplate::Kind::ScrollBar, {474, 0}},
    };
    for (const Expected& e : expected) {
        const ControlTemplate* c = t.control(e.id);
        ASSERT_NE(c, nullptr) << e.id;
        EXPECT_EQ(c->kind, e.kind) << e.id;
        EXPECT_EQ(c->rect.topLeft(), e.topLeft) << e.id;
    }
    EXPECT_EQ(t.control(1008)->rect.size(), QSize(248, 185));
    EXPECT_EQ(t.control(1014)->items, (QStringList{QStringLiteral("男"), QStringLiteral("女")}));
    for (int id : {1018, 1020, 1022, 1028}) {
        EXPECT_TRUE(t.control(id)->hasStyle(QStringLiteral("sort"))) << id;
    }
}

} // namespace
