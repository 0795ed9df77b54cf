// Keyboard navigation of the card windows.
#include "window_fixture.h"

#include <QPlainTextEdit>
#include <QTableView>

#include "platform/data/RecordsetModel.h"

namespace {
struct NavCase {
    const char *name;
    int start;          // 1-based card to stand on
    int key;
    Qt::KeyboardModifiers mods;
    int expected;       // card after the key
    bool focusMoves;    // the focus goes to cmdClose
};
}

// Three cards A, B, C. The keys act from any control, with any modifier; Page
// Up on the first and Page Down on the last do nothing, not even move the focus.
TEST_P(BothWindows, KeyboardNavigation)
{
    const bool climb = GetParam();
    for (const char *n : {"A", "B", "C"})
        AddCard(climb, QLatin1String(n));
    CardWindow &w = Open(climb);
    const NavCase cases[] = {
        {"PageDown", 1, Qt::Key_PageDown, Qt::NoModifier, 2, true},
        {"PageDown on last", 3, Qt::Key_PageDown, Qt::NoModifier, 3, false},
        {"PageUp", 3, Qt::Key_PageUp, Qt::NoModifier, 2, true},
        {"PageUp on first", 1, Qt::Key_PageUp, Qt::NoModifier, 1, false},
        {"End", 1, Qt::Key_End, Qt::NoModifier, 3, true},
        {"End with Ctrl", 2, Qt::Key_End, Qt::ControlModifier, 3, true},
        {"Home with Shift", 3, Qt::Key_Home, Qt::ShiftModifier, 1, true},
        {"Home on first", 1, Qt::Key_Home, Qt::AltModifier, 1, true},
    };
    QWidget *targets[] = {Txt(1), Ctl<QComboBox>("cmbState"), Button("cmdRefresh")};
    for (QWidget *target : targets) {
        for (const NavCase &c : cases) {
            SCOPED_TRACE(std::string(c.name) + " in " + target->objectName().toStdString());
            w.Data1()->MoveFirst();
            for (int i = 1; i < c.start; ++i)
                w.Data1()->MoveNext();
            target->setFocus();
            Key(target, c.key, c.mods);
            EXPECT_EQ(Txt(0)->text(), QString(QChar('A' + c.expected - 1)));
            EXPECT_EQ(w.Data1()->caption(), QString::number(c.expected));
            if (w.isActiveWindow()) {
                EXPECT_EQ(Button("cmdClose")->hasFocus(), c.focusMoves);
            }
        }
    }
}

TEST_P(BothWindows, KeysDoNothingWithOneCardOrWhileAdding)
{
    const bool climb = GetParam();
    AddCard(climb, QStringLiteral("A"));
    CardWindow &w = Open(climb);
    Key(Txt(1), Qt::Key_End);
    Key(Txt(1), Qt::Key_PageDown);
    EXPECT_EQ(Txt(0)->text(), QStringLiteral("A"));

    AddCard(climb, QStringLiteral("B"));
    Button("cmdRefresh")->click();   // the count is kept: one card as far as the window knows
    Key(Txt(1), Qt::Key_End);
    EXPECT_EQ(Txt(0)->text(), QStringLiteral("A"));
    Close();

    CardWindow &w2 = Open(climb);
    Button("cmdAdd")->click();
    Txt(0)->setText(QStringLiteral("New"));
    Key(Txt(0), Qt::Key_End);
    EXPECT_TRUE(w2.AddMode());
    EXPECT_EQ(Txt(0)->text(), QStringLiteral("New"));
    Q_UNUSED(w);
}

// Enter in a field moves to the next control and types nothing.
TEST_P(BothWindows, EnterMovesToTheNextControl)
{
    const bool climb = GetParam();
    AddCard(climb, QStringLiteral("A"));
    CardWindow &w = Open(climb);
    if (!w.isActiveWindow())
        GTEST_SKIP() << "no active window on this platform";
    QLineEdit *field = climb ? Ctl<QLineEdit>("Text2(0)") : Ctl<QLineEdit>("Text1(0)");
    field->setFocus();
    field->setText(QStringLiteral("Lombardia"));
    Key(field, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_FALSE(field->hasFocus());
    EXPECT_EQ(field->text(), QStringLiteral("Lombardia"));
}

// The keypad's decimal key types the user's separator in the length field; a
// letter is refused there.
TEST_P(BothWindows, KeypadDecimalInTheLength)
{
    const bool climb = GetParam();
    TestSupport::LocaleScope scope(QLocale(QLocale::Italian, QLocale::Italy));
    Open(climb);
    QLineEdit *length = Txt(1);
    length->clear();
    const struct { int key; const char *text; Qt::KeyboardModifiers mods; } keys[] = {
        {Qt::Key_1, "1", Qt::NoModifier}, {Qt::Key_Period, ".", Qt::KeypadModifier},
        {Qt::Key_A, "a", Qt::NoModifier}, {Qt::Key_5, "5", Qt::NoModifier}};
    for (const auto &k : keys) {
        QKeyEvent press(QEvent::KeyPress, k.key, k.mods, QLatin1String(k.text));
        QApplication::sendEvent(length, &press);
    }
    EXPECT_EQ(length->text(), QStringLiteral("1,5"));
}

// The key preview belongs to the window: a cell editor the grid opens after
// loading shows its keys to the card, a widget of another window does not.
TEST_P(BothWindows, KeyPreviewCoversLaterWidgetsOfTheWindowOnly)
{
    const bool climb = GetParam();
    for (const char *n : {"A", "B", "C"})
        AddCard(climb, QLatin1String(n));
    AddSample(climb, QStringLiteral("A"), 1, 100);
    CardWindow &w = Open(climb);

    QLineEdit stranger;
    stranger.show();
    Key(&stranger, Qt::Key_End);
    EXPECT_EQ(Txt(0)->text(), QStringLiteral("A"));

    w.cmdAltim_Click();
    auto *grid = Ctl<QTableView>("DBGrid1");
    ASSERT_NE(grid, nullptr);
    const QModelIndex cell = w.SampleModel()->index(0, 2);
    grid->setCurrentIndex(cell);
    grid->edit(cell);
    QWidget *editor = grid->indexWidget(cell);
    ASSERT_NE(editor, nullptr);
    Key(editor, Qt::Key_PageDown);
    EXPECT_EQ(Txt(0)->text(), QStringLiteral("B"));
}
