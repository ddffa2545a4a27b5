#pragma once

#include <QIcon>
#include <QPixmap>

namespace quittora {

// The pictures of the main window's toolbar, drawn rather than loaded, so
// they are sharp at every size and need no files beside the program.
enum class ToolbarPicture {
    NewDocument,
    DeleteDocument,
    Print,
    Email,
    DocumentList,
    Revenue,
    Backup,
    First,
    Previous,
    Next,
    Last,
};

QIcon toolbarIcon(ToolbarPicture picture);
QPixmap toolbarPixmap(ToolbarPicture picture, int size);

} // namespace quittora
