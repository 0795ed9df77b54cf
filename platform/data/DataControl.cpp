#include "platform/data/DataControl.h"

#include "platform/data/DatePicker.h"
#include "platform/data/TextLimits.h"
#include "platform/ui/Prompt.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QToolButton>
#include <cmath>
#include <limits>

namespace data {

namespace {
// Numbers are shown and read without group separators, so "1.500" typed under
// a decimal-comma locale is 1.5, as the field checks read it, not 1500.
QLocale UserLocale()
{
    QLocale l;
    l.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
    return l;
}

// A number typed in the user's locale form or with either decimal mark.
double ParseNumber(const QString &text)
{
    bool ok = false;
    double v = UserLocale().toDouble(text.trimmed(), &ok);
    if (!ok) {
        QLocale c = QLocale::c();
        c.setNumberOptions(QLocale::RejectGroupSeparator);
        v = c.toDouble(text.trimmed().replace(QLatin1Char(','), QLatin1Char('.')), &ok);
    }
    // "nan" and "inf" are read as numbers by the locale, but are no value a
    // field can hold; a number too large for a double fails to read at all.
    if (!ok || !std::isfinite(v))
        RaiseError(VbErr::TypeMismatch, QStringLiteral("Type mismatch"));
    return v;
}
}

QString FieldText(const QVariant &value, dao::FieldType type)
{
    if (value.isNull() || !value.isValid())
        return QString();
    const QLocale loc = UserLocale();
    switch (type) {
    case dao::dbSingle:
    case dao::dbDouble:
    case dao::dbCurrency: {
        bool ok = false;
        const double v = value.toDouble(&ok);
        if (!ok)
            return value.toString();
        // A single shows as many digits as it holds, no more.
        const double shown = type == dao::dbSingle ? static_cast<double>(static_cast<float>(v)) : v;
        QString text = Shell::NumberText(loc, shown, 'g', type == dao::dbSingle ? 7 : 15);
        if (text.contains(QLatin1Char('e'), Qt::CaseInsensitive))
            text = Shell::NumberText(loc, shown, 'f', type == dao::dbSingle ? 6 : 12);
        return text;
    }
    case dao::dbByte:
    case dao::dbInteger:
    case dao::dbLong:
        return loc.toString(value.toLongLong());
    default:
        return value.toString();
    }
}

QVariant FieldValue(const QString &text, dao::FieldType type)
{
    if (text.isEmpty())
        return QVariant();
    switch (type) {
    case dao::dbSingle:
    case dao::dbDouble:
    case dao::dbCurrency: {
        const double v = ParseNumber(text);
        if (type == dao::dbSingle && std::fabs(v) > double(std::numeric_limits<float>::max()))
            RaiseError(VbErr::Overflow, QStringLiteral("Overflow"));
        return type == dao::dbSingle ? QVariant(static_cast<double>(static_cast<float>(v))) : QVariant(v);
    }
    case dao::dbByte:
    case dao::dbInteger:
    case dao::dbLong: {
        const double r = std::nearbyint(ParseNumber(text));
        const double limit = type == dao::dbInteger ? 32767 : type == dao::dbByte ? 255 : 2147483647.0;
        const double low = type == dao::dbInteger ? -32768 : type == dao::dbByte ? 0 : -2147483648.0;
        if (r > limit || r < low)
            RaiseError(VbErr::Overflow, QStringLiteral("Overflow"));
        return QVariant(static_cast<qlonglong>(r));
    }
    default:
        return text;
    }
}

DataControl::DataControl(QWidget *parent) : QWidget(parent)
{
    auto *lay = new QHBoxLayout(this);
    lay->setContentsMargins(0, 0, 0, 0);
    lay->setSpacing(0);
    auto button = [this, lay](const QString &text, const char *name) {
        auto *b = new QToolButton(this);
        b->setText(text);
        b->setObjectName(QLatin1String(name));
        b->setFocusPolicy(Qt::NoFocus);
        b->setAutoRaise(false);
        lay->addWidget(b);
        return b;
    };
    m_first = button(QStringLiteral("|◀"), "first");
    m_prev = button(QStringLiteral("◀"), "previous");
    m_caption = new QLabel(this);
    m_caption->setAlignment(Qt::AlignCenter);
    m_caption->setFrameShape(QFrame::StyledPanel);
    m_caption->setMinimumWidth(40);
    lay->addWidget(m_caption, 1);
    m_next = button(QStringLiteral("▶"), "next");
    m_last = button(QStringLiteral("▶|"), "last");
    connect(m_first, &QToolButton::clicked, this, &DataControl::MoveFirst);
    connect(m_prev, &QToolButton::clicked, this, &DataControl::MovePrevious);
    connect(m_next, &QToolButton::clicked, this, &DataControl::MoveNext);
    connect(m_last, &QToolButton::clicked, this, &DataControl::MoveLast);
}

DataControl::~DataControl() { detach(); }

QString DataControl::caption() const { return m_caption->text(); }
void DataControl::setCaption(const QString &text) { m_caption->setText(text); }

void DataControl::detach()
{
    if (m_rs && m_listener >= 0) {
        // Runs from the destructor too, and a recordset that can no longer
        // take the listener back has nothing to tell the user.
        try {
            m_rs->RemoveMoveListener(m_listener);
        } catch (const VbError &) {
        }
    }
    m_listener = -1;
    m_rs.reset();
    m_fields.clear();
    m_adding = false;
}

void DataControl::attach(dao::RecordsetPtr rs)
{
    detach();
    m_rs = std::move(rs);
    if (!m_rs)
        return;
    m_fields = m_rs->Fields();
    std::weak_ptr<dao::Recordset> weak = m_rs;
    QPointer<DataControl> self(this);
    m_listener = m_rs->AddMoveListener(
        [self]() {
            // Another piece of code moves our records: save a changed record first.
            if (!self || self->m_internal > 0 || !self->m_rs)
                return;
            if (self->dataChanged()) {
                bool save = true;
                emit self->Validate(vbDataActionBookmark, &save);
                if (save) {
                    try {
                        self->UpdateRecord();
                    } catch (const VbError &e) {
                        self->reportError(e);
                    }
                }
            }
        },
        [self]() {
            if (self && self->m_internal == 0)
                self->reposition();
        });
}

void DataControl::Refresh()
{
    if (m_leaveCheck && !m_leaveCheck())
        return;
    ++m_internal;
    try {
        if (m_rs && m_rs->IsOpen() && m_rs->EditMode() != dao::dbEditNone)
            m_rs->CancelUpdate();
    } catch (const VbError &) {
    }
    try {
        if (!m_db)
            RaiseError(3420, QStringLiteral("Object invalid or no longer set."));
        attach(m_db->OpenRecordset(m_source, m_type));
    } catch (const VbError &e) {
        --m_internal;
        detach();
        loadControls();
        reportError(e);
        return;
    }
    --m_internal;
    reposition();
}

void DataControl::setRecordset(dao::RecordsetPtr rs)
{
    attach(std::move(rs));
    ++m_internal;
    try {
        if (m_rs && m_rs->RecordCount() > 0 && (m_rs->AtEOF() || m_rs->BOF()))
            m_rs->MoveFirst();
    } catch (const VbError &) {
    }
    --m_internal;
    reposition();
}

void DataControl::bind(QLineEdit *edit, const QString &field)
{
    m_bindings.push_back({edit, field, QString(), TextFormat()});
}
void DataControl::bind(QComboBox *combo, const QString &field)
{
    m_bindings.push_back({combo, field, QString()});
}
void DataControl::bind(QPlainTextEdit *edit, const QString &field)
{
    m_bindings.push_back({edit, field, QString()});
}
void DataControl::bind(QLineEdit *edit, const QString &field, const TextFormat &format)
{
    m_bindings.push_back({edit, field, QString(), format});
}
void DataControl::bind(DatePicker *picker, const QString &field)
{
    m_bindings.push_back({picker, field, QString()});
}

QString DataControl::controlText(const Binding &b) const
{
    if (auto *e = qobject_cast<QLineEdit *>(b.widget))
        return e->text();
    if (auto *c = qobject_cast<QComboBox *>(b.widget))
        return c->currentText();
    if (auto *p = qobject_cast<QPlainTextEdit *>(b.widget))
        return p->toPlainText();
    if (auto *d = qobject_cast<DatePicker *>(b.widget))
        return d->isoText();
    return QString();
}

void DataControl::setControlText(Binding &b, const QString &text)
{
    b.loaded = text;
    // What a box bound to a text field takes: the field's size, or the
    // length of the value it shows where that is longer. A box with a format
    // of its own shows something other than what it stores.
    const int limit = b.format.toValue ? 0 : TextLimitFor(fieldSize(b.field), text);
    if (auto *e = qobject_cast<QLineEdit *>(b.widget)) {
        LimitText(e, limit);
        // A value longer than the edit's limit (written by an import, or by an
        // older installation) is shown whole: cut, it would be saved back cut.
        // The edit's own limit is what it holds unless the control set it;
        // a window may set it before or after binding the edit.
        if (b.applied == 0 || e->maxLength() != b.applied)
            b.maxLength = e->maxLength();
        const int limit = qMax(b.maxLength, int(text.size()));
        if (limit != e->maxLength())
            e->setMaxLength(limit);
        b.applied = limit;
        e->setText(text);
        e->setCursorPosition(0);
    } else if (auto *c = qobject_cast<QComboBox *>(b.widget)) {
        LimitText(c->lineEdit(), limit);
        if (c->isEditable())
            c->setEditText(text);
        else
            c->setCurrentIndex(c->findText(text));
    } else if (auto *p = qobject_cast<QPlainTextEdit *>(b.widget)) {
        LimitText(p, limit);
        p->setPlainText(text);
    } else if (auto *d = qobject_cast<DatePicker *>(b.widget)) {
        d->setIsoText(text);
    }
    // What the control shows is the unchanged state: a control that shows the
    // value otherwise (CR LF line ends as LF, a state missing from a list)
    // must not count as a change and be saved.
    if (b.widget)
        b.loaded = controlText(b);
}

dao::FieldType DataControl::fieldType(const QString &field) const
{
    for (const dao::FieldInfo &f : m_fields)
        if (f.name.compare(field, Qt::CaseInsensitive) == 0)
            return f.type;
    return dao::dbText;
}

int DataControl::fieldSize(const QString &field) const
{
    for (const dao::FieldInfo &f : m_fields)
        if (f.name.compare(field, Qt::CaseInsensitive) == 0)
            return f.type == dao::dbText ? f.size : 0;
    return 0;
}

bool DataControl::dataChanged() const
{
    for (const Binding &b : m_bindings)
        if (b.widget && controlText(b) != b.loaded)
            return true;
    return false;
}

QString DataControl::loadedText(const QWidget *control) const
{
    for (const Binding &b : m_bindings)
        if (b.widget == control)
            return b.loaded;
    return QString();
}

void DataControl::restoreControl(QWidget *control)
{
    for (Binding &b : m_bindings)
        if (b.widget == control)
            setControlText(b, b.loaded);
}

void DataControl::loadControls()
{
    bool onRow = false;
    try {
        onRow = m_rs && m_rs->IsOpen() && !m_rs->AtEOF() && !m_rs->BOF();
    } catch (const VbError &) {
    }
    for (Binding &b : m_bindings) {
        QString text;
        if (onRow) {
            try {
                const QVariant v = m_rs->Value(b.field);
                text = b.format.toText ? (v.isNull() ? QString() : b.format.toText(v))
                                       : FieldText(v, fieldType(b.field));
            } catch (const VbError &) {
            }
        }
        setControlText(b, text);
    }
}

void DataControl::UpdateControls() { loadControls(); }

void DataControl::Resync() { reposition(); }

void DataControl::reposition()
{
    m_adding = false;
    loadControls();
    emit Reposition();
}

void DataControl::AddNew()
{
    if (!m_rs)
        RaiseError(3420, QStringLiteral("Object invalid or no longer set."));
    if (m_rs->EditMode() != dao::dbEditNone)
        m_rs->CancelUpdate();
    m_rs->AddNew();
    m_adding = true;
    for (Binding &b : m_bindings)
        setControlText(b, QString());
}

void DataControl::UpdateRecord()
{
    if (!m_rs)
        RaiseError(3420, QStringLiteral("Object invalid or no longer set."));
    const bool adding = m_adding;
    // A new record that failed to save before is still the one being entered.
    if (adding && m_rs->EditMode() != dao::dbEditAdd) {
        if (m_rs->EditMode() != dao::dbEditNone)
            m_rs->CancelUpdate();
        m_rs->AddNew();
    } else if (!adding && m_rs->EditMode() == dao::dbEditNone) {
        m_rs->Edit();
    }
    try {
        for (Binding &b : m_bindings) {
            if (!b.widget)
                continue;
            // Only what the user changed is written: a value read back from its
            // shown text (a number cut to the digits shown) would alter fields
            // nobody touched.
            if (!adding && controlText(b) == b.loaded)
                continue;
            const QString text = controlText(b);
            m_rs->SetValue(b.field, b.format.toValue && !text.isEmpty() ? b.format.toValue(text)
                                                                       : FieldValue(text, fieldType(b.field)));
        }
        m_rs->Update();
    } catch (const VbError &) {
        if (!adding) {
            try {
                m_rs->CancelUpdate();
            } catch (const VbError &) {
            }
        }
        throw;
    }
    m_adding = false;
    for (Binding &b : m_bindings)
        if (b.widget)
            b.loaded = controlText(b);
}

bool DataControl::saveBeforeMove(int action)
{
    if (!dataChanged() && !(m_adding))
        return true;
    bool save = dataChanged();
    emit Validate(action, &save);
    if (!save) {
        if (m_adding) {
            try {
                m_rs->CancelUpdate();
            } catch (const VbError &) {
            }
            m_adding = false;
        }
        return true;
    }
    try {
        UpdateRecord();
    } catch (const VbError &e) {
        reportError(e);
        return false;
    }
    return true;
}

void DataControl::move(int action)
{
    if (!m_rs || !isEnabled())
        return;
    if (m_leaveCheck && !m_leaveCheck())
        return;
    if (!saveBeforeMove(action))
        return;
    ++m_internal;
    try {
        if (m_rs->EditMode() != dao::dbEditNone)
            m_rs->CancelUpdate();
        switch (action) {
        case vbDataActionMoveFirst:
            if (m_rs->RecordCount() > 0)
                m_rs->MoveFirst();
            break;
        case vbDataActionMoveLast:
            if (m_rs->RecordCount() > 0)
                m_rs->MoveLast();
            break;
        case vbDataActionMoveNext:
            if (!m_rs->AtEOF()) {
                m_rs->MoveNext();
                if (m_rs->AtEOF() && m_rs->RecordCount() > 0)
                    m_rs->MoveLast();   // the control's arrows stop on the last record
            }
            break;
        case vbDataActionMovePrevious:
            if (!m_rs->BOF()) {
                m_rs->MovePrevious();
                if (m_rs->BOF() && m_rs->RecordCount() > 0)
                    m_rs->MoveFirst();
            }
            break;
        }
    } catch (const VbError &e) {
        --m_internal;
        reportError(e);
        return;
    }
    --m_internal;
    reposition();
}

void DataControl::MoveFirst() { move(vbDataActionMoveFirst); }
void DataControl::MovePrevious() { move(vbDataActionMovePrevious); }
void DataControl::MoveNext() { move(vbDataActionMoveNext); }
void DataControl::MoveLast() { move(vbDataActionMoveLast); }

void DataControl::reportError(const VbError &e)
{
    int response = 1;
    emit Error(e.Number(), e.Description(), &response);
    if (response != 0)
        MsgBox(e.Description(), Vb::Critical);
}

}
