#include "platform/data/DatePicker.h"

#include "platform/data/DataControl.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QLocale>

namespace data {

namespace {
// The edit's minimum stands for "no day": it shows the special (blank) text.
const QDate NoDay(1753, 1, 1);
}

DatePicker::DatePicker(QWidget *parent) : QWidget(parent)
{
    auto *lay = new QHBoxLayout(this);
    lay->setContentsMargins(0, 0, 0, 0);
    lay->setSpacing(2);
    m_check = new QCheckBox(this);
    m_check->setObjectName(QStringLiteral("hasDate"));
    m_edit = new QDateEdit(this);
    m_edit->setObjectName(QStringLiteral("date"));
    m_edit->setCalendarPopup(true);
    m_edit->setMinimumDate(NoDay);
    m_edit->setMaximumDate(QDate(9999, 12, 31));
    m_edit->setSpecialValueText(QStringLiteral(" "));
    m_edit->setDisplayFormat(FullYearDateFormat());
    m_edit->setDate(NoDay);
    lay->addWidget(m_check);
    lay->addWidget(m_edit, 1);
    setFocusProxy(m_edit);
    showState();

    connect(m_check, &QCheckBox::toggled, this, [this](bool on) {
        if (m_setting)
            return;
        m_setting = true;
        // Ticking the box starts from today; unticking empties the field.
        m_edit->setDate(on ? QDate::currentDate() : NoDay);
        m_setting = false;
        showState();
        emit valueChanged();
    });
    connect(m_edit, &QDateEdit::dateChanged, this, [this](const QDate &d) {
        if (m_setting)
            return;
        m_setting = true;
        m_check->setChecked(d != NoDay);
        m_setting = false;
        showState();
        emit valueChanged();
    });
}

void DatePicker::showState()
{
    m_edit->setEnabled(m_check->isChecked());
}

QDate DatePicker::date() const
{
    return m_check->isChecked() && m_edit->date() != NoDay ? m_edit->date() : QDate();
}

bool DatePicker::isEmpty() const { return !date().isValid(); }

QVariant DatePicker::Value() const
{
    const QDate d = date();
    return d.isValid() ? QVariant(d) : QVariant();
}

void DatePicker::SetValue(const QVariant &value)
{
    QDate d;
    if (value.typeId() == QMetaType::QDate)
        d = value.toDate();
    else if (value.typeId() == QMetaType::QDateTime)
        d = value.toDateTime().date();
    if (d.isValid() && d <= NoDay)
        d = QDate();
    m_setting = true;
    m_check->setChecked(d.isValid());
    m_edit->setDate(d.isValid() ? d : NoDay);
    m_setting = false;
    showState();
    emit valueChanged();
}

QString DatePicker::isoText() const
{
    const QDate d = date();
    return d.isValid() ? d.toString(Qt::ISODate) : QString();
}

void DatePicker::setIsoText(const QString &text)
{
    const QString t = text.trimmed();
    QDate d = QDate::fromString(t.left(10), Qt::ISODate);
    if (!d.isValid())
        d = QLocale().toDate(t, QLocale::ShortFormat);
    SetValue(d.isValid() ? QVariant(d) : QVariant());
}

}
