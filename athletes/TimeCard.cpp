#include "athletes/TimeCard.h"

#include "core/DbFile.h"
#include "core/Globals.h"
#include "core/LangClient.h"
#include "core/Validators.h"
#include "platform/data/DataControl.h"
#include "platform/data/DatePicker.h"
#include "platform/ui/DeferredMessage.h"
#include "platform/ui/Prompt.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTime>
#include <QVBoxLayout>

namespace {
dao::RecordsetPtr &PlacesRs(const TimeCards::Config &c)
{
    return c.kind == TimeCards::Kind::Climb ? ClimbsRs : RoutesRs;
}

dao::RecordsetPtr &TimesRs(const TimeCards::Config &c)
{
    return c.kind == TimeCards::Kind::Climb ? ClimbTimesRs : TrainingTimesRs;
}

RecordCard::Setup TimeSetup(const TimeCards::Config &c)
{
    RecordCard::Setup s;
    s.formName = c.formName;
    // The query text the main window opened the times with, in date order.
    const dao::RecordsetPtr &times = TimesRs(c);
    s.recordSource = times ? times->Name() : QStringLiteral("SELECT * FROM [%1] ORDER BY Data").arg(c.table);
    s.recordsetType = dao::dbOpenDynaset;
    s.modify = false;
    s.counterBelow = true;
    s.deleteQuestion = c.deleteQuestion;
    s.emptyOnAdd = c.incomplete;
    s.emptyOnModify = c.incomplete;
    for (const TimeCards::Config::Text &t : c.texts)
        s.texts.push_back({t.number, t.control, t.property});
    return s;
}

// The time as the user's settings write it; stored as the time of day it reads as.
data::TextFormat TimeOfDayFormat()
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

bool Listed(const QComboBox *c)
{
    return c->findText(c->currentText(), Qt::MatchExactly | Qt::MatchCaseSensitive) >= 0;
}
}

TimeCard::TimeCard(const TimeCards::Config &config, QWidget *parent)
    : RecordCard(TimeSetup(config), parent), m_cfg(config)
{
    Data1()->setObjectName(m_cfg.dataName);
    auto *box = new QWidget(fieldArea());
    auto *grid = new QGridLayout(box);
    grid->setContentsMargins(0, 0, 0, 0);
    int row = 0;
    auto add = [&](int label, QWidget *w) {
        auto *l = new QLabel(box);
        l->setObjectName(QStringLiteral("lblLabels(%1)").arg(label));
        grid->addWidget(l, row, 0);
        grid->addWidget(w, row, 1);
        ++row;
    };
    auto combo = [&](const char *name, const QString &field) {
        auto *c = new QComboBox(box);
        c->setObjectName(QLatin1String(name));
        c->setEditable(true);
        c->setInsertPolicy(QComboBox::NoInsert);
        c->setMinimumWidth(220);
        bindField(c, field);
        return c;
    };
    m_athlete = combo("cmbIDPers", QStringLiteral("IDPersonale"));
    m_place = combo("cmbIDPercorso", QStringLiteral("IDPercorso"));
    m_date = new data::DatePicker(box);
    m_date->setObjectName(QStringLiteral("ccrpDtp1"));
    Data1()->bind(m_date, QStringLiteral("Data"));
    m_time = new QLineEdit(box);
    m_time->setObjectName(QStringLiteral("txtFields(3)"));
    Data1()->bind(m_time, QStringLiteral("Tempo"), TimeOfDayFormat());
    FieldValidator::Install(m_time, FieldValidator::Time, 0, [this] { leaveField(m_time); });
    add(0, m_athlete);
    add(1, m_place);
    add(2, m_date);
    add(3, m_time);
    if (m_cfg.gears) {
        auto gear = [&](int index, const QString &field) {
            auto *e = new QLineEdit(box);
            e->setObjectName(QStringLiteral("txtFields(%1)").arg(index));
            e->setMaximumWidth(60);
            bindField(e, field);
            FieldValidator::Install(e, FieldValidator::Integer, 2, [this, e] { leaveField(e); });
            add(index, e);
            return e;
        };
        m_front = gear(4, QStringLiteral("Anteriore"));
        m_rear = gear(5, QStringLiteral("Posteriore"));
    }
    grid->setColumnStretch(1, 1);
    fieldArea()->layout()->addWidget(box);

    // The note panel, to the right of the fields.
    m_note = new QPlainTextEdit(sideArea());
    m_note->setObjectName(QStringLiteral("txtDesc"));
    m_note->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_note->setMinimumWidth(220);
    m_note->setMaximumHeight(160);
    m_note->hide();
    bindField(m_note, QStringLiteral("Note"));
    static_cast<QVBoxLayout *>(sideArea()->layout())->addWidget(m_note);
    static_cast<QVBoxLayout *>(sideArea()->layout())->addStretch(1);

    // A move off a stored row that would write an emptied or refused time or
    // gear over the stored one stays on the row, which shows it again.
    Data1()->setLeaveCheck([this] { return keepStoredValues(); });
    // Moves made by other code (a find) do not ask first: the stored value is
    // given back before the row is written.
    connect(Data1(), &data::DataControl::Validate, this, [this](int, bool *) { keepStoredValues(); });

    QPushButton *desc = addButton(QStringLiteral("cmdDesc"));
    connect(desc, &QPushButton::clicked, this, &TimeCard::cmdDesc_Click);
    load();
}

TimeCard::~TimeCard() { unloadOnce(); }

void TimeCard::afterCount()
{
    // The lists, from where each shared recordset stands to its end. Filling
    // them changes no row: the texts shown stay.
    auto fill = [](QComboBox *c, const dao::RecordsetPtr &rs) {
        const QSignalBlocker block(c);
        const QString shown = c->currentText();
        try {
            for (; rs && rs->IsOpen() && !rs->AtEOF(); rs->MoveNext())
                c->addItem(rs->Value(0).toString());
        } catch (const VbError &) {
        }
        c->setEditText(shown);
    };
    fill(m_athlete, AthletesRs);
    fill(m_place, PlacesRs(m_cfg));
    onAddStateChanged(false);
}

void TimeCard::onAddStateChanged(bool adding)
{
    // A stored time keeps its athlete and place: the lists can be changed only
    // while a new time is entered.
    m_athlete->setEnabled(adding);
    m_place->setEnabled(adding);
    if (!adding)
        return;
    // No name is chosen yet, so the down arrow picks the first one.
    const QString select = GetLangString(m_cfg.selectFromList);
    for (QComboBox *c : {m_athlete, m_place}) {
        c->setCurrentIndex(-1);
        c->setEditText(select);
    }
    m_date->SetValue(QDate::currentDate());
    m_athlete->setFocus();
}

bool TimeCard::requiredFilled() const
{
    TimeCards::Entry e;
    e.athlete = m_athlete->currentText();
    e.athleteListed = Listed(m_athlete);
    e.place = m_place->currentText();
    e.placeListed = Listed(m_place);
    e.time = m_time->text().trimmed();
    if (m_cfg.gears) {
        e.front = m_front->text().trimmed();
        e.rear = m_rear->text().trimmed();
    }
    return TimeCards::FirstMissing(m_cfg.kind, e) == TimeCards::Field::None;
}

bool TimeCard::isCombo(QObject *o, QComboBox *combo) const
{
    return o == combo || (combo->lineEdit() && o == combo->lineEdit());
}

void TimeCard::checkListed(QComboBox *combo)
{
    if (AddMode() && !Listed(combo))
        combo->setEditText(GetLangString(m_cfg.selectFromList));
}

bool TimeCard::previewKey(QWidget *target, QKeyEvent *key)
{
    // Enter in a list moves on to the next field.
    if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
        && (isCombo(target, m_athlete) || isCombo(target, m_place))) {
        focusNextChild();
        return true;
    }
    return false;
}

bool TimeCard::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusOut) {
        if (isCombo(watched, m_athlete))
            checkListed(m_athlete);
        else if (isCombo(watched, m_place))
            checkListed(m_place);
    }
    return RecordCard::eventFilter(watched, event);
}

void TimeCard::cmdDesc_Click()
{
    auto *b = qobject_cast<QPushButton *>(Control(QStringLiteral("cmdDesc")));
    if (m_note->isVisible()) {
        m_note->hide();
        b->setText(GetLangString(m_cfg.noteMore));
    } else {
        m_note->show();
        b->setText(GetLangString(m_cfg.noteHide));
    }
}

std::vector<QLineEdit *> TimeCard::checkedFields() const
{
    if (m_cfg.gears)
        return {m_time, m_front, m_rear};
    return {m_time};
}

bool TimeCard::fieldCheck(QLineEdit *field)
{
    return field == m_time ? CheckTime(field) : CheckNumeric(field, 2);
}

bool TimeCard::readable(const QLineEdit *field) const
{
    const QString text = field->text();
    if (field == m_time) {
        QTime t;
        return ParseDateTime(text, &t);
    }
    return text.size() <= 2 && ParseDecimal(text, nullptr);
}

QString TimeCard::refusal(const QLineEdit *field) const
{
    if (field == m_time)
        return GetLangString(m_cfg.timeRefused);
    // The gear's own label names it, without its colon.
    const int index = field == m_front ? 4 : 5;
    QString name = shownText(Control(QStringLiteral("lblLabels(%1)").arg(index)));
    while (!name.isEmpty() && (name.endsWith(QLatin1Char(':')) || name.back().isSpace()))
        name.chop(1);
    return FormatLangString(GetLangString(m_cfg.gearRefused), {name});
}

bool TimeCard::onStoredRow() const
{
    if (AddMode() || Data1()->adding())
        return false;
    try {
        const dao::RecordsetPtr rs = Data1()->recordset();
        return rs && rs->IsOpen() && !rs->AtEOF() && !rs->BOF();
    } catch (const VbError &) {
        return false;
    }
}

void TimeCard::leaveField(QLineEdit *field)
{
    // Confirm held down by the mouse took the focus: the check below takes it
    // back, the button then lets go and Confirm never runs, so the refusal
    // that Confirm would have told is told here.
    auto *confirm = qobject_cast<QAbstractButton *>(Control(QStringLiteral("cmdUpdate")));
    const bool confirming = AddMode() && confirm && confirm->isDown();
    // The check as the field has it: a text it cannot read beeps, is emptied
    // and takes the focus back.
    const bool ok = fieldCheck(field);
    if (!ok && confirming) {
        tell({refusal(field)});
        return;
    }
    if (!onStoredRow())
        return;
    // Run once the focus has left the field, so the message may be shown
    // after this pass; the field shows what the row holds again.
    if ((!ok || field->text().isEmpty()) && field->text() != Data1()->loadedText(field)) {
        Data1()->restoreControl(field);
        tell({refusal(field)});
    }
}

bool TimeCard::keepStoredValues()
{
    if (!onStoredRow())
        return true;
    QStringList told;
    for (QLineEdit *f : checkedFields()) {
        const QString text = f->text();
        if (text == Data1()->loadedText(f) || (!text.isEmpty() && readable(f)))
            continue;
        Data1()->restoreControl(f);
        told << refusal(f);
    }
    if (told.isEmpty())
        return true;
    tell(told);
    return false;
}

void TimeCard::tell(const QStringList &texts)
{
    // Asked from a move of the data control, a key or a focus change: the
    // message follows once that has finished.
    const QString text = texts.join(QLatin1Char('\n'));
    teller()->tell([text] { MsgBox(text, Vb::Exclamation); });
}

bool TimeCard::checkBeforeConfirm()
{
    // Confirm pressed while the focus is still in a field: the field is
    // checked as leaving it would, and a text it refuses is not stored.
    for (QLineEdit *f : checkedFields()) {
        if (f->text().isEmpty() || fieldCheck(f))
            continue;
        MsgBox(refusal(f), Vb::Exclamation);
        return false;
    }
    return true;
}

void TimeCard::beforeSave(bool adding)
{
    // Closing writes the changes of a stored row: never an emptied or refused
    // time or gear over the stored one.
    if (!adding)
        keepStoredValues();
}

void TimeCard::onUnload()
{
    teller()->showWaiting();   // the window goes: what was refused is told now
    CloseRecordset(PlacesRs(m_cfg));
    CloseRecordset(AthletesRs);
    CloseRecordset(TimesRs(m_cfg));
}
