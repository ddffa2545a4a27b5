#include "support/TempDatabase.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QSet>
#include <QTemporaryDir>

#include <memory>
#include <vector>

using quittora::test::TempDatabase;

namespace {

QString s(const char* text) { return QString::fromUtf8(text); }

// Separate programs on one database at the same moment, as a scheduled job
// beside the open program would: each unnumbered invoice must get a number of
// its own, and the next number must have moved past all of them.
TEST(NumberingRace, ConcurrentRunsNeverGiveOneNumberTwice)
{
    TempDatabase db;
    ASSERT_TRUE(db.isValid());
    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(s("XDG_CONFIG_HOME"), home.filePath(s("config")));
    env.insert(s("XDG_RUNTIME_DIR"), home.path());
    env.insert(s("LC_ALL"), s("C.UTF-8"));
    env.remove(s("QT_QPA_PLATFORM"));

    // eml and pdf both number; three at once also catches a number taken by
    // the first and the second after the third had read it.
    const QStringList commands = {s("eml"), s("pdf"), s("eml")};
    const int rounds = 8;
    QList<qint64> invoices;
    for (int round = 0; round < rounds; ++round) {
        std::vector<std::unique_ptr<QProcess>> runs;
        for (const QString& command : commands) {
            const qint64 id = db.addDocument({}, s("15.03.2024"), s("Rechnung"), false, {{s("a2"), s("Muster")}});
            db.addLine(id, s("1"), s("Arbeit"), s("10,00"), s("10,00"));
            invoices << id;
            auto p = std::make_unique<QProcess>();
            p->setProcessEnvironment(env);
            p->setProgram(s(QUITTORA_CLI));
            p->setArguments({command, db.path(), s("--document"), QString::number(id), s("--out"),
                             home.filePath(QStringLiteral("%1.%2").arg(id).arg(command))});
            runs.push_back(std::move(p));
        }
        for (auto& p : runs)
            p->start();
        for (auto& p : runs) {
            ASSERT_TRUE(p->waitForFinished(60000));
            EXPECT_EQ(p->exitCode(), 0) << p->readAllStandardError().toStdString();
        }
    }
    QSet<QString> numbers;
    for (qint64 id : invoices) {
        const QString number = db.field(s("Rechnungen"), id, s("a7")).toString();
        EXPECT_FALSE(number.isEmpty()) << id;
        EXPECT_FALSE(numbers.contains(number)) << "number given twice: " << number.toStdString();
        numbers.insert(number);
    }
    EXPECT_EQ(db.setting(s("Rechnungsnummer")).toString(), QString::number(1000 + invoices.size()));
}

} // namespace
