#include "tools/WebEnginePane.h"

#include <QVBoxLayout>
#include <QWebEngineHistory>
#include <QWebEngineView>

WebEnginePane::WebEnginePane(QWidget *parent)
    : WebPane(parent)
    , m_view(new QWebEngineView(this))
{
    auto *l = new QVBoxLayout(this);
    l->setContentsMargins(0, 0, 0, 0);
    l->addWidget(m_view);
    // The default profile keeps nothing on disk, and download requests that
    // nobody accepts are cancelled: browsing leaves no file behind.
    connect(m_view, &QWebEngineView::loadStarted, this, [this] {
        m_loading = true;
        emit loadStarted();
    });
    connect(m_view, &QWebEngineView::loadFinished, this, [this](bool ok) {
        m_loading = false;
        emit loadFinished(ok);
    });
    connect(m_view, &QWebEngineView::titleChanged, this, &WebPane::titleChanged);
    connect(m_view, &QWebEngineView::urlChanged, this, &WebPane::urlChanged);
}

void WebEnginePane::navigate(const QUrl &url) { m_view->load(url); }
void WebEnginePane::goBack() { m_view->back(); }
void WebEnginePane::goForward() { m_view->forward(); }
void WebEnginePane::reload() { m_view->reload(); }

void WebEnginePane::stop()
{
    m_view->stop();
    m_loading = false;
}

QString WebEnginePane::locationName() const
{
    const QString title = m_view->title();
    return title.isEmpty() ? locationUrl() : title;
}

QString WebEnginePane::locationUrl() const { return m_view->url().toString(); }
