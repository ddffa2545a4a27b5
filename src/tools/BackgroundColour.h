#pragma once

#include <QColor>
#include <QString>

namespace quittora {

struct AppContext;
struct ProgramState;

// The user's background colour of the main window and the settings dialog.
// It is stored, as it always was, as the decimal number of a Windows colour
// value: red + green·256 + blue·65536 ("255" red, "16711680" blue).

// The setting's key in section "Startup".
QString backgroundColourKey(); // "Hintergrundfarbe"
// The colour of a fresh installation: "12566463", a light grey (#BFBFBF).
QString defaultBackgroundColourText();
QColor defaultBackgroundColour();

// The colour of a stored number. Text that is no number from 0 to 16777215
// (empty, letters, a negative Windows system-colour code) gives fallback.
QColor colourFromBgrNumber(const QString& text, const QColor& fallback = defaultBackgroundColour());
// The stored number of a colour (alpha is not kept).
QString bgrNumber(const QColor& colour);

// The colour the windows show for the program state's text.
QColor backgroundColour(const ProgramState& state);

// The menu action "Hintergrundfarbe": the colour dialog opens on the current
// colour. Cancelling it, or choosing black (which the old store could not
// tell from a cancelled dialog and which would hide all black text), keeps
// the current colour and stores nothing. Any other colour becomes the
// program state's colour and is stored under "Hintergrundfarbe".
struct BackgroundChoice {
    QColor colour;        // the colour to apply: the new one or the kept one
    bool changed = false; // a new colour was chosen and stored
};
BackgroundChoice chooseBackgroundColour(AppContext& ctx);

} // namespace quittora
