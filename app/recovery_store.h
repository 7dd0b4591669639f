#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

class IMessageSink;

// Where a source stood on disk when its document was last loaded or saved.
struct SourceStampType
{
    bool exists = false;
    uint64_t size = 0;
    int64_t modified = 0; // nanoseconds since 1970

    bool operator==(const SourceStampType&) const = default;
};

SourceStampType StampOfFile(const std::string& path);

enum class RecoveryState
{
    kRestorable,
    kSourceChanged, // the source was written, made or removed since
    kDamaged,       // the file cannot be trusted: nothing to restore
};

// What the user decides for a recovery file offered at start.
enum class RecoveryChoice
{
    kKeep, // later: the file is offered again at the next start
    kRestore,
    kDiscard,
};

// A recovery file a previous session left behind.
struct RecoveryEntryType
{
    std::filesystem::path file;
    std::string sourcePath; // empty for a document that was never saved
    std::string title;
    SourceStampType stamp;
    int64_t savedAt = 0; // seconds since 1970
    RecoveryState state = RecoveryState::kDamaged;
    std::string text;    // as the document saves it; empty when damaged
    std::string problem; // why it is damaged
};

// Keeps the text of modified documents in files of its own folder (never
// beside a source), so that a session that dies keeps its edits. Each file
// is written whole to a new name and renamed, so a reader sees the old text
// or the new one. A session holds a lock on a file of its own while it
// lives: the files of a running session are never offered to another.
class CRecoveryStore
{
public:
    // A text longer than this is neither written nor read back.
    static constexpr uint64_t kMaxText = 64u << 20;

    CRecoveryStore(std::filesystem::path folder, IMessageSink& messages);
    ~CRecoveryStore();
    CRecoveryStore(const CRecoveryStore&) = delete;
    CRecoveryStore& operator=(const CRecoveryStore&) = delete;

    const std::filesystem::path& Folder() const { return folder_; }

    // A new slot for one document of this session.
    int NewSlot() { return ++lastSlot_; }
    // Replaces the slot's file. A failure is reported once, until a write
    // succeeds again; false then, and the edits go on unprotected.
    bool Write(int slot, const std::string& sourcePath, const std::string& title,
               const SourceStampType& stamp, std::string_view text);
    void Remove(int slot);

    // The files of sessions that ended without removing them, oldest first.
    // Files whose text the source already holds are removed, as are the
    // locks and half-written files of ended sessions.
    std::vector<RecoveryEntryType> ListLeftOver();
    bool Discard(const RecoveryEntryType& entry);

private:
    bool OpenSession();
    std::filesystem::path SlotFile(int slot) const;
    void Report(const std::string& text);

    std::filesystem::path folder_;
    IMessageSink& messages_;
    std::string session_;
    int lockFd_ = -1;
    int lastSlot_ = 0;
    bool reported_ = false;
};

// The file's parts, for the store and its tests: what Write puts in a file
// and what a file holds (state kRestorable or kDamaged; the source is not
// looked at).
std::string FormatRecoveryFile(const std::string& sourcePath, const std::string& title,
                               const SourceStampType& stamp, int64_t savedAt,
                               std::string_view text);
RecoveryEntryType ParseRecoveryFile(std::string_view bytes);
