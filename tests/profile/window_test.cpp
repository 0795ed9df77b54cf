// The profile window end to end: opened, refreshed and closed by the climbs
// and routes windows, its settings over reopening, zoom and pan, copy, print
// and the read-out driven with the mouse.
#include "window_fixture.h"

TEST_F(ProfileWindowTest, CardWindowsOpenRefreshAndCloseIt)
{
    frmAltimetria *w = OpenProfile();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(AltimetriaOpen, -1);
    EXPECT_TRUE(MainStatus()->isHidden());
    const QString first = w->windowTitle();
    ASSERT_TRUE(first == QStringLiteral("Gavia") || first == QStringLiteral("Stelvio")) << first.toStdString();
    const QString second = first == QStringLiteral("Gavia") ? QStringLiteral("Stelvio") : QStringLiteral("Gavia");
    EXPECT_GE(w->RedrawCount(), 1);
    EXPECT_EQ(w->Picture1()->Image().size(), w->Frame()->Picture2()->size());
    EXPECT_TRUE(w->Panel(QStringLiteral("Size"))->text().endsWith(
        QStringLiteral("%1 x %2").arg(w->Picture1()->width()).arg(w->Picture1()->height())));

    // Moving to the next card makes the open window follow it.
    auto *card = qobject_cast<CardWindow *>(WindowRegistry::Find(QStringLiteral("frmDatiSal")));
    const int before = w->RedrawCount();
    card->Data1()->MoveNext();
    QApplication::processEvents();
    EXPECT_EQ(Profile(), w);
    EXPECT_EQ(w->windowTitle(), second);
    EXPECT_EQ(w->RedrawCount(), before + 1);
    EXPECT_FLOAT_EQ(w->View().distance, second == QStringLiteral("Gavia") ? 17.3f : 21.6f);

    // Closing the climbs window closes the profile.
    WindowRegistry::Unload(QStringLiteral("frmDatiSal"));
    EXPECT_EQ(Profile(), nullptr);
    EXPECT_EQ(AltimetriaOpen, 0);
    EXPECT_FALSE(MainStatus()->isHidden());

    // And closing the data windows does too.
    ASSERT_NE(OpenProfile(), nullptr);
    UnloadDataForms();
    EXPECT_EQ(Profile(), nullptr);
    EXPECT_EQ(AltimetriaOpen, 0);
    EXPECT_FALSE(MainStatus()->isHidden());
}

TEST_F(ProfileWindowTest, SettingsSurviveClosingAndReopening)
{
    frmAltimetria *w = OpenProfile();
    ASSERT_NE(w, nullptr);
    w->Options.TacInt = 2.5f;
    w->Options.DrawPend = 1;
    w->Options.N_FontSize = 9.5f;
    w->OuterWindow()->setGeometry(40, 30, 700, 420);
    WindowRegistry::Unload(QStringLiteral("frmAltimetria"));
    EXPECT_EQ(Setting(QStringLiteral("TacInt")), QStringLiteral("2.5"));
    EXPECT_EQ(Setting(QStringLiteral("N_FontSize")), QStringLiteral("10"));
    EXPECT_EQ(Setting(QStringLiteral("frmAltimetriawidth")), QStringLiteral("10500"));
    EXPECT_EQ(Setting(QStringLiteral("frmAltimetriatop")), QStringLiteral("450"));

    w = OpenProfile();
    ASSERT_NE(w, nullptr);
    EXPECT_FLOAT_EQ(w->Options.TacInt, 2.5f);
    EXPECT_EQ(w->Options.DrawPend, 1);
    EXPECT_FLOAT_EQ(w->Options.N_FontSize, 10);
    EXPECT_EQ(w->OuterWindow()->geometry(), QRect(40, 30, 700, 420));

    // Closed while minimised: the window keys stay as they were.
    w->OuterWindow()->showMinimized();
    WindowRegistry::Unload(QStringLiteral("frmAltimetria"));
    EXPECT_EQ(Setting(QStringLiteral("frmAltimetriawidth")), QStringLiteral("10500"));
    EXPECT_EQ(Setting(QStringLiteral("frmAltimetriaheight")), QStringLiteral("6300"));
}

TEST_F(ProfileWindowTest, ZoomRedrawsOncePanOnlyMoves)
{
    frmAltimetria *w = OpenProfile();
    ASSERT_NE(w, nullptr);
    DrawingFrame *f = w->Frame();
    const int vw = f->Picture2()->width();
    EXPECT_TRUE(f->HScroll1()->isHidden());
    int redraws = w->RedrawCount();
    f->SetZoom(3);
    QApplication::processEvents();
    EXPECT_EQ(w->RedrawCount(), redraws + 1);
    EXPECT_EQ(f->Picture1()->width(), 3 * vw);
    EXPECT_EQ(w->Picture1()->Image().width(), 3 * vw);
    EXPECT_FALSE(f->HScroll1()->isHidden());

    redraws = w->RedrawCount();
    f->SetPan(40);
    EXPECT_EQ(f->Picture1()->x(), int(std::lround(-0.4 * 2 * vw)));
    f->SetZoom(4);   // keeps the pan value on the new width
    QApplication::processEvents();
    EXPECT_EQ(f->Pan(), 40);
    EXPECT_EQ(f->Picture1()->x(), int(std::lround(-0.4 * 3 * vw)));
    EXPECT_EQ(w->RedrawCount(), redraws + 1);

    f->SetZoom(1);
    QApplication::processEvents();
    EXPECT_EQ(f->Pan(), 0);
    EXPECT_EQ(f->Picture1()->x(), 0);
    EXPECT_TRUE(f->HScroll1()->isHidden());

    // A new window size returns to zoom 1 with one redraw.
    f->SetZoom(2);
    QApplication::processEvents();
    redraws = w->RedrawCount();
    w->OuterWindow()->resize(w->OuterWindow()->width() + 60, w->OuterWindow()->height() + 30);
    QApplication::processEvents();
    EXPECT_EQ(f->Zoom(), 1);
    EXPECT_EQ(f->Picture1()->size(), f->Picture2()->size());
    EXPECT_EQ(w->RedrawCount(), redraws + 1);
}

TEST_F(ProfileWindowTest, CopyTakesTheWholeZoomedDrawing)
{
    frmAltimetria *w = OpenProfile();
    ASSERT_NE(w, nullptr);
    w->Frame()->SetZoom(10);
    QApplication::processEvents();
    w->MenuItem(QStringLiteral("mnuCopy"))->trigger();
    const QImage copied = QApplication::clipboard()->image();
    EXPECT_EQ(copied.width(), 10 * w->Frame()->Picture2()->width());
    EXPECT_EQ(copied.convertToFormat(QImage::Format_RGB32), w->Picture1()->Image());
}

TEST_F(ProfileWindowTest, PrintsTheWholeDrawingOnOnePage)
{
    frmAltimetria *w = OpenProfile();
    ASSERT_NE(w, nullptr);
    w->Frame()->SetZoom(3);
    QApplication::processEvents();
    const QString pdf = TempPath(QStringLiteral("profile.pdf"));
    SharedPrinter().SetOutputFileName(pdf);
    SharedPrinter().SetOrientation(Printer::vbPRORPortrait);

    // A cancelled set-up changes nothing and says nothing.
    TestSupport::Script().printers = {false};
    w->MenuItem(QStringLiteral("mnuAltiImposta"))->trigger();
    EXPECT_EQ(SharedPrinter().Orientation(), int(Printer::vbPRORPortrait));
    EXPECT_TRUE(TestSupport::Script().messages().isEmpty());

    TestSupport::Script().printers = {true};
    TestSupport::Script().printerChoice = [](QPrinter *p) { p->setPageOrientation(QPageLayout::Landscape); };
    w->MenuItem(QStringLiteral("mnuAltiImposta"))->trigger();
    w->MenuItem(QStringLiteral("mnuAltiPrint"))->trigger();
    ASSERT_TRUE(QFile::exists(pdf));
    const QString info = RunTool(QStringLiteral("pdfinfo"), {pdf});
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n")))) << info.toStdString();
    const QRegularExpressionMatch size = QRegularExpression(QStringLiteral("Page size:\\s+([\\d.]+) x ([\\d.]+)")).match(info);
    ASSERT_TRUE(size.hasMatch());
    EXPECT_GT(size.captured(1).toDouble(), size.captured(2).toDouble());   // landscape
    const QString images = RunTool(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf});
    EXPECT_TRUE(images.contains(QStringLiteral(" %1 ").arg(w->Picture1()->Image().width()))) << images.toStdString();
    EXPECT_TRUE(TestSupport::Script().messages().isEmpty());
}

// Without a printer the profile goes to a PDF file named after it; a
// cancelled name prints nothing and says nothing.
TEST_F(ProfileWindowTest, WithoutPrinterPrintsToAPdfFile)
{
    frmAltimetria *w = OpenProfile();
    ASSERT_NE(w, nullptr);
    SharedPrinter().SetOutputFileName(QString());
    const PrinterListProvider old = SetPrinterListProvider([] { return QStringList(); });
    const QString pdf = TempPath(QStringLiteral("chosen.pdf"));

    TestSupport::ResetScript().files = {std::nullopt, pdf};
    w->MenuItem(QStringLiteral("mnuAltiPrint"))->trigger();
    EXPECT_FALSE(SharedPrinter().InDocument());
    w->MenuItem(QStringLiteral("mnuAltiPrint"))->trigger();
    SetPrinterListProvider(old);
    const auto &shown = TestSupport::Script().shown;
    ASSERT_EQ(shown.size(), 2u);   // the two file dialogs, no message
    EXPECT_EQ(shown[0].request.fileName, w->windowTitle() + QStringLiteral(".pdf"));
    const QString images = RunTool(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf});
    EXPECT_TRUE(images.contains(QStringLiteral(" %1 ").arg(w->Picture1()->Image().width()))) << images.toStdString();
}

TEST_F(ProfileWindowTest, ReadOutUnderTheMouse)
{
    frmAltimetria *w = OpenProfile();
    ASSERT_NE(w, nullptr);
    w->Frame()->HScroll2()->setValue(1);
    const ProfileView &v = w->View();
    DrawingSurface *s = w->Picture1();
    // A left press at 4 km: Gavia rises 700 m over its first 8 km, Stelvio 355 m over 5.
    const bool gavia = w->windowTitle() == QStringLiteral("Gavia");
    const QPointF at4 = v.ToPixel(v.OriginX + 4, v.OriginY + 300);
    Mouse(s, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, at4);
    const double km = v.FromPixel(at4).x() - v.OriginX;   // what the pixel stands for
    EXPECT_EQ(w->Panel(QStringLiteral("Distanza"))->text(), GetLangString(2503) + QStringLiteral(" ") + QString::number(km, 'f', 2));
    const int altitude = gavia ? int(std::floor(1200 + 700 / 8.0 * km)) : int(std::floor(1205 + 355 / 5.0 * km));
    EXPECT_NEAR(w->Panel(QStringLiteral("Altezza"))->text().section(' ', -1).toInt(), altitude, 1)
        << w->Panel(QStringLiteral("Altezza"))->text().toStdString();
    EXPECT_EQ(w->Panel(QStringLiteral("Pendenza"))->text(),
              GetLangString(2505) + (gavia ? QStringLiteral(" 8.8 %") : QStringLiteral(" 7.1 %")));
    // The cursor lies on the overlay; the drawing keeps no trace of it.
    const QPoint cursor(qRound(at4.x()), qRound(at4.y()) - 3);
    EXPECT_NE(s->Shown().pixelColor(cursor), s->Image().pixelColor(cursor));
    Mouse(s, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, at4);

    // Outside the area nothing changes.
    const QString before = w->Panel(QStringLiteral("Distanza"))->text();
    Mouse(s, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, v.ToPixel(v.OriginX - 0.1, v.OriginY + 10));
    EXPECT_EQ(w->Panel(QStringLiteral("Distanza"))->text(), before);
    Mouse(s, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, QPointF());

    // A right drag over a stretch with a time and a weight (decimal comma run).
    const TestSupport::LocaleScope german{QLocale(QLocale::German, QLocale::Germany)};
    auto *time = qobject_cast<QLineEdit *>(w->Control(QStringLiteral("txtTime")));
    auto *weight = qobject_cast<QLineEdit *>(w->Control(QStringLiteral("txtPeso")));
    // The boxes tidy or clear their text when they lose the focus (a refused text beeps).
    int beeps = 0;
    SetValidatorEffects([&] { ++beeps; }, [] {});
    auto leave = [](QLineEdit *box, const QString &text) {
        box->setText(text);
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(box, &out);
        QApplication::processEvents();   // the check runs once the focus has moved
        return box->text();
    };
    EXPECT_EQ(leave(weight, QStringLiteral("abc")), QString());
    EXPECT_EQ(leave(weight, QStringLiteral("080,50")), QStringLiteral("80,5"));
    const QString rewritten = leave(time, QStringLiteral("0:5:7"));
    EXPECT_EQ(ProfileReadout::Mark(0, 0, 1, 0, rewritten, QString()).vel, QStringLiteral("11,73"));   // 307 s
    EXPECT_EQ(leave(time, QStringLiteral("25:99")), QString());
    EXPECT_EQ(beeps, 2);
    ResetValidatorEffects();
    time->setText(QStringLiteral("0:05:00"));
    weight->setText(QStringLiteral("80,0"));
    const QPointF a = v.ToPixel(v.OriginX + 1, v.OriginY + 100), b = v.ToPixel(v.OriginX + 2, v.OriginY + 180);
    Mouse(s, QEvent::MouseButtonPress, Qt::RightButton, Qt::RightButton, a);
    Mouse(s, QEvent::MouseMove, Qt::NoButton, Qt::RightButton, b);
    auto text = [&](const char *name) { return qobject_cast<QLabel *>(w->Control(QLatin1String(name)))->text(); };
    // The pixel grid turns the exact stretch into nearly 1 km and 80 m.
    EXPECT_TRUE(text("lblDist").startsWith(QStringLiteral("1,0")) || text("lblDist").startsWith(QStringLiteral("0,9")))
        << text("lblDist").toStdString();
    EXPECT_NEAR(text("lblDisl").toInt(), 80, 2);
    EXPECT_NEAR(text("lblPotenza").toInt(), 243, 8);
    EXPECT_NE(text("lblVam"), QStringLiteral("--"));
    Mouse(s, QEvent::MouseButtonRelease, Qt::RightButton, Qt::NoButton, b);
}

TEST_F(ProfileWindowTest, UnloadableBackgroundIsReportedOnce)
{
    frmAltimetria *w = OpenProfile();
    ASSERT_NE(w, nullptr);
    w->Options.DrawWall = 1;
    w->Options.PaintBackBmp = 1;
    w->Options.BackBmp = TempPath(QStringLiteral("missing.bmp"));
    w->Picture1_Resize();
    w->Picture1_Resize();
    EXPECT_EQ(TestSupport::Script().messages(), QStringList{GetLangString(2519)});
    EXPECT_EQ(w->Options.DrawWall, 0);
    EXPECT_FALSE(w->Picture1()->isHidden());
}

// Opened for the first time (nothing stored), the picture has room for the
// names written above the profile and the kilometres below it.
TEST_F(ProfileWindowTest, FirstOpeningLeavesRoomAboveAndBelowTheProfile)
{
    frmAltimetria *w = OpenProfile();
    ASSERT_NE(w, nullptr);
    EXPECT_GE(w->Frame()->Picture2()->height(), 300);
    EXPECT_EQ(w->Picture1()->height(), w->Frame()->Picture2()->height());
}

// A place stored on a larger screen (or a window dragged out of the workspace)
// opens the window where the user sees it: inside the workspace, at its stored
// size when that fits, else no larger than the workspace.
TEST_F(ProfileWindowTest, APlaceOutsideTheWorkspaceOpensInView)
{
    const struct {
        const char *left, *top, *width, *height;
        QSize size;
    } cases[] = {{"36000", "21000", "10500", "6300", QSize(700, 420)},
                 {"-9000", "-6000", "10500", "6300", QSize(700, 420)},
                 {"0", "0", "90000", "60000", QSize()}};
    for (const auto &c : cases) {
        SaveSetting(AppName, QStringLiteral("Altimetria"), QStringLiteral("frmAltimetrialeft"), QLatin1String(c.left));
        SaveSetting(AppName, QStringLiteral("Altimetria"), QStringLiteral("frmAltimetriatop"), QLatin1String(c.top));
        SaveSetting(AppName, QStringLiteral("Altimetria"), QStringLiteral("frmAltimetriawidth"), QLatin1String(c.width));
        SaveSetting(AppName, QStringLiteral("Altimetria"), QStringLiteral("frmAltimetriaheight"), QLatin1String(c.height));
        frmAltimetria *w = OpenProfile();
        ASSERT_NE(w, nullptr);
        QWidget *outer = w->OuterWindow();
        const QRect room = outer->parentWidget()->rect();
        EXPECT_TRUE(room.contains(outer->geometry())) << c.left << " " << c.top << " " << c.width;
        if (c.size.isValid())
            EXPECT_EQ(outer->size(), c.size) << c.left << " " << c.top;
        else   // as wide as the workspace (its height settles as the main status bar goes)
            EXPECT_EQ(outer->width(), room.width());
        WindowRegistry::Unload(QStringLiteral("frmAltimetria"));
    }
}

// The drawing's size stays readable in the status bar at the window's first
// size in every language ("Dimensioni:" is the longest caption).
TEST_F(ProfileWindowTest, SizePanelShowsItsWholeTextInEveryLanguage)
{
    frmAltimetria *w = OpenProfile();
    ASSERT_NE(w, nullptr);
    for (const char *lang : {"1033", "1031", "1036", "1040", "3082"}) {
        ASSERT_EQ(SelectLanguage(QLatin1String(lang), QStringLiteral("1033")), QLatin1String(lang));
        w->UpdateControls();
        w->Picture1_Resize();
        QApplication::processEvents();
        QLabel *size = w->Panel(QStringLiteral("Size"));
        ASSERT_TRUE(size->text().startsWith(GetLangString(2508))) << lang;
        EXPECT_GE(size->contentsRect().width(), size->fontMetrics().horizontalAdvance(size->text()))
            << lang << ": " << size->text().toStdString();
    }
}

// The legend, right of the profile's end, fits the drawing of a window at its
// first size in every language: the drawing's right edge stays blank.
TEST_F(ProfileWindowTest, LegendFitsTheFirstDrawingInEveryLanguage)
{
    frmAltimetria *w = OpenProfile();
    ASSERT_NE(w, nullptr);
    for (const char *lang : {"1033", "1031", "1036", "1040", "3082"}) {
        ASSERT_EQ(SelectLanguage(QLatin1String(lang), QStringLiteral("1033")), QLatin1String(lang));
        w->Picture1_Resize();
        const QImage image = w->Picture1()->Image();
        ASSERT_FALSE(image.isNull());
        const QRgb back = w->Picture1()->BackColor().rgb();
        int inked = 0;
        for (int x = image.width() - 3; x < image.width(); ++x)
            for (int y = 0; y < image.height(); ++y)
                inked += image.pixel(x, y) != back;
        EXPECT_EQ(inked, 0) << lang;
    }
}

// The profile window maximized over the climbs card, then closed by its
// frame's button or from the card: the card, which has no maximize button,
// comes back as it was, at its own size and whole inside the workspace.
TEST_F(ProfileWindowTest, CardUnderAMaximizedProfileGetsItsSizeBack)
{
    for (const bool fromCard : {false, true}) {
        SCOPED_TRACE(fromCard ? "closed from the card" : "closed by its frame");
        frmAltimetria *w = OpenProfile();
        ASSERT_NE(w, nullptr);
        auto *card = qobject_cast<CardWindow *>(WindowRegistry::Find(QStringLiteral("frmDatiSal")));
        ASSERT_NE(card, nullptr);
        auto *cardFrame = qobject_cast<QMdiSubWindow *>(card->parentWidget());
        ASSERT_NE(cardFrame, nullptr);
        const QSize cardSize = cardFrame->size();
        auto *profileFrame = qobject_cast<QMdiSubWindow *>(w->OuterWindow());
        ASSERT_NE(profileFrame, nullptr);
        profileFrame->showMaximized();
        QApplication::processEvents();
        ASSERT_TRUE(profileFrame->isMaximized());
        if (fromCard)
            WindowRegistry::Unload(QStringLiteral("frmAltimetria"));
        else
            profileFrame->close();
        for (int i = 0; i < 5; ++i)
            QApplication::processEvents();
        ASSERT_EQ(Profile(), nullptr);
        EXPECT_FALSE(cardFrame->isMaximized());
        EXPECT_EQ(cardFrame->size(), cardSize);
        EXPECT_TRUE(cardFrame->parentWidget()->rect().contains(cardFrame->geometry()));
        EXPECT_TRUE(cardFrame->windowFlags() & Qt::WindowTitleHint);
        WindowRegistry::Unload(QStringLiteral("frmDatiSal"));
    }
}
