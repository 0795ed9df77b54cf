#pragma once
// The states list: an editable grid over the table States, with its own menu
// that imports state names from a text file. As a bound grid does, it writes a
// row when the grid leaves it or the window closes (a refused row keeps the
// grid on it), gives up a row's edits on Esc and deletes the rows selected by
// their row headers on Delete.
#include <QVariant>
#include <QWidget>

class QMenu;
class QMenuBar;
class QAction;
class QLabel;
class QTableView;
class DeferredMessage;
class VbError;
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

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void refresh();
    bool checkRow(QVariantList &values);
    bool refuse(const VbError &error, const QVariantList &values);
    void commitPending();
    void deleteSelectedRows();

    QMenuBar *m_menuBar = nullptr;
    QMenu *mnuFileStates = nullptr;
    QAction *mnuStates = nullptr;
    QLabel *m_caption = nullptr;
    QTableView *m_grid = nullptr;
    data::RecordsetModel *m_model = nullptr;
    // The row last refused and what it held then: told once, it is not told
    // again while it stays as it was.
    int m_toldRow = -1;
    QVariant m_toldValue;
    DeferredMessage *m_teller = nullptr;
};
