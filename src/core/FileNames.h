#pragma once

#include <QString>

namespace keyrelay {

// File names that the program matches without regard to letter case, so that the same
// settings are found on a file system that tells case apart.
class FileNames {
public:
    // The path of the file in `folder` whose name equals `name` ignoring letter case:
    // the exact spelling when it exists, otherwise the first match in the folder's
    // listing, otherwise empty. `folder` empty means the working folder.
    static QString findIgnoringCase(const QString& folder, const QString& name);
};

}  // namespace keyrelay
