#pragma once
// The page view of the browser window, kept behind this small interface so
// the window's own rules (history, caption, timer, import) can be driven with
// a stand-in view, and the real one (WebEnginePane.h) stays a thin wrapper.
#include <QString>
#include <QUrl>
#include <QWidget>

#include <functional>

class WebPane : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

    virtual void navigate(const QUrl &url) = 0;
    virtual void goBack() = 0;
    virtual void goForward() = 0;
    virtual void reload() = 0;
    virtual void stop() = 0;

    // True while a page is loading.
    virtual bool busy() const = 0;
    // Title of the page shown (its address when it has none).
    virtual QString locationName() const = 0;
    // Address of the page shown.
    virtual QString locationUrl() const = 0;

signals:
    void loadStarted();
    // A navigation has ended; ok is false when the page could not be loaded.
    void loadFinished(bool ok);
    void titleChanged(const QString &title);
    void urlChanged(const QUrl &url);
};

// Creates the page view of a new browser window.
using WebPaneFactory = std::function<WebPane *(QWidget *parent)>;
