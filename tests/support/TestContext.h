#pragma once

#include "platform/Context.h"
#include "support/FakeClipboard.h"
#include "support/FakeLocaleInfo.h"
#include "support/FakePrompts.h"
#include "support/FakeSettingsStore.h"
#include "support/FixedClock.h"
#include "support/FakeSpecialFolders.h"
#include "support/RecordingShell.h"

namespace quittora {

// Every adapter as a test double, the program-wide state and the AppContext
// over them, ready to hand to a window or a command:
//
//     TestContext t;                 // decimal separator ','
//     t.prompts.answerMessage(Prompts::Yes);
//     SomeWindow w(t.ctx);
//
// The state starts as start-up would leave it: the decimal separator of the
// locale double and the fake private temporary folder.
struct TestContext {
    explicit TestContext(QChar decimalSeparator = QLatin1Char(','))
    {
        setDecimalSeparator(decimalSeparator);
        state.tempFolder = folders.privateTemp();
    }
    TestContext(const TestContext&) = delete;
    TestContext& operator=(const TestContext&) = delete;

    // Sets the separator in the locale double and in the program state.
    void setDecimalSeparator(QChar separator)
    {
        locale.setDecimalSeparator(separator);
        state.decimalSeparator = separator;
    }

    FakePrompts prompts;
    FakeSettingsStore settings;
    FixedClock clock;
    RecordingShell shell;
    FakeSpecialFolders folders;
    FakeLocaleInfo locale;
    FakeClipboard clipboard;
    ProgramState state;
    AppContext ctx{prompts, settings, clock, shell, folders, locale, clipboard, state};
};

} // namespace quittora
