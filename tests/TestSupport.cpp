#include "TestSupport.h"

#include <QCoreApplication>

namespace TestSupport {

namespace {
std::shared_ptr<ScriptedPromptProvider> g_script;

class ResetListener : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo &) override { ResetScript(); }
};
}

void Install()
{
    ResetScript();
    ::testing::UnitTest::GetInstance()->listeners().Append(new ResetListener);
}

ScriptedPromptProvider &Script()
{
    if (!g_script)
        ResetScript();
    return *g_script;
}

ScriptedPromptProvider &ResetScript()
{
    g_script = std::make_shared<ScriptedPromptProvider>();
    SetPromptProvider(g_script);
    return *g_script;
}

void RunQueued()
{
    // A message is queued in two hops, behind what the view queued with it.
    for (int i = 0; i < 4; ++i)
        QCoreApplication::processEvents();
}

}
