#include "app/Application.h"
#include "support/TempDatabase.h"
#include "support/TestContext.h"
#include "tools/UpdateCheck.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

using namespace quittora;

namespace {

const bool kNoUpdateServer = qputenv(update::kUrlVariable, QByteArray());
const QString kDatenpfad = QStringLiteral("Datenpfad");

// "quittora DATEI.qtb": the program starts on the named database, or, when
// that is refused, says why and works on with the stored one.
class CommandLineFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(kNoUpdateServer);
        ASSERT_TRUE(stored.isValid() && named.isValid());
        named.addCustomer(QStringLiteral("Benannt"));
        stored.db().close();
        named.db().close();
        t.settings.setValue(kDatenpfad, stored.path());
    }
    TestContext t;
    test::TempDatabase stored;
    test::TempDatabase named;
};

TEST_F(CommandLineFile, AQuittoraFileIsOpenedAndBecomesTheDataPath)
{
    // Given relative, as a file manager may: stored as the absolute path.
    ASSERT_TRUE(QDir::setCurrent(named.folder()));
    Application app(t.ctx);
    ASSERT_NE(app.start(QStringLiteral("Quittora.qtb")), nullptr);
    EXPECT_EQ(app.database().path(), named.path());
    EXPECT_EQ(t.state.databasePath, named.path());
    EXPECT_EQ(t.settings.value(kDatenpfad), named.path());
    EXPECT_EQ(t.prompts.count(), 0);
}

TEST_F(CommandLineFile, ARefusedFileIsToldAndChangesNothing)
{
    const QString foreign = named.filePath(QStringLiteral("fremd.qtb"));
    const QString damaged = named.filePath(QStringLiteral("kaputt.qtb"));
    const QString wrongName = named.filePath(QStringLiteral("Quittora.db"));
    QFile::copy(named.path(), wrongName);
    {
        QFile f(damaged);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(test::TempDatabase::readFile(named.path()).left(4096));
    }
    {
        QFile f(foreign);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("Kein Quittora, nur Text.\n");
    }
    const struct {
        QString file;
        QString message;
    } cases[] = {
        {foreign, QStringLiteral("keine Quittora-Datenbank")},
        {damaged, QStringLiteral("beschädigt")},
        {wrongName, QStringLiteral("ist die falsche Datei, bitte suchen Sie  Quittora.qtb")},
        {named.filePath(QStringLiteral("fehlt.qtb")), QStringLiteral("fehlt.qtb")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        TestContext ctx;
        ctx.settings.setValue(kDatenpfad, stored.path());
        const QByteArray before = QFile::exists(c.file) ? test::TempDatabase::readFile(c.file) : QByteArray();
        Application app(ctx.ctx);
        ASSERT_NE(app.start(c.file), nullptr);
        ASSERT_EQ(ctx.prompts.count(), 1);
        EXPECT_EQ(ctx.prompts.last().title, QStringLiteral("Fehler"));
        EXPECT_EQ(ctx.prompts.last().icon, Prompts::Icon::Critical);
        EXPECT_TRUE(ctx.prompts.last().text.contains(c.message)) << ctx.prompts.last().text.toStdString();
        EXPECT_EQ(app.database().path(), stored.path());
        EXPECT_EQ(ctx.settings.value(kDatenpfad), stored.path());
        EXPECT_EQ(QFile::exists(c.file) ? test::TempDatabase::readFile(c.file) : QByteArray(), before);
    }
}

} // namespace
