// Messages decided inside a view's callback: told once each, after the
// callback, in the order they came; the same refusal seen again is dropped.
#include "TestSupport.h"
#include "platform/ui/DeferredMessage.h"

#include <QCoreApplication>

namespace {

// One step of a case: tell a message (its key, "" for an unnamed one), while
// the message named in during is on screen when given.
struct Step {
    const char *key;
    const char *during = nullptr;
};

struct Case {
    const char *name;
    std::vector<Step> steps;
    bool atOnce;                 // shown by showWaiting, not by the event loop
    QStringList shown;
};

}

TEST(DeferredMessageTest, EachRefusalIsToldOnceInOrder)
{
    const Case cases[] = {
        {"unnamed: a second one is dropped", {{""}, {""}}, false, {"#1"}},
        {"named: the same one is dropped, another follows", {{"a"}, {"a"}, {"b"}, {"b"}}, false, {"a", "b"}},
        {"named, told while the first is on screen", {{"a"}, {"a", "a"}, {"b", "a"}}, false, {"a", "b"}},
        {"named, shown at once by a closing window", {{"a"}, {"b"}}, true, {"a", "b"}},
        {"unnamed after a named one is dropped", {{"a"}, {""}}, false, {"a"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QObject owner;
        auto *teller = new DeferredMessage(&owner);
        QStringList shown;
        int unnamed = 0;
        // Steps told while a given message is on screen run from inside its box.
        std::function<void(const QString &)> show;
        auto tellStep = [&](const Step &s) {
            const QString key = QLatin1String(s.key);
            const QString label = key.isEmpty() ? QStringLiteral("#%1").arg(++unnamed) : key;
            if (key.isEmpty())
                teller->tell([&, label] { show(label); });
            else
                teller->tell(key, [&, label] { show(label); });
        };
        std::vector<const Step *> later;
        show = [&](const QString &label) {
            shown << label;
            EXPECT_TRUE(teller->busy());
            for (const Step *s : later)
                if (QLatin1String(s->during) == label)
                    tellStep(*s);
        };
        for (const Step &s : c.steps) {
            if (s.during)
                later.push_back(&s);
            else
                tellStep(s);
        }
        EXPECT_TRUE(shown.isEmpty()) << "nothing is shown from inside the callback";
        if (c.atOnce)
            teller->showWaiting();
        else
            TestSupport::RunQueued();
        EXPECT_EQ(shown, c.shown);
        EXPECT_FALSE(teller->busy());
        TestSupport::RunQueued();
        EXPECT_EQ(shown, c.shown) << "nothing is told twice";
    }
}
