#pragma once

#include <cstdint>
#include <string>

// What the Connection dialog hands back and the download and the board
// monitor use.
struct ConnectionSettingsType
{
    int sectorSize = 64;
    int loaderType = 0;
    int portIndex = 0;
    std::string portName; // the device; empty means COM(portIndex+1)
    int32_t downloadRate = 9600;
    int32_t monitorRate = 9600;
    int monitorEnable = 1;
};
