#pragma once

class QCoreApplication;
class QTranslator;

namespace quittora {

// Gives Qt's own dialogs German texts ("Ja", "Nein", "Abbrechen", the file
// and colour dialogs): installs Qt's German catalogue (qtbase_de from Qt's
// translations folder) into the application and makes German/Germany the
// default QLocale, which Qt's dialogs use for their texts and dates.
//
// The program's numbers do not follow that default: the decimal separator
// comes from LocaleInfo (the system locale), so code formatting or reading
// amounts must never use QLocale() for it.
//
// Returns the installed translator (owned by the application), or nullptr
// when the catalogue was not found; the dialogs are then English, everything
// else works. Calling it again returns the translator already installed.
QTranslator* installGermanTranslations(QCoreApplication& app);

} // namespace quittora
