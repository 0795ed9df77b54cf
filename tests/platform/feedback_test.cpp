// Data errors and status texts go through one replaceable provider.
#include "TestSupport.h"
#include "platform/ui/Feedback.h"

#include <stdexcept>

namespace {
struct Recorder : FeedbackProvider {
    QStringList seen;
    void dataError(const VbError &e) override { seen << QStringLiteral("error %1 %2").arg(e.Number()).arg(e.Description()); }
    void status(const QString &text, bool wait) override { seen << QStringLiteral("status %1 %2").arg(text).arg(wait); }
};

// Restores the default provider and no sink, whatever the test did.
struct FeedbackTest : ::testing::Test {
    void TearDown() override
    {
        SetFeedbackProvider(nullptr);
        SetStatusSink(nullptr);
    }
};
}

TEST_F(FeedbackTest, TheDefaultShowsDataErrorsAsAMessageAndStatusThroughTheSink)
{
    QStringList sunk;
    SetStatusSink([&](const QString &text, bool wait) { sunk << text + (wait ? "+" : "-"); });
    ShowDataError(VbError(3022, "duplicate"));
    SetStatus("Opening", true);
    SetStatus(QString());

    ASSERT_EQ(TestSupport::Script().messages(), QStringList{"Error 3022: duplicate"});
    EXPECT_EQ(TestSupport::Script().shown.front().style, 48);
    EXPECT_EQ(sunk, (QStringList{"Opening+", "-"}));

    // Without a sink a status text goes nowhere, and nothing is asked.
    SetStatusSink(nullptr);
    SetStatus("lost");
    EXPECT_EQ(TestSupport::Script().shown.size(), 1u);
}

TEST_F(FeedbackTest, AnInstalledProviderTakesEverythingAndTheCurrentExceptionIsNamed)
{
    auto recorder = std::make_shared<Recorder>();
    SetFeedbackProvider(recorder);
    SetStatus("work", true);
    try {
        throw VbError(53, "File not found");
    } catch (...) {
        ShowDataError();
    }
    try {
        throw std::runtime_error("bad thing");
    } catch (...) {
        ShowDataError();
    }
    ShowDataError();   // outside a catch block: nothing to tell

    EXPECT_EQ(recorder->seen, (QStringList{"status work 1", "error 53 File not found", "error 5 bad thing"}));
    EXPECT_TRUE(TestSupport::Script().shown.empty());
}
