#pragma once
// The browser window's page view on Qt WebEngine.
#include "tools/WebPane.h"

class QWebEngineView;

class WebEnginePane : public WebPane {
    Q_OBJECT
public:
    explicit WebEnginePane(QWidget *parent = nullptr);

    void navigate(const QUrl &url) override;
    void goBack() override;
    void goForward() override;
    void reload() override;
    void stop() override;
    bool busy() const override { return m_loading; }
    QString locationName() const override;
    QString locationUrl() const override;

    QWebEngineView *view() const { return m_view; }

private:
    QWebEngineView *m_view;
    bool m_loading = false;
};
