#pragma once
#include "CoreTestSupport.h"
#include "platform/ui/Prompt.h"

#include <QLocale>
#include <QString>
#include <gtest/gtest.h>
#include <memory>

namespace TestSupport {

// Installs a fresh scripted prompt provider before every test.
void Install();

// The scripted provider installed for the current test.
ScriptedPromptProvider &Script();
// Installs a new scripted provider and returns it.
ScriptedPromptProvider &ResetScript();

// Runs the calls the windows have queued: a message a grid or a field decided
// inside its own callback is shown once that callback is done.
void RunQueued();

}
