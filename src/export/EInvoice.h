#pragma once

#include "data/Decimal.h"

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

namespace quittora::einvoice {

// The two syntaxes EN 16931 allows; XRechnung accepts both.
enum class Syntax { Cii, Ubl };

// Which rules the file claims to follow (BT-24). ZUGFeRD embeds the plain
// EN 16931 profile; an authority with a Leitweg-ID wants XRechnung.
enum class Profile { XRechnung, En16931 };

QString guidelineIdentifier(Profile profile);

struct Address {
    QString street;   // BT-35 / BT-50
    QString postcode; // BT-38 / BT-53
    QString city;     // BT-37 / BT-52
    QString country;  // BT-40 / BT-55, ISO 3166-1 alpha-2
};

struct Party {
    QString name;              // BT-27 / BT-44
    QString id;                // BT-29 / BT-46: seller or buyer identifier
    QString vatId;             // BT-31 / BT-48
    QString taxNumber;         // BT-32 (seller only)
    QString contactName;       // BT-41 (seller only)
    QString phone;             // BT-42
    QString email;             // BT-43
    QString electronicAddress; // BT-34 / BT-49, scheme EM (an e-mail address)
    Address address;
};

// One VAT category of the document (BG-23), with the figures the paper shows.
struct VatBreakdown {
    QChar category;         // BT-118: S, Z or E
    Decimal rate;           // BT-119
    Decimal basis;          // BT-116
    Decimal amount;         // BT-117
    QString exemptionReason; // BT-120, for E
};

struct Line {
    QString id;          // BT-126
    Decimal quantity;    // BT-129
    QString unitCode;    // BT-130, UN/ECE Recommendation 20
    QString name;        // BT-153
    QString description; // BT-154, may be empty
    Decimal netPrice;    // BT-146
    Decimal netAmount;   // BT-131
    QChar category;      // BT-151
    Decimal rate;        // BT-152
};

struct Invoice {
    QString number;     // BT-1
    QDate issueDate;    // BT-2
    QString typeCode = QStringLiteral("380"); // BT-3
    QString currency;   // BT-5
    QString buyerReference; // BT-10
    QDate deliveryDate; // BT-72
    QString precedingNumber; // BT-25, for a cancellation
    QDate precedingDate;     // BT-26
    QStringList notes;  // BT-22
    Party seller;
    Party buyer;
    QString iban;          // BT-84
    QString bic;           // BT-86
    QString accountHolder; // BT-85
    QString paymentTerms;  // BT-20, may carry the XRechnung cash-discount line
    QList<Line> lines;
    QList<VatBreakdown> vat;
    Decimal lineTotal;  // BT-106
    Decimal taxTotal;   // BT-110
    Decimal grandTotal; // BT-112
    Decimal dueAmount;  // BT-115
};

// The file as UTF-8 XML. Pure: the caller has checked that what the rules
// require is there.
QByteArray write(const Invoice& invoice, Syntax syntax, Profile profile);

} // namespace quittora::einvoice
