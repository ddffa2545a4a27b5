#pragma once

#include "platform/Context.h"

#include <functional>

namespace quittora {

class RechnungWindow;

// Connects the main window's help and colour items, which need nothing of
// the window but its menus and its background.
void wireHelpAndColourMenus(RechnungWindow& window, AppContext& ctx);

// Connects "Daten&sicherung" and the backup button to the given action.
void wireBackup(RechnungWindow& window, std::function<void()> openBackup);

} // namespace quittora
