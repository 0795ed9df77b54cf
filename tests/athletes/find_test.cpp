// The find dialog over the real data windows it serves (the athlete card, the
// climbs and routes windows, the athlete lists) and over a list reached through
// FindTarget: the compare modes, the LIKE matches, the moves of the served
// window, its messages and its stored position.
#include "athletes_fixture.h"

#include "athletes/PerformanceList.h"
#include "athletes/frmFind.h"
#include "athletes/frmHitGrimpeur.h"
#include "athletes/frmRiepilogo.h"
#include "athletes/logic/FindSearch.h"
#include "core/FindTarget.h"
#include "core/WindowRegistry.h"
#include "platform/data/RecordsetModel.h"
#include "platform/ui/Prompt.h"
#include "records/frmDatiPerc.h"
#include "records/frmDatiSal.h"

#include "RealDialogs.h"
#include "records/SamplePanel.h"

#include <QTableView>
#include <QTest>
#include <functional>

namespace {

// A list window: its data control over records without the surname field, so
// a search in that field fails in the database.
class ListStandIn : public QWidget, public FindTarget {
    Q_OBJECT
    Q_INTERFACES(FindTarget)
public:
    explicit ListStandIn(QWidget *parent) : QWidget(parent)
    {
        m_data = new data::DataControl(this);
        m_data->setDatabase(CurrentDb);
        m_data->setRecordSource(QStringLiteral("SELECT IDPersonale FROM [Dati Personali] ORDER BY IDPersonale"));
        m_data->setRecordsetType(dao::dbOpenSnapshot);
        m_data->Refresh();
    }
    data::DataControl *findDataControl() const override { return m_data; }
    data::DataControl *m_data;
};

class FindTest : public AthletesTest {
protected:
    void SetUp() override
    {
        AthletesTest::SetUp();
        m_prompts = std::make_shared<ScriptedPromptProvider>();
        SetPromptProvider(m_prompts);
        for (const char *code : {"A1", "B2", "C3", "D4"})
            AddAthlete(QLatin1String(code), code[0] == 'B' || code[0] == 'D' ? QStringLiteral("O'Neil") : QStringLiteral("Rossi"));
    }
    void TearDown() override
    {
        delete m_find;
        for (const QString &name : WindowRegistry::LoadedNames())
            delete WindowRegistry::Find(name);
        WindowRegistry::Unregister(QStringLiteral("frmDatiPers"));
        for (const char *name : {"frmPrestAll", "frmDatiSal", "frmDatiPerc"})
            WindowRegistry::Unregister(QLatin1String(name));
        SetPromptProvider(nullptr);
        AthletesTest::TearDown();
    }
    frmDatiPers *LoadCard()
    {
        AthletesRs = CurrentDb->OpenRecordset(QStringLiteral("Dati Personali"));
        WindowRegistry::Register(QStringLiteral("frmDatiPers"), [](QWidget *p) -> QWidget * { return new frmDatiPers(p); });
        auto *card = static_cast<frmDatiPers *>(WindowRegistry::Load(QStringLiteral("frmDatiPers")));
        card->show();
        DataFormName = QStringLiteral("frmDatiPers");
        return card;
    }
    // The climbs or routes card, shown as the active data window, with its
    // sample panel open.
    CardWindow *LoadSampleCard(bool climb)
    {
        const QString name = climb ? QStringLiteral("frmDatiSal") : QStringLiteral("frmDatiPerc");
        WindowRegistry::Register(name, [climb](QWidget *p) -> QWidget * {
            return climb ? static_cast<QWidget *>(new frmDatiSal(p)) : new frmDatiPerc(p);
        });
        auto *card = qobject_cast<CardWindow *>(WindowRegistry::Load(name));
        if (!card)
            return nullptr;
        card->show();
        DataFormName = name;
        card->cmdAltim_Click();
        return card;
    }
    frmFind *OpenFind()
    {
        m_find = new frmFind;
        m_find->setAttribute(Qt::WA_DeleteOnClose, false);
        m_find->show();
        return m_find;
    }
    template <class T> T *Ctl(const char *name) { return m_find->findChild<T *>(QLatin1String(name)); }
    QString CurrentCode(data::DataControl *d) { return d->recordset()->Value(QStringLiteral("IDPersonale")).toString(); }

    std::shared_ptr<ScriptedPromptProvider> m_prompts;
    frmFind *m_find = nullptr;
};

TEST(FindSearchTest, ModesTrimBlanksAndKeepInnerOnes)
{
    using namespace FindSearch;
    const QString t = PrepareText(QStringLiteral("  O'Neil "));
    EXPECT_EQ(t, QStringLiteral("O'Neil"));
    EXPECT_EQ(MakeLikePattern(t, WholeField), QStringLiteral("O'Neil"));
    EXPECT_EQ(MakeLikePattern(t, PartOfField), QStringLiteral("*O'Neil*"));
    EXPECT_EQ(MakeLikePattern(t, StartOfField), QStringLiteral("O'Neil*"));
    EXPECT_EQ(MakeLikePattern(t, 3), QString());
    EXPECT_EQ(PrepareText(QStringLiteral(" a b ")), QStringLiteral("a b"));
    EXPECT_EQ(Criterion(QStringLiteral("E-mail")), QStringLiteral("[E-mail] LIKE ?"));
}

TEST(FindSearchTest, ServedWindowsAndTheirFieldsInOrder)
{
    const QStringList athlete{"IDPersonale", "Cognome", "Nome"};
    const QStringList climbs{"IDPercorso", "Stato", "Regione", "Località", "Provincia", "E-mail", "Url", "Telefono", "Fax", "Descrizione"};
    QStringList routes = climbs;
    routes.insert(5, QStringLiteral("Periodo"));
    struct Case { const char *form; const char *data; bool guard; QStringList fields; };
    const Case cases[] = {
        {"frmDatiPers", "DataDPers", true, athlete}, {"frmDatiSal", "Data1", true, climbs},
        {"frmDatiPerc", "Data1", true, routes},     {"frmHitGrimpeur", "Data1", false, {"IDPercorso"}},
        {"frmPrestAll", "dataAtleta", false, athlete}, {"frmAngolo", "dataAtleta", false, athlete},
        {"frmRiepilogo", "dataAtleta", false, athlete},
    };
    for (const Case &c : cases) {
        const auto s = FindSearch::ServedWindow(QLatin1String(c.form));
        ASSERT_TRUE(s) << c.form;
        EXPECT_EQ(s->dataControl, QLatin1String(c.data)) << c.form;
        EXPECT_EQ(s->editGuard, c.guard) << c.form;
        EXPECT_EQ(s->fields, c.fields) << c.form;
    }
    EXPECT_FALSE(FindSearch::ServedWindow(QStringLiteral("frmdatipers")));
    EXPECT_FALSE(FindSearch::ServedWindow(QStringLiteral("frmStates")));
}

TEST(FindSearchTest, StoredPositions)
{
    EXPECT_EQ(FindSearch::StoredPosition(QStringLiteral("2025"), true), 2025);
    EXPECT_EQ(FindSearch::StoredPosition(QStringLiteral("-300"), true), -300);
    for (const char *bad : {"", "12.5", "abc", "32768", "-32769", "99999999999"})
        EXPECT_FALSE(FindSearch::StoredPosition(QLatin1String(bad), true)) << bad;
}

TEST_F(FindTest, MatchTableOfTheBoundPattern)
{
    CurrentDb->Execute(QStringLiteral("INSERT INTO [Dati Personali] ([IDPersonale], [Cognome], [Nome], [Peso], [Fqped], [Fcmax], "
                                      "[Pesobici], [Circonfruota], [Kmparziali]) VALUES ('Z9', 'Àlto', NULL, 70, 90, 190, 8, 2.1, 1), "
                                      "('Y8', 'Verdi', '', 70, 90, 190, 8, 2.1, 1)"),
                       0, {});
    struct Case { const char *field; const char *text; int mode; const char *found; };
    const Case cases[] = {
        {"Cognome", "*à*", FindSearch::WholeField, "Z9"},       // case and accents of the database's LIKE
        {"IDPersonale", "#1", FindSearch::StartOfField, ""},     // no code starts with a digit
        {"IDPersonale", "?#", FindSearch::WholeField, "A1"},
        {"IDPersonale", "[bc]*", FindSearch::WholeField, "B2"},
        {"IDPersonale", "[!ab]*", FindSearch::WholeField, "C3"},
        {"Cognome", "o'neil", FindSearch::WholeField, "B2"},   // an apostrophe matches itself
        {"Cognome", "O'", FindSearch::StartOfField, "B2"},
        {"Nome", "", FindSearch::WholeField, "Y8"},             // empty text: only empty fields
        {"Nome", "", FindSearch::PartOfField, "A1"},            // every field that is not null
        {"Nome", "   ", FindSearch::StartOfField, "A1"},
        {"Cognome", "oss", FindSearch::StartOfField, ""},
        {"Cognome", "oss", FindSearch::PartOfField, "A1"},
    };
    dao::RecordsetPtr rs = CurrentDb->OpenRecordset(QStringLiteral("SELECT * FROM [Dati Personali] ORDER BY IDPersonale"));
    for (const Case &c : cases) {
        rs->MoveFirst();
        const QByteArray bm = FindSearch::Search(rs, QLatin1String(c.field), QString::fromUtf8(c.text), c.mode, false);
        EXPECT_EQ(bm.isEmpty() ? QString() : rs->Value(QStringLiteral("IDPersonale")).toString(), QString::fromUtf8(c.found))
            << c.field << " " << c.text << " " << c.mode;
    }
    // Null is no match for "*"; Z9's name is null, Y8's empty, the others 'Ugo'.
    rs->MoveFirst();
    FindSearch::Search(rs, QStringLiteral("Nome"), QString(), FindSearch::PartOfField, false);
    int found = 0;
    while (!rs->NoMatch()) {
        ++found;
        EXPECT_NE(rs->Value(QStringLiteral("IDPersonale")).toString(), QStringLiteral("Z9"));
        FindSearch::Search(rs, QStringLiteral("Nome"), QString(), FindSearch::PartOfField, true);
    }
    EXPECT_EQ(found, 5);
}

TEST_F(FindTest, FindFirstNextAndNoMatchMoveTheCard)
{
    frmDatiPers *card = LoadCard();
    OpenFind();
    EXPECT_EQ(m_find->windowTitle(), QStringLiteral("Search Data"));
    EXPECT_EQ(Ctl<QComboBox>("Combo1")->currentText(), QStringLiteral("IDPersonale"));
    EXPECT_EQ(Ctl<QComboBox>("Combo2")->currentIndex(), 1);
    Ctl<QComboBox>("Combo1")->setCurrentIndex(1);   // Cognome
    auto *text = Ctl<QLineEdit>("Text1");
    Type(text, QStringLiteral("n\"ei"));
    EXPECT_EQ(text->text(), QStringLiteral("nei"));   // the double quote is refused

    Key(text, Qt::Key_Return);                       // Enter: Find first
    EXPECT_EQ(CurrentCode(card->DataDPers()), QStringLiteral("B2"));
    ASSERT_EQ(m_find->focusWidget(), Ctl<QPushButton>("Command2"));
    Key(m_find->focusWidget(), Qt::Key_Return);      // a further Enter: Find next
    EXPECT_EQ(CurrentCode(card->DataDPers()), QStringLiteral("D4"));
    EXPECT_TRUE(m_prompts->shown.empty());

    m_prompts->answers = {Vb::Yes};
    Ctl<QPushButton>("Command2")->click();          // no further match
    EXPECT_EQ(CurrentCode(card->DataDPers()), QStringLiteral("D4"));
    ASSERT_EQ(m_prompts->shown.size(), 1u);
    EXPECT_EQ(m_prompts->shown[0].text, QStringLiteral("Search is done.\nDo you want to perfom another search?"));
    EXPECT_EQ(m_prompts->shown[0].style, 68);
    EXPECT_EQ(m_prompts->shown[0].title, QStringLiteral("Search Data"));
    EXPECT_TRUE(m_find->isVisible());

    Ctl<QPushButton>("Command1")->click();          // Find first starts again
    EXPECT_EQ(CurrentCode(card->DataDPers()), QStringLiteral("B2"));

    text->setText(QStringLiteral("nobody"));
    m_prompts->answers = {Vb::No};
    Ctl<QPushButton>("Command1")->click();
    EXPECT_EQ(CurrentCode(card->DataDPers()), QStringLiteral("B2"));
    EXPECT_FALSE(m_find->isVisible());               // No closes the dialog
}

TEST_F(FindTest, AddingCardIsRefreshedOnOpening)
{
    frmDatiPers *card = LoadCard();
    card->DataDPers()->MoveLast();
    card->cmdAdd_Click();
    ASSERT_FALSE(card->Control(QStringLiteral("cmdAdd"))->isEnabled());
    OpenFind();
    EXPECT_TRUE(card->DataDPers()->isEnabled());
    EXPECT_EQ(CurrentCode(card->DataDPers()), QStringLiteral("A1"));
    EXPECT_EQ(Rows(QStringLiteral("Dati Personali")), 4);
}

TEST_F(FindTest, UnservedWindowOrNoRowsMakeTheButtonsDoNothing)
{
    DataFormName = QStringLiteral("frmStates");
    OpenFind();
    EXPECT_EQ(Ctl<QComboBox>("Combo1")->count(), 0);
    Ctl<QPushButton>("Command1")->click();
    Ctl<QPushButton>("Command2")->click();
    EXPECT_TRUE(m_prompts->shown.empty());
    EXPECT_TRUE(m_find->isVisible());
    delete m_find;
    m_find = nullptr;

    CurrentDb->Execute(QStringLiteral("DELETE FROM [Dati Personali]"), 0, {});
    LoadCard();
    OpenFind();
    Ctl<QPushButton>("Command1")->click();
    EXPECT_TRUE(m_prompts->shown.empty());
    EXPECT_TRUE(m_find->isVisible());
}

TEST_F(FindTest, DatabaseErrorIsShownAndTheListStays)
{
    WindowRegistry::Register(QStringLiteral("frmPrestAll"), [](QWidget *p) -> QWidget * { return new ListStandIn(p); });
    auto *list = static_cast<ListStandIn *>(WindowRegistry::Load(QStringLiteral("frmPrestAll")));
    DataFormName = QStringLiteral("frmPrestAll");
    list->m_data->recordset()->MoveNext();   // on B2
    OpenFind();
    Ctl<QLineEdit>("Text1")->setText(QStringLiteral("D"));
    Ctl<QPushButton>("Command1")->click();   // IDPersonale: through the interface
    EXPECT_EQ(CurrentCode(list->m_data), QStringLiteral("D4"));
    Ctl<QComboBox>("Combo1")->setCurrentIndex(1);   // Cognome is not among its fields
    Ctl<QPushButton>("Command1")->click();
    ASSERT_EQ(m_prompts->shown.size(), 1u);
    EXPECT_TRUE(m_prompts->shown[0].text.startsWith(QStringLiteral("Error "))) << m_prompts->shown[0].text.toStdString();
    EXPECT_EQ(CurrentCode(list->m_data), QStringLiteral("D4"));
    EXPECT_TRUE(m_find->isVisible());
}

// Each served window offers the find dialog the data control the
// table names, through the interface.
TEST_F(FindTest, RealWindowsOfferTheirDataControl)
{
    AthletesRs = CurrentDb->OpenRecordset(QStringLiteral("Dati Personali"));
    const std::pair<const char *, std::function<QWidget *()>> windows[] = {
        {"frmDatiPers", [] { return new frmDatiPers; }}, {"frmDatiSal", [] { return new frmDatiSal; }},
        {"frmDatiPerc", [] { return new frmDatiPerc; }}, {"frmPrestAll", [] { return new frmPrestAll; }},
        {"frmAngolo", [] { return new frmAngolo; }},           {"frmHitGrimpeur", [] { return new frmHitGrimpeur; }},
        {"frmRiepilogo", [] { return new frmRiepilogo; }},
    };
    for (const auto &[name, make] : windows) {
        std::unique_ptr<QWidget> w(make());
        auto *target = qobject_cast<FindTarget *>(w.get());
        ASSERT_NE(target, nullptr) << name;
        ASSERT_NE(target->findDataControl(), nullptr) << name;
        EXPECT_EQ(target->findDataControl()->objectName(), FindSearch::ServedWindow(QLatin1String(name))->dataControl) << name;
        EXPECT_FALSE(target->findAdding()) << name;
    }
}

// The climbs and the routes window: a window that is adding is brought back to
// browsing, a find moves it and its fields show the record found.
TEST_F(FindTest, MovesTheClimbsAndRoutesWindows)
{
    for (const bool climb : {true, false}) {
        SCOPED_TRACE(climb ? "climbs" : "routes");
        const QString name = climb ? QStringLiteral("frmDatiSal") : QStringLiteral("frmDatiPerc");
        const QString table = climb ? QStringLiteral("Dati Salite") : QStringLiteral("Dati Percorsi");
        for (const char *place : {"Alpe", "Bocca", "Colle", "Dosso"})
            CurrentDb->Execute(QStringLiteral("INSERT INTO [%1] ([IDPercorso], [Lunghezza], [Località]) VALUES (?, 10, ?)").arg(table),
                               0, {QLatin1String(place), place[0] == 'B' || place[0] == 'D' ? QStringLiteral("Sant'Anna") : QStringLiteral("Pieve")});
        WindowRegistry::Register(name, [climb](QWidget *p) -> QWidget * {
            return climb ? static_cast<QWidget *>(new frmDatiSal(p)) : new frmDatiPerc(p);
        });
        auto *card = qobject_cast<CardWindow *>(WindowRegistry::Load(name));
        ASSERT_NE(card, nullptr);
        card->show();
        DataFormName = name;
        card->Data1()->MoveLast();
        card->cmdAdd_Click();
        ASSERT_TRUE(card->findAdding());

        OpenFind();
        EXPECT_FALSE(card->findAdding());
        EXPECT_EQ(card->Data1()->recordset()->Value(QStringLiteral("IDPercorso")).toString(), QStringLiteral("Alpe"));
        Ctl<QComboBox>("Combo1")->setCurrentText(QStringLiteral("Località"));
        ASSERT_EQ(Ctl<QComboBox>("Combo1")->currentText(), QStringLiteral("Località"));
        Ctl<QLineEdit>("Text1")->setText(QStringLiteral(" sant'a "));
        Ctl<QComboBox>("Combo2")->setCurrentIndex(FindSearch::StartOfField);
        Ctl<QPushButton>("Command1")->click();
        EXPECT_EQ(qobject_cast<QLineEdit *>(card->Control(QStringLiteral("txtFields(0)")))->text(), QStringLiteral("Bocca"));
        Ctl<QPushButton>("Command2")->click();
        EXPECT_EQ(qobject_cast<QLineEdit *>(card->Control(QStringLiteral("txtFields(0)")))->text(), QStringLiteral("Dosso"));
        m_prompts->answers = {Vb::No};
        Ctl<QPushButton>("Command2")->click();   // no further match: the card stays on the last found
        EXPECT_EQ(qobject_cast<QLineEdit *>(card->Control(QStringLiteral("txtFields(0)")))->text(), QStringLiteral("Dosso"));
        EXPECT_EQ(m_prompts->shown.size(), 1u);
        m_prompts->shown.clear();
        delete m_find;
        m_find = nullptr;
        EXPECT_EQ(Rows(table), 4);   // the new record under way was dropped
        WindowRegistry::Unload(name);
    }
}

// A sample row refused as Find asks the card showing it to leave it: by the
// grid (a distance without an altitude), or by the database (a rule of the
// table; a read-only or full file alike). The refusal is told once, on that
// card, whose samples stay on screen with the row to finish; once the row can
// be written, the next click moves the card.
struct SampleRowRefusal {
    const char *name;
    const char *altitude;   // typed in the new row after its distance
    bool byDatabase;        // a rule of the samples table refuses every new row
};

class FindRefusedSampleRowTest : public FindTest, public ::testing::WithParamInterface<SampleRowRefusal> {};

TEST_P(FindRefusedSampleRowTest, IsToldOnItsCardBeforeAMove)
{
    const SampleRowRefusal &c = GetParam();
    for (const bool climb : {true, false}) {
        SCOPED_TRACE(climb ? "climbs" : "routes");
        const QString name = climb ? QStringLiteral("frmDatiSal") : QStringLiteral("frmDatiPerc");
        const QString table = climb ? QStringLiteral("Dati Salite") : QStringLiteral("Dati Percorsi");
        const QString samples = climb ? QStringLiteral("CampioniSalite") : QStringLiteral("CampioniPercorsi");
        for (const char *place : {"Alpe", "Bocca"})
            CurrentDb->Execute(QStringLiteral("INSERT INTO [%1] ([IDPercorso], [Lunghezza]) VALUES (?, 10)").arg(table), 0,
                               {QLatin1String(place)});
        CurrentDb->Execute(QStringLiteral("INSERT INTO [%1] ([IDPercorso], [DistParz], [Altezza]) VALUES ('Alpe', 0, 100)").arg(samples));
        if (c.byDatabase)
            CurrentDb->Execute(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON [%1] BEGIN SELECT RAISE(ABORT, 'sample refused'); END")
                                   .arg(samples),
                               0, {});
        CardWindow *card = LoadSampleCard(climb);
        ASSERT_NE(card, nullptr);
        auto *grid = card->findChild<QTableView *>(QStringLiteral("DBGrid1"));
        ASSERT_NE(grid, nullptr);
        grid->setFocus();
        for (const auto &[column, text] : {std::pair{0, QStringLiteral("7")}, std::pair{1, QString::fromLatin1(c.altitude)}}) {
            grid->setCurrentIndex(card->SampleModel()->index(1, column));   // the add row below the stored sample
            QApplication::processEvents();
            auto *editor = qobject_cast<QLineEdit *>(grid->indexWidget(grid->currentIndex()));
            ASSERT_NE(editor, nullptr) << column;
            editor->setText(text);
        }

        OpenFind();
        Ctl<QComboBox>("Combo1")->setCurrentIndex(0);
        Ctl<QLineEdit>("Text1")->setText(QStringLiteral("Bocca"));
        TestSupport::RealMessageBoxes boxes;
        QString cardBehindBox;
        boxes.onShown = [&]() { cardBehindBox = qobject_cast<SamplePanel *>(card->Picture1())->cardName(); };
        QTest::mouseClick(Ctl<QPushButton>("Command1"), Qt::LeftButton);
        TestSupport::Pump();
        ASSERT_EQ(boxes.texts.size(), 1) << boxes.texts.join(QLatin1Char('|')).toStdString();
        const QString why = c.byDatabase ? QStringLiteral("sample refused")
                                         : card->SampleModel()->headerData(1, Qt::Horizontal, Qt::DisplayRole).toString();
        EXPECT_TRUE(boxes.texts.first().contains(why)) << boxes.texts.first().toStdString();
        EXPECT_EQ(cardBehindBox, QStringLiteral("Alpe"));
        EXPECT_EQ(qobject_cast<QLineEdit *>(card->Control(QStringLiteral("txtFields(0)")))->text(), QStringLiteral("Alpe"));
        EXPECT_EQ(card->SampleModel()->pendingRow(), 1);
        EXPECT_EQ(card->SampleModel()->value(1, 0).toDouble(), 7.0);
        EXPECT_EQ(card->SampleModel()->value(1, 1).toString(), QString::fromLatin1(c.altitude));
        EXPECT_EQ(Rows(samples), 1);

        if (c.byDatabase)
            CurrentDb->Execute(QStringLiteral("DROP TRIGGER refuse"), 0, {});
        else
            ASSERT_TRUE(card->SampleModel()->setData(card->SampleModel()->index(1, 1), QStringLiteral("700"), Qt::EditRole));
        QTest::mouseClick(Ctl<QPushButton>("Command1"), Qt::LeftButton);
        TestSupport::Pump();
        EXPECT_EQ(boxes.texts.size(), 1);
        EXPECT_EQ(qobject_cast<QLineEdit *>(card->Control(QStringLiteral("txtFields(0)")))->text(), QStringLiteral("Bocca"));
        EXPECT_EQ(qobject_cast<SamplePanel *>(card->Picture1())->cardName(), QStringLiteral("Bocca"));
        EXPECT_EQ(Rows(samples), 2);
        delete m_find;
        m_find = nullptr;
        WindowRegistry::Unload(name);
    }
}

INSTANTIATE_TEST_SUITE_P(RefusedBy, FindRefusedSampleRowTest,
                         ::testing::Values(SampleRowRefusal{"TheGrid", "", false}, SampleRowRefusal{"TheDatabase", "700", true}),
                         [](const ::testing::TestParamInfo<SampleRowRefusal> &info) { return std::string(info.param.name); });

// The trainings list of an athlete moves to the athlete found.
TEST_F(FindTest, MovesAnAthleteList)
{
    AddPlace(false, QStringLiteral("Giro"));
    AddTime(false, QStringLiteral("D4"), QStringLiteral("Giro"), QStringLiteral("2004-03-01"));
    WindowRegistry::Register(QStringLiteral("frmPrestAll"), [](QWidget *p) -> QWidget * { return new frmPrestAll(p); });
    auto *list = qobject_cast<PerformanceList *>(WindowRegistry::Load(QStringLiteral("frmPrestAll")));
    ASSERT_NE(list, nullptr);
    DataFormName = QStringLiteral("frmPrestAll");
    OpenFind();
    Ctl<QComboBox>("Combo1")->setCurrentIndex(0);
    Ctl<QLineEdit>("Text1")->setText(QStringLiteral("d"));
    Ctl<QPushButton>("Command1")->click();
    EXPECT_EQ(list->currentAthlete(), QStringLiteral("D4"));
    EXPECT_EQ(list->model()->rowCount(), 1);   // the list shows that athlete's trainings
    WindowRegistry::Unload(QStringLiteral("frmPrestAll"));
}

TEST_F(FindTest, PositionIsKeptAndBadValuesAreIgnored)
{
    DataFormName = QStringLiteral("frmStates");
    OpenFind();
    m_find->move(40, 50);
    Key(m_find, Qt::Key_Escape);
    EXPECT_FALSE(m_find->isVisible());
    EXPECT_EQ(GetSetting(AppName, QStringLiteral("Settings"), QStringLiteral("frmFindleft")), QStringLiteral("600"));
    EXPECT_EQ(GetSetting(AppName, QStringLiteral("Settings"), QStringLiteral("frmFindtop")), QStringLiteral("750"));
    delete m_find;
    OpenFind();
    EXPECT_EQ(m_find->pos(), QPoint(40, 50));
    delete m_find;
    m_find = nullptr;
    // A value that is not a whole number of 16 bits leaves that coordinate
    // where the dialog opens over its owner (not in the screen's corner).
    QWidget owner;
    owner.setGeometry(100, 100, 700, 500);
    owner.show();
    struct Case { const char *left, *top; bool leftKept, topKept; };
    for (const Case &c : {Case{"x1", "40000", false, false}, Case{"12.5", "1500", false, true}, Case{"3000", "", true, false}}) {
        SCOPED_TRACE(c.left);
        SaveSetting(AppName, QStringLiteral("Settings"), QStringLiteral("frmFindleft"), QLatin1String(c.left));
        SaveSetting(AppName, QStringLiteral("Settings"), QStringLiteral("frmFindtop"), QLatin1String(c.top));
        frmFind find(&owner);
        find.setAttribute(Qt::WA_DeleteOnClose, false);
        find.show();

        QDialog plain(&owner);
        plain.resize(find.size());
        plain.show();
        EXPECT_EQ(find.x(), c.leftKept ? 200 : plain.x());
        EXPECT_EQ(find.y(), c.topKept ? 100 : plain.y());
        EXPECT_NE(plain.pos(), QPoint(0, 0));
    }
}

} // namespace

#include "find_test.moc"
