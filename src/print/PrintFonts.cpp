#include "print/PrintFonts.h"

#include <QFontMetricsF>
#include <QHash>
#include <QPaintDevice>

#include <memory>
#include <mutex>

namespace quittora {

namespace {

// A paint device that exists only to give font metrics the printer's
// resolution: QFontMetricsF scales a point size by the device's dpi.
class MeasureDevice final : public QPaintDevice {
public:
    QPaintEngine* paintEngine() const override { return nullptr; }

protected:
    int metric(PaintDeviceMetric m) const override
    {
        switch (m) {
        case PdmWidth:
            return qRound(PageModel::kPaperWidth.toDots(kPrintDpi));
        case PdmHeight:
            return qRound(PageModel::kPaperHeight.toDots(kPrintDpi));
        case PdmWidthMM:
            return qRound(PageModel::kPaperWidth.value());
        case PdmHeightMM:
            return qRound(PageModel::kPaperHeight.value());
        case PdmNumColors:
            return INT_MAX;
        case PdmDepth:
            return 32;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return kPrintDpi;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(devicePixelRatioFScale());
        }
        return 0;
    }
};

struct StyleKey {
    QString fontName;
    double sizePt;
    bool bold;
    bool underline;
    bool operator==(const StyleKey&) const = default;
};

size_t qHash(const StyleKey& k, size_t seed = 0)
{
    return qHashMulti(seed, k.fontName, k.sizePt, k.bold, k.underline);
}

const QFontMetricsF& metricsFor(const TextStyle& style)
{
    // Printing happens on the user-interface thread. Device and cache are
    // never destroyed: font objects must not outlive the application object,
    // which static destructors would make them do.
    static auto* device = new MeasureDevice;
    static auto* cache = new QHash<StyleKey, std::shared_ptr<QFontMetricsF>>;
    const StyleKey key{style.fontName, style.sizePt, style.bold, style.underline};
    auto it = cache->constFind(key);
    if (it == cache->constEnd())
        it = cache->insert(key, std::make_shared<QFontMetricsF>(printFont(style), device));
    return **it;
}

} // namespace

void installPrintFontSubstitutions()
{
    static std::once_flag once;
    std::call_once(once, [] {
        QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
        QFont::insertSubstitution(QStringLiteral("Helvetica"), QStringLiteral("Liberation Sans"));
        QFont::insertSubstitution(QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"));
        QFont::insertSubstitution(QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"));
    });
}

QFont printFont(const TextStyle& style)
{
    installPrintFontSubstitutions();
    QFont font(style.fontName);
    font.setPointSizeF(style.sizePt > 0 ? style.sizePt : 10.0);
    font.setBold(style.bold);
    font.setUnderline(style.underline);
    // Hinting snaps glyphs to the device grid and would make widths depend on
    // the resolution; printed text must measure the same everywhere.
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setStyleStrategy(QFont::StyleStrategy(QFont::PreferOutline | QFont::PreferQuality));
    return font;
}

Millimetres textWidth(const TextStyle& style, const QString& text)
{
    return Millimetres::fromDots(metricsFor(style).horizontalAdvance(text), kPrintDpi);
}

Millimetres lineHeight(const TextStyle& style)
{
    return Millimetres::fromDots(metricsFor(style).lineSpacing(), kPrintDpi);
}

Millimetres textAscent(const TextStyle& style)
{
    return Millimetres::fromDots(metricsFor(style).ascent(), kPrintDpi);
}

} // namespace quittora
