#include "workspace/widgets/HoverCaption.h"

#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QVariant>
#include <QStyle>
#include <QWidget>

namespace quittora {

HoverCaption::HoverCaption(QLabel* label, QFrame* shape, QWidget* background, QObject* parent)
    : QObject(parent)
    , m_label(label)
    , m_shape(shape)
    , m_background(background)
{
    m_label->hide();
    m_shape->hide();
    m_shape->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_label->installEventFilter(this);
    m_background->setMouseTracking(true);
    m_background->installEventFilter(this);
}

void HoverCaption::add(QWidget* button, const QString& caption)
{
    add(button, [caption] { return caption; });
}

void HoverCaption::add(QWidget* button, std::function<QString()> caption)
{
    m_captions.insert(button, std::move(caption));
    button->installEventFilter(this);
    connect(button, &QObject::destroyed, this, [this, button] { m_captions.remove(button); });
}

void HoverCaption::showFor(QWidget* button)
{
    const auto it = m_captions.constFind(button);
    if (it == m_captions.constEnd())
        return;
    m_current = button;
    m_label->setText((*it)());
    m_label->adjustSize();
    // The label hangs below the button, starting at its left edge; it stays
    // inside the window. Buttons inside panels are measured on the surface.
    QWidget* area = m_label->parentWidget();
    const QRect b(button->mapTo(area, QPoint(0, 0)), button->size());
    const int left = std::max(0, std::min(b.left(), area->width() - m_label->width()));
    m_label->move(left, b.bottom() + 3);
    m_label->show();
    m_label->raise();

    m_shape->setGeometry(b.left() - kShapeOffset, b.top() - 2, b.width() + kShapeOffset + 2, b.height() + 4);
    m_shape->show();
    // Behind a button of the surface; over one that sits inside a panel (it
    // is translucent and lets the mouse through).
    const bool overButton = button->parentWidget() != area;
    if (overButton)
        m_shape->raise();
    else
        m_shape->stackUnder(button);
    // Over a button the shape is an outline only: a fill would grey its caption.
    if (m_shape->property("overButton").toBool() != overButton) {
        m_shape->setProperty("overButton", overButton);
        m_shape->style()->unpolish(m_shape);
        m_shape->style()->polish(m_shape);
    }
    m_label->raise();
}

void HoverCaption::hide()
{
    m_current = nullptr;
    m_label->hide();
    m_shape->hide();
}

void HoverCaption::setPressed(QWidget* button, bool pressed)
{
    button->setProperty("pressedBorder", pressed);
    // The style sheet looks at the property; it must be told to look again.
    button->style()->unpolish(button);
    button->style()->polish(button);
    button->update();
}

bool HoverCaption::eventFilter(QObject* watched, QEvent* event)
{
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget && m_captions.contains(widget)) {
        switch (event->type()) {
        case QEvent::Enter:
            showFor(widget);
            break;
        case QEvent::MouseButtonPress:
            if (widget->isEnabled())
                setPressed(widget, true);
            break;
        case QEvent::MouseButtonRelease:
            if (widget->property("pressedBorder").toBool())
                setPressed(widget, false);
            break;
        case QEvent::Leave:
            if (widget->property("pressedBorder").toBool())
                setPressed(widget, false);
            // Like a tool tip: the caption goes with the mouse, also where
            // the mouse moves on to another control rather than the
            // background.
            if (m_current == widget)
                hide();
            break;
        default:
            break;
        }
    } else if (watched == m_label && event->type() == QEvent::Enter) {
        hide();
    } else if (watched == m_background && event->type() == QEvent::MouseMove && m_current) {
        // Moves over controls without mouse tracking arrive here too; only
        // the bare background (or anything but a toolbar button) hides.
        const QPoint pos = static_cast<QMouseEvent*>(event)->position().toPoint();
        QWidget* under = m_background->childAt(pos);
        while (under && under != m_background && !m_captions.contains(under))
            under = under->parentWidget();
        if (!under || under == m_background)
            hide();
    }
    return QObject::eventFilter(watched, event);
}

} // namespace quittora
