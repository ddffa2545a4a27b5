// Printing through the system's printing service: a CUPS scheduler of the
// test's own with PDF queues (cups-pdf), reached the way every program
// reaches CUPS, through CUPS_SERVER.

#include "support/CliRunner.h"
#include "support/MainWindowFixture.h"
#include "support/ModalHelper.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <unistd.h>

using namespace quittora;

namespace {

QString u(const char* s) { return QString::fromUtf8(s); }

bool writeFile(const QString& path, const QString& text)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(text.toUtf8()) >= 0 && f.flush();
}

// A program's exit code 0 and its merged output.
std::pair<bool, QString> run(const QString& program, const QStringList& args)
{
    const test::CliRun r = test::runProgram(program, args, {}, {}, 30000);
    return {r.exitCode == 0, r.out + r.err};
}

// cupsd with its own configuration folder, spool and socket in a temporary
// folder. Each queue is a cups-pdf instance writing into a folder of its own.
// cups-pdf reads an instance's settings only from its system folder, so the
// instance file lies there while the scheduler runs and goes with it.
class PrivateCups {
public:
    ~PrivateCups()
    {
        if (m_cupsd.state() != QProcess::NotRunning) {
            m_cupsd.terminate();
            if (!m_cupsd.waitForFinished(5000))
                m_cupsd.kill();
            m_cupsd.waitForFinished(2000);
        }
        for (const QString& f : std::as_const(m_instanceFiles))
            QFile::remove(f);
    }

    // Empty when running, else why not.
    QString start()
    {
        // Filters run as the user lp and must reach the spool.
        QFile::setPermissions(m_dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup
                                                | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
        const QDir dir(m_dir.path());
        for (const char* sub : {"conf", "spool", "cache", "state", "log", "cups-pdf-spool"})
            if (!dir.mkpath(QString::fromLatin1(sub)))
                return u("Ordner für cupsd nicht angelegt");
        const QString socket = dir.filePath(u("cups.sock")), conf = dir.filePath(u("conf/cupsd.conf")),
                      files = dir.filePath(u("conf/cups-files.conf"));
        if (!writeFile(conf, u("Listen %1\nLogLevel warn\nBrowsing No\nWebInterface No\nDefaultAuthType None\n<Location />\n"
                               "Order allow,deny\nAllow all\n</Location>\n<Policy default>\n<Limit All>\nOrder deny,allow\n"
                               "Allow all\n</Limit>\n</Policy>\n").arg(socket))
            || !writeFile(files, u("ServerRoot %1/conf\nRequestRoot %1/spool\nTempDir %1/spool\nCacheDir %1/cache\n"
                                   "StateDir %1/state\nAccessLog %1/log/access_log\nErrorLog %1/log/error_log\n"
                                   "PageLog %1/log/page_log\nPrintcap %1/printcap\n").arg(m_dir.path())))
            return u("Konfiguration für cupsd nicht geschrieben");
        m_cupsd.setProcessChannelMode(QProcess::MergedChannels);
        m_cupsd.start(u("/usr/sbin/cupsd"), {u("-f"), u("-c"), conf, u("-s"), files});
        if (!m_cupsd.waitForStarted(5000))
            return u("cupsd startet nicht: ") + m_cupsd.errorString();
        qputenv("CUPS_SERVER", socket.toLocal8Bit());
        if (!QTest::qWaitFor([&] { return run(u("lpstat"), {u("-r")}).second.contains(u("is running")); }, 15000))
            return u("cupsd antwortet nicht: ") + log();
        return {};
    }

    // A PDF queue whose files land in a folder of its own; empty when added.
    QString addPdfQueue(const QString& name)
    {
        const QString instance = u("quittora-test-%1-%2").arg(::getpid()).arg(name.toLower());
        const QString instanceFile = u("/etc/cups/cups-pdf-%1.conf").arg(instance);
        m_instanceFiles << instanceFile;
        if (!QDir().mkpath(pdfFolder(name))
            || !writeFile(instanceFile, u("Out %1\nSpool %2\nLog %3\nLabel 1\n")
                                            .arg(pdfFolder(name), m_dir.filePath(u("cups-pdf-spool")), m_dir.filePath(u("log")))))
            return u("Queue %1 nicht angelegt").arg(name);
        // Ghostscript's conversion to PostScript loses the text's Unicode
        // mapping; cairo's keeps the page readable.
        const auto [ok, out] = run(u("/usr/sbin/lpadmin"), {u("-p"), name, u("-E"), u("-v"), u("cups-pdf:/") + instance, u("-P"),
                                                           u("/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd"), u("-o"),
                                                           u("pdftops-renderer-default=pdftocairo")});
        return ok ? QString() : u("lpadmin: ") + out;
    }
    QString pdfFolder(const QString& name) const { return m_dir.filePath(u("out-") + name); }
    QStringList pdfs(const QString& name) const
    {
        QStringList files = QDir(pdfFolder(name)).entryList({u("*.pdf")}, QDir::Files, QDir::Name);
        return files.replaceInStrings(QRegularExpression(u("^")), pdfFolder(name) + u("/"));
    }
    // Waits until the queues are idle and `count` PDF files are there.
    bool waitForPdfs(const QString& name, int count)
    {
        return QTest::qWaitFor(
            [&] { return pdfs(name).size() >= count && run(u("lpstat"), {u("-o")}).second.trimmed().isEmpty(); }, 90000);
    }
    QString log() const
    {
        QFile f(m_dir.filePath(u("log/error_log")));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll().right(3000)) : QString();
    }

private:
    QTemporaryDir m_dir{QDir::tempPath() + u("/quittora-cups-XXXXXX")};
    QProcess m_cupsd;
    QStringList m_instanceFiles;
};

// The words each printed PDF must hold; what is missing, with the page text.
QString missingWords(const QStringList& pdfs, const QStringList& words, const QString& absent)
{
    QString missing;
    for (const QString& pdf : pdfs) {
        const auto [ok, text] = run(u("pdftotext"), {u("-layout"), pdf, u("-")});
        for (const QString& word : words)
            if (!ok || !text.contains(word))
                missing += word + u(" fehlt in ") + pdf + u(":\n") + text;
        if (text.contains(absent))
            missing += absent + u(" steht in ") + pdf;
    }
    return missing;
}

class CupsPrint : public test::MainWindowTest {
protected:
    CupsPrint() { recordingPrinter = false; }
    void beforeOpen() override
    {
        if (::geteuid() != 0)
            GTEST_SKIP() << "cupsd und der cups-pdf-Drucker brauchen root-Rechte; dieser Test läuft nicht als root.";
        const QString why = cups.start();
        ASSERT_TRUE(why.isEmpty()) << why.toStdString();
        // The system default is another queue: the print must go where the
        // user's choice sends it, not where CUPS would.
        for (const QString& queue : {u("Buero"), u("Quittora_PDF")}) {
            const QString failed = cups.addPdfQueue(queue);
            ASSERT_TRUE(failed.isEmpty()) << failed.toStdString();
        }
        ASSERT_TRUE(run(u("/usr/sbin/lpadmin"), {u("-d"), u("Buero")}).first);
        invoice = db.addDocument(QString(), u("05.03.2024"), u("Rechnung"), false,
                                 {{u("a1"), u("Herrn")}, {u("a2"), u("Hans Müller")}, {u("a5"), u("12345 Musterstadt")},
                                  {u("b1"), QString::number(sample.mueller)}});
        db.addLine(invoice, u("2"), u("Roggenbrot"), u("3,50"), u("7,00"), u("7"));
    }

    PrivateCups cups;
    qint64 invoice = 0;
};

} // namespace

TEST_F(CupsPrint, TheChosenCupsQueuePrintsInvoiceAndDeliveryNoteInTwoCopies)
{
    // "Drucker" lists the CUPS queues; choosing one and storing the values
    // makes it the "Druckerauswahl", and two copies the "Rechnungskopien".
    QStringList listed;
    const auto chosen = whenModalOpens([&](QWidget* dialog) {
        auto* printers = dialog->findChild<QComboBox*>(u("cboPrinters"));
        auto* save = dialog->findChild<QPushButton*>(u("cmdSpeichern"));
        for (int i = 0; printers && i < printers->count(); ++i)
            listed << printers->itemText(i);
        if (const int index = listed.indexOf(u("Quittora_PDF")); index >= 0) {
            printers->setCurrentIndex(index);
            Q_EMIT printers->activated(index);
        }
        if (auto* copies = dialog->findChild<QLineEdit*>(u("txtKopien")))
            copies->setText(u("2"));
        save && save->isEnabled() ? save->click() : void(dialog->close());
    });
    window->findChild<QAction*>(u("mnuDrucker"))->trigger();
    ASSERT_TRUE(*chosen);
    EXPECT_TRUE(listed.contains(u("Quittora_PDF")) && listed.contains(u("Buero"))) << listed.join(u(", ")).toStdString();
    EXPECT_EQ(t.settings.value(u("Druckerauswahl")) + db.setting(u("frei1")).toString(), u("Quittora_PDF2"));

    // Another printer in use before the print: the choice picks the queue.
    t.state.currentPrinter = u("Buero");
    goTo(invoice);
    QTest::mouseClick(window->findChild<QToolButton*>(u("Command8")), Qt::LeftButton);
    EXPECT_EQ(dialogs, 1);
    ASSERT_TRUE(cups.waitForPdfs(u("Quittora_PDF"), 2)) << cups.log().toStdString();
    const QStringList invoices = cups.pdfs(u("Quittora_PDF"));
    ASSERT_EQ(invoices.size(), 2);
    EXPECT_EQ(missingWords(invoices, {u("Rechnung"), u("1000"), u("Hans Müller"), u("Roggenbrot"), u("7,00")}, u("Lieferschein")),
              QString());

    window->findChild<QAction*>(u("mnuLieferscheinDrucken"))->trigger();
    ASSERT_TRUE(cups.waitForPdfs(u("Quittora_PDF"), 4)) << cups.log().toStdString();
    EXPECT_EQ(dialogs, 1); // the queue matched the choice: no dialog for the delivery note
    QStringList notes = cups.pdfs(u("Quittora_PDF"));
    for (const QString& pdf : invoices)
        notes.removeAll(pdf);
    ASSERT_EQ(notes.size(), 2);
    EXPECT_EQ(missingWords(notes, {u("Lieferschein"), u("Hans Müller"), u("Roggenbrot")}, u("3,50")), QString());
    EXPECT_TRUE(cups.pdfs(u("Buero")).isEmpty());
}
