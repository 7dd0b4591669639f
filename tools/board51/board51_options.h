#pragma once

#include <string>

#include "virtual_board.h"

// What the board51 command line asks for.
struct Board51OptionsType
{
    BoardOptionsType board;
    std::string scriptFile;
    std::string imageOut;
    bool help = false;
};

// Parses argv; on failure returns false with a message for the user.
bool ParseBoard51Options(int argc, char** argv, Board51OptionsType& options, std::string& error);

extern const char kBoard51Usage[];
