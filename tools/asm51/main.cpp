// asm51: the IDE's assembler on the command line.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "assembler/assembler.h"
#include "common/ext_file.h"

namespace {

const char kUsage[] =
    "Usage: asm51 [options] FILE\n"
    "\n"
    "Assembles an 8051 source file in two passes and writes, next to it, the\n"
    "Intel HEX image (.HEX), the listing (.LST), the symbol file (.SYM) and the\n"
    "link file (.LNK). Every message is printed as the IDE's output window shows it.\n"
    "\n"
    "Options:\n"
    "  --list / --no-list     write the listing file (default: on)\n"
    "  --sym / --no-sym       write the symbol file (default: off)\n"
    "  --hex / --no-hex       write the Intel HEX file (default: on)\n"
    "  --tab-width N          tab stops of the listing, 1 to 32 (default: 8)\n"
    "  -h, --help             show this help\n"
    "\n"
    "Exit status: 0 without errors, 1 with errors, 2 for a usage error or a\n"
    "file that cannot be read.\n";

int UsageError(const char* message, const char* detail)
{
    std::fprintf(stderr, "asm51: %s%s\n", message, detail);
    std::fprintf(stderr, "Try 'asm51 --help'.\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    AssemblerOptions options;
    int tabWidth = 8;
    const char* file = nullptr;

    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "-h") == 0 || std::strcmp(arg, "--help") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (std::strcmp(arg, "--list") == 0) {
            options.generateListFile = true;
        } else if (std::strcmp(arg, "--no-list") == 0) {
            options.generateListFile = false;
        } else if (std::strcmp(arg, "--sym") == 0) {
            options.generateSymFile = true;
        } else if (std::strcmp(arg, "--no-sym") == 0) {
            options.generateSymFile = false;
        } else if (std::strcmp(arg, "--hex") == 0) {
            options.generateHexFile = true;
        } else if (std::strcmp(arg, "--no-hex") == 0) {
            options.generateHexFile = false;
        } else if (std::strcmp(arg, "--tab-width") == 0) {
            if (i + 1 >= argc) {
                return UsageError("missing value for ", arg);
            }
            char* end = nullptr;
            const long value = std::strtol(argv[++i], &end, 10);
            if (*argv[i] == '\0' || *end != '\0' || value < 1 || value > 32) {
                return UsageError("the tab width must be an integer between 1 and 32: ", argv[i]);
            }
            tabWidth = static_cast<int>(value);
        } else if (arg[0] == '-' && arg[1] != '\0') {
            return UsageError("unknown option ", arg);
        } else if (file != nullptr) {
            return UsageError("more than one file given: ", arg);
        } else {
            file = arg;
        }
    }
    if (file == nullptr) {
        return UsageError("no source file given", "");
    }
    CExtFile probe;
    if (!probe.Open(file)) {
        std::fprintf(stderr, "asm51: cannot read %s\n", file);
        return 2;
    }
    probe.Close();
    options.tabWidth = tabWidth;

    COutputText output;
    CCodeMemory code;
    CModuleList modules;
    CAssembler assembler(output, code, modules);
    assembler.SetOptions(options);
    assembler.Assemble(file);
    while (assembler.AssembleStep()) {
    }
    for (size_t i = 0; i < output.GetLineCount(); ++i) {
        std::printf("%s\n", output.GetLine(i).c_str());
    }
    return assembler.GetErrorCount() > 0 ? 1 : 0;
}
