#pragma once

#include "platform/Prompts.h"

#include <QPointer>
#include <QWidget>

namespace quittora {

// Prompts shown with Qt's standard dialogs (QMessageBox, QInputDialog,
// QFileDialog, QColorDialog), modal to the parent widget. The German button
// texts come from Qt's translations (installGermanTranslations). Without a
// parent the dialogs are modal to the application's active window.
class QtPrompts final : public Prompts {
public:
    explicit QtPrompts(QWidget* parent = nullptr) : m_parent(parent) {}

    void setParentWidget(QWidget* parent) { m_parent = parent; }
    QWidget* parentWidget() const;

    Button message(const QString& title, const QString& text, Icon icon, int buttons = Ok) override;
    std::optional<QString> input(const QString& title, const QString& prompt, const QString& defaultText = {}) override;
    std::optional<QString> openFile(const QString& title, const QString& startPath, const QString& filter) override;
    std::optional<QString> saveFile(const QString& title, const QString& startPath, const QString& filter) override;
    std::optional<QColor> chooseColor(const QColor& initial) override;

private:
    QPointer<QWidget> m_parent; // may be closed and deleted while we live
};

} // namespace quittora
