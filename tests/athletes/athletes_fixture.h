#pragma once
// The athlete card and the time cards over a fresh database in a sandbox of
// their own, with the English texts of the program folder's language library.
#include "TestSupport.h"
#include "athletes/TimeCard.h"
#include "athletes/frmDatiPers.h"
#include "core/DbFile.h"
#include "core/Globals.h"
#include "core/LangClient.h"
#include "core/Validators.h"
#include "platform/com/ComRegistry.h"
#include "platform/data/DataControl.h"
#include "platform/data/DatePicker.h"
#include "platform/settings/Settings.h"

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

class AthletesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetGlobals();
        ASSERT_TRUE(m_root.isValid());
        QDir root(m_root.path());
        root.mkpath(QStringLiteral("bin"));
        QFile::copy(QDir(TestSupport::BinDir()).filePath(QStringLiteral("ZidoVodu.dat")),
                    root.filePath(QStringLiteral("bin/ZidoVodu.dat")));
        AppPath = root.filePath(QStringLiteral("bin"));
        AppName = QStringLiteral("vettaro-athletes-") + QString::fromLatin1(
                      ::testing::UnitTest::GetInstance()->current_test_info()->name()).replace(QLatin1Char('/'), QLatin1Char('-'));
        QFile::remove(SettingsFilePath(AppName));
        Com::SetMachineRegistryFile(QDir(TestSupport::BinDir()).filePath(QStringLiteral("com-registry.ini")));
        LoadLanguages(TestSupport::BinDir());
        SelectLanguage(QStringLiteral("1033"), QStringLiteral("1033"));
        OpenDatabaseFile(root.filePath(QStringLiteral("athletes.dat")));
        m_beeps = 0;
        SetValidatorEffects([this] { ++m_beeps; }, [] {});
    }

    void TearDown() override
    {
        m_athletes.reset();
        m_times.reset();
        CloseSharedRecordsets();
        if (CurrentDb)
            CurrentDb->Close();
        ResetGlobals();
        ResetValidatorEffects();
        ResetLanguages();
        Com::SetMachineRegistryFile(QString());
    }

    QString Path(const QString &name) const { return QDir(m_root.path()).filePath(name); }

    void AddAthlete(const QString &code, const QString &surname = QStringLiteral("Rossi"),
                    const QVariant &circumference = 2.1)
    {
        CurrentDb->Execute(QStringLiteral("INSERT INTO [Dati Personali] ([IDPersonale], [Cognome], [Nome], [Peso], "
                                          "[Fqped], [Fcmax], [Pesobici], [Circonfruota], [Kmparziali]) "
                                          "VALUES (?, ?, 'Ugo', 70, 90, 190, 8.5, ?, 1200)"),
                           0, {code, surname, circumference});
    }
    void AddPlace(bool climb, const QString &name)
    {
        CurrentDb->Execute(QStringLiteral("INSERT INTO [%1] ([IDPercorso], [Lunghezza]) VALUES (?, 10)")
                               .arg(climb ? QStringLiteral("Dati Salite") : QStringLiteral("Dati Percorsi")),
                           0, {name});
    }
    void AddTime(bool climb, const QString &athlete, const QString &place, const QString &date,
                 const QString &time = QStringLiteral("01:00:00"))
    {
        if (climb)
            CurrentDb->Execute(QStringLiteral("INSERT INTO [Tempi Salita] ([IDPersonale], [IDPercorso], [Data], [Tempo], "
                                              "[Anteriore], [Posteriore]) VALUES (?, ?, ?, ?, 39, 23)"),
                               0, {athlete, place, date, time});
        else
            CurrentDb->Execute(QStringLiteral("INSERT INTO [Tempi Allenamento] ([IDPersonale], [IDPercorso], [Data], "
                                              "[Tempo]) VALUES (?, ?, ?, ?)"),
                               0, {athlete, place, date, time});
    }
    int Count(const QString &sql, const QVariantList &params = {})
    {
        dao::RecordsetPtr rs = CurrentDb->OpenRecordset(sql, dao::dbOpenSnapshot, 0, params);
        const int n = rs->RecordCount();
        rs->Close();
        return n;
    }
    int Rows(const QString &table) { return Count(QStringLiteral("SELECT * FROM [%1]").arg(table)); }

    // The recordsets the main window opens before it shows each card.
    frmDatiPers &OpenAthletes()
    {
        m_athletes.reset();
        AthletesRs = CurrentDb->OpenRecordset(QStringLiteral("Dati Personali"));
        m_athletes = std::make_unique<frmDatiPers>();
        m_athletes->show();
        m_athletes->activateWindow();
        QApplication::processEvents();
        return *m_athletes;
    }
    TimeCard &OpenTimes(bool climb)
    {
        m_times.reset();
        AthletesRs = CurrentDb->OpenRecordset(QStringLiteral("SELECT * FROM [Dati Personali] ORDER BY IDPersonale"));
        if (climb) {
            ClimbsRs = CurrentDb->OpenRecordset(QStringLiteral("SELECT * FROM [Dati Salite] ORDER BY IDPercorso"));
            ClimbTimesRs = CurrentDb->OpenRecordset(QStringLiteral("SELECT * FROM [Tempi Salita] ORDER BY Data"));
            m_times = std::make_unique<frmTempiSal>();
        } else {
            RoutesRs = CurrentDb->OpenRecordset(QStringLiteral("SELECT * FROM [Dati Percorsi] ORDER BY IDPercorso"));
            TrainingTimesRs = CurrentDb->OpenRecordset(QStringLiteral("SELECT * FROM [Tempi Allenamento] ORDER BY Data"));
            m_times = std::make_unique<frmTempiAll>();
        }
        m_times->show();
        m_times->activateWindow();
        QApplication::processEvents();
        return *m_times;
    }

    QWidget *Window() const { return m_athletes ? static_cast<QWidget *>(m_athletes.get()) : m_times.get(); }
    QWidget *Control(const QString &name) const
    {
        return m_athletes ? m_athletes->Control(name) : m_times->Control(name);
    }
    QLineEdit *Txt(int i) const { return qobject_cast<QLineEdit *>(Control(QStringLiteral("txtFields(%1)").arg(i))); }
    QPushButton *Button(const char *name) const { return qobject_cast<QPushButton *>(Control(QLatin1String(name))); }
    QComboBox *Combo(const char *name) const { return qobject_cast<QComboBox *>(Control(QLatin1String(name))); }
    QString Text(const char *name) const { return qobject_cast<QLabel *>(Control(QLatin1String(name)))->text(); }
    data::DataControl *Data() const { return m_athletes ? m_athletes->DataDPers() : m_times->Data(); }
    // "n/N" as the navigator's caption and the total label show them.
    QString Counter() const { return Data()->caption() + QLatin1Char('/') + Text("lblNumero"); }
    // Enabled state of New, Confirm, Delete and the navigator, as "1010".
    QString Buttons() const
    {
        QString s;
        for (const char *b : {"cmdAdd", "cmdUpdate", "cmdDelete"})
            s += Button(b)->isEnabled() ? QLatin1Char('1') : QLatin1Char('0');
        return s + (Data()->isEnabled() ? QLatin1Char('1') : QLatin1Char('0'));
    }
    void Key(QWidget *target, int key, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QKeyEvent press(QEvent::KeyPress, key, mods);
        QApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, key, mods);
        QApplication::sendEvent(target, &release);
    }
    // Types text into a field through its key filter.
    void Type(QWidget *target, const QString &text)
    {
        for (QChar c : text) {
            const int key = c.toUpper().unicode();
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(c));
            QApplication::sendEvent(target, &press);
            QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(c));
            QApplication::sendEvent(target, &release);
        }
    }
    void Leave(QWidget *field)
    {
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(field, &out);
        QApplication::processEvents();   // the checks run once the focus has moved
    }
    void FillAthlete(const QString &code)
    {
        const char *values[] = {nullptr, "Bianchi", "Ada", nullptr, "60", "95", "180", "7.5", "2.1", "300"};
        Txt(0)->setText(code);
        for (int i = 1; i < 10; ++i)
            if (values[i])
                Txt(i)->setText(QLatin1String(values[i]));
    }

    QTemporaryDir m_root;
    std::unique_ptr<frmDatiPers> m_athletes;
    std::unique_ptr<TimeCard> m_times;
    int m_beeps = 0;
};
