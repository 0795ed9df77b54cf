// The altitude-sample panel of the card windows.
#include "window_fixture.h"

#include "core/ProfileGlobals.h"
#include "platform/data/RecordsetModel.h"

#include <QTableView>

namespace {
QModelIndex Cell(CardWindow &w, int row, int column) { return w.SampleModel()->index(row, column); }
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
    EXPECT_EQ(TestSupport::Script().messages(), QStringList{GetLangString(climb ? 9534 : 7534)});
    EXPECT_EQ(m->value(0, 0).toDouble(), 0.0);
    // Not a number: undone without a word.
    TestSupport::ResetScript();
    EXPECT_FALSE(m->setData(Cell(w, 0, 1), QStringLiteral("abc"), Qt::EditRole));
    EXPECT_TRUE(TestSupport::Script().messages().isEmpty());

    // A new row without a height is refused with the column's caption.
    ASSERT_TRUE(m->setData(Cell(w, 2, 0), QStringLiteral("3,25"), Qt::EditRole));
    EXPECT_FALSE(m->CommitRow());
    const QString caption = m->headerData(1, Qt::Horizontal, Qt::DisplayRole).toString();
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
    EXPECT_TRUE(TestSupport::Script().messages().isEmpty());
}
