#include "app/Application.h"
#include "support/TempDatabase.h"
#include "support/TestContext.h"
#include "support/TestDatabaseFile.h"
#include "tools/UpdateCheck.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

using namespace quittora;

namespace {

const bool kNoUpdateServer = qputenv(update::kUrlVariable, QByteArray());

// "quittora DATEI.qtb": the program starts on the named database, stored as
// the absolute path (a file manager may give it relative), or, when that is
// refused, says why, touches nothing and works on with the stored one.
TEST(CommandLineFile, AQuittoraFileBecomesTheDataPathARefusedOneIsToldAndChangesNothing)
{
    ASSERT_TRUE(kNoUpdateServer);
    test::TempDatabase stored, named;
    ASSERT_TRUE(stored.isValid() && named.isValid());
    named.addCustomer(QStringLiteral("Benannt"));
    stored.db().close();
    named.db().close();
    const QString foreign = named.filePath(QStringLiteral("fremd.qtb")), damaged = named.filePath(QStringLiteral("kaputt.qtb"));
    const QString wrongName = named.filePath(QStringLiteral("Quittora.db"));
    ASSERT_TRUE(QFile::copy(named.path(), wrongName) && testfiles::writeBytes(foreign, "Kein Quittora, nur Text.\n")
                && testfiles::writeBytes(damaged, testfiles::bytesOf(named.path()).left(4096)));
    ASSERT_TRUE(QDir::setCurrent(named.folder()));
    const std::pair<QString, const char*> cases[] = {
        {QStringLiteral("Quittora.qtb"), nullptr}, {foreign, "keine Quittora-Datenbank"}, {damaged, "beschädigt"},
        {wrongName, "ist die falsche Datei, bitte suchen Sie  Quittora.qtb"},
        {named.filePath(QStringLiteral("fehlt.qtb")), "fehlt.qtb"},
    };
    for (const auto& [file, message] : cases) {
        SCOPED_TRACE(file.toStdString());
        TestContext t;
        t.settings.setValue(QStringLiteral("Datenpfad"), stored.path());
        const QByteArray before = testfiles::bytesOf(file);
        Application app(t.ctx);
        ASSERT_NE(app.start(file), nullptr);
        const QString opened = message ? stored.path() : named.path();
        EXPECT_EQ(QStringList({app.database().path(), t.state.databasePath, t.settings.value(QStringLiteral("Datenpfad"))}),
                  QStringList({opened, opened, opened}));
        ASSERT_EQ(t.prompts.count(), message ? 1 : 0);
        if (!message)
            continue;
        EXPECT_TRUE(t.prompts.last().icon == Prompts::Icon::Critical && t.prompts.last().text.contains(QString::fromUtf8(message)))
            << t.prompts.last().text.toStdString();
        EXPECT_EQ(testfiles::bytesOf(file), before);
    }
}

} // namespace
