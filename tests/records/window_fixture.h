#pragma once
// A climbs or routes window over a fresh database in a sandbox of its own:
// program folder with the template, settings under a per-test name.
#include "TestSupport.h"
#include "core/DbFile.h"
#include "core/Globals.h"
#include "core/LangClient.h"
#include "platform/data/DataControl.h"
#include "platform/settings/Settings.h"
#include "records/CardWindow.h"
#include "records/frmDatiPerc.h"
#include "records/frmDatiSal.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

class CardWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetGlobals();
        ASSERT_TRUE(m_root.isValid());
        QDir root(m_root.path());
        root.mkpath(QStringLiteral("bin/Icons"));
        QFile::copy(QDir(TestSupport::BinDir()).filePath(QStringLiteral("ZidoVodu.dat")),
                    root.filePath(QStringLiteral("bin/ZidoVodu.dat")));
        AppPath = root.filePath(QStringLiteral("bin"));
        AppName = QStringLiteral("vettaro-records-") + QString::fromLatin1(
                      ::testing::UnitTest::GetInstance()->current_test_info()->name()).replace(QLatin1Char('/'), QLatin1Char('-'));
        QFile::remove(SettingsFilePath(AppName));
        OpenDatabaseFile(root.filePath(QStringLiteral("cards.dat")));
    }

    void TearDown() override
    {
        m_window.reset();
        CloseSharedRecordsets();
        if (CurrentDb)
            CurrentDb->Close();
        ResetGlobals();
    }

    QString Path(const QString &name) const { return QDir(m_root.path()).filePath(name); }

    static QString Table(bool climb) { return climb ? QStringLiteral("Dati Salite") : QStringLiteral("Dati Percorsi"); }
    static QString Samples(bool climb) { return climb ? QStringLiteral("CampioniSalite") : QStringLiteral("CampioniPercorsi"); }

    void AddCard(bool climb, const QString &name, double km = 10, int start = 500, int end = 1200)
    {
        if (climb)
            CurrentDb->Execute(QStringLiteral("INSERT INTO [Dati Salite] ([IDPercorso], [Lunghezza], [Quotainiziale], [Quotafinale]) VALUES (?, ?, ?, ?)"),
                               0, {name, km, start, end});
        else
            CurrentDb->Execute(QStringLiteral("INSERT INTO [Dati Percorsi] ([IDPercorso], [Lunghezza]) VALUES (?, ?)"), 0,
                               {name, km});
    }
    void AddSample(bool climb, const QString &name, double km, int height, const QVariant &note = QVariant())
    {
        CurrentDb->Execute(QStringLiteral("INSERT INTO [%1] ([IDPercorso], [DistParz], [Altezza], [Note]) VALUES (?, ?, ?, ?)")
                               .arg(Samples(climb)),
                           0, {name, km, height, note});
    }
    int Count(const QString &sql, const QVariantList &params = {})
    {
        dao::RecordsetPtr rs = CurrentDb->OpenRecordset(sql, dao::dbOpenSnapshot, 0, params);
        const int n = rs->RecordCount();
        rs->Close();
        return n;
    }
    int Cards(bool climb) { return Count(QStringLiteral("SELECT * FROM [%1]").arg(Table(climb))); }

    CardWindow &Open(bool climb)
    {
        m_window.reset();
        if (climb)
            m_window = std::make_unique<frmDatiSal>();
        else
            m_window = std::make_unique<frmDatiPerc>();
        m_window->show();
        m_window->activateWindow();
        QApplication::processEvents();
        return *m_window;
    }
    // Deletes the window without closing it first, as its owner may.
    void DeleteWindow() { m_window.reset(); }
    // Closes the window as its Close button does.
    void Close()
    {
        if (m_window)
            m_window->cmdClose_Click();
        m_window.reset();
    }

    template <class T> T *Ctl(const char *name) const
    {
        return qobject_cast<T *>(m_window->Control(QLatin1String(name)));
    }
    QLineEdit *Txt(int i) const { return Ctl<QLineEdit>(QStringLiteral("txtFields(%1)").arg(i).toLatin1().constData()); }
    QPushButton *Button(const char *name) const { return Ctl<QPushButton>(name); }
    QString Counter() const
    {
        return m_window->Data1()->caption() + QLatin1Char('/') + Ctl<QLabel>("lblNumero")->text();
    }
    void Key(QWidget *target, int key, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QKeyEvent press(QEvent::KeyPress, key, mods);
        QApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, key, mods);
        QApplication::sendEvent(target, &release);
    }
    // Fills the required fields of a new card.
    void FillRequired(bool climb, const QString &name, const QString &km = QStringLiteral("12"))
    {
        Txt(0)->setText(name);
        Txt(1)->setText(km);
        if (climb) {
            Txt(2)->setText(QStringLiteral("400"));
            Txt(3)->setText(QStringLiteral("900"));
        }
    }

    QTemporaryDir m_root;
    std::unique_ptr<CardWindow> m_window;
};

// The same test for the climbs window (true) and the routes window (false).
class BothWindows : public CardWindowTest, public ::testing::WithParamInterface<bool> {};
