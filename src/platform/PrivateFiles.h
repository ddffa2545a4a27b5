#pragma once

namespace quittora {

// Invoices, customers and their backups are personal data: every file and
// folder the program creates from here on (the database with its journal,
// backups, safety copies, documents written for the user) is readable and
// writable by its owner only (0600, folders 0700), whoever else uses the
// computer. Called first thing by the program and the command-line tool.
void keepNewFilesPrivate();

} // namespace quittora
