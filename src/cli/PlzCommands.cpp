#include "cli/PlzCommands.h"

#include "tools/PostalCodes.h"

namespace quittora::cli {

int runPlzImport(const QStringList& args, Io& io)
{
    if (args.size() != 4) {
        io.err << "Aufruf: quittora-cli plz-import ZIEL.mdb DE.csv AT.csv CH.csv\n";
        return kUsage;
    }
    const plz::ImportResult result = plz::importPostalCodes(args.at(0), {args.at(1), args.at(2), args.at(3)});
    if (!result.ok) {
        io.err << result.message << '\n';
        return kRefused;
    }
    io.out << "Postleitzahlen-Datenbank geschrieben: " << args.at(0) << '\n';
    for (std::size_t i = 0; i < plz::kCountries.size(); ++i) {
        io.out << plz::countryCaption(plz::kCountries[i]) << ": " << result.rows[i] << " Postleitzahlen";
        if (result.skipped[i] > 0)
            io.out << " (" << result.skipped[i] << " Zeilen ohne Postleitzahl oder Ort übersprungen)";
        io.out << '\n';
    }
    return kOk;
}

} // namespace quittora::cli
