// Loading and saving: line ends and tabs are converted on the way in, and
// lines are written back with the line ends the file came with.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <system_error>

#include "common/text_util.h"
#include "editor/core/editor_doc.h"

namespace {

constexpr const char* kNoMemoryForLoad = "Unable to allocate editor buffer.";
constexpr const char* kFileTooLarge = " File to large for text buffer, press any key.";
constexpr const char* kUnableToSave = "Unable to save %s: %s";

// Replacing a file by renaming a new one over it would get past a write
// protection the user set; a file without its owner's write permission is
// left as it is.
bool IsWriteProtected(const std::filesystem::path& path)
{
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    return !ec && std::filesystem::is_regular_file(status) &&
           (status.permissions() & std::filesystem::perms::owner_write) ==
               std::filesystem::perms::none;
}

} // namespace

bool CEditorDoc::Load(const std::filesystem::path& path)
{
    loaded_ = false;
    std::error_code ec;
    // Only regular files: a pipe or a device could block or never end.
    std::FILE* file =
        std::filesystem::is_regular_file(path, ec) ? std::fopen(path.c_str(), "rb") : nullptr;
    if (file == nullptr) {
        ResetEmpty();
        return false;
    }
    const uint64_t fileLength = std::filesystem::file_size(path, ec);
    return LoadFrom(file, ec ? UINT64_MAX : fileLength);
}

bool CEditorDoc::LoadText(std::string_view text)
{
    loaded_ = false;
    // fmemopen may refuse a zero size: an empty text is given as one byte,
    // read off before loading.
    std::string copy(text);
    copy.push_back('\0');
    std::FILE* file = fmemopen(copy.data(), text.size() + (text.empty() ? 1 : 0), "rb");
    if (file == nullptr) {
        ResetEmpty();
        return false;
    }
    if (text.empty()) {
        std::fgetc(file); // the stand-in byte is not text
    }
    return LoadFrom(file, text.size());
}

std::string CEditorDoc::SavedText() const
{
    const std::string_view lineEnd = lfLineEnds_ ? "\n" : "\r\n";
    std::string out;
    out.reserve(length_ + CountCr(Text(), length_));
    for (char c : TextView()) {
        if (c == '\r') {
            out += lineEnd;
        } else {
            out += c;
        }
    }
    return out;
}

// Reads an open file of the given length (UINT64_MAX when unknown) and
// closes it.
bool CEditorDoc::LoadFrom(std::FILE* file, uint64_t fileLength)
{
    text_.reset();
    capacity_ = length_ = 0;
    bool allocated = false;
    if (fileLength == UINT64_MAX || fileLength + kLoadHeadroom > capacityLimit_) {
        Report(kNoMemoryForLoad, IMessageSink::Severity::kError);
    } else {
        allocated = Allocate(static_cast<uint32_t>(fileLength) + kLoadHeadroom, kNoMemoryForLoad);
    }
    if (!allocated) {
        std::fclose(file);
        RebuildLineStarts();
        undo_.Clear();
        revision_.Raise();
        return false;
    }

    const bool fitted = ReadConverted(file);
    std::fclose(file);
    lineTableSize_ = CountCr(Text(), length_) + 1 + kLineTableInitial;
    RebuildLineStarts();
    currentLine_ = 0;
    undo_.Clear();
    modified_ = false;
    loaded_ = true;
    revision_.Raise();
    if (!fitted) {
        Report(kFileTooLarge, IMessageSink::Severity::kWarning);
    }
    return true;
}

// Tabs become blanks up to the loading stops, a LF that follows a CR is
// dropped and any other LF ends a line like a CR. Returns false when the
// text did not fit into the buffer.
bool CEditorDoc::ReadConverted(std::FILE* file)
{
    char* out = text_.get();
    uint32_t length = 0;
    bool truncated = false;
    bool afterCr = false;
    size_t crEnds = 0;
    size_t lfEnds = 0;
    uint64_t column = 1; // 64 bits: one line may hold the whole file
    // Expanded tabs can outgrow the head room: the buffer grows rather than
    // dropping text, and only a refused allocation cuts the file short.
    auto store = [&](char c) {
        if (length == capacity_ && !truncated) {
            length_ = length;
            truncated = !Grow(std::max(capacity_ / 2, kGrowStep));
            out = text_.get();
        }
        if (length < capacity_) {
            out[length++] = c;
        }
    };
    char block[kReadBlock];
    size_t got = 0;
    while ((got = std::fread(block, 1, sizeof block, file)) > 0) {
        for (size_t i = 0; i < got; ++i) {
            const char c = block[i];
            if (c == '\n') {
                // LF after CR belongs to it; a LF alone ends a line too.
                if (!afterCr) {
                    store('\r');
                    ++lfEnds;
                    column = 1;
                }
            } else if (c == '\r') {
                store('\r');
                ++crEnds;
                column = 1;
            } else if (c == '\t') {
                const auto blanks = static_cast<uint64_t>(tabWidth_) - column % tabWidth_;
                for (uint64_t b = 0; b < blanks; ++b) {
                    store(' ');
                }
                column += blanks;
            } else {
                store(c);
                ++column;
            }
            afterCr = (c == '\r');
        }
    }
    out[length] = '\0';
    length_ = length;
    lfLineEnds_ = lfEnds > 0 && crEnds == 0;
    return !truncated;
}

bool CEditorDoc::WriteTo(std::FILE* file) const
{
    const std::string_view lineEnd = lfLineEnds_ ? "\n" : "\r\n";
    const char* p = Text();
    const char* end = p + length_;
    bool ok = true;
    while (ok && p < end) {
        const void* cr = std::memchr(p, '\r', static_cast<size_t>(end - p));
        const char* stop = cr ? static_cast<const char*>(cr) : end;
        const size_t n = static_cast<size_t>(stop - p);
        ok = std::fwrite(p, 1, n, file) == n;
        if (ok && cr != nullptr) {
            ok = std::fwrite(lineEnd.data(), 1, lineEnd.size(), file) == lineEnd.size();
        }
        p = cr ? stop + 1 : end;
    }
    ok = (std::fflush(file) == 0) && ok;
    return (std::fclose(file) == 0) && ok;
}

// The text goes to a new file beside the old one, which then replaces it, so
// a failed save never destroys the old file.
bool CEditorDoc::Save(const std::filesystem::path& path)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path target = path;
    if (fs::is_symlink(path, ec)) {
        const fs::path resolved = fs::canonical(path, ec);
        if (!ec) {
            target = resolved; // replace the file the link points at, not the link
        }
    }
    fs::path temp = target;
    temp += ".~sav";
    // A regular file of that name is a leftover of an interrupted save.
    if (fs::is_regular_file(fs::symlink_status(temp, ec))) {
        fs::remove(temp, ec);
    }
    std::string failure;
    std::FILE* file = nullptr;
    if (IsWriteProtected(target)) {
        failure = "the file is read-only";
    } else if ((file = std::fopen(temp.c_str(), "wbx")) == nullptr) { // never an existing name
        failure = std::strerror(errno);
    } else if (!WriteTo(file)) {
        failure = std::strerror(errno);
        fs::remove(temp, ec);
    } else {
        const auto oldPerms = fs::status(target, ec).permissions();
        if (!ec) {
            fs::permissions(temp, oldPerms, ec);
        }
        fs::rename(temp, target, ec);
        if (ec) {
            failure = ec.message();
            fs::remove(temp, ec);
        }
    }
    if (!failure.empty()) {
        Report(StrFormat(kUnableToSave, path.string().c_str(), failure.c_str()),
               IMessageSink::Severity::kError);
        return false;
    }
    SetModified(false);
    return true;
}
