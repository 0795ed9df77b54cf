// The date picker alone and bound to a date field: a null date shows empty, an
// emptied picker stores null, and days are kept as ISO text in the file.
#include "TestSupport.h"
#include "platform/dao/Dao.h"
#include "platform/data/DataControl.h"
#include "platform/data/DatePicker.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QTemporaryDir>

TEST(DatePicker, EmptyValueAndTypedDays)
{
    data::DatePicker p;
    EXPECT_TRUE(p.isEmpty());
    EXPECT_FALSE(p.Value().isValid());
    EXPECT_EQ(p.isoText(), QString());

    p.SetValue(QDate(2026, 12, 10));
    EXPECT_EQ(p.Value().toDate(), QDate(2026, 12, 10));
    EXPECT_EQ(p.isoText(), QStringLiteral("2026-12-10"));
    EXPECT_TRUE(p.dateEdit()->isEnabled());

    // Unticking empties the field; ticking again starts from today.
    p.checkBox()->setChecked(false);
    EXPECT_TRUE(p.isEmpty());
    EXPECT_FALSE(p.dateEdit()->isEnabled());
    p.checkBox()->setChecked(true);
    EXPECT_EQ(p.date(), QDate::currentDate());

    p.setIsoText(QStringLiteral("1999-02-28T00:00:00"));
    EXPECT_EQ(p.date(), QDate(1999, 2, 28));
    p.setIsoText(QStringLiteral("not a date"));
    EXPECT_TRUE(p.isEmpty());
}

TEST(DatePicker, BoundToADateField)
{
    QTemporaryDir dir;
    dao::DatabasePtr db = dao::CreateDatabase(dir.filePath(QStringLiteral("d.db")), dao::DefaultConnect());
    db->Execute(QStringLiteral("CREATE TABLE T (Name TEXT, Born DATE)"));
    db->Execute(QStringLiteral("INSERT INTO T (Name, Born) VALUES ('a', '1980-05-17'), ('b', NULL)"));
    data::DataControl ctl;
    QLineEdit name;
    data::DatePicker born;
    ctl.setDatabase(db);
    ctl.setRecordSource(QStringLiteral("SELECT * FROM T ORDER BY Name"));
    ctl.bind(&name, QStringLiteral("Name"));
    ctl.bind(&born, QStringLiteral("Born"));
    ctl.Refresh();
    EXPECT_EQ(born.date(), QDate(1980, 5, 17));
    EXPECT_FALSE(ctl.dataChanged());

    ctl.MoveNext();
    EXPECT_TRUE(born.isEmpty());
    EXPECT_FALSE(ctl.dataChanged());

    // A day picked on the empty row is stored as ISO text; emptying the first stores null.
    born.SetValue(QDate(2001, 1, 2));
    EXPECT_TRUE(ctl.dataChanged());
    ctl.MoveFirst();
    born.SetValue(QVariant());
    ctl.UpdateRecord();
    auto stored = [&](const char *who) {
        dao::RecordsetPtr rs = db->OpenRecordset(
            QStringLiteral("SELECT typeof(Born) AS k, Born FROM T WHERE Name = ?"), dao::dbOpenSnapshot, 0,
            {QString::fromLatin1(who)});
        const QString s = rs->Value(0).toString() + QLatin1Char(' ') + rs->Value(1).toString();
        rs->Close();
        return s;
    };
    EXPECT_EQ(stored("b"), QStringLiteral("text 2001-01-02"));
    EXPECT_EQ(stored("a"), QStringLiteral("null "));
    db->Close();
}

// A field shown and read through a format of its own: a time of day in a
// 12-hour form is stored as the time it reads as.
TEST(DataControlFormat, TextFormatShowsAndStores)
{
    QTemporaryDir dir;
    dao::DatabasePtr db = dao::CreateDatabase(dir.filePath(QStringLiteral("d.db")), dao::DefaultConnect());
    db->Execute(QStringLiteral("CREATE TABLE T (Tempo TIME)"));
    db->Execute(QStringLiteral("INSERT INTO T (Tempo) VALUES ('13:05:00')"));
    data::DataControl ctl;
    QLineEdit time;
    data::TextFormat f;
    f.toText = [](const QVariant &v) { return v.toTime().toString(QStringLiteral("h:mm:ss AP")); };
    f.toValue = [](const QString &t) -> QVariant { return QTime::fromString(t, QStringLiteral("h:mm:ss AP")); };
    ctl.setDatabase(db);
    ctl.setRecordSource(QStringLiteral("T"));
    ctl.bind(&time, QStringLiteral("Tempo"), f);
    ctl.Refresh();
    EXPECT_EQ(time.text(), QStringLiteral("1:05:00 PM"));
    time.setText(QStringLiteral("2:00:30 AM"));
    ctl.UpdateRecord();
    dao::RecordsetPtr rs = db->OpenRecordset(QStringLiteral("SELECT Tempo FROM T"), dao::dbOpenSnapshot);
    EXPECT_EQ(rs->Value(0).toTime(), QTime(2, 0, 30));
    rs->Close();
    db->Close();
}
