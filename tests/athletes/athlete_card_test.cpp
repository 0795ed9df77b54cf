// The athlete card driven as a user drives it: states, Confirm, Delete, keys,
// the gear calculator and its settings.
#include "athletes_fixture.h"

#include "athletes/GearPicture.h"

#include <QSlider>

TEST_F(AthletesTest, AthleteCardStates)
{
    AddAthlete(QStringLiteral("A1"));
    AddAthlete(QStringLiteral("A2"));
    frmDatiPers &w = OpenAthletes();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Biker Data"));
    EXPECT_EQ(Counter(), QStringLiteral("1/2"));
    EXPECT_EQ(Buttons(), QStringLiteral("1011"));
    EXPECT_TRUE(Button("cmdModify")->isEnabled());
    EXPECT_TRUE(Txt(0)->isReadOnly());

    w.cmdAdd_Click();
    EXPECT_TRUE(w.AddingNew());
    EXPECT_EQ(Counter(), QStringLiteral("3/3"));
    EXPECT_EQ(Buttons(), QStringLiteral("0100"));
    EXPECT_FALSE(Button("cmdModify")->isEnabled());
    EXPECT_FALSE(Txt(0)->isReadOnly());
    EXPECT_TRUE(w.ccrpDtp1()->isEmpty());   // the birthday may stay empty

    // Keys move nothing while a new athlete is entered.
    for (int key : {Qt::Key_Home, Qt::Key_End, Qt::Key_PageUp, Qt::Key_PageDown})
        Key(Txt(1), key);
    EXPECT_TRUE(w.AddingNew());

    FillAthlete(QStringLiteral("NEW"));
    w.cmdUpdate_Click();
    EXPECT_FALSE(w.AddingNew());
    EXPECT_EQ(w.RecordTotal(), 3);
    EXPECT_EQ(Txt(0)->text(), QStringLiteral("NEW"));
    EXPECT_EQ(Counter(), QStringLiteral("3/3"));
    EXPECT_EQ(Buttons(), QStringLiteral("1011"));
    EXPECT_EQ(Count(QStringLiteral("SELECT * FROM [Dati Personali] WHERE Datanascita IS NULL AND Peso = 60")), 1);

    // Keys: Home, PageUp on the first row does nothing, End, PageDown on the last does nothing.
    Key(Txt(1), Qt::Key_Home);
    EXPECT_EQ(Counter(), QStringLiteral("1/3"));
    Key(Txt(1), Qt::Key_PageUp);
    EXPECT_EQ(Counter(), QStringLiteral("1/3"));
    Key(Txt(1), Qt::Key_PageDown);
    EXPECT_EQ(Counter(), QStringLiteral("2/3"));
    Key(Txt(1), Qt::Key_End);
    Key(Txt(1), Qt::Key_PageDown);
    EXPECT_EQ(Counter(), QStringLiteral("3/3"));
    EXPECT_TRUE(TestSupport::Script().messages().isEmpty());
}

// Confirm Data with any one required field missing (or blanks only) stores
// nothing and keeps the add state; Confirm Changes checks the same.
TEST_F(AthletesTest, ConfirmNeedsEveryField)
{
    frmDatiPers &w = OpenAthletes();
    for (int missing : {0, 1, 2, 4, 5, 6, 7, 8, 9}) {
        w.cmdAdd_Click();
        FillAthlete(QStringLiteral("X"));
        Txt(missing)->setText(missing == 0 ? QStringLiteral("   ") : QString());
        TestSupport::ResetScript();
        w.cmdUpdate_Click();
        EXPECT_EQ(TestSupport::Script().messages(), QStringList{GetLangString(8501)}) << missing;
        EXPECT_TRUE(w.AddingNew());
        EXPECT_EQ(Rows(QStringLiteral("Dati Personali")), 0);
        w.cmdRefresh_Click();
    }
    EXPECT_FALSE(w.AddingNew());
    EXPECT_EQ(Counter(), QStringLiteral("0/0"));
}

TEST_F(AthletesTest, ConfirmChangesStoresEdits)
{
    AddAthlete(QStringLiteral("A1"));
    frmDatiPers &w = OpenAthletes();
    Txt(1)->setText(QStringLiteral("Verdi"));
    w.ccrpDtp1()->SetValue(QDate(1990, 3, 4));
    w.cmdModify_Click();
    EXPECT_EQ(Count(QStringLiteral("SELECT * FROM [Dati Personali] WHERE Cognome = 'Verdi' AND Datanascita = '1990-03-04'")), 1);
    Txt(4)->clear();
    TestSupport::ResetScript();
    w.cmdModify_Click();
    EXPECT_EQ(TestSupport::Script().messages(), QStringList{GetLangString(8501)});
    EXPECT_EQ(Count(QStringLiteral("SELECT * FROM [Dati Personali] WHERE Peso IS NULL")), 0);
}

// The code is the key without regard to case: a code that differs only in
// case is refused on leaving the field, and again by Confirm when it was
// stored meanwhile.
TEST_F(AthletesTest, DuplicateCodeIgnoresCase)
{
    AddAthlete(QStringLiteral("ROSSI"));
    frmDatiPers &w = OpenAthletes();
    w.cmdAdd_Click();
    Txt(0)->setText(QStringLiteral("rossi"));
    Leave(Txt(0));
    EXPECT_EQ(Txt(0)->text(), QString());
    TestSupport::RunQueued();
    EXPECT_EQ(TestSupport::Script().messages(), QStringList{GetLangString(8502)});

    FillAthlete(QStringLiteral("VERDI"));
    CurrentDb->Execute(QStringLiteral("INSERT INTO [Dati Personali] ([IDPersonale]) VALUES ('verdi')"));
    TestSupport::ResetScript();
    w.cmdUpdate_Click();
    EXPECT_EQ(TestSupport::Script().messages(), QStringList{GetLangString(8502)});
    EXPECT_TRUE(w.AddingNew());
    EXPECT_EQ(w.RecordTotal(), 1);
    EXPECT_EQ(Rows(QStringLiteral("Dati Personali")), 2);
}

// A value the database cannot take: the error is shown, the card stays in the
// add state with its total, nothing is stored; corrected, it is stored once.
TEST_F(AthletesTest, StoreFailureKeepsTheCard)
{
    AddAthlete(QStringLiteral("A1"));
    frmDatiPers &w = OpenAthletes();
    w.cmdAdd_Click();
    FillAthlete(QStringLiteral("NEW"));
    Txt(4)->setText(QStringLiteral("heavy"));   // past the field's own check
    w.cmdUpdate_Click();
    ASSERT_EQ(TestSupport::Script().messages().size(), 1);
    EXPECT_TRUE(TestSupport::Script().messages().front().startsWith(QStringLiteral("Error 13")));
    EXPECT_TRUE(w.AddingNew());
    EXPECT_EQ(w.RecordTotal(), 1);
    EXPECT_EQ(Counter(), QStringLiteral("2/2"));
    EXPECT_EQ(Rows(QStringLiteral("Dati Personali")), 1);
    Txt(4)->setText(QStringLiteral("61"));
    w.cmdUpdate_Click();
    EXPECT_EQ(w.RecordTotal(), 2);
    EXPECT_EQ(Count(QStringLiteral("SELECT * FROM [Dati Personali] WHERE IDPersonale = 'NEW'")), 1);
}

TEST_F(AthletesTest, FieldFilters)
{
    frmDatiPers &w = OpenAthletes();
    w.cmdAdd_Click();
    Txt(0)->setFocus();
    Type(Txt(0), QStringLiteral("ABCDEFGHIJKLMNOPQR"));   // 16 typed at most
    EXPECT_EQ(Txt(0)->text(), QStringLiteral("ABCDEFGHIJKLMNOP"));
    Txt(0)->clear();
    Txt(0)->insert(QString(60, QLatin1Char('x')));          // a paste is cut at 50
    EXPECT_EQ(Txt(0)->text().size(), 50);
    Type(Txt(5), QStringLiteral("12a34"));
    EXPECT_EQ(Txt(5)->text(), QStringLiteral("123"));
    Txt(4)->setText(QStringLiteral("7x"));
    Leave(Txt(4));
    EXPECT_EQ(Txt(4)->text(), QString());
    EXPECT_GE(m_beeps, 3);
}

TEST_F(AthletesTest, DeleteLeavesTheLastAthleteAndTakesTheTimes)
{
    for (const char *c : {"A1", "A2", "A3"})
        AddAthlete(QLatin1String(c));
    AddPlace(true, QStringLiteral("Giau"));
    AddTime(true, QStringLiteral("A2"), QStringLiteral("Giau"), QStringLiteral("2026-06-01"));
    frmDatiPers &w = OpenAthletes();
    Key(Txt(1), Qt::Key_PageDown);
    ASSERT_EQ(Txt(0)->text(), QStringLiteral("A2"));

    TestSupport::Script().answers = {Vb::Cancel};
    w.cmdDelete_Click();
    EXPECT_EQ(Rows(QStringLiteral("Dati Personali")), 3);
    EXPECT_EQ(TestSupport::Script().shown.back().style, Vb::OKCancel + Vb::Question + Vb::DefaultButton2);
    EXPECT_EQ(TestSupport::Script().shown.back().text, QStringLiteral("All Rossi Ugo biker data will be deleted."));

    TestSupport::Script().answers = {Vb::OK};
    w.cmdDelete_Click();
    EXPECT_EQ(Txt(0)->text(), QStringLiteral("A3"));
    EXPECT_EQ(Counter(), QStringLiteral("2/2"));
    EXPECT_EQ(Rows(QStringLiteral("Tempi Salita")), 0);

    TestSupport::Script().answers = {Vb::OK, Vb::OK};
    w.cmdDelete_Click();
    w.cmdDelete_Click();
    EXPECT_EQ(Counter(), QStringLiteral("0/0"));
    EXPECT_FALSE(Button("cmdDelete")->isEnabled());
    EXPECT_EQ(Txt(0)->text(), QString());
}

// Closing while a new athlete is entered stores nothing; closing after an
// edit stores the edit as leaving the row would.
TEST_F(AthletesTest, CloseDropsTheNewRowAndKeepsEdits)
{
    AddAthlete(QStringLiteral("A1"));
    frmDatiPers &w = OpenAthletes();
    w.cmdAdd_Click();
    FillAthlete(QStringLiteral("HALF"));
    w.cmdClose_Click();
    m_athletes.reset();
    EXPECT_EQ(Rows(QStringLiteral("Dati Personali")), 1);

    frmDatiPers &again = OpenAthletes();
    Txt(9)->setText(QStringLiteral("4321"));
    again.cmdClose_Click();
    m_athletes.reset();
    EXPECT_EQ(Count(QStringLiteral("SELECT * FROM [Dati Personali] WHERE Kmparziali = 4321")), 1);
}

TEST_F(AthletesTest, GearCalculatorFollowsTheAthlete)
{
    TestSupport::LocaleScope locale(QLocale(QLocale::English, QLocale::UnitedStates));
    AddAthlete(QStringLiteral("A1"), QStringLiteral("Rossi"), 2.1);
    AddAthlete(QStringLiteral("A2"), QStringLiteral("Neri"), QVariant());
    frmDatiPers &w = OpenAthletes();
    EXPECT_EQ(Text("Label3"), QStringLiteral("39"));
    EXPECT_EQ(Text("Label4"), QStringLiteral("16"));
    EXPECT_EQ(Text("Label5"), QStringLiteral("70"));
    EXPECT_EQ(Text("Label8"), QStringLiteral("2.438"));
    EXPECT_EQ(Text("Label6"), QStringLiteral("5.119"));
    EXPECT_EQ(Text("Label7"), QStringLiteral("21.50"));
    EXPECT_EQ(w.Picture1()->front(), 39);
    EXPECT_EQ(w.Picture1()->rear(), 16);
    for (const char *display : {"Label3", "Label4", "Label5", "Label6", "Label7", "Label8"})
        EXPECT_EQ(Control(QLatin1String(display))->font().family(), QStringLiteral("LiquidCrystal")) << display;

    auto *s3 = qobject_cast<QSlider *>(Control(QStringLiteral("Slider3")));
    s3->setValue(s3->minimum());
    EXPECT_EQ(Text("Label5"), QStringLiteral("140"));
    EXPECT_EQ(Text("Label7"), QStringLiteral("43.00"));
    s3->setValue(80);

    // An athlete without a circumference: the chainring stops silently and the
    // old figures stay; the sprocket reports the error.
    Key(Txt(1), Qt::Key_End);
    EXPECT_EQ(Text("Label7"), QStringLiteral("21.50"));
    EXPECT_TRUE(TestSupport::Script().messages().isEmpty());
    qobject_cast<QSlider *>(Control(QStringLiteral("Slider2")))->setValue(17);
    ASSERT_EQ(TestSupport::Script().messages().size(), 1);
    EXPECT_TRUE(TestSupport::Script().messages().front().startsWith(QStringLiteral("Error 13")));
    EXPECT_EQ(Text("Label4"), QStringLiteral("17"));
}

TEST_F(AthletesTest, EmptyTableKeepsTheDisplays)
{
    frmDatiPers &w = OpenAthletes();
    EXPECT_EQ(Counter(), QStringLiteral("0/0"));
    EXPECT_FALSE(Button("cmdDelete")->isEnabled());
    qobject_cast<QSlider *>(Control(QStringLiteral("Slider1")))->setValue(50);
    qobject_cast<QSlider *>(Control(QStringLiteral("Slider3")))->setValue(20);
    for (auto [label, text] : {std::pair{"Label3", "30"}, {"Label4", "16"}, {"Label5", "70"},
                               {"Label6", "-----"}, {"Label7", "-----"}, {"Label8", "-----"}})
        EXPECT_EQ(Text(label), QLatin1String(text)) << label;
    EXPECT_FALSE(w.Picture1()->hasDrawing());
}

// Slider positions are kept over a close and reopen; a stored value that is
// not a whole number keeps the starting position.
TEST_F(AthletesTest, SliderSettings)
{
    AddAthlete(QStringLiteral("A1"));
    OpenAthletes();
    qobject_cast<QSlider *>(Control(QStringLiteral("Slider1")))->setValue(53);
    qobject_cast<QSlider *>(Control(QStringLiteral("Slider2")))->setValue(12);
    qobject_cast<QSlider *>(Control(QStringLiteral("Slider3")))->setValue(60);
    m_athletes->cmdClose_Click();
    m_athletes.reset();
    EXPECT_EQ(GetSetting(AppName, QStringLiteral("frmDatiPers"), QStringLiteral("Slider1")), QStringLiteral("53"));

    SaveSetting(AppName, QStringLiteral("frmDatiPers"), QStringLiteral("Slider2"), QStringLiteral("12.5"));
    OpenAthletes();
    EXPECT_EQ(qobject_cast<QSlider *>(Control(QStringLiteral("Slider1")))->value(), 53);
    EXPECT_EQ(qobject_cast<QSlider *>(Control(QStringLiteral("Slider2")))->value(), 16);
    EXPECT_EQ(qobject_cast<QSlider *>(Control(QStringLiteral("Slider3")))->value(), 60);
    EXPECT_EQ(Text("Label3"), QStringLiteral("53"));
    EXPECT_EQ(Text("Label5"), QStringLiteral("90"));
}
