#include "app/recovery_store.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <map>
#include <sys/file.h>
#include <unistd.h>

#include "common/message_sink.h"
#include "common/text_util.h"

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kMagic = "8051 recovery 1";
constexpr std::string_view kRecordExtension = ".rec";
constexpr std::string_view kLockExtension = ".lock";
constexpr std::string_view kTempExtension = ".tmp";
constexpr size_t kMaxHeader = 16384;

// FNV-1a, 64 bits: enough to tell a damaged text from the one written.
uint64_t Checksum(std::string_view text)
{
    uint64_t hash = 0xCBF29CE484222325ull;
    for (char c : text) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001B3ull;
    }
    return hash;
}

// Header values stay on their line: '%', CR and LF are written as %XX.
std::string Escape(std::string_view text)
{
    std::string out;
    for (char c : text) {
        if (c == '%' || c == '\r' || c == '\n') {
            out += StrFormat("%%%02X", static_cast<unsigned char>(c));
        } else {
            out += c;
        }
    }
    return out;
}

bool Unescape(std::string_view text, std::string& out)
{
    out.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size() || !std::isxdigit(static_cast<unsigned char>(text[i + 1])) ||
            !std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
            return false;
        }
        out += static_cast<char>(std::stoi(std::string(text.substr(i + 1, 2)), nullptr, 16));
        i += 2;
    }
    return true;
}

bool ParseNumber(std::string_view text, int64_t& value)
{
    if (text.empty() || text.size() > 20) {
        return false;
    }
    size_t i = text[0] == '-' ? 1 : 0;
    if (i == text.size()) {
        return false;
    }
    for (size_t j = i; j < text.size(); ++j) {
        if (text[j] < '0' || text[j] > '9') {
            return false;
        }
    }
    errno = 0;
    const long long parsed = std::strtoll(std::string(text).c_str(), nullptr, 10);
    if (errno == ERANGE) {
        return false;
    }
    value = parsed;
    return true;
}

bool HasEnding(const fs::path& path, std::string_view ending)
{
    const std::string name = path.filename().string();
    return name.size() > ending.size() &&
           name.compare(name.size() - ending.size(), ending.size(), ending) == 0;
}

// "<session>-<slot>.rec" -> "<session>".
std::string SessionOf(const fs::path& path)
{
    const std::string name = path.filename().string();
    const size_t dash = name.rfind('-');
    return dash == std::string::npos ? std::string() : name.substr(0, dash);
}

// Up to limit + 1 bytes of a file (more shows it is too long); false when
// it cannot be read.
bool ReadSome(const fs::path& path, uint64_t limit, std::string& bytes)
{
    std::error_code ec;
    const uintmax_t size = fs::file_size(path, ec);
    std::ifstream in(path, std::ios::binary);
    if (ec || !in) {
        return false;
    }
    bytes.assign(static_cast<size_t>(std::min<uintmax_t>(size, limit) + 1), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<size_t>(in.gcount()));
    return !in.bad();
}

// Whether another process holds the session's lock.
bool SessionLive(const fs::path& lockFile)
{
    const int fd = ::open(lockFile.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        return false;
    }
    const bool live = ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return live;
}

bool SyncFolder(const fs::path& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

} // namespace

SourceStampType StampOfFile(const std::string& path)
{
    SourceStampType stamp;
    std::error_code ec;
    if (path.empty() || !fs::is_regular_file(path, ec)) {
        return stamp;
    }
    const uintmax_t size = fs::file_size(path, ec);
    const auto time = fs::last_write_time(path, ec);
    if (ec) {
        return stamp;
    }
    stamp.exists = true;
    stamp.size = size;
    // Nanoseconds since 1970, as stat() gives them.
    stamp.modified = std::chrono::duration_cast<std::chrono::nanoseconds>(
                         std::chrono::file_clock::to_sys(time).time_since_epoch())
                         .count();
    return stamp;
}

std::string FormatRecoveryFile(const std::string& sourcePath, const std::string& title,
                               const SourceStampType& stamp, int64_t savedAt, std::string_view text)
{
    std::string out(kMagic);
    out += "\nSource=" + Escape(sourcePath);
    out += "\nTitle=" + Escape(title);
    out += "\nSourceSize=" + (stamp.exists ? std::to_string(stamp.size) : std::string("-"));
    out += "\nSourceTime=" + std::to_string(stamp.modified);
    out += "\nSaved=" + std::to_string(savedAt);
    out += "\nLength=" + std::to_string(text.size());
    out += StrFormat("\nChecksum=%016llX\n\n", static_cast<unsigned long long>(Checksum(text)));
    out += text;
    return out;
}

RecoveryEntryType ParseRecoveryFile(std::string_view bytes)
{
    RecoveryEntryType entry;
    const auto damaged = [&](const char* why) {
        entry.state = RecoveryState::kDamaged;
        entry.problem = why;
        entry.text.clear();
        return entry;
    };
    const size_t headerEnd = bytes.substr(0, kMaxHeader).find("\n\n");
    if (headerEnd == std::string_view::npos) {
        return damaged("not a recovery file");
    }
    std::map<std::string, std::string, std::less<>> fields;
    std::string_view header = bytes.substr(0, headerEnd + 1);
    bool first = true;
    while (!header.empty()) {
        const size_t end = header.find('\n');
        const std::string_view line = header.substr(0, end);
        header.remove_prefix(end + 1);
        if (first) {
            if (line != kMagic) {
                return damaged("not a recovery file");
            }
            first = false;
            continue;
        }
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos ||
            !fields.emplace(line.substr(0, equals), line.substr(equals + 1)).second) {
            return damaged("its header is damaged");
        }
    }
    int64_t size = 0;
    int64_t length = 0;
    const auto field = [&](const char* key) -> const std::string* {
        const auto it = fields.find(key);
        return it == fields.end() ? nullptr : &it->second;
    };
    const std::string* source = field("Source");
    const std::string* title = field("Title");
    const std::string* sourceSize = field("SourceSize");
    const std::string* sourceTime = field("SourceTime");
    const std::string* saved = field("Saved");
    const std::string* lengthText = field("Length");
    const std::string* checksum = field("Checksum");
    if (source == nullptr || title == nullptr || sourceSize == nullptr || sourceTime == nullptr ||
        saved == nullptr || lengthText == nullptr || checksum == nullptr ||
        !Unescape(*source, entry.sourcePath) || !Unescape(*title, entry.title) ||
        !ParseNumber(*sourceTime, entry.stamp.modified) || !ParseNumber(*saved, entry.savedAt) ||
        !ParseNumber(*lengthText, length) || length < 0 || checksum->size() != 16 ||
        (*sourceSize != "-" && (!ParseNumber(*sourceSize, size) || size < 0))) {
        return damaged("its header is damaged");
    }
    entry.stamp.exists = *sourceSize != "-";
    entry.stamp.size = entry.stamp.exists ? static_cast<uint64_t>(size) : 0;
    const std::string_view text = bytes.substr(headerEnd + 2);
    if (static_cast<uint64_t>(length) != text.size()) {
        return damaged(static_cast<uint64_t>(length) > text.size() ? "its text is cut short"
                                                                   : "its text is too long");
    }
    if (StrFormat("%016llX", static_cast<unsigned long long>(Checksum(text))) != *checksum) {
        return damaged("its text does not match its checksum");
    }
    entry.text = text;
    entry.state = RecoveryState::kRestorable;
    return entry;
}

CRecoveryStore::CRecoveryStore(fs::path folder, IMessageSink& messages)
    : folder_(folder.lexically_normal()), messages_(messages)
{
    if (!folder_.has_filename() && folder_.has_parent_path()) {
        folder_ = folder_.parent_path(); // no trailing separator: paths compare alike
    }
}

CRecoveryStore::~CRecoveryStore()
{
    if (lockFd_ >= 0) {
        std::error_code ec;
        fs::remove(folder_ / (session_ + std::string(kLockExtension)), ec);
        ::close(lockFd_);
    }
}

void CRecoveryStore::Report(const std::string& text)
{
    if (!reported_) {
        reported_ = true;
        messages_.ShowMessage(text + "\nEditing goes on, but unsaved changes are not kept for "
                                     "recovery until the folder can be written.",
                              IMessageSink::Severity::kWarning);
    }
}

// The folder and this session's lock, made at the first write.
bool CRecoveryStore::OpenSession()
{
    if (lockFd_ >= 0) {
        return true;
    }
    std::error_code ec;
    fs::create_directories(folder_, ec);
    if (ec || !fs::is_directory(folder_, ec)) {
        Report("Unable to create the recovery folder " + folder_.string() + ": " +
               (ec ? ec.message() : std::string("a file of that name is in the way")));
        return false;
    }
    fs::permissions(folder_, fs::perms::owner_all, fs::perm_options::replace, ec);
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    const std::string session = StrFormat(
        "s%ld-%lld", static_cast<long>(::getpid()),
        static_cast<long long>(std::chrono::duration_cast<std::chrono::microseconds>(now).count()));
    const fs::path lock = folder_ / (session + std::string(kLockExtension));
    const int fd = ::open(lock.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        Report("Unable to write in the recovery folder " + folder_.string() + ": " +
               std::strerror(errno));
        return false;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        fs::remove(lock, ec);
        Report("Unable to lock a file in the recovery folder " + folder_.string());
        return false;
    }
    session_ = session;
    lockFd_ = fd;
    return true;
}

fs::path CRecoveryStore::SlotFile(int slot) const
{
    return folder_ / (session_ + "-" + std::to_string(slot) + std::string(kRecordExtension));
}

bool CRecoveryStore::Write(int slot, const std::string& sourcePath, const std::string& title,
                           const SourceStampType& stamp, std::string_view text)
{
    if (text.size() > kMaxText) {
        Report("The text of " + title + " is too large to keep for recovery.");
        return false;
    }
    if (!OpenSession()) {
        return false;
    }
    const int64_t savedAt = std::chrono::duration_cast<std::chrono::seconds>(
                                std::chrono::system_clock::now().time_since_epoch())
                                .count();
    const std::string bytes = FormatRecoveryFile(sourcePath, title, stamp, savedAt, text);
    const fs::path target = SlotFile(slot);
    fs::path temp = target;
    temp += kTempExtension;
    std::error_code ec;
    fs::remove(temp, ec);
    std::string failure;
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        failure = std::strerror(errno);
    } else {
        size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                failure = std::strerror(n < 0 ? errno : ENOSPC);
                break;
            }
            done += static_cast<size_t>(n);
        }
        if (failure.empty() && ::fsync(fd) != 0) {
            failure = std::strerror(errno);
        }
        if (::close(fd) != 0 && failure.empty()) {
            failure = std::strerror(errno);
        }
        if (failure.empty()) {
            fs::rename(temp, target, ec);
            if (ec) {
                failure = ec.message();
            }
        }
        if (!failure.empty()) {
            fs::remove(temp, ec);
        }
    }
    if (!failure.empty()) {
        Report("Unable to write the recovery file of " + title + " in " + folder_.string() + ": " +
               failure);
        return false;
    }
    SyncFolder(folder_);
    reported_ = false;
    return true;
}

void CRecoveryStore::Remove(int slot)
{
    if (lockFd_ >= 0) {
        std::error_code ec;
        fs::remove(SlotFile(slot), ec);
    }
}

std::vector<RecoveryEntryType> CRecoveryStore::ListLeftOver()
{
    std::vector<RecoveryEntryType> entries;
    std::error_code ec;
    if (!fs::is_directory(folder_, ec)) {
        return entries;
    }
    std::vector<fs::path> records;
    std::vector<fs::path> others;
    std::map<std::string, bool> live; // per session
    for (fs::directory_iterator it(folder_, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path path = it->path();
        const std::string session = SessionOf(path);
        if (HasEnding(path, kLockExtension)) {
            const std::string name = path.stem().string();
            if (name != session_ && !live.count(name)) {
                live[name] = SessionLive(path);
            }
            others.push_back(path);
        } else if (HasEnding(path, kRecordExtension)) {
            records.push_back(path);
        } else if (HasEnding(path, kTempExtension)) {
            others.push_back(path);
        }
    }
    const auto ended = [&](const std::string& session) {
        if (session == session_) {
            return false;
        }
        const auto it = live.find(session);
        return it == live.end() || !it->second;
    };
    for (const fs::path& path : records) {
        if (!ended(SessionOf(path)) || !fs::is_regular_file(fs::symlink_status(path, ec))) {
            continue;
        }
        std::string bytes;
        RecoveryEntryType entry;
        if (!ReadSome(path, kMaxText + kMaxHeader, bytes)) {
            entry.state = RecoveryState::kDamaged;
            entry.problem = "it cannot be read";
        } else if (bytes.size() > kMaxText + kMaxHeader) {
            entry.state = RecoveryState::kDamaged;
            entry.problem = "it is too large";
        } else {
            entry = ParseRecoveryFile(bytes);
        }
        entry.file = path;
        if (entry.state == RecoveryState::kRestorable && !entry.sourcePath.empty()) {
            const SourceStampType now = StampOfFile(entry.sourcePath);
            std::string current;
            if (now.exists && now.size == entry.text.size() &&
                ReadSome(entry.sourcePath, kMaxText, current) && current == entry.text) {
                fs::remove(path, ec); // the source holds this text: nothing to recover
                continue;
            }
            if (now != entry.stamp) {
                entry.state = RecoveryState::kSourceChanged;
            }
        }
        if (entry.title.empty()) {
            entry.title = entry.file.filename().string();
        }
        entries.push_back(std::move(entry));
    }
    // Locks and half-written files of ended sessions that left nothing to offer.
    for (const fs::path& path : others) {
        const std::string session =
            HasEnding(path, kLockExtension) ? path.stem().string() : SessionOf(path);
        const bool offered = std::any_of(entries.begin(), entries.end(), [&](const auto& entry) {
            return SessionOf(entry.file) == session;
        });
        if (ended(session) && (HasEnding(path, kTempExtension) || !offered)) {
            fs::remove(path, ec);
        }
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const auto& a, const auto& b) { return a.savedAt < b.savedAt; });
    return entries;
}

bool CRecoveryStore::Discard(const RecoveryEntryType& entry)
{
    std::error_code ec;
    if (entry.file.parent_path() != folder_ || !HasEnding(entry.file, kRecordExtension)) {
        return false; // only files of this folder
    }
    return fs::remove(entry.file, ec) && !ec;
}
