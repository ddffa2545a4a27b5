#pragma once

#include <QString>

class QAction;
class QMenuBar;

namespace quittora {

// The menu bar of the main window. Every action and menu carries an
// objectName ("mnuOeffnen", ...) so the parts that bring its behaviour find
// it and enable it. Items whose behaviour is not there are disabled; the six
// items designed unavailable stay disabled for good and carry the property
// "designedUnavailable".
struct RechnungMenus {
    QAction* oeffnen = nullptr;              // "öffnen"
    QAction* datensicherung = nullptr;       // "Daten&sicherung"
    QAction* rechnungenLoeschen = nullptr;   // "alle Rechnungen vor dieser löschen"
    QAction* datenkorrektur = nullptr;       // "Datenkorrektur"
    QAction* beenden = nullptr;              // "&Beenden"
    QAction* umsatz = nullptr;               // "Umsatz"
    QAction* offenePosten = nullptr;         // "offene Posten" (submenu)
    QAction* unbezahlte = nullptr;           // "unbezahlte Rechnungen anzeigen"
    QAction* zahlungserinnerung = nullptr;   // "Zahlungserinnerung drucken"
    QAction* mahnung = nullptr;              // "Mahnung drucken"
    QAction* rechnungDrucken = nullptr;      // "Rechnung drucken"
    QAction* rechnungEmail = nullptr;        // "Rechnung als E-Mail generieren"
    QAction* rechnungHtml = nullptr;         // "Rechnung in HTML ausgeben"
    QAction* xrechnung = nullptr;            // "E-Rechnung (XRechnung) speichern …"
    QAction* zugferd = nullptr;              // "E-Rechnung (ZUGFeRD-PDF) speichern …"
    QAction* stornieren = nullptr;           // "Rechnung stornieren"
    QAction* angebotZuRechnung = nullptr;    // "Angebot in Rechnung übernehmen"
    QAction* kopieren = nullptr;             // "Rechnung kopieren"
    QAction* lieferscheinDrucken = nullptr;  // "Lieferschein drucken"
    QAction* stammdaten = nullptr;           // "&Stammdaten"
    QAction* drucker = nullptr;              // "&Drucker"
    QAction* hintergrundfarbe = nullptr;     // "Hintergrundfarbe"
    QAction* anleitung = nullptr;            // "Anleitung im PDF-Format"
    QAction* info = nullptr;                 // "info ..."
};

// Name of the property that marks the items designed unavailable.
inline constexpr char kDesignedUnavailable[] = "designedUnavailable";

RechnungMenus buildRechnungMenus(QMenuBar* bar);

} // namespace quittora
