#pragma once
// Feedback that asks nothing: the shared data-error message and the text of
// the status bar. Both go through one replaceable FeedbackProvider, as
// questions go through the PromptProvider (Prompt.h). The default provider
// shows a data error as a message box through the prompt layer and hands a
// status text to the status sink the main window installs; without a sink a
// status text goes nowhere.
#include "platform/error/VbError.h"

#include <QString>
#include <functional>
#include <memory>

class FeedbackProvider {
public:
    virtual ~FeedbackProvider() = default;
    // "Error <number>: <description>" with the exclamation icon.
    virtual void dataError(const VbError &error);
    // Empty text: the ready state; wait: the text is a piece of work going on.
    virtual void status(const QString &text, bool wait);
};

// The provider in use.
FeedbackProvider &Feedback();
// Installs a provider (nullptr restores the default). Returns the previous one.
std::shared_ptr<FeedbackProvider> SetFeedbackProvider(std::shared_ptr<FeedbackProvider> provider);

// Where the default provider puts status texts (the main window's message
// panel). Returns the previous sink; an empty sink drops status texts.
using StatusSink = std::function<void(const QString &text, bool wait)>;
StatusSink SetStatusSink(StatusSink sink);

// The shared message for database errors.
void ShowDataError(const VbError &error);
// The same for whatever exception is being handled (call from a catch block):
// a VbError as it is, any other std::exception as error 5 with its text.
void ShowDataError();
// The status bar's message panel: empty text shows " Ready."; with wait the
// text is shown as "<text>. Wait...".
void SetStatus(const QString &text, bool wait = false);
