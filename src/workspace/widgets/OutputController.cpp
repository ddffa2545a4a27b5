#include "workspace/widgets/OutputController.h"

#include "data/Database.h"
#include "data/Recordset.h"
#include "data/widgets/RecordsetGrid.h"
#include "export/EInvoiceExport.h"
#include "export/EmailExport.h"
#include "export/ExportFile.h"
#include "export/Overview.h"
#include "export/widgets/RechnungenWindow.h"
#include "output/InvoiceFiles.h"
#include "platform/Clipboard.h"
#include "platform/Clock.h"
#include "platform/LocaleInfo.h"
#include "platform/Prompts.h"
#include "platform/Shell.h"
#include "platform/SpecialFolders.h"
#include "print/PrinterSetup.h"
#include "print/Printers.h"
#include "print/widgets/Drucker.h"
#include "print/PrintDocumentName.h"
#include "print/widgets/SystemPrinters.h"
#include "workspace/DataSources.h"
#include "workspace/DocumentNavigator.h"
#include "workspace/widgets/DocumentArea.h"
#include "workspace/widgets/DocumentListPanel.h"
#include "workspace/widgets/RechnungWindow.h"
#include "workspace/widgets/StatusPanel.h"
#include "workspace/widgets/ToolbarArea.h"

#include <QAction>
#include <QDir>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSqlQuery>
#include <QStyle>
#include <QToolButton>

#include <utility>

namespace quittora {

namespace {

const QString kEmailFile = QStringLiteral("Quittora.eml");

// The dialog of the desktop for the printer in use; the printer chosen there
// becomes the current one. Printing into a PDF file is for this print only
// and leaves the current printer as it was.
bool systemPrintDialog(ProgramState& state, QWidget* parent, const QString& documentName)
{
    QPrinter printer;
    configurePrinter(printer, state.currentPrinter);
    printer.setDocName(documentName); // the dialog offers it as the PDF file's name
    QPrintDialog dialog(&printer, parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty())
        state.printFile = printer.outputFileName();
    else
        state.currentPrinter = printer.printerName();
    return true;
}

bool hasDocuments(const Database& db)
{
    QSqlQuery q(db.connection());
    return q.exec(QStringLiteral("SELECT EXISTS (SELECT 1 FROM Rechnungen)")) && q.next() && q.value(0).toInt() != 0;
}

void setButtonColour(QPushButton* button, const QColor& colour)
{
    QPalette pal = button->palette();
    if (colour.isValid())
        pal.setColor(QPalette::Button, colour);
    else
        pal = button->style()->standardPalette();
    button->setPalette(pal);
    button->setAutoFillBackground(colour.isValid());
}

} // namespace

OutputController::OutputController(RechnungWindow& window, AppContext& ctx, Database& db)
    : QObject(&window)
    , m_window(window)
    , m_ctx(ctx)
    , m_db(db)
    , m_printers(makeSystemPrinters())
    , m_printDialog([&window, this](ProgramState& state) {
        return systemPrintDialog(state, &window, printDocumentName(m_db, m_printingId, m_printing));
    })
{
    const RechnungMenus& menus = window.menus();
    ToolbarArea& toolbar = window.toolbar();

    toolbar.print()->setEnabled(true);
    toolbar.email()->setEnabled(true);
    toolbar.revenue()->setEnabled(true);
    for (QAction* a : {menus.rechnungDrucken, menus.lieferscheinDrucken, menus.drucker, menus.rechnungEmail,
                       menus.umsatz, menus.xrechnung, menus.zugferd, menus.stornieren, menus.angebotZuRechnung, menus.kopieren})
        a->setEnabled(true);

    connect(toolbar.print(), &QToolButton::clicked, this, &OutputController::printInvoice);
    connect(toolbar.email(), &QToolButton::clicked, this, &OutputController::createEmail);
    connect(toolbar.revenue(), &QToolButton::clicked, this, &OutputController::openOverview);
    connect(menus.rechnungDrucken, &QAction::triggered, this, &OutputController::printInvoiceAsked);
    connect(menus.lieferscheinDrucken, &QAction::triggered, this, &OutputController::printDeliveryNote);
    // Designed unavailable (they stay disabled), yet complete.
    connect(menus.zahlungserinnerung, &QAction::triggered, this,
            [this] { printReminder(ReminderKind::PaymentReminder); });
    connect(menus.mahnung, &QAction::triggered, this, [this] { printReminder(ReminderKind::Dunning); });
    connect(menus.drucker, &QAction::triggered, this, &OutputController::openPrinterDialog);
    connect(menus.rechnungEmail, &QAction::triggered, this, &OutputController::createEmail);
    connect(menus.umsatz, &QAction::triggered, this, &OutputController::openOverview);
    connect(menus.xrechnung, &QAction::triggered, this, &OutputController::saveXRechnung);
    connect(menus.zugferd, &QAction::triggered, this, &OutputController::saveZugferd);
    connect(menus.stornieren, &QAction::triggered, this, [this] { derive(documents::Derivation::Cancellation); });
    connect(menus.angebotZuRechnung, &QAction::triggered, this,
            [this] { derive(documents::Derivation::InvoiceFromQuote); });
    connect(menus.kopieren, &QAction::triggered, this, [this] { derive(documents::Derivation::Copy); });
    // Designed unavailable; pressing it would press "Leerzeile /Textzeile".
    connect(menus.rechnungHtml, &QAction::triggered, window.documentArea().blankLineButton(), &QPushButton::click);
    connect(menus.unbezahlte, &QAction::triggered, this, &OutputController::showUnpaidDocuments);

    // The customer narrowing of the document list: its label above the
    // grid and the button that widens the list again.
    DocumentListPanel& list = window.documentList();
    m_customerLabel = new QLabel(list.frame());
    m_customerLabel->setObjectName(QStringLiteral("lblKundenRechnungen"));
    m_customerLabel->setGeometry(8, 6, 424, 20);
    m_customerLabel->setAutoFillBackground(true);
    QFont bold = m_customerLabel->font();
    bold.setBold(true);
    m_customerLabel->setFont(bold);
    m_customerLabel->hide();
    m_showAll = new QPushButton(QStringLiteral("alle Rechnungen anzeigen"), list.frame());
    m_showAll->setObjectName(QStringLiteral("cmdAlleRechnungen"));
    m_showAll->setGeometry(48, 534, 200, 28);
    m_showAll->hide();
    connect(m_showAll, &QPushButton::clicked, this, &OutputController::showAllDocuments);
    // All documents again by another way (the picture in the panel, the
    // return from the backup window): the narrowing's label goes as well.
    Recordset& docs = window.sources().documents();
    connect(&docs, &Recordset::reloaded, this, [this, &docs] {
        if (docs.recordSource() == DataSources::documentsSource() && !m_showAll->isHidden()) {
            setButtonColour(m_showAll, QColor());
            m_customerLabel->hide();
            m_showAll->hide();
        }
    });

    if (auto* command25 = window.findChild<QPushButton*>(QStringLiteral("Command25"))) {
        command25->setEnabled(true);
        connect(command25, &QPushButton::clicked, this, &OutputController::showCustomerDocuments);
    }
    QHeaderView* heading = list.grid()->horizontalHeader();
    heading->setSectionsClickable(true);
    connect(heading, &QHeaderView::sectionClicked, this, &OutputController::sortByColumn);
}

OutputController::~OutputController() = default;

void OutputController::setPrinters(std::unique_ptr<Printers> printers)
{
    if (printers)
        m_printers = std::move(printers);
}

void OutputController::loadPrinterState()
{
    Rand_ermitteln(*m_printers, m_ctx.state);
    loadPrinterSettings(m_ctx.settings, m_ctx.state.decimalSeparator, m_ctx.state);
}

documents::Environment OutputController::documentEnvironment() const
{
    documents::Environment env;
    env.basis = m_ctx.state.Rechnungsbasis == 1 ? PriceBasis::Gross : PriceBasis::Net;
    env.decimalSeparator = m_ctx.state.decimalSeparator;
    env.shortDateFormat = m_ctx.locale.shortDateFormat();
    return env;
}

bool OutputController::storePending()
{
    DataSources& sources = m_window.sources();
    // A failure has been said by the window (writeFailed).
    // The next number typed in the status panel is the one the print uses.
    return sources.documents().update() && sources.lines().update() && sources.settings().update();
}

void OutputController::reloadDocument(qint64 id)
{
    DataSources& sources = m_window.sources();
    Recordset& docs = sources.documents();
    docs.refresh();
    docs.moveToId(id);
    docs.reloadCurrent();
    sources.lines().refresh();
    // A print raises the next invoice number in the settings record.
    sources.settings().reloadCurrent();
}

void OutputController::afterPrint(qint64 id)
{
    reloadDocument(id);
    m_window.navigator().scheduleSync();
    if (auto* text22 = m_window.findChild<QWidget*>(QStringLiteral("Text22")))
        text22->setFocus(Qt::OtherFocusReason);
}

void OutputController::printInvoice()
{
    printCurrent(PrintedDocument::Invoice);
}

void OutputController::printCurrent(PrintedDocument document)
{
    Recordset& docs = m_window.sources().documents();
    if (!storePending() || !docs.hasCurrent())
        return;
    const qint64 id = docs.currentId();
    m_printingId = id;
    m_printing = document;
    if (document == PrintedDocument::Invoice)
        runInvoicePrint(m_db, id, m_ctx, *m_printers, m_printDialog);
    else
        runDeliveryNotePrint(m_db, id, m_ctx, *m_printers, m_printDialog);
    afterPrint(id);
}

void OutputController::printInvoiceAsked()
{
    Recordset& docs = m_window.sources().documents();
    if (!storePending() || !docs.hasCurrent())
        return;
    const std::optional<documents::Head> head = documents::loadHead(m_db, docs.currentId());
    if (!head)
        return;
    if (!m_ctx.prompts.question(m_window.windowTitle(), printQuestion(*head)))
        return;
    printInvoice();
}

void OutputController::printDeliveryNote()
{
    printCurrent(PrintedDocument::DeliveryNote);
}

void OutputController::printReminder(ReminderKind kind)
{
    Recordset& docs = m_window.sources().documents();
    if (!storePending() || !docs.hasCurrent())
        return;
    const std::optional<documents::Head> head = documents::loadHead(m_db, docs.currentId());
    if (!head)
        return;
    if (!askReminderText(m_ctx.prompts, kind, head->number, head->name, m_ctx.state))
        return;
    printInvoice();
    // However the print ended, the text belonged to this print only.
    m_ctx.state.Mahntext.clear();
}

void OutputController::openPrinterDialog()
{
    CompanySettings company = m_window.companySettings();
    Drucker dialog(m_ctx, *m_printers, company, &m_window);
    connect(&dialog, &Drucker::copiesChanged, this, [this, &company](const QString& copies) {
        QString error;
        if (!company.store(m_db, {{QStringLiteral("frei1"), copies}}, &error))
            m_ctx.prompts.critical(QStringLiteral("Fehler"), error);
    });
    dialog.exec();
}

void OutputController::createEmail()
{
    Recordset& docs = m_window.sources().documents();
    if (!storePending() || !docs.hasCurrent())
        return;
    const qint64 id = docs.currentId();
    QString error;
    const QString path = exportFilePath(m_ctx.state.tempFolder, kEmailFile, &error);
    if (path.isEmpty()) {
        m_ctx.prompts.critical(QStringLiteral("Fehler"), error);
        return;
    }
    const invoicefiles::Mail mail =
        invoicefiles::saveMail(m_db, id, printEnvironment(m_ctx), m_ctx.clock.now(), path);
    const email::ExportResult& result = mail.result;
    switch (result.status) {
    case email::ExportResult::Status::Refused:
        m_ctx.prompts.exclamation(result.preparation.title, result.preparation.message);
        return;
    case email::ExportResult::Status::UnknownDocument:
    case email::ExportResult::Status::Failed:
        m_ctx.prompts.critical(QStringLiteral("Fehler"), result.message);
        // A stored number shows even when the file could not be written.
        reloadDocument(id);
        return;
    case email::ExportResult::Status::Written:
        break;
    }
    reloadDocument(id);
    if (!result.preparation.clipboardText.isEmpty())
        m_ctx.clipboard.setText(result.preparation.clipboardText);
    // Said before the mail program opens the draft without a recipient.
    const QString recipient = email::recipientProblem(result.preparation.head.email);
    if (!recipient.isEmpty())
        m_ctx.prompts.exclamation(QStringLiteral("Hinweis !"), recipient);
    // Said once per session: a business that mails without e-invoice data
    // knows after the first mail, and is not stopped at every one.
    if (!mail.notice.isEmpty() && !std::exchange(m_plainPdfSaid, true))
        m_ctx.prompts.information(QStringLiteral("Hinweis !"), mail.notice);
    if (!m_ctx.shell.open(path)) {
        // Written all the same: the user can attach or open it by hand.
        m_ctx.prompts.information(QStringLiteral("Hinweis !"),
                                  QStringLiteral("Die E-Mail wurde als Datei gespeichert:\n%1\n\nSie konnte nicht "
                                                 "geöffnet werden, weil auf diesem Computer kein E-Mail-Programm "
                                                 "eingerichtet ist. Öffnen Sie die Datei mit Ihrem E-Mail-Programm.")
                                      .arg(QDir::toNativeSeparators(path)));
    }
}

void OutputController::derive(documents::Derivation how)
{
    Recordset& docs = m_window.sources().documents();
    if (!storePending() || !docs.hasCurrent())
        return;
    const documents::Environment env = documentEnvironment();
    const documents::Derived made = documents::derive(m_db, docs.currentId(), how, m_ctx.clock.today(), env);
    if (!made.ok()) {
        m_ctx.prompts.exclamation(QStringLiteral("Hinweis !"), made.message);
        return;
    }
    reloadDocument(made.id);
}

void OutputController::saveXRechnung()
{
    const documents::Environment env = documentEnvironment();
    saveEInvoice(
        {QStringLiteral("E-Rechnung (XRechnung) speichern"), QStringLiteral("E-Rechnung (*.xml)"),
         &einvoice::suggestedFileName},
        [&](qint64 id) { return einvoice::check(m_db, id, env, einvoice::Profile::XRechnung); },
        [&](qint64 id, const QString& path) {
            return einvoice::exportInvoice(m_db, id, env, einvoice::Syntax::Cii, einvoice::Profile::XRechnung, path);
        });
}

void OutputController::saveZugferd()
{
    const PrintEnvironment env = printEnvironment(m_ctx);
    saveEInvoice({QStringLiteral("E-Rechnung (ZUGFeRD-PDF) speichern"), QStringLiteral("PDF-Dateien (*.pdf)"),
                  &invoicefiles::zugferdFileName},
                 [&](qint64 id) { return invoicefiles::checkZugferd(m_db, id, env); },
                 [&](qint64 id, const QString& path) {
                     return invoicefiles::saveZugferd(m_db, id, env, m_ctx.clock.now(), path);
                 });
}

void OutputController::saveEInvoice(const EInvoiceDialog& dialog,
                                    const std::function<einvoice::ExportResult(qint64)>& check,
                                    const std::function<einvoice::ExportResult(qint64, const QString&)>& save)
{
    Recordset& docs = m_window.sources().documents();
    if (!storePending() || !docs.hasCurrent())
        return;
    const qint64 id = docs.currentId();
    const QString title = QStringLiteral("E-Rechnung");
    const auto sayMissing = [&](const einvoice::ExportResult& r) {
        m_ctx.prompts.exclamation(title, QStringLiteral("Die E-Rechnung kann noch nicht gespeichert werden. Es fehlt:\n\n• ")
                                             + r.missing.join(QStringLiteral("\n• ")));
    };
    // Said before a file is chosen: what is missing, and where to enter it.
    const einvoice::ExportResult checked = check(id);
    if (checked.status == einvoice::ExportResult::Status::Incomplete) {
        sayMissing(checked);
        return;
    }
    if (checked.status != einvoice::ExportResult::Status::Written) {
        m_ctx.prompts.critical(QStringLiteral("Fehler"), checked.message);
        return;
    }
    const QString start = QDir(m_ctx.folders.documents()).filePath(dialog.fileName(checked.number));
    const std::optional<QString> path = m_ctx.prompts.saveFile(dialog.caption, start, dialog.filter);
    if (!path || path->isEmpty())
        return;
    const einvoice::ExportResult result = save(id, *path);
    // A number given is shown even when the file could not be written.
    reloadDocument(id);
    switch (result.status) {
    case einvoice::ExportResult::Status::Written:
        m_ctx.prompts.information(title, QStringLiteral("Die E-Rechnung zur Rechnung Nr. %1 wurde gespeichert:\n%2")
                                             .arg(result.number, QDir::toNativeSeparators(*path)));
        return;
    case einvoice::ExportResult::Status::Incomplete:
        sayMissing(result);
        return;
    case einvoice::ExportResult::Status::UnknownDocument:
    case einvoice::ExportResult::Status::Failed:
        m_ctx.prompts.critical(QStringLiteral("Fehler"), result.message);
        return;
    }
}

void OutputController::openOverview()
{
    // The overview stores the paid flag straight into the table. What the
    // main window still holds unstored goes in first, and the current
    // document is read again afterwards: a stale edit stored later would
    // undo what was ticked or unticked in the overview.
    Recordset& docs = m_window.sources().documents();
    if (!storePending())
        return;
    {
        // The main list may be narrowed to a customer without documents;
        // the overview still filters as long as there are any.
        const bool anyDocuments = docs.recordCount() > 0 || hasDocuments(m_db);
        RechnungenWindow overview(m_ctx, m_db, *m_printers, anyDocuments, &m_window);
        overview.setPrintDialog([&overview](ProgramState& state) {
            return systemPrintDialog(state, &overview, QStringLiteral("Rechnungsaufstellung"));
        });
        overview.exec();
    }
    if (docs.hasCurrent())
        docs.reloadCurrent();
}

void OutputController::showCustomerDocuments()
{
    Recordset& customers = m_window.sources().customers();
    if (!customers.hasCurrent())
        return;
    setButtonColour(m_showAll, QColor(Qt::yellow));
    m_showAll->show();
    m_window.documentList().open();
    m_customerLabel->setText(documentlist::customerLabel(customers.text(QStringLiteral("a2"))));
    m_customerLabel->show();
    m_customerLabel->raise();
    const RecordSource source = documentlist::customerDocuments(customers.currentId());
    Recordset& docs = m_window.sources().documents();
    docs.setRecordSource(source.sql, source.params);
    docs.refresh();
}

void OutputController::showAllDocuments()
{
    setButtonColour(m_showAll, QColor());
    Recordset& docs = m_window.sources().documents();
    const qint64 id = docs.hasCurrent() ? docs.currentId() : -1;
    const RecordSource source = documentlist::allDocuments();
    docs.setRecordSource(source.sql, source.params);
    docs.refresh();
    m_customerLabel->hide();
    m_showAll->hide();
    if (id >= 0)
        docs.moveToId(id);
}

void OutputController::sortByColumn(int column)
{
    const std::optional<RecordSource> source = documentlist::sortByColumn(column, m_ctx.state.documentSortDescending);
    if (!source)
        return;
    Recordset& docs = m_window.sources().documents();
    docs.setRecordSource(source->sql, source->params);
    docs.refresh();
}

void OutputController::showUnpaidDocuments()
{
    const RecordSource source = documentlist::unpaidDocuments();
    Recordset& docs = m_window.sources().documents();
    docs.setRecordSource(source.sql, source.params);
    docs.refresh();
    m_window.documentList().open();
    m_window.menus().unbezahlte->setEnabled(false);
}

} // namespace quittora
