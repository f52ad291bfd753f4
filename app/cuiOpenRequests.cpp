#include "app/cuiOpenRequests.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileDevice>
#include <QSaveFile>

#include <unistd.h>

namespace qx {

namespace {

constexpr int kRetryMs = 500;

QString Q(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

std::string cuiOpenRequestFolder(const std::string& lockFile) { return lockFile + ".open"; }

qint64 cuiOpenRequestClock() { return QDateTime::currentMSecsSinceEpoch(); }

namespace {

// The folder, made private to the user when missing.
bool MakeFolder(const std::string& folder) {
    if (QDir(Q(folder)).exists()) return true;
    if (!QDir().mkpath(Q(folder))) return false;
    QFile::setPermissions(Q(folder), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return true;
}

// The time a request was sent, from its name; -1 when the name has none.
qint64 SentAt(const QString& name) {
    bool ok = false;
    const qint64 t = name.section('-', 0, 0).toLongLong(&ok);
    return ok ? t : -1;
}

}  // namespace

bool cuiSendOpenRequest(const std::string& folder, const std::string& path) {
    if (!MakeFolder(folder)) return false;
    // Named by time and process, so that requests sort oldest first and never collide; written
    // under a temporary name and renamed, so that the running copy never reads half a request.
    const QString name = QString("%1-%2.req")
                             .arg(cuiOpenRequestClock(), 16, 10, QLatin1Char('0'))
                             .arg(static_cast<qint64>(getpid()));
    QSaveFile file(Q(folder) + "/" + name);
    if (!file.open(QIODevice::WriteOnly)) return false;
    file.write(Q(path).toUtf8());
    return file.commit();
}

cuiOpenRequests::cuiOpenRequests(const std::string& folder, qint64 started, Opener open, Ready ready, QObject* parent)
    : QObject(parent), folder_(folder), started_(started), open_(std::move(open)), ready_(std::move(ready)) {
    MakeFolder(folder_);
    // Requests of an earlier run go; those sent since this copy started stay for the first check.
    QDir dir(Q(folder_));
    for (const QString& name : dir.entryList({"*.req"}, QDir::Files))
        if (SentAt(name) < started_) QFile::remove(dir.filePath(name));
    retry_.setSingleShot(true);
    retry_.setInterval(kRetryMs);
    connect(&retry_, &QTimer::timeout, this, [this] { Check(); });
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, [this] { Check(); });
    watcher_.addPath(Q(folder_));
    // What arrived before the folder was watched is opened too, once the event loop runs.
    QTimer::singleShot(0, this, [this] { Check(); });
}

std::vector<std::string> cuiOpenRequests::Take() {
    QDir dir(Q(folder_));
    std::vector<std::string> paths;
    for (const QString& name : dir.entryList({"*.req"}, QDir::Files, QDir::Name)) {
        QFile file(dir.filePath(name));
        if (file.open(QIODevice::ReadOnly)) {
            const QString path = QString::fromUtf8(file.readAll());
            if (!path.isEmpty()) paths.push_back(path.toStdString());
        }
        file.remove();
    }
    return paths;
}

void cuiOpenRequests::Check() {
    if (QDir(Q(folder_)).entryList({"*.req"}, QDir::Files).isEmpty()) return;
    if (ready_ && !ready_()) {
        retry_.start();
        return;
    }
    for (const std::string& path : Take()) open_(path);
}

}  // namespace qx
