#include "comm/indEnviron.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QSettings>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <algorithm>

namespace qx {

namespace {

// Reads values of one group; the first missing or unreadable value makes every later read fail too,
// so a caller can read a whole group and test once.
class GroupReader {
public:
    GroupReader(QSettings& s, const char* group, bool& ok) : s_(s), ok_(ok) {
        if (ok_ && !s_.childGroups().contains(QString::fromUtf8(group))) ok_ = false;
        s_.beginGroup(QString::fromUtf8(group));
    }
    ~GroupReader() { s_.endGroup(); }

    // A 32-bit word: decimal text between -2^31 and 2^32-1, kept as its bit pattern.
    uint32_t Word(const char* name) {
        if (!ok_) return 0;
        QVariant v = s_.value(QString::fromUtf8(name));
        if (!v.isValid() || v.typeId() == QMetaType::QStringList) return Fail();
        bool parsed = false;
        qlonglong n = v.toString().trimmed().toLongLong(&parsed, 10);
        if (!parsed || n < -2147483648LL || n > 4294967295LL) return Fail();
        return static_cast<uint32_t>(n);
    }
    int Int(const char* name) { return static_cast<int>(Word(name)); }

    std::string Text(const char* name) {
        if (!ok_) return {};
        QVariant v = s_.value(QString::fromUtf8(name));
        if (!v.isValid()) return Fail(), std::string();
        // A hand-edited value with unquoted commas is read back as a list; its parts are the text.
        if (v.typeId() == QMetaType::QStringList) return v.toStringList().join(QLatin1Char(',')).toStdString();
        if (!v.canConvert<QString>()) return Fail(), std::string();
        return v.toString().toStdString();
    }

private:
    uint32_t Fail() {
        ok_ = false;
        return 0;
    }
    QSettings& s_;
    bool& ok_;
};

QString Q(const std::string& s) { return QString::fromStdString(s); }

indEnviron* g_environ = nullptr;

}  // namespace

indEnviron::indEnviron(const std::string& mutexName, const std::string& settingsKey,
                       const indEnvironOptions& options)
    : mutexName_(mutexName),
      settingsKey_(settingsKey),
      screenWidth_(options.screenWidth > 0 ? options.screenWidth : 1024),
      screenHeight_(options.screenHeight > 0 ? options.screenHeight : 768),
      persistent_(options.persistent) {
    SetDefaults(screenWidth_, screenHeight_);
    if (!persistent_) return;

    settingsFile_ = options.settingsFile.empty() ? SettingsFileFor(settingsKey_) : options.settingsFile;
    lockFile_ = options.lockFile.empty() ? LockFileFor(mutexName_, settingsKey_) : options.lockFile;

    QDir().mkpath(QFileInfo(Q(lockFile_)).absolutePath());
    lock_ = std::make_unique<QLockFile>(Q(lockFile_));
    // A lock whose owner is still running is never taken over, however old it is; one left behind
    // by a process that ended without releasing it is.
    lock_->setStaleLockTime(0);
    if (lock_->tryLock(0)) {
        firstInstance_ = true;
    } else if (lock_->error() == QLockFile::LockFailedError) {
        // Another instance runs: this one reads and writes nothing and start-up ends it.
        firstInstance_ = false;
        return;
    } else {
        // The lock file cannot be made at all (no writable folder). Refusing to start would leave
        // the user with a program that silently never opens; run unguarded instead.
        lock_.reset();
        firstInstance_ = true;
    }
    loaded_ = Load();
    if (!loaded_) SetDefaults(screenWidth_, screenHeight_);
}

indEnviron::~indEnviron() {
    if (g_environ == this) g_environ = nullptr;
    if (persistent_ && firstInstance_ && ValidMarker == kEnvironValidMarker) Save();
    if (lock_) lock_->unlock();
}

indWindowBounds indEnviron::DefaultBounds(int screenWidth, int screenHeight) {
    const long long w = std::max(screenWidth, 0);
    const long long h = std::max(screenHeight, 0);
    indWindowBounds b;
    b.width = static_cast<int>(std::min(w * 9 / 10, 800LL));
    b.height = static_cast<int>(std::min(h * 9 / 10, 600LL));
    b.left = static_cast<int>((w - b.width) / 2);
    b.top = static_cast<int>((h - b.height) * 3 / 10);
    return b;
}

void indEnviron::SetDefaults(int screenWidth, int screenHeight) {
    ValidMarker = kEnvironValidMarker;
    ComPort = 1;
    ComSpeedHigh = 0;
    CurrentDirectory.clear();
    ComDevice.clear();
    BackupBeforeWrite = 1;
    FleetWidth = FleetHeight = 0;
    Recent.Clear();
    FontSizePercentage = 100;
    ToolbarVisible = 1;
    SplitterV = 200;
    ModelType = 3;
    indWindowBounds b = DefaultBounds(screenWidth, screenHeight);
    Left = b.left;
    Top = b.top;
    Width = b.width;
    Height = b.height;
}

void indEnviron::SelectPortNumber(int number) {
    ComPort = std::clamp(number, 1, 256);
    ComDevice.clear();
}

bool indEnviron::Load() {
    QSettings s(Q(settingsFile_), QSettings::IniFormat);
    if (s.status() != QSettings::NoError) return false;
    bool ok = true;
    {
        GroupReader g(s, "Global", ok);
        ValidMarker = g.Word("BBT");
        ComPort = std::clamp(g.Int("ComPort"), 1, 256);
        // Read signed so that a stored negative value is brought to the lower limit, not wrapped.
        ComSpeedHigh = static_cast<uint32_t>(std::clamp(g.Int("ComSpeedHigh"), 0, 1));
        CurrentDirectory = g.Text("Current Directory");
    }
    {
        GroupReader g(s, "Recent File List", ok);
        for (int i = 0; i < 10; ++i) Recent.Append(g.Text(("Recent" + std::to_string(i)).c_str()));
    }
    {
        GroupReader g(s, "View Option", ok);
        FontSizePercentage = static_cast<uint32_t>(std::clamp(g.Int("FontSize Percentage"), 25, 1000));
        ToolbarVisible = g.Word("Toolbar Visible") != 0 ? 1 : 0;
    }
    {
        GroupReader g(s, "Window Position", ok);
        Left = g.Int("Left");
        Top = g.Int("Top");
        Width = g.Int("Width");
        Height = g.Int("Height");
        SplitterV = g.Word("SplitterV");
    }
    {
        GroupReader g(s, "Setup", ok);
        ModelType = static_cast<uint8_t>(g.Word("ModelType") & 0xFF);
    }
    if (!ok || ValidMarker != kEnvironValidMarker) return false;

    // Optional, read after the set above: its absence leaves the rest as loaded.
    s.beginGroup(QStringLiteral("Global"));
    QVariant device = s.value(QStringLiteral("ComDevice"));
    s.endGroup();
    ComDevice = device.isValid() && device.typeId() != QMetaType::QStringList ? device.toString().toStdString()
                                                                               : std::string();
    // Optional too; missing or unreadable, the backup stays on.
    s.beginGroup(QStringLiteral("Setup"));
    QVariant backup = s.value(QStringLiteral("BackupBeforeWrite"));
    s.endGroup();
    BackupBeforeWrite = backup.isValid() && backup.toString().trimmed() == QStringLiteral("0") ? 0 : 1;
    s.beginGroup(QStringLiteral("Window Position"));
    FleetWidth = std::clamp(s.value(QStringLiteral("FleetWidth")).toString().toInt(), 0, 100000);
    FleetHeight = std::clamp(s.value(QStringLiteral("FleetHeight")).toString().toInt(), 0, 100000);
    s.endGroup();
    return true;
}

void indEnviron::Save() const {
    QDir().mkpath(QFileInfo(Q(settingsFile_)).absolutePath());
    QSettings s(Q(settingsFile_), QSettings::IniFormat);
    auto word = [&](const char* name, uint32_t v) { s.setValue(QString::fromUtf8(name), QString::number(v)); };
    auto integer = [&](const char* name, int v) { s.setValue(QString::fromUtf8(name), QString::number(v)); };
    auto text = [&](const char* name, const std::string& v) { s.setValue(QString::fromUtf8(name), Q(v)); };

    s.beginGroup(QStringLiteral("Global"));
    word("BBT", ValidMarker);
    integer("ComPort", ComPort);
    word("ComSpeedHigh", ComSpeedHigh);
    text("Current Directory", CurrentDirectory);
    text("ComDevice", ComDevice);
    s.endGroup();

    s.beginGroup(QStringLiteral("Recent File List"));
    for (int i = 0; i < 10; ++i) text(("Recent" + std::to_string(i)).c_str(), Recent.Entry(i));
    s.endGroup();

    s.beginGroup(QStringLiteral("View Option"));
    word("FontSize Percentage", FontSizePercentage);
    integer("Toolbar Visible", ToolbarVisible);
    s.endGroup();

    s.beginGroup(QStringLiteral("Window Position"));
    integer("Left", Left);
    integer("Top", Top);
    integer("Width", Width);
    integer("Height", Height);
    word("SplitterV", SplitterV);
    integer("FleetWidth", FleetWidth);
    integer("FleetHeight", FleetHeight);
    s.endGroup();

    s.beginGroup(QStringLiteral("Setup"));
    integer("ModelType", ModelType);
    integer("BackupBeforeWrite", BackupBeforeWrite);
    s.endGroup();

    // Written in one piece (QSettings replaces the file atomically); a failure is ignored.
    s.sync();
}

std::string indEnviron::SettingsFileFor(const std::string& settingsKey) {
    QStringList parts = Q(settingsKey).split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    if (!parts.isEmpty() && parts.front().compare(QLatin1String("Software"), Qt::CaseInsensitive) == 0)
        parts.pop_front();
    for (QString& p : parts) p.replace(QLatin1Char('/'), QLatin1Char('_'));
    if (parts.isEmpty()) parts << QStringLiteral("QX-P2210");
    const QString app = parts.takeLast();
    QString dir = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (dir.isEmpty()) dir = QDir::homePath() + QStringLiteral("/.config");
    for (const QString& p : parts) dir += QLatin1Char('/') + p;
    return (dir + QLatin1Char('/') + app + QStringLiteral(".ini")).toStdString();
}

std::string indEnviron::LockFileFor(const std::string& mutexName, const std::string& settingsKey) {
    QString name = Q(mutexName);
    for (QChar& c : name)
        if (!(c.isLetterOrNumber() || c == QLatin1Char('-') || c == QLatin1Char('.'))) c = QLatin1Char('_');
    if (name.isEmpty()) name = QStringLiteral("instance");
    name += QStringLiteral(".lock");
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir() && QFileInfo(runtime).isWritable())
        return (runtime + QLatin1Char('/') + name).toStdString();
    return (QFileInfo(Q(SettingsFileFor(settingsKey))).absolutePath() + QLatin1Char('/') + name).toStdString();
}

indEnviron& Environ() {
    if (g_environ) return *g_environ;
    static indEnviron fallback("", "", [] {
        indEnvironOptions o;
        o.persistent = false;
        return o;
    }());
    return fallback;
}

void SetEnviron(indEnviron* environ) { g_environ = environ; }

}  // namespace qx
