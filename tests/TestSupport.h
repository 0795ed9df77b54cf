#pragma once
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

// Pins QLocale::setDefault for a scope.
class LocaleScope {
public:
    explicit LocaleScope(const QLocale &locale) : m_old(QLocale()) { QLocale::setDefault(locale); }
    ~LocaleScope() { QLocale::setDefault(m_old); }
private:
    QLocale m_old;
};

// Folder of the test fixtures (tests/data) and of the built program folder.
QString DataDir();
QString BinDir();

}
