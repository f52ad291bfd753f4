// The serial devices a radio can be cloned through, and how a port number maps to one of them.
//
// The list holds, in this order, USB serial adapters /dev/ttyUSB<n>, USB modem-class adapters
// /dev/ttyACM<n>, and built-in ports /dev/ttyS<n>, each kind sorted by its number. A built-in port
// is listed only when it really exists: the kernel shows it with a bound driver
// (/sys/class/tty/ttyS<n>/device/driver) and a known UART type (its "type" attribute is not 0);
// the kernel creates ttyS nodes for ports that are not there.
//
// Port number n (1..256, the "ComPort" setting) stands for the n-th device of that list; a number
// beyond the end of the list stands for no device. A stored device path (the "ComDevice" setting)
// overrides the number: it is opened as it is, whether listed or not, so any serial device (also a
// simulator's pseudo-terminal such as /dev/pts/3) can be used, and a chosen adapter stays chosen
// when others are plugged in.
#pragma once

#include <string>
#include <vector>

namespace qx {

class indEnviron;

struct cmcPortInfo {
    std::string path;         // /dev/ttyUSB0
    std::string name;         // ttyUSB0
    std::string description;  // the USB product name when the kernel tells it, else empty
};

class cmcPortList {
public:
    // The folders standing for /dev and /sys; empty strings: the defaults (see SetDefaultRoots).
    explicit cmcPortList(std::string devRoot = {}, std::string sysRoot = {});

    // The devices present now, in list order.
    std::vector<cmcPortInfo> Enumerate() const;

    // The device port number n stands for; empty when there is none.
    std::string DeviceForNumber(int n) const;
    // The port number of a device path in the list (1-based); 0 when it is not listed.
    int NumberForDevice(const std::string& path) const;
    // A short text for a numbered port entry: "/dev/ttyUSB0 (product)", "/dev/ttyS0", or empty.
    std::string Describe(int n) const;

    // The device to open for the settings' port number and device path: the device path when one is
    // set, otherwise the device of the number; empty when there is none.
    std::string Resolve(int comPort, const std::string& comDevice) const;
    // The port number a port menu marks as current: the number when no device path is set,
    // otherwise the list number of the device (0: not listed).
    int CurrentNumber(int comPort, const std::string& comDevice) const;

    // The roots used by lists made with empty roots (tests point them at fake folders);
    // empty strings restore /dev and /sys.
    static void SetDefaultRoots(const std::string& devRoot, const std::string& sysRoot);

private:
    std::string devRoot_;
    std::string sysRoot_;
};

// The device the next clone operation opens, from the program-wide settings ("ComPort" and
// "ComDevice"); empty when the port number stands for no device present.
std::string ResolvePortDevice(const indEnviron& environ);
std::string ResolvePortDevice();  // over Environ()

}  // namespace qx
