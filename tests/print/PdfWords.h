#pragma once

#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <vector>

namespace quittora::testing {

// A word of a PDF page as pdftotext -bbox reports it, in millimetres from the
// page's top-left corner.
struct PdfWord {
    int page = 0; // from 0
    QString text;
    double xMin = 0, yMin = 0, xMax = 0, yMax = 0;
};

// The words of a PDF file; empty with *error set when pdftotext fails.
inline std::vector<PdfWord> pdfWords(const QString& pdfFile, QString* error)
{
    QProcess proc;
    proc.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdfFile, QStringLiteral("-")});
    if (!proc.waitForFinished(30000) || proc.exitStatus() != QProcess::NormalExit || proc.exitCode() != 0) {
        *error = QStringLiteral("pdftotext failed: ") + proc.errorString() + QString::fromLocal8Bit(proc.readAllStandardError());
        return {};
    }
    static const QRegularExpression tag(
        QStringLiteral("<page |<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" yMax=\"([0-9.]+)\">([^<]*)</word>"));
    std::vector<PdfWord> words;
    int page = -1;
    constexpr double mmPerPoint = 25.4 / 72.0;
    for (auto it = tag.globalMatch(QString::fromUtf8(proc.readAllStandardOutput())); it.hasNext();) {
        const auto m = it.next();
        if (m.captured(0).startsWith(QLatin1String("<page")))
            ++page;
        else
            words.push_back({page, QString(m.captured(5)).replace(QLatin1String("&amp;"), QLatin1String("&"))
                                       .replace(QLatin1String("&lt;"), QLatin1String("<")).replace(QLatin1String("&gt;"), QLatin1String(">"))
                                       .replace(QLatin1String("&quot;"), QLatin1String("\"")),
                             m.captured(1).toDouble() * mmPerPoint, m.captured(2).toDouble() * mmPerPoint,
                             m.captured(3).toDouble() * mmPerPoint, m.captured(4).toDouble() * mmPerPoint});
    }
    return words;
}

inline const PdfWord* findWord(const std::vector<PdfWord>& words, const QString& text, int page = -1)
{
    const auto w = std::find_if(words.begin(), words.end(), [&](const PdfWord& w) { return w.text == text && (page < 0 || w.page == page); });
    return w == words.end() ? nullptr : &*w;
}

} // namespace quittora::testing
