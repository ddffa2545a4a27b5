#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRect>
#include <QString>

// Small helpers for hand-placed controls: each control is created with its
// design name at its design rectangle (pixels of the design size), which the
// window's proportional scaler takes as its design.
namespace quittora::placement {

template <typename W>
W* make(QWidget* parent, const char* name, const QRect& rect)
{
    auto* w = new W(parent);
    if (name && *name)
        w->setObjectName(QString::fromLatin1(name));
    w->setGeometry(rect);
    return w;
}

inline QLabel* label(QWidget* parent, const char* name, const QString& text, const QRect& rect)
{
    auto* l = make<QLabel>(parent, name, rect);
    l->setText(text);
    return l;
}

// A caption that belongs to a field: no name of its own, the field as buddy
// so its "&" letter jumps there.
inline QLabel* caption(QWidget* parent, const QString& text, const QRect& rect, QWidget* buddy = nullptr)
{
    auto* l = make<QLabel>(parent, nullptr, rect);
    l->setText(text);
    if (buddy)
        l->setBuddy(buddy);
    return l;
}

inline QLineEdit* edit(QWidget* parent, const char* name, const QRect& rect)
{
    return make<QLineEdit>(parent, name, rect);
}

inline QPushButton* button(QWidget* parent, const char* name, const QString& text, const QRect& rect,
                           bool enabled = true)
{
    auto* b = make<QPushButton>(parent, name, rect);
    b->setText(text);
    b->setEnabled(enabled);
    return b;
}

} // namespace quittora::placement
