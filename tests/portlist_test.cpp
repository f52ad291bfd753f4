// Serial device list and the port number -> device mapping, over fake /dev and /sys folders.
#include "comm/cmcPortList.h"
#include "comm/indEnviron.h"
#include "support/cmcTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

using namespace qx;
namespace fs = std::filesystem;

namespace {

// A machine with two USB adapters, one modem-class adapter and four ttyS nodes of which two are
// real ports (ttyS1 has no driver, ttyS2 has no UART), plus nodes that are no serial ports.
struct FakeMachine {
    std::string dev, sys;
    FakeMachine() {
        static int n = 0;
        std::string root = test::TempDir() + "/machine" + std::to_string(++n);
        dev = root + "/dev";
        sys = root + "/sys";
        fs::create_directories(dev + "/pts");
        for (const char* node : {"ttyS0", "ttyS1", "ttyS2", "ttyS10", "ttyUSB10", "ttyUSB2", "ttyACM0", "tty0",
                                 "ttyUSBx", "ttyS", "console", "ttyprintk", "pts/3"})
            test::WriteFile(dev + "/" + node, "");
        BuiltIn("ttyS0", true, "4");
        BuiltIn("ttyS1", false, "4");
        BuiltIn("ttyS2", true, "0");
        BuiltIn("ttyS10", true, nullptr);
        Usb("ttyUSB2", "1-1", "1-1:1.0/ttyUSB2", "FT232R USB UART");
        Usb("ttyUSB10", "1-3", "1-3:1.0/ttyUSB10", nullptr);
        Usb("ttyACM0", "1-2", "1-2:1.0", "Radio Programming Cable");
    }
    void BuiltIn(const std::string& name, bool driver, const char* type) {
        std::string device = sys + "/devices/pnp0/" + name;
        fs::create_directories(device);
        if (driver) fs::create_directories(device + "/driver");
        std::string tty = sys + "/class/tty/" + name;
        fs::create_directories(tty);
        fs::create_symlink(device, tty + "/device");
        if (type) test::WriteFile(tty + "/type", std::string(type) + "\n");
    }
    void Usb(const std::string& name, const std::string& usbDevice, const std::string& below, const char* product) {
        std::string usb = sys + "/devices/usb1/" + usbDevice;
        fs::create_directories(usb + "/" + below);
        if (product) test::WriteFile(usb + "/product", std::string(product) + "\n");
        std::string tty = sys + "/class/tty/" + name;
        fs::create_directories(tty);
        fs::create_symlink(usb + "/" + below, tty + "/device");
    }
};

}  // namespace

TEST(PortList, ListsUsbThenModemThenRealBuiltInPortsInNumberOrder) {
    FakeMachine m;
    cmcPortList list(m.dev, m.sys);
    std::vector<cmcPortInfo> ports = list.Enumerate();
    std::vector<std::string> names, descriptions;
    for (const cmcPortInfo& p : ports) {
        names.push_back(p.name);
        descriptions.push_back(p.description);
        EXPECT_EQ(p.path, m.dev + "/" + p.name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"ttyUSB2", "ttyUSB10", "ttyACM0", "ttyS0", "ttyS10"}));
    EXPECT_EQ(descriptions,
              (std::vector<std::string>{"FT232R USB UART", "", "Radio Programming Cable", "", ""}));
}

TEST(PortList, AdaptersWithoutAProductNameAreNamedByTheirIds) {
    FakeMachine m;
    auto adapter = [&](const std::string& name, const std::string& usb, const char* vendor, const char* product,
                       const char* productName) {
        test::WriteFile(m.dev + "/" + name, "");
        m.Usb(name, usb, usb + ":1.0/" + name, productName);
        test::WriteFile(m.sys + "/devices/usb1/" + usb + "/idVendor", std::string(vendor) + "\n");
        test::WriteFile(m.sys + "/devices/usb1/" + usb + "/idProduct", std::string(product) + "\n");
    };
    adapter("ttyUSB3", "2-1", "1a86", "7523", nullptr);
    adapter("ttyUSB4", "2-2", "0403", "6001", "TTL232R-3V3");
    adapter("ttyUSB5", "2-3", "abcd", "1234", nullptr);
    std::map<std::string, std::string> described;
    for (const cmcPortInfo& p : cmcPortList(m.dev, m.sys).Enumerate()) described[p.name] = p.description;
    EXPECT_EQ(described["ttyUSB3"], "CH340 serial adapter");
    EXPECT_EQ(described["ttyUSB4"], "TTL232R-3V3");  // the device's own name comes first
    EXPECT_EQ(described["ttyUSB5"], "USB serial adapter abcd:1234");
    EXPECT_EQ(described["ttyUSB10"], "");  // nothing known about it
}

TEST(PortList, NumberNStandsForTheNthDevice) {
    FakeMachine m;
    cmcPortList list(m.dev, m.sys);
    struct Case {
        int number;
        std::string device;
    } const cases[] = {
        {1, "/ttyUSB2"}, {2, "/ttyUSB10"}, {3, "/ttyACM0"}, {5, "/ttyS10"},
        {6, ""},         {256, ""},        {0, ""},         {-1, ""},
    };
    for (const Case& c : cases) {
        std::string expected = c.device.empty() ? "" : m.dev + c.device;
        EXPECT_EQ(list.DeviceForNumber(c.number), expected) << c.number;
        EXPECT_EQ(list.Resolve(c.number, ""), expected) << c.number;
        if (!expected.empty()) {
            EXPECT_EQ(list.NumberForDevice(expected), c.number);
        }
    }
    EXPECT_EQ(list.NumberForDevice(m.dev + "/ttyS1"), 0);
    EXPECT_EQ(list.Describe(1), m.dev + "/ttyUSB2 (FT232R USB UART)");
    EXPECT_EQ(list.Describe(4), m.dev + "/ttyS0");
    EXPECT_EQ(list.Describe(6), "");
}

TEST(PortList, StoredDevicePathOverridesTheNumber) {
    FakeMachine m;
    cmcPortList list(m.dev, m.sys);
    // Listed or not (a simulator's pseudo-terminal), the stored path is what is opened.
    EXPECT_EQ(list.Resolve(1, m.dev + "/ttyACM0"), m.dev + "/ttyACM0");
    EXPECT_EQ(list.Resolve(1, "/dev/pts/3"), "/dev/pts/3");
    EXPECT_EQ(list.CurrentNumber(1, m.dev + "/ttyACM0"), 3);
    EXPECT_EQ(list.CurrentNumber(1, "/dev/pts/3"), 0);
    EXPECT_EQ(list.CurrentNumber(7, ""), 7);

    // Plugging in another adapter moves the numbers, not a stored path.
    test::WriteFile(m.dev + "/ttyUSB0", "");
    EXPECT_EQ(list.Resolve(1, ""), m.dev + "/ttyUSB0");
    EXPECT_EQ(list.Resolve(1, m.dev + "/ttyUSB2"), m.dev + "/ttyUSB2");
}

TEST(PortList, MissingFoldersGiveAnEmptyList) {
    std::string nowhere = test::TempDir() + "/no-such-root";
    cmcPortList list(nowhere + "/dev", nowhere + "/sys");
    EXPECT_TRUE(list.Enumerate().empty());
    EXPECT_EQ(list.Resolve(1, ""), "");
}

TEST(PortList, SettingsResolveThroughTheDefaultRoots) {
    FakeMachine m;
    cmcPortList::SetDefaultRoots(m.dev, m.sys);
    indEnvironOptions o;
    o.persistent = false;
    indEnviron env("", "", o);
    env.ComPort = 2;
    EXPECT_EQ(ResolvePortDevice(env), m.dev + "/ttyUSB10");
    env.ComDevice = "/dev/pts/3";
    EXPECT_EQ(ResolvePortDevice(env), "/dev/pts/3");
    SetEnviron(&env);
    EXPECT_EQ(ResolvePortDevice(), "/dev/pts/3");
    SetEnviron(nullptr);
    cmcPortList::SetDefaultRoots("", "");
}
