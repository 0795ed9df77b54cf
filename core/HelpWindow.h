#pragma once
// The help viewer: the program's help pages (HTML files of the help folder
// beside the program) with a contents list, a search and the page itself.
#include <QDialog>
#include <QList>
#include <QString>

class QLineEdit;
class QListWidget;
class QTabWidget;
class QTextBrowser;

// One help page: file name and title (from its <title>).
struct HelpPage {
    QString file;
    QString title;
};
// The pages of a help folder in contents order (file name order).
QList<HelpPage> HelpPages(const QString &folder);
// The pages whose text holds every word of the query, without regard to case.
QList<HelpPage> SearchHelp(const QString &folder, const QString &query);

class HelpWindow : public QDialog {
    Q_OBJECT
public:
    // Shows the page on the toolbars and commands.
    static constexpr int QuickHelpCommand = -1;

    explicit HelpWindow(const QString &folder, QWidget *parent = nullptr);

    // Help commands: 3 contents, 0x105 search (keyword prefilled), QuickHelpCommand.
    void Run(int command, const QString &keyword);
    void ShowPage(const QString &file);
    QString CurrentPage() const { return m_current; }

private:
    void RunSearch();

    QString m_folder;
    QString m_current;
    QTabWidget *m_tabs;
    QListWidget *m_contents;
    QLineEdit *m_query;
    QListWidget *m_results;
    QTextBrowser *m_browser;
};
