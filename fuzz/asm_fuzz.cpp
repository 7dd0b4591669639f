// Feeds arbitrary bytes to the assembler: as a whole source file (which may
// include itself or a second file) and as an expression operand. An assembly
// must never change either file. asm.dict holds the dialect's tokens.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

#include "assembler/asm_symbol_resolver.h"
#include "assembler/assembler.h"

namespace fs = std::filesystem;

namespace {

const fs::path& WorkDir()
{
    static const fs::path dir = [] {
        fs::path d = fs::temp_directory_path() / ("asm-fuzz-" + std::to_string(getpid()));
        fs::create_directories(d);
        return d;
    }();
    return dir;
}

void Write(const fs::path& path, const uint8_t* data, size_t size)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

bool Holds(const fs::path& path, const uint8_t* data, size_t size)
{
    std::ifstream in(path, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return text.size() == size && (size == 0 || std::memcmp(text.data(), data, size) == 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The second half doubles as an include file named "inc.a51".
    const fs::path source = WorkDir() / "fuzz.a51";
    Write(source, data, size);
    Write(WorkDir() / "inc.a51", data + size / 2, size - size / 2);

    COutputText output;
    CCodeMemory code;
    CModuleList modules;
    CAssembler assembler(output, code, modules);
    AssemblerOptions options;
    options.generateSymFile = true;
    assembler.SetOptions(options);
    assembler.Assemble(source.string());
    // Each slice reads lines or ends a file; far more slices than that is a hang.
    long slices = 0;
    while (assembler.AssembleStep()) {
        if (++slices > 1000000) {
            __builtin_trap();
        }
    }

    // Whatever HEXFILE or INCLUDE names, no output may replace a file that
    // was read (the include file may be written when it was not).
    const fs::path include = WorkDir() / "inc.a51";
    if (!Holds(source, data, size) || (modules.FindModule(include.string()) >= 0 &&
                                       !Holds(include, data + size / 2, size - size / 2))) {
        __builtin_trap();
    }

    CAsmSymbolResolver resolver(assembler);
    resolver.EvaluateText(std::string_view(reinterpret_cast<const char*>(data), size), true);
    return 0;
}
