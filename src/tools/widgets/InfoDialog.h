#pragma once

#include <QDialog>

class QLabel;

namespace quittora {

struct AppContext;

// The information window `Info`: product name with its shadow, version,
// release date, the program picture, the maker's contact block with a web
// and an e-mail link, the warranty disclaimer and the credit for the
// postal-code data. Modal, centred on the screen; its button closes it.
//
// Controls: `Label1` product name, `Label2` its shadow, `Label5` version,
// `Label6` release date, `Image1` picture, `Label7` address block, `Label8`
// web link, `Label9` e-mail link, `Label4` disclaimer, `Label10` credit,
// `Command1` "OK".
class InfoDialog final : public QDialog {
    Q_OBJECT
public:
    explicit InfoDialog(AppContext& ctx, QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* makeHeader();
    void centreOnScreen();

    AppContext& m_ctx;
    bool m_placed = false;
};

// Menu "info ...": shows the information window modally.
void showInfo(AppContext& ctx, QWidget* parent = nullptr);

} // namespace quittora
