#include "app/shell/recovery_keeper.h"

#include <algorithm>

#include <QGuiApplication>

#include "app/source_document.h"
#include "common/settings_keys.h"

CRecoveryKeeper::CRecoveryKeeper(const std::string& folder, ISettingsStore& settings,
                                 IMessageSink& messages, DocumentList documents, EventLog log,
                                 QObject* parent)
    : QObject(parent), store_(folder, messages), settings_(settings),
      documents_(std::move(documents)), log_(std::move(log))
{
    // A cheap look every second (no file is touched unless a document
    // changed state); writes wait for the interval.
    tick_.setInterval(1000);
    connect(&tick_, &QTimer::timeout, this, &CRecoveryKeeper::OnTick);
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
                if (state != Qt::ApplicationActive && interval_ > 0) {
                    WriteNow();
                }
            });
    ApplySettings();
    tick_.start();
}

// A normal end has asked about every modified document: nothing of this
// session is left to recover.
CRecoveryKeeper::~CRecoveryKeeper()
{
    for (const TrackedType& tracked : tracked_) {
        if (tracked.written) {
            store_.Remove(tracked.slot);
        }
    }
}

void CRecoveryKeeper::ApplySettings()
{
    interval_ = std::clamp(ReadSetting(settings_, settings::kRecoveryInterval), 0,
                           settings::kMaxRecoveryInterval);
}

CRecoveryKeeper::TrackedType&
CRecoveryKeeper::Track(const std::shared_ptr<CSourceDocument>& document)
{
    for (TrackedType& tracked : tracked_) {
        if (tracked.document.lock() == document) {
            return tracked;
        }
    }
    TrackedType tracked;
    tracked.document = document;
    tracked.slot = store_.NewSlot();
    tracked.path = document->Path();
    tracked.stamp = StampOfFile(tracked.path);
    tracked_.push_back(tracked);
    return tracked_.back();
}

void CRecoveryKeeper::Sync()
{
    const auto open = documents_();
    // Closed documents: their files go.
    std::erase_if(tracked_, [&](TrackedType& tracked) {
        const auto document = tracked.document.lock();
        if (document && std::find(open.begin(), open.end(), document) != open.end()) {
            return false;
        }
        if (tracked.written) {
            store_.Remove(tracked.slot);
            log_("recovery removed");
        }
        return true;
    });
    for (const auto& document : open) {
        TrackedType& tracked = Track(document);
        const bool modified = document->Doc().IsModified();
        // Saved (under its name or another) or reverted: the file on disk
        // is what a later restore compares with.
        if (!modified && (tracked.wasModified || tracked.path != document->Path())) {
            tracked.path = document->Path();
            tracked.stamp = StampOfFile(tracked.path);
        }
        if (!modified && tracked.written) {
            store_.Remove(tracked.slot);
            tracked.written = false;
            log_("recovery removed " + document->Title());
        }
        tracked.wasModified = modified;
    }
}

void CRecoveryKeeper::WriteNow()
{
    Sync();
    sinceWrite_ = 0;
    for (const auto& document : documents_()) {
        TrackedType& tracked = Track(document);
        const uint64_t revision = document->Doc().Revision().Value();
        if (!document->Doc().IsModified() ||
            (tracked.written && tracked.writtenRevision == revision)) {
            continue;
        }
        if (store_.Write(tracked.slot, document->Path(), document->Title(), tracked.stamp,
                         document->Doc().SavedText())) {
            tracked.written = true;
            tracked.writtenRevision = revision;
            log_("recovery written " + document->Title());
        }
    }
}

void CRecoveryKeeper::Adopt(const std::shared_ptr<CSourceDocument>& document,
                            const SourceStampType& stamp)
{
    TrackedType& tracked = Track(document);
    tracked.path = document->Path();
    tracked.stamp = stamp;
    tracked.wasModified = true;
    tracked.written = false;
    if (interval_ > 0) {
        WriteNow();
    }
}

void CRecoveryKeeper::OnTick()
{
    Sync();
    if (interval_ > 0 && ++sinceWrite_ >= interval_) {
        WriteNow();
    }
}
