#include "board51_options.h"

#include <cstring>

#include "common/text_util.h"

const char kBoard51Usage[] =
    "Usage: board51 [options]\n"
    "\n"
    "A development board on a pseudo-terminal. The first line printed is the\n"
    "device to open (for example /dev/pts/3): choose it as the port in the IDE's\n"
    "Connection dialog, or give it to dl51 --port. The board answers there as\n"
    "the loader of the chosen type, keeps the program it receives, and when the\n"
    "transfer ends runs it in the simulator, its serial port on the line.\n"
    "\n"
    "Options:\n"
    "  --loader N          0 Constant EA (default), 1 Pulsed EA, 2 ADuC8xx,\n"
    "                      3 ONCE Loader\n"
    "  --rate BAUD         the program's serial rate, the monitor rate (default 9600)\n"
    "  --speed real|max    run at the 8051's speed for the crystal (default) or as\n"
    "                      fast as the simulator goes\n"
    "  --crystal HZ        crystal frequency (default 11059200)\n"
    "  --processor TYPE    8751, 8752 (default), 8031 or 8032\n"
    "  --script FILE       faults to inject, one per line:\n"
    "                        drop-ack N[-M]  no answer to the Nth record or packet\n"
    "                        fail N[-M]      a failure answer to it\n"
    "                        garble N[-M]    the Nth monitor record the program\n"
    "                                        sends gets a wrong checksum\n"
    "                        truncate N[-M]  ... loses its second half\n"
    "                        hangup N        hang up when the Nth record arrives\n"
    "                        ident TEXT      the ADuC loader's identification\n"
    "  --image-out FILE    write the received program as Intel HEX when a\n"
    "                      transfer ends\n"
    "  -h, --help          show this help\n"
    "\n"
    "A pseudo-terminal has no modem lines: the board goes back to its loader when\n"
    "a download starts on the line. It runs until interrupted or until a script\n"
    "hangs it up. Exit status: 0, or 2 on usage errors.\n";

bool ParseBoard51Options(int argc, char** argv, Board51OptionsType& options, std::string& error)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-h" || arg == "--help") {
            options.help = true;
            continue;
        }
        if (i + 1 >= argc) {
            error =
                arg.rfind("--", 0) == 0 ? "missing value for " + arg : "unexpected argument " + arg;
            return false;
        }
        const char* value = argv[++i];
        long long number = 0;
        if (arg == "--loader") {
            if (!ParseDecimal(value, 0, 3, number)) {
                error = "--loader wants 0, 1, 2 or 3";
                return false;
            }
            options.board.loaderType = static_cast<int>(number);
        } else if (arg == "--rate") {
            if (!ParseDecimal(value, 50, 4000000, number)) {
                error = "--rate wants a rate in bits per second";
                return false;
            }
            options.board.lineRate = static_cast<int32_t>(number);
        } else if (arg == "--speed") {
            if (std::strcmp(value, "real") != 0 && std::strcmp(value, "max") != 0) {
                error = "--speed wants real or max";
                return false;
            }
            options.board.realSpeed = std::strcmp(value, "real") == 0;
        } else if (arg == "--crystal") {
            if (!ParseDecimal(value, 12, 100000000, number)) {
                error = "--crystal wants a frequency in hertz";
                return false;
            }
            options.board.crystalHz = static_cast<uint32_t>(number);
        } else if (arg == "--processor") {
            static const char* const kTypes[] = {"8751", "8752", "8031", "8032"};
            int type = -1;
            for (int t = 0; t < 4; ++t) {
                if (std::strcmp(value, kTypes[t]) == 0) {
                    type = t;
                }
            }
            if (type < 0) {
                error = "--processor wants 8751, 8752, 8031 or 8032";
                return false;
            }
            options.board.processorType = type;
        } else if (arg == "--script") {
            options.scriptFile = value;
        } else if (arg == "--image-out") {
            options.imageOut = value;
        } else {
            error = "unknown option " + arg;
            return false;
        }
    }
    return true;
}
