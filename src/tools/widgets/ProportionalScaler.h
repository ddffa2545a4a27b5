#pragma once

#include "tools/Scaling.h"

#include <QHash>
#include <QObject>
#include <QRect>
#include <QSize>

#include <optional>

class QWidget;

namespace quittora {

// Scales the hand-placed controls of a window in proportion to its inner size.
//
// The first scaling pass (normally the resize that comes with the first show)
// records the surface's size as the design size, and the controls' rectangles
// as they stand once the show is complete; each later resize places every
// control at its design rectangle times the whole-percent factors of the
// current size against the design size. Positions are always computed from
// the design, so 200 % and back lands exactly on the design again. Fonts keep
// their size.
//
// Controls are the child widgets that no layout manages, found below the
// surface, inside plain QWidget/QFrame containers and group boxes, and on the
// pages of tab and stacked widgets (the pages themselves are placed by their
// stack). The insides of other widgets are left to those widgets.
//
// A control that turns up after the design was recorded is taken with its
// rectangle as given in design coordinates and is placed at the current factors
// right away (on the next pass of the event loop, or at the next resize).
//
// No scaling happens while a pass is running (moving controls can resize the
// window again), while the window is minimised or has no area, or while the
// window is parked out of sight below the screens.
class ProportionalScaler final : public QObject {
    Q_OBJECT
public:
    // window: the window to scale; for a QMainWindow its central widget is the
    // surface (set it before). The scaler belongs to the surface.
    explicit ProportionalScaler(QWidget* window);

    QWidget* surface() const { return m_surface; }

    // Records the design now, the surface's current size and every control's
    // current rectangle, instead of at the first resize. Does nothing when a
    // design size is already recorded.
    void recordDesign();
    bool hasDesign() const { return m_designSize.isValid(); }
    QSize designSize() const { return m_designSize; }

    // The factors of the last pass that placed the controls (100/100 before).
    scaling::Factors factors() const { return m_factors; }

    // The recorded design rectangle of a control, relative to its parent.
    std::optional<QRect> designGeometry(const QWidget* control) const;

    // Moves a control for good: rect is in design coordinates and becomes the
    // control's design rectangle; the control is placed at the current factors.
    // (A plain setGeometry would be undone by the next resize.)
    void setDesignGeometry(QWidget* control, const QRect& rect);

    // One scaling pass, what every resize of the surface runs.
    void rescale();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool mayScaleNow() const;
    void collectControls(QWidget* container, QList<QWidget*>& controls);
    void addControlsOf(QWidget* container, QList<QWidget*>& controls);
    void watch(QWidget* container);
    QRect designOf(QWidget* control);
    void scheduleAdoption();

    QWidget* m_surface = nullptr;
    QSize m_designSize;
    scaling::Factors m_factors;
    QHash<const QObject*, QRect> m_design;
    bool m_busy = false;
    bool m_adoptionPending = false;
};

} // namespace quittora
