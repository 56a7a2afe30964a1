#pragma once

#include "EditorDriving.h"
#include "ModalDriver.h"
#include "RecordingNotifier.h"
#include "TempLibrary.h"
#include "store/CDbVisit.h"
#include "store/RecordSet.h"
#include "ui/library/CAddXxxDlg.h"
#include "ui/library/CBasicdatasetDlg.h"
#include "ui/library/CModXxxDlg.h"
#include "ui/library/LibraryConfiguration.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <memory>

// A browser on a private copy of the delivered library, shown for real (offscreen), with every
// notice recorded. Editors opened by the browser are driven with whenModal().
class BrowserFixture : public ::testing::Test
{
protected:
    struct Row
    {
        qint32 itemId = 0;
        qint32 upId = 0;
        QString item1, item3, item8;
    };

    void SetUp() override
    {
        ASSERT_TRUE(library.isValid());
        db.m_pConnection = db.ConnectAccessDb(library.path(), CDbVisit::kPassword);
        ASSERT_TRUE(db.m_pConnection);
    }

    void open(const LibraryConfiguration& config)
    {
        browser = std::make_unique<CBasicdatasetDlg>(db);
        config.applyTo(*browser);
        browser->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(browser.get()));
    }

    QTreeWidget* tree() const { return child<QTreeWidget>(browser.get(), 527); }
    QPlainTextEdit* preview() const { return child<QPlainTextEdit>(browser.get(), 529); }
    QPushButton* button(int id) const { return child<QPushButton>(browser.get(), id); }
    void clickAdd() { QTest::mouseClick(button(1070), Qt::LeftButton); }
    void clickModify() { QTest::mouseClick(button(1071), Qt::LeftButton); }
    void clickDelete() { QTest::mouseClick(button(1072), Qt::LeftButton); }

    QStringList treeLabels() const
    {
        QStringList labels;
        for (int i = 0; i < tree()->topLevelItemCount(); ++i) {
            labels.append(tree()->topLevelItem(i)->text(0));
        }
        return labels;
    }

    void select(const QString& label)
    {
        ASSERT_TRUE(clickTreeRow(tree(), label)) << "no row " << label.toStdString();
    }

    // The table's rows as the database holds them, in itemid order.
    QList<Row> rows(const QString& table)
    {
        QList<Row> result;
        auto records = db.ExecuteSql("select * from " + table + " order by itemid");
        for (; records && !records->isEof(); records->moveNext()) {
            result.append({records->collectInt("itemid"), records->collectInt("upid"),
                           records->collect("item1"), records->collect("item3"),
                           records->collect("item8")});
        }
        return result;
    }
    Row row(const QString& table, qint32 itemId)
    {
        for (const Row& r : rows(table)) {
            if (r.itemId == itemId) {
                return r;
            }
        }
        return {};
    }
    // The names of the entries the browser should list: upid 0, itemid order.
    QStringList topLevelNames(const QString& table)
    {
        QStringList names;
        for (const Row& r : rows(table)) {
            if (r.upId == 0) {
                names.append(r.item3);
            }
        }
        return names;
    }
    qint32 idOf(const QString& table, const QString& name)
    {
        for (const Row& r : rows(table)) {
            if (r.item3 == name) {
                return r.itemId;
            }
        }
        return -1;
    }

    RecordingNotifier notes;
    TempLibrary library;
    CDbVisit db;
    std::unique_ptr<CBasicdatasetDlg> browser;
};
