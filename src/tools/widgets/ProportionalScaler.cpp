#include "tools/widgets/ProportionalScaler.h"

#include <QEvent>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLayout>
#include <QMainWindow>
#include <QScopedValueRollback>
#include <QScreen>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTimer>
#include <QWidget>

namespace quittora {

namespace {

QWidget* surfaceOf(QWidget* window)
{
    if (auto* main = qobject_cast<QMainWindow*>(window); main && main->centralWidget())
        return main->centralWidget();
    return window;
}

bool layoutHolds(const QLayout* layout, const QWidget* widget)
{
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem* item = layout->itemAt(i);
        if (!item)
            continue;
        if (item->widget() == widget)
            return true;
        if (const QLayout* inner = item->layout(); inner && layoutHolds(inner, widget))
            return true;
    }
    return false;
}

bool placedByLayout(const QWidget* parent, const QWidget* child)
{
    const QLayout* layout = parent->layout();
    return layout && layoutHolds(layout, child);
}

// Widgets that merely hold hand-placed controls. Any other widget class keeps
// its own insides in order (a tab bar, the viewport of a table, an editor's
// buttons), so those children are none of ours.
bool isContainer(const QWidget* widget)
{
    const QMetaObject* type = widget->metaObject();
    return type == &QWidget::staticMetaObject || type == &QFrame::staticMetaObject
        || qobject_cast<const QGroupBox*>(widget);
}

QList<QWidget*> pagesOf(QWidget* widget)
{
    QList<QWidget*> pages;
    if (auto* tabs = qobject_cast<QTabWidget*>(widget)) {
        for (int i = 0; i < tabs->count(); ++i)
            pages.append(tabs->widget(i));
    } else if (auto* stack = qobject_cast<QStackedWidget*>(widget)) {
        for (int i = 0; i < stack->count(); ++i)
            pages.append(stack->widget(i));
    }
    return pages;
}

QList<QRect> screenRects()
{
    QList<QRect> rects;
    const auto screens = QGuiApplication::screens();
    for (const QScreen* screen : screens)
        rects.append(screen->geometry());
    return rects;
}

} // namespace

ProportionalScaler::ProportionalScaler(QWidget* window)
    : QObject(surfaceOf(window))
    , m_surface(surfaceOf(window))
{
    Q_ASSERT(m_surface);
    watch(m_surface);
}

void ProportionalScaler::watch(QWidget* container)
{
    // Installing twice keeps a single entry.
    container->installEventFilter(this);
}

std::optional<QRect> ProportionalScaler::designGeometry(const QWidget* control) const
{
    const auto it = m_design.constFind(control);
    if (it == m_design.constEnd())
        return std::nullopt;
    return *it;
}

void ProportionalScaler::recordDesign()
{
    if (hasDesign() || m_surface->size().isEmpty())
        return;
    m_designSize = m_surface->size();
    m_factors = {};
    QList<QWidget*> controls;
    collectControls(m_surface, controls);
    for (QWidget* control : std::as_const(controls))
        designOf(control);
}

QRect ProportionalScaler::designOf(QWidget* control)
{
    auto it = m_design.find(control);
    if (it != m_design.end())
        return *it;
    // A widget's address may be reused by a later one: forget it when it goes.
    connect(control, &QObject::destroyed, this, [this](QObject* gone) { m_design.remove(gone); });
    return *m_design.insert(control, control->geometry());
}

void ProportionalScaler::collectControls(QWidget* container, QList<QWidget*>& controls)
{
    watch(container);
    const QList<QWidget*> pages = pagesOf(container);
    if (!pages.isEmpty() || qobject_cast<QTabWidget*>(container) || qobject_cast<QStackedWidget*>(container)) {
        // New pages arrive as children of the stack, which a tab widget keeps
        // as its own child.
        if (auto* tabs = qobject_cast<QTabWidget*>(container)) {
            if (auto* stack = tabs->findChild<QStackedWidget*>(QString(), Qt::FindDirectChildrenOnly))
                watch(stack);
        }
        for (QWidget* page : pages)
            addControlsOf(page, controls);
        return;
    }
    if (container == m_surface || isContainer(container))
        addControlsOf(container, controls);
}

void ProportionalScaler::addControlsOf(QWidget* container, QList<QWidget*>& controls)
{
    watch(container);
    const QObjectList children = container->children();
    for (QObject* child : children) {
        auto* widget = qobject_cast<QWidget*>(child);
        if (!widget || widget->isWindow() || placedByLayout(container, widget))
            continue;
        controls.append(widget);
        collectControls(widget, controls);
    }
}

bool ProportionalScaler::mayScaleNow() const
{
    const QWidget* window = m_surface->window();
    if (window->isMinimized() || m_surface->size().isEmpty())
        return false;
    return !scaling::isParkedOffScreen(window->frameGeometry(), screenRects());
}

void ProportionalScaler::setDesignGeometry(QWidget* control, const QRect& rect)
{
    designOf(control);
    m_design.insert(control, rect);
    control->setGeometry(hasDesign() ? scaling::scaleRect(rect, m_factors) : rect);
}

void ProportionalScaler::rescale()
{
    if (m_busy)
        return;
    const QScopedValueRollback<bool> busy(m_busy, true);
    if (!mayScaleNow())
        return;
    if (!hasDesign()) {
        // The first resize comes in the middle of showing the window, before
        // controls without a set size have been given their natural one. So
        // only the size is fixed now; the controls, which nothing has moved
        // yet, are taken as they stand on the next pass.
        m_designSize = m_surface->size();
        m_factors = {};
        scheduleAdoption();
        return;
    }

    m_factors = scaling::factorsFor(m_surface->size(), m_designSize);
    QList<QWidget*> controls;
    collectControls(m_surface, controls);
    for (QWidget* control : std::as_const(controls)) {
        const QRect target = scaling::scaleRect(designOf(control), m_factors);
        if (control->geometry() != target)
            control->setGeometry(target);
    }
}

void ProportionalScaler::scheduleAdoption()
{
    if (m_adoptionPending || !hasDesign())
        return;
    m_adoptionPending = true;
    QTimer::singleShot(0, this, [this] {
        m_adoptionPending = false;
        rescale();
    });
}

bool ProportionalScaler::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::Resize:
        if (watched == m_surface)
            rescale();
        break;
    case QEvent::ChildAdded:
        if (static_cast<QChildEvent*>(event)->child()->isWidgetType())
            scheduleAdoption();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace quittora
