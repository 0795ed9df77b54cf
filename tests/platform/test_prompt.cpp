#include "TestSupport.h"
#include "platform/error/VbError.h"
#include "platform/ui/Prompt.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QPrinterInfo>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QFile>
#include <QFileDialog>

TEST(Prompt, MsgBoxRecordsAndAnswersFromScript)
{
    auto &s = TestSupport::Script();
    s.answers.push_back(Vb::No);
    EXPECT_EQ(MsgBox("Delete?", Vb::YesNo + Vb::Question + Vb::DefaultButton2, "T"), Vb::No);
    // Unscripted: the first button.
    EXPECT_EQ(MsgBox("Sure?", Vb::YesNoCancel), Vb::Yes);
    EXPECT_EQ(MsgBox("Info"), Vb::OK);
    ASSERT_EQ(s.shown.size(), 3u);
    EXPECT_EQ(s.shown[0].style, 4 + 32 + 256);
    EXPECT_EQ(s.shown[0].title, "T");
    EXPECT_EQ(s.messages(), QStringList({"Delete?", "Sure?", "Info"}));
}

TEST(Prompt, MsgBoxWithoutTitleShowsTheProgramName)
{
    SetPromptAppTitle("Vettaro");
    MsgBox("x");
    EXPECT_EQ(TestSupport::Script().shown.back().title, "Vettaro");
    SetPromptAppTitle(QString());
}

TEST(Prompt, FileDialogCancelRaisesCancelErrorOnlyWhenAsked)
{
    CommonDialog d;
    d.FileName = "keep.txt";
    d.CancelError = true;
    try {
        d.ShowOpen();
        FAIL() << "no error on cancel";
    } catch (const VbError &e) {
        EXPECT_EQ(e.Number(), 32755);
    }
    d.CancelError = false;
    EXPECT_NO_THROW(d.ShowSave());
    EXPECT_EQ(d.FileName, "keep.txt");
    EXPECT_EQ(TestSupport::Script().shown.back().kind, "save");
}

TEST(Prompt, SaveDialogPassesRequestAndAddsDefaultExt)
{
    auto &s = TestSupport::Script();
    s.files.push_back(QString("/tmp/some/route"));
    s.files.push_back(QString("/tmp/some/route.XML"));
    CommonDialog d;
    d.DialogTitle = "Export";
    d.Filter = "XML file|*.xml|All|*.*";
    d.FilterIndex = 2;
    d.DefaultExt = "xml";
    d.InitDir = "/tmp";
    d.ShowSave();
    EXPECT_EQ(d.FileName, "/tmp/some/route.xml");
    EXPECT_EQ(d.FileTitle, "route.xml");
    EXPECT_EQ(d.FilterIndex, 2);
    const auto &req = s.shown.back().request;
    EXPECT_TRUE(req.save);
    EXPECT_EQ(req.filter, "XML file|*.xml|All|*.*");
    EXPECT_EQ(req.initDir, "/tmp");
    EXPECT_EQ(s.shown.back().text, "Export");
    d.ShowSave();
    EXPECT_EQ(d.FileName, "/tmp/some/route.XML");   // an extension of its own stays
}

TEST(Prompt, ColorDialogUsesRedInTheLowByte)
{
    auto &s = TestSupport::Script();
    s.colors.push_back(QColor(0x11, 0x22, 0x33));
    CommonDialog d;
    d.Color = 0x0000FF;
    d.ShowColor();
    EXPECT_EQ(s.shown.back().text, "#ff0000");
    EXPECT_EQ(d.Color, 0x332211);
    EXPECT_THROW(d.ShowColor(), VbError);
    EXPECT_EQ(d.Color, 0x332211);
}

TEST(Prompt, FontAndPrinterDialogs)
{
    auto &s = TestSupport::Script();
    QFont f("DejaVu Sans", 14);
    f.setBold(true);
    s.fonts.push_back(f);
    s.printers.push_back(true);
    CommonDialog d;
    d.ShowFont();
    EXPECT_EQ(d.FontName, "DejaVu Sans");
    EXPECT_DOUBLE_EQ(d.FontSize, 14);
    EXPECT_TRUE(d.FontBold);
    EXPECT_NO_THROW(d.ShowPrinter());
    EXPECT_NE(d.Printer, nullptr);
    EXPECT_THROW(d.ShowPrinter(), VbError);
    EXPECT_THROW(d.ShowFont(), VbError);
}

TEST(Prompt, HelpGoesToTheProvider)
{
    CommonDialog d;
    d.HelpFile = "/x/help.html";
    d.HelpCommand = 0x105;
    d.HelpKey = "climb";
    d.ShowHelp();
    const auto &sh = TestSupport::Script().shown.back();
    EXPECT_EQ(sh.kind, "help");
    EXPECT_EQ(sh.style, 0x105);
    EXPECT_EQ(sh.text, "climb");
    EXPECT_EQ(sh.title, "/x/help.html");
}

TEST(Prompt, RealProviderHelpCallsTheInstalledHandler)
{
    auto old = SetPromptProvider(nullptr);
    QString seen;
    int cmd = 0;
    SetHelpHandler([&](const QString &file, int c, const QString &) { seen = file; cmd = c; });
    CommonDialog d;
    d.HelpFile = "h";
    d.HelpCommand = 3;
    d.ShowHelp();
    SetHelpHandler(nullptr);
    SetPromptProvider(old);
    EXPECT_EQ(seen, "h");
    EXPECT_EQ(cmd, 3);
}

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QLineEdit>
#include <QTimer>

namespace {
// Runs f on the modal dialog once it is up, from the event loop.
template <class W, class F>
void OnModal(F f)
{
    auto *timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, f] {
        if (auto *w = qobject_cast<W *>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            f(w);
        }
    });
    timer->start(10);
}

struct RealDialogs {
    std::shared_ptr<PromptProvider> old = SetPromptProvider(nullptr);
    ~RealDialogs() { SetPromptProvider(old); }
};
}

TEST(Prompt, NameFiltersShowEachPatternOnce)
{
    struct Case { const char *filter; QStringList expected; };
    const Case cases[] = {
        {"Pictures|*.png;*.bmp|Text|*.txt", {"Pictures (*.png *.bmp)", "Text (*.txt)"}},
        {"Profile Files (*.txt)|*.txt", {"Profile Files (*.txt)"}},
        {"Bitmap (*.bmp)|*.bmp|JPEG (*.jpg;*.jpeg)|*.jpg;*.jpeg", {"Bitmap (*.bmp)", "JPEG (*.jpg;*.jpeg)"}},
        {"Races (*.XML)|*.xml", {"Races (*.XML)"}},
        {"Module (Vettaro)|*.so", {"Module (Vettaro) (*.so)"}},
        {"All files|", {"All files ()"}},
        {"", {}},
        {"odd", {}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(QtNameFilters(c.filter), c.expected) << c.filter;
}

TEST(PromptReal, MessageBoxStyleNumbersGiveIconButtonsAndDefault)
{
    RealDialogs real;
    QMessageBox::Icon icon{};
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton def{};
    QString title;
    OnModal<QMessageBox>([&](QMessageBox *b) {
        icon = b->icon();
        buttons = b->standardButtons();
        def = b->standardButton(b->defaultButton());
        title = b->windowTitle();
        b->button(QMessageBox::No)->click();
    });
    EXPECT_EQ(MsgBox("Delete?", 4 + 48 + 256, "Title"), Vb::No);
    EXPECT_EQ(icon, QMessageBox::Warning);
    EXPECT_EQ(buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(def, QMessageBox::No);
    EXPECT_EQ(title, "Title");

    OnModal<QMessageBox>([&](QMessageBox *b) {
        icon = b->icon();
        buttons = b->standardButtons();
        b->button(QMessageBox::Cancel)->click();
    });
    EXPECT_EQ(MsgBox("?", 1 + 16), Vb::Cancel);
    EXPECT_EQ(icon, QMessageBox::Critical);
    EXPECT_EQ(buttons, QMessageBox::Ok | QMessageBox::Cancel);
}

TEST(PromptReal, FileDialogTranslatesFilterAndIndex)
{
    RealDialogs real;
    QTemporaryDir dir;
    QStringList filters;
    QString selectedFilter;
    OnModal<QFileDialog>([&](QFileDialog *d) {
        filters = d->nameFilters();
        selectedFilter = d->selectedNameFilter();
        // Typed into the name box: selectFile leaves the box alone while it
        // has the focus, and the dialog would then accept its folder.
        auto *name = d->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        name->setText(dir.filePath("out"));
        QMetaObject::invokeMethod(d, "accept");
    });
    CommonDialog c;
    c.Filter = "Pictures|*.png;*.bmp|Text|*.txt";
    c.FilterIndex = 2;
    c.DefaultExt = "txt";
    c.InitDir = dir.path();
    c.ShowSave();
    EXPECT_EQ(filters, QStringList({"Pictures (*.png *.bmp)", "Text (*.txt)"}));
    EXPECT_EQ(selectedFilter, "Text (*.txt)");
    EXPECT_EQ(c.FileName, dir.filePath("out.txt"));
    EXPECT_EQ(c.FilterIndex, 2);

    OnModal<QFileDialog>([](QFileDialog *d) { d->reject(); });
    EXPECT_THROW(c.ShowOpen(), VbError);
}

// The printer set-up only keeps the choice: the print dialog it shows confirms
// with OK, not "Print", and offers printing to a PDF file beside the
// installed printers (on a machine without any, that is what it offers).
TEST(PromptReal, PrinterSetupConfirmsWithOkAndOffersPdf)
{
    RealDialogs real;
    QStringList confirm, printers;
    OnModal<QPrintDialog>([&](QPrintDialog *dlg) {
        for (QDialogButtonBox *box : dlg->findChildren<QDialogButtonBox *>())
            if (QPushButton *ok = box->button(QDialogButtonBox::Ok))
                confirm << ok->text();
        if (auto *combo = dlg->findChild<QComboBox *>(QStringLiteral("printers")))
            for (int i = 0; i < combo->count(); ++i)
                printers << combo->itemText(i);
        dlg->reject();
    });
    QPrinter printer;
    CommonDialog d;
    d.Printer = &printer;
    d.CancelError = false;
    d.ShowPrinter();
    ASSERT_FALSE(confirm.isEmpty());
    for (const QString &text : confirm)
        EXPECT_EQ(text, QStringLiteral("OK")) << text.toStdString();
    EXPECT_TRUE(printers.filter(QStringLiteral("PDF")).size() == 1) << printers.join('|').toStdString();
    for (const QString &name : QPrinterInfo::availablePrinterNames())
        EXPECT_TRUE(printers.contains(name)) << name.toStdString();
}

// Several files chosen in a multiple-selection open dialog come back as the
// folder and the names separated by NUL; one file as its path; and the real
// dialog is set up to take several existing files only with the flag.
TEST(Prompt, MultipleSelectionGivesFolderAndNames)
{
    auto &s = TestSupport::Script();
    const QChar nul(0);
    s.files.push_back(QStringList{"/data/p/a.txt", "/data/p/b c.txt", "/data/p/d.txt"}.join(nul));
    s.files.push_back(QString("/data/p/only.txt"));
    CommonDialog d;
    d.Flags = 0x81604;
    d.DefaultExt = "txt";
    d.ShowOpen();
    EXPECT_EQ(d.FileName, QStringList({"/data/p", "a.txt", "b c.txt", "d.txt"}).join(nul));
    EXPECT_EQ(SplitMultiSelection(d.FileName), QStringList({"/data/p/a.txt", "/data/p/b c.txt", "/data/p/d.txt"}));
    d.ShowOpen();
    EXPECT_EQ(d.FileName, "/data/p/only.txt");
    EXPECT_EQ(SplitMultiSelection(d.FileName), QStringList{"/data/p/only.txt"});
    EXPECT_TRUE(SplitMultiSelection(QString()).isEmpty());

    FileDialogRequest r;
    r.flags = MultiSelectFlag;
    QFileDialog multi;
    ConfigureFileDialog(multi, r);
    EXPECT_EQ(multi.fileMode(), QFileDialog::ExistingFiles);
    r.flags = 0;
    QFileDialog single;
    ConfigureFileDialog(single, r);
    EXPECT_EQ(single.fileMode(), QFileDialog::ExistingFile);
}

// The font dialog carries the colour and the two effects only with flag 0x100,
// and offers scalable faces only with 0x40000.
TEST(Prompt, FontDialogColourAndEffectsFollowTheFlags)
{
    struct Case { int flags; bool effects, scalable; int colorAfter; bool underlineAfter; };
    const Case cases[] = {
        {0, false, false, 0x0000FF, false},
        {257, true, false, 0x332211, true},
        {262401, true, true, 0x332211, true},
    };
    for (const Case &c : cases) {
        auto &s = TestSupport::ResetScript();
        QFont f("DejaVu Serif", 11);
        f.setUnderline(true);
        s.fonts.push_back(FontDialogResult(f, QColor(0x11, 0x22, 0x33)));
        CommonDialog d;
        d.FontName = "Nowhere Sans";
        d.FontSize = 9;
        d.Color = 0x0000FF;
        d.Flags = c.flags;
        d.ShowFont();
        const FontDialogRequest &req = s.shown.back().font;
        EXPECT_EQ(req.font.family(), "Nowhere Sans") << c.flags;   // a face not installed is offered by its name
        EXPECT_EQ(req.color, QColor(255, 0, 0)) << c.flags;
        EXPECT_EQ(req.effects, c.effects) << c.flags;
        EXPECT_EQ(req.colorOffered, c.effects) << c.flags;
        EXPECT_EQ(req.scalableOnly, c.scalable) << c.flags;
        EXPECT_EQ(d.FontName, "DejaVu Serif");
        EXPECT_EQ(d.Color, c.colorAfter) << c.flags;
        EXPECT_EQ(d.FontUnderline, c.underlineAfter) << c.flags;
    }
    // An answer without a colour keeps the colour; a cancel keeps everything.
    auto &s = TestSupport::ResetScript();
    s.fonts.push_back(QFont("DejaVu Sans", 12));
    CommonDialog d;
    d.Flags = 257;
    d.Color = 0x00FF00;
    d.ShowFont();
    EXPECT_EQ(d.Color, 0x00FF00);
    EXPECT_DOUBLE_EQ(d.FontSize, 12);
    d.CancelError = false;
    d.ShowFont();
    EXPECT_EQ(d.FontName, "DejaVu Sans");
    EXPECT_EQ(d.Color, 0x00FF00);
}

#include "platform/ui/FontPicker.h"
#include <QCheckBox>
#include <QComboBox>
#include <QFontComboBox>
#include <QGroupBox>

TEST(PromptReal, FontPickerOffersColourEffectsAndScalableFaces)
{
    RealDialogs real;
    bool scalableOnly = false, effectsShown = false;
    OnModal<FontPicker>([&](FontPicker *p) {
        scalableOnly = p->findChild<QFontComboBox *>("face")->fontFilters() == QFontComboBox::ScalableFonts;
        effectsShown = !p->findChild<QGroupBox *>("effects")->isHidden();
        p->findChild<QCheckBox *>("bold")->setChecked(true);
        p->findChild<QCheckBox *>("strikeout")->setChecked(true);
        p->findChild<QComboBox *>("size")->setEditText("14");
        p->setColor(QColor(0, 0, 255));
        p->accept();
    });
    CommonDialog d;
    d.FontName = "Nowhere Sans";
    d.FontSize = 8;
    d.Flags = 262401;
    d.ShowFont();
    EXPECT_TRUE(scalableOnly);
    EXPECT_TRUE(effectsShown);
    EXPECT_EQ(d.FontName, "Nowhere Sans");   // the face was not touched
    EXPECT_DOUBLE_EQ(d.FontSize, 14);
    EXPECT_TRUE(d.FontBold);
    EXPECT_TRUE(d.FontStrikethru);
    EXPECT_EQ(d.Color, 0xFF0000);

    // Without flag 0x100 neither effects nor colour are shown; choosing a face keeps it.
    OnModal<FontPicker>([&](FontPicker *p) {
        scalableOnly = p->findChild<QFontComboBox *>("face")->fontFilters() == QFontComboBox::ScalableFonts;
        effectsShown = !p->findChild<QGroupBox *>("effects")->isHidden();
        auto *face = p->findChild<QFontComboBox *>("face");
        face->setCurrentIndex(face->count() - 1);
        p->accept();
    });
    d.Flags = 0;
    d.ShowFont();
    EXPECT_FALSE(scalableOnly);
    EXPECT_FALSE(effectsShown);
    EXPECT_NE(d.FontName, "Nowhere Sans");
    EXPECT_EQ(d.Color, 0xFF0000);

    OnModal<FontPicker>([](FontPicker *p) { p->reject(); });
    const QString before = d.FontName;
    EXPECT_THROW(d.ShowFont(), VbError);
    EXPECT_EQ(d.FontName, before);
}
