#include "platform/ui/Feedback.h"

#include "platform/ui/Prompt.h"

#include <exception>

namespace {
std::shared_ptr<FeedbackProvider> g_provider;
StatusSink g_sink;
}

void FeedbackProvider::dataError(const VbError &error)
{
    MsgBox(QStringLiteral("Error ") + QString::number(error.Number()) + QStringLiteral(": ") + error.Description(),
           Vb::Exclamation);
}

void FeedbackProvider::status(const QString &text, bool wait)
{
    if (g_sink)
        g_sink(text, wait);
}

FeedbackProvider &Feedback()
{
    if (!g_provider)
        g_provider = std::make_shared<FeedbackProvider>();
    return *g_provider;
}

std::shared_ptr<FeedbackProvider> SetFeedbackProvider(std::shared_ptr<FeedbackProvider> provider)
{
    std::shared_ptr<FeedbackProvider> previous = std::move(g_provider);
    g_provider = std::move(provider);
    return previous;
}

StatusSink SetStatusSink(StatusSink sink)
{
    StatusSink previous = std::move(g_sink);
    g_sink = std::move(sink);
    return previous;
}

void ShowDataError(const VbError &error) { Feedback().dataError(error); }

void ShowDataError()
{
    const std::exception_ptr current = std::current_exception();
    if (!current)
        return;
    try {
        std::rethrow_exception(current);
    } catch (const VbError &e) {
        ShowDataError(e);
    } catch (const std::exception &e) {
        ShowDataError(VbError(VbErr::InvalidProcedureCall, QString::fromLocal8Bit(e.what())));
    } catch (...) {
        ShowDataError(VbError(VbErr::InvalidProcedureCall, QStringLiteral("Invalid procedure call or argument")));
    }
}

void SetStatus(const QString &text, bool wait) { Feedback().status(text, wait); }
