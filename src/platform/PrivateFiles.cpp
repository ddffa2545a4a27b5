#include "platform/PrivateFiles.h"

#include <QtGlobal>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace quittora {

void keepNewFilesPrivate()
{
#ifdef Q_OS_UNIX
    // One mask for the whole process also covers what SQLite and Qt create
    // on their own (the -wal and -shm files, QSaveFile's temporary).
    ::umask(S_IRWXG | S_IRWXO);
#endif
}

} // namespace quittora
