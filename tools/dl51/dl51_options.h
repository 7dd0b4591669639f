#pragma once

#include <cstdint>
#include <string>

// What the dl51 command line asks for.
struct Dl51OptionsType
{
    std::string port;
    int loaderType = -1;
    int32_t rate = 9600;
    int32_t monitorRate = 9600;
    int sectorSize = 64;
    std::string file;
    bool monitor = false;
    int monitorSeconds = -1; // -1: until interrupted or the line hangs up
    int timeoutSeconds = 15; // give up when the board takes nothing for this long
    bool help = false;
};

// Parses argv; on failure returns false with a message for the user.
bool ParseDl51Options(int argc, char** argv, Dl51OptionsType& options, std::string& error);

extern const char kDl51Usage[];
