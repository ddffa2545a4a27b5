#pragma once

#include <QString>
#include <QStringList>

namespace quittora {

// The maker of the program as the information window names it, and the
// addresses its two links open.
struct Publisher {
    QString name;
    QString street;
    QString town;
    QString telephone;
    QString web;    // as shown ("www.…")
    QString email;  // as shown and mailed to
};

const Publisher& publisher();

// What a click on the shown web address and e-mail address opens.
QString publisherWebUrl();   // "https://" + web
QString publisherMailUrl();  // "mailto:" + email

// The contact block of the information window, one line each: name, street,
// town, telephone.
QStringList publisherAddressLines();

// The warranty disclaimer, word for word as it has always been shown.
QString disclaimerText();

// Credit for the postal-code data shipped with the program (licence terms
// require naming source and licence).
QString postalCodeCredit();

} // namespace quittora
