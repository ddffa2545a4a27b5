#include "support/GermanText.h"
#include "support/TempDatabase.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

using namespace quittora;
using quittora::test::TempDatabase;

namespace {

QString s(const char* text)
{
    return QString::fromUtf8(text);
}

// Mounts a RAM disk of the given size on the folder in a mount namespace of its own
// (nothing of it is seen outside, nothing is left when it ends), fills it up
// to the given free space, runs quittora-cli with the arguments and then
// lists what is in the folder. Less free space than Qt's write buffer holds
// is how the disk ran full unnoticed: the whole file went into the buffer and
// the failed flush at commit() was not reported.
const char* const kScript = "mount -t tmpfs -o size=\"$DISK_SIZE\" tmpfs \"$DISK\" || exit 97\n"
                            "head -c \"$FILL\" /dev/zero > \"$DISK/fill\" || exit 97\n"
                            "\"$0\" \"$@\"\n"
                            "rc=$?\n"
                            "rm \"$DISK/fill\"\n"
                            "echo '@@files@@'\n"
                            "ls -A \"$DISK\"\n"
                            "echo '@@bytes@@'\n"
                            "cat \"$DISK\"/* 2>/dev/null | wc -c\n"
                            "exit $rc\n";

struct DiskRun {
    int exitCode = -1;
    QString out;
    QString err;
    QStringList files;
    qint64 bytes = 0;
};

DiskRun onDisk(const QString& folder, int sizeKiB, int freeKiB, const QStringList& args, const QString& home)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(s("DISK"), folder);
    env.insert(s("DISK_SIZE"), QString::number(sizeKiB) + s("k"));
    env.insert(s("FILL"), QString::number((sizeKiB - freeKiB) * 1024));
    env.insert(s("LC_ALL"), s("C.UTF-8"));
    env.insert(s("XDG_CONFIG_HOME"), home + s("/config"));
    env.insert(s("XDG_RUNTIME_DIR"), home);
    p.setProcessEnvironment(env);
    p.start(s("unshare"), QStringList{s("-m"), s("sh"), s("-c"), s(kScript), s(QUITTORA_CLI)} + args);
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        return {};
    }
    DiskRun r;
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    const qsizetype mark = out.lastIndexOf(s("@@files@@\n"));
    r.out = mark < 0 ? out : out.left(mark);
    if (mark >= 0) {
        const QStringList rest = out.mid(mark + 10).split(s("@@bytes@@\n"));
        r.files = rest.first().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        r.bytes = rest.size() > 1 ? rest.at(1).trimmed().toLongLong() : 0;
    }
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

} // namespace

// Each command that writes a file, with more to write than fits on a small
// disk: it fails with the true reason in German, does not say it wrote the
// file, and leaves neither the file nor a temporary copy. On a disk with room
// the same call writes it, so the data really is too much for the small one.
TEST(FullDisk, EveryOutputCommandRefusesWithoutAFileWhenTheDiskRunsFull)
{
    QTemporaryDir home;
    const QString disk = home.filePath(s("platte"));
    ASSERT_TRUE(QDir().mkpath(disk));
    if (QStandardPaths::findExecutable(s("unshare")).isEmpty())
        GTEST_SKIP() << "unshare (util-linux) is not installed";
    const DiskRun probe = onDisk(disk, 16, 16, {s("--version")}, home.path());
    if (probe.exitCode == 97 || probe.exitCode == -1 || probe.err.contains(s("unshare:")))
        GTEST_SKIP() << "a RAM disk cannot be mounted here (needs root): " << probe.err.toStdString();

    // The database stays outside the small disk. Data for outputs between 4
    // and 16 KiB (the PDF, with its fonts, is larger).
    TempDatabase t;
    ASSERT_TRUE(t.isValid()) << t.error().toStdString();
    ASSERT_TRUE(t.exec(s("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 120) "
                         "INSERT INTO Kunden (a1, a2, a3, a4, a5) SELECT 'Frau', 'Kundin Nummer ' || i, 'Anna', "
                         "'Lange Straße ' || i, '12345 Musterstadt' FROM n")));
    ASSERT_TRUE(t.exec(s("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 150) "
                         "INSERT INTO Rechnungen (a7, a8, a156, opt1, a6, a2, a5) SELECT 1000 + i, '15.03.2024', "
                         "'Rechnung', 0, '10,00', 'Kundin Nummer ' || i, '12345 Musterstadt' FROM n")));
    const qint64 document = t.addDocument(s("7"), s("01.03.2024"));
    ASSERT_TRUE(t.exec(s("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 10) "
                         "INSERT INTO Verkauf (a1, a2, a3, n1, a4, a5, a19) SELECT ?, '1', 'Stk', "
                         "'Position ' || i || ' mit einer längeren Beschreibung der Leistung', '1,00', '1,00', '19' "
                         "FROM n"),
                       {QString::number(document)}));

    const QString id = QString::number(document);
    struct Command {
        const char* name;
        QStringList args; // without the output file
        const char* outputName;
        const char* success; // what a successful run says
    };
    const std::vector<Command> commands{
        {"eml", {s("eml"), t.path(), s("--document"), id, s("--out")}, "Rechnung.eml", "E-Mail-Datei geschrieben"},
        {"pdf", {s("pdf"), t.path(), s("--document"), id, s("--out")}, "Rechnung.pdf", "PDF-Datei geschrieben"},
        {"customers-csv", {s("customers-csv"), t.path()}, "Kunden.csv", "Kunden geschrieben"},
        {"customers-txt", {s("customers-txt"), t.path()}, "Kunden.txt", "Kunden geschrieben"},
        {"overview", {s("overview"), t.path(), s("--month"), s("März"), s("--year"), s("2024"), s("--out")},
         "Plan.txt", "Summe:"},
    };
    for (const Command& c : commands) {
        SCOPED_TRACE(c.name);
        const QString target = disk + QLatin1Char('/') + s(c.outputName);
        const QStringList args = c.args + QStringList{target};

        const DiskRun roomy = onDisk(disk, 1024, 1024, args, home.path());
        EXPECT_EQ(roomy.exitCode, 0) << roomy.err.toStdString();
        EXPECT_TRUE(roomy.out.contains(s(c.success))) << roomy.out.toStdString();
        EXPECT_EQ(roomy.files, QStringList{s(c.outputName)});
        EXPECT_GT(roomy.bytes, 4096);

        const DiskRun full = onDisk(disk, 16, 4, args, home.path());
        EXPECT_NE(full.exitCode, 0) << full.out.toStdString();
        EXPECT_TRUE(full.err.contains(s("Der Datenträger ist voll."))) << full.err.toStdString();
        EXPECT_FALSE(test::looksEnglish(full.err)) << full.err.toStdString();
        EXPECT_EQ(full.files, QStringList());
        if (s(c.name) != s("overview")) // the overview prints its list before writing it
            EXPECT_FALSE(full.out.contains(s(c.success))) << full.out.toStdString();
    }
}
