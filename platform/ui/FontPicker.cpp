#include "platform/ui/FontPicker.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDoubleValidator>
#include <QFontComboBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
QString QtText(const char *context, const char *text) { return QCoreApplication::translate(context, text); }

QIcon Swatch(const QColor &c)
{
    QPixmap pm(24, 14);
    pm.fill(c);
    QPainter p(&pm);
    p.setPen(Qt::gray);
    p.drawRect(pm.rect().adjusted(0, 0, -1, -1));
    return QIcon(pm);
}
} // namespace

FontPicker::FontPicker(const FontDialogRequest &request, QWidget *parent)
    : QDialog(parent), m_request(request), m_color(request.color.isValid() ? request.color : QColor(0, 0, 0))
{
    setObjectName(QStringLiteral("FontPicker"));
    setWindowTitle(QtText("QFontDialog", "Select Font"));
    auto *outer = new QVBoxLayout(this);
    auto *form = new QFormLayout;
    outer->addLayout(form);

    m_face = new QFontComboBox(this);
    m_face->setObjectName(QStringLiteral("face"));
    if (request.scalableOnly)
        m_face->setFontFilters(QFontComboBox::ScalableFonts);
    m_face->setCurrentFont(request.font);
    form->addRow(QtText("QFontDialog", "&Font"), m_face);

    m_size = new QComboBox(this);
    m_size->setObjectName(QStringLiteral("size"));
    m_size->setEditable(true);
    m_size->setInsertPolicy(QComboBox::NoInsert);
    m_size->setValidator(new QDoubleValidator(1, 999, 2, m_size));
    for (int s : QFontDatabase::standardSizes())
        m_size->addItem(QString::number(s));
    m_size->setEditText(QLocale().toString(request.font.pointSizeF() > 0 ? request.font.pointSizeF() : 8.0));
    form->addRow(QtText("QFontDialog", "&Size"), m_size);

    auto *style = new QHBoxLayout;
    m_bold = new QCheckBox(QtText("QFontDatabase", "Bold"), this);
    m_bold->setObjectName(QStringLiteral("bold"));
    m_bold->setChecked(request.font.bold());
    m_italic = new QCheckBox(QtText("QFontDatabase", "Italic"), this);
    m_italic->setObjectName(QStringLiteral("italic"));
    m_italic->setChecked(request.font.italic());
    style->addWidget(m_bold);
    style->addWidget(m_italic);
    style->addStretch(1);
    auto *styleLabel = new QLabel(QtText("QFontDialog", "Font st&yle"), this);
    styleLabel->setBuddy(m_bold);
    form->addRow(styleLabel, style);

    m_effects = new QGroupBox(QtText("QFontDialog", "Effects"), this);
    m_effects->setObjectName(QStringLiteral("effects"));
    auto *eff = new QHBoxLayout(m_effects);
    m_strike = new QCheckBox(QtText("QFontDialog", "Stri&keout"), m_effects);
    m_strike->setObjectName(QStringLiteral("strikeout"));
    m_strike->setChecked(request.font.strikeOut());
    m_underline = new QCheckBox(QtText("QFontDialog", "&Underline"), m_effects);
    m_underline->setObjectName(QStringLiteral("underline"));
    m_underline->setChecked(request.font.underline());
    m_colorButton = new QPushButton(QtText("QColorDialog", "Select Color"), m_effects);
    m_colorButton->setObjectName(QStringLiteral("color"));
    eff->addWidget(m_strike);
    eff->addWidget(m_underline);
    eff->addStretch(1);
    eff->addWidget(m_colorButton);
    m_strike->setVisible(request.effects);
    m_underline->setVisible(request.effects);
    m_colorButton->setVisible(request.colorOffered);
    m_effects->setVisible(request.effects || request.colorOffered);
    outer->addWidget(m_effects);

    auto *sampleBox = new QGroupBox(QtText("QFontDialog", "Sample"), this);
    auto *sampleLayout = new QVBoxLayout(sampleBox);
    m_sample = new QLabel(QStringLiteral("AaBbYyZz"), sampleBox);
    m_sample->setObjectName(QStringLiteral("sample"));
    m_sample->setAlignment(Qt::AlignCenter);
    m_sample->setMinimumSize(260, 70);
    sampleLayout->addWidget(m_sample);
    outer->addWidget(sampleBox, 1);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    outer->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    connect(m_face, &QFontComboBox::currentFontChanged, this, [this] {
        m_faceChanged = true;
        updateSample();
    });
    connect(m_size, &QComboBox::currentTextChanged, this, &FontPicker::updateSample);
    for (QCheckBox *b : {m_bold, m_italic, m_strike, m_underline})
        connect(b, &QCheckBox::toggled, this, &FontPicker::updateSample);
    connect(m_colorButton, &QPushButton::clicked, this, &FontPicker::pickColor);
    setColor(m_color);
}

void FontPicker::setColor(const QColor &color)
{
    m_color = color;
    m_colorButton->setIcon(Swatch(color));
    updateSample();
}

void FontPicker::pickColor()
{
    const QColor c = QColorDialog::getColor(m_color, this);
    if (c.isValid())
        setColor(c);
}

double FontPicker::sizeValue() const
{
    bool ok = false;
    double v = QLocale().toDouble(m_size->currentText().trimmed(), &ok);
    if (!ok)
        v = m_size->currentText().trimmed().toDouble(&ok);
    if (!ok || v < 1 || v > 999)
        return m_request.font.pointSizeF() > 0 ? m_request.font.pointSizeF() : 8.0;
    return v;
}

FontDialogResult FontPicker::result() const
{
    QFont f = m_request.font;
    // A face the list cannot show (not installed, or not scalable when only
    // scalable ones are offered) is kept by name unless the user chose another;
    // only when scalable faces are required is a non-scalable one replaced.
    const QString initial = m_request.font.family();
    const bool mustReplace = m_request.scalableOnly && !initial.isEmpty()
                             && QFontDatabase::hasFamily(initial) && !QFontDatabase::isScalable(initial);
    if (m_faceChanged || mustReplace || initial.isEmpty())
        f.setFamily(m_face->currentFont().family());
    f.setPointSizeF(sizeValue());
    f.setBold(m_bold->isChecked());
    f.setItalic(m_italic->isChecked());
    if (m_request.effects) {
        f.setStrikeOut(m_strike->isChecked());
        f.setUnderline(m_underline->isChecked());
    }
    return FontDialogResult(f, m_request.colorOffered ? m_color : QColor());
}

void FontPicker::updateSample()
{
    if (!m_sample)
        return;
    const FontDialogResult r = result();
    m_sample->setFont(r.font);
    QPalette pal = m_sample->palette();
    pal.setColor(QPalette::WindowText, m_color);
    m_sample->setPalette(pal);
}
