#pragma once
// The per-athlete summary: one athlete at a time, the totals and extremes of
// his climbs and trainings from the stored totals query. Nothing is edited;
// the athletes can be sorted by the figure whose box has the focus, found and
// printed as a card.
#include "athletes/logic/SummaryPrint.h"
#include "core/FindTarget.h"
#include "core/WindowInterfaces.h"

#include <QWidget>

class QLabel;
class QLineEdit;

namespace data {
class DataControl;
}

class frmRiepilogo : public QWidget, public RecordCommandsInterface, public FindTarget {
    Q_OBJECT
    Q_INTERFACES(RecordCommandsInterface FindTarget)
public:
    explicit frmRiepilogo(QWidget *parent = nullptr);
    ~frmRiepilogo() override;

    data::DataControl *dataAtleta() const { return m_data; }
    // The find dialog moves the summary to an athlete of dataAtleta.
    data::DataControl *findDataControl() const override { return m_data; }
    QLineEdit *txtfields(int i) const { return m_fields[i]; }
    int athleteCount() const { return m_count; }
    // The figures as the boxes show them.
    SummaryPrint::Figures figures() const;

    // The main window's sort: the athletes ordered by the figure whose box has
    // the focus, the window then on the first of them. No filter here.
    bool Sort(bool ascending) override;
    bool Filter() override { return false; }

    Q_INVOKABLE void MyPrint();
    Q_INVOKABLE void UpdateControls();

private:
    // PageUp, PageDown, Home and End move between the records while there
    // is more than one; the key still reaches the focused control.
    void navigate(int key);
    void dataAtleta_Reposition();
    QString source() const;

    data::DataControl *m_data = nullptr;
    QLineEdit *m_fields[20] = {};
    QLabel *m_labels[20] = {};
    QLabel *m_headings[3] = {};
    QLabel *m_label2 = nullptr;
    QLabel *m_label3 = nullptr;
    QLabel *m_numero = nullptr;
    int m_count = 0;
};
