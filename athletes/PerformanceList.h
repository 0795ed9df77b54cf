#pragma once
// An athlete's trainings (frmPrestAll) and climbs (frmAngolo): one read-only
// list per athlete, stepped with dataAtleta, its totals in the main window's
// status bar. Each window keeps its own list SQL (no order, filters appended)
// and statistics head, so the filter, sort, date filter, print and chart of one
// list never take the other list's or the ranking's rows. The shared ListSql is
// only told what the list last built.
#include "athletes/logic/AthleteLists.h"
#include "core/FindTarget.h"
#include "core/WindowInterfaces.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QTableView;

namespace data {
class DataControl;
class RecordsetModel;
}

class PerformanceList : public QWidget, public AthleteListInterface, public RecordCommandsInterface, public FindTarget {
    Q_OBJECT
    Q_INTERFACES(AthleteListInterface RecordCommandsInterface FindTarget)
public:
    PerformanceList(AthleteLists::Kind kind, QWidget *parent = nullptr);
    ~PerformanceList() override;

    // The main window's remove-filter: the athlete repositioned, which
    // rebuilds the plain list.
    QString currentAthlete() const override;
    bool filterActive() const override;
    void removeFilter() override;
    // What the main window's chart commands read.
    QString athleteSurname() const override;
    QString athleteFirstName() const override;
    dao::RecordsetPtr listRows() const override;

    // The find dialog moves the list to an athlete of dataAtleta.
    data::DataControl *findDataControl() const override { return m_athletes; }

    AthleteLists::Kind kind() const { return m_kind; }
    data::DataControl *dataAtleta() const { return m_athletes; }
    data::DataControl *Data2() const { return m_data2; }
    QTableView *grid() const { return m_grid; }
    data::RecordsetModel *model() const { return m_model; }
    int athleteCount() const { return m_count; }

    // The main window's commands on the current grid cell or athlete field.
    // False when the focus is elsewhere or the refresh failed (nothing changed).
    bool Filter() override;
    bool Sort(bool ascending) override;
    // Appends a condition (date filter) and refreshes; false leaves all as it was.
    bool ApplyCondition(const QString &condition);
    void ShowStats();
    // The SQL of the plain or filtered list (no order) and its statistics head.
    const QString &listSql() const { return m_listSql; }
    const QString &statsHead() const { return m_statsHead; }

    Q_INVOKABLE void MyPrint();
    Q_INVOKABLE void UpdateControls();

    // The size the window opens at: room for the grid's columns.
    QSize sizeHint() const override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // PageUp, PageDown, Home and End move between the athletes while there is
    // more than one; the key still reaches the focused control.
    void navigate(int key);
    void athleteChanged();
    bool showSource(const QString &source);
    void headClick(int column);
    void closeChart();
    // The athlete count after the position, in the current language.
    void ShowCount();

    const AthleteLists::Kind m_kind;
    data::DataControl *m_athletes = nullptr;
    data::DataControl *m_data2 = nullptr;
    data::RecordsetModel *m_model = nullptr;
    QTableView *m_grid = nullptr;
    QLineEdit *m_fields[3] = {};
    QLabel *m_labels[3] = {};
    QLabel *m_label1 = nullptr;
    QLabel *m_numero = nullptr;
    QString m_listSql;
    QString m_statsHead;
    bool m_filtered = false;
    int m_count = 0;
    Qt::KeyboardModifiers m_mods;
    bool m_unloaded = false;
};

class frmPrestAll : public PerformanceList {
    Q_OBJECT
public:
    explicit frmPrestAll(QWidget *parent = nullptr) : PerformanceList(AthleteLists::Kind::Trainings, parent) {}
};

class frmAngolo : public PerformanceList {
    Q_OBJECT
public:
    explicit frmAngolo(QWidget *parent = nullptr) : PerformanceList(AthleteLists::Kind::Climbs, parent) {}
};
