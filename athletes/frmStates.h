#pragma once
// The states list: an editable grid over the table States, with its own menu
// that imports state names from a text file.
#include <QWidget>

class QMenu;
class QMenuBar;
class QAction;
class QLabel;
class QTableView;
namespace data {
class RecordsetModel;
}

class frmStates : public QWidget {
    Q_OBJECT
public:
    explicit frmStates(QWidget *parent = nullptr);

    data::RecordsetModel *model() const { return m_model; }
    QTableView *dbGridStates() const { return m_grid; }

public slots:
    void UpdateControls();
    void mnuStates_Click();

private:
    void refresh();
    bool checkRow(QVariantList &values);

    QMenuBar *m_menuBar = nullptr;
    QMenu *mnuFileStates = nullptr;
    QAction *mnuStates = nullptr;
    QLabel *m_caption = nullptr;
    QTableView *m_grid = nullptr;
    data::RecordsetModel *m_model = nullptr;
};
