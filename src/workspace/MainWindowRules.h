#pragma once

#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

namespace quittora {

class CompanySettings;
class SettingsStore;

// The rules of the main window `Rechnung` that need no widget: screen size,
// placement, the stored window state, the VAT choices and the count labels.
namespace mainwindow {

// Narrower screens cannot show the window's two halves side by side.
inline constexpr int kMinScreenWidth = 800;
inline const QString kScreenTitle = QStringLiteral("Achtung");
inline const QString kScreenTooSmallText = QStringLiteral("Auflösung 600 x 800 für dieses Programm erforderlich");

bool screenWideEnough(int screenWidthPixels);

// Top-left corner that centres a window of this size on the screen area;
// never above or left of the area.
QPoint centredTopLeft(const QRect& screenArea, QSize windowSize);

// Client size of the window at start: the design size, shrunk to what fits
// the available screen area once the frame (title bar, borders) is added.
// The controls scale down with it.
QSize startClientSize(QSize designClient, const QRect& availableArea, QSize frameExtra);

// Setting "Fenster": 0 normal, 2 maximised.
inline const QString kWindowStateKey = QStringLiteral("Fenster");
enum class WindowState { Normal = 0, Maximised = 2 };
// Anything but "2" is a normal window (a minimised window is never restored
// minimised, the user would not see it come back).
WindowState readWindowState(const SettingsStore& settings);
void writeWindowState(SettingsStore& settings, WindowState state);

// The VAT lists of article and line: rate 1 and rate 2 as typed in the
// settings, then "0".
QStringList vatChoices(const CompanySettings& settings);

// "12 Artikel", "3 Kunden".
QString articleCountText(int count);
QString customerCountText(int count);

// Setting of the article sort order ("Wahr"/"Falsch", or "True"/"False" from
// older files); only a true value sorts by number.
inline const QString kArticleSortKey = QStringLiteral("Sortierung nach Artikelnummer");
bool articleSortByNumber(const SettingsStore& settings);
void writeArticleSortByNumber(SettingsStore& settings, bool byNumber);
// The article source for the chosen order.
QString articleSource(bool byNumber);

} // namespace mainwindow
} // namespace quittora
