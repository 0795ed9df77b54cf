// Recordset navigation, find, bookmarks, clones and editing.
#include "dao_fixture.h"

using namespace dao;

namespace {
QStringList column(const RecordsetPtr &rs, const QString &field)
{
    QStringList out;
    if (rs->RecordCount() == 0) return out;
    rs->MoveFirst();
    for (; !rs->EOF_(); rs->MoveNext()) out << rs->Value(field).toString();
    return out;
}
} // namespace

TEST_F(DaoTemplate, NavigationPositionsAndBookmarks)
{
    fill();
    auto rs = db->OpenRecordset("SELECT * FROM CampioniSalite WHERE [IDPercorso]= \"Stelvio\" ORDER BY [DistParz] ASC");
    ASSERT_EQ(rs->RecordCount(), 3);
    EXPECT_FALSE(rs->BOF());
    EXPECT_EQ(rs->AbsolutePosition(), 0);
    EXPECT_DOUBLE_EQ(rs->PercentPosition(), 0.0);
    rs->MoveLast();
    EXPECT_EQ(rs->Value("DistParz").toDouble(), 5.0);
    EXPECT_NEAR(rs->PercentPosition(), 200.0 / 3.0, 1e-9);
    rs->MoveNext();
    EXPECT_TRUE(rs->EOF_());
    EXPECT_JET_ERROR(rs->MoveNext(), JetErr::NoCurrentRecord);
    rs->MovePrevious();
    const QByteArray last = rs->Bookmark();
    rs->MoveFirst();
    rs->MovePrevious();
    EXPECT_TRUE(rs->BOF());
    rs->SetBookmark(last);
    EXPECT_EQ(rs->AbsolutePosition(), 2);
    rs->SetPercentPosition(50);
    EXPECT_EQ(rs->AbsolutePosition(), 1);
    rs->SetAbsolutePosition(0);
    rs->Move(2);
    EXPECT_EQ(rs->Value("Altezza").toInt(), 1000);
    EXPECT_JET_ERROR(rs->SetBookmark(QByteArray("garbage")), JetErr::InvalidBookmark);
    auto other = db->OpenRecordset("CampioniSalite");
    other->MoveFirst();
    EXPECT_JET_ERROR(rs->SetBookmark(other->Bookmark()), JetErr::InvalidBookmark);
}

TEST_F(DaoTemplate, ClonesShareRowsAndBookmarks)
{
    fill();
    auto rs = db->OpenRecordset("Dati Salite", dbOpenDynaset);
    rs->MoveLast();
    auto clone = rs->Clone();
    EXPECT_FALSE(clone->EOF_());
    EXPECT_JET_ERROR(clone->Value(0), JetErr::NoCurrentRecord);
    clone->MoveLast();
    EXPECT_EQ(clone->RecordCount(), 2);
    clone->FindFirst("[IDPercorso] = 'Stelvio'");
    rs->SetBookmark(clone->Bookmark());
    EXPECT_EQ(rs->Value("IDPercorso").toString(), "Stelvio");
    // An edit through the clone is seen by the original.
    clone->Edit();
    clone->SetValue("Regione", "Lombardia");
    clone->Update();
    EXPECT_EQ(rs->Value("Regione").toString(), "Lombardia");
    auto empty = db->OpenRecordset("States")->Clone();
    EXPECT_TRUE(empty->EOF_());
}

TEST_F(DaoTemplate, FindFirstNextLastPrevious)
{
    fill();
    auto rs = db->OpenRecordset("SELECT * FROM [Tempi Salita] ORDER BY Data");
    rs->FindFirst("[IDPersonale] = \"a1\"");
    EXPECT_EQ(rs->Value("Data").toDate(), QDate(2005, 1, 2));
    rs->FindNext("[IDPersonale] = \"a1\"");
    EXPECT_EQ(rs->Value("Data").toDate(), QDate(2005, 6, 1));
    rs->FindLast("[IDPersonale] = 'A1'");
    EXPECT_EQ(rs->Value("Data").toDate(), QDate(2005, 7, 1));
    rs->FindPrevious("[IDPercorso] Like 'stel*'");
    EXPECT_EQ(rs->Value("Data").toDate(), QDate(2005, 6, 1));
    const QByteArray here = rs->Bookmark();
    rs->FindNext("[IDPersonale] = 'Nobody'");
    EXPECT_TRUE(rs->NoMatch());
    EXPECT_EQ(rs->Bookmark(), here);            // position kept on no match
    rs->FindFirst("[Data] > #3/1/2005# AND hour([Tempo]) = 0 AND [Anteriore]= 39");
    EXPECT_FALSE(rs->NoMatch());
    EXPECT_EQ(rs->Value("Data").toDate(), QDate(2005, 6, 1));
    EXPECT_EQ(rs->Value("Tempo").toTime(), QTime(0, 50));
    rs->FindFirst("[Posteriore]= 25");
    EXPECT_EQ(rs->Value("IDPersonale").toString(), "B2");
    EXPECT_JET_ERROR(rs->FindFirst("[Posteriore] = = 1"), JetErr::SyntaxErrorInCriteria);
    EXPECT_JET_ERROR(rs->FindFirst("[IDPercorso]= \"Passo \"X\" \""), JetErr::SyntaxErrorInCriteria);
}

TEST_F(DaoTemplate, DynasetSeesItsOwnChanges)
{
    fill();
    auto rs = db->OpenRecordset("SELECT * FROM CampioniSalite WHERE IDPercorso = 'Mortirolo' ORDER BY DistParz");
    ASSERT_TRUE(rs->Updatable());
    EXPECT_EQ(rs->RecordCount(), 1);
    rs->AddNew();
    EXPECT_EQ(rs->EditMode(), dbEditAdd);
    rs->SetValue("IDPercorso", "Mortirolo");
    rs->SetValue("DistParz", "2.5");            // text from a bound control
    rs->SetValue("Altezza", 1250.4);
    rs->Update();
    EXPECT_EQ(rs->RecordCount(), 2);
    EXPECT_EQ(rs->Value("DistParz").toDouble(), 0.0);   // still on the row current before AddNew
    rs->SetBookmark(rs->LastModified());
    EXPECT_EQ(rs->Value("DistParz").toDouble(), 2.5);
    EXPECT_EQ(rs->Value("Altezza").toInt(), 1250);
    EXPECT_TRUE(rs->Value("Note").isNull());

    rs->Edit();
    rs->SetValue("Note", "Cima");
    rs->Update();
    EXPECT_EQ(db->OpenRecordset("SELECT Note FROM CampioniSalite WHERE DistParz = 2.5 AND IDPercorso = 'Mortirolo'")->Value(0).toString(), "Cima");

    // A failed update keeps the edit open so the user can mend it.
    rs->Edit();
    rs->SetValue("DistParz", 0.0);
    EXPECT_JET_ERROR(rs->Update(), JetErr::DuplicateKey);
    EXPECT_EQ(rs->EditMode(), dbEditInProgress);
    rs->CancelUpdate();
    EXPECT_EQ(rs->Value("DistParz").toDouble(), 2.5);

    rs->Delete();
    EXPECT_JET_ERROR(rs->Value("Note"), JetErr::RecordDeleted);
    EXPECT_EQ(rs->RecordCount(), 1);
    rs->MoveFirst();
    EXPECT_EQ(column(rs, "DistParz"), QStringList({"0"}));
    rs->MoveFirst();
    rs->Edit();
    EXPECT_JET_ERROR(rs->SetValue("Altezza", "high"), 3421);
    rs->CancelUpdate();

    // Snapshots and aggregate queries cannot be edited.
    auto snap = db->OpenRecordset("CampioniSalite", dbOpenSnapshot);
    EXPECT_JET_ERROR(snap->Edit(), JetErr::ReadOnly);
    auto view = db->OpenRecordset("Riepilogo Salite");
    EXPECT_JET_ERROR(view->AddNew(), JetErr::ReadOnly);
}

TEST_F(DaoTemplate, AddingToAnEmptyTableAndRequery)
{
    auto rs = db->OpenRecordset("States", dbOpenDynaset);
    rs->AddNew();
    rs->SetValue("State", "Italia");
    rs->Update();
    EXPECT_EQ(rs->RecordCount(), 1);
    rs->MoveFirst();
    EXPECT_EQ(rs->Value("state").toString(), "Italia");
    db->Execute("INSERT INTO States (State) VALUES ('Francia')");
    EXPECT_EQ(rs->RecordCount(), 1);
    rs->Requery();
    EXPECT_EQ(rs->RecordCount(), 2);
    EXPECT_EQ(rs->AbsolutePosition(), 0);
}

TEST_F(DaoTemplate, MoveListenersSeeEveryPositionChange)
{
    fill();
    auto rs = db->OpenRecordset("Dati Salite");
    QStringList log;
    const int id = rs->AddMoveListener([&] { log << "before"; }, [&] { log << rs->Value(0).toString(); });
    rs->MoveNext();
    rs->SetBookmark(rs->Bookmark());             // the same row still tells the listeners
    rs->FindFirst("IDPercorso = 'Stelvio'");
    EXPECT_EQ(log, QStringList({"before", "Mortirolo", "before", "Mortirolo", "before", "Stelvio"}));
    rs->RemoveMoveListener(id);
    rs->MoveLast();
    EXPECT_EQ(log.size(), 6);
}

TEST_F(DaoTemplate, DatesTimesAndTypesRoundTrip)
{
    fill();
    auto rs = db->OpenRecordset("SELECT * FROM [Dati Personali] WHERE IDPersonale = 'A1'");
    rs->Edit();
    rs->SetValue("Datanascita", QDate(1970, 4, 30));
    rs->SetValue("Peso", "61.5");
    rs->SetValue("Fcmax", "");
    rs->Update();
    EXPECT_EQ(rs->Value("Datanascita").typeId(), QMetaType::QDate);
    EXPECT_EQ(rs->Value("Datanascita").toDate(), QDate(1970, 4, 30));
    EXPECT_DOUBLE_EQ(rs->Value("Peso").toDouble(), 61.5);
    EXPECT_TRUE(rs->Value("Fcmax").isNull());
    auto times = db->OpenRecordset("SELECT Tempo, Data FROM [Tempi Salita] WHERE Data = #01/02/2005#");
    ASSERT_EQ(times->RecordCount(), 1);
    EXPECT_EQ(times->Value("Tempo").typeId(), QMetaType::QTime);
    EXPECT_EQ(times->Value("Tempo").toTime(), QTime(1, 0));
}

// A text field's declared size is what the database takes, counted as it
// counts: a character outside the Basic Multilingual Plane is one.
TEST_F(DaoTemplate, FieldsTellATextFieldsDeclaredSize)
{
    fill();
    auto rs = db->OpenRecordset("SELECT IDPersonale, IDPercorso, Note, Data, Tempo, Len(Note) AS Size FROM [Tempi Salita]");
    const QList<FieldInfo> f = rs->Fields();
    ASSERT_EQ(f.size(), 6);
    EXPECT_EQ(f[0].size, 255);
    EXPECT_EQ(f[2].size, 255);
    for (int i : {3, 4, 5})
        EXPECT_EQ(f[i].size, 0) << f[i].name.toStdString();
    auto states = db->OpenRecordset("States", dbOpenDynaset);
    ASSERT_EQ(states->Fields().size(), 1);
    EXPECT_EQ(states->Fields()[0].size, 250);

    const QString face = QString::fromUtf8("\xF0\x9F\x98\x80");   // two UTF-16 units
    states->AddNew();
    states->SetValue("State", face.repeated(250));
    states->Update();
    EXPECT_EQ(db->OpenRecordset("SELECT Len(State) AS n FROM States")->Value("n").toInt(), 250);
    states->AddNew();
    states->SetValue("State", QStringLiteral("x") + face.repeated(250));
    EXPECT_JET_ERROR(states->Update(), JetErr::FieldTooSmall);
}
