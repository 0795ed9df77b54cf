#include "athletes/DataFilter.h"

#include "athletes/PerformanceList.h"
#include "core/Globals.h"
#include "core/LangClient.h"
#include "core/WindowRegistry.h"
#include "platform/data/DatePicker.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

DataFilter::DataFilter(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("DataFilter"));
    auto *grid = new QGridLayout(this);
    m_label1 = new QLabel(this);
    m_label1->setObjectName(QStringLiteral("Label1"));
    m_combo = new QComboBox(this);
    m_combo->setObjectName(QStringLiteral("Combo1"));
    m_combo->addItems({QStringLiteral(">="), QStringLiteral("<=")});
    m_label2 = new QLabel(this);
    m_label2->setObjectName(QStringLiteral("Label2"));
    m_date = new data::DatePicker(this);
    m_date->setObjectName(QStringLiteral("ccrpDtp1"));
    m_ok = new QPushButton(this);
    m_ok->setObjectName(QStringLiteral("cmdOk"));
    m_ok->setDefault(true);
    m_cancel = new QPushButton(this);
    m_cancel->setObjectName(QStringLiteral("cmdAnn"));
    grid->addWidget(m_label1, 0, 0);
    grid->addWidget(m_combo, 0, 1);
    grid->addWidget(m_label2, 1, 0);
    grid->addWidget(m_date, 1, 1);
    grid->addWidget(m_ok, 2, 0);
    grid->addWidget(m_cancel, 2, 1);
    connect(m_ok, &QPushButton::clicked, this, &DataFilter::cmdOk_Click);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    UpdateControls();
    m_combo->setCurrentIndex(0);
}

void DataFilter::UpdateControls()
{
    setWindowTitle(GetLangString(6000));
    m_combo->setToolTip(GetLangString(6001));
    m_date->setToolTip(GetLangString(6002));
    m_cancel->setText(GetLangString(6003));
    m_ok->setText(GetLangString(6004));
    m_label2->setText(GetLangString(6005));
    m_label1->setText(GetLangString(6006));
}

// Acts only on the list window that DataFormName names, and only while it is
// open. No date: nothing happens.
void DataFilter::cmdOk_Click()
{
    const QDate day = m_date->date();
    if (!day.isValid())
        return;
    if (DataFormName == QLatin1String("frmAngolo") || DataFormName == QLatin1String("frmPrestAll"))
        if (auto *list = qobject_cast<PerformanceList *>(WindowRegistry::Find(DataFormName)))
            list->ApplyCondition(AthleteLists::DateCondition(m_combo->currentText(), day));
    accept();
}
