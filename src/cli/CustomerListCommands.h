#pragma once

#include "cli/Commands.h"

namespace quittora::cli {

// customers-txt DATEI AUSGABE
// Writes the address list of all customers, in the order of the customer
// page (by name), exactly as the button "Kundenliste  ausgeben" writes it.
int runCustomersTxt(const QStringList& args, Io& io);

// customers-csv DATEI AUSGABE
// Writes the mail-merge control file of all customers, exactly as the
// button "Serienbrief - Steuerdatei" writes it.
int runCustomersCsv(const QStringList& args, Io& io);

} // namespace quittora::cli
