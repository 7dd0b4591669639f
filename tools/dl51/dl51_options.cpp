#include "dl51_options.h"

#include "common/text_util.h"
#include "link/comm_port.h"

const char kDl51Usage[] =
    "Usage: dl51 --port DEVICE --loader 0|1|2|3 [options] FILE\n"
    "\n"
    "Downloads a program to the development board as the IDE's Download command\n"
    "does. FILE is an 8051 source (.a51), assembled first, or an Intel HEX file\n"
    "(.hex, .ihx). The Progress and Status texts are printed as they change.\n"
    "\n"
    "Options:\n"
    "  --port DEVICE         the serial device, e.g. /dev/ttyUSB0 or what board51\n"
    "                        printed\n"
    "  --loader N            0 Constant EA, 1 Pulsed EA, 2 ADuC8xx, 3 ONCE Loader\n"
    "  --rate BAUD           download rate (default 9600)\n"
    "  --monitor-rate BAUD   the rate afterwards (default 9600)\n"
    "  --sector-size N       64 (default) or 128 bytes per HEX record\n"
    "  --timeout SECONDS     give up when the board has taken nothing for this long\n"
    "                        (default 15)\n"
    "  --monitor             stay on the line afterwards and print what the board\n"
    "                        sends, answering its monitor records, until\n"
    "                        interrupted or the line hangs up\n"
    "  --monitor-for SECONDS the same, for at most SECONDS\n"
    "  -h, --help            show this help\n"
    "\n"
    "Exit status: 0 when the board took the program, 1 when the port could not\n"
    "be opened or the board refused or failed the transfer, 2 on usage errors,\n"
    "an unreadable file or assembler errors.\n";

namespace {

bool ParseRate(const char* text, int32_t& rate)
{
    long long value = 0;
    if (!ParseDecimal(text, 1, 10000000, value) ||
        !CCommPort::IsValidRate(static_cast<int32_t>(value))) {
        return false;
    }
    rate = static_cast<int32_t>(value);
    return true;
}

} // namespace

bool ParseDl51Options(int argc, char** argv, Dl51OptionsType& options, std::string& error)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-h" || arg == "--help") {
            options.help = true;
            return true;
        }
        if (arg == "--monitor") {
            options.monitor = true;
            continue;
        }
        if (arg.rfind("--", 0) != 0) {
            if (!options.file.empty()) {
                error = "more than one file: " + arg;
                return false;
            }
            options.file = arg;
            continue;
        }
        if (i + 1 >= argc) {
            error = "missing value for " + arg;
            return false;
        }
        const char* value = argv[++i];
        long long number = 0;
        if (arg == "--port") {
            options.port = value;
        } else if (arg == "--loader") {
            if (!ParseDecimal(value, 0, 3, number)) {
                error = "--loader wants 0, 1, 2 or 3";
                return false;
            }
            options.loaderType = static_cast<int>(number);
        } else if (arg == "--rate" || arg == "--monitor-rate") {
            if (!ParseRate(value, arg == "--rate" ? options.rate : options.monitorRate)) {
                error = arg + ": " + kInvalidRateMessage;
                return false;
            }
        } else if (arg == "--sector-size") {
            if (!ParseDecimal(value, 64, 128, number) || (number != 64 && number != 128)) {
                error = "--sector-size wants 64 or 128";
                return false;
            }
            options.sectorSize = static_cast<int>(number);
        } else if (arg == "--timeout") {
            if (!ParseDecimal(value, 1, 86400, number)) {
                error = "--timeout wants a number of seconds";
                return false;
            }
            options.timeoutSeconds = static_cast<int>(number);
        } else if (arg == "--monitor-for") {
            if (!ParseDecimal(value, 0, 86400 * 365, number)) {
                error = "--monitor-for wants a number of seconds";
                return false;
            }
            options.monitor = true;
            options.monitorSeconds = static_cast<int>(number);
        } else {
            error = "unknown option " + arg;
            return false;
        }
    }
    if (options.port.empty()) {
        error = "--port is required";
    } else if (options.loaderType < 0) {
        error = "--loader is required";
    } else if (options.file.empty()) {
        error = "no file to download";
    }
    return error.empty();
}
