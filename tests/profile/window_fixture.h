#pragma once
// The main window with a database of two climbs, the climbs and profile
// windows registered, printing into a PDF file.
#include "core/mainwindow_fixture.h"

#include "core/LangClient.h"
#include "platform/com/ComRegistry.h"
#include "core/ProfileGlobals.h"
#include "core/Validators.h"
#include "platform/data/DataControl.h"
#include "platform/print/Printer.h"
#include "profile/DrawingFrame.h"
#include "profile/RegisterWindows.h"
#include "profile/frmAltimetria.h"
#include "records/CardWindow.h"
#include "records/RegisterWindows.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStatusBar>

namespace {

inline QString RunTool(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    p.waitForFinished(30000);
    return QString::fromLocal8Bit(p.readAllStandardOutput());
}

inline void Mouse(QWidget *w, QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons buttons, const QPointF &pos)
{
    QMouseEvent e(type, pos, w->mapToGlobal(pos), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

} // namespace

class ProfileWindowTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        RegisterRecordsWindows();
        RegisterProfileWindows();
        m_registered << QStringLiteral("frmDatiSal") << QStringLiteral("frmDatiPerc") << QStringLiteral("frmAltimetria");
        SharedPrinter().SetOutputFileName(TempPath(QStringLiteral("unused.pdf")));
        Start();
        // The texts of the built program folder's language libraries.
        Com::SetMachineRegistryFile(QDir(TestSupport::BinDir()).filePath(QStringLiteral("com-registry.ini")));
        LoadLanguages(TestSupport::BinDir());
        SelectLanguage(QStringLiteral("1033"), QStringLiteral("1033"));
        m_window->resize(1200, 800);
        m_window->show();
        OpenDb(Docs(QStringLiteral("profile.dat")));
        AddClimb(QStringLiteral("Stelvio"), {{0, 1205, "Prato"}, {5, 1560, ""}, {10, 1900, ""}, {21.6, 2758, "Passo"}});
        AddClimb(QStringLiteral("Gavia"), {{0, 1200, ""}, {8, 1900, ""}, {17.3, 2652, ""}});
    }
    void TearDown() override
    {
        SharedPrinter().SetOutputFileName(QString());
        MainWindowTest::TearDown();
        ResetLanguages();
        Com::SetMachineRegistryFile(QString());
    }

    struct Row {
        double km;
        int m;
        const char *note;
    };
    void AddClimb(const QString &name, std::initializer_list<Row> rows)
    {
        CurrentDb->Execute(QStringLiteral("INSERT INTO [Dati Salite] ([IDPercorso], [Lunghezza], [Quotainiziale], [Quotafinale]) VALUES (?, ?, ?, ?)"),
                           0, {name, 20, 1000, 2000});
        for (const Row &r : rows)
            CurrentDb->Execute(QStringLiteral("INSERT INTO [CampioniSalite] ([IDPercorso], [DistParz], [Altezza], [Note]) VALUES (?, ?, ?, ?)"),
                               0, {name, r.km, r.m, QString::fromUtf8(r.note)});
    }

    CardWindow *Climbs()
    {
        m_window->Toolbar2_ButtonClick(QStringLiteral("b2"));
        auto *card = qobject_cast<CardWindow *>(WindowRegistry::Find(QStringLiteral("frmDatiSal")));
        if (card)
            card->cmdAltim_Click();
        return card;
    }
    frmAltimetria *Profile() { return qobject_cast<frmAltimetria *>(WindowRegistry::Find(QStringLiteral("frmAltimetria"))); }
    frmAltimetria *OpenProfile()
    {
        CardWindow *card = Climbs();
        if (!card)
            return nullptr;
        card->cmdShowAlti_Click();
        QApplication::processEvents();
        return Profile();
    }
    QStatusBar *MainStatus() { return m_window->findChild<QStatusBar *>(QStringLiteral("StatusBar1"), Qt::FindDirectChildrenOnly); }
    static QString Setting(const QString &key) { return GetSetting(AppName, QStringLiteral("Altimetria"), key, QStringLiteral("<missing>")); }
};

