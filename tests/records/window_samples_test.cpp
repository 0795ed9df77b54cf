// The altitude-sample panel of the card windows.
#include "window_fixture.h"

#include "RealDialogs.h"

#include "core/ProfileGlobals.h"
#include "core/WindowRegistry.h"
#include "platform/com/ComRegistry.h"
#include "platform/data/RecordsetModel.h"
#include "records/SampleChecks.h"

#include <QDialog>
#include <QMouseEvent>
#include <QTableView>
#include <QTimer>
#include <QClipboard>
#include <QGuiApplication>
#include <QTest>

namespace {
QModelIndex Cell(CardWindow &w, int row, int column) { return w.SampleModel()->index(row, column); }
void Type(QWidget *target, int key, const QString &text, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QKeyEvent press(QEvent::KeyPress, key, mods, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, mods, text);
    QApplication::sendEvent(target, &release);
}
}

TEST_P(BothWindows, SamplePanelEditsTheCardsSamples)
{
    const bool climb = GetParam();
    TestSupport::LocaleScope scope(QLocale(QLocale::Italian, QLocale::Italy));
    AddCard(climb, QStringLiteral("Colle"));
    AddCard(climb, QStringLiteral("Other"));
    AddSample(climb, QStringLiteral("Colle"), 0, 100);
    AddSample(climb, QStringLiteral("Colle"), 1.5, 150);
    AddSample(climb, QStringLiteral("Other"), 0, 10);
    CardWindow &w = Open(climb);
    w.cmdAltim_Click();
    ASSERT_TRUE(w.Picture1()->isVisible());
    EXPECT_EQ(w.SampleTotal(), 2);
    EXPECT_EQ(Ctl<QLabel>("Label9")->text(), QStringLiteral("2"));
    EXPECT_EQ(Ctl<QLabel>("DBGrid1.Caption")->text(), QStringLiteral("Colle"));
    data::RecordsetModel *m = w.SampleModel();
    ASSERT_EQ(m->rowCount(), 3);   // two samples and the row for a new one
    EXPECT_EQ(m->data(Cell(w, 1, 0), Qt::DisplayRole).toString(), QStringLiteral("1,5"));

    // A distance the card already has: warned and undone.
    EXPECT_FALSE(m->setData(Cell(w, 0, 0), QStringLiteral("1.5"), Qt::EditRole));
    TestSupport::RunQueued();
    EXPECT_EQ(TestSupport::Script().messages(), QStringList{GetLangString(climb ? 9534 : 7534)});
    EXPECT_EQ(m->value(0, 0).toDouble(), 0.0);
    // Not a number: undone without a word.
    TestSupport::ResetScript();
    EXPECT_FALSE(m->setData(Cell(w, 0, 1), QStringLiteral("abc"), Qt::EditRole));
    TestSupport::RunQueued();
    EXPECT_TRUE(TestSupport::Script().messages().isEmpty());

    // A new row without a height is refused with the column's caption.
    ASSERT_TRUE(m->setData(Cell(w, 2, 0), QStringLiteral("3,25"), Qt::EditRole));
    EXPECT_FALSE(m->CommitRow());
    const QString caption = m->headerData(1, Qt::Horizontal, Qt::DisplayRole).toString();
    TestSupport::RunQueued();
    EXPECT_EQ(TestSupport::Script().messages(),
              QStringList{FormatLangString(GetLangString(climb ? 9503 : 7506), {caption})});
    // With its height (12,5 rounds to 12) it is written, linked to the card.
    ASSERT_TRUE(m->setData(Cell(w, 2, 1), QStringLiteral("12,5"), Qt::EditRole));
    ASSERT_TRUE(m->CommitRow());
    EXPECT_EQ(w.SampleTotal(), 3);
    EXPECT_EQ(Count(QStringLiteral("SELECT * FROM [%1] WHERE [IDPercorso] = 'Colle' AND [Altezza] = 12 AND [DistParz] = 3.25")
                        .arg(Samples(climb))),
              1);

    // Deleting a row.
    ASSERT_TRUE(m->DeleteRow(0));
    EXPECT_EQ(w.SampleTotal(), 2);
    EXPECT_EQ(Count(QStringLiteral("SELECT * FROM [%1] WHERE [IDPercorso] = 'Colle'").arg(Samples(climb))), 2);

    // The panel follows the card.
    w.Data1()->MoveNext();
    EXPECT_EQ(w.SampleTotal(), 1);
    EXPECT_EQ(Ctl<QLabel>("DBGrid1.Caption")->text(), QStringLiteral("Other"));
    w.cmdpct1Close_Click();
    EXPECT_FALSE(w.Picture1()->isVisible());
}

// An altitude beyond what the grid holds is refused with the field's name and
// its range, not taken for an empty cell; the climb card's altitude fields
// say so of a fifth digit.
TEST_P(BothWindows, AnAltitudeOutOfRangeSaysSo)
{
    const bool climb = GetParam();
    AddCard(climb, QStringLiteral("Colle"));
    AddSample(climb, QStringLiteral("Colle"), 0, 100);
    CardWindow &w = Open(climb);
    w.cmdAltim_Click();
    data::RecordsetModel *m = w.SampleModel();
    const QString caption = m->headerData(1, Qt::Horizontal, Qt::DisplayRole).toString();
    const QString told = FormatLangString(GetLangString(climb ? 9536 : 7536),
                                          {caption, QLocale().toString(-32768), QLocale().toString(32767)});
    TestSupport::ResetScript();
    EXPECT_FALSE(m->setData(Cell(w, 0, 1), QStringLiteral("99999"), Qt::EditRole));
    TestSupport::RunQueued();
    EXPECT_EQ(TestSupport::Script().messages(), QStringList{told});
    EXPECT_EQ(m->value(0, 1).toInt(), 100) << "the stored altitude stays";

    if (!climb)
        return;
    TestSupport::ResetScript();
    w.cmdModify_Click();
    auto *start = Ctl<QLineEdit>("txtFields(2)");
    start->setFocus();
    start->selectAll();
    for (const char *digit : {"9", "9", "9", "9", "9"})
        Type(start, Qt::Key_9, QString::fromLatin1(digit));
    EXPECT_EQ(start->text(), QStringLiteral("9999"));
    TestSupport::RunQueued();
    EXPECT_EQ(TestSupport::Script().messages(),
              QStringList{FormatLangString(GetLangString(9536), {QStringLiteral("Start altitude"), QLocale().toString(0),
                                                                 QLocale().toString(9999)})});
}

TEST_P(BothWindows, SamplePanelStaysShutWhileAddingOrEmpty)
{
    const bool climb = GetParam();
    CardWindow &w = Open(climb);
    w.cmdAltim_Click();
    EXPECT_FALSE(w.Picture1()->isVisible());
    AddCard(climb, QStringLiteral("A"));
    CardWindow &again = Open(climb);
    again.cmdAdd_Click();
    again.cmdAltim_Click();
    EXPECT_FALSE(again.Picture1()->isVisible());
    TestSupport::RunQueued();
    EXPECT_TRUE(TestSupport::Script().messages().isEmpty());
}

TEST_F(CardWindowTest, DeleteKeyClearsAnIcon)
{
    AddCard(true, QStringLiteral("A"));
    CurrentDb->Execute(QStringLiteral("INSERT INTO [CampioniSalite] ([IDPercorso], [DistParz], [Altezza], [image]) VALUES ('A', 0, 10, 'summit')"));
    CardWindow &w = Open(true);
    w.cmdAltim_Click();
    auto *grid = Ctl<QTableView>("DBGrid1");
    grid->setCurrentIndex(Cell(w, 0, 3));
    Key(grid, Qt::Key_Delete);
    grid->setCurrentIndex(Cell(w, 1, 0));   // leaving the row writes it
    EXPECT_EQ(Count(QStringLiteral("SELECT * FROM [CampioniSalite] WHERE [image] = 'summit'")), 0);
    EXPECT_EQ(Count(QStringLiteral("SELECT * FROM [CampioniSalite] WHERE [IDPercorso] = 'A'")), 1);
}

// Typing in the add row opens a fresh add row below it, so the user can move
// down onto it, which writes the typed row; undoing the typed row takes the
// extra row away again.
TEST_F(CardWindowTest, NewSampleRowIsWrittenByMovingDown)
{
    AddCard(true, QStringLiteral("A"));
    AddSample(true, QStringLiteral("A"), 0, 100);
    CardWindow &w = Open(true);
    w.cmdAltim_Click();
    auto *grid = Ctl<QTableView>("DBGrid1");
    data::RecordsetModel *m = w.SampleModel();
    ASSERT_EQ(m->rowCount(), 2);
    grid->setCurrentIndex(Cell(w, 1, 0));
    ASSERT_TRUE(m->setData(Cell(w, 1, 0), QStringLiteral("2"), Qt::EditRole));
    ASSERT_TRUE(m->setData(Cell(w, 1, 1), QStringLiteral("140"), Qt::EditRole));
    ASSERT_EQ(m->rowCount(), 3);
    EXPECT_EQ(m->headerData(1, Qt::Vertical, Qt::DisplayRole).toString(), QString());
    EXPECT_EQ(m->headerData(2, Qt::Vertical, Qt::DisplayRole).toString(), QStringLiteral("*"));
    Key(grid, Qt::Key_Down);
    EXPECT_EQ(grid->currentIndex().row(), 2);
    EXPECT_EQ(Count(QStringLiteral("SELECT * FROM [CampioniSalite] WHERE [IDPercorso] = 'A' AND [Altezza] = 140")), 1);
    EXPECT_EQ(w.SampleTotal(), 2);
    EXPECT_EQ(m->rowCount(), 3);

    ASSERT_TRUE(m->setData(Cell(w, 2, 0), QStringLiteral("3"), Qt::EditRole));
    EXPECT_EQ(m->rowCount(), 4);
    m->CancelRow();
    EXPECT_EQ(m->rowCount(), 3);
    EXPECT_EQ(m->headerData(2, Qt::Vertical, Qt::DisplayRole).toString(), QStringLiteral("*"));
    EXPECT_TRUE(m->value(2, 0).isNull());
    TestSupport::RunQueued();
    EXPECT_TRUE(TestSupport::Script().messages().isEmpty());
}

// The profile button hands the shown card to the profile; fewer than two
// samples hand nothing.
TEST_P(BothWindows, ProfileButtonFillsTheHandOff)
{
    const bool climb = GetParam();
    AddCard(climb, QStringLiteral("One"));
    AddCard(climb, QStringLiteral("Two"));
    AddSample(climb, QStringLiteral("One"), 0, 100);
    for (auto [km, h] : {std::pair{0.0, 100}, {1.0, 120}, {2.0, 110}, {3.0, 150}})
        AddSample(climb, QStringLiteral("Two"), km, h);
    CardWindow &w = Open(climb);
    ProfileName = QStringLiteral("before");
    w.cmdAltim_Click();
    w.cmdShowAlti_Click();
    EXPECT_EQ(ProfileName, QStringLiteral("before"));
    w.Data1()->MoveNext();
    w.cmdShowAlti_Click();
    EXPECT_EQ(ProfileName, QStringLiteral("Two"));
    EXPECT_EQ(ProfilePointCount, 4);
    EXPECT_EQ(ProfileGain, 60);
    EXPECT_EQ(ProfileClimbRate, climb ? Ctl<QLabel>("Label5(5)")->text() : QStringLiteral(" --- "));
    TestSupport::RunQueued();
    EXPECT_TRUE(TestSupport::Script().messages().isEmpty());
}

// A number cell takes digits and either decimal mark; the keypad's decimal key
// types the user's separator, a letter is refused, and Enter moves on to the
// next cell with the typed distance kept.
TEST_F(CardWindowTest, NumberCellKeys)
{
    TestSupport::LocaleScope scope(QLocale(QLocale::Italian, QLocale::Italy));
    AddCard(true, QStringLiteral("A"));
    AddSample(true, QStringLiteral("A"), 0, 100);
    CardWindow &w = Open(true);
    w.cmdAltim_Click();
    auto *grid = Ctl<QTableView>("DBGrid1");
    grid->setCurrentIndex(Cell(w, 1, 0));
    grid->edit(Cell(w, 1, 0));
    auto *editor = grid->viewport()->findChild<QLineEdit *>();
    ASSERT_NE(editor, nullptr);
    Type(editor, Qt::Key_1, QStringLiteral("1"));
    Type(editor, Qt::Key_Period, QStringLiteral("."), Qt::KeypadModifier);
    Type(editor, Qt::Key_X, QStringLiteral("x"));
    Type(editor, Qt::Key_5, QStringLiteral("5"));
    EXPECT_EQ(editor->text(), QStringLiteral("1,5"));
    Type(editor, Qt::Key_Return, QStringLiteral("\r"));
    QApplication::processEvents();
    EXPECT_EQ(grid->currentIndex(), Cell(w, 1, 1));
    EXPECT_DOUBLE_EQ(w.SampleModel()->value(1, 0).toDouble(), 1.5);
}

namespace {
// Stands in for the profile window: open while it lives, counts its redraws.
class ProfileStandIn : public QWidget, public ProfileViewInterface {
    Q_OBJECT
    Q_INTERFACES(ProfileViewInterface)
public:
    explicit ProfileStandIn(QWidget *parent) : QWidget(parent) { AltimetriaOpen = -1; }
    ~ProfileStandIn() override { AltimetriaOpen = 0; }
    void redraw() override { ++redraws; }
    int redraws = 0;
};
}

// The profile button opens the profile window; while it is open the card's
// moves hand it each new card and make it redraw; closing the panel closes it.
TEST_P(BothWindows, OpenProfileFollowsTheCard)
{
    const bool climb = GetParam();
    for (const char *name : {"One", "Two"}) {
        AddCard(climb, QLatin1String(name));
        AddSample(climb, QLatin1String(name), 0, 100);
        AddSample(climb, QLatin1String(name), 2, 180);
    }
    WindowRegistry::Register(QStringLiteral("frmAltimetria"), [](QWidget *parent) { return new ProfileStandIn(parent); });
    CardWindow &w = Open(climb);
    w.cmdAltim_Click();
    w.cmdShowAlti_Click();
    auto *profile = qobject_cast<ProfileStandIn *>(WindowRegistry::Find(QStringLiteral("frmAltimetria")));
    ASSERT_NE(profile, nullptr);
    EXPECT_EQ(ProfileName, QStringLiteral("One"));
    EXPECT_EQ(profile->redraws, 0);

    w.Data1()->MoveNext();
    EXPECT_EQ(ProfileName, QStringLiteral("Two"));
    EXPECT_EQ(profile->windowTitle(), QStringLiteral("Two"));
    EXPECT_EQ(profile->redraws, 1);
    w.cmdShowAlti_Click();   // pressed again: a redraw, no second window
    EXPECT_EQ(profile->redraws, 2);
    EXPECT_EQ(WindowRegistry::LoadedNames().count(QStringLiteral("frmAltimetria")), 1);

    w.cmdpct1Close_Click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(WindowRegistry::Find(QStringLiteral("frmAltimetria")), nullptr);
    EXPECT_EQ(AltimetriaOpen, 0);
    WindowRegistry::Unregister(QStringLiteral("frmAltimetria"));
}

namespace {
// Stands in for the icon picker: picks the next key of its list and closes.
class IconPickerStandIn : public QDialog {
public:
    explicit IconPickerStandIn(QWidget *parent) : QDialog(parent)
    {
        QTimer::singleShot(0, this, [this]() {
            IconKey = picks.isEmpty() ? QString() : picks.takeFirst();
            accept();
        });
    }
    static inline QStringList picks;
};
}

// Enter on an icon cell and a double click on one open the picker; the picked
// key goes into the cell and is written with the row.
TEST_F(CardWindowTest, IconCellOpensThePicker)
{
    AddCard(true, QStringLiteral("A"));
    AddSample(true, QStringLiteral("A"), 0, 100);
    AddSample(true, QStringLiteral("A"), 1, 150);
    WindowRegistry::Register(QStringLiteral("frmIcons"), [](QWidget *parent) { return new IconPickerStandIn(parent); });
    IconPickerStandIn::picks = {QStringLiteral("summit"), QStringLiteral("bar")};
    CardWindow &w = Open(true);
    w.cmdAltim_Click();
    auto *grid = Ctl<QTableView>("DBGrid1");
    grid->setCurrentIndex(Cell(w, 0, 3));
    Type(grid, Qt::Key_Return, QStringLiteral("\r"));
    EXPECT_EQ(w.SampleModel()->value(0, 3).toString(), QStringLiteral("summit"));
    ASSERT_TRUE(w.SampleModel()->CommitRow());

    const QPoint at = grid->visualRect(Cell(w, 1, 3)).center();
    QMouseEvent click(QEvent::MouseButtonDblClick, at, grid->viewport()->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(grid->viewport(), &click);
    ASSERT_TRUE(w.SampleModel()->CommitRow());
    WindowRegistry::Unregister(QStringLiteral("frmIcons"));
    EXPECT_EQ(Count(QStringLiteral("SELECT * FROM [CampioniSalite] WHERE [DistParz] = 0 AND [image] = 'summit'")), 1);
    EXPECT_EQ(Count(QStringLiteral("SELECT * FROM [CampioniSalite] WHERE [DistParz] = 1 AND [image] = 'bar'")), 1);
}

#include "window_samples_test.moc"

// A typed row is not lost when the card moves with the panel open: a complete
// one is written for the card it was typed on, an incomplete one keeps the
// card where it is with the row's message. The profile button counts a typed
// row once it is written.
TEST_P(BothWindows, TypedRowSurvivesAMoveAndCountsForTheProfile)
{
    const bool climb = GetParam();
    TestSupport::LocaleScope scope(QLocale(QLocale::Italian, QLocale::Italy));
    AddCard(climb, QStringLiteral("One"));
    AddCard(climb, QStringLiteral("Two"));
    AddSample(climb, QStringLiteral("One"), 0, 100);
    CardWindow &w = Open(climb);
    w.cmdAltim_Click();
    data::RecordsetModel *m = w.SampleModel();

    // Incomplete: refused, the card stays.
    ASSERT_TRUE(m->setData(Cell(w, 1, 0), QStringLiteral("2,5"), Qt::EditRole));
    TestSupport::ResetScript();
    w.Data1()->MoveNext();
    EXPECT_EQ(Txt(0)->text(), QStringLiteral("One"));
    TestSupport::RunQueued();
    EXPECT_EQ(TestSupport::Script().messages().size(), 1);
    EXPECT_EQ(m->pendingRow(), 1);

    // Complete: the profile button writes it and then has two samples.
    ASSERT_TRUE(m->setData(Cell(w, 1, 1), QStringLiteral("180"), Qt::EditRole));
    ProfileName = QStringLiteral("before");
    w.cmdShowAlti_Click();
    EXPECT_EQ(ProfileName, QStringLiteral("One"));
    EXPECT_EQ(w.SampleTotal(), 2);

    // A new typed row, then a move: written for "One", the grid shows "Two".
    ASSERT_TRUE(m->setData(Cell(w, 2, 0), QStringLiteral("4"), Qt::EditRole));
    ASSERT_TRUE(m->setData(Cell(w, 2, 1), QStringLiteral("260"), Qt::EditRole));
    w.Data1()->MoveNext();
    EXPECT_EQ(Txt(0)->text(), QStringLiteral("Two"));
    EXPECT_EQ(Count(QStringLiteral("SELECT * FROM [%1] WHERE [IDPercorso] = 'One'").arg(Samples(climb))), 3);
    EXPECT_EQ(w.SampleTotal(), 0);

    // An edit of a stored row typed in the open cell editor is kept as well.
    w.Data1()->MovePrevious();
    auto *grid = Ctl<QTableView>("DBGrid1");
    const QModelIndex note = Cell(w, 0, 2);
    grid->setCurrentIndex(note);
    grid->edit(note);
    auto *editor = qobject_cast<QLineEdit *>(grid->indexWidget(note));
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("partenza"));
    w.Data1()->MoveNext();
    EXPECT_EQ(Count(QStringLiteral("SELECT * FROM [%1] WHERE [IDPercorso] = 'One' AND [Note] = 'partenza'").arg(Samples(climb))), 1);
}

// Rows stay in distance order after an insert, with the new row current; an
// unfinished row gives one message per refusal, Escape gives it up (a stored
// row gets its values back), Delete on the selected new row drops it.
TEST_P(BothWindows, SampleGridOrderEscapeAndDelete)
{
    const bool climb = GetParam();
    TestSupport::LocaleScope scope(QLocale(QLocale::Italian, QLocale::Italy));
    AddCard(climb, QStringLiteral("Colle"));
    AddSample(climb, QStringLiteral("Colle"), 0, 100);
    AddSample(climb, QStringLiteral("Colle"), 24.3, 1900);
    CardWindow &w = Open(climb);
    w.cmdAltim_Click();
    data::RecordsetModel *m = w.SampleModel();
    auto *grid = Ctl<QTableView>("DBGrid1");

    grid->setCurrentIndex(Cell(w, 2, 0));
    ASSERT_TRUE(m->setData(Cell(w, 2, 0), QStringLiteral("2,5"), Qt::EditRole));
    ASSERT_TRUE(m->setData(Cell(w, 2, 1), QStringLiteral("300"), Qt::EditRole));
    grid->setCurrentIndex(Cell(w, 0, 0));
    QApplication::processEvents();
    EXPECT_FLOAT_EQ(float(m->value(1, 0).toDouble()), 2.5f);
    EXPECT_FLOAT_EQ(float(m->value(2, 0).toDouble()), 24.3f);
    EXPECT_EQ(grid->currentIndex().row(), 1);
    EXPECT_EQ(w.SampleTotal(), 3);

    // A new row without its height: one message when the grid leaves it.
    grid->setCurrentIndex(Cell(w, 3, 0));
    ASSERT_TRUE(m->setData(Cell(w, 3, 0), QStringLiteral("7"), Qt::EditRole));
    TestSupport::ResetScript();
    grid->setCurrentIndex(Cell(w, 0, 0));
    QApplication::processEvents();
    TestSupport::RunQueued();
    EXPECT_EQ(TestSupport::Script().messages().size(), 1) << TestSupport::Script().messages().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(grid->currentIndex().row(), 3);
    // Escape gives it up.
    grid->setFocus();
    Type(grid, Qt::Key_Escape, QString());
    EXPECT_EQ(m->pendingRow(), -1);
    EXPECT_EQ(m->rowCount(), 4);

    // A stored row's typed change: Escape puts the stored value back.
    ASSERT_TRUE(m->setData(Cell(w, 0, 1), QStringLiteral("150"), Qt::EditRole));
    Type(grid, Qt::Key_Escape, QString());
    EXPECT_EQ(m->value(0, 1).toInt(), 100);

    // Delete on the selected new row drops it; nothing is written.
    ASSERT_TRUE(m->setData(Cell(w, 3, 0), QStringLiteral("9"), Qt::EditRole));
    grid->selectRow(3);
    Type(grid, Qt::Key_Delete, QString());
    EXPECT_EQ(m->pendingRow(), -1);
    EXPECT_EQ(Count(QStringLiteral("SELECT * FROM [%1] WHERE [IDPercorso] = 'Colle'").arg(Samples(climb))), 3);
}

// Delete on a selected stored row asks first: Cancel keeps the sample, OK
// deletes it and the counter follows.
TEST_P(BothWindows, DeleteOfAStoredSampleAsksFirst)
{
    const bool climb = GetParam();
    AddCard(climb, QStringLiteral("Colle"));
    AddSample(climb, QStringLiteral("Colle"), 0, 100);
    AddSample(climb, QStringLiteral("Colle"), 2, 180);
    CardWindow &w = Open(climb);
    w.cmdAltim_Click();
    auto *grid = Ctl<QTableView>("DBGrid1");
    const QString stored = QStringLiteral("SELECT * FROM [%1] WHERE [IDPercorso] = 'Colle'").arg(Samples(climb));
    grid->setFocus();
    grid->selectRow(1);

    TestSupport::ResetScript().answers.push_back(Vb::Cancel);
    Type(grid, Qt::Key_Delete, QString());
    ASSERT_EQ(TestSupport::Script().shown.size(), 1u);
    EXPECT_EQ(TestSupport::Script().shown[0].text, GetLangString(climb ? 9535 : 7535));
    EXPECT_EQ(TestSupport::Script().shown[0].style, Vb::OKCancel + Vb::Question + Vb::DefaultButton2);
    EXPECT_EQ(Count(stored), 2);
    EXPECT_EQ(w.SampleTotal(), 2);

    TestSupport::ResetScript().answers.push_back(Vb::OK);
    Type(grid, Qt::Key_Delete, QString());
    TestSupport::RunQueued();
    EXPECT_EQ(TestSupport::Script().messages().size(), 1);
    EXPECT_EQ(Count(stored + QStringLiteral(" AND [DistParz] = 2")), 0);
    EXPECT_EQ(Count(stored), 1);
    EXPECT_EQ(w.SampleTotal(), 1);
    EXPECT_EQ(Ctl<QLabel>("Label9")->text(), QStringLiteral("1"));

    // The database refuses: the error is shown after the question, the row stays.
    CurrentDb->Execute(QStringLiteral("CREATE TRIGGER keep BEFORE DELETE ON [%1] BEGIN SELECT RAISE(ABORT, 'sample in use'); END")
                           .arg(Samples(climb)), 0, {});
    grid->selectRow(0);
    TestSupport::ResetScript().answers.push_back(Vb::OK);
    Type(grid, Qt::Key_Delete, QString());
    TestSupport::RunQueued();
    ASSERT_EQ(TestSupport::Script().messages().size(), 2);
    TestSupport::RunQueued();
    EXPECT_TRUE(TestSupport::Script().messages()[1].contains(QStringLiteral("sample in use")))
        << TestSupport::Script().messages()[1].toStdString();
    EXPECT_EQ(Count(stored), 1);
    EXPECT_EQ(w.SampleTotal(), 1);
}

// A window deleted while a sample cell editor is open: its closing steps
// offer the typed text to the grid's rules once (here a distance the card
// has already), and nothing reaches those rules once the window's parts are
// being taken apart (a sanitizer build reports any such access).
TEST_F(CardWindowTest, WindowDeletedWithAnOpenCellEditor)
{
    AddCard(true, QStringLiteral("A"));
    AddSample(true, QStringLiteral("A"), 0, 100);
    CardWindow &w = Open(true);
    w.cmdAltim_Click();
    auto *grid = Ctl<QTableView>("DBGrid1");
    grid->setFocus();
    grid->setCurrentIndex(Cell(w, 1, 0));   // the add row: the editor opens
    auto *editor = qobject_cast<QLineEdit *>(grid->indexWidget(Cell(w, 1, 0)));
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("0"));
    DeleteWindow();
    TestSupport::RunQueued();
    EXPECT_EQ(TestSupport::Script().messages(), QStringList{GetLangString(SampleChecks::DuplicateTextClimb)});
    EXPECT_EQ(Count(QStringLiteral("SELECT * FROM [CampioniSalite]")), 1);
}

namespace {
void Click(QTableView *grid, const QModelIndex &cell)
{
    const QPoint at = grid->visualRect(cell).center();
    const QPoint global = grid->viewport()->mapToGlobal(at);
    QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(grid->viewport(), &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(grid->viewport(), &release);
}
}

// A new row typed in the cell editors and left by a click on another row
// while its height is empty: one message, though the click opened an editor
// on the other row that the message box takes the focus from. The grid stays
// on the refused row, which is still there to finish.
TEST_P(BothWindows, ClickAwayFromAnUnfinishedRowTellsOnce)
{
    const bool climb = GetParam();
    AddCard(climb, QStringLiteral("Colle"));
    AddSample(climb, QStringLiteral("Colle"), 0, 100);
    AddSample(climb, QStringLiteral("Colle"), 24.3, 1900);
    CardWindow &w = Open(climb);
    w.cmdAltim_Click();
    auto *grid = Ctl<QTableView>("DBGrid1");
    grid->setFocus();
    grid->setCurrentIndex(Cell(w, 2, 0));   // the add row: its editor opens
    auto *editor = qobject_cast<QLineEdit *>(grid->indexWidget(Cell(w, 2, 0)));
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("7"));
    Type(editor, Qt::Key_Tab, QString());
    QApplication::processEvents();
    ASSERT_EQ(grid->currentIndex(), Cell(w, 2, 1));
    ASSERT_EQ(w.SampleModel()->pendingRow(), 2);

    TestSupport::RealMessageBoxes boxes;
    Click(grid, Cell(w, 0, 0));
    for (int i = 0; i < 20; ++i)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_EQ(boxes.texts.size(), 1) << boxes.texts.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(grid->currentIndex().row(), 2);
    EXPECT_EQ(w.SampleModel()->pendingRow(), 2);
    EXPECT_EQ(Count(QStringLiteral("SELECT * FROM [%1] WHERE [IDPercorso] = 'Colle'").arg(Samples(climb))), 2);
}

// A row the database refuses beyond the grid's rules (here a rule of the
// table; a read-only or full file alike), new or stored, left by a click on
// another row: the error is told once, after the grid is done, and the grid
// stays on the row with what was typed, nothing stored.
TEST_P(BothWindows, ARowTheDatabaseRefusesIsTold)
{
    const bool climb = GetParam();
    struct Case {
        const char *name;
        const char *event;   // what the table's rule stops
        int row;             // the row typed
        int clickRow;        // the row clicked to leave it
    };
    for (const Case &c : {Case{"new row", "INSERT", 1, 0}, Case{"stored row", "UPDATE", 0, 1}}) {
        SCOPED_TRACE(c.name);
        AddCard(climb, QStringLiteral("Colle"));
        AddSample(climb, QStringLiteral("Colle"), 0, 100);
        CurrentDb->Execute(QStringLiteral("CREATE TRIGGER refuse BEFORE %1 ON [%2] BEGIN SELECT RAISE(ABORT, 'sample refused'); END")
                               .arg(QLatin1String(c.event), Samples(climb)),
                           0, {});
        CardWindow &w = Open(climb);
        w.cmdAltim_Click();
        auto *grid = Ctl<QTableView>("DBGrid1");
        grid->setFocus();
        for (const auto &[column, text] : {std::pair{0, QStringLiteral("7")}, std::pair{1, QStringLiteral("700")}}) {
            grid->setCurrentIndex(Cell(w, c.row, column));
            QApplication::processEvents();
            if (!grid->indexWidget(Cell(w, c.row, column)))
                grid->edit(Cell(w, c.row, column));
            auto *editor = qobject_cast<QLineEdit *>(grid->indexWidget(Cell(w, c.row, column)));
            ASSERT_NE(editor, nullptr) << column;
            editor->setText(text);
        }
        TestSupport::RealMessageBoxes boxes;
        Click(grid, Cell(w, c.clickRow, 0));
        TestSupport::Pump();
        ASSERT_EQ(boxes.texts.size(), 1) << boxes.texts.join(QLatin1Char('|')).toStdString();
        EXPECT_TRUE(boxes.texts.first().contains(QStringLiteral("sample refused"))) << boxes.texts.first().toStdString();
        EXPECT_EQ(grid->currentIndex().row(), c.row);
        EXPECT_EQ(w.SampleModel()->pendingRow(), c.row);
        EXPECT_EQ(w.SampleModel()->value(c.row, 1).toDouble(), 700.0);
        const QString stored = QStringLiteral("SELECT * FROM [%1] WHERE [IDPercorso] = 'Colle'").arg(Samples(climb));
        EXPECT_EQ(Count(stored), 1);
        EXPECT_EQ(Count(stored + QStringLiteral(" AND [DistParz] = 0 AND [Altezza] = 100")), 1);
        DeleteWindow();
        CurrentDb->Execute(QStringLiteral("DROP TRIGGER refuse"), 0, {});
        CurrentDb->Execute(QStringLiteral("DELETE FROM [%1]").arg(Samples(climb)), 0, {});
        CurrentDb->Execute(QStringLiteral("DELETE FROM [%1]").arg(climb ? QStringLiteral("Dati Salite") : QStringLiteral("Dati Percorsi")), 0, {});
    }
}

// A note longer than its field, typed and pasted into the new row: the cell
// takes what the field holds, and leaving the row writes it without a word.
TEST_P(BothWindows, ANoteLongerThanItsFieldIsCutWhereItIsTyped)
{
    const bool climb = GetParam();
    AddCard(climb, QStringLiteral("Colle"));
    AddSample(climb, QStringLiteral("Colle"), 0, 100);
    CardWindow &w = Open(climb);
    w.cmdAltim_Click();
    auto *grid = Ctl<QTableView>("DBGrid1");
    grid->setFocus();
    const QString note = QString(300, QLatin1Char('n'));
    const int size = w.SampleModel()->textSize(SampleChecks::NoteColumn);   // the Note field's declared size
    ASSERT_EQ(size, 255);
    for (const auto &[column, text] : {std::pair{0, QStringLiteral("7")}, std::pair{1, QStringLiteral("700")},
                                        std::pair{2, note}}) {
        grid->setCurrentIndex(Cell(w, 1, column));
        QApplication::processEvents();
        auto *editor = qobject_cast<QLineEdit *>(grid->indexWidget(Cell(w, 1, column)));
        ASSERT_NE(editor, nullptr) << column;
        if (column == SampleChecks::NoteColumn) {
            QTest::keyClicks(editor, text);
            EXPECT_EQ(editor->text().size(), size);
            editor->clear();
            QGuiApplication::clipboard()->setText(text);
            editor->paste();
            EXPECT_EQ(editor->text().size(), size);
        } else {
            editor->setText(text);
        }
    }
    TestSupport::RealMessageBoxes boxes;
    Click(grid, Cell(w, 0, 0));
    for (int i = 0; i < 20; ++i)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_TRUE(boxes.texts.isEmpty()) << boxes.texts.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(w.SampleModel()->pendingRow(), -1);
    EXPECT_EQ(Count(QStringLiteral("SELECT * FROM [%1] WHERE [IDPercorso] = 'Colle' AND [DistParz] = 7 AND [Note] = ?")
                        .arg(Samples(climb)),
                    {note.left(size)}),
              1);
}

// Numbers inside a message are written as the interface language writes them,
// whatever the user's own locale: the range of the grid's altitude cells and
// of the climb card's altitude fields.
class InterfaceNumbers : public CardWindowTest {
protected:
    void TearDown() override
    {
        CardWindowTest::TearDown();
        ResetLanguages();
        Com::SetMachineRegistryFile(QString());
    }
};

TEST_F(InterfaceNumbers, RangesAreGroupedAsTheInterfaceLanguageGroupsThem)
{
    struct Case {
        const char *lang;
        QLocale user;
        const char *grid;
        const char *fieldRange[2];
    };
    const Case cases[] = {
        {"1031", QLocale(QLocale::English, QLocale::UnitedStates),
         "Das Feld Höhe nimmt eine ganze Zahl von -32.768 bis 32.767 an.", {"0", "9.999"}},
        {"1033", QLocale(QLocale::German, QLocale::Germany), "Field Altitude takes a whole number from -32,768 to 32,767.",
         {"0", "9,999"}},
    };
    Com::SetMachineRegistryFile(QDir(TestSupport::BinDir()).filePath(QStringLiteral("com-registry.ini")));
    LoadLanguages(TestSupport::BinDir());
    AddCard(true, QStringLiteral("Colle"));
    AddSample(true, QStringLiteral("Colle"), 0, 100);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.lang);
        TestSupport::LocaleScope user(c.user);
        ASSERT_EQ(SelectLanguage(QLatin1String(c.lang), QStringLiteral("1033")), QLatin1String(c.lang));
        CardWindow &w = Open(true);
        w.cmdAltim_Click();
        auto *grid = Ctl<QTableView>("DBGrid1");
        grid->setFocus();
        grid->setCurrentIndex(Cell(w, 0, SampleChecks::HeightColumn));
        QApplication::processEvents();
        if (!grid->indexWidget(grid->currentIndex()))
            QTest::keyClick(grid, Qt::Key_F2);
        auto *editor = qobject_cast<QLineEdit *>(grid->indexWidget(grid->currentIndex()));
        ASSERT_NE(editor, nullptr);
        editor->selectAll();
        TestSupport::ResetScript();
        QTest::keyClicks(editor, QStringLiteral("99999"));
        QTest::keyClick(editor, Qt::Key_Return);
        TestSupport::RunQueued();
        EXPECT_EQ(TestSupport::Script().messages(), QStringList{QString::fromUtf8(c.grid)});
        w.cmdpct1Close_Click();

        TestSupport::ResetScript();
        w.cmdModify_Click();
        auto *start = Ctl<QLineEdit>("txtFields(2)");
        start->setFocus();
        start->selectAll();
        QTest::keyClicks(start, QStringLiteral("99999"));
        TestSupport::RunQueued();
        const QString caption = Ctl<QLabel>("lblLabels(2)")->text().remove(QLatin1Char('&')).remove(QLatin1Char(':')).trimmed();
        EXPECT_EQ(TestSupport::Script().messages(),
                  QStringList{FormatLangString(GetLangString(9536), {caption, QLatin1String(c.fieldRange[0]),
                                                                     QLatin1String(c.fieldRange[1])})});
        Close();
    }
}
