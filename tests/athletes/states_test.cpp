// The states list: the file parser, the import into States and the grid's
// refused rows.
#include "athletes_fixture.h"

#include "athletes/frmStates.h"
#include "athletes/logic/StatesFile.h"
#include "platform/data/RecordsetModel.h"
#include "platform/shell/ReadLimits.h"
#include "platform/ui/Prompt.h"

#include <QClipboard>
#include <QFile>
#include <QLocale>
#include <QTableView>
#include <QTest>

namespace {

TEST(StatesFileTest, ParserCases)
{
    struct Case { QByteArray bytes; QStringList names; };
    const QString longName(300, QLatin1Char('x'));
    const Case cases[] = {
        {"", {}},
        {",,,\r\n,", {}},
        {"Italy,France\r\nSpain\nGermany\rAustria", {"Italy", "France", "Spain", "Germany", "Austria"}},
        {"  Italy  , San Marino ,\t, Peru", {"Italy", "San Marino", "Peru"}},
        {"\"Korea, South\",\" Bosnia  \"x,Chad", {"Korea, South", " Bosnia  ", "Chad"}},
        {"Chile,\"unterminated, to the end\r\nof it", {"Chile", "unterminated, to the end\r\nof it"}},
        {"State,state", {"State", "state"}},
        {"C\xc3\xb4te d'Ivoire", {QString::fromUtf8("Côte d'Ivoire")}},   // UTF-8
        {"C\xf4te\x80", {QString::fromUtf8("Côte€")}},                     // Windows-1252
        // A UTF-8 byte order mark is dropped, whichever encoding the rest is read in.
        {"\xEF\xBB\xBFItalia,C\xc3\xb4te", {"Italia", QString::fromUtf8("Côte")}},
        {"\xEF\xBB\xBFItalia,C\xf4te", {"Italia", QString::fromUtf8("Côte")}},
        // A file cut inside a UTF-8 character is not valid UTF-8.
        {"Italia,Citt\xc3", {"Italia", QString::fromUtf8("CittÃ")}},
        {"\"\",\"  \",Fiji", {"Fiji"}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(StatesFile::Parse(c.bytes), c.names) << c.bytes.toStdString();
    // Binary junk: no crash, and never a name of blanks only.
    QByteArray junk;
    for (int i = 0; i < 4096; ++i)
        junk.append(char((i * 37 + 11) % 256));
    const QStringList fromJunk = StatesFile::Parse(junk);
    EXPECT_FALSE(fromJunk.isEmpty());
    for (const QString &n : fromJunk)
        EXPECT_FALSE(n.trimmed().isEmpty());
}

// The names a window imports: each once, compared as the table compares
// them (A to Z without regard to case, every other letter as it is), and none
// at all from a file of more different names than the bound.
TEST(StatesFileTest, DistinctNamesOnceEachAndNoneOfTooMany)
{
    struct Case { QByteArray bytes; int max; QStringList names; bool tooMany; };
    const Case cases[] = {
        {"Italy,ITALY,italy,Spain", 2, {"Italy", "Spain"}, false},
        {"\xc3\x89lan,\xc3\xa9lan,\xc3\x89LAN", 2, {QString::fromUtf8("Élan"), QString::fromUtf8("élan")}, false},
        {"a,A,b,B,a", 2, {"a", "b"}, false},
        {"a,b,c", 2, {}, true},
        {"", 0, {}, false},
    };
    for (const Case &c : cases) {
        const StatesFile::NameList list = StatesFile::DistinctNames(c.bytes, c.max);
        EXPECT_EQ(list.names, c.names) << c.bytes.toStdString();
        EXPECT_EQ(list.tooMany, c.tooMany) << c.bytes.toStdString();
    }
}

class StatesTest : public AthletesTest {
protected:
    void SetUp() override
    {
        AthletesTest::SetUp();
        m_prompts = std::make_shared<ScriptedPromptProvider>();
        SetPromptProvider(m_prompts);
        CurrentDb->Execute(QStringLiteral("DELETE FROM States"), 0, {});
        CurrentDb->Execute(QStringLiteral("INSERT INTO States (State) VALUES ('Italy')"), 0, {});
    }
    void TearDown() override
    {
        m_window.reset();
        SetPromptProvider(nullptr);
        AthletesTest::TearDown();
    }
    QStringList States()
    {
        QStringList s;
        dao::RecordsetPtr rs = CurrentDb->OpenRecordset(QStringLiteral("SELECT State FROM States ORDER BY State"), dao::dbOpenSnapshot);
        for (; !rs->AtEOF(); rs->MoveNext())
            s << rs->Value(0).toString();
        return s;
    }
    QString WriteFile(const QByteArray &bytes)
    {
        const QString path = Path(QStringLiteral("in/states.txt"));
        QDir().mkpath(Path(QStringLiteral("in")));
        QFile f(path);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(bytes);
        return path;
    }
    frmStates &Open()
    {
        m_window = std::make_unique<frmStates>();
        m_window->show();
        return *m_window;
    }
    std::shared_ptr<ScriptedPromptProvider> m_prompts;
    std::unique_ptr<frmStates> m_window;
};

TEST_F(StatesTest, ImportAddsNewNamesOnceAndShowsThem)
{
    frmStates &w = Open();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("States"));
    m_prompts->files = {WriteFile("ITALY,Spain,\"Korea, South\",Spain,State,  ,France\r\n")};
    w.mnuStates_Click();
    EXPECT_TRUE(m_prompts->messages().isEmpty()) << m_prompts->messages().join("|").toStdString();
    EXPECT_EQ(States(), (QStringList{"France", "Italy", "Korea, South", "Spain", "State"}));
    EXPECT_EQ(w.model()->storedRows(), 5);
    ASSERT_EQ(m_prompts->shown.size(), 1u);
    EXPECT_EQ(m_prompts->shown[0].request.title, QStringLiteral("Open States File..."));
    EXPECT_EQ(m_prompts->shown[0].request.initDir, AppPath);
    EXPECT_EQ(GetSetting(AppName, QStringLiteral("frmStates"), QStringLiteral("InitDir")), Path(QStringLiteral("in")));
}

// A name the table refuses ends the import: the names stored before it stay
// and the grid shows them; the message names the error and the name.
TEST_F(StatesTest, FailedImportKeepsTheNamesBeforeItAndNamesTheCulprit)
{
    Open();
    // The name is quoted cut to a readable length: a name of megabytes once
    // froze the window while the message box laid it out.
    for (const QByteArray &tooLong : {QByteArray(300, 'x'), "Repubblica " + QByteArray(1 << 20, 'z')}) {
        SCOPED_TRACE(tooLong.size());
        CurrentDb->Execute(QStringLiteral("DELETE FROM States WHERE State <> 'Italy'"), 0, {});
        m_prompts->shown.clear();
        m_prompts->files = {WriteFile("Spain,France," + tooLong + ",Chad")};
        m_window->mnuStates_Click();
        EXPECT_EQ(States(), (QStringList{"France", "Italy", "Spain"}));
        EXPECT_EQ(m_window->model()->storedRows(), 3);
        ASSERT_EQ(m_prompts->messages().size(), 1);
        const QString message = m_prompts->messages()[0];
        EXPECT_TRUE(message.startsWith(QStringLiteral("Error %1: ").arg(dao::JetErr::FieldTooSmall))) << message.left(80).toStdString();
        EXPECT_TRUE(message.endsWith(QLatin1Char('"') + QString::fromLatin1(tooLong.left(60)) + QChar(0x2026) + QLatin1Char('"')))
            << message.right(80).toStdString();
    }
}

TEST_F(StatesTest, AFileOverTheCapIsRefusedBeforeItIsRead)
{
    Open();
    const QString path = WriteFile("Spain,France");
    // A sparse file: its size is past the cap, with no bytes on the disk.
    ASSERT_TRUE(QFile(path).resize(readlimits::MaxStatesFileBytes + 1));
    m_prompts->files = {path};
    m_window->mnuStates_Click();
    EXPECT_EQ(States(), QStringList{"Italy"});
    EXPECT_EQ(m_prompts->messages(),
              QStringList{QStringLiteral("states.txt\n") + FormatLangString(GetLangString(171), {QStringLiteral("64")})});
}

// A file of more different names than any list of states is refused before
// a name is stored (millions of them held the window for half a minute); a
// name repeated throughout a file is stored once.
TEST_F(StatesTest, AFileOfTooManyNamesIsRefusedWhole)
{
    Open();
    QByteArray many;
    for (int i = 0; i <= readlimits::MaxStatesFileNames; ++i)
        many += "State " + QByteArray::number(i) + "\r\n";
    m_prompts->files = {WriteFile(many)};
    m_window->mnuStates_Click();
    EXPECT_EQ(States(), QStringList{"Italy"});
    EXPECT_EQ(m_prompts->messages(),
              QStringList{QStringLiteral("states.txt\n")
                          + FormatLangString(GetLangString(180), {QLocale().toString(readlimits::MaxStatesFileNames)})});

    m_prompts->files = {WriteFile(QByteArray("Chad,chad,CHAD\r\n").repeated(readlimits::MaxStatesFileNames))};
    m_window->mnuStates_Click();
    EXPECT_EQ(States(), (QStringList{"Chad", "Italy"}));
    EXPECT_EQ(m_prompts->messages().size(), 1);
}

TEST_F(StatesTest, CancelLeavesTableAndFolder)
{
    SaveSetting(AppName, QStringLiteral("frmStates"), QStringLiteral("InitDir"), QStringLiteral("/somewhere"));
    Open();
    m_prompts->files = {std::nullopt};
    m_window->mnuStates_Click();
    EXPECT_EQ(States(), QStringList{"Italy"});
    EXPECT_EQ(m_prompts->shown.at(0).request.initDir, QStringLiteral("/somewhere"));
    EXPECT_EQ(GetSetting(AppName, QStringLiteral("frmStates"), QStringLiteral("InitDir")), QStringLiteral("/somewhere"));
    EXPECT_TRUE(m_prompts->messages().isEmpty());
}

TEST_F(StatesTest, GridReportsRefusedRowsAndKeepsThemInEdit)
{
    frmStates &w = Open();
    data::RecordsetModel *m = w.model();
    m->fetchAll();
    ASSERT_EQ(m->storedRows(), 1);
    struct Case { const char *typed; bool stored; };
    for (const Case c : {Case{"italy", false}, Case{"   ", false}, Case{"Peru", true}}) {
        m_prompts->shown.clear();
        const int addRow = m->rowCount() - 1;
        ASSERT_TRUE(m->setData(m->index(addRow, 0), QString::fromLatin1(c.typed), Qt::EditRole));
        EXPECT_EQ(m->CommitRow(), c.stored) << c.typed;
        TestSupport::RunQueued();
        EXPECT_EQ(m_prompts->messages().size(), c.stored ? 0 : 1) << c.typed;
        if (!c.stored) {
            EXPECT_GE(m->pendingRow(), 0);
            m->CancelRow();
        }
    }
    EXPECT_EQ(States(), (QStringList{"Italy", "Peru"}));
}

// Through the grid's keys: a row is written when the grid leaves it or the
// window closes; a refused row keeps the grid on it until Esc gives it up;
// Delete removes the rows selected by their headers.
TEST_F(StatesTest, GridWritesRowsAsItLeavesThemAndDeletes)
{
    frmStates &w = Open();
    QTableView *grid = w.dbGridStates();
    data::RecordsetModel *m = w.model();
    m->fetchAll();
    auto typeRow = [&](int row, const QString &name) {
        const QModelIndex cell = m->index(row, 0);
        grid->setCurrentIndex(cell);
        grid->edit(cell);
        auto *editor = qobject_cast<QLineEdit *>(grid->indexWidget(cell));
        ASSERT_NE(editor, nullptr);
        editor->setText(name);
        Key(editor, Qt::Key_Return);
    };
    typeRow(1, QStringLiteral("Peru"));
    EXPECT_EQ(States(), QStringList{"Italy"});   // not yet: the grid is still on the row
    Key(grid, Qt::Key_Up);
    EXPECT_EQ(States(), (QStringList{"Italy", "Peru"}));

    typeRow(2, QStringLiteral("ITALY"));
    Key(grid, Qt::Key_Up);
    TestSupport::RunQueued();
    EXPECT_EQ(m_prompts->messages().size(), 1) << m_prompts->messages().join("|").toStdString();
    EXPECT_EQ(grid->currentIndex().row(), 2);   // back on the refused row
    EXPECT_EQ(m->pendingRow(), 2);
    Key(grid, Qt::Key_Escape);
    EXPECT_EQ(m->pendingRow(), -1);
    EXPECT_EQ(m->rowCount(), 3);   // two states and the add row

    grid->selectRow(0);
    Key(grid, Qt::Key_Delete);
    EXPECT_EQ(States(), QStringList{"Peru"});

    typeRow(1, QStringLiteral("Chad"));
    w.close();
    EXPECT_EQ(States(), (QStringList{"Chad", "Peru"}));
    EXPECT_EQ(m_prompts->messages().size(), 1);
}

// A duplicate is told once, when the grid leaves its row; the row stays for
// correction, and closing the window does not tell it again. A row changed
// after it was told is checked anew when the window closes.
TEST_F(StatesTest, ADuplicateIsToldOnce)
{
    for (const bool corrected : {false, true}) {
        SCOPED_TRACE(corrected ? "corrected" : "left as it was");
        m_prompts->shown.clear();
        frmStates &w = Open();
        QTableView *grid = w.dbGridStates();
        data::RecordsetModel *m = w.model();
        m->fetchAll();
        const QModelIndex cell = m->index(1, 0);
        grid->setCurrentIndex(cell);
        grid->edit(cell);
        auto *editor = qobject_cast<QLineEdit *>(grid->indexWidget(cell));
        ASSERT_NE(editor, nullptr);
        editor->setText(QStringLiteral("ITALY"));
        Key(editor, Qt::Key_Return);
        Key(grid, Qt::Key_Up);
        TestSupport::RunQueued();
        ASSERT_EQ(m_prompts->messages().size(), 1);
        EXPECT_EQ(grid->currentIndex().row(), 1) << "back on the row, for correction";
        EXPECT_EQ(m->value(1, 0).toString(), QStringLiteral("ITALY"));
        if (corrected) {
            ASSERT_TRUE(m->setData(m->index(1, 0), QStringLiteral("Chad"), Qt::EditRole));
        }
        w.close();
        EXPECT_EQ(m_prompts->messages().size(), 1) << m_prompts->messages().join("|").toStdString();
        EXPECT_EQ(States(), corrected ? (QStringList{"Chad", "Italy"}) : QStringList{"Italy"});
        m_window.reset();
        CurrentDb->Execute(QStringLiteral("DELETE FROM States WHERE State <> 'Italy'"), 0, {});
    }
}

// A rename the database refuses by a rule of its own is told once, and the
// row stays for correction with what was typed; the stored name is kept.
TEST_F(StatesTest, RenameTheDatabaseRefusesIsTold)
{
    CurrentDb->Execute(QStringLiteral("CREATE TRIGGER keep BEFORE UPDATE ON States BEGIN SELECT RAISE(ABORT, 'state in use'); END"), 0, {});
    CurrentDb->Execute(QStringLiteral("INSERT INTO States (State) VALUES ('Peru')"), 0, {});
    frmStates &w = Open();
    QTableView *grid = w.dbGridStates();
    data::RecordsetModel *m = w.model();
    m->fetchAll();
    const int row = m->value(0, 0).toString() == QStringLiteral("Italy") ? 0 : 1;
    grid->setFocus();
    grid->setCurrentIndex(m->index(row, 0));
    Key(grid, Qt::Key_F2);
    auto *editor = qobject_cast<QLineEdit *>(grid->indexWidget(m->index(row, 0)));
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    Type(editor, QStringLiteral("Chad"));
    Key(editor, row == 0 ? Qt::Key_Down : Qt::Key_Up);
    TestSupport::RunQueued();
    ASSERT_EQ(m_prompts->messages().size(), 1);
    EXPECT_TRUE(m_prompts->messages()[0].contains(QStringLiteral("state in use"))) << m_prompts->messages()[0].toStdString();
    EXPECT_EQ(grid->currentIndex().row(), row);
    EXPECT_EQ(m->value(row, 0).toString(), QStringLiteral("Chad"));
    w.close();
    EXPECT_EQ(m_prompts->messages().size(), 1);
    EXPECT_EQ(States(), (QStringList{"Italy", "Peru"}));
}

// A name typed or pasted in the grid takes at most what the field holds,
// counted as the database counts characters, so leaving the row writes it
// without a word; a stored name of the field's full size, ending in a
// character of two UTF-16 units, opens whole and goes back unchanged.
TEST_F(StatesTest, ANameIsTakenToTheFieldsSize)
{
    const QString face = QString::fromUtf8("\xF0\x9F\x98\x80");
    const QString full = QString(249, QLatin1Char('F')) + face;
    CurrentDb->Execute(QStringLiteral("INSERT INTO States (State) VALUES (?)"), 0, {full});
    frmStates &w = Open();
    QTableView *grid = w.dbGridStates();
    data::RecordsetModel *m = w.model();
    m->fetchAll();
    ASSERT_EQ(m->storedRows(), 2);
    const int size = m->textSize(0);
    ASSERT_EQ(size, 250);
    struct Case {
        const char *what;
        bool stored;       // on the stored full-size name, else on the add row
        QString pasted;    // empty: the editor is opened and left as it is
        QString name;      // what the editor then holds and the table stores
    };
    const Case cases[] = {
        {"300 characters pasted", false, QString(300, QLatin1Char('x')), QString(size, QLatin1Char('x'))},
        {"a pair at the limit", false, QString(size - 1, QLatin1Char('y')) + face + face,
         QString(size - 1, QLatin1Char('y')) + face},
        {"the stored full-size name", true, QString(), full},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        m_prompts->shown.clear();
        int row = -1;
        for (int r = 0; r < m->storedRows(); ++r)
            if (m->value(r, 0).toString() == full)
                row = r;
        if (!c.stored)
            row = m->rowCount() - 1;
        ASSERT_GE(row, 0);
        grid->setFocus();
        grid->setCurrentIndex(m->index(row, 0));
        Key(grid, Qt::Key_F2);
        auto *editor = qobject_cast<QLineEdit *>(grid->indexWidget(m->index(row, 0)));
        ASSERT_NE(editor, nullptr);
        if (!c.pasted.isEmpty()) {
            QGuiApplication::clipboard()->setText(c.pasted);
            QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
        }
        EXPECT_EQ(editor->text(), c.name);
        Key(editor, Qt::Key_Return);
        Key(grid, row == 0 ? Qt::Key_Down : Qt::Key_Up);
        TestSupport::RunQueued();
        EXPECT_TRUE(m_prompts->messages().isEmpty()) << m_prompts->messages().join("|").left(200).toStdString();
        EXPECT_EQ(m->pendingRow(), -1);
        EXPECT_TRUE(States().contains(c.name));
    }
    EXPECT_EQ(States().size(), 4);
}

// A delete the database refuses is told, and the row stays.
TEST_F(StatesTest, RefusedDeleteIsToldAndTheRowStays)
{
    CurrentDb->Execute(QStringLiteral("CREATE TRIGGER keep BEFORE DELETE ON States BEGIN SELECT RAISE(ABORT, 'state in use'); END"), 0, {});
    frmStates &w = Open();
    QTableView *grid = w.dbGridStates();
    w.model()->fetchAll();
    grid->setFocus();
    grid->selectRow(0);
    Key(grid, Qt::Key_Delete);
    ASSERT_EQ(m_prompts->messages().size(), 1);
    EXPECT_TRUE(m_prompts->messages()[0].contains(QStringLiteral("state in use"))) << m_prompts->messages()[0].toStdString();
    EXPECT_EQ(States(), QStringList{"Italy"});
    EXPECT_EQ(w.model()->storedRows(), 1);
}

} // namespace
