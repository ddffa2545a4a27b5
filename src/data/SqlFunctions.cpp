#include "data/SqlFunctions.h"

#include "data/JetLike.h"
#include "data/Numbers.h"
#include "data/Schema.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QStringDecoder>
#include <QVarLengthArray>
#include <QVariant>

#include <sqlite3.h>

#include <cstring>

namespace quittora {

namespace {

#ifdef SQLITE_INNOCUOUS
constexpr int kFlags = SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS;
#else
constexpr int kFlags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
#endif

// Any SQLite value as the text the program compares: numbers as SQLite
// writes them ("-1", "1.5"), text as it is.
QString textOf(sqlite3_value* v)
{
    const auto* bytes = reinterpret_cast<const char*>(sqlite3_value_text(v));
    return QString::fromUtf8(bytes, sqlite3_value_bytes(v));
}

// The value as UTF-16 in a buffer that is reused from row to row: LIKE runs
// once per row and field of a search, and letting SQLite translate each
// value would allocate every time. ASCII, the usual case, is widened
// directly. Valid until the next call.
QStringView viewOf(sqlite3_value* v)
{
    thread_local QVarLengthArray<QChar, 256> buffer;
    const auto* bytes = reinterpret_cast<const unsigned char*>(sqlite3_value_text(v));
    const int size = sqlite3_value_bytes(v);
    if (!bytes || size <= 0)
        return {};
    // Never more UTF-16 units than UTF-8 bytes.
    buffer.resize(size);
    QChar* out = buffer.data();
    int i = 0;
    for (; i < size && bytes[i] < 0x80; ++i)
        out[i] = QChar(char16_t(bytes[i]));
    if (i == size)
        return QStringView(out, size);
    // A byte order mark at the start is part of the text here, not a marker.
    QStringDecoder decoder(QStringDecoder::Utf8,
                           QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    const QChar* end = decoder.appendToBuffer(out + i, QByteArrayView(bytes + i, size - i));
    return QStringView(out, end - out);
}

void resultText(sqlite3_context* ctx, QStringView text)
{
    const QByteArray utf8 = text.toUtf8();
    sqlite3_result_text(ctx, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
}

bool anyNull(int argc, sqlite3_value** argv)
{
    for (int i = 0; i < argc; ++i) {
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL)
            return true;
    }
    return false;
}

// like(pattern, value): SQLite turns "value LIKE pattern" into this call.
// The pattern stays the same across the rows of one query, so its decoded
// form is kept with the statement.
void likeFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    auto* pattern = static_cast<QString*>(sqlite3_get_auxdata(ctx, 0));
    if (!pattern) {
        pattern = new QString(textOf(argv[0]));
        sqlite3_set_auxdata(ctx, 0, pattern, [](void* p) { delete static_cast<QString*>(p); });
        // SQLite may drop the auxiliary data at once; read it back.
        pattern = static_cast<QString*>(sqlite3_get_auxdata(ctx, 0));
    }
    const bool matches = pattern ? jetLike(viewOf(argv[1]), *pattern) : jetLike(viewOf(argv[1]), textOf(argv[0]));
    sqlite3_result_int(ctx, matches ? 1 : 0);
}

// Mid(s, start [, length]), 1-based on characters. A start below 1 or a
// negative length has no meaning: NULL, like any NULL argument.
void midFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    const QString s = textOf(argv[0]);
    const sqlite3_int64 start = sqlite3_value_int64(argv[1]);
    const sqlite3_int64 length = argc > 2 ? sqlite3_value_int64(argv[2]) : s.size();
    if (start < 1 || length < 0) {
        sqlite3_result_null(ctx);
        return;
    }
    if (start > s.size()) {
        resultText(ctx, QStringView());
        return;
    }
    resultText(ctx, QStringView(s).mid(static_cast<qsizetype>(start - 1), static_cast<qsizetype>(std::min<sqlite3_int64>(length, s.size()))));
}

void leftFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    const QString s = textOf(argv[0]);
    const sqlite3_int64 n = sqlite3_value_int64(argv[1]);
    if (n < 0) {
        sqlite3_result_null(ctx);
        return;
    }
    resultText(ctx, QStringView(s).left(static_cast<qsizetype>(std::min<sqlite3_int64>(n, s.size()))));
}

// Val(s): the leading number, whole numbers as INTEGER so that they compare
// equal to integer columns and bound integers.
void valFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    if (sqlite3_value_type(argv[0]) == SQLITE_INTEGER) {
        sqlite3_result_int64(ctx, sqlite3_value_int64(argv[0]));
        return;
    }
    const Decimal d = leadingNumber(textOf(argv[0]));
    const __int128 whole = d.raw() / Decimal::kScale;
    const __int128 limit = static_cast<__int128>(1) << 62;
    if (d.raw() % Decimal::kScale == 0 && whole < limit && whole > -limit) {
        sqlite3_result_int64(ctx, static_cast<sqlite3_int64>(whole));
        return;
    }
    sqlite3_result_double(ctx, d.toString().toDouble());
}

// SortKey(s): germanSortKey(), for ORDER BY; NULL stays NULL and sorts first.
void sortKeyFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    resultText(ctx, germanSortKey(textOf(argv[0])));
}

// Festgeschrieben(number): the lock triggers' refusal (see
// schema::lockStatements()); fails the statement with the German message,
// which names the invoice.
void lockedFunction(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    const QByteArray message = schema::lockedMessage(textOf(argv[0])).toUtf8();
    sqlite3_result_error(ctx, message.constData(), static_cast<int>(message.size()));
}

} // namespace

QString germanSortKey(const QString& text)
{
    // Plain letters and digits are the common case: no decomposition needed.
    QString key;
    key.reserve(text.size());
    bool plain = true;
    for (const QChar c : text) {
        if (c.unicode() >= 0x80) {
            plain = false;
            break;
        }
    }
    if (plain)
        return text.toLower();
    for (const QChar c : text.normalized(QString::NormalizationForm_KD)) {
        if (c.category() == QChar::Mark_NonSpacing)
            continue; // the dots of ä, the accent of é: the base letter counts
        if (c == QChar(0x00DF) || c == QChar(0x1E9E))
            key += QStringLiteral("ss");
        else
            key += c.toLower();
    }
    return key;
}

bool registerSqlFunctions(const QSqlDatabase& db)
{
    if (!db.isOpen() || !db.driver())
        return false;
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || std::strcmp(handle.typeName(), "sqlite3*") != 0)
        return false;
    sqlite3* sqlite = *static_cast<sqlite3* const*>(handle.constData());
    if (!sqlite)
        return false;
    struct Function {
        const char* name;
        int args;
        void (*fn)(sqlite3_context*, int, sqlite3_value**);
    };
    const Function functions[] = {
        {"like", 2, likeFunction},
        {"Mid", 2, midFunction},
        {"Mid", 3, midFunction},
        {"Left", 2, leftFunction},
        {"Val", 1, valFunction},
        {"SortKey", 1, sortKeyFunction},
    };
    for (const Function& f : functions) {
        if (sqlite3_create_function_v2(sqlite, f.name, f.args, kFlags, nullptr, f.fn, nullptr, nullptr, nullptr)
            != SQLITE_OK)
            return false;
    }
    // Not deterministic: it must run for every row the triggers refuse.
    return sqlite3_create_function_v2(sqlite, "Festgeschrieben", 1, SQLITE_UTF8, nullptr, lockedFunction, nullptr,
                                      nullptr, nullptr)
        == SQLITE_OK;
}

} // namespace quittora
