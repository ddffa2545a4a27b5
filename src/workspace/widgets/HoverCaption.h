#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class QFrame;
class QLabel;
class QWidget;

namespace quittora {

// One caption label and one highlight shape serve all toolbar buttons:
// moving the mouse over a button puts its caption into the label, aligns the
// label with the button and shows it, and shows the highlight shape just left
// of the button. Leaving the button, moving over the window's background or
// over the label hides both. Pressing a button draws a border around its picture; releasing it
// removes the border.
class HoverCaption : public QObject {
    Q_OBJECT
public:
    // label: `Bezeichnung12`; shape: the highlight; background: the surface
    // whose free area hides the caption.
    HoverCaption(QLabel* label, QFrame* shape, QWidget* background, QObject* parent = nullptr);

    // A fixed caption, or one computed when the mouse arrives (a caption that
    // names the current document's number).
    void add(QWidget* button, const QString& caption);
    void add(QWidget* button, std::function<QString()> caption);

    // What entering the button does; tests and keyboard users call it too.
    void showFor(QWidget* button);
    void hide();
    QWidget* shownFor() const { return m_current; }

    // Distance of the highlight shape's left edge from the button's.
    static constexpr int kShapeOffset = 8;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setPressed(QWidget* button, bool pressed);

    QLabel* m_label;
    QFrame* m_shape;
    QWidget* m_background;
    QHash<QWidget*, std::function<QString()>> m_captions;
    QPointer<QWidget> m_current;
};

} // namespace quittora
