// asm51: the IDE's assembler on the command line.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include "assembler/assembler.h"
#include "common/ext_file.h"

namespace {

// A large source makes a few megabytes of symbol records, listing buffers
// and code maps, and each 4 KB page costs a fault on first use; on
// virtual machines a fault costs as much as assembling several lines.
// The heap is grown once, well ahead, and marked for transparent huge
// pages, so it is mapped 2 MB at a time. Where the system does not offer
// huge pages the hint does nothing.
void* volatile heapHead = nullptr; // the piece below the huge pages, held

void PreferHugePages()
{
    constexpr uintptr_t kHugePage = uintptr_t{2} << 20;
    mallopt(M_MMAP_THRESHOLD, 16 << 20); // large blocks from the heap too
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
    mallopt(M_TOP_PAD, 32 << 20);
    // Larger than the heap's first piece, so that the heap grows.
    constexpr size_t kProbe = size_t{256} << 10;
    void* volatile probe = std::malloc(kProbe);
    if (probe == nullptr) {
        return;
    }
    const auto start = reinterpret_cast<uintptr_t>(probe);
    std::free(probe);
    const auto end = reinterpret_cast<uintptr_t>(sbrk(0));
    // Past the page where malloc wrote the rest of the heap's header: a
    // range with a page already mapped gets no huge page.
    const uintptr_t begin = (start + kProbe + 4096 + kHugePage - 1) & ~(kHugePage - 1);
    if (end <= begin + kHugePage) {
        return; // no contiguous heap to advise
    }
    madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
    // The piece below the first huge page is held for good, never touched:
    // later blocks then start on huge pages.
    if (begin - start > 256) {
        heapHead = std::malloc(begin - start - 128);
    }
}

const char kUsage[] =
    "Usage: asm51 [options] FILE\n"
    "\n"
    "Assembles an 8051 source file in two passes and writes, next to it, the\n"
    "Intel HEX image (.HEX), the listing (.LST), the symbol file (.SYM) and the\n"
    "link file (.LNK). Every message is printed as the IDE's output window shows it,\n"
    "unless --error-format gnu asks for the form editors and build tools follow:\n"
    "  FILE:LINE: error: TEXT   or   FILE:LINE: warning: TEXT\n"
    "An output file that would replace the source or a file it includes is not\n"
    "written; a warning names it.\n"
    "\n"
    "Options:\n"
    "  --list / --no-list     write the listing file (default: on)\n"
    "  --sym / --no-sym       write the symbol file (default: off)\n"
    "  --hex / --no-hex       write the Intel HEX file (default: on)\n"
    "  --tab-width N          tab stops of the listing, 1 to 32 (default: 8)\n"
    "  --error-format FORMAT  ide (default) or gnu\n"
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

// "path:line: error: text": the message without the blank it starts with
// or the line break some end with.
void PrintGnu(const OutputLocationType& at, const AsmMessageType& message)
{
    std::string_view text = message.text;
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) {
        text.remove_suffix(1);
    }
    std::printf("%s:%d: %s: %.*s\n", at.path.c_str(), at.line + 1,
                message.kind == kMessageWarning ? "warning" : "error",
                static_cast<int>(text.size()), text.data());
}

} // namespace

int main(int argc, char** argv)
{
    PreferHugePages();
    AssemblerOptions options;
    int tabWidth = 8;
    bool gnuFormat = false;
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
        } else if (std::strcmp(arg, "--error-format") == 0) {
            if (i + 1 >= argc) {
                return UsageError("missing value for ", arg);
            }
            const char* format = argv[++i];
            if (std::strcmp(format, "gnu") != 0 && std::strcmp(format, "ide") != 0) {
                return UsageError("the error format must be ide or gnu: ", format);
            }
            gnuFormat = std::strcmp(format, "gnu") == 0;
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
    const std::vector<AsmMessageType>& messages = assembler.Messages();
    size_t next = 0;
    for (size_t i = 0; i < output.GetLineCount(); ++i) {
        if (gnuFormat && next < messages.size() && messages[next].outputLine == i) {
            PrintGnu(output.GetLocation(i), messages[next++]);
        } else {
            std::printf("%s\n", output.GetLine(i).c_str());
        }
    }
    return assembler.GetErrorCount() > 0 ? 1 : 0;
}
