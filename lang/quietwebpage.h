#pragma once

#include <QWebPage>

// A web page that never opens a dialog: an unseen page that calls alert(),
// confirm() or prompt(), or runs a script for too long, would otherwise stop
// everything behind a message box nobody can answer.
class QuietWebPage : public QWebPage
{
    Q_OBJECT

public:
    explicit QuietWebPage(QObject* parent = nullptr);

public slots:
    bool shouldInterruptJavaScript();

protected:
    void javaScriptAlert(QWebFrame* frame, const QString& message) override;
    bool javaScriptConfirm(QWebFrame* frame, const QString& message) override;
    bool javaScriptPrompt(QWebFrame* frame, const QString& message, const QString& defaultValue,
                          QString* result) override;
};
