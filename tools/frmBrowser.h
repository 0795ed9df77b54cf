#pragma once
// The web import browser: a page view with an address combo that keeps the
// history of visited addresses, a toolbar, and the Import key that reads a
// races file from the address shown and stores it in the open database.
#include "core/WindowInterfaces.h"
#include "tools/WebPane.h"

#include <QWidget>

class QAction;
class QComboBox;
class QLabel;
class QToolBar;
class QTimer;

class frmBrowser : public QWidget, public BrowserInterface {
    Q_OBJECT
    Q_INTERFACES(BrowserInterface)
public:
    explicit frmBrowser(QWidget *parent = nullptr);

    // The address opened when the window is first shown; empty: none.
    QString StartingAddress;
    void setStartingAddress(const QString &address) override { StartingAddress = address; }

    WebPane *brwWebBrowser;
    QWidget *picAddress;
    QLabel *lblAddress;
    QComboBox *cboAddress;
    QToolBar *tbToolBar;
    QTimer *timTimer;

    // The toolbar button of a key ("Back", ..., "Import"), or nullptr.
    QAction *Button(const QString &key) const;
    bool NavigateSuppressed() const { return m_navigateSuppressed; }
    bool Importing() const { return m_importing; }
    // How long the import waits for a web document (30 s unless changed).
    void setImportTimeout(double seconds) { m_importTimeout = seconds; }

    // The page view new windows get (the WebEngine one unless replaced).
    // Returns the previous factory; an empty one restores the default.
    static WebPaneFactory SetWebPaneFactory(WebPaneFactory factory);

public slots:
    void UpdateControls();
    void tbToolBar_ButtonClick(const QString &key);
    void cboAddress_Click();
    void timTimer_Timer();
    void brwWebBrowser_NavigateComplete2();
    void brwWebBrowser_DownloadComplete();

    // A page wants room: the workspace sizes the new window from this.
    QSize sizeHint() const override { return QSize(780, 580); }

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Form_Load();
    void navigateTo(const QString &typed);
    void webImport();

    bool m_loaded = false;
    bool m_navigateSuppressed = false;
    bool m_importing = false;
    double m_importTimeout = 30.0;
};
