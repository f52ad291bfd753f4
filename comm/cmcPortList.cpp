#include "comm/cmcPortList.h"

#include "comm/indEnviron.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>

namespace qx {

namespace fs = std::filesystem;

namespace {

std::string g_devRoot;
std::string g_sysRoot;

struct Kind {
    const char* prefix;
    bool needsDriver;  // listed only when the kernel shows a real device behind the node
};
constexpr Kind kKinds[] = {{"ttyUSB", false}, {"ttyACM", false}, {"ttyS", true}};

std::string ReadFirstLine(const fs::path& p) {
    std::ifstream f(p);
    std::string line;
    if (!f || !std::getline(f, line)) return {};
    while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back()))) line.pop_back();
    return line;
}

// The number after the prefix, or -1 when the rest of the name is not all digits.
long NumberAfter(const std::string& name, const std::string& prefix) {
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) return -1;
    long n = 0;
    for (size_t i = prefix.size(); i < name.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(name[i]))) return -1;
        if (n > 100000000) return -1;
        n = n * 10 + (name[i] - '0');
    }
    return n;
}

bool BuiltInPortPresent(const fs::path& ttyDir) {
    std::error_code ec;
    if (!fs::exists(ttyDir / "device" / "driver", ec)) return false;
    fs::path type = ttyDir / "type";
    if (fs::exists(type, ec) && ReadFirstLine(type) == "0") return false;  // no UART found there
    return true;
}

// Adapters that often tell no product name, by their USB vendor id: the chips of the common
// programming cables (the cable udev rule names the same ones).
const char* KnownAdapter(const std::string& vendor) {
    static const std::pair<const char*, const char*> kAdapters[] = {
        {"0403", "FTDI serial adapter"},
        {"067b", "Prolific serial adapter"},
        {"10c4", "Silicon Labs serial adapter"},
        {"1a86", "CH340 serial adapter"},
    };
    for (const auto& [id, name] : kAdapters)
        if (vendor == id) return name;
    return nullptr;
}

// The USB product name: the "product" attribute of the USB device the tty hangs below. A device
// without one is named by its chip maker when known, else by its vendor and product ids.
std::string UsbProduct(const fs::path& ttyDir) {
    std::error_code ec;
    fs::path dev = fs::canonical(ttyDir / "device", ec);
    if (ec) return {};
    for (int up = 0; up < 4 && !dev.empty() && dev != dev.root_path(); ++up, dev = dev.parent_path()) {
        if (fs::exists(dev / "product", ec)) return ReadFirstLine(dev / "product");
        if (!fs::exists(dev / "idVendor", ec)) continue;
        const std::string vendor = ReadFirstLine(dev / "idVendor");
        if (const char* known = KnownAdapter(vendor)) return known;
        return "USB serial adapter " + vendor + ":" + ReadFirstLine(dev / "idProduct");
    }
    return {};
}

}  // namespace

cmcPortList::cmcPortList(std::string devRoot, std::string sysRoot)
    : devRoot_(!devRoot.empty() ? devRoot : !g_devRoot.empty() ? g_devRoot : "/dev"),
      sysRoot_(!sysRoot.empty() ? sysRoot : !g_sysRoot.empty() ? g_sysRoot : "/sys") {}

void cmcPortList::SetDefaultRoots(const std::string& devRoot, const std::string& sysRoot) {
    g_devRoot = devRoot;
    g_sysRoot = sysRoot;
}

std::vector<cmcPortInfo> cmcPortList::Enumerate() const {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(devRoot_, ec), end; !ec && it != end; it.increment(ec))
        names.push_back(it->path().filename().string());

    const fs::path ttyClass = fs::path(sysRoot_) / "class" / "tty";
    std::vector<cmcPortInfo> ports;
    for (const Kind& kind : kKinds) {
        std::vector<std::pair<long, std::string>> found;
        for (const std::string& name : names) {
            long n = NumberAfter(name, kind.prefix);
            if (n < 0) continue;
            if (kind.needsDriver && !BuiltInPortPresent(ttyClass / name)) continue;
            found.emplace_back(n, name);
        }
        std::sort(found.begin(), found.end());
        for (const auto& [n, name] : found) {
            cmcPortInfo info;
            info.path = (fs::path(devRoot_) / name).string();
            info.name = name;
            if (!kind.needsDriver) info.description = UsbProduct(ttyClass / name);
            ports.push_back(std::move(info));
        }
    }
    return ports;
}

std::string cmcPortList::DeviceForNumber(int n) const {
    if (n < 1) return {};
    std::vector<cmcPortInfo> ports = Enumerate();
    if (static_cast<size_t>(n) > ports.size()) return {};
    return ports[static_cast<size_t>(n - 1)].path;
}

int cmcPortList::NumberForDevice(const std::string& path) const {
    std::vector<cmcPortInfo> ports = Enumerate();
    for (size_t i = 0; i < ports.size(); ++i)
        if (ports[i].path == path) return static_cast<int>(i + 1);
    return 0;
}

std::string cmcPortList::Describe(int n) const {
    if (n < 1) return {};
    std::vector<cmcPortInfo> ports = Enumerate();
    if (static_cast<size_t>(n) > ports.size()) return {};
    const cmcPortInfo& p = ports[static_cast<size_t>(n - 1)];
    return p.description.empty() ? p.path : p.path + " (" + p.description + ")";
}

std::string cmcPortList::Resolve(int comPort, const std::string& comDevice) const {
    if (!comDevice.empty()) return comDevice;
    return DeviceForNumber(comPort);
}

int cmcPortList::CurrentNumber(int comPort, const std::string& comDevice) const {
    if (comDevice.empty()) return comPort;
    return NumberForDevice(comDevice);
}

std::string ResolvePortDevice(const indEnviron& environ) {
    return cmcPortList().Resolve(environ.ComPort, environ.ComDevice);
}

std::string ResolvePortDevice() { return ResolvePortDevice(Environ()); }

}  // namespace qx
