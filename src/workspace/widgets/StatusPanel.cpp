#include "workspace/widgets/StatusPanel.h"

#include "data/widgets/FieldBinding.h"
#include "workspace/DataSources.h"
#include "workspace/MainWindowRules.h"
#include "workspace/widgets/Placement.h"

#include <QFrame>

namespace quittora {

using namespace placement;

StatusPanel::StatusPanel(QWidget* surface, DataSources& sources, QObject* parent)
    : QObject(parent)
    , m_panel(make<QFrame>(surface, "SSPanel3", QRect(0, 652, 1000, 38)))
    , m_settings(new FieldBinding(sources.settings(), this))
{
    m_panel->setFrameShape(QFrame::StyledPanel);
    m_panel->setFrameShadow(QFrame::Raised);
    m_panel->setAutoFillBackground(true);

    m_label24 = label(m_panel, "Label24", QString(), QRect(12, 9, 110, 20));
    m_label25 = label(m_panel, "Label25", QString(), QRect(128, 9, 110, 20));
    for (QLabel* l : {m_label24, m_label25}) {
        l->setFrameShape(QFrame::StyledPanel);
        l->setFrameShadow(QFrame::Sunken);
        l->setIndent(4);
    }

    QLineEdit* next = edit(m_panel, "Text32", QRect(354, 8, 80, 22));
    // The documents part decides how the next number may be typed.
    next->setReadOnly(true);
    caption(m_panel, QStringLiteral("nächste  R-Nr.:"), QRect(256, 8, 96, 22), next);
    m_settings->bind(next, QStringLiteral("Rechnungsnummer"));

    m_text22 = edit(m_panel, "Text22", QRect(652, 7, 336, 24));
    m_text22->setEnabled(false); // searching articles and customers comes with their part
    caption(m_panel, QStringLiteral("suchen nach ..."), QRect(560, 7, 90, 24), m_text22);
}

StatusPanel::~StatusPanel() = default;

void StatusPanel::setArticleCount(int count)
{
    m_label24->setText(mainwindow::articleCountText(count));
}

void StatusPanel::setCustomerCount(int count)
{
    m_label25->setText(mainwindow::customerCountText(count));
}

} // namespace quittora
