#include "sim51_options.h"

#include "common/text_util.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <limits>

const char kSim51Usage[] =
    "Usage: sim51 [options] FILE.a51\n"
    "       sim51 [options] FILE.hex | --hex FILE\n"
    "\n"
    "Assembles an 8051 source file, or loads an Intel HEX image (a name ending in\n"
    ".hex or .ihx, or any name after --hex), and runs it in the simulator without\n"
    "a window; a HEX image is loaded into code memory as it is, without assembling\n"
    "and without writing any file. At the end it prints the registers, the cycle\n"
    "counters, the number of instructions executed and the simulated instructions\n"
    "per second.\n"
    "\n"
    "Options:\n"
    "  --hex FILE             run FILE as an Intel HEX image, whatever its name\n"
    "  --max-instructions N   stop after N instructions (default 100000000)\n"
    "  --until ADDR           stop when PC reaches ADDR, written as the assembler\n"
    "                         reads it: 0100H, 256, or a label such as done (a HEX\n"
    "                         image has no labels: a number only)\n"
    "  --processor TYPE       8751, 8752 (default), 8031 or 8032\n"
    "  --variant V            standard (default) or aduc84x\n"
    "  --p2-ri                use P2 for @Ri addressing of external memory\n"
    "  --paged                enable paged external memory\n"
    "  --page-control ADDR    direct address whose byte selects the page (default 0)\n"
    "  --pages N              number of 64 KB pages: 1, 2, 4, 8 or 16 (default 1)\n"
    "  --trace                print one line per executed instruction:\n"
    "                         PC=.. OP=.. A=.. B=.. PSW=.. SP=.. DPTR=.. R=.. CYC=..\n"
    "                         and PC=.. INT=<vector> ... for an interrupt entry\n"
    "  --coverage FILE        write the coverage report to FILE (addresses and counts)\n"
    "  --uart                 print each byte written to SBUF as it is written, on\n"
    "                         stdout; everything else sim51 prints then goes to stderr\n"
    "  --uart-out FILE        write each byte written to SBUF into FILE\n"
    "  --uart-in FILE         feed the bytes of FILE (- for standard input) to the\n"
    "                         serial receiver, each as the program is ready for it:\n"
    "                         with REN set and RI clear, a frame time apart at the\n"
    "                         rate the serial mode and its timer give; the run still\n"
    "                         ends at --until or the instruction limit\n"
    "  -h, --help             show this help\n"
    "\n"
    "Messages of the simulator (stack overflow, undefined opcode, PC wrap) are\n"
    "printed on stderr and halt the run at that instruction.\n"
    "\n"
    "Exit status: 0 when the run stopped where asked or at the instruction\n"
    "limit, 1 on assembler errors or a malformed HEX file (its line is named), 2 on\n"
    "usage errors, 3 when a message of the simulator halted the run.\n";

namespace {

// A whole number from 0 up; one too large to hold is refused, not clamped.
bool ParseCount(const char* text, int64_t& value)
{
    long long parsed = 0;
    if (!ParseDecimal(text, 0, std::numeric_limits<int64_t>::max(), parsed)) {
        return false;
    }
    value = parsed;
    return true;
}

struct Choice
{
    const char* text;
    int value;
};

bool ParseChoice(const char* text, const Choice* choices, size_t count, int& value)
{
    for (size_t i = 0; i < count; ++i) {
        if (std::strcmp(text, choices[i].text) == 0) {
            value = choices[i].value;
            return true;
        }
    }
    return false;
}

} // namespace

bool IsHexFileName(const std::string& name)
{
    if (name.size() < 4) {
        return false;
    }
    std::string extension = name.substr(name.size() - 4);
    for (char& c : extension) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return extension == ".hex" || extension == ".ihx";
}

bool ParseSim51Options(int argc, char** argv, Sim51OptionsType& options, std::string& error)
{
    static const Choice kProcessors[] = {{"8751", 0}, {"8752", 1}, {"8031", 2}, {"8032", 3}};
    static const Choice kVariants[] = {{"standard", 0}, {"aduc84x", 1}};
    static const Choice kPages[] = {{"1", 0}, {"2", 1}, {"4", 2}, {"8", 3}, {"16", 4}};

    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        auto value = [&]() -> const char* { return argv[++i]; };
        auto needsValue = [&]() {
            error = "missing value for " + arg;
            return false;
        };
        if (arg == "-h" || arg == "--help") {
            options.help = true;
            return true;
        } else if (arg == "--trace") {
            options.trace = true;
        } else if (arg == "--uart") {
            options.uart = true;
        } else if (arg == "--p2-ri") {
            options.useP2ForRi = true;
        } else if (arg == "--paged") {
            options.paged = true;
        } else if (arg == "--max-instructions" || arg == "--until" || arg == "--processor" ||
                   arg == "--variant" || arg == "--page-control" || arg == "--pages" ||
                   arg == "--coverage" || arg == "--hex" || arg == "--uart-out" ||
                   arg == "--uart-in") {
            if (!hasValue) {
                return needsValue();
            }
            const char* text = value();
            int choice = 0;
            if (arg == "--max-instructions") {
                if (!ParseCount(text, options.maxInstructions)) {
                    error = "the instruction limit must be a whole number: " + std::string(text);
                    return false;
                }
            } else if (arg == "--until") {
                options.until = text;
            } else if (arg == "--page-control") {
                options.pageControl = text;
            } else if (arg == "--coverage") {
                options.coverageFile = text;
            } else if (arg == "--uart-out") {
                options.uartOut = text;
            } else if (arg == "--uart-in") {
                options.uartIn = text;
            } else if (arg == "--hex") {
                if (!options.source.empty()) {
                    error = "more than one file given: " + std::string(text);
                    return false;
                }
                options.source = text;
                options.hex = true;
            } else if (arg == "--processor") {
                if (!ParseChoice(text, kProcessors, std::size(kProcessors), choice)) {
                    error =
                        "unknown processor " + std::string(text) + " (8751, 8752, 8031 or 8032)";
                    return false;
                }
                options.processorType = choice;
            } else if (arg == "--variant") {
                if (!ParseChoice(text, kVariants, std::size(kVariants), choice)) {
                    error = "unknown variant " + std::string(text) + " (standard or aduc84x)";
                    return false;
                }
                options.variant = static_cast<ProcessorVariant>(choice);
            } else {
                if (!ParseChoice(text, kPages, std::size(kPages), choice)) {
                    error = "the number of pages must be 1, 2, 4, 8 or 16: " + std::string(text);
                    return false;
                }
                options.pagesIndex = choice;
            }
        } else if (arg.size() > 1 && arg[0] == '-') {
            error = "unknown option " + arg;
            return false;
        } else if (!options.source.empty()) {
            error = "more than one file given: " + arg;
            return false;
        } else {
            options.source = arg;
            options.hex = IsHexFileName(arg);
        }
    }
    if (options.source.empty()) {
        error = "no source file given";
        return false;
    }
    return true;
}
