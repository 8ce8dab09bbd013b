// The serial ports this machine has. The registry's list of serial devices misses ports that
// appear while the system runs (USB adapters before their driver registers them, the links a
// Wine prefix gains at run time), so every COM name is also tried with a quick open; a port that
// is in use by another program exists too.
#pragma once

#include <vector>

class CSerialPortList {
public:
    // Port numbers (COM1 = 1) in ascending order.
    static std::vector<int> Enumerate();
};
