#include "tools/widgets/SettingsDialog.h"

#include "data/Identifiers.h"
#include "data/widgets/IdentifierGuard.h"

#include "data/CompanySettings.h"
#include "data/Database.h"
#include "data/Recordset.h"
#include "data/widgets/FieldBinding.h"
#include "platform/Context.h"
#include "platform/Prompts.h"
#include "platform/SpecialFolders.h"
#include "platform/widgets/FieldMarks.h"
#include "platform/widgets/NumericKeyFilter.h"
#include "tools/BackgroundColour.h"
#include "tools/SettingsRules.h"
#include "tools/widgets/BackgroundColourWidgets.h"

#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <QVBoxLayout>

namespace quittora {

using namespace settingsrules;

namespace {

QString u(const char* text)
{
    return QString::fromUtf8(text);
}

// The picture at path, already scaled to the preview square; a null image
// when the file is no picture we can read. Scaling while reading keeps a
// large photo from filling the memory.
QImage readPreview(const QString& path)
{
    if (path.isEmpty())
        return {};
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QSize natural = reader.size();
    if (natural.isValid()) {
        const QSize fit = fitIntoSquare(QSizeF(natural), kLogoPreviewPixels).toSize();
        if (fit.isEmpty())
            return {};
        reader.setScaledSize(fit);
    }
    QImage image = reader.read();
    if (image.isNull() || natural.isValid())
        return image;
    const QSize fit = fitIntoSquare(QSizeF(image.size()), kLogoPreviewPixels).toSize();
    return fit.isEmpty() ? QImage() : image.scaled(fit, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace

SettingsDialog::SettingsDialog(AppContext& ctx, Database& db, QWidget* parent)
    : QDialog(parent), m_ctx(ctx)
{
    setObjectName(QStringLiteral("Einstellungen"));
    setWindowTitle(QStringLiteral("Einstellungen"));

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("SSTab1"));
    m_tabs->addTab(buildCompanyPage(), u(" Ihre Firmendaten"));
    m_tabs->addTab(buildInvoicePage(), u("Rechnungsvorgaben"));
    m_tabs->addTab(buildQuotePage(), u("Angebot / Lieferschein"));
    m_eInvoicePage = buildEInvoicePage();
    m_tabs->addTab(m_eInvoicePage, u("E-Rechnung"));
    for (int i = 0; i < m_tabs->count(); ++i)
        m_tabs->widget(i)->setAutoFillBackground(true);

    m_close = new QPushButton(u("&Schließen"), this);
    m_close->setObjectName(QStringLiteral("Command3"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addLayout(buttons);

    // Enter confirms a field, as everywhere in the program; it must not
    // close the dialog through a default button.
    for (QPushButton* b : findChildren<QPushButton*>()) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }

    m_rs = new Recordset(db, QStringLiteral("Einstellungen"), this);
    m_rs->setObjectName(QStringLiteral("Data1"));
    m_rs->setRecordSource(QStringLiteral("SELECT * FROM Einstellungen ORDER BY ID"));
    m_binding = new FieldBinding(*m_rs, this);
    bindFields();
    installKeyFilters();

    if (!m_rs->refresh()) {
        m_ctx.prompts.critical(QStringLiteral("Fehler"),
                               u("Die Einstellungen konnten nicht gelesen werden.\n%1").arg(m_rs->lastError()));
        m_tabs->setEnabled(false);
    } else if (m_rs->recordCount() == 0) {
        // A database without its settings record gets one when the dialog
        // closes, instead of edits that would go nowhere.
        m_rs->addNew();
    }
    m_binding->showCurrent();
    m_recordAvailable = m_tabs->isEnabled();
    guardEInvoiceFields();

    m_tabs->setCurrentIndex(0);
    loadRegistryValues();
    applyBackgroundColour();
    showLogoPreview();

    connect(m_close, &QPushButton::clicked, this, &QDialog::close);
    connect(m_insertLogo, &QPushButton::clicked, this, &SettingsDialog::insertLogo);
    connect(m_removeLogo, &QPushButton::clicked, this, &SettingsDialog::removeLogo);
    for (QLineEdit* vat : {m_vat1, m_vat2}) {
        connect(vat, &QLineEdit::textChanged, this, [vat](const QString& text) {
            if (!text.trimmed().isEmpty())
                setFieldBackground(vat, plainWhite());
        });
    }
    m_internet->installEventFilter(this);
    m_colourSwatch->installEventFilter(this);
    m_colourCaption->installEventFilter(this);
}

SettingsDialog::~SettingsDialog() = default;

void SettingsDialog::bindFields()
{
    FieldBinding& b = *m_binding;
    b.bind(m_title, QStringLiteral("Titel"));
    b.bind(m_addition, QStringLiteral("frei4"));
    b.bind(m_street, QStringLiteral("frei2"));
    b.bind(m_town, QStringLiteral("frei3"));
    b.bind(m_email, QStringLiteral("Einst1"));
    b.bind(m_internet, QStringLiteral("Einst2"));
    b.bind(m_phone, QStringLiteral("Tel"));
    b.bind(m_fax, QStringLiteral("Fax"));
    b.bind(m_mobile, QStringLiteral("Einst15"));
    b.bind(m_letterhead, QStringLiteral("Vordruck"));
    static const char* const footerFields[9] = {"Einst23", "Einst6",  "Einst24", "frei5",  "Einst26",
                                                "Bank",    "Einst25", "Einst28", "Einst27"};
    for (int i = 0; i < 9; ++i)
        b.bind(m_footer[i], QLatin1String(footerFields[i]));
    b.bind(m_logoLeft, QStringLiteral("Einst3"));
    b.bind(m_logoTop, QStringLiteral("Einst4"));
    b.bind(m_logoHeight, QStringLiteral("Einst5"));
    b.bind(m_logoPath, QStringLiteral("Memo10"));

    b.bind(m_copies, QStringLiteral("frei1"));
    b.bind(m_vat1, QStringLiteral("MWSt"));
    b.bind(m_vat2, QStringLiteral("frei9"));
    b.bind(m_currency, QStringLiteral("frei8"));
    b.bind(m_nextNumber, QStringLiteral("Rechnungsnummer"));
    b.bind(m_invoiceText1, QStringLiteral("Memo1"));
    b.bind(m_invoiceText2, QStringLiteral("Memo2"));
    b.bind(m_invoiceBelow, QStringLiteral("Memo3"));
    b.bind(m_skontoDays, QStringLiteral("Einst18"));
    b.bind(m_skontoPercent, QStringLiteral("Einst19"));
    b.bind(m_lock, QStringLiteral("Festschreiben"));

    b.bind(m_quoteText1, QStringLiteral("Memo4"));
    b.bind(m_quoteText2, QStringLiteral("Memo5"));
    b.bind(m_quoteBelow, QStringLiteral("Memo6"));
    b.bind(m_deliveryAbove, QStringLiteral("Memo7"));
    b.bind(m_deliveryBelow, QStringLiteral("Memo8"));
    b.bind(m_vatId, QStringLiteral("UStIdNr"));
    b.bind(m_taxNumber, QStringLiteral("Steuernummer"));
    b.bind(m_contact, QStringLiteral("Ansprechpartner"));
    b.bind(m_country, QStringLiteral("Land"));
    b.bind(m_iban, QStringLiteral("IBAN"));
    b.bind(m_bic, QStringLiteral("BIC"));
    b.bind(m_accountHolder, QStringLiteral("Kontoinhaber"));
}

void SettingsDialog::installKeyFilters()
{
    NumericKeyFilter::install(m_copies, m_ctx, &copiesKey);
    NumericKeyFilter::install(m_vat1, m_ctx, &vatRateKey, vatRate1WrongInputMessage());
    NumericKeyFilter::install(m_vat2, m_ctx, &vatRateKey);
    NumericKeyFilter::install(m_nextNumber, m_ctx, &nextInvoiceNumberKey);
}

void SettingsDialog::loadRegistryValues()
{
    const RegistryValues v = readRegistryValues(m_ctx.settings);
    setTitleColour(v.titleColour);
    m_ctx.state.Rechnungsbasis = v.Rechnungsbasis;
    (v.Rechnungsbasis == 1 ? m_gross : m_net)->setChecked(true);
    m_receipt->setChecked(v.receiptConfirmation);
    m_giroCode->setChecked(v.giroCode);
}

void SettingsDialog::applyBackgroundColour()
{
    quittora::applyBackgroundColour({this, m_tabs}, backgroundColour(m_ctx.state));
}

void SettingsDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    applyBackgroundColour();
    fillDefaultTexts();
}

void SettingsDialog::fillDefaultTexts()
{
    if (!m_recordAvailable)
        return;
    if (m_deliveryAbove->text().isEmpty()) {
        m_deliveryAbove->setText(deliveryNoteTextAbove());
        m_binding->write(m_deliveryAbove);
    }
    if (m_deliveryBelow->toPlainText().isEmpty()) {
        m_deliveryBelow->setPlainText(deliveryNoteTextBelow());
        m_binding->write(m_deliveryBelow);
    }
}

void SettingsDialog::setTitleColour(const QColor& colour)
{
    m_titleColour = colour.toRgb();
    m_titleColour.setAlpha(255);
    QPalette p = m_colourSwatch->palette();
    p.setColor(QPalette::Window, m_titleColour);
    m_colourSwatch->setPalette(p);
}

void SettingsDialog::chooseTitleColour()
{
    const std::optional<QColor> chosen = m_ctx.prompts.chooseColor(m_titleColour);
    if (chosen && chosen->isValid())
        setTitleColour(*chosen);
}

void SettingsDialog::applyWebScheme()
{
    const QString text = m_internet->text();
    const QString fixed = withWebScheme(text);
    if (fixed == text)
        return;
    m_internet->setText(fixed);
    m_binding->write(m_internet);
}

void SettingsDialog::showLogoPreview()
{
    const QImage image = readPreview(m_logoPath->text());
    if (image.isNull())
        m_logoPreview->clear();
    else
        m_logoPreview->setPixmap(QPixmap::fromImage(image));
}

void SettingsDialog::insertLogo()
{
    const QString current = m_logoPath->text();
    const QString start = current.isEmpty() ? m_ctx.folders.documents() : QFileInfo(current).absolutePath();
    const std::optional<QString> chosen = m_ctx.prompts.openFile(logoDialogTitle(), start, logoFileFilter());
    if (!chosen || chosen->isEmpty())
        return;
    QImage image;
    {
        WaitCursor wait;
        image = readPreview(*chosen);
    }
    if (image.isNull()) {
        m_ctx.prompts.critical(QStringLiteral("Fehler"), logoNotReadableMessage(*chosen));
        return;
    }
    m_logoPath->setText(QFileInfo(*chosen).absoluteFilePath());
    m_binding->write(m_logoPath);
    m_logoPreview->setPixmap(QPixmap::fromImage(image));
}

void SettingsDialog::removeLogo()
{
    m_logoPath->clear();
    m_binding->write(m_logoPath);
    m_logoPreview->clear();
    m_title->setFocus();
}

void SettingsDialog::fitInto(const QRect& available)
{
    // Title bar and borders, which the desktop adds around the dialog.
    constexpr QSize kFrame(16, 40);
    resize(sizeHint().boundedTo(available.size() - kFrame).expandedTo(minimumSizeHint()));
    QRect outer(QPoint(), size() + kFrame);
    const QWidget* over = parentWidget() ? parentWidget()->window() : nullptr;
    outer.moveCenter(over && over->isVisible() ? over->frameGeometry().center() : available.center());
    outer.moveLeft(std::max(available.left(), std::min(outer.left(), available.right() + 1 - outer.width())));
    outer.moveTop(std::max(available.top(), std::min(outer.top(), available.bottom() + 1 - outer.height())));
    move(outer.topLeft());
}

bool SettingsDialog::checkVatRates()
{
    const VatCheck check = settingsrules::checkVatRates(m_vat1->text(), m_vat2->text(), m_ctx.state.decimalSeparator);
    setFieldBackground(m_vat1, check.rate1 == VatProblem::None ? plainWhite() : markYellow());
    setFieldBackground(m_vat2, check.rate2 == VatProblem::None ? plainWhite() : markYellow());
    if (check.ok())
        return true;
    m_tabs->setCurrentIndex(1);
    (check.rate1 != VatProblem::None ? m_vat1 : m_vat2)->setFocus();
    m_ctx.prompts.critical(closingTitle(), check.message());
    return false;
}

void SettingsDialog::guardEInvoiceFields()
{
    const struct {
        QLineEdit* field;
        IdentifierGuard::Problem problem;
        IdentifierGuard::Normalise normalise;
    } rules[] = {
        {m_vatId, &ids::vatIdProblem, &ids::normaliseVatId},
        {m_country, &ids::countryProblem, &ids::normaliseCountry},
        {m_iban, &ids::ibanProblem, &ids::normaliseIban},
        {m_bic, &ids::bicProblem, &ids::normaliseBic},
    };
    for (const auto& r : rules)
        m_identifierGuards.append(new IdentifierGuard(r.field, *m_binding, r.problem, r.normalise, [this, r](const QString& why) {
            m_tabs->setCurrentWidget(m_eInvoicePage);
            setFieldBackground(r.field, markYellow());
            m_ctx.prompts.critical(windowTitle(), why);
            setFieldBackground(r.field, plainWhite());
        }));
}

bool SettingsDialog::storeAtClosing()
{
    m_stored = false;
    if (!m_recordAvailable)
        return true;
    if (!checkVatRates())
        return false;
    // A wrong identifier still in the field with the focus goes back to
    // what it was; it does not keep the dialog open.
    for (IdentifierGuard* guard : std::as_const(m_identifierGuards))
        guard->settle();
    if (m_internet->hasFocus())
        applyWebScheme();
    if (!m_rs->update()) {
        const QString text = u("Die Einstellungen konnten nicht gespeichert werden.\n%1\n\n"
                               "Soll das Fenster trotzdem geschlossen werden? Ihre Änderungen gehen dann verloren.")
                                 .arg(m_rs->lastError());
        if (m_ctx.prompts.message(QStringLiteral("Fehler"), text, Prompts::Icon::Critical, Prompts::Yes | Prompts::No)
            != Prompts::Yes)
            return false;
        m_rs->cancelUpdate();
        return true;
    }
    RegistryValues v;
    v.titleColour = m_titleColour;
    v.Rechnungsbasis = m_net->isChecked() ? 0 : 1;
    v.receiptConfirmation = m_receipt->isChecked();
    v.giroCode = m_giroCode->isChecked();
    writeRegistryValues(m_ctx.settings, v);
    m_ctx.state.Rechnungsbasis = v.Rechnungsbasis;
    m_stored = true;
    Q_EMIT settingsChanged();
    return true;
}

void SettingsDialog::done(int result)
{
    if (m_closing)
        return;
    m_closing = true;
    const bool mayClose = storeAtClosing();
    m_closing = false;
    if (mayClose)
        QDialog::done(result);
}

bool SettingsDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_internet && event->type() == QEvent::FocusOut) {
        applyWebScheme();
    } else if ((watched == m_colourSwatch || watched == m_colourCaption)
               && event->type() == QEvent::MouseButtonRelease
               && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        chooseTitleColour();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

bool openSettingsDialog(AppContext& ctx, Database& db, QWidget* parent, CompanySettings* company)
{
    SettingsDialog dialog(ctx, db, parent);
    if (const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen())
        dialog.fitInto(screen->availableGeometry());
    if (company) {
        QObject::connect(&dialog, &SettingsDialog::settingsChanged, &dialog, [company, &db] { company->load(db); });
    }
    dialog.exec();
    return dialog.stored();
}

} // namespace quittora
