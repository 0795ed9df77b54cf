// The data control and its bound fields over a small table.
#include "TestSupport.h"
#include "platform/dao/Dao.h"
#include "platform/data/DataControl.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>

namespace {

class DataControlTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        db = dao::CreateDatabase(dir.filePath(QStringLiteral("d.db")), dao::DefaultConnect());
        dao::TableDef t;
        t.name = QStringLiteral("Cards");
        auto field = [](const QString &name, dao::FieldType type) {
            dao::FieldDef f;
            f.name = name;
            f.type = type;
            return f;
        };
        t.fields = {field(QStringLiteral("Name"), dao::dbText), field(QStringLiteral("Km"), dao::dbSingle),
                    field(QStringLiteral("Note"), dao::dbMemo)};
        t.fields[0].size = 50;
        t.fields[0].allowZeroLength = false;
        t.fields[0].required = true;
        t.indexes = {{QStringLiteral("key"), {QStringLiteral("Name")}, true, true}};
        db->CreateTable(t);
        for (const auto &row : {std::pair{"A", 1.5}, std::pair{"B", 2.25}, std::pair{"C", 10.0}})
            db->Execute(QStringLiteral("INSERT INTO [Cards] ([Name], [Km]) VALUES (?, ?)"), 0,
                        {QString::fromLatin1(row.first), row.second});
        ctl.setDatabase(db);
        ctl.setRecordSource(QStringLiteral("Cards"));
        ctl.bind(&name, QStringLiteral("name"));
        ctl.bind(&km, QStringLiteral("KM"));
        ctl.bind(&note, QStringLiteral("Note"));
        QObject::connect(&ctl, &data::DataControl::Reposition, [this]() { ++repositions; });
        QObject::connect(&ctl, &data::DataControl::Error, [this](int n, const QString &, int *response) {
            errors.append(n);
            *response = 0;
        });
    }
    void TearDown() override { db->Close(); }

    QVariant Stored(const QString &who, const char *field)
    {
        dao::RecordsetPtr rs = db->OpenRecordset(QStringLiteral("SELECT * FROM [Cards] WHERE [Name] = ?"),
                                                 dao::dbOpenSnapshot, 0, {who});
        return rs->AtEOF() ? QVariant() : rs->Value(QLatin1String(field));
    }

    QTemporaryDir dir;
    dao::DatabasePtr db;
    data::DataControl ctl;
    QLineEdit name, km;
    QPlainTextEdit note;
    int repositions = 0;
    QList<int> errors;
};

}

TEST_F(DataControlTest, ShowsRecordsInTheUsersLocale)
{
    TestSupport::LocaleScope scope(QLocale(QLocale::Italian, QLocale::Italy));
    ctl.Refresh();
    EXPECT_EQ(repositions, 1);
    EXPECT_EQ(name.text(), QStringLiteral("A"));
    EXPECT_EQ(km.text(), QStringLiteral("1,5"));
    ctl.MoveNext();
    EXPECT_EQ(km.text(), QStringLiteral("2,25"));
    ctl.MoveLast();
    EXPECT_EQ(km.text(), QStringLiteral("10"));
    ctl.MoveNext();   // the arrows stop on the last record
    EXPECT_EQ(name.text(), QStringLiteral("C"));
    EXPECT_EQ(repositions, 4);
    EXPECT_FALSE(ctl.dataChanged());
}

TEST_F(DataControlTest, ChangedRecordIsSavedWhenMoving)
{
    TestSupport::LocaleScope scope(QLocale(QLocale::Italian, QLocale::Italy));
    ctl.Refresh();
    km.setText(QStringLiteral("3,5"));
    note.setPlainText(QStringLiteral("two\nlines"));
    int validates = 0;
    QObject::connect(&ctl, &data::DataControl::Validate, [&](int action, bool *save) {
        ++validates;
        EXPECT_EQ(action, data::vbDataActionMoveNext);
        EXPECT_TRUE(*save);
    });
    ctl.MoveNext();
    EXPECT_EQ(validates, 1);
    EXPECT_DOUBLE_EQ(Stored(QStringLiteral("A"), "Km").toDouble(), 3.5);
    EXPECT_EQ(Stored(QStringLiteral("A"), "Note").toString(), QStringLiteral("two\nlines"));
    EXPECT_EQ(name.text(), QStringLiteral("B"));
}

TEST_F(DataControlTest, ValidateCanSkipTheSave)
{
    ctl.Refresh();
    km.setText(QStringLiteral("99"));
    QObject::connect(&ctl, &data::DataControl::Validate, [](int, bool *save) { *save = false; });
    ctl.MoveNext();
    EXPECT_DOUBLE_EQ(Stored(QStringLiteral("A"), "Km").toDouble(), 1.5);
}

// A save the database refuses is reported and the move does not happen.
TEST_F(DataControlTest, FailedSaveKeepsTheRecord)
{
    ctl.Refresh();
    ctl.MoveNext();
    name.setText(QStringLiteral("a"));   // the key compares without regard to case
    ctl.MoveNext();
    ASSERT_EQ(errors.size(), 1);
    EXPECT_EQ(errors[0], dao::JetErr::DuplicateKey);
    EXPECT_EQ(name.text(), QStringLiteral("a"));
    EXPECT_EQ(ctl.recordset()->AbsolutePosition(), 1);
    km.setText(QStringLiteral("abc"));
    name.setText(QStringLiteral("B"));
    EXPECT_THROW(ctl.UpdateRecord(), VbError);
    km.setText(QStringLiteral("7"));
    ctl.UpdateRecord();
    EXPECT_DOUBLE_EQ(Stored(QStringLiteral("B"), "Km").toDouble(), 7.0);
}

TEST_F(DataControlTest, AddNewThenUpdateOrRefresh)
{
    ctl.Refresh();
    ctl.AddNew();
    EXPECT_TRUE(ctl.adding());
    EXPECT_TRUE(name.text().isEmpty());
    name.setText(QStringLiteral("D"));
    ctl.Refresh();   // drops the new record
    EXPECT_FALSE(ctl.adding());
    EXPECT_FALSE(Stored(QStringLiteral("D"), "Name").isValid());
    EXPECT_EQ(name.text(), QStringLiteral("A"));

    ctl.AddNew();
    name.setText(QStringLiteral("O\"Neil"));
    km.setText(QStringLiteral("4"));
    ctl.UpdateRecord();
    EXPECT_FALSE(ctl.adding());
    EXPECT_EQ(Stored(QStringLiteral("O\"Neil"), "Km").toDouble(), 4.0);
    EXPECT_TRUE(Stored(QStringLiteral("O\"Neil"), "Note").isNull());
}

// Code that moves the control's records (a find, a bookmark) shows the new record.
TEST_F(DataControlTest, MovesMadeOnTheRecordsetReposition)
{
    ctl.Refresh();
    const int before = repositions;
    ctl.recordset()->FindFirst(QStringLiteral("[Name] = ?"), {QStringLiteral("C")});
    EXPECT_EQ(repositions, before + 1);
    EXPECT_EQ(name.text(), QStringLiteral("C"));
    note.setPlainText(QStringLiteral("found"));
    ctl.recordset()->MoveFirst();
    EXPECT_EQ(Stored(QStringLiteral("C"), "Note").toString(), QStringLiteral("found"));
    EXPECT_EQ(name.text(), QStringLiteral("A"));
}

TEST(DataControlText, FieldTextAndValue)
{
    TestSupport::LocaleScope scope(QLocale(QLocale::Italian, QLocale::Italy));
    EXPECT_EQ(data::FieldText(12.350000381469727, dao::dbSingle), QStringLiteral("12,35"));
    EXPECT_EQ(data::FieldText(1234567.0, dao::dbDouble), QStringLiteral("1234567"));
    EXPECT_EQ(data::FieldText(QVariant(), dao::dbSingle), QString());
    EXPECT_EQ(data::FieldText(1205, dao::dbInteger), QStringLiteral("1205"));
    EXPECT_EQ(data::FieldText(-0.0, dao::dbDouble), QStringLiteral("0"));   // no negative zero
    EXPECT_EQ(data::FieldText(-1e-20, dao::dbSingle), QStringLiteral("0,000000"));
    EXPECT_EQ(data::FieldValue(QStringLiteral("12,35"), dao::dbSingle).toDouble(), double(12.35f));
    EXPECT_EQ(data::FieldValue(QStringLiteral("2,5"), dao::dbInteger).toInt(), 2);
    // Either decimal mark; a group separator is no decimal mark's stand-in.
    EXPECT_EQ(data::FieldValue(QStringLiteral("1.5"), dao::dbSingle).toDouble(), 1.5);
    EXPECT_EQ(data::FieldValue(QStringLiteral("1.500"), dao::dbSingle).toDouble(), 1.5);
    EXPECT_THROW(data::FieldValue(QStringLiteral("1.500,5"), dao::dbDouble), VbError);
    {
        TestSupport::LocaleScope english(QLocale(QLocale::English, QLocale::UnitedStates));
        EXPECT_EQ(data::FieldValue(QStringLiteral("1,500"), dao::dbSingle).toDouble(), 1.5);
        EXPECT_EQ(data::FieldValue(QStringLiteral("2.25"), dao::dbDouble).toDouble(), 2.25);
    }
    EXPECT_TRUE(data::FieldValue(QString(), dao::dbText).isNull());
    EXPECT_THROW(data::FieldValue(QStringLiteral("x"), dao::dbSingle), VbError);
    EXPECT_THROW(data::FieldValue(QStringLiteral("40000"), dao::dbInteger), VbError);
}

// Texts the locale reads as numbers that no field can hold: refused with the
// field's usual error rather than converted with an undefined result.
TEST(DataControlText, NotANumberAndInfinitiesAreRefused)
{
    TestSupport::LocaleScope english(QLocale(QLocale::English, QLocale::UnitedStates));
    struct Case { const char *text; dao::FieldType type; int error; };
    const Case cases[] = {
        {"nan", dao::dbLong, int(VbErr::TypeMismatch)},     {"inf", dao::dbInteger, int(VbErr::TypeMismatch)},
        {"-inf", dao::dbByte, int(VbErr::TypeMismatch)},    {"nan", dao::dbDouble, int(VbErr::TypeMismatch)},
        {"inf", dao::dbSingle, int(VbErr::TypeMismatch)},   {"1e400", dao::dbDouble, int(VbErr::TypeMismatch)},
        {"1e300", dao::dbSingle, int(VbErr::Overflow)},     {"1e300", dao::dbLong, int(VbErr::Overflow)},
    };
    for (const Case &c : cases) {
        try {
            const QVariant v = data::FieldValue(QString::fromLatin1(c.text), c.type);
            ADD_FAILURE() << c.text << " gave " << v.toString().toStdString();
        } catch (const VbError &e) {
            EXPECT_EQ(e.Number(), c.error) << c.text;
        }
    }
}

// Saving a card writes only the fields the user changed: a number shown with
// fewer digits than it holds is not cut to what was shown.
TEST_F(DataControlTest, UntouchedFieldsKeepTheirStoredValue)
{
    const double precise = double(1.0000001f);   // shows as "1"
    db->Execute(QStringLiteral("UPDATE [Cards] SET [Km] = ? WHERE [Name] = 'A'"), 0, {precise});
    ctl.Refresh();
    ASSERT_EQ(km.text(), QStringLiteral("1"));
    note.setPlainText(QStringLiteral("changed"));
    ctl.UpdateRecord();
    EXPECT_EQ(Stored(QStringLiteral("A"), "Note").toString(), QStringLiteral("changed"));
    EXPECT_EQ(Stored(QStringLiteral("A"), "Km").toDouble(), precise);
    km.setText(QStringLiteral("2"));   // a changed number is written as typed
    ctl.UpdateRecord();
    EXPECT_EQ(Stored(QStringLiteral("A"), "Km").toDouble(), 2.0);
}

// A value the control shows differently (a memo's CR LF line ends) is not a
// change: moving on neither saves the card nor rewrites the value.
TEST_F(DataControlTest, ValuesShownDifferentlyAreNoChange)
{
    db->Execute(QStringLiteral("UPDATE [Cards] SET [Note] = ? WHERE [Name] = 'A'"), 0,
                {QStringLiteral("two\r\nlines")});
    ctl.Refresh();
    EXPECT_FALSE(ctl.dataChanged());
    int validates = 0;
    QObject::connect(&ctl, &data::DataControl::Validate, [&](int, bool *) { ++validates; });
    ctl.MoveNext();
    EXPECT_EQ(validates, 0);
    ctl.MoveFirst();
    km.setText(QStringLiteral("5"));
    ctl.MoveNext();
    EXPECT_EQ(Stored(QStringLiteral("A"), "Note").toString(), QStringLiteral("two\r\nlines"));
    EXPECT_DOUBLE_EQ(Stored(QStringLiteral("A"), "Km").toDouble(), 5.0);
}

namespace {
// Keys as the user types them.
void TypeKeys(QWidget *target, const QString &text)
{
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(target, &press);
    }
}
void PressKey(QWidget *target, int key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
}
}

TEST_F(DataControlTest, ValuesLongerThanTheEditAllowsAreShownWholeAndKept)
{
    const QString longNote = QStringLiteral("a note of thirty characters...");
    ASSERT_EQ(longNote.size(), 30);
    db->Execute(QStringLiteral("UPDATE [Cards] SET [Note] = ? WHERE [Name] = 'A'"), 0, {longNote});
    data::DataControl own;
    QLineEdit limited, length;
    limited.setMaxLength(10);   // what the window lets the user type
    own.setDatabase(db);
    own.setRecordSource(QStringLiteral("SELECT * FROM [Cards] ORDER BY [Name]"));
    own.bind(&limited, QStringLiteral("Note"));
    own.bind(&length, QStringLiteral("Km"));
    own.Refresh();

    EXPECT_EQ(limited.text(), longNote);   // whole, not cut to 10
    EXPECT_FALSE(own.dataChanged());
    // Another field changed: the long value goes back as it was.
    length.setText(QStringLiteral("3"));
    own.MoveNext();
    EXPECT_EQ(Stored(QStringLiteral("A"), "Note").toString(), longNote);
    EXPECT_DOUBLE_EQ(Stored(QStringLiteral("A"), "Km").toDouble(), 3.0);

    // A short value: typing stops at the edit's limit.
    EXPECT_TRUE(limited.text().isEmpty());
    limited.setFocus();
    TypeKeys(&limited, QStringLiteral("0123456789abc"));
    EXPECT_EQ(limited.text(), QStringLiteral("0123456789"));
    own.MovePrevious();
    // Back on the long value: it can be edited within its length, not made longer.
    EXPECT_EQ(limited.text(), longNote);
    limited.setCursorPosition(0);
    PressKey(&limited, Qt::Key_Delete);
    TypeKeys(&limited, QStringLiteral("AB"));
    EXPECT_EQ(limited.text(), QStringLiteral("A") + longNote.mid(1));
    own.MoveNext();
    EXPECT_EQ(Stored(QStringLiteral("A"), "Note").toString(), QStringLiteral("A") + longNote.mid(1));
    EXPECT_EQ(Stored(QStringLiteral("B"), "Note").toString(), QStringLiteral("0123456789"));
    // A new record starts from the edit's own limit again.
    own.AddNew();
    TypeKeys(&limited, QStringLiteral("0123456789abc"));
    EXPECT_EQ(limited.text().size(), 10);
}

// Boxes bound to text fields take at most the field's declared size, typed or
// pasted, counted as the database counts characters: a character of two
// UTF-16 units is one, never cut in half. What they hold is then saved
// without the database refusing it.
TEST_F(DataControlTest, TextBoxesTakeNoMoreThanTheirFieldHolds)
{
    dao::TableDef t;
    t.name = QStringLiteral("Sized");
    for (const auto &[name, size] : {std::pair{"Code", 5}, std::pair{"Pick", 6}, std::pair{"Short", 10},
                                     std::pair{"Body", 8}}) {
        dao::FieldDef f;
        f.name = QLatin1String(name);
        f.type = dao::dbText;
        f.size = size;
        t.fields << f;
    }
    db->CreateTable(t);
    db->Execute(QStringLiteral("INSERT INTO [Sized] ([Code]) VALUES ('a')"), 0, {});
    data::DataControl own;
    QLineEdit code, shortOwn;
    QComboBox pick;
    pick.setEditable(true);
    QPlainTextEdit body;
    shortOwn.setMaxLength(5);   // the edit's own limit, in UTF-16 units, below the field's
    own.setDatabase(db);
    own.setRecordSource(QStringLiteral("Sized"));
    own.bind(&code, QStringLiteral("Code"));
    own.bind(&pick, QStringLiteral("Pick"));
    own.bind(&shortOwn, QStringLiteral("Short"));
    own.bind(&body, QStringLiteral("Body"));
    own.Refresh();
    ASSERT_EQ(code.text(), QStringLiteral("a"));

    const QString face = QString::fromUtf8("\xF0\x9F\x98\x80");   // one character, two UTF-16 units
    struct Case {
        const char *what;
        QWidget *box;
        QString before;
        QString put;
        bool typed;   // by keys, else pasted
        QString after;
    };
    const Case cases[] = {
        {"typed past the size", &code, "", "abcdefg", true, "abcde"},
        {"pasted past the size", &code, "ab", "cdefgh", false, "abcde"},
        {"a key at the limit", &code, "abcde", "f", true, "abcde"},
        {"a pair that fits at the limit", &code, "abcd", face + "x", false, "abcd" + face},
        {"a pair past the limit", &code, "abc", "d" + face + face, false, "abcd" + face},
        {"the list's own line", pick.lineEdit(), "", "uvwxyz12", false, "uvwxyz"},
        {"the edit's own limit cuts a pair", &shortOwn, "abcd", face, false, "abcd"},
        {"a note typed past the size", &body, "", "abcdefghij", true, "abcdefgh"},
        {"a note pasted past the size", &body, "ab", QString(20, QLatin1Char('n')), false, "abnnnnnn"},
        {"a note's pair at the limit", &body, "abcdefg", face + face, false, "abcdefg" + face},
    };
    auto text = [&](QWidget *box) {
        return box == &body ? body.toPlainText() : qobject_cast<QLineEdit *>(box)->text();
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        if (c.box == &body) {
            body.setPlainText(c.before);
            body.moveCursor(QTextCursor::End);
        } else {
            qobject_cast<QLineEdit *>(c.box)->setText(c.before);
        }
        c.box->setFocus();
        if (c.typed) {
            QTest::keyClicks(c.box, c.put);
        } else {
            QGuiApplication::clipboard()->setText(c.put);
            QTest::keyClick(c.box, Qt::Key_V, Qt::ControlModifier);
        }
        EXPECT_EQ(text(c.box), c.after);
        if (c.box == &body && !c.typed) {
            // The cut is part of the paste: one undo takes both back.
            QTest::keyClick(&body, Qt::Key_Z, Qt::ControlModifier);
            EXPECT_EQ(body.toPlainText(), c.before);
            QTest::keyClick(&body, Qt::Key_V, Qt::ControlModifier);
            EXPECT_EQ(body.toPlainText(), c.after);
        }
    }
    EXPECT_NO_THROW(own.UpdateRecord());
    EXPECT_TRUE(errors.isEmpty());
    dao::RecordsetPtr rs = db->OpenRecordset(QStringLiteral("Sized"), dao::dbOpenSnapshot);
    EXPECT_EQ(rs->Value(QStringLiteral("Code")).toString(), QStringLiteral("abcd") + face);
    EXPECT_EQ(rs->Value(QStringLiteral("Pick")).toString(), QStringLiteral("uvwxyz"));
    EXPECT_EQ(rs->Value(QStringLiteral("Short")).toString(), QStringLiteral("abcd"));
    EXPECT_EQ(rs->Value(QStringLiteral("Body")).toString(), QStringLiteral("abcdefg") + face);
}

// A stored value longer than its field (a file whose table never checked the
// size) is shown whole, may be edited within its own length, and goes back
// unchanged when another field changes.
TEST_F(DataControlTest, AStoredTextLongerThanItsFieldIsShownWhole)
{
    db->Execute(QStringLiteral("CREATE TABLE [Loose] ([Code] TEXT(4), [Body] TEXT(4), [Km] DOUBLE)"), 0, {});
    db->Execute(QStringLiteral("INSERT INTO [Loose] ([Code], [Body]) VALUES ('abcdefgh', 'ijklmnop')"), 0, {});
    data::DataControl own;
    QLineEdit code, length;
    QPlainTextEdit body;
    own.setDatabase(db);
    own.setRecordSource(QStringLiteral("Loose"));
    own.bind(&code, QStringLiteral("Code"));
    own.bind(&body, QStringLiteral("Body"));
    own.bind(&length, QStringLiteral("Km"));
    own.Refresh();
    EXPECT_EQ(code.text(), QStringLiteral("abcdefgh"));
    EXPECT_EQ(body.toPlainText(), QStringLiteral("ijklmnop"));
    EXPECT_FALSE(own.dataChanged());
    code.setFocus();
    code.end(false);
    QTest::keyClicks(&code, QStringLiteral("X"));
    EXPECT_EQ(code.text(), QStringLiteral("abcdefgh"));
    QTest::keyClick(&code, Qt::Key_Backspace);
    QTest::keyClicks(&code, QStringLiteral("XY"));
    EXPECT_EQ(code.text(), QStringLiteral("abcdefgX"));
    code.setText(QStringLiteral("abcdefgh"));
    length.setText(QStringLiteral("3"));
    EXPECT_NO_THROW(own.UpdateRecord());
    dao::RecordsetPtr rs = db->OpenRecordset(QStringLiteral("Loose"), dao::dbOpenSnapshot);
    EXPECT_EQ(rs->Value(QStringLiteral("Code")).toString(), QStringLiteral("abcdefgh"));
    EXPECT_EQ(rs->Value(QStringLiteral("Body")).toString(), QStringLiteral("ijklmnop"));
}
