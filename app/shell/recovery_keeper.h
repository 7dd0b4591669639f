#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QObject>
#include <QTimer>

#include "app/recovery_store.h"

class CSourceDocument;
class ISettingsStore;

// Keeps the text of the frame's modified documents in the recovery store:
// at most once per interval while they change and when the application
// loses the focus. A document saved, reverted or closed loses its file
// within a second. Only reads the documents; never touches a source file.
class CRecoveryKeeper : public QObject
{
    Q_OBJECT

public:
    using DocumentList = std::function<std::vector<std::shared_ptr<CSourceDocument>>()>;
    using EventLog = std::function<void(const std::string&)>;

    CRecoveryKeeper(const std::string& folder, ISettingsStore& settings, IMessageSink& messages,
                    DocumentList documents, EventLog log, QObject* parent);
    ~CRecoveryKeeper() override;

    CRecoveryStore& Store() { return store_; }
    // Takes the interval from the settings again (Options > Defaults).
    void ApplySettings();
    int IntervalSeconds() const { return interval_; }
    // A restored document: its stamp is the one its recovery file kept, and
    // its text is written at once so that it stays safe.
    void Adopt(const std::shared_ptr<CSourceDocument>& document, const SourceStampType& stamp);
    // Writes every modified document whose text changed since its last write.
    void WriteNow();
    // Removes the files of documents saved, reverted or closed.
    void Sync();

private:
    struct TrackedType
    {
        std::weak_ptr<CSourceDocument> document;
        int slot = 0;
        bool written = false;
        uint64_t writtenRevision = 0;
        bool wasModified = false;
        std::string path;
        SourceStampType stamp;
    };

    void OnTick();
    TrackedType& Track(const std::shared_ptr<CSourceDocument>& document);

    CRecoveryStore store_;
    ISettingsStore& settings_;
    DocumentList documents_;
    EventLog log_;
    std::vector<TrackedType> tracked_;
    QTimer tick_;
    int interval_ = 0;
    int sinceWrite_ = 0; // ticks
};
