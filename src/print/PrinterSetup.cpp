#include "print/PrinterSetup.h"

#include "data/JetLike.h"
#include "data/Numbers.h"
#include "platform/Context.h"
#include "platform/SettingsStore.h"
#include "print/PrintCursor.h"
#include "print/Printers.h"

#include <QPageLayout>

#include <charconv>
#include <cmath>

namespace quittora {

namespace {

const QString kXwert = QStringLiteral("xwert");
const QString kYwert = QStringLiteral("ywert");
const QString kDruckerauswahl = QStringLiteral("Druckerauswahl");

QString withSeparator(QString plain, QChar decimalSeparator)
{
    plain.replace(QLatin1Char('.'), decimalSeparator);
    return plain;
}

} // namespace

MarginValues offsetsFromDeviceDots(double dotsX, double dotsY, double dpiX, double dpiY)
{
    if (!(dpiX > 0) || !(dpiY > 0))
        return {};
    return {float(Millimetres::fromDots(dotsX, dpiX).value()), float(Millimetres::fromDots(dotsY, dpiY).value())};
}

MarginValues printableOffsets(const QPageLayout& layout)
{
    QPageLayout mm = layout;
    mm.setUnits(QPageLayout::Millimeter);
    const QMarginsF m = mm.minimumMargins();
    return {float(m.left()), float(m.top())};
}

QString currentPrinterName(const Printers& printers, const ProgramState& state)
{
    return state.currentPrinter.isEmpty() ? printers.defaultName() : state.currentPrinter;
}

void Rand_ermitteln(const Printers& printers, ProgramState& state)
{
    const MarginValues offsets = printers.physicalOffsets(currentPrinterName(printers, state));
    state.xwert = offsets.xwert;
    state.ywert = offsets.ywert;
}

QString marginSettingText(float value, QChar decimalSeparator)
{
    if (!std::isfinite(value) || value == 0.0f)
        return QStringLiteral("0");
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed);
    if (res.ec != std::errc())
        return QStringLiteral("0");
    return withSeparator(QString::fromLatin1(buf, res.ptr - buf), decimalSeparator);
}

QString marginBoxText(float value, QChar decimalSeparator)
{
    const Decimal d = Decimal::fromString(QString::number(double(value), 'f', 6)).value_or(Decimal());
    return amountText(d, decimalSeparator);
}

std::optional<float> readMargin(const QString& text, QChar decimalSeparator)
{
    const auto d = localeNumber(text, decimalSeparator);
    if (!d)
        return std::nullopt;
    bool ok = false;
    const float v = d->toString().toFloat(&ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

void loadPrinterSettings(const SettingsStore& store, QChar decimalSeparator, ProgramState& state)
{
    if (const auto x = readMargin(store.value(kXwert), decimalSeparator))
        state.xwert = *x;
    if (const auto y = readMargin(store.value(kYwert), decimalSeparator))
        state.ywert = *y;
    state.Druckerauswahl = store.value(kDruckerauswahl, state.Druckerauswahl);
}

QString storePrinterSettings(SettingsStore& store, QChar decimalSeparator, const QString& fromLeft,
                             const QString& fromTop, const QString& printerName, ProgramState& state)
{
    const auto x = readMargin(fromLeft, decimalSeparator);
    const auto y = readMargin(fromTop, decimalSeparator);
    if (!x || !y) {
        const QString left = QStringLiteral("\"von links (in mm)\"");
        const QString top = QStringLiteral("\"von oben (in mm)\"");
        const QString boxes = !x && !y ? left + QStringLiteral(" und ") + top : (!x ? left : top);
        const QString example = QLatin1Char('4') + decimalSeparator + QLatin1Char('5');
        return QStringLiteral("Bitte geben Sie bei %1 eine Zahl ein (z.B. %2).\n"
                              "Die Druckereinstellungen wurden nicht gespeichert.")
            .arg(boxes, example);
    }
    state.xwert = *x;
    state.ywert = *y;
    state.Druckerauswahl = printerName;
    store.setValue(kXwert, marginSettingText(*x, decimalSeparator));
    store.setValue(kYwert, marginSettingText(*y, decimalSeparator));
    store.setValue(kDruckerauswahl, printerName);
    return {};
}

void deletePrinterSettings(SettingsStore& store)
{
    store.remove(kXwert);
    store.remove(kYwert);
    store.remove(kDruckerauswahl);
}

int matchingPrinter(const QStringList& names, const QString& Druckerauswahl)
{
    for (int i = 0; i < names.size(); ++i) {
        if (jetLike(names.at(i), Druckerauswahl))
            return i;
    }
    return -1;
}

bool choosePrinter(const Printers& printers, ProgramState& state)
{
    const QStringList names = printers.names();
    const int i = matchingPrinter(names, state.Druckerauswahl);
    if (i < 0)
        return false;
    state.currentPrinter = names.at(i);
    return true;
}

PageModel testPrintDocument()
{
    using namespace literals;
    PrintCursor p;
    p.DrawWidth = 5;
    p.Line(0_mm, 0_mm, 150_mm, 0_mm);
    p.Line(0_mm, 0_mm, 0_mm, 150_mm);
    p.FontSize = 9.75;
    p.Print(QStringLiteral("Rand für DinA 4 - Hoch-Format"));
    p.Print();
    p.Print(QStringLiteral("Bitte messen Sie die jeweiligen Ränder und tragen Sie die Werte entsprechend ein."));
    std::vector<PageModel> docs = p.takeDocuments();
    return docs.empty() ? PageModel() : std::move(docs.front());
}

KeyDecision marginKey(QChar typed, QChar decimalSeparator)
{
    if (typed == kEnterKey)
        return {KeyDecision::Action::Reject, QChar()};
    return amountKey(typed, decimalSeparator);
}

KeyDecision copiesKey(QChar typed)
{
    if (typed == QLatin1Char(','))
        return {KeyDecision::Action::Accept, QChar()};
    return invoiceNumberKey(typed);
}

namespace printerTexts {
QString testPrintHint()
{
    return QStringLiteral("Messen Sie die jeweiligen Ränder, und tragen Sie diese Werte in die dafür vorgegebenen "
                          "Textfelder ein. Anschließen speichern. Ihr Drucker ist danach auf dieses Programm "
                          "eingestellt.");
}
QString resetQuestion()
{
    return QStringLiteral("Die Vorauswahl des gespeicherten Druckers wird gelöscht und die Druckerränder werden "
                          "jetzt zurückgesetzt und wieder automatisch erkannt.");
}
QString resetTitle() { return QStringLiteral("Achtung !"); }
QString saveChangesQuestion() { return QStringLiteral("Änderungen der Druckerränder speichern ?"); }
QString saveChangesTitle() { return QStringLiteral("Achtung, Daten wurden geändert !"); }
QString errorTitle() { return QStringLiteral("Fehler"); }
} // namespace printerTexts

} // namespace quittora
