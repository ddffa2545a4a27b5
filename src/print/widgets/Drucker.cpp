#include "print/widgets/Drucker.h"

#include "data/CompanySettings.h"
#include "platform/Context.h"
#include "platform/Prompts.h"
#include "platform/widgets/NumericKeyFilter.h"
#include "print/PrinterSetup.h"
#include "print/Printers.h"

#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace quittora {

namespace {

QPushButton* makeButton(const QString& text, const char* name, QWidget* parent)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    // Enter in the boxes must not press a button behind the user's back.
    b->setAutoDefault(false);
    b->setDefault(false);
    return b;
}

QLineEdit* makeBox(const char* name, QWidget* parent)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setMaximumWidth(90);
    return e;
}

QLabel* makeText(const QString& text, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    l->setWordWrap(true);
    return l;
}

} // namespace

Drucker::Drucker(AppContext& ctx, Printers& printers, CompanySettings& company, QWidget* parent)
    : QDialog(parent)
    , m_ctx(ctx)
    , m_printers(printers)
    , m_company(company)
{
    setObjectName(QStringLiteral("Drucker"));
    setWindowTitle(QStringLiteral(" Drucker einstellen"));
    setModal(true);
    buildControls();

    const QStringList names = m_printers.names();
    m_printerList->addItems(names);
    m_printerList->setCurrentIndex(names.indexOf(currentPrinterName(m_printers, m_ctx.state)));

    loadPrinterSettings(m_ctx.settings, m_ctx.state.decimalSeparator, m_ctx.state);
    m_printerList->setEditText(m_ctx.state.Druckerauswahl);
    showMargins();
    m_copies->setText(m_company.copies());
}

void Drucker::buildControls()
{
    auto* choice = new QGroupBox(QStringLiteral("Druckerauswahl"), this);
    m_printerList = new QComboBox(choice);
    m_printerList->setObjectName(QStringLiteral("cboPrinters"));
    // The text shows the stored choice (possibly a pattern); only picking an
    // entry changes the printer.
    m_printerList->setEditable(true);
    m_printerList->lineEdit()->setReadOnly(true);
    m_printerList->setInsertPolicy(QComboBox::NoInsert);
    auto* choiceLayout = new QVBoxLayout(choice);
    choiceLayout->addWidget(m_printerList);

    auto* left = new QGroupBox(QStringLiteral(" von links (in mm) "), this);
    m_fromLeft = makeBox("txtLinks", left);
    auto* leftLayout = new QHBoxLayout(left);
    leftLayout->addWidget(m_fromLeft);
    leftLayout->addWidget(makeText(QStringLiteral("von links  - Wert größer = Ansatz weiter links"), left), 1);

    auto* top = new QGroupBox(QStringLiteral(" von oben (in mm) "), this);
    m_fromTop = makeBox("txtOben", top);
    auto* topLayout = new QHBoxLayout(top);
    topLayout->addWidget(m_fromTop);
    topLayout->addWidget(makeText(QStringLiteral("von oben - Wert größer = Ansatz weiter oben"), top), 1);

    m_copies = makeBox("txtKopien", this);
    auto* copiesRow = new QHBoxLayout;
    copiesRow->addWidget(new QLabel(QStringLiteral("Anzahl der Kopieen:"), this));
    copiesRow->addWidget(m_copies);
    copiesRow->addStretch(1);

    m_testPrint = makeButton(QStringLiteral("&Testdruck"), "cmdTestdruck", this);
    m_save = makeButton(QStringLiteral("Werte &speichern"), "cmdSpeichern", this);
    m_reset = makeButton(QStringLiteral("Standard"), "cmdStandard", this);
    m_close = makeButton(QStringLiteral("&Schließen"), "cmdSchliessen", this);
    m_save->setEnabled(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_testPrint);
    buttons->addWidget(m_save);
    buttons->addWidget(m_reset);
    buttons->addStretch(1);
    buttons->addWidget(m_close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(choice);
    layout->addWidget(left);
    layout->addWidget(top);
    layout->addWidget(makeText(QStringLiteral("Zehntel mm bitte mit Komma eingeben (z.B.4,5)"), this));
    layout->addWidget(makeText(QStringLiteral("Im Normalfall sollten Ihre Druckränder automatisch erkannt werden. "
                                              "Falls nicht,  messen Sie bitte nach dem Testdruck den Rand und "
                                              "tragen Sie diese Werte entsprechend ein. Anschließend speichern"),
                               this));
    layout->addLayout(copiesRow);
    layout->addLayout(buttons);

    // The margin boxes drop other keys silently; the copies box says so.
    for (QLineEdit* box : {m_fromLeft, m_fromTop}) {
        NumericKeyFilter::install(box, m_ctx, &marginKey, QString());
        box->installEventFilter(this);
    }
    NumericKeyFilter::install(m_copies, m_ctx, [](QChar typed, QChar) { return copiesKey(typed); });

    connect(m_printerList, &QComboBox::activated, this, &Drucker::printerChosen);
    connect(m_fromLeft, &QLineEdit::textEdited, this, [this] { m_leftChanged = true; });
    connect(m_fromTop, &QLineEdit::textEdited, this, [this] { m_topChanged = true; });
    for (QLineEdit* box : {m_fromLeft, m_fromTop})
        connect(box, &QLineEdit::textChanged, this, [this] { m_save->setEnabled(true); });
    connect(m_testPrint, &QPushButton::clicked, this, &Drucker::testPrint);
    connect(m_save, &QPushButton::clicked, this, [this] {
        if (saveValues())
            accept();
    });
    connect(m_reset, &QPushButton::clicked, this, &Drucker::resetValues);
    connect(m_close, &QPushButton::clicked, this, &Drucker::closeButton);
}

void Drucker::showMargins()
{
    const QChar sep = m_ctx.state.decimalSeparator;
    m_fromLeft->setText(marginBoxText(m_ctx.state.xwert, sep));
    m_fromTop->setText(marginBoxText(m_ctx.state.ywert, sep));
    m_leftChanged = false;
    m_topChanged = false;
}

void Drucker::printerChosen(int index)
{
    if (index < 0)
        return;
    m_ctx.state.currentPrinter = m_printerList->itemText(index);
    showMargins();
    m_copies->setText(QStringLiteral("1"));
}

void Drucker::testPrint()
{
    QString error;
    // Without margin values: the sheet shows where the printable area begins.
    if (!m_printers.print(currentPrinterName(m_printers, m_ctx.state), {testPrintDocument()}, MarginValues{},
                          &error)) {
        m_ctx.prompts.critical(printerTexts::errorTitle(), error);
        return;
    }
    m_ctx.prompts.message(QStringLiteral("Quittora pro"), printerTexts::testPrintHint(), Prompts::Icon::None,
                          Prompts::Ok);
}

bool Drucker::saveValues()
{
    const QString error = storePrinterSettings(m_ctx.settings, m_ctx.state.decimalSeparator, m_fromLeft->text(),
                                               m_fromTop->text(), currentPrinterName(m_printers, m_ctx.state),
                                               m_ctx.state);
    if (!error.isEmpty()) {
        m_ctx.prompts.critical(printerTexts::errorTitle(), error);
        return false;
    }
    m_leftChanged = false;
    m_topChanged = false;
    return true;
}

void Drucker::resetValues()
{
    if (m_ctx.prompts.message(printerTexts::resetTitle(), printerTexts::resetQuestion(), Prompts::Icon::Question,
                              Prompts::Yes | Prompts::No)
        == Prompts::No)
        return;
    deletePrinterSettings(m_ctx.settings);
    m_printerList->setEditText(QString());
    Rand_ermitteln(m_printers, m_ctx.state);
    showMargins();
}

void Drucker::closeButton()
{
    m_leftChanged = false;
    m_topChanged = false;
    reject();
}

void Drucker::done(int result)
{
    const QString copies = m_copies->text();
    if (copies != m_company.copies()) {
        m_company.setValue(QStringLiteral("frei1"), copies);
        Q_EMIT copiesChanged(copies);
    }
    if (m_leftChanged || m_topChanged) {
        const auto answer = m_ctx.prompts.message(printerTexts::saveChangesTitle(),
                                                  printerTexts::saveChangesQuestion(), Prompts::Icon::Question,
                                                  Prompts::Yes | Prompts::No);
        // A value that is no number keeps the dialog open so it can be
        // corrected (or the question answered with No).
        if (answer != Prompts::No && !saveValues())
            return;
        m_leftChanged = false;
        m_topChanged = false;
    }
    QDialog::done(result);
}

bool Drucker::eventFilter(QObject* watched, QEvent* event)
{
    auto* box = qobject_cast<QLineEdit*>(watched);
    if (box && event->type() == QEvent::FocusIn) {
        // After the click that gave the focus, so the click does not undo it.
        QTimer::singleShot(0, box, &QLineEdit::selectAll);
    }
    return QDialog::eventFilter(watched, event);
}

void Drucker::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_centred) {
        m_centred = true;
        if (QScreen* s = screen())
            move(s->availableGeometry().center() - rect().center());
    }
}

} // namespace quittora
