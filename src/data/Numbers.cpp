#include "data/Numbers.h"

namespace quittora {

namespace {

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// The characters the leading-number reading passes over wherever they stand.
bool isSkippedInLeadingNumber(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n');
}

} // namespace

std::optional<Decimal> localeNumber(QStringView text, QChar decimalSeparator)
{
    const QStringView t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    // Rewrite into the plain form Decimal reads; anything but sign, digits and
    // one locale separator disqualifies the text.
    QString plain;
    plain.reserve(t.size());
    qsizetype i = 0;
    if (t[0] == QLatin1Char('-') || t[0] == QLatin1Char('+')) {
        plain += t[0];
        i = 1;
    }
    bool separatorSeen = false;
    bool digitSeen = false;
    for (; i < t.size(); ++i) {
        const QChar c = t[i];
        if (isAsciiDigit(c)) {
            digitSeen = true;
            plain += c;
        } else if (c == decimalSeparator && !separatorSeen) {
            separatorSeen = true;
            plain += QLatin1Char('.');
        } else {
            return std::nullopt;
        }
    }
    if (!digitSeen)
        return std::nullopt;
    return Decimal::fromString(plain);
}

Decimal leadingNumber(QStringView text)
{
    // Collect the number in plain form, skipping the blanks it may contain,
    // then read it exactly.
    qsizetype i = 0;
    const qsizetype n = text.size();
    auto skip = [&] {
        while (i < n && isSkippedInLeadingNumber(text[i]))
            ++i;
    };

    skip();
    bool negative = false;
    if (i < n && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    QString digits; // without decimal point
    int pointPos = -1; // digits before the point
    for (;; ++i) {
        skip();
        if (i >= n)
            break;
        const QChar c = text[i];
        if (isAsciiDigit(c)) {
            digits += c;
        } else if (c == QLatin1Char('.') && pointPos < 0) {
            pointPos = int(digits.size());
        } else {
            break;
        }
    }
    if (pointPos < 0)
        pointPos = int(digits.size());
    if (digits.isEmpty())
        return Decimal();

    // Exponent: E or D, optional sign, digits. Without digits it is no
    // exponent and the mantissa stands alone.
    long long exponent = 0;
    if (i < n && (text[i].toUpper() == QLatin1Char('E') || text[i].toUpper() == QLatin1Char('D'))) {
        qsizetype j = i + 1;
        auto skipJ = [&] {
            while (j < n && isSkippedInLeadingNumber(text[j]))
                ++j;
        };
        skipJ();
        bool expNegative = false;
        if (j < n && (text[j] == QLatin1Char('-') || text[j] == QLatin1Char('+'))) {
            expNegative = text[j] == QLatin1Char('-');
            ++j;
        }
        long long e = 0;
        bool expDigit = false;
        for (;; ++j) {
            skipJ();
            if (j >= n || !isAsciiDigit(text[j]))
                break;
            expDigit = true;
            if (e < 100000)
                e = e * 10 + (text[j].unicode() - '0');
        }
        if (expDigit)
            exponent = expNegative ? -e : e;
    }

    // Drop leading zeros so the position arithmetic below stays small.
    qsizetype firstNonZero = 0;
    while (firstNonZero < digits.size() && digits[firstNonZero] == QLatin1Char('0'))
        ++firstNonZero;
    if (firstNonZero == digits.size())
        return Decimal();
    digits.remove(0, firstNonZero);
    long long point = pointPos - firstNonZero + exponent; // digits before the point

    QString plain;
    if (negative)
        plain += QLatin1Char('-');
    if (point <= 0) {
        if (point < -(Decimal::kScaleDigits + 1))
            return Decimal(); // far below the smallest unit
        plain += QStringLiteral("0.");
        plain += QString(qsizetype(-point), QLatin1Char('0'));
        plain += digits;
    } else if (point >= digits.size()) {
        if (point > 40)
            return Decimal(); // no such amount; treated as no number
        plain += digits;
        plain += QString(qsizetype(point - digits.size()), QLatin1Char('0'));
    } else {
        plain += digits.left(point);
        plain += QLatin1Char('.');
        plain += digits.mid(point);
    }
    return Decimal::fromString(plain).value_or(Decimal());
}

QString amountText(Decimal value, QChar decimalSeparator)
{
    return value.toFixed(2, decimalSeparator);
}

QString plainNumberText(Decimal value, QChar decimalSeparator)
{
    return value.toString(decimalSeparator);
}

QString dateText(const QDate& date)
{
    if (!date.isValid())
        return {};
    return date.toString(QStringLiteral("dd.MM.yyyy"));
}

QDate parseDateText(QStringView text)
{
    const QStringView t = text.trimmed();
    int parts[3] = {0, 0, 0};
    int lengths[3] = {0, 0, 0};
    int part = 0;
    for (const QChar c : t) {
        if (c == QLatin1Char('.')) {
            if (++part > 2)
                return {};
            continue;
        }
        if (!isAsciiDigit(c) || lengths[part] >= 4)
            return {};
        parts[part] = parts[part] * 10 + (c.unicode() - '0');
        ++lengths[part];
    }
    if (part != 2)
        return {};
    if (lengths[0] < 1 || lengths[0] > 2 || lengths[1] < 1 || lengths[1] > 2)
        return {};
    int year = parts[2];
    if (lengths[2] == 2)
        year += 2000;
    else if (lengths[2] != 4)
        return {};
    const QDate date(year, parts[1], parts[0]);
    return date.isValid() ? date : QDate();
}

} // namespace quittora
