// The grid model reads rows as the view needs them, not all when it is set.
#include "dao_fixture.h"
#include "platform/data/RecordsetModel.h"

#include <QApplication>
#include <QScrollBar>
#include <QTableView>

using namespace dao;

namespace {

class RecordsetModelTest : public DaoTemplate {
protected:
    void SetUp() override
    {
        DaoTemplate::SetUp();
        db->ExecuteScript(R"SQL(
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000)
INSERT INTO "Dati Percorsi" (IDPercorso, Lunghezza) SELECT 'R' || printf('%05d', i), i / 4.0 FROM n;
)SQL");
        model.setColumns({{"IDPercorso", "Name"}, {"Lunghezza", "Km"}, {"Nowhere", "Missing"}});
    }
    data::RecordsetModel model;
};

} // namespace

TEST_F(RecordsetModelTest, ReadsABatchWhenSetAndTheRestOnDemand)
{
    auto rs = db->OpenRecordset("SELECT * FROM [Dati Percorsi] ORDER BY IDPercorso", dbOpenDynaset);
    rs->Move(10);
    model.setRecordset(rs);
    const int first = model.rowCount();
    EXPECT_GT(first, 30);        // a screen and more
    EXPECT_LT(first, 3000);      // not every row
    EXPECT_TRUE(model.canFetchMore(QModelIndex()));
    EXPECT_FALSE(model.isAddRow(first));   // no add row while rows remain
    EXPECT_EQ(rs->AbsolutePosition(), 10); // the recordset keeps its place

    int calls = 0;
    while (model.canFetchMore(QModelIndex())) {
        model.fetchMore(QModelIndex());
        ++calls;
    }
    EXPECT_GT(calls, 1);
    ASSERT_EQ(model.storedRows(), 3000);
    EXPECT_EQ(model.rowCount(), 3001);     // the add row comes with the last batch
    EXPECT_TRUE(model.isAddRow(3000));
    EXPECT_EQ(model.value(0, 0).toString(), "R00001");
    EXPECT_EQ(model.value(2999, 0).toString(), "R03000");
    EXPECT_DOUBLE_EQ(model.value(2999, 1).toDouble(), 750.0);
    EXPECT_FALSE(model.value(5, 2).isValid());   // a column the recordset lacks stays empty
    EXPECT_EQ(model.data(model.index(1, 1), Qt::DisplayRole).toString(), "0.5");
}

TEST_F(RecordsetModelTest, AViewScrolledToTheEndReadsEveryRowAndEditsStillSave)
{
    model.setColumns({{"IDPercorso", "Name"}, {"Lunghezza", "Km"}});
    model.setRecordset(db->OpenRecordset("SELECT * FROM [Dati Percorsi] ORDER BY IDPercorso", dbOpenDynaset));
    QTableView view;
    view.setModel(&model);
    view.resize(400, 300);
    view.show();
    for (int k = 0; k < 200 && model.canFetchMore(QModelIndex()); ++k) {
        view.scrollToBottom();
        QApplication::processEvents();
    }
    EXPECT_FALSE(model.canFetchMore(QModelIndex()));
    EXPECT_EQ(model.rowCount(), 3001);

    // A row typed into the add row is stored; a stored row edited far down is saved.
    ASSERT_TRUE(model.setData(model.index(3000, 0), "New", Qt::EditRole));
    ASSERT_TRUE(model.setData(model.index(3000, 1), "2.5", Qt::EditRole));
    ASSERT_TRUE(model.CommitRow());
    ASSERT_TRUE(model.setData(model.index(2500, 1), "99", Qt::EditRole));
    ASSERT_TRUE(model.CommitRow());
    auto check = db->OpenRecordset("SELECT Lunghezza FROM [Dati Percorsi] WHERE IDPercorso IN ('New', 'R02501') ORDER BY IDPercorso");
    EXPECT_DOUBLE_EQ(check->Value(0).toDouble(), 2.5);
    check->MoveNext();
    EXPECT_DOUBLE_EQ(check->Value(0).toDouble(), 99.0);
}

TEST_F(RecordsetModelTest, ColumnValuesCoverRowsNotShownYetAndReadOnlyHasNoAddRow)
{
    model.setRecordset(db->OpenRecordset("SELECT * FROM [Dati Percorsi] ORDER BY IDPercorso", dbOpenSnapshot));
    EXPECT_TRUE(model.canFetchMore(QModelIndex()));
    const QList<QVariant> names = model.columnValues(0);
    ASSERT_EQ(names.size(), 3000);
    EXPECT_EQ(names.back().toString(), "R03000");
    EXPECT_FALSE(model.canFetchMore(QModelIndex()));
    EXPECT_EQ(model.rowCount(), 3000);   // a snapshot is not updatable: no add row

    // An empty result shows only the add row of an updatable source.
    model.setRecordset(db->OpenRecordset("SELECT * FROM [Dati Percorsi] WHERE IDPercorso = 'none'", dbOpenDynaset));
    EXPECT_FALSE(model.canFetchMore(QModelIndex()));
    EXPECT_EQ(model.rowCount(), 1);
    EXPECT_TRUE(model.isAddRow(0));
}

// A date column shows the day as the user writes it, with the whole year and a
// time only when there is one, over a table and through the stored query the
// climb list reads; editing and the raw value keep the stored ISO text.
TEST_F(RecordsetModelTest, DatesShowInTheUsersFormAndEditAsStored)
{
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    db->ExecuteScript(R"SQL(
INSERT INTO "Dati Personali" (IDPersonale) VALUES ('MR01');
INSERT INTO "Dati Salite" (IDPercorso, Lunghezza, Quotainiziale, Quotafinale) VALUES ('Rolle', 20.5, 1000, 1980);
INSERT INTO "Tempi Salita" (IDPersonale, IDPercorso, Data, Tempo) VALUES ('MR01', 'Rolle', '2026-12-10', '01:25:30');
INSERT INTO "Tempi Salita" (IDPersonale, IDPercorso, Data, Tempo) VALUES ('MR01', 'Rolle', '2026-03-04 08:30:00', '01:20:00');
)SQL");
    struct Case {
        const char *sql;
    } cases[] = {{"SELECT * FROM [Tempi Salita] ORDER BY Data"}, {"SELECT * FROM [Riepilogo Salite] ORDER BY Data"}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.sql);
        data::RecordsetModel dates;
        dates.setColumns({{"IDPercorso", "Climb"}, {"Data", "Date"}});
        dates.setRecordset(db->OpenRecordset(c.sql, dbOpenSnapshot));
        ASSERT_GE(dates.rowCount(), 2);
        EXPECT_EQ(dates.index(0, 1).data().toString(), QStringLiteral("04/03/2026 08:30"));
        EXPECT_EQ(dates.index(1, 1).data().toString(), QStringLiteral("10/12/2026"));
        EXPECT_EQ(dates.index(1, 1).data(Qt::EditRole).toString(), QStringLiteral("2026-12-10"));
        EXPECT_EQ(dates.value(1, 1).toString(), QStringLiteral("2026-12-10"));
        EXPECT_EQ(dates.index(1, 0).data().toString(), QStringLiteral("Rolle"));
    }
    QLocale::setDefault(before);
}
