#include "core/HelpWindow.h"

#include "core/LangClient.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QSplitter>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTextDocument>
#include <QUrl>
#include <QVBoxLayout>

namespace {
QString ReadPage(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll());
}

QString PlainText(const QString &html)
{
    QTextDocument doc;
    doc.setHtml(html);
    return doc.toPlainText();
}
}

QList<HelpPage> HelpPages(const QString &folder)
{
    const QDir dir(folder);
    static const QRegularExpression titleRe(QStringLiteral("<title>(.*?)</title>"),
                                            QRegularExpression::CaseInsensitiveOption |
                                                QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression linkRe(QStringLiteral("href=\"([^\"#:]+\\.html)\""));
    // Contents order: the start page, the pages in the order it links them, then the rest.
    QStringList files = dir.entryList({QStringLiteral("*.html")}, QDir::Files, QDir::Name);
    QStringList order;
    if (files.contains(QStringLiteral("index.html")))
        order << QStringLiteral("index.html");
    auto links = linkRe.globalMatch(ReadPage(dir.filePath(QStringLiteral("index.html"))));
    while (links.hasNext()) {
        const QString file = links.next().captured(1);
        if (files.contains(file) && !order.contains(file))
            order << file;
    }
    for (const QString &file : files)
        if (!order.contains(file))
            order << file;
    QList<HelpPage> pages;
    for (const QString &file : order) {
        const QRegularExpressionMatch m = titleRe.match(ReadPage(dir.filePath(file)));
        pages.append({file, m.hasMatch() ? m.captured(1).trimmed() : file});
    }
    return pages;
}

QList<HelpPage> SearchHelp(const QString &folder, const QString &query)
{
    const QStringList words = query.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    QList<HelpPage> found;
    if (words.isEmpty())
        return found;
    const QDir dir(folder);
    for (const HelpPage &page : HelpPages(folder)) {
        const QString text = PlainText(ReadPage(dir.filePath(page.file)));
        bool all = true;
        for (const QString &w : words)
            all = all && text.contains(w, Qt::CaseInsensitive);
        if (all)
            found.append(page);
    }
    return found;
}

HelpWindow::HelpWindow(const QString &folder, QWidget *parent) : QDialog(parent), m_folder(folder)
{
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(GetLangString(156));
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);
    setModal(false);

    m_tabs = new QTabWidget(this);
    m_contents = new QListWidget(m_tabs);
    m_contents->setObjectName(QStringLiteral("lstContents"));
    for (const HelpPage &page : HelpPages(folder)) {
        auto *item = new QListWidgetItem(page.title, m_contents);
        item->setData(Qt::UserRole, page.file);
    }
    m_tabs->addTab(m_contents, GetLangString(156));

    auto *searchPane = new QWidget(m_tabs);
    m_query = new QLineEdit(searchPane);
    m_query->setObjectName(QStringLiteral("txtSearch"));
    m_query->setClearButtonEnabled(true);
    auto *go = new QPushButton(GetLangString(157), searchPane);
    m_results = new QListWidget(searchPane);
    m_results->setObjectName(QStringLiteral("lstResults"));
    auto *row = new QHBoxLayout;
    row->addWidget(m_query);
    row->addWidget(go);
    auto *searchLayout = new QVBoxLayout(searchPane);
    searchLayout->setContentsMargins(4, 4, 4, 4);
    searchLayout->addLayout(row);
    searchLayout->addWidget(m_results);
    m_tabs->addTab(searchPane, GetLangString(157));

    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(QStringLiteral("txtPage"));
    m_browser->setSearchPaths({folder});
    m_browser->setOpenExternalLinks(true);

    auto *splitter = new QSplitter(this);
    splitter->addWidget(m_tabs);
    splitter->addWidget(m_browser);
    splitter->setStretchFactor(1, 3);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(splitter);
    // The contents pane as wide as its longest title, without a scroll bar.
    const int contentsWidth = qMax(230, m_contents->sizeHintForColumn(0) + 2 * m_contents->frameWidth() + 24);
    resize(contentsWidth + 620, 560);
    splitter->setSizes({contentsWidth, 590});

    auto open = [this](QListWidgetItem *item) {
        if (item)
            ShowPage(item->data(Qt::UserRole).toString());
    };
    connect(m_contents, &QListWidget::itemActivated, this, open);
    connect(m_contents, &QListWidget::itemClicked, this, open);
    connect(m_results, &QListWidget::itemActivated, this, open);
    connect(m_results, &QListWidget::itemClicked, this, open);
    connect(m_query, &QLineEdit::returnPressed, this, &HelpWindow::RunSearch);
    connect(go, &QPushButton::clicked, this, &HelpWindow::RunSearch);
    connect(m_browser, &QTextBrowser::sourceChanged, this,
            [this](const QUrl &url) { m_current = QFileInfo(url.toLocalFile()).fileName(); });
}

void HelpWindow::ShowPage(const QString &file)
{
    m_browser->setSource(QUrl::fromLocalFile(QDir(m_folder).filePath(file)));
    m_current = file;
}

void HelpWindow::RunSearch()
{
    m_results->clear();
    for (const HelpPage &page : SearchHelp(m_folder, m_query->text())) {
        auto *item = new QListWidgetItem(page.title, m_results);
        item->setData(Qt::UserRole, page.file);
    }
    if (m_results->count() > 0) {
        m_results->setCurrentRow(0);
        ShowPage(m_results->item(0)->data(Qt::UserRole).toString());
    }
}

void HelpWindow::Run(int command, const QString &keyword)
{
    if (command == 0x105) {
        m_tabs->setCurrentIndex(1);
        m_query->setText(keyword);
        if (!keyword.isEmpty())
            RunSearch();
        if (m_current.isEmpty())
            ShowPage(QStringLiteral("index.html"));
        m_query->setFocus();
    } else if (command == QuickHelpCommand) {
        m_tabs->setCurrentIndex(0);
        ShowPage(QStringLiteral("quick.html"));
    } else {
        m_tabs->setCurrentIndex(0);
        ShowPage(QStringLiteral("index.html"));
    }
    show();
    raise();
    activateWindow();
}
