// File menu and start folder: New over a file in use, Open offering to create
// a file, and the start folder without a documents folder.
#include "mainwindow_fixture.h"

#include "core/LangClient.h"

#include <QFileDialog>

TEST_F(MainWindowTest, NewOverAFileAnotherCopyHasOpenIsRefusedAsOpenRefusesIt)
{
    const QString path = Docs("shared.mdb");
    ASSERT_NO_THROW(OpenDatabaseFile(path));
    CurrentDb->Execute("INSERT INTO States (State) VALUES ('Italia')");
    CloseDb();
    // The other running copy holds the file as the program does.
    auto other = dao::OpenDatabase(path, true, false, dao::DefaultConnect());

    MDIfrmBike &w = Start();
    TestSupport::Script().files.push_back(path);
    w.mnuFileItem_Click(0);
    ASSERT_EQ(TestSupport::Script().messages().size(), 1);
    EXPECT_TRUE(TestSupport::Script().messages()[0].startsWith("Error 3045: "))
        << TestSupport::Script().messages()[0].toStdString();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Vettaro "));

    // The other copy's file is still the file at that path, with its data, and
    // what it writes now is there for the next opening.
    other->Execute("INSERT INTO States (State) VALUES ('Svizzera')");
    other->Close();
    auto db = dao::OpenDatabase(path, true, false, dao::DefaultConnect());
    auto rs = db->OpenRecordset("SELECT State FROM States ORDER BY State");
    EXPECT_EQ(rs->RecordCount(), 2);
    db->Close();

    // Once the other copy has let it go, New replaces it.
    TestSupport::ResetScript().files.push_back(path);
    w.mnuFileItem_Click(0);
    EXPECT_TRUE(TestSupport::Script().messages().isEmpty());
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Vettaro shared"));
    EXPECT_TRUE(CurrentDb->OpenRecordset("States")->EOF_());
}

TEST_F(MainWindowTest, OpenOffersToCreateANameThatDoesNotExist)
{
    MDIfrmBike &w = Start();
    auto &script = TestSupport::Script();
    const QString first = Docs("first");
    const QString second = Docs("second.mdb");
    // A name without extension gets .mdb; the user declines, chooses again and accepts.
    script.files = {first, second};
    script.answers = {Vb::No, Vb::Yes};
    w.mnuFileItem_Click(1);

    ASSERT_EQ(script.messages().size(), 2);
    EXPECT_EQ(script.messages()[0], FormatLangString(GetLangString(550), {first + ".mdb"}));
    EXPECT_EQ(script.messages()[1], FormatLangString(GetLangString(550), {second}));
    EXPECT_EQ(script.shown[1].style, Vb::YesNo + Vb::Question);
    EXPECT_EQ(script.shown[0].request.flags, 0x2004);
    EXPECT_FALSE(QFile::exists(first + ".mdb"));
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Vettaro second"));
    EXPECT_TRUE(CurrentDb->TableExists("Icons"));

    // An existing name opens without a question.
    TestSupport::ResetScript().files = {second};
    w.mnuFileItem_Click(1);
    EXPECT_TRUE(TestSupport::Script().messages().isEmpty());
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Vettaro second"));
}

TEST(FileDialogSetUp, AnOpenDialogTakesANewNameOnlyWhenItOffersToCreateOne)
{
    struct Case {
        int flags;
        bool save;
        QFileDialog::FileMode mode;
    } cases[] = {
        {0x2004, false, QFileDialog::AnyFile},        // File > Open: create prompt
        {0x1004, false, QFileDialog::ExistingFile},   // the database tools: the file must exist
        {0x81404, false, QFileDialog::ExistingFile},  // XML import
        {6, true, QFileDialog::AnyFile},              // File > New
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.flags);
        QFileDialog dlg;
        FileDialogRequest r;
        r.flags = c.flags;
        r.save = c.save;
        r.filter = QStringLiteral("Vettarodb file (*.mdb)|*.mdb|");
        ConfigureFileDialog(dlg, r);
        EXPECT_EQ(dlg.fileMode(), c.mode);
        EXPECT_EQ(dlg.acceptMode(), c.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    }
}

TEST_F(MainWindowTest, WithoutADocumentsFolderTheHomeFolderIsTheStartFolder)
{
    ASSERT_TRUE(QDir(Docs("")).removeRecursively());
    const QString home = QDir(m_root.path()).filePath(QStringLiteral("home"));
    MDIfrmBike &w = Start();
    EXPECT_EQ(QFileInfo(QDir::currentPath()).canonicalFilePath(), QFileInfo(home).canonicalFilePath());
    TestSupport::Script().files.push_back(std::nullopt);
    w.mnuFileItem_Click(0);
    ASSERT_FALSE(TestSupport::Script().shown.empty());
    EXPECT_EQ(TestSupport::Script().shown[0].request.initDir, home);
}
