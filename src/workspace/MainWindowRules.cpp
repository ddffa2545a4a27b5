#include "workspace/MainWindowRules.h"

#include "data/CompanySettings.h"
#include "platform/SettingsStore.h"

#include <algorithm>

namespace quittora::mainwindow {

bool screenWideEnough(int screenWidthPixels)
{
    return screenWidthPixels >= kMinScreenWidth;
}

QPoint centredTopLeft(const QRect& screenArea, QSize windowSize)
{
    const int left = screenArea.left() + std::max(0, (screenArea.width() - windowSize.width()) / 2);
    const int top = screenArea.top() + std::max(0, (screenArea.height() - windowSize.height()) / 2);
    return {left, top};
}

QSize startClientSize(QSize designClient, const QRect& availableArea, QSize frameExtra)
{
    if (!availableArea.isValid())
        return designClient;
    const int width = std::min(designClient.width(), availableArea.width() - frameExtra.width());
    const int height = std::min(designClient.height(), availableArea.height() - frameExtra.height());
    // A window too small to read is no help either; the screen check keeps
    // screens of this size away anyway.
    return {std::max(width, designClient.width() / 2), std::max(height, designClient.height() / 2)};
}

WindowState readWindowState(const SettingsStore& settings)
{
    return settings.value(kWindowStateKey, QStringLiteral("0")).trimmed() == QLatin1String("2")
        ? WindowState::Maximised
        : WindowState::Normal;
}

void writeWindowState(SettingsStore& settings, WindowState state)
{
    settings.setValue(kWindowStateKey, QString::number(static_cast<int>(state)));
}

QStringList vatChoices(const CompanySettings& settings)
{
    return {settings.vatRate1(), settings.vatRate2(), QStringLiteral("0")};
}

QString articleCountText(int count)
{
    return QString::number(count) + QStringLiteral(" Artikel");
}

QString customerCountText(int count)
{
    return QString::number(count) + QStringLiteral(" Kunden");
}

bool articleSortByNumber(const SettingsStore& settings)
{
    const QString v = settings.value(kArticleSortKey).trimmed();
    return v.compare(QLatin1String("Wahr"), Qt::CaseInsensitive) == 0
        || v.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0 || v == QLatin1String("-1")
        || v == QLatin1String("1");
}

void writeArticleSortByNumber(SettingsStore& settings, bool byNumber)
{
    settings.setValue(kArticleSortKey, byNumber ? QStringLiteral("Wahr") : QStringLiteral("Falsch"));
}

QString articleSource(bool byNumber)
{
    return byNumber ? QStringLiteral("Select * from Artikel Order by a2;")
                    : QStringLiteral("Select * from Artikel Order by SortKey(a3), a3, ID;");
}

} // namespace quittora::mainwindow
