#include "tools/BackgroundColour.h"

#include "platform/Context.h"
#include "platform/Prompts.h"
#include "platform/SettingsStore.h"

namespace quittora {

QString backgroundColourKey() { return QStringLiteral("Hintergrundfarbe"); }

QString defaultBackgroundColourText() { return QStringLiteral("12566463"); }

QColor defaultBackgroundColour() { return QColor(0xBF, 0xBF, 0xBF); }

QColor colourFromBgrNumber(const QString& text, const QColor& fallback)
{
    bool ok = false;
    const qlonglong n = text.trimmed().toLongLong(&ok);
    if (!ok || n < 0 || n > 0xFFFFFF)
        return fallback;
    return QColor(int(n & 0xFF), int((n >> 8) & 0xFF), int((n >> 16) & 0xFF));
}

QString bgrNumber(const QColor& colour)
{
    const QColor c = colour.toRgb();
    return QString::number(qlonglong(c.red()) + qlonglong(c.green()) * 0x100 + qlonglong(c.blue()) * 0x10000);
}

QColor backgroundColour(const ProgramState& state) { return colourFromBgrNumber(state.backgroundColour); }

BackgroundChoice chooseBackgroundColour(AppContext& ctx)
{
    const QColor current = backgroundColour(ctx.state);
    const std::optional<QColor> chosen = ctx.prompts.chooseColor(current);
    if (!chosen || !chosen->isValid() || bgrNumber(*chosen) == QLatin1String("0"))
        return {current, false};
    const QString number = bgrNumber(*chosen);
    ctx.state.backgroundColour = number;
    ctx.settings.setValue(backgroundColourKey(), number);
    return {colourFromBgrNumber(number), true};
}

} // namespace quittora
