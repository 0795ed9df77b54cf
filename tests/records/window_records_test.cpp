// Adding, confirming, deleting and the name checks of the climbs and routes windows.
#include "window_fixture.h"

#include "platform/dao/Dao.h"

#include <QDesktopServices>
#include <QMouseEvent>
#include <QUrl>

INSTANTIATE_TEST_SUITE_P(Cards, BothWindows, ::testing::Values(true, false),
                         [](const auto &info) { return info.param ? "Climbs" : "Routes"; });

TEST_P(BothWindows, NewOnEmptyTableThenConfirm)
{
    const bool climb = GetParam();
    CardWindow &w = Open(climb);
    EXPECT_EQ(w.RecordTotal(), 0);
    EXPECT_EQ(Counter(), QStringLiteral("0/0"));
    EXPECT_FALSE(Button("cmdDelete")->isEnabled());

    Button("cmdAdd")->click();
    EXPECT_TRUE(w.AddMode());
    EXPECT_EQ(Counter(), QStringLiteral("1/1"));
    EXPECT_FALSE(Button("cmdAdd")->isEnabled());
    EXPECT_FALSE(Button("cmdModify")->isEnabled());
    EXPECT_FALSE(Button("cmdDelete")->isEnabled());
    EXPECT_TRUE(Button("cmdUpdate")->isEnabled());
    EXPECT_FALSE(w.Data1()->isEnabled());

    FillRequired(climb, QStringLiteral("Stelvio"));
    Button("cmdUpdate")->click();
    EXPECT_TRUE(TestSupport::Script().messages().isEmpty()) << TestSupport::Script().messages().join('|').toStdString();
    EXPECT_FALSE(w.AddMode());
    EXPECT_EQ(w.RecordTotal(), 1);
    EXPECT_EQ(Counter(), QStringLiteral("1/1"));
    EXPECT_EQ(Cards(climb), 1);
    EXPECT_EQ(Txt(0)->text(), QStringLiteral("Stelvio"));
    EXPECT_TRUE(Button("cmdAdd")->isEnabled());
    EXPECT_TRUE(Button("cmdDelete")->isEnabled());
    EXPECT_FALSE(Button("cmdUpdate")->isEnabled());
    EXPECT_TRUE(w.Data1()->isEnabled());
}

// Each required field in turn left empty, or holding only blanks: the card is
// refused with the message and the window stays in the adding state.
TEST_P(BothWindows, ConfirmWithARequiredFieldEmptyStaysAdding)
{
    const bool climb = GetParam();
    AddCard(climb, QStringLiteral("Gavia"));
    CardWindow &w = Open(climb);
    const int required = climb ? 4 : 2;
    for (int field = 0; field < required; ++field) {
        for (const QString &empty : {QString(), QStringLiteral("   ")}) {
            SCOPED_TRACE(field);
            TestSupport::ResetScript();
            Button("cmdAdd")->click();
            FillRequired(climb, QStringLiteral("Mortirolo"));
            Txt(field)->setText(empty);
            Button("cmdUpdate")->click();
            EXPECT_EQ(TestSupport::Script().messages(), QStringList{GetLangString(climb ? 9502 : 7504)});
            EXPECT_EQ(TestSupport::Script().shown.back().style, Vb::Information);
            EXPECT_TRUE(w.AddMode());
            EXPECT_TRUE(Button("cmdUpdate")->isEnabled());
            EXPECT_EQ(w.RecordTotal(), 1);
            EXPECT_EQ(Cards(climb), 1);
            Button("cmdRefresh")->click();
        }
    }
}

// A save the database refuses is reported and leaves the new card on screen,
// still being added; once corrected it is saved.
TEST_P(BothWindows, FailedSaveIsReportedAndStaysAdding)
{
    const bool climb = GetParam();
    CardWindow &w = Open(climb);
    Button("cmdAdd")->click();
    FillRequired(climb, QStringLiteral("Zoncolan"), QStringLiteral("not a number"));
    Button("cmdUpdate")->click();
    ASSERT_EQ(TestSupport::Script().messages().size(), 1);
    EXPECT_TRUE(TestSupport::Script().messages().first().startsWith(QStringLiteral("Error 13")));
    EXPECT_TRUE(w.AddMode());
    EXPECT_TRUE(Button("cmdUpdate")->isEnabled());
    EXPECT_EQ(w.RecordTotal(), 0);
    EXPECT_EQ(Cards(climb), 0);
    EXPECT_EQ(Txt(0)->text(), QStringLiteral("Zoncolan"));

    Txt(1)->setText(QLocale().toString(10.5));
    Button("cmdUpdate")->click();
    EXPECT_FALSE(w.AddMode());
    EXPECT_EQ(w.RecordTotal(), 1);
    EXPECT_EQ(Count(QStringLiteral("SELECT * FROM [%1] WHERE [Lunghezza] = 10.5").arg(Table(climb))), 1);
}

TEST_P(BothWindows, RefreshAbandonsAnUnsavedCard)
{
    const bool climb = GetParam();
    AddCard(climb, QStringLiteral("Alpe d'Huez"));
    AddCard(climb, QStringLiteral("Ventoux"));
    CardWindow &w = Open(climb);
    w.Data1()->MoveLast();
    Button("cmdAdd")->click();
    FillRequired(climb, QStringLiteral("Galibier"));
    Button("cmdRefresh")->click();
    EXPECT_FALSE(w.AddMode());
    EXPECT_TRUE(w.Data1()->isEnabled());
    EXPECT_EQ(Txt(0)->text(), QStringLiteral("Alpe d'Huez"));
    EXPECT_EQ(Counter(), QStringLiteral("1/2"));
    EXPECT_EQ(Cards(climb), 2);
    EXPECT_TRUE(Button("cmdAdd")->isEnabled());
    EXPECT_FALSE(Button("cmdUpdate")->isEnabled());
}

// The duplicate check compares as the key does, without regard to case, both
// when the name field is left and when the card is confirmed straight away.
TEST_P(BothWindows, DuplicateNameIgnoresCase)
{
    const bool climb = GetParam();
    AddCard(climb, QStringLiteral("Stelvio"));
    CardWindow &w = Open(climb);
    const QString warning = GetLangString(climb ? 9504 : 7510);

    Button("cmdAdd")->click();
    Txt(0)->setText(QStringLiteral("STELVIO"));
    QFocusEvent out(QEvent::FocusOut);   // leaving the name
    QApplication::sendEvent(Txt(0), &out);
    EXPECT_TRUE(Txt(0)->text().isEmpty());
    TestSupport::RunQueued();
    EXPECT_TRUE(TestSupport::Script().messages().contains(warning));

    TestSupport::ResetScript();
    FillRequired(climb, QStringLiteral("stelvio"));
    w.cmdUpdate_Click();
    EXPECT_EQ(TestSupport::Script().messages(), QStringList{warning});
    EXPECT_EQ(TestSupport::Script().shown.back().style, Vb::Exclamation);
    EXPECT_TRUE(w.AddMode());
    EXPECT_EQ(Cards(climb), 1);

    // Browsing, the name is not checked when the field is left.
    Button("cmdRefresh")->click();
    TestSupport::ResetScript();
    Txt(0)->setText(QStringLiteral("Stelvio"));
    QApplication::sendEvent(Txt(0), &out);
    EXPECT_TRUE(TestSupport::Script().messages().isEmpty());
}

// Names with quotes or that look like SQL words are values like any other:
// saving, the sample panel and deleting reach exactly their own rows.
TEST_P(BothWindows, NamesAreBoundNotPasted)
{
    const bool climb = GetParam();
    CardWindow &w = Open(climb);
    const QStringList names = {QStringLiteral("O\"Neil"), QStringLiteral("Note"), QStringLiteral("it's \"x\" OR 1=1")};
    for (const QString &name : names) {
        Button("cmdAdd")->click();
        FillRequired(climb, name);
        Button("cmdUpdate")->click();
        ASSERT_FALSE(w.AddMode()) << name.toStdString();
    }
    AddSample(climb, names[0], 0, 100);
    AddSample(climb, names[0], 1.5, 180);
    AddSample(climb, names[1], 0, 100);
    EXPECT_EQ(Cards(climb), 3);

    w.Data1()->MoveFirst();
    ASSERT_EQ(Txt(0)->text(), names[0]);
    w.cmdAltim_Click();
    ASSERT_TRUE(w.Picture1()->isVisible());
    EXPECT_EQ(w.SampleTotal(), 2);
    w.Data1()->MoveNext();   // the panel follows the card
    EXPECT_EQ(Txt(0)->text(), names[1]);
    EXPECT_EQ(w.SampleTotal(), 1);
    w.cmdpct1Close_Click();

    TestSupport::Script().answers.push_back(Vb::OK);
    Button("cmdDelete")->click();
    EXPECT_EQ(Count(QStringLiteral("SELECT * FROM [%1] WHERE [IDPercorso] = ?").arg(Table(climb)), {names[1]}), 0);
    EXPECT_EQ(Cards(climb), 2);
    EXPECT_EQ(Count(QStringLiteral("SELECT * FROM [%1]").arg(Samples(climb))), 2);
}

TEST_P(BothWindows, Delete)
{
    const bool climb = GetParam();
    for (const char *name : {"A", "B", "C"})
        AddCard(climb, QLatin1String(name));
    AddSample(climb, QStringLiteral("B"), 0, 10);
    AddSample(climb, QStringLiteral("B"), 1, 20);
    AddSample(climb, QStringLiteral("C"), 0, 10);
    CardWindow &w = Open(climb);
    w.Data1()->MoveNext();
    ASSERT_EQ(Txt(0)->text(), QStringLiteral("B"));

    // Cancel changes nothing; the question names the card.
    TestSupport::Script().answers.push_back(Vb::Cancel);
    Button("cmdDelete")->click();
    ASSERT_EQ(TestSupport::Script().shown.size(), 1u);
    EXPECT_EQ(TestSupport::Script().shown[0].text, FormatLangString(GetLangString(climb ? 9500 : 7500), {QStringLiteral("B")}));
    EXPECT_EQ(TestSupport::Script().shown[0].style, Vb::OKCancel + Vb::Question + Vb::DefaultButton2);
    EXPECT_EQ(Cards(climb), 3);
    EXPECT_EQ(Txt(0)->text(), QStringLiteral("B"));

    // A middle card: the window lands on the last card; its samples go with it.
    TestSupport::Script().answers.push_back(Vb::OK);
    Button("cmdDelete")->click();
    EXPECT_EQ(Cards(climb), 2);
    EXPECT_EQ(w.RecordTotal(), 2);
    EXPECT_EQ(Txt(0)->text(), QStringLiteral("C"));
    EXPECT_EQ(Counter(), QStringLiteral("2/2"));
    EXPECT_EQ(Count(QStringLiteral("SELECT * FROM [%1] WHERE [IDPercorso] = 'B'").arg(Samples(climb))), 0);
    EXPECT_EQ(Count(QStringLiteral("SELECT * FROM [%1]").arg(Samples(climb))), 1);

    // The last card then the only one: the empty state.
    TestSupport::Script().answers.push_back(Vb::OK);
    Button("cmdDelete")->click();
    EXPECT_EQ(Txt(0)->text(), QStringLiteral("A"));
    TestSupport::Script().answers.push_back(Vb::OK);
    Button("cmdDelete")->click();
    EXPECT_EQ(Cards(climb), 0);
    EXPECT_EQ(Counter(), QStringLiteral("0/0"));
    EXPECT_TRUE(Txt(0)->text().isEmpty());
    EXPECT_FALSE(Button("cmdDelete")->isEnabled());
    EXPECT_TRUE(w.Data1()->recordset()->AtEOF());
}

TEST_P(BothWindows, ConfirmChangesSavesTheCard)
{
    const bool climb = GetParam();
    AddCard(climb, QStringLiteral("A"));
    AddCard(climb, QStringLiteral("B"));
    CardWindow &w = Open(climb);
    Ctl<QComboBox>("cmbState")->setEditText(QStringLiteral("Italia"));
    Button("cmdModify")->click();
    EXPECT_EQ(Count(QStringLiteral("SELECT * FROM [%1] WHERE [Stato] = 'Italia'").arg(Table(climb))), 1);

    Txt(1)->clear();
    Button("cmdModify")->click();
    EXPECT_EQ(TestSupport::Script().messages(), QStringList{GetLangString(climb ? 9502 : 7503)});

    // A changed card is saved when the control moves off it.
    Txt(1)->setText(QStringLiteral("33"));
    w.Data1()->MoveNext();
    EXPECT_EQ(Count(QStringLiteral("SELECT * FROM [%1] WHERE [Lunghezza] = 33").arg(Table(climb))), 1);
    EXPECT_EQ(Txt(0)->text(), QStringLiteral("B"));
}

TEST_P(BothWindows, InformationPanel)
{
    const bool climb = GetParam();
    AddCard(climb, QStringLiteral("Giau"));
    AddCard(climb, QStringLiteral("Fedaia"));
    AddCard(climb, QStringLiteral("Sella & Pordoi"));
    CardWindow &w = Open(climb);
    Button("cmdDesc")->click();
    ASSERT_TRUE(w.picInfo()->isVisible());
    auto *frame = w.Control(climb ? QStringLiteral("FrameInfo") : QStringLiteral("Frame5"));
    EXPECT_EQ(frame->property("title").toString(), QStringLiteral("Giau"));
    w.Data1()->MoveNext();
    EXPECT_EQ(frame->property("title").toString(), QStringLiteral("Fedaia"));
    // An ampersand in a name is shown, not taken as a keyboard mnemonic.
    w.Data1()->MoveNext();
    EXPECT_EQ(frame->property("title").toString(), QStringLiteral("Sella && Pordoi"));
    Button(climb ? "Command1" : "cmdNoInfo")->click();
    Button("cmdDesc")->click();
    EXPECT_EQ(frame->property("title").toString(), QStringLiteral("Sella && Pordoi"));
    Button("cmdAdd")->click();
    EXPECT_FALSE(w.picInfo()->isVisible());
    Button("cmdDesc")->click();
    EXPECT_EQ(TestSupport::Script().messages(), QStringList{GetLangString(climb ? 9501 : 7502)});
    EXPECT_FALSE(w.picInfo()->isVisible());
}

TEST(CardLinks, Address)
{
    const struct { const char *text; const char *address; } cases[] = {
        {"", ""},
        {"   ", ""},
        {"info@stelvio.it", "mailto:info@stelvio.it"},
        {"www.stelvio.it", "http://www.stelvio.it"},
        {"http://www.stelvio.it", "http://www.stelvio.it"},
        {"https://www.stelvio.it/a?b=1", "https://www.stelvio.it/a?b=1"},
        {"mailto:info@stelvio.it", "mailto:info@stelvio.it"},
        {"https://user@host.it", "https://user@host.it"},
        {" www.x.it ", "http://www.x.it"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(LinkAddress(QLatin1String(c.text)), QLatin1String(c.address)) << c.text;
}

namespace {
// Stands in for the desktop's programs: takes the addresses the shell opens.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QStringList opened;
public slots:
    void open(const QUrl &url) { opened << url.toString(); }
};
}

// Double-clicking a link opens its address and marks the field red; the next
// card shows the links blue again. A blank field opens nothing.
TEST_P(BothWindows, LinkDoubleClickOpensTheAddress)
{
    const bool climb = GetParam();
    AddCard(climb, QStringLiteral("Giau"));
    AddCard(climb, QStringLiteral("Fedaia"));
    CardWindow &w = Open(climb);
    UrlCatcher catcher;
    const char *schemes[] = {"http", "https", "mailto"};
    for (const char *scheme : schemes)
        QDesktopServices::setUrlHandler(QLatin1String(scheme), &catcher, "open");
    w.cmdDesc_Click();
    auto *mail = Ctl<QLineEdit>("txtLink(0)");
    auto *web = Ctl<QLineEdit>("txtLink(1)");
    const auto doubleClick = [](QWidget *field) {
        QMouseEvent click(QEvent::MouseButtonDblClick, QPointF(4, 4), field->mapToGlobal(QPointF(4, 4)),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(field, &click);
    };
    const QColor blue(0, 0, 255), red(255, 0, 0);
    EXPECT_EQ(mail->palette().color(QPalette::Text), blue);
    mail->setText(QStringLiteral("info@giau.it"));
    web->setText(QStringLiteral("   "));
    doubleClick(web);
    doubleClick(mail);
    web->setText(QStringLiteral("www.giau.it"));
    doubleClick(web);
    for (const char *scheme : schemes)
        QDesktopServices::unsetUrlHandler(QLatin1String(scheme));
    EXPECT_EQ(catcher.opened, (QStringList{QStringLiteral("mailto:info@giau.it"), QStringLiteral("http://www.giau.it")}));
    EXPECT_EQ(mail->palette().color(QPalette::Text), red);
    EXPECT_EQ(web->palette().color(QPalette::Text), red);
    EXPECT_TRUE(TestSupport::Script().messages().isEmpty());

    w.Data1()->MoveNext();
    EXPECT_EQ(mail->palette().color(QPalette::Text), blue);
    EXPECT_EQ(web->palette().color(QPalette::Text), blue);
}

#include "window_records_test.moc"
