// Clone files named to a second copy of the program (a double click on a clone file while the
// program runs) are handed to the running copy: the second copy leaves the path in a request
// folder beside the single-instance lock and ends, as any second copy does; the running copy
// watches that folder and opens each path when it is free to (not while it is cloning, printing or
// showing a dialog).
#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>

#include <functional>
#include <string>
#include <vector>

namespace qx {

// The request folder belonging to a single-instance lock file.
std::string cuiOpenRequestFolder(const std::string& lockFile);

// Leaves a request to open `path` in `folder`; false when it cannot be written.
bool cuiSendOpenRequest(const std::string& folder, const std::string& path);

class cuiOpenRequests final : public QObject {
    Q_OBJECT
public:
    using Opener = std::function<void(const std::string& path)>;
    using Ready = std::function<bool()>;
    // Watches `folder` (made when missing; requests left in it by an earlier run are dropped).
    // `open` is called for each request once `ready` says the program is free.
    cuiOpenRequests(const std::string& folder, Opener open, Ready ready, QObject* parent = nullptr);

    // The paths requested so far, oldest first; their requests are removed.
    std::vector<std::string> Take();

private:
    void Check();

    std::string folder_;
    Opener open_;
    Ready ready_;
    QFileSystemWatcher watcher_;
    QTimer retry_;
};

}  // namespace qx
