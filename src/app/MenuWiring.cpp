#include "app/MenuWiring.h"

#include "tools/BackgroundColour.h"
#include "tools/Manual.h"
#include "tools/widgets/InfoDialog.h"
#include "workspace/widgets/RechnungWindow.h"
#include "workspace/widgets/ToolbarArea.h"

#include <QAction>
#include <QToolButton>

namespace quittora {

void wireHelpAndColourMenus(RechnungWindow& window, AppContext& ctx)
{
    const RechnungMenus& m = window.menus();
    m.hintergrundfarbe->setEnabled(true);
    QObject::connect(m.hintergrundfarbe, &QAction::triggered, &window, [&window, &ctx] {
        if (chooseBackgroundColour(ctx).changed)
            window.applyBackgroundColour();
    });
    m.anleitung->setEnabled(true);
    QObject::connect(m.anleitung, &QAction::triggered, &window,
                     [&ctx] { openManual(ctx.folders, ctx.shell, ctx.prompts); });
    m.info->setEnabled(true);
    QObject::connect(m.info, &QAction::triggered, &window, [&window, &ctx] { showInfo(ctx, &window); });
}

void wireBackup(RechnungWindow& window, std::function<void()> openBackup)
{
    const RechnungMenus& m = window.menus();
    m.datensicherung->setEnabled(true);
    QObject::connect(m.datensicherung, &QAction::triggered, &window, openBackup);
    window.toolbar().backup()->setEnabled(true);
    QObject::connect(window.toolbar().backup(), &QToolButton::clicked, &window, openBackup);
}

} // namespace quittora
