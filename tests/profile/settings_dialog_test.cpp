// The profile settings dialog on a real profile window: opened from the
// window's menu, the enabled states its check boxes and option pairs govern,
// the tabs, the fill preview, the colour, font and picture pickers through
// the scripted prompts, Apply with its redraw, Cancel, and its texts.
#include "window_fixture.h"

#include "profile/frmGraphSettings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTimer>

namespace {

// Runs f on the settings dialog once it is up as the modal window.
void OnModalSettings(std::function<void(frmGraphSettings *)> f)
{
    auto *timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, f] {
        if (auto *d = qobject_cast<frmGraphSettings *>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            f(d);
        }
    });
    timer->start(10);
}

int32_t Number(const QColor &c) { return c.red() | (c.green() << 8) | (c.blue() << 16); }

} // namespace

class GraphSettingsTest : public ProfileWindowTest {
protected:
    void SetUp() override
    {
        ProfileWindowTest::SetUp();
        m_registered << QStringLiteral("frmGraphSettings");
    }
    // The dialog over the open profile window, as the menu would create it.
    std::unique_ptr<frmGraphSettings> Dialog()
    {
        auto d = std::make_unique<frmGraphSettings>(m_window.get());
        d->show();
        return d;
    }
    static QWidget *C(frmGraphSettings &d, const QString &name)
    {
        QWidget *w = d.Control(name);
        EXPECT_NE(w, nullptr) << name.toStdString();
        return w;
    }
    static ColorButton *Colour(frmGraphSettings &d, const QString &name) { return d.Get<ColorButton>(name); }
};

TEST_F(GraphSettingsTest, OpensModallyFromTheMenuOneFramePerTab)
{
    frmAltimetria *w = OpenProfile();
    ASSERT_NE(w, nullptr);
    const ProfileOptions before = w->Options;
    QStringList shownFrames;
    QString titleSeen;
    OnModalSettings([&](frmGraphSettings *d) {
        titleSeen = d->windowTitle();
        for (const char *key : {"graph", "details", "axes", "backtype", "graph"}) {
            const int tab = d->TabIndex(QString::fromLatin1(key));
            d->Get<QTabWidget>(QStringLiteral("TabStrip1"))->setCurrentIndex(tab);
            QStringList visible;
            for (int i = 0; i < 4; ++i)
                if (d->Control(QStringLiteral("Frame1(%1)").arg(i))->isVisible())
                    visible << QString::number(i);
            shownFrames << QStringLiteral("%1:%2").arg(QLatin1String(key), visible.join(QLatin1Char(',')));
        }
        d->Get<QScrollBar>(QStringLiteral("scrollX"))->setValue(0);
        d->Get<QPushButton>(QStringLiteral("Command1"))->click();
    });
    w->MenuItem(QStringLiteral("mnuGraph"))->trigger();
    EXPECT_EQ(titleSeen, GetLangString(13000));
    EXPECT_EQ(shownFrames, QStringList({"graph:0", "details:1", "axes:2", "backtype:3", "graph:0"}));
    EXPECT_EQ(WindowRegistry::Find(QStringLiteral("frmGraphSettings")), nullptr);   // unloaded
    EXPECT_FLOAT_EQ(w->Options.PercX, before.PercX);                                // cancelled
}

TEST_F(GraphSettingsTest, CheckBoxesAndOptionPairsEnableTheirControls)
{
    frmAltimetria *w = OpenProfile();
    ASSERT_NE(w, nullptr);
    // Every check box on, so that each one's row starts enabled.
    for (int16_t *f : {&w->Options.DrawWall, &w->Options.DrawMarkLine, &w->Options.GuideLines, &w->Options.DrawQRif,
                       &w->Options.DrawLegend, &w->Options.DrawTitle, &w->Options.DrawPend, &w->Options.DrawNote,
                       &w->Options.DrawIcon, &w->Options.FixedHeight})
        *f = 1;
    w->Options.Graph_Type = 0;   // "Advanced": the frame with the mark line is usable
    w->Options.DrawFlag = 0;     // "Place - altitude": the notes font label is usable
    auto d = Dialog();
    struct Row { const char *check; QStringList controls; };
    const Row rows[] = {
        {"chkHeightMode", {"frmQMax"}},
        {"chkIcon", {"frameIcon"}},
        {"chkMarkLine", {"cmdMarkLineColor", "optMarkLineWidth(0)", "optMarkLineWidth(1)"}},
        {"chkNote", {"frameNote"}},
        {"chkBmp", {"frmWall"}},
        {"chkTitle", {"lblName"}},
        {"chkLegend", {"lblLegend"}},
        {"chkPend", {"lblPend"}},
        {"chkQRif", {"cmdQRifColor", "optGlines(0)", "optGlines(1)"}},
        {"chkAlt", {"cmdRifAlt"}},
    };
    const QStringList all = {"frmQMax", "frameIcon", "cmdMarkLineColor", "optMarkLineWidth(0)", "optMarkLineWidth(1)",
                             "frameNote", "frmWall", "lblName", "lblLegend", "lblPend", "cmdQRifColor", "optGlines(0)",
                             "optGlines(1)", "cmdRifAlt"};
    const int32_t markColour = Colour(*d, QStringLiteral("cmdMarkLineColor"))->Color();
    for (const Row &r : rows) {
        const QString check = QString::fromLatin1(r.check);
        d->Get<QTabWidget>(QStringLiteral("TabStrip1"))->setCurrentWidget(
            d->Control(QStringLiteral("Frame1(%1)").arg(check == "chkBmp" ? 3 : (check == "chkTitle" || check == "chkLegend"
                                                                                 || check == "chkPend" || check == "chkQRif"
                                                                                 || check == "chkAlt") ? 1 : 0)));
        auto *box = d->Get<QCheckBox>(check);
        ASSERT_TRUE(box->isChecked()) << r.check;
        box->click();
        for (const QString &name : all)
            EXPECT_EQ(C(*d, name)->isEnabled(), !r.controls.contains(name)) << r.check << " " << name.toStdString();
        box->click();
        for (const QString &c : r.controls)
            EXPECT_TRUE(C(*d, c)->isEnabled()) << r.check;
    }
    EXPECT_EQ(Colour(*d, QStringLiteral("cmdMarkLineColor"))->Color(), markColour);   // kept while disabled

    // Option pairs.
    d->Get<QRadioButton>(QStringLiteral("optGraph(0)"))->click();   // Simple
    EXPECT_FALSE(C(*d, "frmAdvance")->isEnabled());
    EXPECT_FALSE(C(*d, "cmbFillmode")->isEnabled());
    EXPECT_FALSE(C(*d, "chkMarkLine")->isEnabled());
    EXPECT_FALSE(C(*d, "optMarkLineWidth(1)")->isEnabled());
    d->Get<QRadioButton>(QStringLiteral("optGraph(1)"))->click();
    EXPECT_TRUE(C(*d, "cmdMarkLineColor")->isEnabled());
    d->Get<QRadioButton>(QStringLiteral("optNote(0)"))->click();   // Flags
    EXPECT_TRUE(C(*d, "cmdFlagColor")->isEnabled());
    EXPECT_FALSE(C(*d, "lblNote")->isEnabled());
    d->Get<QRadioButton>(QStringLiteral("optNote(1)"))->click();
    EXPECT_FALSE(C(*d, "cmdFlagColor")->isEnabled());
    EXPECT_TRUE(C(*d, "lblNote")->isEnabled());
    d->Get<QTabWidget>(QStringLiteral("TabStrip1"))->setCurrentIndex(d->TabIndex(QStringLiteral("backtype")));
    d->Get<QRadioButton>(QStringLiteral("optWall(0)"))->click();   // Gradient
    EXPECT_TRUE(C(*d, "cmdGColor1(0)")->isEnabled());
    EXPECT_TRUE(C(*d, "cmdGColor1(1)")->isEnabled());
    EXPECT_FALSE(C(*d, "cmdbackPic")->isEnabled());
    EXPECT_FALSE(C(*d, "lblBmp")->isEnabled());
    d->Get<QRadioButton>(QStringLiteral("optWall(1)"))->click();
    EXPECT_FALSE(C(*d, "cmdGColor1(1)")->isEnabled());
    EXPECT_TRUE(C(*d, "cmdbackPic")->isEnabled());
}

TEST_F(GraphSettingsTest, LoadSetsEnabledStatesFromTheOptions)
{
    frmAltimetria *w = OpenProfile();
    ASSERT_NE(w, nullptr);
    w->Options.DrawWall = 1;   // the frame around the background controls is usable
    struct Case { int16_t paintBmp, fixed, graphType, flag; };
    for (const Case &c : {Case{0, 0, -1, 3}, Case{-1, 1, 0, 0}, Case{7, 0, 0, 0}}) {
        w->Options.PaintBackBmp = c.paintBmp;
        w->Options.FixedHeight = c.fixed;
        w->Options.Graph_Type = c.graphType;
        w->Options.DrawFlag = c.flag;
        auto d = Dialog();
        const bool image = c.paintBmp != 0;
        EXPECT_EQ(d->Get<QRadioButton>(QStringLiteral("optWall(1)"))->isChecked(), image);
        EXPECT_EQ(C(*d, "cmdGColor1(0)")->isEnabled(), !image) << c.paintBmp;
        EXPECT_EQ(C(*d, "cmdbackPic")->isEnabled(), image) << c.paintBmp;
        EXPECT_EQ(C(*d, "frmQMax")->isEnabled(), c.fixed != 0);
        EXPECT_EQ(C(*d, "frmAdvance")->isEnabled(), c.graphType == 0);
        EXPECT_EQ(C(*d, "cmdFlagColor")->isEnabled(), c.flag != 0);
    }
}

TEST_F(GraphSettingsTest, ControlsLoadTheOptionsAndFillPreviewFollowsTheList)
{
    // Values written by hand into the settings: the controls take the nearest
    // end of their range, and Apply writes that.
    SaveSetting(AppName, QStringLiteral("Altimetria"), QStringLiteral("PercX"), QStringLiteral("-500"));
    SaveSetting(AppName, QStringLiteral("Altimetria"), QStringLiteral("Y0Perc"), QStringLiteral("99999"));
    SaveSetting(AppName, QStringLiteral("Altimetria"), QStringLiteral("Graph_FillStyle"), QStringLiteral("9"));
    SaveSetting(AppName, QStringLiteral("Altimetria"), QStringLiteral("TacInt"), QStringLiteral("3"));
    SaveSetting(AppName, QStringLiteral("Altimetria"), QStringLiteral("X0Perc"), QStringLiteral("abc"));
    frmAltimetria *w = OpenProfile();
    ASSERT_NE(w, nullptr);
    auto d = Dialog();
    EXPECT_EQ(d->Get<QScrollBar>(QStringLiteral("scrollX"))->value(), 0);
    EXPECT_EQ(d->Get<QScrollBar>(QStringLiteral("scrollY"))->value(), 39);
    EXPECT_EQ(d->Get<QScrollBar>(QStringLiteral("scrollCY"))->value(), 0);
    EXPECT_EQ(d->Get<QScrollBar>(QStringLiteral("scrollCY"))->orientation(), Qt::Vertical);
    EXPECT_EQ(d->Get<QScrollBar>(QStringLiteral("scrollCX"))->maximum(), 120);
    EXPECT_EQ(d->Get<QScrollBar>(QStringLiteral("scrollCX"))->value(), 6);   // text: the default
    EXPECT_EQ(d->Get<QComboBox>(QStringLiteral("cmbTacInt"))->currentIndex(), -1);
    EXPECT_EQ(d->Get<QComboBox>(QStringLiteral("cmbQInt"))->currentText(), QStringLiteral("100 m"));
    EXPECT_EQ(d->Get<QComboBox>(QStringLiteral("cmbQMax"))->currentText(), QStringLiteral("2000 m"));
    auto *fill = d->Get<QComboBox>(QStringLiteral("cmbFillmode"));
    auto *preview = d->Get<FillStylePreview>(QStringLiteral("shpFillStyle"));
    EXPECT_EQ(fill->currentIndex(), 7);
    EXPECT_EQ(preview->FillStyle(), 7);
    EXPECT_EQ(d->Get<FontSampleLabel>(QStringLiteral("lblName"))->text(), QStringLiteral("Text"));

    // Choosing a fill style shows it at once, before Apply: solid is all
    // black inside, downward diagonals leave white between the lines.
    auto inside = [&] {
        const QImage img = preview->grab().toImage();
        int black = 0, white = 0;
        for (int y = 3; y < img.height() - 3; ++y)
            for (int x = 3; x < img.width() - 3; ++x)
                (qGray(img.pixel(x, y)) < 128 ? black : white)++;
        return std::pair{black, white};
    };
    fill->setCurrentIndex(0);
    EXPECT_EQ(inside().second, 0);
    fill->setCurrentIndex(5);
    EXPECT_EQ(preview->FillStyle(), 5);
    const auto [black, white] = inside();
    EXPECT_GT(black, 0);
    EXPECT_GT(white, black);
    EXPECT_EQ(w->Options.Graph_FillStyle, 9);   // nothing applied yet

    d->cmdApply_Click();
    EXPECT_FLOAT_EQ(w->Options.PercX, 1.0f);
    EXPECT_FLOAT_EQ(w->Options.Y0Perc, 1.2f);
    EXPECT_EQ(w->Options.Graph_FillStyle, 5);
    EXPECT_FLOAT_EQ(w->Options.TacInt, 3.0f);
}

TEST_F(GraphSettingsTest, ColourPickersStartFromTheColourShown)
{
    frmAltimetria *w = OpenProfile();
    ASSERT_NE(w, nullptr);
    auto d = Dialog();
    auto &s = TestSupport::Script();
    const int32_t applied = w->Options.Pend7_Color;
    ColorButton *grade = Colour(*d, QStringLiteral("cmdGraphColor(1)"));
    EXPECT_EQ(grade->Color(), applied);

    s.colors.push_back(QColor(10, 20, 30));
    grade->click();
    EXPECT_EQ(grade->Color(), Number(QColor(10, 20, 30)));
    // The button shows the colour it holds.
    const QImage face = grade->grab().toImage();
    EXPECT_EQ(face.pixelColor(face.width() / 2, face.height() / 2), QColor(10, 20, 30));
    s.colors.push_back(std::nullopt);   // the second pick is cancelled
    grade->click();
    EXPECT_EQ(s.shown.back().kind, QStringLiteral("color"));
    EXPECT_EQ(s.shown.back().text, QColor(10, 20, 30).name());   // started from the picked colour
    EXPECT_EQ(grade->Color(), Number(QColor(10, 20, 30)));        // and kept it
    EXPECT_EQ(w->Options.Pend7_Color, applied);

    ColorButton *bkg = Colour(*d, QStringLiteral("cmdBkgColor"));
    s.colors.push_back(QColor(200, 100, 50));
    s.colors.push_back(QColor(1, 2, 3));
    bkg->click();
    bkg->click();
    EXPECT_EQ(s.shown.back().text, QColor(200, 100, 50).name());
    EXPECT_EQ(bkg->Color(), Number(QColor(1, 2, 3)));
    EXPECT_EQ(cmDlg1.Flags, 0);
}

TEST_F(GraphSettingsTest, FontPickersOfferScalableFacesForNotesAndCarryTheColour)
{
    frmAltimetria *w = OpenProfile();
    ASSERT_NE(w, nullptr);
    w->Options.N_FontName = QStringLiteral("Nowhere Face");
    w->Options.N_Color = 0x0000FF;
    w->Options.AY_FontSize = 11;
    auto d = Dialog();
    auto &s = TestSupport::Script();
    auto *note = d->Get<FontSampleLabel>(QStringLiteral("lblNote"));
    auto *ay = d->Get<FontSampleLabel>(QStringLiteral("lblAy"));

    QFont chosen(QStringLiteral("DejaVu Serif"), 14);
    chosen.setItalic(true);
    s.fonts.push_back(FontDialogResult(chosen, QColor(0, 128, 0)));
    Mouse(note, QEvent::MouseButtonDblClick, Qt::LeftButton, Qt::LeftButton, QPointF(5, 5));
    const FontDialogRequest &req = s.shown.back().font;
    EXPECT_TRUE(req.scalableOnly);
    EXPECT_TRUE(req.effects);
    EXPECT_TRUE(req.colorOffered);
    EXPECT_EQ(req.font.family(), QStringLiteral("Nowhere Face"));
    EXPECT_EQ(req.color, QColor(255, 0, 0));
    EXPECT_EQ(cmDlg1.Flags, 262401);
    EXPECT_EQ(note->Value().name, QStringLiteral("DejaVu Serif"));
    EXPECT_FLOAT_EQ(note->Value().size, 14);
    EXPECT_TRUE(note->Value().italic);
    EXPECT_EQ(note->Value().color, Number(QColor(0, 128, 0)));
    EXPECT_EQ(note->palette().color(QPalette::WindowText), QColor(0, 128, 0));

    s.fonts.push_back(std::nullopt);
    const GraphSettings::FontState before = ay->Value();
    Mouse(ay, QEvent::MouseButtonDblClick, Qt::LeftButton, Qt::LeftButton, QPointF(5, 5));
    EXPECT_FALSE(s.shown.back().font.scalableOnly);
    EXPECT_EQ(cmDlg1.Flags, 257);
    EXPECT_FLOAT_EQ(float(s.shown.back().font.font.pointSizeF()), 11);
    EXPECT_EQ(ay->Value(), before);

    d->cmdApply_Click();
    EXPECT_EQ(w->Options.N_FontName, QStringLiteral("DejaVu Serif"));
    EXPECT_EQ(w->Options.N_FontItalic, -1);
    EXPECT_EQ(w->Options.N_Color, Number(QColor(0, 128, 0)));
    EXPECT_FLOAT_EQ(w->Options.AY_FontSize, 11);
}

TEST_F(GraphSettingsTest, PicturePickerAsksForAnExistingPictureAndShowsLongPathsAsTooltip)
{
    frmAltimetria *w = OpenProfile();
    ASSERT_NE(w, nullptr);
    const QString longPath = QStringLiteral("/") + QStringLiteral("a-rather-long-folder-name/").repeated(8) + QStringLiteral("wall.jpg");
    w->Options.BackBmp = longPath;   // a path that does not exist is shown as it is
    EXPECT_EQ(Dialog()->Get<QLabel>(QStringLiteral("lblBmp"))->toolTip(), longPath);
    w->Options.BackBmp.clear();
    auto d = Dialog();
    auto &s = TestSupport::Script();
    auto *path = d->Get<QLabel>(QStringLiteral("lblBmp"));
    EXPECT_TRUE(path->toolTip().isEmpty());
    s.files.push_back(longPath);
    s.files.push_back(QStringLiteral("/w.gif"));
    s.files.push_back(std::nullopt);
    d->cmdbackPic_Click();
    const FileDialogRequest &r = s.shown.back().request;
    EXPECT_EQ(r.title, GetLangString(13500));
    EXPECT_EQ(r.flags, 4100);
    EXPECT_EQ(r.filterIndex, 1);
    EXPECT_EQ(r.filter, GetLangString(13501) + "Bitmap (*.bmp;*.dib)|*.bmp;*.dib|" + GetLangString(13502)
                            + GetLangString(13503) + "Metafile (*.wmf;*.emf)|*.wmf;*.emf|" + GetLangString(13504)
                            + GetLangString(13505));
    EXPECT_EQ(path->text(), longPath);
    EXPECT_EQ(path->toolTip(), longPath);
    d->cmdbackPic_Click();
    EXPECT_EQ(path->text(), QStringLiteral("/w.gif"));
    EXPECT_TRUE(path->toolTip().isEmpty());
    d->cmdbackPic_Click();   // cancelled
    EXPECT_EQ(path->text(), QStringLiteral("/w.gif"));
    EXPECT_TRUE(s.messages().isEmpty());
}

// Each control lies in its tab's frame and in the frame whose check box or
// option governs it, so that disabling the frame disables it too.
TEST_F(GraphSettingsTest, ControlsSitInTheirFrames)
{
    ASSERT_NE(OpenProfile(), nullptr);
    auto d = Dialog();
    const std::pair<const char *, QStringList> containers[] = {
        {"Frame1(0)", {"Picture3"}},
        {"Picture3", {"chkHeightMode", "frmQMax", "chkIcon", "frameIcon", "optGraph(0)", "optGraph(1)", "frmAdvance",
                      "framePend", "chkNote", "frameNote"}},
        {"frmQMax", {"cmbQMax"}},
        {"frameIcon", {"optIcon(0)", "optIcon(1)"}},
        {"frmAdvance", {"cmbFillmode", "Label1", "shpFillStyle", "chkMarkLine", "cmdMarkLineColor",
                        "optMarkLineWidth(0)", "optMarkLineWidth(1)"}},
        {"framePend", {"cmdGraphColor(0)", "cmdGraphColor(3)", "Label2(0)", "Label2(1)", "Label2(2)", "Label2(3)"}},
        {"frameNote", {"optNote(0)", "optNote(1)", "cmdFlagColor", "lblNote"}},
        {"Frame1(1)", {"cmbQInt", "Label3(6)", "chkTitle", "lblName", "chkLegend", "lblLegend", "chkPend", "lblPend",
                       "chkQRif", "optGlines(0)", "optGlines(1)", "cmdQRifColor", "chkAlt", "cmdRifAlt"}},
        {"Frame1(2)", {"Picture1"}},
        {"Frame2(1)", {"scrollX", "scrollY", "Label3(4)", "Label3(5)"}},
        {"Frame2(0)", {"scrollCX", "scrollCY", "Label3(2)", "Label3(3)"}},
        {"Picture1", {"Frame2(0)", "Frame2(1)", "cmdYColor", "Label3(10)", "cmdTacColor(0)", "cmdTacColor(1)",
                      "Label3(7)", "Label3(8)", "Label3(9)", "cmbTacInt", "Label3(1)", "lblAy", "Label3(11)", "lblAx",
                      "Label3(0)"}},
        {"Frame1(3)", {"Picture2"}},
        {"Frame3", {"cmdSVGColor1(0)", "cmdSVGColor1(1)", "Label2(7)", "Label2(8)"}},
        {"frmWall", {"optWall(0)", "optWall(1)", "cmdGColor1(0)", "cmdGColor1(1)", "Label2(5)", "Label2(6)",
                     "cmdbackPic", "lblBmp"}},
        {"Picture2", {"Frame3", "chkBmp", "frmWall", "cmdBkgColor", "Label2(4)"}},
    };
    for (const auto &[outer, inner] : containers)
        for (const QString &name : inner)
            EXPECT_TRUE(C(*d, QString::fromLatin1(outer))->isAncestorOf(C(*d, name))) << outer << " " << name.toStdString();
    // A check box stays usable outside the frame it governs.
    EXPECT_FALSE(C(*d, "frmWall")->isAncestorOf(C(*d, "chkBmp")));
    EXPECT_FALSE(C(*d, "frmQMax")->isAncestorOf(C(*d, "chkHeightMode")));
    for (const char *button : {"cmdApply", "Command1", "Command2"})
        for (int i = 0; i < 4; ++i)
            EXPECT_FALSE(C(*d, QStringLiteral("Frame1(%1)").arg(i))->isAncestorOf(C(*d, QString::fromLatin1(button))));
}

// A chosen file that is no picture is shown as chosen; the redraw of Apply
// says once that it cannot be loaded and turns the background off.
TEST_F(GraphSettingsTest, APictureThatCannotBeReadIsStoredAndReportedOnce)
{
    frmAltimetria *w = OpenProfile();
    ASSERT_NE(w, nullptr);
    w->Options.DrawWall = 1;
    w->Options.PaintBackBmp = -1;
    const QString notAPicture = TempPath(QStringLiteral("wall.jpg"));
    QDir().mkpath(QFileInfo(notAPicture).path());
    {
        QFile f(notAPicture);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("not a picture");
    }
    auto d = Dialog();
    auto &s = TestSupport::Script();
    s.files.push_back(notAPicture);
    d->cmdbackPic_Click();
    EXPECT_EQ(d->Get<QLabel>(QStringLiteral("lblBmp"))->text(), notAPicture);
    EXPECT_TRUE(s.messages().isEmpty());
    d->cmdApply_Click();
    EXPECT_EQ(s.messages(), QStringList{GetLangString(2519)});
    EXPECT_EQ(w->Options.DrawWall, 0);
    EXPECT_TRUE(w->Options.BackBmp.isEmpty());
    w->Picture1_Resize();
    EXPECT_EQ(s.messages().size(), 1);
}

// Apply writes into the profile window and redraws before it returns; Cancel
// afterwards keeps what was applied, and the options outlive the window.
TEST_F(GraphSettingsTest, ApplyRedrawsCancelKeepsItAndTheOptionsOutliveTheWindow)
{
    frmAltimetria *w = OpenProfile();
    ASSERT_NE(w, nullptr);
    const QColor magenta(255, 0, 255);
    auto countOf = [](const QImage &img, const QColor &c) {
        int n = 0;
        for (int y = 0; y < img.height(); y += 2)
            for (int x = 0; x < img.width(); x += 2)
                n += img.pixelColor(x, y) == c;
        return n;
    };
    EXPECT_EQ(countOf(w->Picture1()->Image(), magenta), 0);

    OnModalSettings([&](frmGraphSettings *d) {
        auto &s = TestSupport::Script();
        for (int i = 0; i < 4; ++i) {
            s.colors.push_back(magenta);
            Colour(*d, QStringLiteral("cmdGraphColor(%1)").arg(i))->click();
        }
        s.colors.push_back(QColor(240, 240, 200));
        Colour(*d, QStringLiteral("cmdBkgColor"))->click();
        d->Get<QCheckBox>(QStringLiteral("chkPend"))->click();
        d->Get<QComboBox>(QStringLiteral("cmbTacInt"))->setCurrentIndex(9);   // 2.5 km
        const int redraws = w->RedrawCount();
        d->Get<QPushButton>(QStringLiteral("cmdApply"))->click();
        EXPECT_EQ(w->RedrawCount(), redraws + 1);
        EXPECT_GT(countOf(w->Picture1()->Image(), magenta), 50);
        // Edited after Apply, then cancelled: not applied.
        d->Get<QScrollBar>(QStringLiteral("scrollY"))->setValue(0);
        d->Get<QPushButton>(QStringLiteral("Command1"))->click();
    });
    w->mnuGraph_Click();
    EXPECT_EQ(w->Options.Pend4_Color, Number(magenta));
    EXPECT_EQ(w->Options.PendH_Color, Number(magenta));
    EXPECT_EQ(w->Options.DrawPend, 1);
    EXPECT_FLOAT_EQ(w->Options.TacInt, 2.5f);
    EXPECT_FLOAT_EQ(w->Options.PercY, 1.6f);
    EXPECT_EQ(w->Picture1()->BackColor(), QColor(240, 240, 200));
    EXPECT_GT(countOf(w->Picture1()->Image(), magenta), 50);
    EXPECT_EQ(Setting(QStringLiteral("Pend7_Color")), QStringLiteral("<missing>"));   // stored only when the window closes

    // Ok applies too.
    OnModalSettings([](frmGraphSettings *d) {
        d->Get<QScrollBar>(QStringLiteral("scrollY"))->setValue(0);
        d->Get<QPushButton>(QStringLiteral("Command2"))->click();
    });
    w->mnuGraph_Click();
    EXPECT_FLOAT_EQ(w->Options.PercY, 1.99f);

    WindowRegistry::Unload(QStringLiteral("frmAltimetria"));
    EXPECT_EQ(Setting(QStringLiteral("Pend7_Color")), QString::number(Number(magenta)));
    EXPECT_EQ(Setting(QStringLiteral("BkgColor")), QString::number(Number(QColor(240, 240, 200))));
    w = OpenProfile();
    ASSERT_NE(w, nullptr);
    auto d = Dialog();
    EXPECT_EQ(Colour(*d, QStringLiteral("cmdGraphColor(2)"))->Color(), Number(magenta));
    EXPECT_EQ(Colour(*d, QStringLiteral("cmdBkgColor"))->Color(), Number(QColor(240, 240, 200)));
    EXPECT_TRUE(d->Get<QCheckBox>(QStringLiteral("chkPend"))->isChecked());
    EXPECT_EQ(d->Get<QComboBox>(QStringLiteral("cmbTacInt"))->currentText(), QStringLiteral("2.5 km"));
    EXPECT_EQ(d->Get<QScrollBar>(QStringLiteral("scrollY"))->value(), 0);
}

TEST_F(GraphSettingsTest, TextsFollowTheLanguage)
{
    ASSERT_NE(OpenProfile(), nullptr);
    for (const char *lang : {"1033", "1036"}) {
        ASSERT_EQ(SelectLanguage(QString::fromLatin1(lang), QStringLiteral("1033")), QString::fromLatin1(lang));
        auto d = Dialog();
        EXPECT_EQ(d->windowTitle(), GetLangString(13000));
        auto *tabs = d->Get<QTabWidget>(QStringLiteral("TabStrip1"));
        EXPECT_EQ(tabs->tabText(d->TabIndex(QStringLiteral("backtype"))), GetLangString(13070));
        EXPECT_EQ(tabs->tabToolTip(d->TabIndex(QStringLiteral("axes"))), GetLangString(13069));
        EXPECT_EQ(d->Get<QCheckBox>(QStringLiteral("chkAlt"))->toolTip(), GetLangString(13039));
        EXPECT_EQ(d->Get<QGroupBox>(QStringLiteral("Frame2(1)"))->title(), GetLangString(13049));
        EXPECT_EQ(d->Get<QLabel>(QStringLiteral("Label3(0)"))->text(), GetLangString(13062));
        EXPECT_EQ(d->Get<QPushButton>(QStringLiteral("cmdApply"))->text(), GetLangString(13046));
        // The same in every language.
        EXPECT_EQ(d->Get<QRadioButton>(QStringLiteral("optIcon(0)"))->text(), QStringLiteral("16x16"));
        EXPECT_EQ(d->Get<QLabel>(QStringLiteral("Label2(1)"))->text(), QStringLiteral("4% - 7%"));
        EXPECT_EQ(d->Get<QComboBox>(QStringLiteral("cmbFillmode"))->itemText(5), QStringLiteral("5 - Downward Diagonal"));
        if (QByteArray(lang) == "1036") {
            EXPECT_NE(d->windowTitle(), QStringLiteral("Graph Settings"));
        }
    }
}
