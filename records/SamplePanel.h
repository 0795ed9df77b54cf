#pragma once
// The altitude-sample panel of the climbs and routes windows (Picture1): the
// grid DBGrid1 over the samples of one card (Data2), the sample counter Label9,
// the profile button cmdShowAlti and the close button cmdpct1Close.
//
// The grid writes a typed row when the cursor leaves it; the card saves the
// pending row through commitPending() before anything else takes the panel
// away (a move to another card, closing the panel or the window, the profile).
#include <QFrame>
#include <QString>
#include <QVariant>

class DeferredMessage;
class QKeyEvent;
class QLabel;
class QPushButton;
class QTableView;

namespace data {
class DataControl;
class RecordsetModel;
class RowCommitOnLeave;
}

class SamplePanel : public QFrame {
    Q_OBJECT
public:
    struct Setup {
        QString samplesTable;     // CampioniSalite / CampioniPercorsi
        int duplicate = 0;        // message texts
        int emptyDistance = 0;
        int emptyHeight = 0;
        int deleteQuestion = 0;   // asked before a stored row is deleted
        int outOfRange = 0;       // "Field %1 takes a whole number from %2 to %3."
    };
    SamplePanel(const Setup &setup, QWidget *parent = nullptr);
    // Closes a cell editor still open and takes the grid's rules off the
    // model, so nothing the grid does while it is taken apart reaches them.
    ~SamplePanel() override;

    // Shows the samples of the named card, in distance order. Throws VbError.
    void load(const QString &cardName);
    // The card whose samples are shown.
    QString cardName() const { return m_cardName; }
    // Writes a typed row that is still pending. True when nothing is left
    // pending; false when the row or the open editor's text was refused, a
    // refusal is still waiting to be told, or the database failed: the grid
    // then has the keyboard again. A refusal is told once the caller's event
    // has been handled (Later: a move asked for by a key in the grid's
    // editor), or before returning (Now: a button or the window closing,
    // after which the panel may be gone).
    enum class Tell { Later, Now };
    bool commitPending(Tell when = Tell::Later);
    int SampleTotal() const { return m_sampleTotal; }

    data::RecordsetModel *model() const { return m_model; }
    data::DataControl *Data2() const { return m_data2; }
    QTableView *grid() const { return m_grid; }
    QPushButton *cmdShowAlti() const { return m_show; }
    QPushButton *cmdpct1Close() const { return m_close; }

    void setColumnCaption(int column, const QString &caption);
    // Column widths, keyed by the captions in the current language.
    void restoreWidths(const QString &section);
    void saveWidths(const QString &section) const;

    // A key in the grid or its cell editor, before the control sees it; true
    // when the panel acted on it.
    bool gridKey(QWidget *target, QKeyEvent *key);
    bool inGrid(const QWidget *w) const;
    // The width the panel needs to show every column whole.
    int neededWidth() const;
    // The height that shows ten rows.
    int neededHeight() const;

signals:
    void profileRequested();
    void closeRequested();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void pickIcon(const QModelIndex &cell);
    void tell(const QString &text);
    void showCount();
    void reloadAt(const QString &card, const QVariant &distance);

    Setup m_setup;
    QString m_cardName;
    int m_sampleTotal = 0;
    QVariant m_written;   // distance of the row being written
    data::RowCommitOnLeave *m_rowWriter = nullptr;   // child of the grid
    DeferredMessage *m_teller = nullptr;   // the grid's refusals, told once the view is done
    QLabel *m_caption = nullptr;
    QLabel *m_count = nullptr;
    QTableView *m_grid = nullptr;
    data::RecordsetModel *m_model = nullptr;
    data::DataControl *m_data2 = nullptr;
    QPushButton *m_show = nullptr;
    QPushButton *m_close = nullptr;
};
