// The invoice as it leaves the business: the ZUGFeRD PDF and the mail that
// carries it, made by quittora-cli as a user's script would, and read back
// with other programs than ours (qpdf, poppler, Python's mail parser, the
// official e-invoice rules).
#include "export/EInvoiceMatrix.h"
#include "export/ZugferdEmbedding.h"
#include "output/InvoiceFiles.h"
#include "print/DocumentPrint.h"
#include "print/PageRenderer.h"
#include "support/CliRunner.h"
#include "support/TempDatabase.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <iostream>

using namespace quittora;
using quittora::test::TempDatabase;

namespace {

QString s(const char* text) { return QString::fromUtf8(text); }

// Another program's standard output; the test fails when it does not run.
QByteArray tool(const QString& program, const QStringList& args, int* exitCode = nullptr)
{
    QProcess p;
    p.start(program, args);
    EXPECT_TRUE(p.waitForFinished(300000)) << program.toStdString();
    if (exitCode)
        *exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    else
        EXPECT_EQ(p.exitCode(), 0) << program.toStdString() << " " << args.join(s(" ")).toStdString() << "\n"
                                   << p.readAllStandardError().toStdString();
    return p.readAllStandardOutput();
}

// The PDF's objects as qpdf reads them, and a reference followed.
struct PdfObjects {
    explicit PdfObjects(const QString& pdf)
        : objects(QJsonDocument::fromJson(tool(s("qpdf"), {s("--json=2"), s("--json-key=qpdf"), pdf}))
                      .object()[s("qpdf")].toArray()[1].toObject())
    {
    }
    QJsonObject dict(const QJsonValue& ref) const
    {
        const QJsonObject o = objects[s("obj:") + ref.toString()].toObject();
        return o.contains(s("value")) ? o[s("value")].toObject() : o[s("stream")].toObject()[s("dict")].toObject();
    }
    QJsonObject catalog() const { return dict(objects[s("trailer")].toObject()[s("value")].toObject()[s("/Root")]); }
    QJsonObject objects;
};

// Master data complete for the EN 16931 profile and for XRechnung; one
// customer of its own, one authority with a Leitweg-ID.
class InvoiceFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(db.exec(s("UPDATE Einstellungen SET Titel = 'Malerbetrieb Müller', UStIdNr = 'DE811907980', "
                              "Ansprechpartner = 'Max Mustermann', IBAN = 'DE89370400440532013000', "
                              "BIC = 'COBADEFFXXX', Einst1 = 'rechnung@mueller.example', Tel = '089 123456', "
                              "frei8 = 'EUR', MWSt = '19', frei9 = '7', Rechnungsnummer = '1000'")));
        const qint64 firm = db.addCustomer(s("Kunde GmbH"), {}, {{s("a4"), s("Marktplatz 5")},
                                           {s("a5"), s("12345 Musterstadt")}, {s("a40"), s("einkauf@kunde.example")}});
        const qint64 city = db.addCustomer(s("Stadtverwaltung Musterstadt"), {},
                                           {{s("a4"), s("Rathausplatz 1")}, {s("a5"), s("12345 Musterstadt")},
                                            {s("a40"), s("rechnung@musterstadt.de")},
                                            {s("Leitweg"), s("04011000-1234512345-06")}});
        const auto document = [&](qint64 customer, const char* kind, const char* name) {
            return db.addDocument({}, s("04.12.2026"), s(kind), false,
                                  {{s("a2"), s(name)}, {s("a4"), s("Marktplatz 5")}, {s("a5"), s("12345 Musterstadt")},
                                   {s("b1"), QString::number(customer)}, {s("Referenz"), s("Bestellung 4711")}});
        };
        invoice = document(firm, "Rechnung", "Kunde GmbH");
        db.addLine(invoice, s("3"), s("Beratung „Umstellung“ & <Prüfung>"), s("80,00"), s("240,00"), s("19"), s("Std."));
        db.addLine(invoice, s("1"), s("Fachbuch"), s("29,90"), s("29,90"), s("7"), s("Stk."));
        authority = document(city, "Rechnung", "Stadtverwaltung Musterstadt");
        db.addLine(authority, s("2"), s("Beratung"), s("80,00"), s("160,00"), s("19"), s("Std."));
        quote = document(firm, "Angebot", "Kunde GmbH");
        db.addLine(quote, s("1"), s("Angebotsposten"), s("10,00"), s("10,00"), s("19"), s("Stk."));
        db.db().close();
    }
    test::CliRun cli(const QStringList& args) const
    {
        QProcessEnvironment env;
        env.insert(s("LC_ALL"), s("de_DE.UTF-8")); // amounts as the database holds them
        env.insert(s("XDG_CONFIG_HOME"), home.filePath(s("config")));
        env.insert(s("XDG_RUNTIME_DIR"), home.path());
        return test::runCli(args, env);
    }
    test::CliRun zugferd(qint64 id, const QString& out) const
    {
        return cli({s("zugferd"), db.path(), s("--document"), QString::number(id), s("--out"), out});
    }
    QString file(const QString& name) const { return db.filePath(name); }
    bool reopen() { return db.db().open(db.path(), nullptr); }

    QTemporaryDir home;
    TempDatabase db;
    qint64 invoice = 0, authority = 0, quote = 0;
};

QString validator() { return s(QUITTORA_EINVOICE_VALIDATOR); }

// The marks of a ZUGFeRD PDF of that profile, read by qpdf and poppler; the
// embedded XML.
QByteArray expectZugferd(const QString& pdf, einvoice::Profile profile)
{
    const QString name = einvoice::embeddedFileName(profile);
    const PdfObjects o(pdf);
    const QJsonObject catalog = o.catalog();
    const QJsonObject spec = o.dict(catalog[s("/AF")].toArray().at(0));
    const QJsonObject stream = o.dict(spec[s("/EF")].toObject()[s("/F")]);
    const QByteArray xml = tool(s("qpdf"), {s("--show-attachment=") + name, pdf});
    EXPECT_EQ(spec[s("/AFRelationship")].toString() + spec[s("/F")].toString() + spec[s("/UF")].toString(),
              s("/Alternativeu:") + name + s("u:") + name);
    EXPECT_EQ(stream[s("/Subtype")].toString(), s("/text/xml"));
    EXPECT_EQ(stream[s("/Params")].toObject()[s("/Size")].toInt(), xml.size());
    EXPECT_EQ(o.dict(o.dict(catalog[s("/Names")])[s("/EmbeddedFiles")])[s("/Names")].toArray().at(0).toString(),
              s("u:") + name);
    const QJsonObject intent = o.dict(catalog[s("/OutputIntents")].toArray().at(0));
    EXPECT_TRUE(intent[s("/S")].toString() == s("/GTS_PDFA1") && intent.contains(s("/DestOutputProfile")));

    const QString meta = QString::fromUtf8(tool(s("pdfinfo"), {s("-meta"), pdf}));
    const QString level = einvoice::conformanceLevel(profile);
    for (const QString& mark : {s("<pdfaid:part>3</pdfaid:part>"), s("<pdfaid:conformance>B</pdfaid:conformance>"),
                                s("<fx:DocumentType>INVOICE</fx:DocumentType>"), s("<fx:Version>1.0</fx:Version>"),
                                s("<fx:DocumentFileName>") + name + s("</fx:DocumentFileName>"),
                                s("<fx:ConformanceLevel>") + level + s("</fx:ConformanceLevel>"),
                                s("<pdfaSchema:prefix>fx</pdfaSchema:prefix>")})
        EXPECT_TRUE(meta.contains(mark)) << mark.toStdString();
    const QStringList fonts = QString::fromUtf8(tool(s("pdffonts"), {pdf})).split(u'\n', Qt::SkipEmptyParts).mid(2);
    EXPECT_FALSE(fonts.isEmpty());
    for (const QString& font : fonts) {
        const QStringList columns = font.split(u' ', Qt::SkipEmptyParts); // ... emb sub uni object generation
        EXPECT_EQ(columns.value(columns.size() - 5), s("yes")) << font.toStdString();
    }

    return xml;
}

// The official rules over the files: --facturx for the EN 16931 profile,
// --xrechnung for XRechnung.
void expectValid(const QString& rules, const QStringList& files)
{
    int code = -1;
    const QString output = QString::fromUtf8(tool(validator(), QStringList{rules} + files, &code));
    std::cout << output.toStdString();
    EXPECT_EQ(code, 0) << output.toStdString();
    EXPECT_EQ(output.count(s("RESULT\tPASS")), files.size()) << output.toStdString();
}

} // namespace

// Every profile the program writes, a cancellation among them: PDF/A-3b by
// its marks, the XML attached as the invoice's alternative, every font
// inside, and the XML passes the official rules. (The page is the plain
// print's, GiroCode included: the matrix below and the layouts' test.)
TEST_F(InvoiceFiles, ZugferdPdfsArePdfA3WithTheirValidXmlAttached)
{
    ASSERT_TRUE(QFileInfo(validator()).isExecutable()) << "run scripts/setup.sh";
    struct Case {
        qint64 id;
        einvoice::Profile profile;
    };
    std::vector<Case> cases{{invoice, einvoice::Profile::En16931}, {authority, einvoice::Profile::XRechnung}};
    QStringList facturx, xrechnung;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const auto [id, profile] = cases[i];
        const QString pdf = file(QStringLiteral("z%1.pdf").arg(i));
        const test::CliRun r = zugferd(id, pdf);
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        if (id == invoice) {
            // Issued now: its cancellation is a ZUGFeRD invoice too, with
            // the reference to it and a negative amount due.
            const test::CliRun made = cli({s("stornieren"), db.path(), s("--document"), QString::number(invoice)});
            ASSERT_EQ(made.exitCode, 0) << made.err.toStdString();
            cases.push_back({made.out.trimmed().toLongLong(), einvoice::Profile::En16931});
        }
        SCOPED_TRACE(QStringLiteral("document %1").arg(id).toStdString());

        const QByteArray xml = expectZugferd(pdf, profile);
        const QString extracted = file(QStringLiteral("x%1-").arg(i) + einvoice::embeddedFileName(profile));
        QFile out(extracted);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly) && out.write(xml) == xml.size() && out.flush());
        (profile == einvoice::Profile::XRechnung ? xrechnung : facturx) << extracted;
    }
    ASSERT_EQ(facturx.size() + xrechnung.size(), 3);
    EXPECT_TRUE(test::fileBytes(file(s("x2-factur-x.xml"))).contains("<ram:DuePayableAmount>-317.59</ram:DuePayableAmount>"));
    expectValid(s("--facturx"), facturx);
    expectValid(s("--xrechnung"), xrechnung);
}

// Every invoice of the e-invoice matrix as ZUGFeRD PDF: the same marks, the
// page as the plain print draws it, the XML through the Factur-X rules.
TEST(ZugferdMatrix, EveryKindOfInvoiceBecomesAValidZugferdPdf)
{
    ASSERT_TRUE(QFileInfo(validator()).isExecutable()) << "run scripts/setup.sh";
    QTemporaryDir dir;
    QStringList files;
    for (const auto& [name, source] : test::einvoicematrix::invoiceMatrix()) {
        SCOPED_TRACE(name);
        einvoice::Prepared p;
        std::tie(p.ready, p.profile, p.settings, p.prep.head, p.source) =
            std::tuple(true, einvoice::Profile::En16931, source.company, source.head, source);
        p.built = einvoice::build(source, p.profile);
        ASSERT_TRUE(p.built.ok()) << p.built.missing.join(s("; ")).toStdString();
        PrintEnvironment env;
        env.basis = source.basis;
        invoicefiles::Zugferd z;
        QString error;
        ASSERT_TRUE(invoicefiles::makeZugferd(p, env, QDateTime(QDate(2026, 12, 4), QTime(9, 30), Qt::UTC), &z, &error))
            << error.toStdString();
        const QString pdf = dir.filePath(s(name) + s(".pdf")), plain = dir.filePath(s(name) + s("-plain.pdf"));
        QFile f(pdf);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(z.pdf) == z.pdf.size() && f.flush());
        f.close();
        EXPECT_EQ(expectZugferd(pdf, p.profile), z.xml);
        const std::vector<PageModel> pages =
            preparedInvoicePages(source.head, source.lines, p.customer, source.company, env, &error);
        ASSERT_TRUE(renderToPdf(pages, plain, MarginValues{}, &error)) << error.toStdString();
        EXPECT_EQ(tool(s("pdftotext"), {s("-layout"), pdf, s("-")}), tool(s("pdftotext"), {s("-layout"), plain, s("-")}));
        files << dir.filePath(s(name) + s(".xml"));
        QFile x(files.last());
        ASSERT_TRUE(x.open(QIODevice::WriteOnly) && x.write(z.xml) == z.xml.size() && x.flush());
    }
    expectValid(s("--facturx"), files);
}

// What cannot be issued says why, exits as xrechnung does, and leaves the
// database and the target as they were; a PDF that cannot be finished leaves
// no half of it.
TEST_F(InvoiceFiles, WhatCannotBeIssuedIsRefusedAndLeavesNothing)
{
    ASSERT_TRUE(reopen());
    const qint64 wrongQuantity = db.addDocument({}, s("04.12.2026"), s("Rechnung"), false, {{s("a2"), s("Kunde GmbH")}});
    db.addLine(wrongQuantity, s("drei"), s("Beratung"), s("80,00"), s("240,00"), s("19"), s("Std."));
    db.db().close();
    const QString out = file(s("Rechnung.pdf"));
    const struct {
        qint64 id;
        QString target;
        const char* said;
    } refusals[] = {
        {quote, out, "kein Angebot"},
        {wrongQuantity, out, "Zeile 1"},
        {9999, out, "kein Dokument mit der ID 9999"},
    };
    const QByteArray before = test::fileHash(db.path());
    for (const auto& r : refusals) {
        const test::CliRun run = zugferd(r.id, r.target);
        EXPECT_EQ(run.exitCode, 1) << r.said;
        EXPECT_TRUE(run.err.contains(s(r.said))) << r.said << ": " << run.err.toStdString();
        EXPECT_FALSE(QFile::exists(out)) << r.said;
        EXPECT_EQ(test::fileHash(db.path()), before) << r.said;
    }
    // A folder that is not there: the number the invoice took stays its own.
    const test::CliRun unwritable = zugferd(invoice, file(s("fehlt/Rechnung.pdf")));
    EXPECT_TRUE(unwritable.exitCode == 1 && unwritable.err.contains(s("Rechnungsnummer 1000 bleibt der Rechnung zugeordnet")))
        << unwritable.err.toStdString();
    EXPECT_TRUE(QDir(file(s("fehlt"))).isEmpty());

    QByteArray finished = "left over";
    QString error;
    EXPECT_FALSE(einvoice::finishZugferd("%PDF-1.4\nkein PDF", "<x/>", {}, &finished, &error));
    EXPECT_TRUE(finished.isEmpty() && error.startsWith(s("Die Rechnungsdaten konnten nicht in die PDF-Datei eingebettet werden")))
        << error.toStdString();
}

// The mail carries the invoice as ZUGFeRD PDF, whose XML is the one
// "zugferd" embeds; an authority also gets the XRechnung file; an invoice
// without e-invoice data goes as plain PDF, with the reason.
TEST_F(InvoiceFiles, TheMailCarriesTheZugferdPdfOrAPlainOneAndSaysWhy)
{
    const auto mail = [&](qint64 id, const char* name) {
        const QString path = file(s(name));
        const test::CliRun r = cli({s("eml"), db.path(), s("--document"), QString::number(id), s("--out"), path});
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        return std::pair{path, r};
    };
    const auto [invoiceMail, invoiceRun] = mail(invoice, "r.eml");
    const auto [authorityMail, authorityRun] = mail(authority, "a.eml");
    EXPECT_FALSE((invoiceRun.err + authorityRun.err).contains(s("Hinweis"))) << invoiceRun.err.toStdString();
    ASSERT_TRUE(reopen());
    ASSERT_TRUE(db.exec(s("UPDATE Einstellungen SET IBAN = ''")));
    db.db().close();
    const auto [plainMail, plainRun] = mail(invoice, "p.eml");
    EXPECT_TRUE(plainRun.err.contains(s("Hinweis: Die Rechnung ist der E-Mail als einfaches PDF beigefügt")) &&
                plainRun.err.contains(s("IBAN fehlt"))) << plainRun.err.toStdString();
    ASSERT_TRUE(reopen());
    ASSERT_TRUE(db.exec(s("UPDATE Einstellungen SET IBAN = 'DE89370400440532013000'")));
    db.db().close();
    const QString issued = file(s("issued.pdf"));
    ASSERT_EQ(zugferd(invoice, issued).exitCode, 0);
    const QString issuedAuthority = file(s("issued-a.pdf"));
    ASSERT_EQ(zugferd(authority, issuedAuthority).exitCode, 0);

    // Python's parser saves every attachment and tells what the mail holds.
    const QString folder = file(s("teile"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QJsonArray mails = QJsonDocument::fromJson(tool(s("python3"), {s("-c"), s(R"(
import email, email.policy, json, os, sys
out = []
for n, path in enumerate(sys.argv[2:]):
    m = email.message_from_binary_file(open(path, 'rb'), policy=email.policy.default)
    files = []
    for part in m.iter_attachments():
        saved = os.path.join(sys.argv[1], '%d-%s' % (n, part.get_filename()))
        open(saved, 'wb').write(part.get_payload(decode=True))
        files.append([part.get_content_type(), part.get_filename(), saved])
    out.append({'files': files})
print(json.dumps(out))
)"), folder, invoiceMail, authorityMail, plainMail}, nullptr)).array();
    ASSERT_EQ(mails.size(), 3);
    const auto files = [&](int n) {
        QStringList shown;
        for (const QJsonValue& f : mails[n][s("files")].toArray())
            shown << f[0].toString() + s(" ") + f[1].toString();
        return shown;
    };
    const auto saved = [&](int n, int k) { return mails[n][s("files")][k][2].toString(); };
    EXPECT_EQ(files(0), QStringList{s("application/pdf Rechnung 1000.pdf")});
    EXPECT_EQ(files(1), (QStringList{s("application/pdf Rechnung 1001.pdf"), s("application/xml Rechnung 1001.xml")}));
    EXPECT_EQ(files(2), QStringList{s("application/pdf Rechnung 1000.pdf")});

    const auto embedded = [](const QString& pdf, const char* name) {
        return tool(s("qpdf"), {s("--show-attachment=") + s(name), pdf});
    };
    EXPECT_EQ(embedded(saved(0, 0), "factur-x.xml"), embedded(issued, "factur-x.xml"));
    EXPECT_EQ(embedded(saved(1, 0), "xrechnung.xml"), embedded(issuedAuthority, "xrechnung.xml"));
    EXPECT_EQ(test::fileBytes(saved(1, 1)), embedded(issuedAuthority, "xrechnung.xml"));
    EXPECT_EQ(tool(s("pdfdetach"), {s("-list"), saved(2, 0)}), QByteArray("0 embedded files\n"));
}
