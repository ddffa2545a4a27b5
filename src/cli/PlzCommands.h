#pragma once

#include "cli/Commands.h"

namespace quittora::cli {

// plz-import ZIEL.mdb DE.csv AT.csv CH.csv
// Builds the postal-code database of the lookup from the GeoNames CSV files
// of Germany, Austria and Switzerland, replacing an older one at ZIEL in one
// step. Nothing is written unless all three files are good; a ZIEL that is
// not a postal-code database is never replaced.
int runPlzImport(const QStringList& args, Io& io);

} // namespace quittora::cli
