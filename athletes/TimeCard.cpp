#include "athletes/TimeCard.h"

#include "core/DbFile.h"
#include "core/Globals.h"
#include "core/LangClient.h"
#include "core/MDIfrmBike.h"
#include "core/RecordCounts.h"
#include "core/Validators.h"
#include "platform/data/DataControl.h"
#include "platform/data/DatePicker.h"
#include "platform/ui/Prompt.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTime>
#include <QVBoxLayout>

namespace {
bool OnRow(const dao::RecordsetPtr &rs)
{
    try {
        return rs && rs->IsOpen() && !rs->AtEOF() && !rs->BOF();
    } catch (const VbError &) {
        return false;
    }
}

dao::RecordsetPtr &PlacesRs(const TimeCards::Config &c)
{
    return c.kind == TimeCards::Kind::Climb ? ClimbsRs : RoutesRs;
}

dao::RecordsetPtr &TimesRs(const TimeCards::Config &c)
{
    return c.kind == TimeCards::Kind::Climb ? ClimbTimesRs : TrainingTimesRs;
}

// The time as the user's settings write it; stored as the time of day it reads as.
data::TextFormat TimeFormat()
{
    data::TextFormat f;
    f.toText = [](const QVariant &v) {
        QTime t = v.toTime();
        if (!t.isValid())
            t = QTime::fromString(v.toString(), Qt::ISODate);
        return t.isValid() ? FormatTimeOfDay(t) : v.toString();
    };
    f.toValue = [](const QString &text) -> QVariant {
        QTime t;
        if (ParseDateTime(text, &t))
            return t;
        return text;   // the database refuses it with its own error
    };
    return f;
}
}

template <class T> T *TimeCard::make(const QString &name, QWidget *parent)
{
    T *w = new T(parent);
    w->setObjectName(name);
    m_controls.insert(name, w);
    return w;
}

TimeCard::TimeCard(const TimeCards::Config &config, QWidget *parent) : QWidget(parent), m_cfg(config)
{
    setObjectName(m_cfg.formName);
    setAttribute(Qt::WA_DeleteOnClose);
    build();
    qApp->installEventFilter(this);
    Form_Load();
}

TimeCard::~TimeCard()
{
    qApp->removeEventFilter(this);
    if (!m_unloaded)
        Form_Unload();
}

void TimeCard::build()
{
    auto *top = new QVBoxLayout(this);
    auto *grid = new QGridLayout;
    top->addLayout(grid, 1);
    m_data = make<data::DataControl>(m_cfg.dataName, this);

    auto combo = [&](const QString &name) {
        auto *c = make<QComboBox>(name, this);
        c->setEditable(true);
        c->setInsertPolicy(QComboBox::NoInsert);
        c->setMinimumWidth(200);
        c->installEventFilter(this);
        if (c->lineEdit())
            c->lineEdit()->installEventFilter(this);
        return c;
    };
    m_athlete = combo(QStringLiteral("cmbIDPers"));
    m_place = combo(QStringLiteral("cmbIDPercorso"));
    m_data->bind(m_athlete, QStringLiteral("IDPersonale"));
    m_data->bind(m_place, QStringLiteral("IDPercorso"));
    m_date = make<data::DatePicker>(QStringLiteral("ccrpDtp1"), this);
    m_data->bind(m_date, QStringLiteral("Data"));
    m_time = make<QLineEdit>(QStringLiteral("txtFields(3)"), this);
    m_data->bind(m_time, QStringLiteral("Tempo"), TimeFormat());
    FieldValidator::Install(m_time, FieldValidator::Time, 0, FieldValidator::TimeCheck);

    int row = 0;
    auto add = [&](int label, QWidget *w) {
        grid->addWidget(make<QLabel>(QStringLiteral("lblLabels(%1)").arg(label), this), row, 0);
        grid->addWidget(w, row, 1);
        ++row;
    };
    add(0, m_athlete);
    add(1, m_place);
    add(2, m_date);
    add(3, m_time);
    if (m_cfg.gears) {
        m_front = make<QLineEdit>(QStringLiteral("txtFields(4)"), this);
        m_rear = make<QLineEdit>(QStringLiteral("txtFields(5)"), this);
        m_data->bind(m_front, QStringLiteral("Anteriore"));
        m_data->bind(m_rear, QStringLiteral("Posteriore"));
        for (QLineEdit *e : {m_front, m_rear}) {
            FieldValidator::Install(e, FieldValidator::Integer, 2, FieldValidator::Numeric);
            e->setMaximumWidth(60);
        }
        add(4, m_front);
        add(5, m_rear);
    }
    grid->setRowStretch(row, 1);
    m_note = make<QPlainTextEdit>(QStringLiteral("txtDesc"), this);
    m_note->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_note->setMinimumWidth(220);
    m_note->hide();
    m_data->bind(m_note, QStringLiteral("Note"));
    grid->addWidget(m_note, 2, 2, row - 1, 1);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 1);

    auto *buttons = new QHBoxLayout;
    for (const char *name : {"cmdAdd", "cmdUpdate", "cmdRefresh", "cmdDelete", "cmdDesc", "cmdClose"})
        buttons->addWidget(make<QPushButton>(QLatin1String(name), this));
    top->addLayout(buttons);

    auto *counter = new QHBoxLayout;
    counter->addWidget(make<QLabel>(QStringLiteral("Label1"), this));
    m_data->setMinimumWidth(180);
    counter->addWidget(m_data);
    counter->addWidget(make<QLabel>(QStringLiteral("Label2"), this));
    m_lblNumero = make<QLabel>(QStringLiteral("lblNumero"), this);
    m_lblNumero->setMinimumWidth(60);
    m_lblNumero->setFrameShape(QFrame::StyledPanel);
    counter->addWidget(m_lblNumero);
    counter->addStretch(1);
    top->addLayout(counter);

    auto button = [this](const char *name) { return static_cast<QPushButton *>(Control(QLatin1String(name))); };
    connect(button("cmdAdd"), &QPushButton::clicked, this, &TimeCard::cmdAdd_Click);
    connect(button("cmdUpdate"), &QPushButton::clicked, this, &TimeCard::cmdUpdate_Click);
    connect(button("cmdRefresh"), &QPushButton::clicked, this, &TimeCard::cmdRefresh_Click);
    connect(button("cmdDelete"), &QPushButton::clicked, this, &TimeCard::cmdDelete_Click);
    connect(button("cmdDesc"), &QPushButton::clicked, this, &TimeCard::cmdDesc_Click);
    connect(button("cmdClose"), &QPushButton::clicked, this, &TimeCard::cmdClose_Click);
    connect(m_data, &data::DataControl::Reposition, this, &TimeCard::Data_Reposition);
    connect(m_data, &data::DataControl::Error, this, [](int number, const QString &description, int *response) {
        *response = 0;
        ShowDataError(VbError(number, description));
    });
}

void TimeCard::Form_Load()
{
    try {
        UpdateControls();
        adjustSize();
        CenterForm(this);
    } catch (...) {
    }
    m_data->setDatabase(CurrentDb);
    dao::RecordsetPtr &times = TimesRs(m_cfg);
    m_data->setRecordSource(times ? times->Name()
                                  : QStringLiteral("SELECT * FROM [%1] ORDER BY Data").arg(m_cfg.table));
    m_data->Refresh();
    try {
        m_recordTotal = CountRecords(m_data->recordset());
    } catch (const VbError &) {
        m_recordTotal = 0;
    }
    // The lists, from where each recordset stands to its end.
    auto fill = [](QComboBox *c, const dao::RecordsetPtr &rs) {
        try {
            for (; rs && rs->IsOpen() && !rs->AtEOF(); rs->MoveNext())
                c->addItem(rs->Value(0).toString());
        } catch (const VbError &) {
        }
    };
    {
        // Filling the lists changes no row.
        const QSignalBlocker a(m_athlete), p(m_place);
        const QString athlete = m_athlete->currentText(), place = m_place->currentText();
        fill(m_athlete, AthletesRs);
        fill(m_place, PlacesRs(m_cfg));
        m_athlete->setEditText(athlete);
        m_place->setEditText(place);
    }
    m_addingNew = false;
    Control(QStringLiteral("cmdUpdate"))->setEnabled(false);
    setCombosEditable(false);
    showCounter();
}

void TimeCard::closeEvent(QCloseEvent *event)
{
    if (!m_unloaded)
        Form_Unload();
    event->accept();
}

void TimeCard::Form_Unload()
{
    m_unloaded = true;
    try {
        // A new time that was not confirmed is dropped; edits of a stored one
        // are written as the navigator writes them when it leaves a row.
        if (m_addingNew) {
            if (dao::RecordsetPtr rs = m_data->recordset(); rs && rs->EditMode() != dao::dbEditNone)
                rs->CancelUpdate();
        } else if (m_data->dataChanged() && OnRow(m_data->recordset())) {
            m_data->UpdateRecord();
        }
    } catch (const VbError &e) {
        ShowDataError(e);
    }
    CloseRecordset(PlacesRs(m_cfg));
    CloseRecordset(AthletesRs);
    CloseRecordset(TimesRs(m_cfg));
    if (MDIfrmBike *main = MDIfrmBike::instance())
        main->SetToolbar2Visible(true);
}

void TimeCard::UpdateControls()
{
    for (const TimeCards::Config::Text &t : m_cfg.texts) {
        const QString s = GetLangString(t.number);
        const QString name = QLatin1String(t.control);
        if (name.isEmpty()) {
            setWindowTitle(s);
            continue;
        }
        QWidget *w = Control(name);
        if (auto *l = qobject_cast<QLabel *>(w))
            l->setText(s);
        else if (auto *b = qobject_cast<QPushButton *>(w))
            b->setText(s);
    }
}

void TimeCard::showCounter()
{
    m_lblNumero->setText(QString::number(m_recordTotal));
    try {
        m_data->setCaption(QString::number(RecordPosition(m_data->recordset(), m_recordTotal)));
    } catch (const VbError &) {
    }
}

void TimeCard::setCombosEditable(bool editable)
{
    // A stored time keeps its athlete and place: the lists can be changed only
    // while a new time is entered.
    m_athlete->setEnabled(editable);
    m_place->setEnabled(editable);
}

void TimeCard::Data_Reposition()
{
    m_addingNew = false;
    Control(QStringLiteral("cmdAdd"))->setEnabled(true);
    Control(QStringLiteral("cmdDelete"))->setEnabled(OnRow(m_data->recordset()));
    Control(QStringLiteral("cmdUpdate"))->setEnabled(false);
    setCombosEditable(false);
    showCounter();
}

void TimeCard::checkListed(QComboBox *combo)
{
    if (!m_addingNew)
        return;
    if (combo->findText(combo->currentText(), Qt::MatchExactly | Qt::MatchCaseSensitive) < 0)
        combo->setEditText(GetLangString(m_cfg.selectFromList));
}

void TimeCard::cmdAdd_Click()
{
    try {
        m_data->AddNew();
        m_date->SetValue(QDate::currentDate());
        const QString select = GetLangString(m_cfg.selectFromList);
        setCombosEditable(true);
        m_athlete->setEditText(select);
        m_place->setEditText(select);
        m_athlete->setFocus();
        m_addingNew = true;
        Control(QStringLiteral("cmdUpdate"))->setEnabled(true);
        Control(QStringLiteral("cmdDelete"))->setEnabled(false);
        Control(QStringLiteral("cmdAdd"))->setEnabled(false);
        m_data->setEnabled(false);
        m_data->setCaption(QString::number(m_recordTotal + 1));
        m_lblNumero->setText(QString::number(m_recordTotal + 1));
    } catch (const VbError &e) {
        ShowDataError(e);
        m_data->setEnabled(true);
        m_data->Refresh();
    }
}

void TimeCard::cmdUpdate_Click()
{
    if (!m_addingNew)
        return;
    auto listed = [](QComboBox *c) {
        return c->findText(c->currentText(), Qt::MatchExactly | Qt::MatchCaseSensitive) >= 0;
    };
    TimeCards::Entry e;
    e.athlete = m_athlete->currentText();
    e.athleteListed = listed(m_athlete);
    e.place = m_place->currentText();
    e.placeListed = listed(m_place);
    e.time = m_time->text().trimmed();
    if (m_cfg.gears) {
        e.front = m_front->text().trimmed();
        e.rear = m_rear->text().trimmed();
    }
    if (TimeCards::FirstMissing(m_cfg.kind, e) != TimeCards::Field::None) {
        MsgBox(GetLangString(m_cfg.incomplete), Vb::Information);
        return;
    }
    try {
        m_data->UpdateRecord();
    } catch (const VbError &err) {
        // Nothing stored: the new time stays on screen to be corrected.
        ShowDataError(err);
        return;
    }
    ++m_recordTotal;
    m_addingNew = false;
    Control(QStringLiteral("cmdUpdate"))->setEnabled(false);
    m_data->setEnabled(true);
    try {
        dao::RecordsetPtr rs = m_data->recordset();
        rs->SetBookmark(rs->LastModified());   // repositions the card
    } catch (const VbError &err) {
        ShowDataError(err);
    }
    Control(QStringLiteral("cmdDelete"))->setEnabled(true);
    Control(QStringLiteral("cmdAdd"))->setEnabled(true);
}

void TimeCard::cmdDelete_Click()
{
    dao::RecordsetPtr rs = m_data->recordset();
    if (m_addingNew)
        return;
    if (!OnRow(rs)) {
        Control(QStringLiteral("cmdDelete"))->setEnabled(false);
        return;
    }
    if (MsgBox(GetLangString(m_cfg.deleteQuestion), Vb::OKCancel + Vb::Question + Vb::DefaultButton2) != Vb::OK)
        return;
    try {
        m_data->UpdateControls();   // edits of the time being deleted are dropped
        rs->Delete();
    } catch (const VbError &e) {
        ShowDataError(e);
        return;
    }
    --m_recordTotal;
    m_lblNumero->setText(QString::number(m_recordTotal));
    try {
        if (rs->RecordCount() > 0) {
            rs->MoveNext();
            rs->MoveLast();
        } else {
            m_data->Resync();
        }
    } catch (const VbError &e) {
        ShowDataError(e);
    }
}

void TimeCard::cmdRefresh_Click()
{
    m_data->setEnabled(true);
    m_data->Refresh();
}

void TimeCard::cmdDesc_Click()
{
    auto *b = static_cast<QPushButton *>(Control(QStringLiteral("cmdDesc")));
    if (m_note->isVisible()) {
        m_note->hide();
        b->setText(GetLangString(m_cfg.noteMore));
    } else {
        m_note->show();
        b->setText(GetLangString(m_cfg.noteHide));
    }
}

void TimeCard::cmdClose_Click() { close(); }

void TimeCard::keyDown(int key)
{
    // While a new time is entered the keys move nothing.
    if (m_recordTotal <= 1 || m_addingNew)
        return;
    int32_t p = 0;
    try {
        p = RecordPosition(m_data->recordset(), m_recordTotal);
    } catch (const VbError &) {
        return;
    }
    auto go = [this](void (data::DataControl::*move)()) {
        Control(QStringLiteral("cmdClose"))->setFocus();   // ends the field's editing first
        (m_data->*move)();
    };
    switch (key) {
    case Qt::Key_PageUp:
        if (p >= 2)
            go(&data::DataControl::MovePrevious);
        break;
    case Qt::Key_PageDown:
        if (p >= 1 && p < m_recordTotal)
            go(&data::DataControl::MoveNext);
        break;
    case Qt::Key_Home:
        go(&data::DataControl::MoveFirst);
        break;
    case Qt::Key_End:
        go(&data::DataControl::MoveLast);
        break;
    default:
        break;
    }
}

bool TimeCard::eventFilter(QObject *watched, QEvent *event)
{
    auto *w = qobject_cast<QWidget *>(watched);
    if (event->type() == QEvent::KeyPress && w && (w == this || isAncestorOf(w)) && event != m_lastKey) {
        m_lastKey = event;
        auto *ke = static_cast<QKeyEvent *>(event);
        const int key = ke->key();
        if (key == Qt::Key_PageUp || key == Qt::Key_PageDown || key == Qt::Key_Home || key == Qt::Key_End)
            keyDown(key);
        // Enter in a list moves on to the next field.
        if ((key == Qt::Key_Return || key == Qt::Key_Enter)
            && (w == m_athlete || w == m_place || w == m_athlete->lineEdit() || w == m_place->lineEdit())) {
            focusNextChild();
            return true;
        }
    } else if (event->type() == QEvent::KeyRelease) {
        m_lastKey = nullptr;
    }
    if (event->type() == QEvent::FocusOut) {
        if (w == m_athlete || (m_athlete->lineEdit() && w == m_athlete->lineEdit()))
            checkListed(m_athlete);
        else if (w == m_place || (m_place->lineEdit() && w == m_place->lineEdit()))
            checkListed(m_place);
    }
    return false;
}
