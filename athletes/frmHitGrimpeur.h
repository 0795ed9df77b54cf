#pragma once
// The best-climber ranking: steps through the climbs with Data1 and shows, for
// the climb shown, each athlete's best-time row (or rows, when tied) from the
// climbs summary, fastest first. Nothing is edited here.
#include "core/FindTarget.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QTableView;

namespace data {
class DataControl;
class RecordsetModel;
}

class frmHitGrimpeur : public QWidget, public FindTarget {
    Q_OBJECT
    Q_INTERFACES(FindTarget)
public:
    explicit frmHitGrimpeur(QWidget *parent = nullptr);
    ~frmHitGrimpeur() override;

    // The find dialog moves the ranking to a climb of Data1.
    data::DataControl *findDataControl() const override { return m_data1; }

    data::DataControl *Data1() const { return m_data1; }
    data::DataControl *Data2() const { return m_data2; }
    QTableView *DBGrid1() const { return m_grid; }
    data::RecordsetModel *model() const { return m_model; }
    // The grid's caption: the name of the climb ranked.
    QString gridCaption() const;
    int climbCount() const { return m_count; }

    Q_INVOKABLE void MyPrint();
    Q_INVOKABLE void UpdateControls();

    // Room for the nine columns of a ranking.
    QSize sizeHint() const override { return QSize(900, 400); }

private:
    // PageUp, PageDown, Home and End move between the records while there
    // is more than one; the key still reaches the focused control.
    void navigate(int key);
    void Data1_Reposition();

    data::DataControl *m_data1 = nullptr;
    data::DataControl *m_data2 = nullptr;
    data::RecordsetModel *m_model = nullptr;
    QTableView *m_grid = nullptr;
    QLabel *m_caption = nullptr;
    QLineEdit *m_txtFields = nullptr;
    QLabel *m_label1 = nullptr;
    QLabel *m_numero = nullptr;
    int m_count = 0;
};
