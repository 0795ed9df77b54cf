#pragma once
// Real message boxes for the span of one test, closed as a user closes them:
// a key (Enter, Escape, Space) sent to the widget that has the focus inside
// the box, or a mouse click on its default button. The box's own modal loop
// runs, with everything Qt does in it (deferred deletes, focus changes), which
// the scripted prompts never run.
#include "platform/ui/Prompt.h"

#include <QStringList>
#include <QTimer>
#include <functional>
#include <memory>

namespace TestSupport {

enum class CloseBy { Enter, Escape, Space, Click };
const char *CloseByName(CloseBy how);
inline constexpr CloseBy AllCloseBy[] = {CloseBy::Enter, CloseBy::Escape, CloseBy::Space, CloseBy::Click};

class RealMessageBoxes {
public:
    explicit RealMessageBoxes(CloseBy how = CloseBy::Enter);
    ~RealMessageBoxes();
    RealMessageBoxes(const RealMessageBoxes &) = delete;
    RealMessageBoxes &operator=(const RealMessageBoxes &) = delete;

    // Texts of the boxes shown so far, in order.
    QStringList texts;
    // Called as each box is found on screen, before it is closed: what the
    // user sees behind the box (the grid already back on a refused row).
    std::function<void()> onShown;

private:
    void closeOpenBox();

    CloseBy m_how;
    std::shared_ptr<PromptProvider> m_old;
    QTimer m_timer;
};

// Lets queued calls, timers and deferred deletes run for a while.
void Pump(int milliseconds = 150);

}
