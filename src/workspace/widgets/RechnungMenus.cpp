#include "workspace/widgets/RechnungMenus.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace quittora {

namespace {

QMenu* addMenu(QMenuBar* bar, const char* caption, const char* name)
{
    QMenu* menu = bar->addMenu(QString::fromUtf8(caption));
    menu->setObjectName(QString::fromLatin1(name));
    menu->menuAction()->setObjectName(QString::fromLatin1(name));
    return menu;
}

enum class Availability { Now, Later, Never };

QAction* addItem(QMenu* menu, const char* caption, const char* name, Availability availability)
{
    QAction* action = menu->addAction(QString::fromUtf8(caption));
    action->setObjectName(QString::fromLatin1(name));
    action->setEnabled(availability == Availability::Now);
    if (availability == Availability::Never)
        action->setProperty(kDesignedUnavailable, true);
    return action;
}

} // namespace

RechnungMenus buildRechnungMenus(QMenuBar* bar)
{
    using enum Availability;
    RechnungMenus m;

    QMenu* datei = addMenu(bar, "&Datei", "mnuDatei");
    m.oeffnen = addItem(datei, "öffnen", "mnuOeffnen", Now);
    m.datensicherung = addItem(datei, "Daten&sicherung", "mnuDatensicherung", Later);
    m.rechnungenLoeschen = addItem(datei, "alle Rechnungen vor dieser löschen", "mnuRechnungenLoeschen", Never);
    m.datenkorrektur = addItem(datei, "Datenkorrektur", "mnuDatenkorrektur", Later);
    datei->addSeparator();
    m.beenden = addItem(datei, "&Beenden", "mnuBeenden", Now);

    QMenu* bearbeiten = addMenu(bar, "&Bearbeiten", "mnuBearbeiten");
    m.umsatz = addItem(bearbeiten, "Umsatz", "mnuUmsatz", Later);
    QMenu* offen = bearbeiten->addMenu(QStringLiteral("offene Posten"));
    offen->setObjectName(QStringLiteral("mnuOffenePosten"));
    m.offenePosten = offen->menuAction();
    m.offenePosten->setObjectName(QStringLiteral("mnuOffenePosten"));
    m.offenePosten->setEnabled(false);
    m.offenePosten->setProperty(kDesignedUnavailable, true);
    m.unbezahlte = addItem(offen, "unbezahlte Rechnungen anzeigen", "mnuUnbezahlte", Never);
    m.zahlungserinnerung = addItem(offen, "Zahlungserinnerung drucken", "mnuZahlungserinnerung", Never);
    m.mahnung = addItem(offen, "Mahnung drucken", "mnuMahnung", Never);

    QMenu* rechnung = addMenu(bar, "Rechnung", "mnuRechnung");
    m.rechnungDrucken = addItem(rechnung, "Rechnung drucken", "mnuRechnungDrucken", Later);
    m.rechnungEmail = addItem(rechnung, "Rechnung als E-Mail generieren", "mnuRechnungEmail", Later);
    m.rechnungHtml = addItem(rechnung, "Rechnung in HTML ausgeben", "mnuRechnungHtml", Never);
    m.xrechnung = addItem(rechnung, "E-Rechnung (XRechnung) speichern …", "mnuXRechnung", Later);
    m.zugferd = addItem(rechnung, "E-Rechnung (ZUGFeRD-PDF) speichern …", "mnuZugferd", Later);
    rechnung->addSeparator();
    m.stornieren = addItem(rechnung, "Rechnung stornieren", "mnuStornieren", Later);
    m.angebotZuRechnung = addItem(rechnung, "Angebot in Rechnung übernehmen", "mnuAngebotZuRechnung", Later);
    m.kopieren = addItem(rechnung, "Rechnung kopieren", "mnuKopieren", Later);

    QMenu* lieferschein = addMenu(bar, "Lieferschein", "mnuLieferschein");
    m.lieferscheinDrucken = addItem(lieferschein, "Lieferschein drucken", "mnuLieferscheinDrucken", Later);

    QMenu* einstellungen = addMenu(bar, "&Einstellungen", "mnuEinstellungen");
    m.stammdaten = addItem(einstellungen, "&Stammdaten", "mnuStammdaten", Later);
    m.drucker = addItem(einstellungen, "&Drucker", "mnuDrucker", Later);
    m.hintergrundfarbe = addItem(einstellungen, "Hintergrundfarbe", "mnuHintergrundfarbe", Later);

    QMenu* hilfe = addMenu(bar, "&Hilfe", "mnuHilfe");
    m.anleitung = addItem(hilfe, "Anleitung im PDF-Format", "mnuAnleitung", Later);
    m.info = addItem(hilfe, "info ...", "mnuInfo", Later);
    return m;
}

} // namespace quittora
