// The training-time and climb-time cards, each test run on both twins.
#include "athletes_fixture.h"

#include "RealDialogs.h"

#include <QClipboard>
#include <QPlainTextEdit>
#include <QTest>
#include <QToolButton>

class TimeCardTest : public AthletesTest, public ::testing::WithParamInterface<bool> {
protected:
    bool climb() const { return GetParam(); }
    QString table() const { return climb() ? QStringLiteral("Tempi Salita") : QStringLiteral("Tempi Allenamento"); }
    int text(int offset) const { return (climb() ? 26000 : 25000) + offset; }
    void Seed()
    {
        AddAthlete(QStringLiteral("ROSSI"));
        AddAthlete(QStringLiteral("VERDI"));
        AddPlace(climb(), QStringLiteral("Giau"));
        AddPlace(climb(), QStringLiteral("Stelvio"));
    }
    // Stores two times of ROSSI afresh (Giau with a time, Stelvio without)
    // and opens the card, active, on them.
    TimeCard &OpenWithTwoStoredTimes()
    {
        CurrentDb->Execute(QStringLiteral("DELETE FROM [%1]").arg(table()), 0, {});
        AddTime(climb(), QStringLiteral("ROSSI"), QStringLiteral("Giau"), QStringLiteral("2026-05-01"),
                QStringLiteral("01:20:00"));
        AddTime(climb(), QStringLiteral("ROSSI"), QStringLiteral("Stelvio"), QStringLiteral("2026-06-01"));
        TimeCard &w = OpenTimes(climb());
        QApplication::setActiveWindow(&w);
        return w;
    }
    // Fills a complete new time.
    void Fill()
    {
        Combo("cmbIDPers")->setCurrentIndex(Combo("cmbIDPers")->findText(QStringLiteral("VERDI")));
        Combo("cmbIDPercorso")->setCurrentIndex(Combo("cmbIDPercorso")->findText(QStringLiteral("Stelvio")));
        Txt(3)->setText(QStringLiteral("01:02:03"));
        if (climb()) {
            Txt(4)->setText(QStringLiteral("39"));
            Txt(5)->setText(QStringLiteral("25"));
        }
    }
};

TEST_P(TimeCardTest, StatesConfirmAndKeys)
{
    Seed();
    AddTime(climb(), QStringLiteral("ROSSI"), QStringLiteral("Giau"), QStringLiteral("2026-05-01"));
    AddTime(climb(), QStringLiteral("ROSSI"), QStringLiteral("Stelvio"), QStringLiteral("2026-06-01"));
    TimeCard &w = OpenTimes(climb());
    EXPECT_EQ(w.windowTitle(), GetLangString(text(0)));
    EXPECT_EQ(Combo("cmbIDPers")->count(), 2);
    EXPECT_EQ(Combo("cmbIDPercorso")->count(), 2);
    EXPECT_EQ(Counter(), QStringLiteral("1/2"));
    EXPECT_EQ(Buttons(), QStringLiteral("1011"));
    EXPECT_EQ(Combo("cmbIDPers")->currentText(), QStringLiteral("ROSSI"));
    EXPECT_EQ(Txt(3)->text(), FormatTimeOfDay(QTime(1, 0)));
    // While browsing the athlete and the place cannot be changed.
    EXPECT_FALSE(Combo("cmbIDPers")->isEnabled());
    EXPECT_FALSE(Combo("cmbIDPercorso")->isEnabled());

    w.cmdAdd_Click();
    EXPECT_EQ(Counter(), QStringLiteral("3/3"));
    EXPECT_EQ(Buttons(), QStringLiteral("0100"));
    EXPECT_TRUE(Combo("cmbIDPers")->isEnabled());
    EXPECT_EQ(Combo("cmbIDPers")->currentText(), GetLangString(text(501)));
    EXPECT_EQ(w.ccrpDtp1()->date(), QDate::currentDate());
    Key(Txt(3), Qt::Key_Home);
    EXPECT_TRUE(w.AddingNew());

    Fill();
    w.cmdUpdate_Click();
    EXPECT_TRUE(TestSupport::Script().messages().isEmpty());
    EXPECT_FALSE(w.AddingNew());
    EXPECT_EQ(w.RecordTotal(), 3);
    EXPECT_EQ(Counter(), QStringLiteral("3/3"));
    EXPECT_EQ(Buttons(), QStringLiteral("1011"));
    EXPECT_EQ(Count(QStringLiteral("SELECT * FROM [%1] WHERE IDPersonale = 'VERDI' AND IDPercorso = 'Stelvio' "
                                   "AND Tempo = '01:02:03' AND Data = ?").arg(table()),
                    {QDate::currentDate().toString(Qt::ISODate)}),
              1);

    Key(Txt(3), Qt::Key_Home);
    EXPECT_EQ(Counter(), QStringLiteral("1/3"));
    Key(Txt(3), Qt::Key_PageDown);
    EXPECT_EQ(Counter(), QStringLiteral("2/3"));
    Key(Txt(3), Qt::Key_End);
    EXPECT_EQ(Counter(), QStringLiteral("3/3"));
}

// Each required field missing in turn: the message, nothing stored, still adding.
TEST_P(TimeCardTest, ConfirmRefusesAnIncompleteTime)
{
    Seed();
    TimeCard &w = OpenTimes(climb());
    EXPECT_EQ(Counter(), QStringLiteral("0/0"));
    QList<std::function<void()>> breaks = {
        [&] { Combo("cmbIDPers")->setEditText(GetLangString(text(501))); },
        [&] { Combo("cmbIDPercorso")->setEditText(QStringLiteral("stelvio")); },   // not as listed
        [&] { Txt(3)->clear(); }};
    if (climb()) {
        breaks << [&] { Txt(4)->clear(); } << [&] { Txt(5)->clear(); };
    }
    for (int i = 0; i < breaks.size(); ++i) {
        w.cmdAdd_Click();
        Fill();
        breaks[i]();
        TestSupport::ResetScript();
        w.cmdUpdate_Click();
        EXPECT_EQ(TestSupport::Script().messages(), QStringList{GetLangString(text(504))}) << i;
        EXPECT_EQ(TestSupport::Script().shown.front().style, Vb::Information);
        EXPECT_TRUE(w.AddingNew());
        EXPECT_EQ(Rows(table()), 0);
        // Refresh leaves the add state and drops the new row.
        w.cmdRefresh_Click();
        EXPECT_FALSE(w.AddingNew());
        EXPECT_EQ(Counter(), QStringLiteral("0/0"));
    }
    EXPECT_EQ(Rows(table()), 0);
}

TEST_P(TimeCardTest, ListsAcceptOnlyListedNames)
{
    Seed();
    TimeCard &w = OpenTimes(climb());
    w.cmdAdd_Click();
    Combo("cmbIDPers")->setEditText(QStringLiteral("rossi"));
    Leave(Combo("cmbIDPers")->lineEdit());
    EXPECT_EQ(Combo("cmbIDPers")->currentText(), GetLangString(text(501)));
    Combo("cmbIDPers")->setEditText(QStringLiteral("ROSSI"));
    Leave(Combo("cmbIDPers")->lineEdit());
    EXPECT_EQ(Combo("cmbIDPers")->currentText(), QStringLiteral("ROSSI"));

    // A new time: the down arrow in a list that says "(Select from list)"
    // picks its first name, then the next one.
    w.cmdRefresh_Click();
    w.cmdAdd_Click();
    ASSERT_EQ(Combo("cmbIDPercorso")->currentText(), GetLangString(text(501)));
    Key(Combo("cmbIDPercorso"), Qt::Key_Down);
    EXPECT_EQ(Combo("cmbIDPercorso")->currentText(), QStringLiteral("Giau"));
    Key(Combo("cmbIDPercorso"), Qt::Key_Down);
    EXPECT_EQ(Combo("cmbIDPercorso")->currentText(), QStringLiteral("Stelvio"));
}

TEST_P(TimeCardTest, TimeAndGearFields)
{
    Seed();
    TimeCard &w = OpenTimes(climb());
    w.cmdAdd_Click();
    QLineEdit *time = Txt(3);
    for (auto [locale, typed, shown] :
         {std::tuple{QLocale(QLocale::German, QLocale::Germany), "1:2:3", "01:02:03"},
          std::tuple{QLocale(QLocale::English, QLocale::UnitedStates), "1:2:3", "1:02:03\u202fAM"},
          std::tuple{QLocale(QLocale::English, QLocale::UnitedStates), "13:05", "1:05:00\u202fPM"},
          std::tuple{QLocale(QLocale::German, QLocale::Germany), "25:00", ""}}) {
        TestSupport::LocaleScope scope(locale);
        time->setText(QString::fromUtf8(typed));
        Leave(time);
        // Qt writes the 12-hour mark after a narrow or a plain blank, by version.
        EXPECT_EQ(time->text().replace(QChar(0x202F), QLatin1Char(' ')),
                  QString::fromUtf8(shown).replace(QChar(0x202F), QLatin1Char(' ')))
            << typed;
    }
    time->clear();
    Type(time, QStringLiteral("12:34:567"));   // a ninth character is refused
    EXPECT_EQ(time->text(), QStringLiteral("12:34:56"));

    if (climb()) {
        Type(Txt(4), QStringLiteral("393"));
        EXPECT_EQ(Txt(4)->text(), QStringLiteral("39"));
        Type(Txt(5), QStringLiteral("x2"));
        EXPECT_EQ(Txt(5)->text(), QStringLiteral("2"));
    }

    // A time typed under a 12-hour locale is stored as the time it reads as.
    TestSupport::LocaleScope scope(QLocale(QLocale::English, QLocale::UnitedStates));
    Fill();
    time->setText(QStringLiteral("1:02:03 PM"));
    Leave(time);
    w.cmdUpdate_Click();
    EXPECT_TRUE(TestSupport::Script().messages().isEmpty()) << TestSupport::Script().messages().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(Count(QStringLiteral("SELECT * FROM [%1] WHERE Tempo = '13:02:03'").arg(table())), 1);
}

// Edits of a stored time are written when the card moves on; its athlete and
// place stay as they are.
TEST_P(TimeCardTest, EditsOfAStoredTime)
{
    Seed();
    AddTime(climb(), QStringLiteral("ROSSI"), QStringLiteral("Giau"), QStringLiteral("2026-05-01"));
    AddTime(climb(), QStringLiteral("VERDI"), QStringLiteral("Giau"), QStringLiteral("2026-06-01"));
    TimeCard &w = OpenTimes(climb());
    w.cmdDesc_Click();
    EXPECT_TRUE(Control(QStringLiteral("txtDesc"))->isVisible());
    EXPECT_EQ(Button("cmdDesc")->text(), GetLangString(text(503)));
    qobject_cast<QPlainTextEdit *>(Control(QStringLiteral("txtDesc")))->setPlainText(QStringLiteral("wet road"));
    Txt(3)->setText(QStringLiteral("02:00:00"));
    Key(Txt(3), Qt::Key_PageDown);
    EXPECT_EQ(Count(QStringLiteral("SELECT * FROM [%1] WHERE IDPersonale = 'ROSSI' AND Note = 'wet road' "
                                   "AND Tempo = '02:00:00'").arg(table())),
              1);
    w.cmdDesc_Click();
    EXPECT_EQ(Button("cmdDesc")->text(), GetLangString(text(502)));
}

TEST_P(TimeCardTest, DeleteLeavesTheLastRow)
{
    Seed();
    for (const char *d : {"2026-01-01", "2026-02-01", "2026-03-01"})
        AddTime(climb(), QStringLiteral("ROSSI"), QStringLiteral("Giau"), QLatin1String(d));
    TimeCard &w = OpenTimes(climb());
    Key(Txt(3), Qt::Key_PageDown);
    TestSupport::Script().answers = {Vb::Cancel};
    w.cmdDelete_Click();
    EXPECT_EQ(TestSupport::Script().messages(), QStringList{GetLangString(text(500))});
    EXPECT_EQ(Rows(table()), 3);
    TestSupport::Script().answers = {Vb::OK};
    w.cmdDelete_Click();
    EXPECT_EQ(Counter(), QStringLiteral("2/2"));
    EXPECT_EQ(w.ccrpDtp1()->date(), QDate(2026, 3, 1));
    TestSupport::Script().answers = {Vb::OK, Vb::OK};
    w.cmdDelete_Click();
    w.cmdDelete_Click();
    EXPECT_EQ(Counter(), QStringLiteral("0/0"));
    EXPECT_FALSE(Button("cmdDelete")->isEnabled());
    EXPECT_EQ(Rows(table()), 0);
}

// A database refusal while storing is shown; the card keeps its state and total.
TEST_P(TimeCardTest, StoreFailureKeepsTheCard)
{
    Seed();
    TimeCard &w = OpenTimes(climb());
    w.cmdAdd_Click();
    Fill();
    // The athlete goes meanwhile: the relation refuses the new time.
    CurrentDb->Execute(QStringLiteral("DELETE FROM [Dati Personali] WHERE IDPersonale = 'VERDI'"));
    w.cmdUpdate_Click();
    ASSERT_EQ(TestSupport::Script().messages().size(), 1);
    EXPECT_TRUE(TestSupport::Script().messages().front().startsWith(QStringLiteral("Error ")));
    EXPECT_TRUE(w.AddingNew());
    EXPECT_EQ(w.RecordTotal(), 0);
    EXPECT_EQ(Rows(table()), 0);
    // Closing in the add state stores nothing either.
    w.cmdClose_Click();
    m_times.reset();
    EXPECT_EQ(Rows(table()), 0);
    EXPECT_FALSE(AthletesRs);
}

// A time or gear the field refuses, or an emptied one, never replaces what a
// stored row holds, however the user moves on: the field shows the stored
// value again and one message, a real box closed by a key, says why.
TEST_P(TimeCardTest, ARefusedValueNeverReplacesTheStoredOne)
{
    enum class Then { Next, PageDown, Refresh, Close, Moved };
    struct Case {
        const char *name;
        int field;           // 3 time, 4 chainring
        const char *typed;   // "" empties the field
        bool tab;            // leaves the field with Tab first
        Then then;
    };
    const Case cases[] = {
        {"25:00 Tab, next arrow", 3, "25:00:00", true, Then::Next},
        {"25:00 Tab, Refresh", 3, "25:00:00", true, Then::Refresh},
        {"25:00 Tab, Close", 3, "25:00:00", true, Then::Close},
        {"25:00, next arrow", 3, "25:00:00", false, Then::Next},
        {"25:00, Page Down", 3, "25:00:00", false, Then::PageDown},
        {"25:00, Close", 3, "25:00:00", false, Then::Close},
        {"25:00, other code moves the records", 3, "25:00:00", false, Then::Moved},
        {"emptied Tab, Page Down", 3, "", true, Then::PageDown},
        {"emptied, Close", 3, "", false, Then::Close},
        {"gear emptied Tab, next arrow", 4, "", true, Then::Next},
        {"gear emptied, Page Down", 4, "", false, Then::PageDown},
        {"gear emptied, Close", 4, "", false, Then::Close},
    };
    Seed();
    for (const Case &c : cases) {
        if (c.field == 4 && !climb())
            continue;
        SCOPED_TRACE(c.name);
        TimeCard &w = OpenWithTwoStoredTimes();
        QLineEdit *field = Txt(c.field);
        const QString stored = field->text();
        ASSERT_FALSE(stored.isEmpty());
        field->setFocus();
        ASSERT_TRUE(field->hasFocus());

        TestSupport::RealMessageBoxes boxes(TestSupport::CloseBy::Escape);
        QString shownBehindBox;
        boxes.onShown = [&] { shownBehindBox = field->text(); };
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);   // select the stored value
        if (*c.typed)
            QTest::keyClicks(field, QLatin1String(c.typed));
        else
            QTest::keyClick(field, Qt::Key_Backspace);
        if (c.tab) {
            QTest::keyClick(field, Qt::Key_Tab);
            TestSupport::Pump();
        }
        switch (c.then) {
        case Then::Next: QTest::mouseClick(Data()->findChild<QToolButton *>(QStringLiteral("next")), Qt::LeftButton); break;
        case Then::PageDown: QTest::keyClick(w.focusWidget() ? w.focusWidget() : field, Qt::Key_PageDown); break;
        case Then::Refresh: QTest::mouseClick(Button("cmdRefresh"), Qt::LeftButton); break;
        case Then::Close: QTest::mouseClick(Button("cmdClose"), Qt::LeftButton); break;
        case Then::Moved: Data()->recordset()->MoveLast(); break;
        }
        TestSupport::Pump();
        const int number = c.field == 3 ? text(505) : text(506);
        const QString why = c.field == 3 ? GetLangString(number) : FormatLangString(GetLangString(number), {"Front Gear"});
        EXPECT_EQ(boxes.texts, QStringList{why});
        if (c.then != Then::Moved) {   // moved on, the card shows the other row
            EXPECT_EQ(shownBehindBox, stored);
        }
        if (c.then != Then::Close && c.then != Then::Moved && !c.tab) {
            EXPECT_EQ(Counter(), QStringLiteral("1/2")) << "the card stays on the row, which shows its value again";
        }
        EXPECT_EQ(Count(QStringLiteral("SELECT * FROM [%1] WHERE IDPercorso = 'Giau' AND Tempo = '01:20:00'").arg(table())
                        + (climb() ? QStringLiteral(" AND Anteriore = 39") : QString())),
                  1);
        m_times.reset();
        TestSupport::Pump();
        EXPECT_EQ(boxes.texts.size(), 1) << "told once";
    }
}

// Confirm pressed while the focus is still in a time the field cannot read:
// the field is checked as leaving it would, the card's own message says why
// and nothing reaches the database. A test's click sends the press and the
// release back to back; a real mouse lets the field's leave check (run once
// the press has taken the focus away) come before the release.
TEST_P(TimeCardTest, ConfirmChecksATimeStillBeingTyped)
{
    Seed();
    for (const bool realMouse : {false, true}) {
        SCOPED_TRACE(realMouse ? "press, events, release" : "press and release back to back");
        TimeCard &w = OpenTimes(climb());
        QApplication::setActiveWindow(&w);
        w.cmdAdd_Click();
        Fill();
        QLineEdit *time = Txt(3);
        time->setFocus();
        QTest::keyClick(time, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(time, QStringLiteral("26:10:00"));
        TestSupport::RealMessageBoxes boxes(TestSupport::CloseBy::Enter);
        const int beeps = m_beeps;
        QPushButton *confirm = Button("cmdUpdate");
        if (realMouse) {
            QTest::mousePress(confirm, Qt::LeftButton);
            TestSupport::Pump();
            QTest::mouseRelease(confirm, Qt::LeftButton);
        } else {
            QTest::mouseClick(confirm, Qt::LeftButton);
        }
        TestSupport::Pump();
        ASSERT_EQ(boxes.texts.size(), 1) << boxes.texts.join(QLatin1Char('|')).toStdString();
        EXPECT_EQ(boxes.texts, QStringList{GetLangString(text(505))});
        EXPECT_GT(m_beeps, beeps);
        EXPECT_EQ(time->text(), QString());
        EXPECT_TRUE(w.AddingNew());
        EXPECT_EQ(Rows(table()), 0);
        // Confirmed again with the time still empty: the required fields.
        QTest::mouseClick(confirm, Qt::LeftButton);
        TestSupport::Pump();
        EXPECT_EQ(boxes.texts, (QStringList{GetLangString(text(505)), GetLangString(text(504))}));
        EXPECT_EQ(Rows(table()), 0);
    }
}

// A note pasted longer than its field is taken to the field's size as it is
// pasted: moving on, closing or confirming then stores its first characters
// without a word, and the time typed before it is kept.
TEST_P(TimeCardTest, APastedNoteIsTakenToTheFieldsSize)
{
    enum class Then { Next, Close, Confirm };
    Seed();
    for (const Then then : {Then::Next, Then::Close, Then::Confirm}) {
        SCOPED_TRACE(then == Then::Next ? "next arrow" : then == Then::Close ? "Close" : "Confirm");
        TimeCard &w = OpenWithTwoStoredTimes();
        int size = 0;
        for (const dao::FieldInfo &f : Data()->recordset()->Fields())
            if (f.name == QStringLiteral("Note"))
                size = f.size;
        ASSERT_GT(size, 0);
        ASSERT_LT(size, 300);
        TestSupport::RealMessageBoxes boxes(TestSupport::CloseBy::Escape);
        QLineEdit *time = Txt(3);
        if (then == Then::Confirm) {
            w.cmdAdd_Click();
            Fill();
        }
        time->setFocus();
        QTest::keyClick(time, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(time, QStringLiteral("02:03:04"));
        QTest::mouseClick(Button("cmdDesc"), Qt::LeftButton);   // More >>
        auto *note = qobject_cast<QPlainTextEdit *>(Control(QStringLiteral("txtDesc")));
        ASSERT_TRUE(note->isVisible());
        note->setFocus();
        QGuiApplication::clipboard()->setText(QString(300, QLatin1Char('n')));
        QTest::keyClick(note, Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(note->toPlainText(), QString(size, QLatin1Char('n')));
        switch (then) {
        case Then::Next: QTest::mouseClick(Data()->findChild<QToolButton *>(QStringLiteral("next")), Qt::LeftButton); break;
        case Then::Close: QTest::mouseClick(Button("cmdClose"), Qt::LeftButton); break;
        case Then::Confirm: QTest::mouseClick(Button("cmdUpdate"), Qt::LeftButton); break;
        }
        TestSupport::Pump();
        EXPECT_TRUE(boxes.texts.isEmpty()) << boxes.texts.join(QLatin1Char('|')).toStdString();
        EXPECT_EQ(Count(QStringLiteral("SELECT * FROM [%1] WHERE Tempo = '02:03:04' AND Note = ?").arg(table()),
                        {QString(size, QLatin1Char('n'))}),
                  1);
        EXPECT_EQ(Rows(table()), then == Then::Confirm ? 3 : 2);
        m_times.reset();
        TestSupport::Pump();
    }
}

INSTANTIATE_TEST_SUITE_P(Twins, TimeCardTest, ::testing::Values(false, true),
                         [](const auto &info) { return std::string(info.param ? "Climb" : "Training"); });
