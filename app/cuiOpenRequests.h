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

// Leaves a request to open `path` in `folder` (made when missing: the running copy may not have
// made it yet); false when it cannot be written.
bool cuiSendOpenRequest(const std::string& folder, const std::string& path);

// The time a request is named by: milliseconds since the epoch.
qint64 cuiOpenRequestClock();

class cuiOpenRequests final : public QObject {
    Q_OBJECT
public:
    using Opener = std::function<void(const std::string& path)>;
    using Ready = std::function<bool()>;
    // Watches `folder` (made when missing). `started` is the cuiOpenRequestClock() time before this
    // copy took the single-instance lock: requests sent earlier were left by an earlier run and are
    // dropped; later ones (a second copy may start while this one is still building its window)
    // are kept. `open` is called for each request once `ready` says the program is free.
    cuiOpenRequests(const std::string& folder, qint64 started, Opener open, Ready ready, QObject* parent = nullptr);

    // The paths requested so far, oldest first; their requests are removed.
    std::vector<std::string> Take();

private:
    void Check();

    std::string folder_;
    qint64 started_ = 0;
    Opener open_;
    Ready ready_;
    QFileSystemWatcher watcher_;
    QTimer retry_;
};

}  // namespace qx
