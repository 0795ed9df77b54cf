// The athlete lists' SQL run on a small database: the rows each text gives.
#include "athletes_fixture.h"
#include "athletes/logic/AthleteLists.h"
#include "core/TimeFormat.h"

using namespace AthleteLists;

class AthleteListsDb : public AthletesTest {
protected:
    QStringList Column(const QString &sql, const QString &field)
    {
        QStringList out;
        dao::RecordsetPtr rs = CurrentDb->OpenRecordset(sql, dao::dbOpenSnapshot);
        while (!rs->AtEOF()) {
            out << rs->Value(field).toString();
            rs->MoveNext();
        }
        rs->Close();
        return out;
    }
};

TEST_F(AthleteListsDb, ListsFilterAndStatistics)
{
    // An athlete coded like the column must list only his own times.
    for (const char *code : {"IDPersonale", "A'1", "B"})
        AddAthlete(QString::fromUtf8(code));
    AddPlace(false, QStringLiteral("Giro"));
    AddPlace(false, QStringLiteral("Lago"));
    AddTime(false, QStringLiteral("IDPersonale"), QStringLiteral("Giro"), QStringLiteral("2004-03-01"), QStringLiteral("01:00:00"));
    AddTime(false, QStringLiteral("IDPersonale"), QStringLiteral("Lago"), QStringLiteral("2004-02-29"), QStringLiteral("00:30:00"));
    AddTime(false, QStringLiteral("B"), QStringLiteral("Giro"), QStringLiteral("2004-03-01"));

    const QString list = AthleteLists::ListSql(Kind::Trainings, QStringLiteral("IDPersonale"));
    EXPECT_EQ(Count(list), 2);
    EXPECT_EQ(Count(AthleteLists::ListSql(Kind::Trainings, QStringLiteral("A'1"))), 0);

    const QLocale en(QLocale::English, QLocale::UnitedStates);
    const Stats st = ComputeStats(CurrentDb, Kind::Trainings, list, en);
    EXPECT_EQ(st.count, QStringLiteral("2"));
    EXPECT_EQ(st.km, QStringLiteral("20.00"));               // two routes of 10 km
    EXPECT_EQ(st.avgTime, FormatSeconds(2700));              // (3600 + 1800) / 2
    EXPECT_EQ(st.kmh, QStringLiteral("15.00"));              // (10 + 20) / 2
    const Stats none = ComputeStats(CurrentDb, Kind::Trainings, AthleteLists::ListSql(Kind::Trainings, QStringLiteral("A'1")), en);
    EXPECT_EQ(none.count, QStringLiteral("0"));
    EXPECT_EQ(none.avgTime, FormatSeconds(0));

    // Typed filters: text, date, time; the boundary day of the date filter is kept.
    EXPECT_EQ(Column(list + FilterCondition(QStringLiteral("IDPercorso"), QStringLiteral("Lago")), QStringLiteral("IDPercorso")),
              QStringList{QStringLiteral("Lago")});
    EXPECT_EQ(Count(list + FilterCondition(QStringLiteral("Data"), QDate(2004, 3, 1))), 1);
    EXPECT_EQ(Count(list + FilterCondition(QStringLiteral("Tempo"), QTime(0, 30))), 1);
    EXPECT_EQ(Count(list + FilterCondition(QStringLiteral("Potenza"), QVariant())), 0);
    EXPECT_EQ(Count(list + DateCondition(QStringLiteral(">="), QDate(2004, 3, 1))), 1);
    EXPECT_EQ(Count(list + DateCondition(QStringLiteral(">="), QDate(2004, 2, 29))
                    + DateCondition(QStringLiteral("<="), QDate(2004, 2, 29))), 1);
    EXPECT_EQ(Column(list + HeadClickSortClause(QStringLiteral("Tempo"), true), QStringLiteral("IDPercorso")),
              (QStringList{QStringLiteral("Giro"), QStringLiteral("Lago")}));
    EXPECT_EQ(Count(PrintSql(Kind::Trainings, list + SortClause(QStringLiteral("Tempo"), true))), 2);
}

TEST_F(AthleteListsDb, RankingKeepsEachAthletesBestWithTies)
{
    AddAthlete(QStringLiteral("A"));
    AddAthlete(QStringLiteral("B"));
    AddAthlete(QStringLiteral("C"));
    const QString climb = QStringLiteral("Col \"X\" d'Y");
    AddPlace(true, climb);
    AddPlace(true, QStringLiteral("Other"));
    AddTime(true, QStringLiteral("A"), climb, QStringLiteral("2004-01-01"), QStringLiteral("10:00:00"));
    AddTime(true, QStringLiteral("A"), climb, QStringLiteral("2004-01-02"), QStringLiteral("10:00:00"));
    AddTime(true, QStringLiteral("A"), climb, QStringLiteral("2004-01-03"), QStringLiteral("11:00:00"));
    AddTime(true, QStringLiteral("B"), climb, QStringLiteral("2004-01-01"), QStringLiteral("09:05:00"));
    AddTime(true, QStringLiteral("C"), QStringLiteral("Other"), QStringLiteral("2004-01-01"), QStringLiteral("08:00:00"));

    EXPECT_EQ(Column(RankingSql(climb), QStringLiteral("IDPersonale")),
              (QStringList{QStringLiteral("B"), QStringLiteral("A"), QStringLiteral("A")}));
    EXPECT_EQ(Count(RankingSql(QStringLiteral("Nobody here"))), 0);
    dao::RecordsetPtr rs = CurrentDb->OpenRecordset(RankingPrintSql(climb), dao::dbOpenSnapshot);
    // The print takes its column headings from these names.
    QStringList names;
    for (int i = 0; i < rs->FieldCount(); ++i)
        names << rs->FieldName(i);
    EXPECT_EQ(names, (QStringList{QStringLiteral("Codice Personale"), QStringLiteral("Data"),
                                  QStringLiteral("Miglior Tempo"), QStringLiteral("Vam"), QStringLiteral("Velocità"),
                                  QStringLiteral("Anteriore"), QStringLiteral("Posteriore")}));
    EXPECT_EQ(rs->RecordCount(), 3);
    rs->Close();
}
